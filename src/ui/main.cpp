#include <QApplication>

#include "ui/startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  nx::ui::ApplicationWindows windows = nx::ui::createApplicationWindows();
  windows.mainWindow->show();
  return app.exec();
}
