#include "platform/help_window.h"

#include <QAction>
#include <QDesktopServices>
#include <QIcon>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace nx::platform {
namespace {
const QString kScheme = QStringLiteral("chm");
}

ChmBrowser::ChmBrowser(QWidget* parent) : QTextBrowser(parent) {
  setOpenLinks(false);
  connect(this, &QTextBrowser::anchorClicked, this, &ChmBrowser::follow);
}

QUrl ChmBrowser::urlOf(const std::string& objectPath) {
  QUrl url;
  url.setScheme(kScheme);
  url.setPath(QString::fromStdString(objectPath));
  return url;
}

QVariant ChmBrowser::loadResource(int type, const QUrl& name) {
  const QUrl url = name.isRelative() ? source().resolved(name) : name;
  if (url.scheme() != kScheme || !archive_) return QTextBrowser::loadResource(type, url);
  const std::optional<std::string> bytes = archive_->read(url.path().toStdString());
  if (!bytes) return {};
  return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

void ChmBrowser::follow(const QUrl& link) {
  const QUrl url = source().resolved(link);
  if (url.scheme() == kScheme) {
    setSource(url);
  } else {
    QDesktopServices::openUrl(url);
  }
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new ChmBrowser) {
  setObjectName("HelpViewer");
  // Closing the help must not keep the program running, nor end it.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(760, 560);

  auto* toolBar = new QToolBar;
  QAction* back = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), "Back");
  QAction* forward = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), "Forward");
  QAction* home = toolBar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), "Home");
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
  connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
  connect(home, &QAction::triggered, this,
          [this] { browser_->setSource(ChmBrowser::urlOf(home_)); });
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::updateTitle);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolBar);
  layout->addWidget(browser_);
}

void HelpWindow::showTopic(std::shared_ptr<const ChmArchive> archive, const std::string& topic) {
  archive_ = std::move(archive);
  home_ = topic;
  browser_->setArchive(archive_);
  browser_->setSource(ChmBrowser::urlOf(topic));
  browser_->clearHistory();
  updateTitle();
}

void HelpWindow::updateTitle() {
  QString title = browser_->documentTitle();
  if (title.isEmpty() && archive_) title = QString::fromStdString(archive_->title());
  setWindowTitle(title.isEmpty() ? QStringLiteral("NX_iParameter Help") : title);
}

}  // namespace nx::platform
