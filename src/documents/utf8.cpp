#include "documents/utf8.h"

namespace nx {

std::optional<char32_t> nextCodePoint(std::string_view text, size_t& pos) {
  if (pos >= text.size()) return std::nullopt;
  unsigned char lead = static_cast<unsigned char>(text[pos]);
  int extra = lead < 0x80             ? 0
              : (lead & 0xE0) == 0xC0 ? 1
              : (lead & 0xF0) == 0xE0 ? 2
              : (lead & 0xF8) == 0xF0 ? 3
                                      : -1;
  if (extra < 0 || text.size() - pos <= static_cast<size_t>(extra)) return std::nullopt;
  char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    auto b = static_cast<unsigned char>(text[pos + static_cast<size_t>(k)]);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  pos += static_cast<size_t>(extra) + 1;
  return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace nx
