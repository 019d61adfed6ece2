#pragma once

#include <QDialog>

// The "Info" window: logo, the program's file version and its history. Filled once when created.
class TForm_Info_nx : public QDialog {
  Q_OBJECT

 public:
  explicit TForm_Info_nx(QWidget* parent = nullptr);
};
