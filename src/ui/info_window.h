#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The "Info" window: logo, the program's file version read from the program file, and the
// version history. Its texts are filled once, when it is created; closing only hides it.
class TForm_Info_nx : public QDialog {
  Q_OBJECT

 public:
  explicit TForm_Info_nx(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormCreate();
  void Button1Click();

  QLabel* Image1;
  QLineEdit* EditVersion_nx;
  QLabel* Label1;
  QLabel* Label2;
  QPlainTextEdit* Memo_nx;
  QPushButton* Button1;
};
