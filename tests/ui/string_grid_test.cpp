#include "ui/string_grid.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "gui_support.h"
#include "ui/balloon.h"

namespace nx::ui {
namespace {

class StringGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::guiApp();
    grid = std::make_unique<StringGrid>(2);
    grid->resize(400, 300);
    grid->setRowCount(6);
    for (int r = 1; r < 6; ++r) {
      grid->setCell(0, r, QString("caption %1").arg(r));
      grid->setCell(1, r, QString::number(r * 10));
    }
    grid->onClick = [this] { clicks.push_back({grid->col(), grid->row()}); };
    grid->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
  }

  QPoint centreOf(int col, int row) {
    return grid->visualRect(grid->model()->index(row - 1, col)).center();
  }
  void clickCell(int col, int row) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centreOf(col, row));
  }
  // Opens the plain editor on the current cell by typing, as a user starts an edit.
  QLineEdit* typeInto(const QString& text) {
    QTest::keyClick(grid.get(), Qt::Key_F2);
    auto* line = qobject_cast<QLineEdit*>(grid->editor());
    if (!line) return nullptr;
    line->selectAll();
    QTest::keyClicks(line, text);
    return line;
  }
  // Enter ends an edit; the toolkit commits it from the event loop.
  static void pressEnter(QWidget* editor) {
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
  }
  bool balloonShown() const { return grid->balloon() && grid->balloon()->isVisible(); }

  std::unique_ptr<StringGrid> grid;
  std::vector<std::pair<int, int>> clicks;  // (col, row) current when each click was raised
};

TEST_F(StringGridTest, RowsTextsAndShades) {
  EXPECT_EQ(grid->rowCount(), 6);
  grid->setCell(0, 0, "Feature");
  EXPECT_EQ(grid->cell(0, 0), "Feature");
  EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "Feature");
  EXPECT_EQ(grid->cell(1, 3), "30");

  // Out of range reads empty and writes nowhere.
  grid->setCell(2, 1, "x");
  grid->setCell(1, 6, "x");
  EXPECT_EQ(grid->cell(2, 1), "");
  EXPECT_EQ(grid->cell(1, 6), "");

  // Each cell keeps its own colour, and that colour is what gets painted.
  grid->setShade(0, 2, Qt::red);
  grid->setShade(1, 2, Qt::white);
  EXPECT_EQ(grid->shade(0, 2), QColor(Qt::red));
  EXPECT_EQ(grid->shade(1, 2), QColor(Qt::white));
  EXPECT_FALSE(grid->shade(0, 3).isValid());
  EXPECT_EQ(grid->model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));

  // Shrinking drops the rows at the end; growing again brings empty, unshaded ones.
  grid->setRowCount(3);
  EXPECT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(grid->cell(1, 2), "20");
  grid->setRowCount(5);
  EXPECT_EQ(grid->cell(1, 4), "");
  EXPECT_FALSE(grid->shade(0, 4).isValid());
  EXPECT_EQ(grid->shade(0, 2), QColor(Qt::red));
  // The title row always stays.
  grid->setRowCount(0);
  EXPECT_EQ(grid->rowCount(), 1);
  EXPECT_EQ(grid->cell(0, 0), "Feature");
  EXPECT_EQ(grid->row(), 0);
}

TEST_F(StringGridTest, ProgramMovesRaiseClickOnlyWhenTheCellChanges) {
  EXPECT_EQ(grid->col(), 0);
  EXPECT_EQ(grid->row(), 1);
  struct Case {
    const char* what;
    bool setRow;
    int value;
    int expectCol, expectRow;
    bool raises;
  } cases[] = {
      {"row to 1 again", true, 1, 0, 1, false}, {"col to 0 again", false, 0, 0, 1, false},
      {"col to 1", false, 1, 1, 1, true},       {"row to 4", true, 4, 1, 4, true},
      {"row to 4 again", true, 4, 1, 4, false}, {"row past the end", true, 6, 1, 4, false},
      {"row 0 (titles)", true, 0, 1, 4, false}, {"col past the end", false, 2, 1, 4, false},
      {"col to 0", false, 0, 0, 4, true},
  };
  for (const Case& c : cases) {
    clicks.clear();
    if (c.setRow)
      grid->setRow(c.value);
    else
      grid->setCol(c.value);
    EXPECT_EQ(grid->col(), c.expectCol) << c.what;
    EXPECT_EQ(grid->row(), c.expectRow) << c.what;
    if (c.raises) {
      // Raised inside the move: the hook already sees the new cell.
      ASSERT_EQ(clicks.size(), 1u) << c.what;
      EXPECT_EQ(clicks[0], std::make_pair(c.expectCol, c.expectRow)) << c.what;
    } else {
      EXPECT_TRUE(clicks.empty()) << c.what;
    }
  }
}

TEST_F(StringGridTest, MouseAndKeyboardRaiseClick) {
  clickCell(1, 3);
  EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{1, 3}}));

  // A click on the cell that is current already is a click all the same.
  clicks.clear();
  clickCell(1, 3);
  EXPECT_EQ(clicks.size(), 1u);

  clicks.clear();
  QTest::keyClick(grid.get(), Qt::Key_Down);
  EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{1, 4}}));
  clicks.clear();
  QTest::keyClick(grid.get(), Qt::Key_Left);
  EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{0, 4}}));
}

TEST_F(StringGridTest, ClickHookMayMoveTheCurrentCellItself) {
  // A hook that never lets column 0 keep the current cell runs once more, nested, for the move
  // it makes itself.
  int runs = 0;
  grid->onClick = [this, &runs] {
    ++runs;
    grid->setCol(1);
  };
  clickCell(0, 2);
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(grid->col(), 1);
  EXPECT_EQ(grid->row(), 2);
  // What is selected is what is current, not the caption that was pressed.
  EXPECT_TRUE(grid->selectionModel()->isSelected(grid->model()->index(1, 1)));
  EXPECT_FALSE(grid->selectionModel()->isSelected(grid->model()->index(1, 0)));
}

TEST_F(StringGridTest, KeyReleaseReportsTheVirtualKeyCode) {
  std::vector<int> released;
  grid->onKeyUp = [&released](int key) { released.push_back(key); };
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int code;
  } cases[] = {
      {Qt::Key_Tab, Qt::NoModifier, 9},        {Qt::Key_Backtab, Qt::ShiftModifier, 9},
      {Qt::Key_Return, Qt::NoModifier, 13},    {Qt::Key_Left, Qt::NoModifier, 37},
      {Qt::Key_Down, Qt::ControlModifier, 40}, {Qt::Key_A, Qt::NoModifier, 65},
      {Qt::Key_5, Qt::NoModifier, 53},         {Qt::Key_F2, Qt::NoModifier, 113},
  };
  for (const Case& c : cases) {
    released.clear();
    QTest::keyRelease(grid.get(), c.key, c.modifiers);
    // Releasing a modifier is a key of its own and comes after.
    ASSERT_FALSE(released.empty()) << "Qt key " << c.key;
    EXPECT_EQ(released.front(), c.code) << "Qt key " << c.key;
    EXPECT_EQ(released.size(), c.modifiers == Qt::NoModifier ? 1u : 2u) << "Qt key " << c.key;
  }
}

TEST_F(StringGridTest, EditingSwitchDecidesWhetherAnEditorOpens) {
  grid->setCol(1);
  grid->setEditing(false);
  QTest::keyClick(grid.get(), Qt::Key_7);
  EXPECT_EQ(grid->editor(), nullptr);
  QTest::keyClick(grid.get(), Qt::Key_F2);
  EXPECT_EQ(grid->editor(), nullptr);
  // Typing letters with editing off must not jump to a row by its caption either.
  QTest::keyClick(grid.get(), Qt::Key_C);
  EXPECT_EQ(grid->row(), 1);

  grid->setEditing(true);
  QTest::keyClick(grid.get(), Qt::Key_7);
  auto* line = qobject_cast<QLineEdit*>(grid->editor());
  ASSERT_NE(line, nullptr);
  // The key that opened the editor is its first input.
  EXPECT_EQ(line->text(), "7");
  pressEnter(line);
  EXPECT_EQ(grid->editor(), nullptr);
  EXPECT_EQ(grid->cell(1, 1), "7");
}

TEST_F(StringGridTest, EditorKindHookChoosesTheDropDownList) {
  std::vector<std::pair<int, int>> asked;
  grid->onGetEditorType = [this, &asked](int col, int row, EditorKind& kind) {
    asked.push_back({col, row});
    EXPECT_EQ(kind, EditorKind::Plain);
    if (row == 2) {
      kind = EditorKind::DropDownList;
      grid->clearChoices();
      grid->appendChoice("On");
      grid->appendChoice("Off");
    }
  };
  grid->setCell(1, 2, "Off");
  grid->setCol(1);
  grid->setRow(2);
  QTest::keyClick(grid.get(), Qt::Key_F2);
  auto* box = qobject_cast<QComboBox*>(grid->editor());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(asked.back(), std::make_pair(1, 2));
  EXPECT_FALSE(box->isEditable());
  ASSERT_EQ(box->count(), 2);
  EXPECT_EQ(box->itemText(0), "On");
  EXPECT_EQ(box->itemText(1), "Off");
  EXPECT_EQ(box->currentText(), "Off");
  box->setCurrentIndex(0);
  emit box->activated(0);
  EXPECT_EQ(grid->editor(), nullptr);
  EXPECT_EQ(grid->cell(1, 2), "On");

  // A cell text that the list does not offer is left alone when nothing is picked.
  grid->setCell(1, 2, "maybe");
  QTest::keyClick(grid.get(), Qt::Key_F2);
  box = qobject_cast<QComboBox*>(grid->editor());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->currentIndex(), -1);
  pressEnter(box);
  EXPECT_EQ(grid->cell(1, 2), "maybe");

  // Other rows keep the plain editor.
  grid->setRow(3);
  QTest::keyClick(grid.get(), Qt::Key_F2);
  EXPECT_NE(qobject_cast<QLineEdit*>(grid->editor()), nullptr);
}

TEST_F(StringGridTest, ValidationSeesOnlyChangedTexts) {
  std::vector<QString> validated;
  grid->onCellValidate = [&validated](int col, int row, QString& value, bool& valid) {
    EXPECT_TRUE(valid);
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 2);
    validated.push_back(value);
  };
  grid->setCol(1);
  grid->setRow(2);
  QLineEdit* line = typeInto("20");
  ASSERT_NE(line, nullptr);
  pressEnter(line);
  EXPECT_TRUE(validated.empty());

  line = typeInto("25");
  ASSERT_NE(line, nullptr);
  pressEnter(line);
  EXPECT_EQ(validated, std::vector<QString>{"25"});
  EXPECT_EQ(grid->cell(1, 2), "25");
}

TEST_F(StringGridTest, RejectedValueRestoresReopensAndWarns) {
  grid->onCellValidate = [this](int, int, QString& value, bool& valid) {
    if (value.toInt() > 100) {
      grid->setInvalidEntryTitle("Input error");
      grid->setInvalidEntryText("too big");
      valid = false;
    }
  };
  grid->setCol(1);
  grid->setRow(2);
  clicks.clear();

  QLineEdit* line = typeInto("500");
  ASSERT_NE(line, nullptr);
  pressEnter(line);
  EXPECT_EQ(grid->cell(1, 2), "20");
  auto* reopened = qobject_cast<QLineEdit*>(grid->editor());
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(reopened->text(), "20");
  EXPECT_EQ(grid->row(), 2);
  EXPECT_EQ(grid->col(), 1);
  ASSERT_TRUE(balloonShown());
  EXPECT_EQ(grid->balloon()->title(), "Input error");
  EXPECT_EQ(grid->balloon()->text(), "too big");
  EXPECT_TRUE(grid->balloon()->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_TRUE(clicks.empty());

  // Typing again takes the balloon away; an accepted value then ends the edit for good.
  QTest::keyClick(reopened, Qt::Key_Backspace);
  EXPECT_FALSE(balloonShown());
  reopened->selectAll();
  QTest::keyClicks(reopened, "50");
  pressEnter(reopened);
  EXPECT_EQ(grid->cell(1, 2), "50");
  EXPECT_EQ(grid->editor(), nullptr);
}

TEST_F(StringGridTest, RejectedValueKeepsTheUserOnTheCellWhenMovingAway) {
  grid->onCellValidate = [this](int, int, QString&, bool& valid) {
    grid->setInvalidEntryTitle("Error");
    grid->setInvalidEntryText("locked");
    valid = false;
  };
  grid->setCol(1);
  grid->setRow(2);
  clicks.clear();
  QLineEdit* line = typeInto("99");
  ASSERT_NE(line, nullptr);

  // The program moving the current cell commits the edit first; the rejection cancels the move.
  grid->setRow(4);
  EXPECT_EQ(grid->row(), 2);
  EXPECT_EQ(grid->cell(1, 2), "20");
  EXPECT_NE(grid->editor(), nullptr);
  EXPECT_TRUE(balloonShown());
  EXPECT_TRUE(clicks.empty());

  // With the old text back, leaving the cell is a plain move and the balloon goes.
  grid->setRow(4);
  EXPECT_EQ(grid->row(), 4);
  EXPECT_EQ(grid->editor(), nullptr);
  EXPECT_FALSE(balloonShown());
  EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{1, 4}}));
}

TEST_F(StringGridTest, RejectedValueSwallowsTheClickThatLeftTheEditor) {
  grid->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(grid.get()));
  grid->onCellValidate = [this](int, int, QString&, bool& valid) {
    grid->setInvalidEntryTitle("Error");
    grid->setInvalidEntryText("locked");
    valid = false;
  };
  grid->setCol(1);
  grid->setRow(2);
  QLineEdit* line = typeInto("99");
  ASSERT_NE(line, nullptr);
  line->setFocus();
  clicks.clear();

  // Clicking another cell takes the focus from the editor, which commits and is rejected: the
  // user stays on the cell with the warning.
  clickCell(1, 4);
  EXPECT_EQ(grid->row(), 2);
  EXPECT_EQ(grid->cell(1, 2), "20");
  EXPECT_NE(grid->editor(), nullptr);
  EXPECT_TRUE(balloonShown());
  EXPECT_TRUE(clicks.empty());

  // The next click leaves the restored cell.
  clickCell(1, 4);
  EXPECT_EQ(grid->row(), 4);
  EXPECT_FALSE(balloonShown());
  EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{1, 4}}));
}

TEST_F(StringGridTest, EditorOpensOnlyOnTheCurrentCell) {
  // The hook moves the current cell off the caption that is double-clicked: no editor may open
  // on the caption, which is no longer current.
  grid->onClick = [this] { grid->setCol(1); };
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centreOf(0, 3));
  EXPECT_EQ(grid->editor(), nullptr);
  EXPECT_EQ(grid->col(), 1);
  EXPECT_EQ(grid->row(), 3);
}

}  // namespace
}  // namespace nx::ui
