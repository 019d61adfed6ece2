#include "platform/help_viewer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QPointer>
#include <memory>

#include "platform/chm_archive.h"
#include "platform/help_window.h"
#endif

namespace nx::platform {

#ifdef _WIN32

namespace {
using HtmlHelpAFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC

std::string ansi(const std::string& utf8) {
  const int wideLength =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                      wideLength);
  const int length =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
  return out;
}
}  // namespace

bool displayHelpTopic(const std::string& chmPath) {
  // Loaded on first use and kept until the program ends.
  static const HtmlHelpAFunction htmlHelp = [] {
    HMODULE library = LoadLibraryA("hhctrl.ocx");
    return library ? reinterpret_cast<HtmlHelpAFunction>(GetProcAddress(library, "HtmlHelpA"))
                   : nullptr;
  }();
  if (!htmlHelp) return false;
  return htmlHelp(nullptr, ansi(chmPath).c_str(), kDisplayTopic, 0) != nullptr;
}

#else

bool displayHelpTopic(const std::string& chmPath) {
  std::shared_ptr<const ChmArchive> archive = ChmArchive::open(chmPath);
  if (!archive) return false;
  const std::string topic = archive->defaultTopic();
  if (topic.empty()) return false;

  // One viewer for the whole run; it deletes itself when the user closes it.
  static QPointer<HelpWindow> viewer;
  if (!viewer) {
    viewer = new HelpWindow;
    viewer->setAttribute(Qt::WA_DeleteOnClose);
  }
  viewer->showTopic(std::move(archive), topic);
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
  return true;
}

#endif

}  // namespace nx::platform
