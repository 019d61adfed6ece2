// The template's editing rules as a user meets them in the main window: real clicks and keys on
// the grid, the balloon, the editing switch, the tooltip box and the CRC field.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include "gui_support.h"
#include "ui/balloon.h"
#include "ui/string_grid.h"
#include "window_fixture.h"

namespace {

using nx::test::Param;
using nx::test::ScriptedDialogs;

// Row numbers of kRows, as the grid counts them.
enum Row {
  kInt = 1,
  kLockedInt,
  kNoMin,
  kBigMax,
  kReal,
  kHalves,
  kSwitch,
  kFixed,
  kLowerNo,
  kLabel,
  kNegative,
  kBadMin,
  kLast = kBadMin
};

const std::vector<Param> kRows = {
    {"Int", "INT", "10", "0", "100", "Yes", "Int tip"},
    {"LockedInt", "INT", "10", "0", "100", "No", "LockedInt tip"},
    {"NoMin", "INT", "10", "", "100", "Yes", "NoMin tip"},
    {"BigMax", "UDOUBLE", "5", "0", "4294967295", "Yes", "BigMax tip"},
    {"Real", "FLOAT", "1", "0", "10", "Yes", "Real tip"},
    {"Halves", "FLOAT", "1", "0.5", "2.5", "Yes", "Halves tip"},
    {"Switch", "BOOL", "Off", "Off", "On", "Yes", "Switch tip"},
    {"Fixed", "BOOL", "On", "Off", "On", "No", "Fixed tip"},
    {"LowerNo", "BOOL", "Off", "Off", "On", "no", "LowerNo tip"},
    {"Label", "STRING", "abc", "", "", "No", "Label tip"},
    {"Negative", "INT", "-5", "-10", "-1", "Yes", "Negative tip"},
    {"BadMin", "INT", "10", "<B>0</B>", "100", "Yes", "BadMin tip"},
};

// kRows with the MIN element of "NoMin" left out, not merely empty.
std::string rowsTemplate() {
  std::string xml = nx::test::templateXml(kRows);
  const size_t entry = xml.find("<NoMin>");
  const size_t min = xml.find("<MIN></MIN>", entry);
  xml.erase(min, std::string("<MIN></MIN>").size());
  return xml;
}

QString defaultOf(int row) {
  return QString::fromStdString(kRows[static_cast<size_t>(row - 1)].value);
}

const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);

class CellEditingTest : public nx::test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    grid()->setFocus();
    localeBefore = QLocale();
    setDecimalSeparator('.');
  }
  void TearDown() override { QLocale::setDefault(localeBefore); }

  static void setDecimalSeparator(char separator) {
    QLocale::setDefault(separator == ',' ? QLocale(QLocale::German, QLocale::Germany)
                                         : QLocale(QLocale::English, QLocale::UnitedStates));
  }
  void openRows() { openTemplateXml(rowsTemplate(), "rows.xml"); }

  QPoint centreOf(int col, int row) {
    return grid()->visualRect(grid()->model()->index(row - 1, col)).center();
  }
  void clickCell(int col, int row) {
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, centreOf(col, row));
  }
  static QWidget* focused() { return QApplication::focusWidget(); }
  // Press and release, each going where the focus is at that moment, as the keyboard's would.
  void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* target = focused() ? focused() : grid();
    QTest::keyPress(target, k, modifiers);
    target = focused() ? focused() : grid();
    QTest::keyRelease(target, k, modifiers);
    QCoreApplication::processEvents();
  }
  // F2 on the current cell, as a user asks for the editor; true when one opened.
  bool openEditor() {
    key(Qt::Key_F2);

    return grid()->editor() != nullptr;
  }
  // Replaces the editor's text by `text` and commits it with Enter.
  bool commit(const QString& text) {
    if (!openEditor()) return false;
    auto* line = qobject_cast<QLineEdit*>(grid()->editor());
    if (!line) return false;
    line->selectAll();
    key(Qt::Key_Backspace);
    QTest::keyClicks(line, text);
    key(Qt::Key_Return);
    return true;
  }
  bool balloonShown() { return grid()->balloon() && grid()->balloon()->isVisible(); }
  QString balloonTitle() { return balloonShown() ? grid()->balloon()->title() : QString(); }
  QString balloonText() { return balloonShown() ? grid()->balloon()->text() : QString(); }

  QLocale localeBefore;
};

TEST_F(CellEditingTest, CommittingAChangedValue) {
  struct Case {
    const char* what;
    int row;
    char separator;
    QString typed;
    bool accepted;
    QString title;
    QString text;
    bool emptiesCrc;
    bool shadesWhite;
  } cases[] = {
      {"integer at MAX", kInt, '.', "100", true, "", "", true, true},
      {"integer at MIN", kInt, '.', "0", true, "", "", true, true},
      {"integer above MAX", kInt, '.', "101", false, "Input error",
       "Value is not in valid range. Min: 0 Max: 100", true, true},
      {"integer below MIN", kInt, '.', "-1", false, "Input error",
       "Value is not in valid range. Min: 0 Max: 100", true, true},
      {"hexadecimal kept as typed", kInt, '.', "0x10", true, "", "", true, true},
      {"leading blank", kInt, '.', " 12", true, "", "", true, true},
      {"trailing blank", kInt, '.', "12 ", false, "Entry error", "Only integer are allowed", true,
       true},
      {"letters after digits", kInt, '.', "12abc", false, "Entry error", "Only integer are allowed",
       true, true},
      {"empty text", kInt, '.', "", false, "Entry error", "Only integer are allowed", true, true},
      {"locked, in range", kLockedInt, '.', "50", false, "Error",
       "Is not allowed to change the value", true, true},
      {"locked, no number", kLockedInt, '.', "abc", false, "Entry error",
       "Only integer are allowed", true, true},
      {"MIN element missing", kNoMin, '.', "50", false, "Entry error", "Only integer are allowed",
       true, true},
      {"MAX beyond 32 bits", kBigMax, '.', "6", false, "Entry error", "Only integer are allowed",
       true, true},
      {"negative limits", kNegative, '.', "0", false, "Input error",
       "Value is not in valid range. Min: -10 Max: -1", true, true},
      {"MIN holding an element", kBadMin, '.', "50", false, "Entry error",
       "Only integer are allowed", true, true},
      {"FLOAT with a point", kReal, '.', "2.5", true, "", "", true, true},
      {"FLOAT exponent at MAX", kReal, '.', "1e1", true, "", "", true, true},
      {"FLOAT above MAX", kReal, '.', "10.5", false, "Entry error",
       "Value is not in valid range. Min: 0 Max: 10", true, true},
      {"FLOAT no number", kReal, '.', "abc", false, "Entry Error", "Only integer are allowed", true,
       true},
      {"FLOAT point on a comma system", kReal, ',', "2.5", false, "Entry Error",
       "Only integer are allowed", true, true},
      {"FLOAT comma on a comma system", kReal, ',', "2,5", true, "", "", true, true},
      {"FLOAT limits rounded half to even", kHalves, '.', "3", false, "Entry error",
       "Value is not in valid range. Min: 0 Max: 2", true, true},
      {"FLOAT limits with points on a comma system", kHalves, ',', "2", false, "Entry Error",
       "Only integer are allowed", true, true},
      {"BOOL locked by \"no\"", kLowerNo, '.', "On", false, "Error",
       "Is not allowed to change the value", false, true},
      {"STRING locked, any text", kLabel, '.', "x <&> y", true, "", "", false, false},
  };
  for (const Case& c : cases) {
    setDecimalSeparator(c.separator);
    openRows();
    generate();
    const QString crc = crcField();
    ASSERT_NE(crc, "") << c.what;
    clickCell(1, c.row);
    ASSERT_EQ(grid()->row(), c.row) << c.what;
    grid()->setShade(1, c.row, kRed);

    ASSERT_TRUE(commit(c.typed)) << c.what;
    EXPECT_EQ(grid()->cell(1, c.row), c.accepted ? c.typed : defaultOf(c.row)) << c.what;
    EXPECT_EQ(balloonShown(), !c.accepted) << c.what;
    EXPECT_EQ(balloonTitle(), c.title) << c.what;
    EXPECT_EQ(balloonText(), c.text) << c.what;
    // A rejection puts the earlier text back into an editor on the same cell.
    EXPECT_EQ(grid()->row(), c.row) << c.what;
    EXPECT_EQ(grid()->col(), 1) << c.what;
    auto* reopened = qobject_cast<QLineEdit*>(grid()->editor());
    EXPECT_EQ(reopened != nullptr, !c.accepted) << c.what;
    if (reopened) {
      EXPECT_EQ(reopened->text(), defaultOf(c.row)) << c.what;
    }
    EXPECT_EQ(crcField(), c.emptiesCrc ? "" : crc) << c.what;
    EXPECT_EQ(grid()->shade(1, c.row), c.shadesWhite ? kWhite : kRed) << c.what;
    EXPECT_TRUE(dialogs->shown.empty()) << c.what << ": " << dialogs->shown.front();
    if (reopened) key(Qt::Key_Escape);
  }
}

TEST_F(CellEditingTest, RetypingTheSameTextIsNotChecked) {
  openRows();
  for (int row : {kInt, kLockedInt, kNoMin}) {
    generate();
    const QString crc = crcField();
    clickCell(1, row);
    ASSERT_TRUE(commit(defaultOf(row))) << row;
    EXPECT_FALSE(balloonShown()) << row;
    EXPECT_EQ(grid()->editor(), nullptr) << row;
    EXPECT_EQ(crcField(), crc) << row;
  }
}

TEST_F(CellEditingTest, BalloonGoesWhenTheUserTypesAgainOrLeavesTheCell) {
  openRows();
  clickCell(1, kInt);
  ASSERT_TRUE(commit("500"));
  ASSERT_TRUE(balloonShown());

  // Beside the editor, with a warning icon, never covering the input.
  QWidget* editor = grid()->editor();
  ASSERT_NE(editor, nullptr);
  const QRect balloon = grid()->balloon()->geometry();
  const QRect cell(editor->mapTo(window.get(), QPoint(0, 0)), editor->size());
  EXPECT_FALSE(balloon.intersects(cell));
  EXPECT_LE(
      std::min(std::abs(balloon.top() - cell.bottom()), std::abs(cell.top() - balloon.bottom())),
      4);
  bool hasIcon = false;
  for (auto* label : grid()->balloon()->findChildren<QLabel*>())
    hasIcon = hasIcon || !label->pixmap().isNull();
  EXPECT_TRUE(hasIcon);
  EXPECT_EQ(focused(), editor);

  // Typing again takes it away and the editor takes the input.
  QTest::keyClick(editor, Qt::Key_5);
  EXPECT_FALSE(balloonShown());
  EXPECT_EQ(qobject_cast<QLineEdit*>(editor)->text(), "5");
  key(Qt::Key_Escape);

  // Leaving the cell takes it away too.
  ASSERT_TRUE(commit("-3"));
  ASSERT_TRUE(balloonShown());
  clickCell(1, kSwitch);
  EXPECT_FALSE(balloonShown());
  EXPECT_EQ(grid()->row(), kSwitch);
  EXPECT_EQ(grid()->editor(), nullptr);
  EXPECT_EQ(grid()->cell(1, kInt), "10");
  EXPECT_EQ(tooltip(), "Switch tip");
  EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(CellEditingTest, UnlockedBoolOpensAListOfMaxThenMin) {
  std::vector<Param> params = {{"Mode", "BOOL", "Off", "Off", "On", "Yes", "Mode tip"},
                               {"Yes_No", "BOOL", "No", "No", "Yes", "Yes", ""}};
  openTemplateXml(nx::test::templateXml(params));
  generate();
  const QString crc = crcField();

  const struct {
    int row;
    QStringList choices;
    QString picked;
  } cases[] = {{1, {"On", "Off"}, "On"}, {2, {"Yes", "No"}, "Yes"}};
  for (const auto& c : cases) {
    clickCell(1, c.row);
    ASSERT_TRUE(openEditor()) << c.row;
    auto* list = qobject_cast<QComboBox*>(grid()->editor());
    ASSERT_NE(list, nullptr) << c.row;
    EXPECT_FALSE(list->isEditable()) << c.row;
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    EXPECT_EQ(items, c.choices) << c.row;
    EXPECT_EQ(list->currentText(), c.choices[1]) << c.row;

    // Picking the other choice by keyboard commits it; the CRC shown is left alone.
    key(Qt::Key_Up);
    EXPECT_EQ(grid()->cell(1, c.row), c.picked) << c.row;
    EXPECT_EQ(grid()->editor(), nullptr) << c.row;
    EXPECT_FALSE(balloonShown()) << c.row;
    EXPECT_EQ(crcField(), crc) << c.row;
  }

  // A locked BOOL row keeps the plain editor.
  openRows();
  clickCell(1, kLowerNo);
  ASSERT_TRUE(openEditor());
  EXPECT_NE(qobject_cast<QLineEdit*>(grid()->editor()), nullptr);
  key(Qt::Key_Escape);
  EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(CellEditingTest, EditingSwitchAfterClickAndAfterKeyRelease) {
  openRows();
  enum How { Click, ArrowDown };
  const struct {
    const char* what;
    int row;
    How how;
    bool editorOpens;
  } cases[] = {
      {"unlocked integer, click", kInt, Click, true},
      {"unlocked integer, arrow", kNegative, ArrowDown, true},
      {"locked integer, click", kLockedInt, Click, true},
      {"locked integer, arrow", kLockedInt, ArrowDown, true},
      {"BOOL \"No\", click", kFixed, Click, false},
      {"BOOL \"No\", arrow", kFixed, ArrowDown, false},
      {"BOOL \"no\", click", kLowerNo, Click, true},
      {"BOOL \"no\", arrow", kLowerNo, ArrowDown, false},
      {"unlocked BOOL, click", kSwitch, Click, true},
      {"unlocked BOOL, arrow", kSwitch, ArrowDown, true},
      {"locked STRING, click", kLabel, Click, true},
      {"locked STRING, arrow", kLabel, ArrowDown, true},
  };
  for (const auto& c : cases) {
    if (c.how == Click) {
      clickCell(1, c.row);
    } else {
      clickCell(1, c.row - 1);
      key(Qt::Key_Down);
    }
    ASSERT_EQ(grid()->row(), c.row) << c.what;
    EXPECT_EQ(tooltip(), QString::fromStdString(kRows[c.row - 1].tooltip)) << c.what;
    // A key press is what opens an editor.
    QTest::keyPress(focused(), Qt::Key_1);
    EXPECT_EQ(grid()->editor() != nullptr, c.editorOpens) << c.what;
    QTest::keyRelease(focused(), Qt::Key_1);
    if (grid()->editor()) key(Qt::Key_Escape);
  }

  // After the click the "no" row takes typed text and rejects it; no key release came between.
  clickCell(1, kLowerNo);
  ASSERT_TRUE(commit("On"));
  EXPECT_EQ(balloonTitle(), "Error");
  EXPECT_EQ(balloonText(), "Is not allowed to change the value");
  EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(CellEditingTest, FeatureColumnNeverKeepsTheCurrentCell) {
  openRows();
  const struct {
    const char* what;
    int row;
    bool viaArrow;
  } cases[] = {
      {"caption click", kReal, false},
      {"left arrow", kReal, true},
      {"caption click on BOOL \"No\"", kFixed, false},
      {"left arrow on BOOL \"No\"", kFixed, true},
  };
  for (const auto& c : cases) {
    clickCell(1, kInt);
    if (c.viaArrow) {
      clickCell(1, c.row);
      key(Qt::Key_Left);
    } else {
      clickCell(0, c.row);
    }
    EXPECT_EQ(grid()->col(), 1) << c.what;
    EXPECT_EQ(grid()->row(), c.row) << c.what;
    EXPECT_EQ(tooltip(), QString::fromStdString(kRows[c.row - 1].tooltip)) << c.what;
  }
}

TEST_F(CellEditingTest, TabMovesToTheNextRowsValueCell) {
  openRows();
  const struct {
    const char* what;
    int from;
    int to;
  } cases[] = {
      {"first row", kInt, kLockedInt},
      {"onto a BOOL \"No\" row", kSwitch, kFixed},
      {"middle row", kLabel, kNegative},
      {"last row", kLast, kLast},
  };
  for (const auto& c : cases) {
    clickCell(1, c.from);
    key(Qt::Key_Tab);
    EXPECT_EQ(grid()->row(), c.to) << c.what;
    EXPECT_EQ(grid()->col(), 1) << c.what;
    EXPECT_EQ(tooltip(), QString::fromStdString(kRows[c.to - 1].tooltip)) << c.what;
    grid()->setFocus();
  }

  // Tab out of an editor commits the value, then moves on.
  clickCell(1, kInt);
  ASSERT_TRUE(openEditor());
  auto* line = qobject_cast<QLineEdit*>(grid()->editor());
  ASSERT_NE(line, nullptr);
  line->selectAll();
  QTest::keyClicks(line, "42");
  key(Qt::Key_Tab);
  EXPECT_EQ(grid()->cell(1, kInt), "42");
  EXPECT_EQ(grid()->row(), kLockedInt);
  EXPECT_EQ(grid()->editor(), nullptr);

  // A rejected value keeps the user on its cell, with the warning.
  clickCell(1, kInt);
  ASSERT_TRUE(openEditor());
  line = qobject_cast<QLineEdit*>(grid()->editor());
  ASSERT_NE(line, nullptr);
  line->selectAll();
  QTest::keyClicks(line, "420");
  key(Qt::Key_Tab);
  EXPECT_EQ(grid()->cell(1, kInt), "42");
  EXPECT_EQ(grid()->row(), kInt);
  EXPECT_EQ(balloonTitle(), "Input error");
  EXPECT_NE(grid()->editor(), nullptr);
  EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(CellEditingTest, KeyReleaseShadesBoolRowsOnly) {
  openRows();
  for (int row : {kSwitch, kFixed, kInt, kLabel}) {
    clickCell(1, row);
    grid()->setShade(1, row, kRed);
    key(Qt::Key_Shift);
    const bool isBool = row == kSwitch || row == kFixed;
    EXPECT_EQ(grid()->shade(1, row), isBool ? kWhite : kRed) << row;
  }
}

TEST_F(CellEditingTest, BeforeAnyTemplate) {
  clickCell(0, 1);
  EXPECT_EQ(tooltip(), "");
  EXPECT_EQ(grid()->col(), 1);
  ASSERT_TRUE(commit("anything at all"));
  EXPECT_EQ(grid()->cell(1, 1), "anything at all");
  EXPECT_FALSE(balloonShown());
  EXPECT_EQ(crcField(), "");
  EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(CellEditingTest, UnreadableTypeKeepsTheValueAndReportsTheError) {
  std::string xml = nx::test::templateXml({{"Speed", "INT", "10", "0", "100"}});
  const std::string type = "<TYPE>INT</TYPE>";
  xml.replace(xml.find(type), type.size(), "<TYPE><B>INT</B></TYPE>");
  openTemplateXml(xml);
  clickCell(1, 1);
  dialogs->shown.clear();
  ASSERT_TRUE(commit("20"));
  EXPECT_EQ(grid()->cell(1, 1), "10");
  ASSERT_FALSE(dialogs->shown.empty());
  EXPECT_EQ(dialogs->shown.back().kind, ScriptedDialogs::DefaultError);
  EXPECT_TRUE(dialogs->shown.back().text.contains("TYPE")) << dialogs->shown.back();
  EXPECT_EQ(balloonTitle(), "Error");
  EXPECT_EQ(balloonText(), dialogs->shown.back().text);
}

}  // namespace
