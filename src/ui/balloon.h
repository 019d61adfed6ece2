#pragma once

#include <QFrame>

class QLabel;

namespace nx::ui {

// The warning shown beside a cell editor whose value was rejected: icon, bold title, text.
// It takes no focus and lets every mouse event through, so it never stands in the user's way.
class Balloon : public QFrame {
  Q_OBJECT

 public:
  explicit Balloon(QWidget* parent = nullptr);

  // Shows the balloon just below `anchor` (in the coordinates of the balloon's parent), or above
  // it when there is no room below.
  void showBeside(const QRect& anchor, const QString& title, const QString& text);
  QString title() const;
  QString text() const;

 private:
  QLabel* icon_;
  QLabel* title_;
  QLabel* text_;
};

}  // namespace nx::ui
