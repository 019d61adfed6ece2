#include "platform/executable_section.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace nx::platform {
namespace {

constexpr std::uint32_t kSectionWithoutFileData = 8;  // SHT_NOBITS
constexpr std::size_t kMaxSections = 65280;           // below the reserved indices

// Reads ranges of one file; every range is checked against the file's size first.
class ElfFile {
 public:
  explicit ElfFile(const std::string& path) : in_(path, std::ios::binary) {
    if (!in_) return;
    in_.seekg(0, std::ios::end);
    const auto end = in_.tellg();
    if (end < 0) return;
    size_ = static_cast<std::uint64_t>(end);
  }

  bool read(std::uint64_t offset, std::uint64_t length, unsigned char* out) {
    if (!in_ || offset > size_ || length > size_ - offset) return false;
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(length));
    return static_cast<std::uint64_t>(in_.gcount()) == length;
  }

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
};

class Fields {
 public:
  Fields(const unsigned char* data, bool bigEndian) : data_(data), bigEndian_(bigEndian) {}
  std::uint64_t at(std::size_t offset, std::size_t width) const {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < width; ++i) {
      const std::size_t byte = bigEndian_ ? i : width - 1 - i;
      v = (v << 8) | data_[offset + byte];
    }
    return v;
  }

 private:
  const unsigned char* data_;
  bool bigEndian_;
};

struct Layout {
  std::size_t shoff, shoffWidth, shentsize, shnum, shstrndx;  // in the file header
  std::size_t headerSize;                                     // of one section header
  std::size_t offset, size, width;                            // in a section header
};
constexpr Layout kElf32{0x20, 4, 0x2E, 0x30, 0x32, 0x28, 0x10, 0x14, 4};
constexpr Layout kElf64{0x28, 8, 0x3A, 0x3C, 0x3E, 0x40, 0x18, 0x20, 8};

}  // namespace

std::optional<std::vector<unsigned char>> readExecutableSection(const std::string& path,
                                                                std::string_view name,
                                                                std::size_t maxSize) {
  ElfFile file(path);
  unsigned char header[64] = {};
  if (!file.read(0, 16, header) || std::memcmp(header,
                                               "\x7f"
                                               "ELF",
                                               4) != 0)
    return std::nullopt;
  if (header[4] != 1 && header[4] != 2) return std::nullopt;
  if (header[5] != 1 && header[5] != 2) return std::nullopt;
  const Layout& layout = header[4] == 1 ? kElf32 : kElf64;
  const bool bigEndian = header[5] == 2;
  if (!file.read(0, layout.shstrndx + 2, header)) return std::nullopt;
  const Fields head(header, bigEndian);
  const std::uint64_t shoff = head.at(layout.shoff, layout.shoffWidth);
  const std::uint64_t shentsize = head.at(layout.shentsize, 2);
  const std::uint64_t shnum = head.at(layout.shnum, 2);
  const std::uint64_t shstrndx = head.at(layout.shstrndx, 2);
  if (shentsize < layout.headerSize || shnum == 0 || shnum > kMaxSections || shstrndx >= shnum)
    return std::nullopt;

  std::vector<unsigned char> table(shentsize * shnum);
  if (!file.read(shoff, table.size(), table.data())) return std::nullopt;
  auto section = [&](std::uint64_t index) {
    return Fields(table.data() + index * shentsize, bigEndian);
  };

  const Fields names = section(shstrndx);
  const std::uint64_t namesOffset = names.at(layout.offset, layout.width);
  const std::uint64_t namesSize = names.at(layout.size, layout.width);
  if (namesSize > (1u << 24)) return std::nullopt;
  std::vector<unsigned char> nameTable(namesSize);
  if (!file.read(namesOffset, namesSize, nameTable.data())) return std::nullopt;

  for (std::uint64_t i = 0; i < shnum; ++i) {
    const Fields s = section(i);
    const std::uint64_t nameOffset = s.at(0, 4);
    if (nameOffset >= nameTable.size()) continue;
    const auto start = nameTable.begin() + static_cast<std::ptrdiff_t>(nameOffset);
    const auto end = std::find(start, nameTable.end(), 0);
    if (!std::equal(start, end, name.begin(), name.end())) continue;
    if (s.at(4, 4) == kSectionWithoutFileData) return std::nullopt;
    const std::uint64_t size = s.at(layout.size, layout.width);
    if (size > maxSize) return std::nullopt;
    std::vector<unsigned char> contents(size);
    if (!file.read(s.at(layout.offset, layout.width), size, contents.data())) return std::nullopt;
    return contents;
  }
  return std::nullopt;
}

}  // namespace nx::platform
