#include "platform/version_info.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/executable_section.h"
#include "platform/version_record.h"
#endif

namespace nx::platform {

#ifdef _WIN32
const char* const kProgramFileName = "NX_iParameter.exe";
#else
const char* const kProgramFileName = "NX_iParameter";
#endif

namespace {

struct VersionTexts {
  std::u16string internalName;
  std::u16string fileVersion;
};

// The string-table key of a translation entry: language first, then code page, "040904E4".
std::string translationKey(std::uint32_t translation) {
  char key[9];
  std::snprintf(key, sizeof key, "%04X%04X", static_cast<unsigned>(translation & 0xFFFF),
                static_cast<unsigned>(translation >> 16));
  return key;
}

std::u16string trimmed(const std::u16string& text) {
  auto first = text.begin();
  auto last = text.end();
  while (first != last && *first <= 32) ++first;
  while (last != first && *(last - 1) <= 32) --last;
  return {first, last};
}

#ifdef _WIN32

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::u16string queryString(const std::vector<unsigned char>& block, const std::string& key,
                           const wchar_t* name) {
  const std::wstring path = L"\\StringFileInfo\\" + wide(key) + L"\\" + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value) return {};
  std::u16string text(static_cast<const char16_t*>(value), length);
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return text;
}

std::optional<VersionTexts> readVersionTexts(const std::string& fileName) {
  const std::wstring name = wide(fileName);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(name.c_str(), &handle);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(name.c_str(), 0, size, block.data())) return std::nullopt;
  void* table = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &table, &length) || !table ||
      length < sizeof(std::uint32_t))
    return std::nullopt;
  std::uint32_t translation = 0;
  std::memcpy(&translation, table, sizeof translation);
  const std::string key = translationKey(translation);
  return VersionTexts{queryString(block, key, L"InternalName"),
                      queryString(block, key, L"FileVersion")};
}

#else

namespace fs = std::filesystem;

bool isFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);  // follows links: a link counts when its target does
}

fs::path programDirectory() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : self.parent_path();
}

// The loader's order: the program's folder first (as Windows does for a library), then
// LD_LIBRARY_PATH, then the standard library folders.
fs::path findLikeLibrary(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return isFile(name) ? fs::path(name) : fs::path();
  std::vector<fs::path> folders;
  if (fs::path own = programDirectory(); !own.empty()) folders.push_back(own);
  if (const char* list = std::getenv("LD_LIBRARY_PATH")) {
    std::string entries = list;
    std::size_t start = 0;
    while (start <= entries.size()) {
      const std::size_t end = std::min(entries.find(':', start), entries.size());
      const std::string entry = entries.substr(start, end - start);
      folders.emplace_back(entry.empty() ? "." : entry);  // an empty entry is the current folder
      start = end + 1;
    }
  }
  for (const char* standard : {"/usr/local/lib", "/lib", "/usr/lib"})
    folders.emplace_back(standard);
  for (const auto& folder : folders) {
    if (isFile(folder / name)) return folder / name;
  }
  return {};
}

std::u16string valueOf(const VersionRecord::Table* table, std::string_view name) {
  if (!table) return {};
  for (const auto& [key, value] : table->values)
    if (key == name) return value;
  return {};
}

std::optional<VersionTexts> readVersionTexts(const std::string& fileName) {
  const fs::path file = findLikeLibrary(fileName);
  if (file.empty()) return std::nullopt;
  const auto section = readExecutableSection(file.string(), kVersionSectionName);
  if (!section) return std::nullopt;
  const auto record = decodeVersionRecord(*section);
  if (!record || record->translations.empty()) return std::nullopt;
  const std::string key = translationKey(record->translations.front());
  const VersionRecord::Table* table = nullptr;
  for (const auto& t : record->tables) {
    if (t.key == key) {
      table = &t;
      break;
    }
  }
  return VersionTexts{valueOf(table, "InternalName"), valueOf(table, "FileVersion")};
}

#endif

}  // namespace

bool GetFileInfo(std::u16string& aInternalName, std::u16string& aFileVersion,
                 const std::string& FileName) {
  const std::optional<VersionTexts> texts = readVersionTexts(FileName);
  if (!texts) return false;
  aInternalName = trimmed(texts->internalName);
  aFileVersion = trimmed(texts->fileVersion);
  return !aInternalName.empty() && !aFileVersion.empty();
}

}  // namespace nx::platform
