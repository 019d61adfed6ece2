#include "ui/dialogs.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/input_box.h"

namespace nx::ui {

namespace {

void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

QString applicationTitle() { return QCoreApplication::applicationName(); }

}  // namespace

void QtDialogs::plain(const QString& text) {
  showBox(parent_, QMessageBox::NoIcon, applicationTitle(), text);
}

void QtDialogs::information(const QString& text) {
  showBox(parent_, QMessageBox::Information, QMessageBox::tr("Information"), text);
}

void QtDialogs::error(const QString& text) {
  showBox(parent_, QMessageBox::Critical, QMessageBox::tr("Error"), text);
}

void QtDialogs::defaultError(const QString& text) {
  showBox(parent_, QMessageBox::Critical, applicationTitle(), text);
}

QString QtDialogs::getOpenFileName(const QString& caption, const QString& folder,
                                   const QString& filter) {
  return QFileDialog::getOpenFileName(parent_, caption, folder, filter);
}

QString QtDialogs::getSaveFileName(const QString& folder, const QString& filter,
                                   const QString& defaultSuffix) {
  QFileDialog dialog(parent_, QString(), folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

std::optional<QString> QtDialogs::inputText(const QString& caption, const QString& prompt,
                                            const QString& initialText, int maxLength) {
  QString value = initialText;
  if (!MyInputBox(caption, prompt, value, parent_, maxLength)) return std::nullopt;
  return value;
}

int QtDialogs::execDialog(QDialog& dialog) { return dialog.exec(); }

}  // namespace nx::ui
