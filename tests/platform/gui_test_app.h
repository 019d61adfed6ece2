#pragma once

#include <QApplication>

// The one application object of a GUI test executable, on the offscreen platform.
inline QApplication& guiTestApp() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "nx_gui_test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: at exit it would outlive Qt's own statics and crash on the way out.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}
