#include "ui/info_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui_test_app.h"

namespace {

struct InfoWindowTest : ::testing::Test {
  template <typename T>
  T* child(const char* name) {
    T* found = window.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  // Shows the window modally, runs `whileShown` inside the showing, and returns when it ends.
  void showModal(const std::function<void()>& whileShown) {
    QTimer::singleShot(0, &window, [&] {
      EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
      whileShown();
    });
    window.exec();
  }

  QApplication& app = guiTestApp();  // before the window
  TForm_Info_nx window;
};

TEST_F(InfoWindowTest, ShowsNameDescriptionVersionAndHistory) {
  EXPECT_EQ(window.windowTitle(), "Info");
  EXPECT_EQ(child<QLabel>("Label1")->text(), "Program name: NX_iParameter.exe");
  EXPECT_EQ(child<QLabel>("Label2")->text(),
            "Description: Program for CRC-calculation of iParameter");
  EXPECT_NE(child<QLabel>("Image1")->pixmap().toImage().pixelColor(31, 30).alpha(), 0)
      << "the logo is drawn";

  auto* version = child<QLineEdit>("EditVersion_nx");
  EXPECT_TRUE(version->isReadOnly());
  // The program file beside the tests carries the real record; without it the box stays empty.
  EXPECT_EQ(version->text(), NX_PROGRAM_BESIDE_TESTS ? "2.0.0.2" : "");

  auto* memo = child<QPlainTextEdit>("Memo_nx");
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_EQ(memo->toPlainText(),
            "Version 1.0.0.0 => First public version\n"
            "Version 2.0.0.0 => Complete in English, Include template and parameter check\n"
            "Version 2.0.0.1 => Bugfix-Update\n"
            "Version 2.0.0.2 => Text reworked");
}

TEST_F(InfoWindowTest, IsAFixedDialogWithCloseBoxOnly) {
  window.show();
  EXPECT_EQ(window.minimumSize(), QSize(384, 240));
  EXPECT_EQ(window.maximumSize(), QSize(384, 240));
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  auto* close = child<QPushButton>("Button1");
  EXPECT_EQ(close->text(), "Close");
  EXPECT_FALSE(close->isDefault());
  EXPECT_FALSE(close->autoDefault());
  window.hide();
}

TEST_F(InfoWindowTest, CloseButtonEndsTheShowingAndKeepsTheTexts) {
  auto* close = child<QPushButton>("Button1");
  auto* version = child<QLineEdit>("EditVersion_nx");
  auto* memo = child<QPlainTextEdit>("Memo_nx");
  const QString versionText = version->text();
  const QString history = memo->toPlainText();

  QWidget* focusedFirst = nullptr;
  showModal([&] {
    focusedFirst = QApplication::focusWidget();
    QTest::keyClick(&window, Qt::Key_Tab);  // leave the focus elsewhere for the next showing
    QTest::keyClick(&window, Qt::Key_Tab);
    QTest::mouseClick(close, Qt::LeftButton);
  });
  EXPECT_EQ(focusedFirst, close);
  EXPECT_FALSE(window.isVisible());

  QWidget* focusedAgain = nullptr;
  showModal([&] {
    focusedAgain = QApplication::focusWidget();
    window.close();  // the close box
  });
  EXPECT_EQ(focusedAgain, close) << "every showing starts on Close";
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(version->text(), versionText);
  EXPECT_EQ(memo->toPlainText(), history);
}

// "Close" is neither default nor cancel: Return in the history and Escape anywhere do nothing.
TEST_F(InfoWindowTest, ReturnAndEscapeDoNotClose) {
  bool stillShownAfterKeys = false;
  showModal([&] {
    auto* memo = child<QPlainTextEdit>("Memo_nx");
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClick(memo, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Escape);
    stillShownAfterKeys = window.isVisible();
    window.close();
  });
  EXPECT_TRUE(stillShownAfterKeys);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
