#include "ui/balloon.h"

#include <QGridLayout>
#include <QLabel>
#include <QStyle>

namespace nx::ui {

Balloon::Balloon(QWidget* parent) : QFrame(parent) {
  setObjectName("Balloon");
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::ToolTipBase);
  setForegroundRole(QPalette::ToolTipText);

  icon_ = new QLabel(this);
  icon_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
  title_ = new QLabel(this);
  title_->setObjectName("BalloonTitle");
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  text_ = new QLabel(this);
  text_->setObjectName("BalloonText");

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setHorizontalSpacing(6);
  layout->addWidget(icon_, 0, 0);
  layout->addWidget(title_, 0, 1);
  layout->addWidget(text_, 1, 1);
  hide();
}

void Balloon::showBeside(const QRect& anchor, const QString& title, const QString& text) {
  title_->setText(title);
  text_->setText(text);
  adjustSize();
  const QWidget* area = parentWidget();
  int x = anchor.left();
  int y = anchor.bottom() + 2;
  if (area) {
    if (y + height() > area->height()) y = anchor.top() - height() - 2;
    x = std::max(0, std::min(x, area->width() - width()));
    y = std::max(0, y);
  }
  move(x, y);
  show();
  raise();
}

QString Balloon::title() const { return title_->text(); }
QString Balloon::text() const { return text_->text(); }

}  // namespace nx::ui
