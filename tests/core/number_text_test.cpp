#include "crc/number_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "documents/errors.h"

namespace nx {
namespace {

TEST(IntegerText, AcceptedAndRejectedForms) {
  struct Case {
    const char* text;
    std::optional<int32_t> expected;
  } cases[] = {
      {"0", 0},
      {"100", 100},
      {"  12", 12},
      {"+7", 7},
      {"-7", -7},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"$1F", 31},
      {"x1F", 31},
      {"X1f", 31},
      {"0x1F", 31},
      {"0X1F", 31},
      {"-$10", -16},
      {"+0x10", 16},
      {"$FFFFFFFF", -1},
      {"$80000000", INT32_MIN},
      {"-$FFFFFFFF", 1},
      {"$000000001", 1},
      {"  -0x10", -16},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"$100000000", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"x", std::nullopt},
      {"12 ", std::nullopt},
      {"\t12", std::nullopt},
      {"1.5", std::nullopt},
      {"1,5", std::nullopt},
      {"12abc", std::nullopt},
      {"+-1", std::nullopt},
      {"--1", std::nullopt},
      {"- 1", std::nullopt},
      {"00x10", std::nullopt},
      {"$G", std::nullopt},
      {"0x-1", std::nullopt},
      {"4294967295", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(tryStrToInt(c.text), c.expected) << "text: '" << c.text << "'";
}

TEST(IntegerText, ErrorNamesTheRejectedText) {
  try {
    StrToInt("12abc");
    FAIL() << "no error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "''12abc'' ist kein gültiger Integer-Wert");
    EXPECT_EQ(withFullStop(e.what()), "''12abc'' ist kein gültiger Integer-Wert.");
  }
}

TEST(FloatText, PointAndCommaSeparators) {
  struct Case {
    const char* text;
    const char* sep;
    std::optional<double> expected;
  } cases[] = {
      {"2.5", ".", 2.5},
      {"2,5", ",", 2.5},
      {"2.5", ",", std::nullopt},
      {"2,5", ".", std::nullopt},
      {"  -1.5  ", ".", -1.5},
      {"+3", ".", 3.0},
      {"1e3", ".", 1000.0},
      {"1.5E-2", ".", 0.015},
      {".5", ".", 0.5},
      {"5.", ".", 5.0},
      {"1e", ".", std::nullopt},
      {"e5", ".", std::nullopt},
      {"", ".", std::nullopt},
      {" ", ".", std::nullopt},
      {"1.2.3", ".", std::nullopt},
      {"abc", ".", std::nullopt},
      {"1e999", ".", std::nullopt},
      {"1e-999", ".", 0.0},
      {"0x10", ".", std::nullopt},
      {"1 000", ".", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(tryStrToFloat(c.text, c.sep), c.expected) << "text: '" << c.text << "' sep " << c.sep;
}

}  // namespace
}  // namespace nx
