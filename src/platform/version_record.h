#pragma once

// The program's version record outside Windows: the same information a Windows version resource
// carries (fixed versions, translation table, one string table per translation), written by
// encodeVersionRecord at compile time into a section of the executable and read back by
// decodeVersionRecord. All numbers are little-endian; texts are UTF-16LE.
//
//   "NXVR" u16 format(=1)
//   u16 fileVersion[4]  u16 productVersion[4]
//   u16 translationCount, u32 translation[]        (language | codePage << 16)
//   u16 tableCount, per table: str8 key, u16 valueCount, per value: str8 name, str16 value
//   str8 = u16 length + bytes, str16 = u16 length in code units + UTF-16LE code units

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nx::platform {

// Name of the executable section that holds the record.
inline constexpr const char* kVersionSectionName = "nx_version";

struct VersionString {
  std::string_view name;
  std::u16string_view value;
};

struct VersionStringTable {
  std::string_view key;  // language and code page as 8 upper-case hex digits, "040904E4"
  std::span<const VersionString> values;
};

struct VersionRecordView {
  std::array<std::uint16_t, 4> fileVersion{};
  std::array<std::uint16_t, 4> productVersion{};
  std::span<const std::uint32_t> translations;
  std::span<const VersionStringTable> tables;
};

// What decodeVersionRecord finds in a section.
struct VersionRecord {
  struct Table {
    std::string key;
    std::vector<std::pair<std::string, std::u16string>> values;
  };
  std::array<std::uint16_t, 4> fileVersion{};
  std::array<std::uint16_t, 4> productVersion{};
  std::vector<std::uint32_t> translations;
  std::vector<Table> tables;
};

namespace record_detail {
inline constexpr std::array<unsigned char, 4> kMagic{'N', 'X', 'V', 'R'};
inline constexpr std::uint16_t kFormat = 1;

class Writer {
 public:
  constexpr explicit Writer(unsigned char* out) : out_(out) {}
  constexpr void u8(std::uint8_t v) {
    if (out_) out_[size_] = v;
    ++size_;
  }
  constexpr void u16(std::uint16_t v) {
    u8(static_cast<std::uint8_t>(v & 0xFF));
    u8(static_cast<std::uint8_t>(v >> 8));
  }
  constexpr void u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v & 0xFFFF));
    u16(static_cast<std::uint16_t>(v >> 16));
  }
  constexpr void str8(std::string_view s) {
    u16(static_cast<std::uint16_t>(s.size()));
    for (char c : s) u8(static_cast<std::uint8_t>(c));
  }
  constexpr void str16(std::u16string_view s) {
    u16(static_cast<std::uint16_t>(s.size()));
    for (char16_t c : s) u16(static_cast<std::uint16_t>(c));
  }
  constexpr std::size_t size() const { return size_; }

 private:
  unsigned char* out_;
  std::size_t size_ = 0;
};

constexpr std::size_t write(const VersionRecordView& r, unsigned char* out) {
  Writer w(out);
  for (unsigned char c : kMagic) w.u8(c);
  w.u16(kFormat);
  for (auto v : r.fileVersion) w.u16(v);
  for (auto v : r.productVersion) w.u16(v);
  w.u16(static_cast<std::uint16_t>(r.translations.size()));
  for (auto t : r.translations) w.u32(t);
  w.u16(static_cast<std::uint16_t>(r.tables.size()));
  for (const auto& table : r.tables) {
    w.str8(table.key);
    w.u16(static_cast<std::uint16_t>(table.values.size()));
    for (const auto& value : table.values) {
      w.str8(value.name);
      w.str16(value.value);
    }
  }
  return w.size();
}
}  // namespace record_detail

constexpr std::size_t encodedSize(const VersionRecordView& r) {
  return record_detail::write(r, nullptr);
}

// N must be encodedSize(r); use as encodeVersionRecord<encodedSize(r)>(r).
template <std::size_t N>
constexpr std::array<unsigned char, N> encodeVersionRecord(const VersionRecordView& r) {
  std::array<unsigned char, N> out{};
  record_detail::write(r, out.data());
  return out;
}

// Parses a record; nullopt when the bytes are not a complete record of a known format.
std::optional<VersionRecord> decodeVersionRecord(std::span<const unsigned char> bytes);

// "a.b.c.d" of decimal numbers, for the fixed versions; throws in a constant expression otherwise.
constexpr std::array<std::uint16_t, 4> parseVersion(std::string_view text) {
  std::array<std::uint16_t, 4> parts{};
  std::size_t part = 0;
  std::uint32_t value = 0;
  bool digits = false;
  for (char c : text) {
    if (c == '.') {
      if (!digits || part == 3) throw "malformed version";
      parts[part++] = static_cast<std::uint16_t>(value);
      value = 0;
      digits = false;
    } else if (c >= '0' && c <= '9') {
      value = value * 10 + static_cast<std::uint32_t>(c - '0');
      if (value > 0xFFFF) throw "version part too large";
      digits = true;
    } else {
      throw "malformed version";
    }
  }
  if (!digits || part != 3) throw "malformed version";
  parts[3] = static_cast<std::uint16_t>(value);
  return parts;
}

}  // namespace nx::platform
