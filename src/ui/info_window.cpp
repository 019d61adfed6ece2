#include "ui/info_window.h"

TForm_Info_nx::TForm_Info_nx(QWidget* parent) : QDialog(parent) { setWindowTitle("Info"); }
