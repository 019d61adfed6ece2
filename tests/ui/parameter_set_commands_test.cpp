// "Open parameter set" and "Save parameter set" in the real main window, and the description
// dialog.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDate>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>
#include <QPushButton>
#include <QTimer>
#include <csignal>
#include <functional>
#include <optional>

#include "documents/parameter_set_writer.h"
#include "documents/xml_document.h"
#include "gui_support.h"
#include "ui/dialogs.h"
#include "ui/input_box.h"
#include "window_fixture.h"

namespace {

using nx::test::Param;
using nx::test::ScriptedDialogs;
using Shown = ScriptedDialogs::Shown;

const std::vector<Param> kParams = {
    {"Speed", "INT", "10", "0", "100", "Yes", "Speed tip"},
    {"Mode", "BOOL", "Off", "Off", "On", "Yes", "Mode tip"},
    {"Name", "STRING", "abc", "", "", "Yes", "Name tip"},
    {"Gain", "FLOAT", "1", "0", "10", "Yes", "Gain tip"},
};

const QColor kRed(255, 0, 0);
QColor windowColour() { return QPalette().color(QPalette::Base); }

// One entry of a hand-written set; no value leaves the entry without "VALUE".
struct Entry {
  std::string name;
  std::optional<std::string> value;
};

std::string setXml(const std::vector<Entry>& entries, const std::string& vendor = "NORVEXA",
                   const std::string& comment = "hand-written", const std::string& extra = "") {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><IPAR_CRC><CRC><VALUE>0</VALUE>"
      "<VERSION>1.0</VERSION><DEVICE>Dev</DEVICE><VENDOR>" +
      vendor + "</VENDOR><COMMENT>" + comment + "</COMMENT>" + extra + "</CRC><PARAMETER>";
  for (const Entry& e : entries) {
    xml += "<" + e.name + ">";
    if (e.value) xml += "<VALUE>" + *e.value + "</VALUE>";
    xml += "</" + e.name + ">";
  }
  return xml + "</PARAMETER></IPAR_CRC>";
}

std::vector<Entry> fullSet() {
  return {{"Speed", "50"}, {"Mode", "1"}, {"Name", "from set"}, {"Gain", "3"}};
}

class ParameterSetTest : public nx::test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    openTemplateXml(nx::test::templateXml(kParams), "template.xml");
  }

  void save(const QString& description, const QString& answer) {
    dialogs->inputAnswers.push_back(description);
    dialogs->saveAnswers.push_back(answer);
    trigger("Parametersatzspeichern1");
  }
  void openSet(const QString& path) {
    dialogs->openAnswers.push_back(path);
    trigger("Parametersatzoeffnen");
  }
  // Every name in the folder, folders included: a temporary file left behind shows here.
  QStringList listing(const QString& folder = {}) {
    return QDir(folder.isEmpty() ? dir.path() : folder)
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  }
  static std::string storedCrc(const QString& path) {
    nx::XmlDocument doc;
    doc.load(path.toStdString());
    return std::string(doc.root().child("CRC").child("VALUE").text());
  }
};

TEST_F(ParameterSetTest, SaveAndReopenGiveTheSameValues) {
  const QString name = QString::fromUtf8("a<b & c \xC3\xA4\xE2\x82\xAC");
  const QString description = QString::fromUtf8(
      "\xC3\x9C"
      "ber <&> 'quoted'");
  const std::vector<QString> values = {"Value", "0x1F", "On", name, "2"};
  for (int r = 1; r <= 4; ++r) grid()->setCell(1, r, values[static_cast<size_t>(r)]);

  const QString path = dir.filePath("Set one.xml");
  save(description, path);
  EXPECT_TRUE(dialogs->shown.empty()) << dialogs->shown.front();
  ASSERT_EQ(dialogs->inputCalls.size(), 1u);
  EXPECT_EQ(dialogs->inputCalls[0].caption, "Parameter set description");
  EXPECT_EQ(dialogs->inputCalls[0].prompt, "Please enter a description");
  EXPECT_EQ(dialogs->inputCalls[0].maxLength, 255);
  ASSERT_EQ(dialogs->saveCalls.size(), 1u);
  EXPECT_EQ(dialogs->saveCalls[0].folder, dir.path());
  EXPECT_EQ(dialogs->saveCalls[0].filter, "iParameter (.xml) (*.xml)");
  EXPECT_EQ(dialogs->saveCalls[0].captionOrSuffix, "xml");
  EXPECT_EQ(status(), "Template: template.xml  /  Parameter set: Set one.xml");
  EXPECT_EQ(comment(), description);
  EXPECT_EQ(crcField(), "");
  EXPECT_EQ(state().XMLDocument_Parameter_speichern.fileName(), path.toStdString());

  // Saved again unchanged, the file is the same to the byte.
  const QByteArray first = read(path);
  save(description, path);
  EXPECT_EQ(read(path), first);

  // A new template brings the defaults back; the set lays the saved values over them.
  openTemplateXml(nx::test::templateXml(kParams), "template.xml");
  grid()->setRow(3);
  ASSERT_EQ(column(1), (std::vector<QString>{"Value", "10", "Off", "abc", "1"}));
  child<QLineEdit>("Edit_CRC")->setText("1234");
  openSet(path);
  EXPECT_TRUE(dialogs->shown.empty()) << dialogs->shown.front();
  ASSERT_EQ(dialogs->openCalls.size(), 3u);
  EXPECT_EQ(dialogs->openCalls[2].folder, dir.path());
  EXPECT_EQ(dialogs->openCalls[2].filter, "iParameter-Parameter (.xml) (*.xml)");
  EXPECT_EQ(column(1), values);
  EXPECT_EQ(comment(), description);
  EXPECT_EQ(status(), "Template: template.xml  /  Parameter set: Set one.xml");
  EXPECT_EQ(crcField(), "");
  EXPECT_EQ(grid()->row(), 1);
  EXPECT_EQ(grid()->col(), 1);
  EXPECT_EQ(tooltip(), "Speed tip");
  // Row 1 became current, which shades it white; the others show that they were reached.
  EXPECT_EQ(grid()->shade(1, 1), QColor(255, 255, 255));
  for (int r = 2; r <= 4; ++r) EXPECT_EQ(grid()->shade(1, r), windowColour()) << r;

  // The stored CRC is the one these values give.
  generate();
  EXPECT_EQ(crcField().toStdString(), storedCrc(path));
}

TEST_F(ParameterSetTest, StoredCrcIsComputedFromTheValuesBeingSaved) {
  generate();
  const QString earlier = crcField();
  grid()->setCell(1, 1, "20");
  const QString path = dir.filePath("set.xml");
  save("edited after the CRC", path);
  EXPECT_TRUE(dialogs->shown.empty()) << dialogs->shown.front();
  EXPECT_EQ(crcField(), "");
  const std::string stored = storedCrc(path);
  EXPECT_NE(stored, earlier.toStdString());
  EXPECT_EQ(std::to_string(state().CRC32temp), stored);
  generate();
  EXPECT_EQ(crcField().toStdString(), stored);
}

TEST_F(ParameterSetTest, BothCommandsNeedATemplate) {
  const QString path = write("set.xml", setXml(fullSet()));
  for (const char* action : {"Parametersatzoeffnen", "Parametersatzspeichern1"}) {
    window = create();
    child<QLineEdit>("Edit_CRC")->setText("1234");
    dialogs->openAnswers.push_back(path);
    dialogs->inputAnswers.push_back("description");
    dialogs->saveAnswers.push_back(dir.filePath("new.xml"));
    trigger(action);
    EXPECT_EQ(dialogs->shown,
              (std::vector<Shown>{{ScriptedDialogs::Information, "At first open the template!"}}))
        << action;
    EXPECT_TRUE(dialogs->openCalls.empty()) << action;
    EXPECT_TRUE(dialogs->inputCalls.empty()) << action;
    EXPECT_TRUE(dialogs->saveCalls.empty()) << action;
    EXPECT_EQ(crcField(), "") << action;
    EXPECT_EQ(column(1), (std::vector<QString>{"Value", ""})) << action;
    EXPECT_EQ(comment(), "-") << action;
    EXPECT_EQ(status(), "Open XML template!") << action;
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("new.xml")));
}

TEST_F(ParameterSetTest, OpenRefusesSetsThatDoNotFit) {
  std::vector<Entry> oneMore = fullSet();
  oneMore.push_back({"Extra", "1"});
  std::vector<Entry> oneLess = fullSet();
  oneLess.pop_back();
  struct Case {
    const char* what;
    std::string xml;
    const char* message;  // nullptr: accepted
  } cases[] = {
      {"another vendor", setXml(fullSet(), "ACME"), "This Template is not allowed!"},
      {"no vendor", setXml(fullSet(), ""), "This Template is not allowed!"},
      {"one parameter more", setXml(oneMore), "Wrong parameter set"},
      {"one parameter less", setXml(oneLess), "Wrong parameter set"},
      {"a template", nx::test::templateXml(kParams), "This XML file is a Template!"},
      {"empty template marker", setXml(fullSet(), "NORVEXA", "c", "<DEFAULT></DEFAULT>"), nullptr},
      {"vendor in lower case", setXml(fullSet(), "norvexa"), nullptr},
  };
  for (const Case& c : cases) {
    openTemplateXml(nx::test::templateXml(kParams), "template.xml");
    openSet(write("good.xml", setXml(fullSet(), "NORVEXA", "good set")));
    grid()->setCell(1, 3, "edited");
    generate();
    ASSERT_NE(crcField(), "") << c.what;
    const std::vector<QString> before = column(1);
    const QString statusBefore = status();
    dialogs->shown.clear();

    openSet(write("candidate.xml", c.xml));
    EXPECT_EQ(crcField(), "") << c.what;
    if (c.message) {
      EXPECT_EQ(dialogs->shown, (std::vector<Shown>{{ScriptedDialogs::Plain, c.message}}))
          << c.what;
      EXPECT_EQ(column(1), before) << c.what;
      EXPECT_EQ(status(), statusBefore) << c.what;
      EXPECT_EQ(comment(), "good set") << c.what;
    } else {
      EXPECT_TRUE(dialogs->shown.empty()) << c.what << ": " << dialogs->shown.front();
      EXPECT_EQ(column(1), (std::vector<QString>{"Value", "50", "On", "from set", "3"})) << c.what;
      EXPECT_EQ(status(), "Template: template.xml  /  Parameter set: candidate.xml") << c.what;
    }
  }
}

TEST_F(ParameterSetTest, OpenErrorsGoToTheDefaultErrorBox) {
  grid()->setCell(1, 1, "77");
  for (const std::string& content : {std::string("<IPAR_CRC><CRC>"), std::string()}) {
    dialogs->shown.clear();
    openSet(write("broken.xml", content));
    ASSERT_EQ(dialogs->shown.size(), 1u);
    EXPECT_EQ(dialogs->shown[0].kind, ScriptedDialogs::DefaultError);
    EXPECT_EQ(grid()->cell(1, 1), "77");
    EXPECT_EQ(comment(), "-");
  }
  // The dialog cancelled: nothing but the emptied CRC field.
  generate();
  dialogs->shown.clear();
  trigger("Parametersatzoeffnen");
  EXPECT_TRUE(dialogs->shown.empty());
  EXPECT_EQ(crcField(), "");
  EXPECT_EQ(grid()->cell(1, 1), "77");
}

TEST_F(ParameterSetTest, OpeningTheSameFileAgainReadsItAgain) {
  const QString path = write("set.xml", setXml(fullSet()));
  openSet(path);
  EXPECT_EQ(grid()->cell(1, 1), "50");
  std::vector<Entry> changed = fullSet();
  changed[0].value = "60";
  write("set.xml", setXml(changed));
  openSet(path);
  EXPECT_EQ(grid()->cell(1, 1), "60");
}

TEST_F(ParameterSetTest, BoolEntriesShowMaxForOneAndMinForAnythingElse) {
  const struct {
    const char* what;
    std::optional<std::string> value;
    const char* shown;
  } cases[] = {
      {"1", "1", "On"},
      {"0", "0", "Off"},
      {"empty", "", "Off"},
      {"no VALUE", std::nullopt, "Off"},
      {"the MAX text", "On", "Off"},
      {"1 with a blank", " 1", "Off"},
  };
  for (const auto& c : cases) {
    grid()->setCell(1, 2, "neither");
    std::vector<Entry> entries = fullSet();
    entries[1].value = c.value;
    openSet(write("bool.xml", setXml(entries)));
    EXPECT_EQ(grid()->cell(1, 2), c.shown) << c.what;
    EXPECT_TRUE(dialogs->shown.empty()) << c.what;
  }
}

TEST_F(ParameterSetTest, UnknownEntryIsSkippedAndItsRowStaysRed) {
  grid()->setCell(1, 3, "kept");
  openSet(write("unknown.xml",
                setXml({{"Speed", "50"}, {"Mode", "1"}, {"Nmae", "lost"}, {"Gain", "3"}})));
  EXPECT_EQ(dialogs->shown,
            (std::vector<Shown>{{ScriptedDialogs::Plain, "The Parameters Nmae does not match"}}));
  EXPECT_EQ(column(1), (std::vector<QString>{"Value", "50", "On", "kept", "3"}));
  EXPECT_EQ(grid()->shade(1, 3), kRed);
  EXPECT_EQ(grid()->shade(1, 2), windowColour());
  EXPECT_EQ(grid()->shade(1, 4), windowColour());
  EXPECT_EQ(comment(), "hand-written");
}

TEST_F(ParameterSetTest, EntriesInAnotherOrderReachTheirRows) {
  openSet(write("reversed.xml",
                setXml({{"Gain", "3"}, {"Name", "from set"}, {"Mode", "1"}, {"Speed", "50"}})));
  EXPECT_TRUE(dialogs->shown.empty()) << dialogs->shown.front();
  EXPECT_EQ(column(1), (std::vector<QString>{"Value", "50", "On", "from set", "3"}));
  for (int r = 2; r <= 4; ++r) EXPECT_EQ(grid()->shade(1, r), windowColour()) << r;
}

TEST_F(ParameterSetTest, FileNameAndExtensionRules) {
  ASSERT_TRUE(QDir(dir.path()).mkdir("old.txt"));
  const struct {
    const char* chosen;
    const char* written;  // nullptr: refused
  } cases[] = {
      {"a.xml", nullptr},
      {"a", nullptr},
      {".xml", nullptr},
      {"ab.xml", "ab.xml"},
      {"ab", "ab.xml"},
      {"Set.XML", "Set.xml"},
      {"Set.txt", "Set.xml"},
      {"my.set.XML", "my.set.xml"},
      {"old.txt/Set.txt", "old.txt/Set.xml"},
  };
  for (const auto& c : cases) {
    const QString statusBefore = status();
    const QStringList before = listing();
    dialogs->shown.clear();
    save("a description", dir.filePath(c.chosen));
    if (!c.written) {
      EXPECT_EQ(dialogs->shown,
                (std::vector<Shown>{{ScriptedDialogs::Plain,
                                     "You must enter at least more then one character for the "
                                     "filename"}}))
          << c.chosen;
      EXPECT_EQ(listing(), before) << c.chosen;
      EXPECT_EQ(status(), statusBefore) << c.chosen;
      continue;
    }
    EXPECT_TRUE(dialogs->shown.empty()) << c.chosen;
    const QString written = dir.filePath(c.written);
    EXPECT_TRUE(QFile::exists(written)) << c.chosen;
    EXPECT_EQ(status(),
              "Template: template.xml  /  Parameter set: " + QFileInfo(written).fileName())
        << c.chosen;
    // The name as chosen is never written when it differs.
    if (QString(c.chosen) != c.written) {
      EXPECT_FALSE(QFile::exists(dir.filePath(c.chosen))) << c.chosen;
    }
    QFile::remove(written);
  }
  EXPECT_TRUE(QFileInfo(dir.filePath("old.txt")).isDir());
}

TEST_F(ParameterSetTest, DescriptionRules) {
  const struct {
    QString description;
    bool accepted;
  } cases[] = {
      {"x", false},
      {"xy", true},
      {"  ", true},
      {QString::fromUtf8("\xC3\xA4"), false},
      {QString::fromUtf8("\xC3\xA4\xC3\xB6"), true},
  };
  for (const auto& c : cases) {
    dialogs->shown.clear();
    dialogs->saveCalls.clear();
    const QString path = dir.filePath("described.xml");
    QFile::remove(path);
    save(c.description, path);
    if (c.accepted) {
      EXPECT_TRUE(dialogs->shown.empty()) << c.description.toStdString();
      EXPECT_TRUE(QFile::exists(path)) << c.description.toStdString();
      EXPECT_EQ(comment(), c.description);
    } else {
      EXPECT_EQ(dialogs->shown,
                (std::vector<Shown>{{ScriptedDialogs::Plain,
                                     "You must enter at least more then one character for the "
                                     "description"}}))
          << c.description.toStdString();
      // The file dialog is not even shown.
      EXPECT_TRUE(dialogs->saveCalls.empty()) << c.description.toStdString();
      dialogs->saveAnswers.clear();
      EXPECT_FALSE(QFile::exists(path)) << c.description.toStdString();
    }
  }

  // Cancelling the description ends the save without a word.
  dialogs->shown.clear();
  dialogs->saveCalls.clear();
  generate();
  trigger("Parametersatzspeichern1");
  EXPECT_TRUE(dialogs->shown.empty());
  EXPECT_TRUE(dialogs->saveCalls.empty());
  EXPECT_EQ(crcField(), "");
  // And so does cancelling the file dialog.
  dialogs->inputAnswers.push_back("described");
  trigger("Parametersatzspeichern1");
  EXPECT_TRUE(dialogs->shown.empty());
  EXPECT_EQ(dialogs->saveCalls.size(), 1u);
}

TEST_F(ParameterSetTest, BoolCellWithNeitherTextIsSavedWithoutValue) {
  grid()->setCell(1, 2, "Maybe");
  const QString path = dir.filePath("tabular.xml");
  save("bool cell", path);
  EXPECT_EQ(dialogs->shown, (std::vector<Shown>{{ScriptedDialogs::Plain, "Tabular value False!"}}));
  ASSERT_TRUE(QFile::exists(path));
  EXPECT_FALSE(read(path).contains("<Mode>\n      <VALUE>"));
  dialogs->shown.clear();
  openSet(path);
  EXPECT_EQ(grid()->cell(1, 2), "Off");
}

// A failed save tells why in the default error box and leaves the folder as it was: the earlier
// file byte for byte, no temporary file, and the window's texts unchanged.
TEST_F(ParameterSetTest, FailedSaveKeepsTheEarlierFile) {
  const QString path = dir.filePath("set.xml");
  save("earlier", path);
  ASSERT_TRUE(dialogs->shown.empty());
  const QByteArray earlier = read(path);
  ASSERT_FALSE(earlier.isEmpty());
  const uint32_t earlierCrc = state().CRC32temp;

  struct Case {
    const char* what;
    QString target;
    std::function<void()> before;
    std::function<void()> after;
    QString expected;  // what the box says, or a part of it when `partly`
    bool partly;
  } cases[] = {
      {"value that cannot be encoded", path, [this] { grid()->setCell(1, 1, "12abc"); },
       [this] { grid()->setCell(1, 1, "10"); },
       QString::fromUtf8("''12abc'' ist kein gültiger Integer-Wert."), false},
      {"missing folder", dir.filePath("missing/set.xml"), [] {}, [] {},
       "could not be saved: No such file or directory", true},
      {"disk full", path,
       [] {
         std::signal(SIGXFSZ, SIG_IGN);
         rlimit limit{};
         ::getrlimit(RLIMIT_FSIZE, &limit);
         limit.rlim_cur = 64;
         ::setrlimit(RLIMIT_FSIZE, &limit);
       },
       [] {
         rlimit limit{};
         ::getrlimit(RLIMIT_FSIZE, &limit);
         limit.rlim_cur = limit.rlim_max;
         ::setrlimit(RLIMIT_FSIZE, &limit);
         std::signal(SIGXFSZ, SIG_DFL);
       },
       "could not be saved: File too large", true},
  };
  for (const Case& c : cases) {
    const QStringList before = listing();
    dialogs->shown.clear();
    c.before();
    save("later", c.target);
    c.after();
    ASSERT_EQ(dialogs->shown.size(), 1u) << c.what;
    EXPECT_EQ(dialogs->shown[0].kind, ScriptedDialogs::DefaultError) << c.what;
    if (c.partly) {
      EXPECT_TRUE(dialogs->shown[0].text.contains(c.expected)) << c.what << dialogs->shown[0];
    } else {
      EXPECT_EQ(dialogs->shown[0].text, c.expected) << c.what;
    }
    EXPECT_EQ(read(path), earlier) << c.what;
    EXPECT_EQ(listing(), before) << c.what;
    EXPECT_EQ(comment(), "earlier") << c.what;
    EXPECT_EQ(status(), "Template: template.xml  /  Parameter set: set.xml") << c.what;
    EXPECT_EQ(crcField(), "") << c.what;
  }
  // The encoding failed before a CRC was computed: the last one stands.
  EXPECT_EQ(state().CRC32temp, earlierCrc);
}

TEST_F(ParameterSetTest, FailedSaveInAFolderWithoutWritePermission) {
  const QString folder = dir.filePath("locked");
  ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
  const QString path = folder + "/set.xml";
  save("earlier", path);
  const QByteArray earlier = read(path);
  const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                   QFileDevice::ReadOther | QFileDevice::ExeOther;
  ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                QFileDevice::ReadOther | QFileDevice::ExeOther));
  // File modes do not bind the superuser: the save then runs as an ordinary user.
  const bool asRoot = ::geteuid() == 0;
  if (asRoot) {
    ASSERT_TRUE(QFile::setPermissions(dir.path(), all));
    ASSERT_EQ(::seteuid(65534), 0);
  }
  dialogs->shown.clear();
  save("later", path);
  if (asRoot) {
    ASSERT_EQ(::seteuid(0), 0);
  }
  QFile::setPermissions(folder, all);
  ASSERT_EQ(dialogs->shown.size(), 1u);
  EXPECT_EQ(dialogs->shown[0].kind, ScriptedDialogs::DefaultError);
  EXPECT_TRUE(dialogs->shown[0].text.contains("could not be saved")) << dialogs->shown[0];
  EXPECT_EQ(read(path), earlier);
  EXPECT_EQ(listing(folder), QStringList{"set.xml"});
  EXPECT_EQ(comment(), "earlier");
}

TEST_F(ParameterSetTest, EntryThatIsNoElementStopsTheSave) {
  std::string xml = nx::test::templateXml(kParams);
  xml.insert(xml.find("<Mode>"), "<!-- a note -->");
  openTemplateXml(xml, "noted.xml");
  dialogs->shown.clear();
  const QString path = dir.filePath("noted_set.xml");
  save("with a note", path);
  ASSERT_EQ(dialogs->shown.size(), 1u);
  EXPECT_EQ(dialogs->shown[0].kind, ScriptedDialogs::DefaultError);
  EXPECT_TRUE(dialogs->shown[0].text.contains("entry 2")) << dialogs->shown[0];
  EXPECT_FALSE(QFile::exists(path));
}

// The real description dialog, answered by keys while it runs.
class DescriptionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { nx::test::guiApp(); }

  // Runs `act` on the dialog as soon as it is shown.
  static void whenShown(std::function<void(QDialog&)> act) {
    QTimer::singleShot(0, [act] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      act(*dialog);
    });
  }
};

TEST_F(DescriptionDialogTest, StartsFromTodaysDateSelected) {
  const QString today = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
  QString value = "ignored";
  whenShown([&today](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Parameter set description");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    auto* prompt = dialog.findChild<QLabel*>("Prompt");
    auto* edit = dialog.findChild<QLineEdit*>("Edit");
    auto* ok = dialog.findChild<QPushButton*>("OK");
    auto* cancel = dialog.findChild<QPushButton*>("Cancel");
    ASSERT_TRUE(prompt && edit && ok && cancel);
    EXPECT_EQ(prompt->text(), "Please enter a description");
    EXPECT_EQ(edit->text(), today);
    EXPECT_EQ(edit->selectedText(), today);
    EXPECT_EQ(edit->maxLength(), 255);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(cancel->isDefault());
    // Label above the edit box, buttons below it, side by side, all inside the dialog.
    EXPECT_EQ(prompt->x(), edit->x());
    EXPECT_LT(prompt->geometry().bottom(), edit->y());
    EXPECT_LT(edit->geometry().bottom(), ok->y());
    EXPECT_LT(ok->geometry().right(), cancel->x());
    EXPECT_TRUE(dialog.rect().contains(cancel->geometry()));
    EXPECT_TRUE(dialog.rect().contains(edit->geometry()));
    // Typing replaces the selected date; Enter is OK.
    QTest::keyClicks(edit, "Commissioning run");
    QTest::keyClick(edit, Qt::Key_Return);
  });
  nx::ui::QtDialogs dialogs;
  std::optional<QString> answer =
      dialogs.inputText("Parameter set description", "Please enter a description", value, 255);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, "Commissioning run");

  // Only 255 characters go in.
  whenShown([](QDialog& dialog) {
    auto* edit = dialog.findChild<QLineEdit*>("Edit");
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, QString(300, 'x'));
    QTest::keyClick(edit, Qt::Key_Return);
  });
  ASSERT_TRUE(nx::ui::MyInputBox("Parameter set description", "Please enter a description", value));
  EXPECT_EQ(value, QString(255, 'x'));
}

TEST_F(DescriptionDialogTest, CancelLeavesTheValue) {
  const struct {
    const char* what;
    std::function<void(QDialog&)> act;
  } cases[] = {
      {"Esc",
       [](QDialog& dialog) {
         auto* edit = dialog.findChild<QLineEdit*>("Edit");
         ASSERT_NE(edit, nullptr);
         QTest::keyClicks(edit, "typed");
         QTest::keyClick(edit, Qt::Key_Escape);
       }},
      {"Cancel button",
       [](QDialog& dialog) {
         auto* cancel = dialog.findChild<QPushButton*>("Cancel");
         ASSERT_NE(cancel, nullptr);
         QTest::mouseClick(cancel, Qt::LeftButton);
       }},
  };
  for (const auto& c : cases) {
    QString value = "before";
    whenShown(c.act);
    EXPECT_FALSE(nx::ui::MyInputBox("Caption", "Prompt", value)) << c.what;
    EXPECT_EQ(value, "before") << c.what;
    // Built and destroyed within the call.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << c.what;
  }
}

}  // namespace
