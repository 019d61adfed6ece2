#include "platform/help_viewer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

#include "gui_test_app.h"
#include "platform/help_window.h"

namespace {

using nx::platform::displayHelpTopic;
using nx::platform::HelpWindow;

QList<HelpWindow*> helpViewers() {
  QList<HelpWindow*> viewers;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == "HelpViewer") viewers.append(qobject_cast<HelpWindow*>(w));
  }
  return viewers;
}

void closeHelpViewers() {
  for (HelpWindow* viewer : helpViewers()) viewer->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct HelpViewerTest : ::testing::Test {
  void SetUp() override {
    guiTestApp();
    closeHelpViewers();
  }
  void TearDown() override { closeHelpViewers(); }
};

TEST_F(HelpViewerTest, ShowsTheDefaultTopicInOneViewer) {
  ASSERT_TRUE(displayHelpTopic(NX_HELP_FILE));
  ASSERT_EQ(helpViewers().size(), 1);
  HelpWindow* viewer = helpViewers().front();
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_TRUE(viewer->isWindow());
  EXPECT_EQ(viewer->parentWidget(), nullptr);
  EXPECT_EQ(viewer->windowTitle(), "NX_iParameter Help");
  EXPECT_TRUE(viewer->browser()->toPlainText().contains("computes the iParameter CRC"));

  // Follow the first link with the keyboard, as a reader would.
  QTextBrowser* browser = viewer->browser();
  browser->setFocus();
  QTest::keyClick(browser, Qt::Key_Tab);
  QTest::keyClick(browser, Qt::Key_Return);
  EXPECT_EQ(viewer->windowTitle(), "Opening a template");
  EXPECT_TRUE(browser->toPlainText().contains("This Template is not allowed!"));

  // Asking again shows the default topic again, in the same viewer.
  ASSERT_TRUE(displayHelpTopic(NX_HELP_FILE));
  ASSERT_EQ(helpViewers().size(), 1);
  EXPECT_EQ(helpViewers().front(), viewer);
  EXPECT_EQ(viewer->windowTitle(), "NX_iParameter Help");
}

TEST_F(HelpViewerTest, PagesLinkToEachOtherAndShowTheirImages) {
  ASSERT_TRUE(displayHelpTopic(NX_HELP_FILE));
  QTextBrowser* browser = helpViewers().front()->browser();

  browser->setSource(browser->source().resolved(QUrl("info.html")));
  EXPECT_EQ(browser->documentTitle(), "Info and help");
  const QVariant image =
      browser->document()->resource(QTextDocument::ImageResource, QUrl("images/info_window.png"));
  EXPECT_FALSE(qvariant_cast<QImage>(image).isNull()) << "the image is read from the help file";

  emit browser->anchorClicked(QUrl("editing.html#rules"));
  EXPECT_EQ(browser->documentTitle(), "Editing values and the rules");
  browser->backward();
  EXPECT_EQ(browser->documentTitle(), "Info and help");
}

TEST_F(HelpViewerTest, FileThatCannotBeDisplayedShowsNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile help(NX_HELP_FILE);
  ASSERT_TRUE(help.open(QIODevice::ReadOnly));
  const QByteArray compiled = help.readAll();

  struct Case {
    const char* what;
    QByteArray bytes;
  } cases[] = {
      {"an empty file", {}},
      {"a text file", "<html><title>not compiled</title></html>"},
      {"the header of a help file only", compiled.left(64)},
  };
  for (const Case& c : cases) {
    const QString path = dir.filePath("broken.chm");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(c.bytes);
    file.close();
    EXPECT_FALSE(displayHelpTopic(path.toStdString())) << c.what;
    EXPECT_TRUE(helpViewers().isEmpty()) << c.what;
  }
  EXPECT_FALSE(displayHelpTopic(dir.filePath("missing.chm").toStdString()));
  EXPECT_TRUE(helpViewers().isEmpty());
}

}  // namespace
