// The program's version record, placed in its own section of the executable so that GetFileInfo
// can read it back from the program file. Linked into the program as an object, never through an
// archive, so that the linker cannot leave it out.

#include <array>
#include <cstddef>
#include <string>

#include "nx_version.h"
#include "platform/version_record.h"

namespace {

using nx::platform::VersionRecordView;
using nx::platform::VersionString;
using nx::platform::VersionStringTable;

template <std::size_t N>
constexpr std::array<char16_t, N> widen(const char* ascii) {
  std::array<char16_t, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = static_cast<char16_t>(ascii[i]);
  return out;
}

constexpr std::size_t kFileVersionLength = std::char_traits<char>::length(nx::kFileVersion);
constexpr std::size_t kProductVersionLength = std::char_traits<char>::length(nx::kProductVersion);
constexpr auto kFileVersion = widen<kFileVersionLength>(nx::kFileVersion);
constexpr auto kProductVersion = widen<kProductVersionLength>(nx::kProductVersion);

// English (United States), code page 1252; deliberately no "InternalName".
constexpr std::uint32_t kTranslations[] = {0x04E40409};
constexpr VersionString kStrings[] = {
    {"FileVersion", {kFileVersion.data(), kFileVersion.size()}},
    {"ProductVersion", {kProductVersion.data(), kProductVersion.size()}},
};
constexpr VersionStringTable kTables[] = {{"040904E4", kStrings}};
constexpr VersionRecordView kRecord{nx::platform::parseVersion(nx::kFileVersion),
                                    nx::platform::parseVersion(nx::kProductVersion), kTranslations,
                                    kTables};

}  // namespace

// External linkage and "used" keep the record through compiler and linker alike.
[[gnu::used, gnu::retain,
  gnu::section(
      "nx_version")]] extern const std::array<unsigned char, nx::platform::encodedSize(kRecord)>
    nx_version_record =
        nx::platform::encodeVersionRecord<nx::platform::encodedSize(kRecord)>(kRecord);
