// Creates the info window as the program does and prints the text of its "Version" box, so that
// tests can run it from a folder of their own making.

#include <QApplication>
#include <QLineEdit>
#include <cstdio>

#include "ui/info_window.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TForm_Info_nx info;
  const auto* version = info.findChild<QLineEdit*>("EditVersion_nx");
  if (!version) return 1;
  std::printf("[%s]\n", version->text().toUtf8().constData());
  return 0;
}
