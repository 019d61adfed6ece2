#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nx {

// The code point of the UTF-8 sequence at `pos` in `text`, advancing `pos` past it; nullopt (and
// `pos` unchanged) for a malformed, overlong or surrogate sequence.
std::optional<char32_t> nextCodePoint(std::string_view text, size_t& pos);

// Appends the UTF-8 form of `cp` (at most U+10FFFF).
void appendUtf8(std::string& out, char32_t cp);

}  // namespace nx
