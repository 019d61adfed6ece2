#include "crc/encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crc/crc32.h"
#include "documents/errors.h"
#include "template_fixture.h"

namespace nx {
namespace {

using test::Entry;

std::string hex(const std::vector<uint8_t>& buf, size_t from = 1) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (size_t i = from; i < buf.size(); ++i) {
    if (!out.empty()) out += ' ';
    out += digits[buf[i] >> 4];
    out += digits[buf[i] & 15];
  }
  return out;
}

// The bytes one row yields, in a template of the given byte order.
std::string bytesOf(const std::string& type, const std::string& value, bool big,
                    const std::string& min = "Off", const std::string& max = "On") {
  ProgramState state;
  MemoryGrid grid;
  test::openTemplate(state, grid,
                     test::templateXml({{"P", type, value, min, max}}, big ? "BigEndian" : ""));
  generateCrc(state, grid);
  return hex(state.Buf);
}

TEST(Crc32Table, CheckEntries) {
  struct Case {
    int n;
    uint32_t v;
  } cases[] = {{0, 0x00000000}, {1, 0x77073096},   {2, 0xEE0E612C},
               {8, 0x0EDB8832}, {128, 0xEDB88320}, {255, 0x2D02EF8D}};
  for (const Case& c : cases) EXPECT_EQ(CRC32Table[c.n], c.v) << "entry " << c.n;
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    ASSERT_EQ(CRC32Table[n], c) << "entry " << n;
  }
}

TEST(Crc32, JamcrcCheckValue) {
  uint32_t reg = 0xFFFFFFFF;
  for (char c : std::string("123456789")) reg = CRC_Calc32(static_cast<uint8_t>(c), reg);
  EXPECT_EQ(reg, 0x340BC6D9u);
}

TEST(ValueEncoding, WorkedExamples) {
  struct Case {
    const char* type;
    const char* value;
    const char* big;
    const char* little;
  } cases[] = {
      {"BYTE", "200", "C8", "C8"},
      {"UBYTE", "200", "C8", "C8"},
      {"BYTE", "-1", "FF", "FF"},
      {"BYTE", "300", "2C", "2C"},
      {"BYTE", "256", "00", "00"},
      {"INT", "1000", "03 E8", "E8 03"},
      {"UINT", "1000", "03 E8", "E8 03"},
      {"INT", "-2", "FF FE", "FE FF"},
      {"INT", "70000", "11 70", "70 11"},
      {"LONG", "100000", "00 01 86 A0", "A0 86 01 00"},
      {"ULONG", "100000", "00 01 86 A0", "A0 86 01 00"},
      {"FLOAT", "100000", "00 01 86 A0", "A0 86 01 00"},
      {"FLOAT", "3", "00 00 00 03", "03 00 00 00"},
      {"FLOAT", "-2", "FF FF FF FE", "FE FF FF FF"},
      {"LONG", "-100000", "FF FE 79 60", "60 79 FE FF"},
      {"ULONG", "$FFFFFFFF", "FF FF FF FF", "FF FF FF FF"},
      {"LONG", "$80000000", "80 00 00 00", "00 00 00 80"},
      {"DOUBLE", "100000", "00 00 00 00 00 01 86 A0", "A0 86 01 00 00 00 00 00"},
      {"UDOUBLE", "100000", "00 00 00 00 00 01 86 A0", "A0 86 01 00 00 00 00 00"},
      {"DOUBLE", "-2", "FF FF FF FF FF FF FF FE", "FE FF FF FF FF FF FF FF"},
      {"UDOUBLE", "-1", "FF FF FF FF FF FF FF FF", "FF FF FF FF FF FF FF FF"},
      {"LONG", " 12", "00 00 00 0C", "0C 00 00 00"},
      {"BOOL", "On", "01", "01"},
      {"BOOL", "Off", "00", "00"},
      {"BOOL", "on", "00", "00"},
      {"STRING", "anything", "", ""},
      {"int", "5", "", ""},
      {" INT", "5", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bytesOf(c.type, c.value, true), c.big) << c.type << " " << c.value << " big";
    EXPECT_EQ(bytesOf(c.type, c.value, false), c.little) << c.type << " " << c.value << " little";
  }
}

TEST(ValueEncoding, BoolWithEqualLimitsIsAlwaysOff) {
  EXPECT_EQ(bytesOf("BOOL", "Same", true, "Same", "Same"), "00");
}

TEST(ValueEncoding, RowsFollowEachOtherWithoutGaps) {
  ProgramState state;
  MemoryGrid grid;
  test::openTemplate(state, grid,
                     test::templateXml({{"A", "INT", "1"},
                                        {"S", "STRING", "text"},
                                        {"D", "DOUBLE", "2"},
                                        {"X", "nothing", "9"},
                                        {"B", "BYTE", "3"}},
                                       "BigEndian"));
  generateCrc(state, grid);
  EXPECT_EQ(hex(state.Buf), "00 01 00 00 00 00 00 00 00 02 03");
  EXPECT_EQ(state.Buf[0], 0);
}

TEST(ValueEncoding, SharedNamesTakeFirstTypeAndLastRowValue) {
  ProgramState state;
  MemoryGrid grid;
  test::openTemplate(state, grid,
                     test::templateXml({{"A", "BYTE", "1"}, {"A", "INT", "2"}}, "BigEndian"));
  generateCrc(state, grid);
  // Both rows are BYTE (first entry's TYPE), both take the value of row 2 (the last A).
  EXPECT_EQ(hex(state.Buf), "02 02");
}

TEST(ValueEncoding, RejectedTextStopsWithConversionError) {
  for (const char* bad : {"4294967295", "1.5", "1,5", "12 ", "", "abc", "$100000000"}) {
    ProgramState state;
    MemoryGrid grid;
    test::openTemplate(state, grid, test::templateXml({{"P", "ULONG", bad}}, "BigEndian"));
    state.CRC32temp = 1234;
    try {
      generateCrc(state, grid);
      ADD_FAILURE() << "no error for '" << bad << "'";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()),
                "''" + std::string(bad) + "'' ist kein gültiger Integer-Wert");
    }
    EXPECT_EQ(state.CRC32temp, 1234u) << "CRC32temp must keep its value";
  }
}

// The whole-buffer examples and their CRCs.
TEST(GenerateCrc, WorkedExamples) {
  struct Case {
    const char* endian;
    std::vector<Entry> entries;
    const char* bytes;
    uint32_t crc;
    const char* dec;
    const char* hex;
  } cases[] = {
      {"BigEndian", {}, "", 0xFFFFFFFF, "4294967295", "0xFFFFFFFF"},
      {"", {}, "", 0xFFFFFFFF, "4294967295", "0xFFFFFFFF"},
      {"BigEndian",
       {{"B", "BOOL", "On", "Off", "On"},
        {"Y", "BYTE", "5"},
        {"I", "INT", "1000"},
        {"L", "LONG", "100000"}},
       "01 05 03 E8 00 01 86 A0",
       0x20B2070D,
       "548538125",
       "0x20B2070D"},
      {"",
       {{"B", "BOOL", "On", "Off", "On"},
        {"Y", "BYTE", "5"},
        {"I", "INT", "1000"},
        {"L", "LONG", "100000"}},
       "01 05 E8 03 A0 86 01 00",
       0xE6A33008,
       "3869454344",
       "0xE6A33008"},
      {"BigEndian", {{"Y", "BYTE", "255"}}, "FF", 0x00FFFFFF, "16777215", "0xFFFFFF"},
  };
  for (const Case& c : cases) {
    ProgramState state;
    MemoryGrid grid;
    test::openTemplate(state, grid, test::templateXml(c.entries, c.endian));
    uint32_t crc = generateCrc(state, grid);
    EXPECT_EQ(hex(state.Buf), c.bytes) << c.dec;
    EXPECT_EQ(crc, c.crc) << c.dec;
    EXPECT_EQ(state.CRC32temp, c.crc) << c.dec;
    EXPECT_EQ(crcText(crc, false), c.dec);
    EXPECT_EQ(crcText(crc, true), c.hex);
    EXPECT_EQ(generateCrc(state, grid), crc) << "a second run gives the same value";
  }
}

TEST(GenerateCrc, ByteReversalOfTheAsciiCheck) {
  // Nine BYTE rows holding "1" … "9" as ASCII codes feed 31 32 … 39.
  std::vector<Entry> entries;
  for (int i = 0; i < 9; ++i)
    entries.push_back({"P" + std::to_string(i), "BYTE", std::to_string(0x31 + i)});
  struct Case {
    const char* endian;
    uint32_t crc;
    const char* dec;
  } cases[] = {{"BigEndian", 0x340BC6D9, "873187033"}, {"Little", 0xD9C60B34, "3653634868"}};
  for (const Case& c : cases) {
    ProgramState state;
    MemoryGrid grid;
    test::openTemplate(state, grid, test::templateXml(entries, c.endian));
    EXPECT_EQ(generateCrc(state, grid), c.crc);
    EXPECT_EQ(crcText(c.crc, false), c.dec);
  }
}

TEST(CrcText, HexHasAtLeastFourDigits) {
  struct Case {
    uint32_t v;
    const char* hex;
    const char* dec;
  } cases[] = {{0, "0x0000", "0"},
               {0xABC, "0x0ABC", "2748"},
               {0x12345, "0x12345", "74565"},
               {0x80000000, "0x80000000", "2147483648"},
               {0xFFFFFFFF, "0xFFFFFFFF", "4294967295"}};
  for (const Case& c : cases) {
    EXPECT_EQ(crcText(c.v, true), c.hex);
    EXPECT_EQ(crcText(c.v, false), c.dec);
  }
}

}  // namespace
}  // namespace nx
