#include "documents/cell_rules.h"

#include <gtest/gtest.h>

#include "template_fixture.h"

namespace nx {
namespace {

using test::Entry;

struct Expect {
  const char* value;
  bool valid;
  const char* title;
  const char* text;
};

class CellRulesTest : public ::testing::Test {
 protected:
  void open(const std::vector<Entry>& entries) {
    test::openTemplate(state, grid, test::templateXml(entries, "BigEndian"));
  }
  void check(int row, const std::vector<Expect>& cases, const char* sep = ".") {
    for (const Expect& c : cases) {
      CellVerdict v = validateCell(state, row, c.value, sep);
      EXPECT_EQ(v.valid, c.valid) << "value '" << c.value << "'";
      EXPECT_EQ(v.title, c.title) << "value '" << c.value << "'";
      EXPECT_EQ(v.text, c.text) << "value '" << c.value << "'";
    }
  }
  ProgramState state;
  MemoryGrid grid;
};

constexpr const char* kRange0to100 = "Value is not in valid range. Min: 0 Max: 100";
constexpr const char* kOnlyInteger = "Only integer are allowed";
constexpr const char* kLocked = "Is not allowed to change the value";

TEST_F(CellRulesTest, IntegerRowWithRange) {
  open({{"P", "INT", "5", "0", "100", "Yes"}});
  check(1, {{"100", true, "", ""},
            {"0", true, "", ""},
            {"0x10", true, "", ""},
            {" 50", true, "", ""},
            {"101", false, "Input error", kRange0to100},
            {"-1", false, "Input error", kRange0to100},
            {"150", false, "Input error", kRange0to100},
            {"12abc", false, "Entry error", kOnlyInteger},
            {"", false, "Entry error", kOnlyInteger},
            {"1.5", false, "Entry error", kOnlyInteger}});
  CellVerdict v = validateCell(state, 1, "5", ".");
  EXPECT_TRUE(v.emptyCrc);
  EXPECT_TRUE(v.shadeWhite);
}

TEST_F(CellRulesTest, NegativeLimitsAreWrittenPlain) {
  open({{"P", "LONG", "5", "-0x10", "+20", "Yes"}});
  check(1, {{"-17", false, "Input error", "Value is not in valid range. Min: -16 Max: 20"}});
}

TEST_F(CellRulesTest, LockedIntegerRowConvertsBeforeTheLock) {
  open({{"P", "INT", "5", "0", "100", "No"}});
  check(1, {{"50", false, "Error", kLocked}, {"abc", false, "Entry error", kOnlyInteger}});
}

TEST_F(CellRulesTest, BrokenLimitsRejectEveryEntry) {
  struct Case {
    const char* min;
    const char* max;
  } cases[] = {{"", "100"}, {"0", "4294967295"}, {"zero", "10"}};
  for (const Case& c : cases) {
    ProgramState s;
    MemoryGrid g;
    test::openTemplate(s, g, test::templateXml({{"P", "UINT", "5", c.min, c.max, "Yes"}}, ""));
    CellVerdict v = validateCell(s, 1, "5", ".");
    EXPECT_FALSE(v.valid) << c.min << " " << c.max;
    EXPECT_EQ(v.text, kOnlyInteger);
  }
  // Without a MIN element at all.
  ProgramState s;
  MemoryGrid g;
  test::openTemplate(
      s, g,
      "<T><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT>1</DEFAULT></CRC><PARAMETER><P><TYPE>INT"
      "</TYPE><MAX>9</MAX><ENABLE>Yes</ENABLE></P></PARAMETER></T>");
  EXPECT_EQ(validateCell(s, 1, "5", ".").text, kOnlyInteger);
}

TEST_F(CellRulesTest, FloatRowFollowsTheDecimalSeparator) {
  open({{"F", "FLOAT", "1", "0", "10", "Yes"}});
  check(1,
        {{"2.5", true, "", ""},
         {"10.5", false, "Entry error", "Value is not in valid range. Min: 0 Max: 10"},
         {"2,5", false, "Entry Error", kOnlyInteger}},
        ".");
  check(1, {{"2,5", true, "", ""}, {"2.5", false, "Entry Error", kOnlyInteger}}, ",");
}

TEST_F(CellRulesTest, FloatLimitsRoundHalfToEven) {
  open({{"F", "FLOAT", "1", "0.5", "2.5", "Yes"}, {"G", "FLOAT", "1", "-1.5", "3.5", "Yes"}});
  check(1, {{"3", false, "Entry error", "Value is not in valid range. Min: 0 Max: 2"}});
  check(2, {{"9", false, "Entry error", "Value is not in valid range. Min: -2 Max: 4"}});
}

TEST_F(CellRulesTest, BoolRows) {
  open({{"B", "BOOL", "Off", "Off", "On", "Yes"},
        {"C", "BOOL", "Off", "Off", "On", "No"},
        {"D", "BOOL", "Off", "Off", "On", "no"}});
  check(1, {{"On", true, "", ""}, {"Off", true, "", ""}});
  check(2, {{"On", false, "Error", kLocked}});
  check(3, {{"typed", false, "Error", kLocked}});
  EXPECT_FALSE(validateCell(state, 1, "On", ".").emptyCrc) << "a BOOL change keeps the CRC";
  EXPECT_TRUE(validateCell(state, 1, "On", ".").shadeWhite);

  EditorChoice list = editorFor(state, 1, 1);
  EXPECT_EQ(list.kind, EditorKind::List);
  EXPECT_EQ(list.choices, (std::vector<std::string>{"On", "Off"}));
  EXPECT_EQ(editorFor(state, 0, 1).kind, EditorKind::Plain);
  EXPECT_EQ(editorFor(state, 1, 2).kind, EditorKind::Plain);
}

TEST_F(CellRulesTest, StringAndUnknownTypesAcceptAnything) {
  open({{"S", "STRING", "x", "", "", "No"}, {"U", "int", "x", "0", "1", "No"}});
  check(1, {{"anything at all", true, "", ""}});
  check(2, {{"abc", true, "", ""}});
  EXPECT_FALSE(validateCell(state, 1, "x", ".").emptyCrc);
}

TEST_F(CellRulesTest, NoTemplateAcceptsAnything) {
  CellVerdict v = validateCell(state, 1, "whatever", ".");
  EXPECT_TRUE(v.valid);
  EXPECT_FALSE(v.emptyCrc);
  EXPECT_TRUE(editingAfterClick(state, 1));
  EXPECT_EQ(tooltipFor(state, 1), "");
}

// The editing switch by row type, ENABLE text and the event that reached the grid.
TEST_F(CellRulesTest, EditingSwitchTable) {
  open({{"I", "INT", "1", "0", "9", "Yes"},
        {"B", "BOOL", "Off", "Off", "On", "No"},
        {"C", "BOOL", "Off", "Off", "On", "no"},
        {"L", "INT", "1", "0", "9", "No"}});
  struct Case {
    int row;
    bool click;
    std::optional<bool> key;
  } cases[] = {{1, true, true}, {2, false, false}, {3, true, false}, {4, true, std::nullopt}};
  for (const Case& c : cases) {
    EXPECT_EQ(editingAfterClick(state, c.row), c.click) << "row " << c.row;
    EXPECT_EQ(editingAfterKeyUp(state, 1, c.row), c.key) << "row " << c.row;
    EXPECT_EQ(editingAfterKeyUp(state, 0, c.row), false) << "row " << c.row;
  }
}

}  // namespace
}  // namespace nx
