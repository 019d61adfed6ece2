#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "documents/errors.h"
#include "documents/xml_document.h"
#include "gui_support.h"
#include "ui/info_window.h"
#include "ui/startup.h"
#include "ui/string_grid.h"
#include "window_fixture.h"

namespace {

using nx::platform::MemoryRegistry;
using nx::test::Param;
using nx::test::ScriptedDialogs;
using nx::ui::StringGrid;
using Shown = ScriptedDialogs::Shown;

constexpr const char* kAdvanced =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

const std::vector<Param> kThree = {
    {"Speed", "INT", "10", "0", "100", "Yes", "Speed tip"},
    {"Mode", "BOOL", "Off", "Off", "On", "Yes", "Mode tip"},
    {"Name", "STRING", "abc", "", "", "No", "Name tip"},
};

class MainWindowTest : public nx::test::WindowTest {};

TEST_F(MainWindowTest, StartUpState) {
  EXPECT_EQ(window->windowTitle(), "NX_iParameter");
  EXPECT_EQ(status(), "Open XML template!");
  EXPECT_EQ(column(0), (std::vector<QString>{"Feature", ""}));
  EXPECT_EQ(column(1), (std::vector<QString>{"Value", ""}));
  EXPECT_EQ(grid()->col(), 0);
  EXPECT_EQ(grid()->row(), 1);
  EXPECT_TRUE(grid()->editing());
  EXPECT_EQ(crcField(), "");
  EXPECT_TRUE(child<QLineEdit>("Edit_CRC")->isReadOnly());
  EXPECT_EQ(child<QComboBox>("ComboBox_Format")->currentText(), "DEC");
  EXPECT_EQ(child<QComboBox>("ComboBox_Format")->count(), 2);
  EXPECT_EQ(tooltip(), "-");
  EXPECT_EQ(comment(), "-");
  EXPECT_EQ(child<QPushButton>("Button_berechnen")->text(), "Generate CRC");
  EXPECT_FALSE(state().RegFehler);
  EXPECT_EQ(state().CRC32temp, 0u);
  EXPECT_FALSE(state().XMLDocument_Vorlage.active());
  EXPECT_TRUE(dialogs->shown.empty());

  const std::pair<const char*, const char*> menu[] = {
      {"Vorlageoeffnen", "Open XML template"},
      {"Parametersatzoeffnen", "Open parameter set"},
      {"Parametersatzspeichern1", "Save parameter set"},
      {"beenden1", "End"},
      {"Hilfe1", "Help"},
      {"anzeigen1", "about NX_iParameter"},
  };
  for (const auto& [name, text] : menu) {
    auto* action = child<QAction>(name);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), text) << name;
    EXPECT_TRUE(action->shortcut().isEmpty()) << name;
  }
}

TEST_F(MainWindowTest, LayoutAndTabOrder) {
  EXPECT_EQ(window->centralWidget()->size(), QSize(489, 395 - 19));
  EXPECT_EQ(window->statusBar()->height(), 19);
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  const struct {
    const char* name;
    QRect rect;
  } controls[] = {
      {"Tabelle1", {0, 0, 489, 249}},           {"Edit_Tooltip", {0, 270, 486, 21}},
      {"ComboBox_Format", {220, 348, 49, 21}},  {"Edit_CRC", {275, 348, 121, 21}},
      {"Button_berechnen", {402, 345, 76, 25}},
  };
  for (const auto& c : controls) EXPECT_EQ(child<QWidget>(c.name)->geometry(), c.rect) << c.name;
  EXPECT_EQ(child<QLabel>("Label1")->text(), "Tool information:");
  EXPECT_EQ(child<QLabel>("Label1")->pos(), QPoint(2, 256));
  EXPECT_EQ(child<QLabel>("Label3")->text(), "Parameter set description");
  EXPECT_EQ(child<QLabel>("Label_Comment")->pos(), QPoint(2, 318));
  auto* crcLabel = child<QLabel>("Edit_CRCLabel");
  EXPECT_EQ(crcLabel->text(), "F_iPar_CRC");
  EXPECT_TRUE(crcLabel->font().bold());
  EXPECT_EQ(crcLabel->x(), 275);
  EXPECT_LT(crcLabel->geometry().bottom(), 348);
  EXPECT_EQ(grid()->columnWidth(0), 367);
  EXPECT_EQ(grid()->columnWidth(1), 100);

  // Tab goes from the grid to the CRC field, then to the format list; the tooltip box and the
  // button are no tab stops.
  std::vector<QString> order;
  for (QWidget* w = grid()->nextInFocusChain(); w != grid() && order.size() < 2;
       w = w->nextInFocusChain()) {
    if (!grid()->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
      order.push_back(w->objectName());
    }
  }
  EXPECT_EQ(order, (std::vector<QString>{"Edit_CRC", "ComboBox_Format"}));
}

TEST_F(MainWindowTest, RegistryCheck) {
  struct Case {
    const char* what;
    std::function<void(MemoryRegistry&)> fill;
    bool fails;
  } cases[] = {
      {"no values", [](MemoryRegistry&) {}, false},
      {"texts, balloon tips 0",
       [](MemoryRegistry& r) {
         r.put(kAdvanced, "DisplayName", std::string("Explorer"));
         r.put(kAdvanced, "DisplayVersion", std::string("1.0"));
         r.put(kAdvanced, "EnableBalloonTips", int32_t{0});
       },
       false},
      {"balloon tips 1", [](MemoryRegistry& r) { r.put(kAdvanced, "EnableBalloonTips", 1); },
       false},
      {"DisplayName an integer",
       [](MemoryRegistry& r) { r.put(kAdvanced, "DisplayName", int32_t{7}); }, true},
      {"DisplayVersion an integer",
       [](MemoryRegistry& r) { r.put(kAdvanced, "DisplayVersion", int32_t{7}); }, true},
      {"EnableBalloonTips a text",
       [](MemoryRegistry& r) { r.put(kAdvanced, "EnableBalloonTips", std::string("1")); }, true},
      {"EnableBalloonTips of another type",
       [](MemoryRegistry& r) { r.put(kAdvanced, "EnableBalloonTips", 1.5); }, true},
      {"an integer DisplayName under another key",
       [](MemoryRegistry& r) { r.put("Software\\Other", "DisplayName", int32_t{7}); }, false},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> access;
    auto factory = [&](uint32_t mask) {
      access.push_back(mask);
      auto registry = std::make_unique<MemoryRegistry>();
      c.fill(*registry);
      return registry;
    };
    auto w = create(factory);
    EXPECT_EQ(access, std::vector<uint32_t>{0x20119}) << c.what;
    EXPECT_EQ(w->state().RegFehler, c.fails) << c.what;
    std::vector<Shown> expected;
    if (c.fails) expected.push_back({ScriptedDialogs::Error, "Windowsregistry acces Error"});
    EXPECT_EQ(dialogs->shown, expected) << c.what;

    w->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->isVisible(), !c.fails) << c.what;
  }
}

TEST_F(MainWindowTest, RegistryThatCannotBeCreatedOrIsSkipped) {
  auto throwing = [](uint32_t) -> std::unique_ptr<nx::platform::Registry> {
    throw nx::platform::RegistryError("no registry");
  };
  auto failed = create(throwing);
  EXPECT_TRUE(failed->state().RegFehler);
  EXPECT_EQ(dialogs->shown,
            (std::vector<Shown>{{ScriptedDialogs::Error, "Windowsregistry acces Error"}}));

  // A 32-bit process on 64-bit Windows 7 does not touch the registry at all.
  bool asked = false;
  auto skipped = create(
      [&asked](uint32_t) -> std::unique_ptr<nx::platform::Registry> {
        asked = true;
        throw nx::platform::RegistryError("no registry");
      },
      true);
  EXPECT_FALSE(asked);
  EXPECT_FALSE(skipped->state().RegFehler);
  EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(MainWindowTest, StartUpCreatesTheWindowsInOrder) {
  nx::ui::ApplicationWindows windows = nx::ui::createApplicationWindows(services());
  EXPECT_EQ(QCoreApplication::applicationName(), "NX_iParameter");
  ASSERT_NE(windows.infoWindow, nullptr);
  EXPECT_FALSE(windows.infoWindow->isVisible());
  EXPECT_EQ(windows.infoWindow->parent(), windows.mainWindow.get());

  // "about NX_iParameter" shows that info window modally.
  windows.mainWindow->findChild<QAction*>("anzeigen1")->trigger();
  EXPECT_EQ(dialogs->shown, (std::vector<Shown>{{ScriptedDialogs::Dialog, "Form_Info_nx"}}));
}

TEST_F(MainWindowTest, EndClosesWithoutAsking) {
  openTemplateXml(nx::test::templateXml(kThree));
  grid()->setCell(1, 1, "55");
  dialogs->shown.clear();
  trigger("beenden1");
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(MainWindowTest, HelpNeedsTheFileBesideTheProgram) {
  trigger("Hilfe1");
  EXPECT_EQ(dialogs->shown,
            (std::vector<Shown>{{ScriptedDialogs::Information, "No Help available"}}));

  // A link counts only when its target exists.
  ASSERT_TRUE(QDir(dir.path()).mkdir("help"));
  const QString chm = dir.filePath("help/NX_iParameter.chm");
  ASSERT_TRUE(QFile::link(dir.filePath("missing.chm"), chm));
  dialogs->shown.clear();
  trigger("Hilfe1");
  EXPECT_EQ(dialogs->shown,
            (std::vector<Shown>{{ScriptedDialogs::Information, "No Help available"}}));

  // With a file there the viewer is asked; one that cannot show it says nothing.
  write("missing.chm", "not a help file");
  dialogs->shown.clear();
  trigger("Hilfe1");
  EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(MainWindowTest, OpenTemplateFillsGridCaptionAndStatus) {
  // A parameter set that is open goes with the new template.
  state().XMLDocument_Parameter.loadFromBuffer("<S><CRC/><PARAMETER/></S>", "old_set.xml");
  child<QLabel>("Label_Comment")->setText("old description");
  child<QLineEdit>("Edit_CRC")->setText("123");

  openTemplateXml(nx::test::templateXml(kThree, "", "norvexa"), "My template.xml");

  EXPECT_TRUE(dialogs->shown.empty());
  ASSERT_EQ(dialogs->openCalls.size(), 1u);
  EXPECT_EQ(dialogs->openCalls[0].folder, dir.path());
  EXPECT_EQ(dialogs->openCalls[0].filter, "iParameter-Template (.xml) (*.xml)");
  EXPECT_TRUE(state().XMLDocument_Vorlage.active());
  EXPECT_EQ(state().VORLAGEKNOTEN, 3);
  EXPECT_FALSE(state().XMLDocument_Parameter.active());
  EXPECT_EQ(state().XMLDocument_Parameter.fileName(), "");

  EXPECT_EQ(window->windowTitle(), "NX_iParameter  <Dev> Release 1.0");
  EXPECT_EQ(status(), "Template: My template.xml  /  Parameter set: ");
  EXPECT_EQ(comment(), "-");
  EXPECT_EQ(crcField(), "");
  EXPECT_EQ(column(0),
            (std::vector<QString>{"Feature", "Speed caption", "Mode caption", "Name caption"}));
  EXPECT_EQ(column(1), (std::vector<QString>{"Value", "10", "Off", "abc"}));
  for (int r = 1; r <= 3; ++r) {
    EXPECT_EQ(grid()->shade(0, r), QColor(192, 192, 192)) << r;
    EXPECT_EQ(grid()->shade(1, r), QColor(255, 255, 255)) << r;
  }
  EXPECT_EQ(grid()->col(), 1);
  EXPECT_EQ(grid()->row(), 1);
  EXPECT_EQ(tooltip(), "Speed tip");
}

TEST_F(MainWindowTest, OpenTemplateCancelledEmptiesOnlyTheCrcField) {
  openTemplateXml(nx::test::templateXml(kThree));
  generate();
  ASSERT_NE(crcField(), "");
  const uint32_t crc = state().CRC32temp;
  const QString title = window->windowTitle();
  const QString text = status();

  trigger("Vorlageoeffnen");  // no answer queued: the user cancels
  EXPECT_EQ(crcField(), "");
  EXPECT_EQ(window->windowTitle(), title);
  EXPECT_EQ(status(), text);
  EXPECT_EQ(state().CRC32temp, crc);
  EXPECT_TRUE(state().XMLDocument_Vorlage.active());
  EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(MainWindowTest, RefusedTemplateClosesTheOldOneButLeavesTheWindow) {
  struct Case {
    const char* what;
    std::string xml;
    const char* message;
  } cases[] = {
      {"another vendor", nx::test::templateXml(kThree, "", "ACME"),
       "This Template is not allowed!"},
      {"vendor with a blank", nx::test::templateXml(kThree, "", "NORVEXA "),
       "This Template is not allowed!"},
      {"no marker", nx::test::templateXml(kThree, "", "NORVEXA", ""),
       "This Template is a set of parameter!"},
      {"empty marker", nx::test::templateXml(kThree, "", "NORVEXA", "<DEFAULT></DEFAULT>"),
       "This Template is a set of parameter!"},
  };
  for (const Case& c : cases) {
    openTemplateXml(nx::test::templateXml(kThree), "good.xml");
    grid()->setCell(1, 1, "77");
    const QString title = window->windowTitle();
    const QString text = status();
    dialogs->shown.clear();

    openTemplateXml(c.xml, "bad.xml");
    EXPECT_EQ(dialogs->shown, (std::vector<Shown>{{ScriptedDialogs::Plain, c.message}})) << c.what;
    EXPECT_FALSE(state().XMLDocument_Vorlage.active()) << c.what;
    EXPECT_EQ(window->windowTitle(), title) << c.what;
    EXPECT_EQ(status(), text) << c.what;
    EXPECT_EQ(column(1), (std::vector<QString>{"Value", "77", "Off", "abc"})) << c.what;

    // The old rows are still shown, but no template is open any more.
    dialogs->shown.clear();
    generate();
    EXPECT_EQ(
        dialogs->shown,
        (std::vector<Shown>{{ScriptedDialogs::Information, "Please first open the template!"}}))
        << c.what;
    EXPECT_EQ(crcField(), "") << c.what;
  }
}

TEST_F(MainWindowTest, ReopeningReadsTheFileAgain) {
  std::vector<Param> params = kThree;
  const QString path = write("t.xml", nx::test::templateXml(params));
  openTemplate(path);
  grid()->setCell(1, 3, "edited");
  params[0].value = "42";
  write("t.xml", nx::test::templateXml(params));
  openTemplate(path);
  EXPECT_EQ(column(1), (std::vector<QString>{"Value", "42", "Off", "abc"}));

  // A shorter template shrinks the grid.
  openTemplateXml(nx::test::templateXml({kThree[1]}), "short.xml");
  EXPECT_EQ(grid()->rowCount(), 2);
  EXPECT_EQ(column(1), (std::vector<QString>{"Value", "Off"}));
  EXPECT_EQ(status(), "Template: short.xml  /  Parameter set: ");
  EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(MainWindowTest, TooltipStaysWhenTheFirstValueCellWasCurrentAlready) {
  openTemplateXml(nx::test::templateXml(kThree), "a.xml");
  EXPECT_EQ(tooltip(), "Speed tip");
  std::vector<Param> other = kThree;
  other[0].tooltip = "Other tip";
  openTemplateXml(nx::test::templateXml(other), "b.xml");
  EXPECT_EQ(tooltip(), "Speed tip");

  grid()->setRow(2);
  openTemplateXml(nx::test::templateXml(other), "b.xml");
  EXPECT_EQ(tooltip(), "Other tip");
}

TEST_F(MainWindowTest, LoadErrorsGoToTheDefaultErrorBox) {
  const std::pair<const char*, std::string> cases[] = {
      {"not well-formed", "<T><CRC><VENDOR>NORVEXA</VENDOR></CRC>"},
      {"empty file", ""},
  };
  for (const auto& [what, content] : cases) {
    openTemplateXml(nx::test::templateXml(kThree), "good.xml");
    const QString bad = write("broken.xml", content);
    std::string expected;
    try {
      nx::XmlDocument probe;
      probe.load(bad.toStdString());
    } catch (const nx::XmlLoadError& e) {
      expected = nx::withFullStop(e.what());
    }
    ASSERT_FALSE(expected.empty()) << what;
    dialogs->shown.clear();

    openTemplate(bad);
    EXPECT_EQ(
        dialogs->shown,
        (std::vector<Shown>{{ScriptedDialogs::DefaultError, QString::fromStdString(expected)}}))
        << what;
    EXPECT_FALSE(state().XMLDocument_Vorlage.active()) << what;
    EXPECT_EQ(grid()->rowCount(), 4) << what;
  }

  // A missing file fails the same way and the program carries on.
  dialogs->shown.clear();
  openTemplate(dir.filePath("nowhere.xml"));
  ASSERT_EQ(dialogs->shown.size(), 1u);
  EXPECT_EQ(dialogs->shown[0].kind, ScriptedDialogs::DefaultError);
  openTemplateXml(nx::test::templateXml(kThree), "good.xml");
  EXPECT_TRUE(state().XMLDocument_Vorlage.active());
}

TEST_F(MainWindowTest, ElementErrorDuringFillingLeavesTheTemplateOpen) {
  std::string xml = nx::test::templateXml(kThree);
  const std::string caption = "<CAPTION>Mode caption</CAPTION>";
  xml.replace(xml.find(caption), caption.size(), "<CAPTION><B>x</B></CAPTION>");
  openTemplateXml(xml);
  ASSERT_EQ(dialogs->shown.size(), 1u);
  EXPECT_EQ(dialogs->shown[0].kind, ScriptedDialogs::DefaultError);
  EXPECT_TRUE(dialogs->shown[0].text.contains("CAPTION"));
  EXPECT_TRUE(dialogs->shown[0].text.endsWith("."));
  EXPECT_TRUE(state().XMLDocument_Vorlage.active());
  // The rows before the faulty one were filled.
  EXPECT_EQ(grid()->cell(1, 1), "10");
}

TEST_F(MainWindowTest, NestedHandlersShowOneErrorBox) {
  // The click on a caption runs the click rule twice, nested; both meet the faulty TOOLTIP.
  std::string xml = nx::test::templateXml(kThree);
  const std::string tip = "<TOOLTIP>Mode tip</TOOLTIP>";
  xml.replace(xml.find(tip), tip.size(), "<TOOLTIP><B>x</B></TOOLTIP>");
  openTemplateXml(xml);
  ASSERT_TRUE(dialogs->shown.empty());
  QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                    grid()->visualRect(grid()->model()->index(1, 0)).center());
  ASSERT_EQ(dialogs->shown.size(), 1u);
  EXPECT_EQ(dialogs->shown[0].kind, ScriptedDialogs::DefaultError);
  EXPECT_TRUE(dialogs->shown[0].text.contains("TOOLTIP"));
  EXPECT_EQ(grid()->row(), 2);

  // The format list clicking the button: the conversion error is shown once, too.
  openTemplateXml(nx::test::templateXml(kThree));
  generate();
  ASSERT_NE(crcField(), "");
  grid()->setCell(1, 1, "1x");
  dialogs->shown.clear();
  pickFormat("HEX");
  EXPECT_EQ(dialogs->shown,
            (std::vector<Shown>{{ScriptedDialogs::DefaultError,
                                 QString::fromUtf8("''1x'' ist kein gültiger Integer-Wert.")}}));
}

TEST_F(MainWindowTest, GenerateCrcWithoutTemplate) {
  generate();
  EXPECT_EQ(
      dialogs->shown,
      (std::vector<Shown>{{ScriptedDialogs::Information, "Please first open the template!"}}));
  EXPECT_EQ(crcField(), "");
  EXPECT_EQ(state().CRC32temp, 0u);
  EXPECT_TRUE(state().Buf.empty());
}

std::vector<Param> bytes123456789() {
  std::vector<Param> params;
  for (int i = 0; i < 9; ++i)
    params.push_back({"B" + std::to_string(i), "BYTE", std::to_string(0x31 + i)});
  return params;
}

TEST_F(MainWindowTest, GenerateCrcWorkedExamples) {
  const std::vector<Param> four = {{"Flag", "BOOL", "On", "Off", "On"},
                                   {"Small", "BYTE", "5"},
                                   {"Mid", "INT", "1000"},
                                   {"Big", "LONG", "100000"}};
  struct Case {
    const char* what;
    std::vector<Param> params;
    std::string endian;
    const char* dec;
    const char* hex;
  } cases[] = {
      {"no rows, big-endian", {}, "BigEndian", "4294967295", "0xFFFFFFFF"},
      {"no rows, little-endian", {}, "", "4294967295", "0xFFFFFFFF"},
      {"four rows, big-endian", four, "BigEndian", "548538125", "0x20B2070D"},
      {"four rows, little-endian", four, "LittleEndian", "3869454344", "0xE6A33008"},
      {"one BYTE 255", {{"B", "BYTE", "255"}}, "BigEndian", "16777215", "0xFFFFFF"},
      {"123456789 big-endian", bytes123456789(), "BigEndian", "873187033", "0x340BC6D9"},
      {"123456789 little-endian", bytes123456789(), "", "3653634868", "0xD9C60B34"},
  };
  for (const Case& c : cases) {
    pickFormat("DEC");
    openTemplateXml(nx::test::templateXml(c.params, c.endian));
    generate();
    EXPECT_EQ(crcField(), c.dec) << c.what;
    EXPECT_EQ(QString::number(state().CRC32temp), c.dec) << c.what;
    // Twice in a row gives the same value.
    generate();
    EXPECT_EQ(crcField(), c.dec) << c.what;
    pickFormat("HEX");
    EXPECT_EQ(crcField(), c.hex) << c.what;
    generate();
    EXPECT_EQ(crcField(), c.hex) << c.what;
    EXPECT_TRUE(dialogs->shown.empty()) << c.what;
  }
}

TEST_F(MainWindowTest, FormatSwitchRunsTheCommandAgain) {
  const std::vector<Param> four = {{"Flag", "BOOL", "On", "Off", "On"},
                                   {"Small", "BYTE", "5"},
                                   {"Mid", "INT", "1000"},
                                   {"Big", "LONG", "100000"}};
  openTemplateXml(nx::test::templateXml(four, "BigEndian"));

  // With the field empty, switching shows nothing and computes nothing.
  pickFormat("HEX");
  EXPECT_EQ(crcField(), "");
  EXPECT_EQ(state().CRC32temp, 0u);
  pickFormat("DEC");
  EXPECT_EQ(crcField(), "");

  generate();
  EXPECT_EQ(crcField(), "548538125");
  // A value changed since (a BOOL edit leaves the field as it is) is part of the new display:
  // the bytes become 00 05 03 E8 00 01 86 A0.
  grid()->setCell(1, 1, "Off");
  pickFormat("HEX");
  EXPECT_EQ(crcField(), "0xEC180793");
  EXPECT_EQ(state().CRC32temp, 0xEC180793u);
}

TEST_F(MainWindowTest, ConversionErrorKeepsFieldAndLastCrc) {
  openTemplateXml(nx::test::templateXml(kThree));
  generate();
  const QString shown = crcField();
  const uint32_t crc = state().CRC32temp;
  ASSERT_NE(shown, "");

  grid()->setCell(1, 1, "12abc");
  generate();
  EXPECT_EQ(dialogs->shown,
            (std::vector<Shown>{{ScriptedDialogs::DefaultError,
                                 QString::fromUtf8("''12abc'' ist kein gültiger Integer-Wert.")}}));
  EXPECT_EQ(crcField(), shown);
  EXPECT_EQ(state().CRC32temp, crc);

  // The program carries on: a good value computes again.
  grid()->setCell(1, 1, "10");
  generate();
  EXPECT_EQ(crcField(), shown);
}

TEST_F(MainWindowTest, ClickRuleMovesToTheValueColumnAndShowsTheTooltip) {
  // Before any template the click empties the tooltip box.
  QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                    grid()->visualRect(grid()->model()->index(0, 0)).center());
  EXPECT_EQ(tooltip(), "");
  EXPECT_EQ(grid()->col(), 1);

  std::vector<Param> params = {
      {"Int", "INT", "1", "0", "9", "Yes", "t1"},
      {"BoolNo", "BOOL", "On", "Off", "On", "No", "t2"},
      {"Boolno", "BOOL", "On", "Off", "On", "no", "t3"},
      {"IntNo", "INT", "1", "0", "9", "No", "t4"},
  };
  openTemplateXml(nx::test::templateXml(params));
  const struct {
    int row;
    bool editing;
  } cases[] = {{2, false}, {1, true}, {3, true}, {2, false}, {4, true}};
  for (const auto& c : cases) {
    grid()->setShade(1, c.row, Qt::red);
    // A click on the caption ends in the value cell of the same row.
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                      grid()->visualRect(grid()->model()->index(c.row - 1, 0)).center());
    EXPECT_EQ(grid()->col(), 1) << c.row;
    EXPECT_EQ(grid()->row(), c.row) << c.row;
    EXPECT_EQ(tooltip(), QString("t%1").arg(c.row)) << c.row;
    EXPECT_EQ(grid()->editing(), c.editing) << c.row;
    EXPECT_EQ(grid()->shade(1, c.row), QColor(Qt::white)) << c.row;
  }
  EXPECT_TRUE(dialogs->shown.empty());
}

}  // namespace
