// Cross-checks the integer and float text conversions against slow references written from the
// rules alone. The first input byte picks the decimal separator, the rest is the text.

#include <cerrno>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "crc/number_text.h"
#include "documents/errors.h"
#include "fuzz_support.h"

using nx::fuzz::require;

namespace {

bool allOf(std::string_view s, bool (*pred)(char)) {
  for (char c : s)
    if (!pred(c)) return false;
  return true;
}
bool decimalDigit(char c) { return c >= '0' && c <= '9'; }
bool hexDigit(char c) {
  return decimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string_view withoutLeadingZeros(std::string_view digits) {
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  return digits;
}

// Leading blanks, at most one sign, then decimal digits or a hexadecimal prefix with at least one
// hexadecimal digit, and nothing after. Decimal: -2147483648 … 2147483647. Hexadecimal: up to 32
// bits as two's complement, a "-" negating that value.
std::optional<int32_t> referenceInt(std::string_view text) {
  std::string_view s = text;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  bool minus = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    minus = s.front() == '-';
    s.remove_prefix(1);
  }
  if (!s.empty() && allOf(s, decimalDigit)) {
    std::string_view d = withoutLeadingZeros(s);
    if (d.size() > 10) return std::nullopt;
    int64_t magnitude = std::stoll(std::string(d));
    int64_t value = minus ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
  }
  for (std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
    if (s.substr(0, prefix.size()) != prefix) continue;
    std::string_view h = s.substr(prefix.size());
    if (h.empty() || !allOf(h, hexDigit)) continue;
    h = withoutLeadingZeros(h);
    if (h.size() > 8) return std::nullopt;
    uint32_t bits = static_cast<uint32_t>(std::stoul(std::string(h), nullptr, 16));
    if (minus) bits = ~bits + 1u;
    return static_cast<int32_t>(bits);
  }
  return std::nullopt;
}

// Leading and trailing blanks, an optional sign, digits, optionally the separator and more
// digits, optionally "E"/"e", a sign and exponent digits. At least one digit or the separator
// before the exponent. Too large for a double: rejected.
struct FloatAnswer {
  bool accepted = false;
  double value = 0;
  bool underflow = false;
};

FloatAnswer referenceFloat(std::string_view text, std::string_view sep) {
  std::string_view s = text;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  std::string c;  // the same number in the "C" locale's spelling
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    c += s.front();
    s.remove_prefix(1);
  }
  size_t intDigits = 0;
  while (intDigits < s.size() && decimalDigit(s[intDigits])) ++intDigits;
  c.append(s.substr(0, intDigits));
  s.remove_prefix(intDigits);
  bool hasSep = !s.empty() && s.substr(0, sep.size()) == sep;
  size_t fracDigits = 0;
  if (hasSep) {
    s.remove_prefix(sep.size());
    while (fracDigits < s.size() && decimalDigit(s[fracDigits])) ++fracDigits;
    c += intDigits == 0 ? "0." : ".";
    c.append(s.substr(0, fracDigits));
    s.remove_prefix(fracDigits);
    if (fracDigits == 0) c += '0';
  }
  if (intDigits == 0 && !hasSep) return {};
  if (!s.empty() && (s.front() == 'e' || s.front() == 'E')) {
    s.remove_prefix(1);
    std::string exponent = "e";
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
      exponent += s.front();
      s.remove_prefix(1);
    }
    size_t expDigits = 0;
    while (expDigits < s.size() && decimalDigit(s[expDigits])) ++expDigits;
    if (expDigits == 0) return {};
    exponent.append(s.substr(0, expDigits));
    s.remove_prefix(expDigits);
    c += exponent;
  }
  if (!s.empty()) return {};
  errno = 0;
  char* end = nullptr;
  double v = std::strtod(c.c_str(), &end);
  require(end == c.c_str() + c.size(), "reference spelling not read whole", c);
  if (errno == ERANGE && std::isinf(v)) return {};
  FloatAnswer answer;
  answer.accepted = true;
  answer.value = v;
  answer.underflow = errno == ERANGE;
  return answer;
}

// "." and "," as most locales have them; any other first byte picks a separator of two bytes.
std::string_view separatorFor(uint8_t choice) {
  if (choice == '.') return ".";
  if (choice == ',') return ",";
  return "\xC2\xB7";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // strtod must read the "C" spelling whatever the environment says.
  std::setlocale(LC_ALL, "C");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return -1;
  std::string_view sep = separatorFor(data[0]);
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::optional<int32_t> want = referenceInt(text);
  std::optional<int32_t> got = nx::tryStrToInt(text);
  require(want.has_value() == got.has_value(), "integer acceptance differs", text);
  if (want) require(*want == *got, "integer value differs", text);
  try {
    int32_t v = nx::StrToInt(text);
    require(want && v == *want, "StrToInt accepted what the rules reject", text);
  } catch (const nx::ConversionError& e) {
    require(!want, "StrToInt rejected what the rules accept", text);
    // what() is a C string: a NUL in the text ends the message there.
    std::string expected = "''" + std::string(text) + "'' ist kein gültiger Integer-Wert";
    require(std::string(e.what()) == expected.substr(0, expected.find('\0')),
            "conversion error text", e.what());
  }

  FloatAnswer f = referenceFloat(text, sep);
  std::optional<double> g = nx::tryStrToFloat(text, sep);
  require(f.accepted == g.has_value(), "float acceptance differs", text);
  if (f.accepted) {
    // Below the normal range the program may read a value as zero instead of rounding it.
    bool same = *g == f.value || (f.underflow && std::fabs(*g) < DBL_MIN);
    require(same && std::signbit(*g) == std::signbit(f.value), "float value differs", text);
  }
  return 0;
}
