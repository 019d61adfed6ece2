#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nx::platform {

// The contents of the section `name` of the ELF file at `path` (32 or 64 bit, either byte order).
// nullopt when the file cannot be read, is not a well-formed ELF file, has no such section, or
// the section is larger than `maxSize`; a damaged file never reads outside what was read from it.
std::optional<std::vector<unsigned char>> readExecutableSection(const std::string& path,
                                                                std::string_view name,
                                                                std::size_t maxSize = 1 << 20);

}  // namespace nx::platform
