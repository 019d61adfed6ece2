#include "ui/startup.h"

#include <QCoreApplication>

#include "ui/info_window.h"

namespace nx::ui {

ApplicationWindows createApplicationWindows(MainWindowServices services) {
  // Message boxes take their caption from here, the registry check's included.
  QCoreApplication::setApplicationName("NX_iParameter");
  ApplicationWindows windows;
  windows.mainWindow = std::make_unique<TForm_Main_nx>(std::move(services));
  windows.infoWindow = new TForm_Info_nx(windows.mainWindow.get());
  windows.infoWindow->setObjectName("Form_Info_nx");
  windows.mainWindow->setInfoWindow(windows.infoWindow);
  return windows;
}

}  // namespace nx::ui
