#pragma once

#include <memory>

#include "ui/main_window.h"

class TForm_Info_nx;

namespace nx::ui {

// The windows of one run, in the order they were created.
struct ApplicationWindows {
  std::unique_ptr<TForm_Main_nx> mainWindow;
  TForm_Info_nx* infoWindow = nullptr;  // owned by mainWindow
};

// Start-up after the application object exists: the application title, then the main window
// (whose creation runs the registry check), then the hidden info window. Nothing is shown yet.
ApplicationWindows createApplicationWindows(MainWindowServices services = {});

}  // namespace nx::ui
