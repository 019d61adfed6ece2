#pragma once

namespace nx::platform {

// True on Windows 7 and its server twin (NT family, version 6.1); false everywhere else and when
// the system does not answer.
bool IsWin7();

// True only for a 32-bit process running on 64-bit Windows 7; false everywhere else.
bool IsWow64();

}  // namespace nx::platform
