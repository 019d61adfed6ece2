#include "platform/version_record.h"

namespace nx::platform {
namespace {

// Every read checks the remaining length, so a damaged record ends in nullopt, never past the end.
class Reader {
 public:
  explicit Reader(std::span<const unsigned char> bytes) : bytes_(bytes) {}

  bool u16(std::uint16_t& v) {
    if (bytes_.size() - pos_ < 2) return false;
    v = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool u32(std::uint32_t& v) {
    std::uint16_t low = 0;
    std::uint16_t high = 0;
    if (!u16(low) || !u16(high)) return false;
    v = static_cast<std::uint32_t>(low) | (static_cast<std::uint32_t>(high) << 16);
    return true;
  }
  bool str8(std::string& s) {
    std::uint16_t n = 0;
    if (!u16(n) || bytes_.size() - pos_ < n) return false;
    s.assign(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
    pos_ += n;
    return true;
  }
  bool str16(std::u16string& s) {
    std::uint16_t n = 0;
    if (!u16(n) || (bytes_.size() - pos_) / 2 < n) return false;
    s.resize(n);
    for (auto& c : s) {
      std::uint16_t unit = 0;
      u16(unit);
      c = static_cast<char16_t>(unit);
    }
    return true;
  }
  bool magic() {
    const auto& m = record_detail::kMagic;
    if (bytes_.size() < m.size() || !std::equal(m.begin(), m.end(), bytes_.begin())) return false;
    pos_ = m.size();
    return true;
  }

 private:
  std::span<const unsigned char> bytes_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<VersionRecord> decodeVersionRecord(std::span<const unsigned char> bytes) {
  Reader in(bytes);
  std::uint16_t format = 0;
  if (!in.magic() || !in.u16(format) || format != record_detail::kFormat) return std::nullopt;
  VersionRecord record;
  for (auto& v : record.fileVersion)
    if (!in.u16(v)) return std::nullopt;
  for (auto& v : record.productVersion)
    if (!in.u16(v)) return std::nullopt;
  std::uint16_t count = 0;
  if (!in.u16(count)) return std::nullopt;
  for (std::uint16_t i = 0; i < count; ++i) {
    std::uint32_t translation = 0;
    if (!in.u32(translation)) return std::nullopt;
    record.translations.push_back(translation);
  }
  if (!in.u16(count)) return std::nullopt;
  for (std::uint16_t i = 0; i < count; ++i) {
    VersionRecord::Table table;
    std::uint16_t values = 0;
    if (!in.str8(table.key) || !in.u16(values)) return std::nullopt;
    for (std::uint16_t j = 0; j < values; ++j) {
      std::string name;
      std::u16string value;
      if (!in.str8(name) || !in.str16(value)) return std::nullopt;
      table.values.emplace_back(std::move(name), std::move(value));
    }
    record.tables.push_back(std::move(table));
  }
  return record;
}

}  // namespace nx::platform
