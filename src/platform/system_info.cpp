#include "platform/system_info.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace nx::platform {

#ifdef _WIN32

bool IsWin7() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;  // the 276-byte UTF-16 record
#pragma warning(suppress : 4996)
  if (!GetVersionExW(&info)) return false;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 6 &&
         info.dwMinorVersion == 1;
}

bool IsWow64() {
  if (!IsWin7()) return false;
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  auto fn = kernel ? reinterpret_cast<IsWow64ProcessFn>(GetProcAddress(kernel, "IsWow64Process"))
                   : nullptr;
  if (!fn) return false;
  BOOL wow64 = FALSE;
  // The call's own result is not looked at: a failed call leaves the flag false.
  fn(GetCurrentProcess(), &wow64);
  return wow64 != FALSE;
}

#else

bool IsWin7() { return false; }
bool IsWow64() { return false; }

#endif

}  // namespace nx::platform
