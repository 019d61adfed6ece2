#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace nx {

// The integer text conversion: leading blanks (space only), at most one sign, then decimal digits
// or one of the prefixes "$", "x", "X", "0x", "0X" with hexadecimal digits, and nothing after.
// Decimal values must fit in int32; hexadecimal ones may use all 32 bits as two's complement
// ($FFFFFFFF is -1) and a "-" negates that value.
std::optional<int32_t> tryStrToInt(std::string_view text);

// The same, throwing ConversionError "''text'' ist kein gültiger Integer-Wert".
int32_t StrToInt(std::string_view text);

// The float text conversion of the cell rules: leading and trailing blanks, an optional sign,
// digits with the locale's decimal separator, an optional exponent. Rejects values too large for
// a double.
std::optional<double> tryStrToFloat(std::string_view text, std::string_view decimalSeparator);

}  // namespace nx
