#include "ui/input_box.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

namespace nx::ui {

namespace {

// Multiply, then divide, rounding to the nearest integer: how dialog units become pixels.
int mulDiv(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

}  // namespace

QSize GetAveCharSize(const QFont& font) {
  const QFontMetrics metrics(font);
  const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  return {metrics.horizontalAdvance(letters) / 52, metrics.height()};
}

bool MyInputBox(const QString& ACaption, const QString& APrompt, QString& Value, QWidget* owner,
                int maxLength) {
  QDialog form(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  form.setObjectName("MyInputBox");
  form.setWindowTitle(ACaption);
  form.setFont(QApplication::font());
  const QSize unit = GetAveCharSize(form.font());
  auto dx = [&unit](int h) { return mulDiv(h, unit.width(), 4); };
  auto dy = [&unit](int v) { return mulDiv(v, unit.height(), 8); };
  form.setFixedSize(dx(180), dy(63));

  auto* prompt = new QLabel(APrompt, &form);
  prompt->setObjectName("Prompt");
  prompt->move(dx(8), dy(8));
  prompt->adjustSize();

  auto* edit = new QLineEdit(&form);
  edit->setObjectName("Edit");
  edit->setMaxLength(maxLength);
  edit->setGeometry(prompt->x(), dy(19), dx(164), edit->sizeHint().height());
  edit->setText(Value);
  // The user always starts from today's date, whatever `Value` held.
  edit->setText(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
  edit->selectAll();

  auto* ok = new QPushButton("OK", &form);
  ok->setObjectName("OK");
  ok->setGeometry(dx(38), dy(41), dx(50), dy(14));
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &form, &QDialog::accept);

  auto* cancel = new QPushButton("Cancel", &form);
  cancel->setObjectName("Cancel");
  cancel->setGeometry(dx(92), dy(41), dx(50), dy(14));
  cancel->setAutoDefault(false);
  // Esc rejects a QDialog by itself; the button does the same by mouse.
  QObject::connect(cancel, &QPushButton::clicked, &form, &QDialog::reject);

  edit->setFocus();
  if (form.exec() != QDialog::Accepted) return false;
  Value = edit->text();
  return true;
}

}  // namespace nx::ui
