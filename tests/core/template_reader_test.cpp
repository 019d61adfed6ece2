#include "documents/template_reader.h"

#include <gtest/gtest.h>

#include "documents/errors.h"

namespace nx {
namespace {

class TemplateReaderTest : public ::testing::Test {
 protected:
  void load(std::string_view xml) { vorlage.loadFromBuffer(xml, "t.xml"); }
  XmlDocument vorlage;
};

TEST_F(TemplateReaderTest, ClosedTemplateAnswersEmpty) {
  EXPECT_EQ(Read_Vorlagenparameter(vorlage, 0, "CAPTION"), "");
  EXPECT_EQ(Read_Vorlagen_CRC(vorlage, "DEVICE"), "");
  EXPECT_EQ(Get_ParaName(vorlage, 1), "");
  EXPECT_EQ(Get_Datatype(vorlage, "A"), "");
  EXPECT_EQ(Get_Parametertype(vorlage, "A"), kTypeNone);
  EXPECT_FALSE(Get_Endian(vorlage));
}

TEST_F(TemplateReaderTest, TypeCodesAreExact) {
  struct Case {
    const char* type;
    int32_t code;
  } cases[] = {{"BYTE", 1},  {"UBYTE", 1},  {"INT", 1},    {"UINT", 1},
               {"LONG", 1},  {"ULONG", 1},  {"DOUBLE", 1}, {"UDOUBLE", 1},
               {"FLOAT", 2}, {"STRING", 3}, {"BOOL", 4},   {"int", 0},
               {" INT", 0},  {"INT ", 0},   {"", 0},       {"REAL", 0}};
  for (const Case& c : cases) {
    load(std::string("<T><PARAMETER><A><TYPE>") + c.type + "</TYPE></A></PARAMETER></T>");
    EXPECT_EQ(Get_Parametertype(vorlage, "A"), c.code) << "'" << c.type << "'";
  }
  load("<T><PARAMETER><A/></PARAMETER></T>");
  EXPECT_EQ(Get_Parametertype(vorlage, "A"), 0) << "missing TYPE";
}

TEST_F(TemplateReaderTest, EndianIsExactlyBigEndian) {
  struct Case {
    const char* header;
    bool big;
  } cases[] = {{"<ENDIAN>BigEndian</ENDIAN>", true},
               {"<ENDIAN>bigendian</ENDIAN>", false},
               {"<ENDIAN>BigEndian </ENDIAN>", false},
               {"<ENDIAN>LittleEndian</ENDIAN>", false},
               {"<ENDIAN/>", false},
               {"", false}};
  for (const Case& c : cases) {
    load(std::string("<T><CRC>") + c.header + "</CRC></T>");
    EXPECT_EQ(Get_Endian(vorlage), c.big) << c.header;
  }
}

TEST_F(TemplateReaderTest, SharedNamesTypeFromFirstRowFromLast) {
  load(
      "<T><PARAMETER><A><TYPE>INT</TYPE></A><B><TYPE>BYTE</TYPE></B><A><TYPE>LONG</TYPE></A>"
      "</PARAMETER></T>");
  EXPECT_EQ(Get_Datatype(vorlage, "A"), "INT");
  EXPECT_EQ(Vorlagenindex(vorlage, 1), 3);
  EXPECT_EQ(Vorlagenindex(vorlage, 2), 2);
  EXPECT_EQ(Vorlagenindex(vorlage, 3), 3);
  EXPECT_EQ(Get_ParaName(vorlage, 3), "A");
}

TEST_F(TemplateReaderTest, CommentEntryTakesARowAndFailsOnCaption) {
  load("<T><PARAMETER><A><CAPTION>a</CAPTION></A><!-- x --><B/></PARAMETER></T>");
  EXPECT_EQ(entryCount(vorlage), 3);
  EXPECT_EQ(Get_ParaName(vorlage, 2), "#comment");
  EXPECT_EQ(Get_Parametertype(vorlage, "#comment"), kTypeNone);
  EXPECT_THROW(Read_Vorlagenparameter(vorlage, 1, "CAPTION"), ElementAccessError);
  EXPECT_EQ(Read_Vorlagenparameter(vorlage, 2, "TOOLTIP"), "");
  EXPECT_THROW(Read_Vorlagenparameter(vorlage, 3, "CAPTION"), ListIndexError);
}

TEST(Vendor, OnlyLettersAToZAreUpperCased) {
  struct Case {
    const char* vendor;
    bool ok;
  } cases[] = {{"NORVEXA", true},   {"norvexa", true}, {"NorVexa", true}, {" NORVEXA", false},
               {"NORVEXA ", false}, {"NORVEX", false}, {"", false},       {"NORVEXÄ", false}};
  for (const Case& c : cases) EXPECT_EQ(vendorMatches(c.vendor), c.ok) << "'" << c.vendor << "'";
}

}  // namespace
}  // namespace nx
