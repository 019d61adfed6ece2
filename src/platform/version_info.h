#pragma once

#include <string>

namespace nx::platform {

// The name under which the info window asks for the program's own version: "NX_iParameter.exe"
// on Windows, the same name without ".exe" where executables carry no suffix.
extern const char* const kProgramFileName;

// Reads "InternalName" and "FileVersion" of the first translation of FileName's version record
// (the version resource on Windows, the embedded record elsewhere), each with characters up to
// code 32 trimmed from both ends. A name without a directory is found the way the system finds a
// library, the running program's folder first. Without version information (no file, no record,
// no translation table) returns false and leaves both texts as they are; otherwise stores both
// texts, empty for a missing value, and returns true only when both are non-empty.
bool GetFileInfo(std::u16string& aInternalName, std::u16string& aFileVersion,
                 const std::string& FileName);

}  // namespace nx::platform
