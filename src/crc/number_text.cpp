#include "crc/number_text.h"

#include <charconv>
#include <cmath>
#include <string>

#include "documents/errors.h"

namespace nx {

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<int32_t> tryStrToInt(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

  bool hex = false;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == s.size()) return std::nullopt;  // empty, a lone sign or a lone prefix

  if (hex) {
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
      int d = hexDigit(s[i]);
      if (d < 0) return std::nullopt;
      v = v * 16 + static_cast<uint64_t>(d);
      if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    uint32_t bits = static_cast<uint32_t>(v);
    if (negative) bits = 0u - bits;  // two's-complement negation, as the 32-bit register does
    return static_cast<int32_t>(bits);
  }

  uint64_t v = 0;
  for (; i < s.size(); ++i) {
    if (!isDigit(s[i])) return std::nullopt;
    v = v * 10 + static_cast<uint64_t>(s[i] - '0');
    if (v > 2147483648ull) return std::nullopt;
  }
  if (negative) return static_cast<int32_t>(-static_cast<int64_t>(v));
  if (v > 2147483647ull) return std::nullopt;
  return static_cast<int32_t>(v);
}

int32_t StrToInt(std::string_view text) {
  if (auto v = tryStrToInt(text)) return *v;
  throw ConversionError("''" + std::string(text) + "'' ist kein gültiger Integer-Wert");
}

std::optional<double> tryStrToFloat(std::string_view s, std::string_view sep) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  size_t end = s.size();
  while (end > i && s[end - 1] == ' ') --end;

  // Rebuild the number in the plain "C" form; from_chars does not depend on the process locale.
  bool negative = false;
  if (i < end && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  std::string plain;
  size_t mantissa = 0;
  int64_t leadingDigits = 0;  // digits before the separator, leading zeros left out
  while (i < end && isDigit(s[i])) {
    if (leadingDigits > 0 || s[i] != '0') ++leadingDigits;
    plain += s[i++];
    ++mantissa;
  }
  bool separator = false;
  if (!sep.empty() && i + sep.size() <= end && s.substr(i, sep.size()) == sep) {
    separator = true;
    plain += '.';
    i += sep.size();
    while (i < end && isDigit(s[i])) {
      plain += s[i++];
      ++mantissa;
    }
  }
  if (mantissa == 0 && !separator) return std::nullopt;
  int64_t exponent = 0;
  if (i < end && (s[i] == 'e' || s[i] == 'E')) {
    plain += 'e';
    ++i;
    bool negativeExponent = false;
    if (i < end && (s[i] == '+' || s[i] == '-')) {
      negativeExponent = s[i] == '-';
      plain += s[i++];
    }
    size_t digits = 0;
    while (i < end && isDigit(s[i])) {
      if (exponent < 100000000) exponent = exponent * 10 + (s[i] - '0');
      plain += s[i++];
      ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (negativeExponent) exponent = -exponent;
  }
  if (i != end) return std::nullopt;
  if (mantissa == 0) plain.insert(0, "0");  // a lone separator reads as zero

  double v = 0;
  auto [stop, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), v);
  if (stop != plain.data() + plain.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    if (leadingDigits + exponent > 0) return std::nullopt;  // too large for a double
    v = 0;                                                  // too small: reads as zero
  } else if (ec != std::errc()) {
    return std::nullopt;
  }
  if (std::isinf(v)) return std::nullopt;
  return negative ? -v : v;
}

}  // namespace nx
