#pragma once

#include <QTextBrowser>
#include <QWidget>
#include <memory>

#include "platform/chm_archive.h"

namespace nx::platform {

// Shows the pages of a compiled help file: links between pages and images are read from the
// archive; links that leave it go to the desktop's browser.
class ChmBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  explicit ChmBrowser(QWidget* parent = nullptr);
  void setArchive(std::shared_ptr<const ChmArchive> archive) { archive_ = std::move(archive); }
  QVariant loadResource(int type, const QUrl& name) override;

  // The URL under which an archive object is shown.
  static QUrl urlOf(const std::string& objectPath);

 private:
  void follow(const QUrl& link);

  std::shared_ptr<const ChmArchive> archive_;
};

// The help window: a top-level window of its own, not owned by the main window.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows `topic` (an object path of `archive`), forgetting the pages visited before.
  void showTopic(std::shared_ptr<const ChmArchive> archive, const std::string& topic);
  ChmBrowser* browser() const { return browser_; }

 private:
  void updateTitle();

  ChmBrowser* browser_;
  std::shared_ptr<const ChmArchive> archive_;
  std::string home_;
};

}  // namespace nx::platform
