#include "documents/commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "crc/encoding.h"
#include "documents/errors.h"
#include "documents/parameter_set.h"
#include "temp_folder.h"
#include "template_fixture.h"

namespace nx {
namespace {

using test::Entry;

class RecordingMessages : public Messages {
 public:
  void plain(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

class CommandsTest : public nx::test::TempFolderTest {
 protected:
  std::string write(const std::string& name, const std::string& content) {
    return put(name, content);
  }
  // Opens a template file the way the open command does; returns the outcome.
  OpenOutcome openTemplateFile(const std::string& xml) {
    OpenOutcome outcome = openTemplateDocument(state, write("template.xml", xml));
    if (outcome == OpenOutcome::Opened) Import(state, grid, messages, 1);
    return outcome;
  }
  static std::string setXml(const std::string& vendor, const std::string& entries,
                            const std::string& header = "") {
    return "<IPAR_CRC><CRC><VALUE>1</VALUE><VENDOR>" + vendor + "</VENDOR>" + header +
           "<COMMENT>my set</COMMENT></CRC><PARAMETER>" + entries + "</PARAMETER></IPAR_CRC>";
  }

  ProgramState state;
  MemoryGrid grid;
  RecordingMessages messages;
};

const std::vector<Entry> kThree = {{"Speed", "INT", "10", "0", "100"},
                                   {"Mode", "BOOL", "Off", "Off", "On"},
                                   {"Name", "STRING", "abc"}};

TEST_F(CommandsTest, TemplateHeaderTests) {
  struct Case {
    std::string xml;
    OpenOutcome outcome;
  } cases[] = {
      {test::templateXml(kThree, "BigEndian"), OpenOutcome::Opened},
      {test::templateXml(kThree, "", "norvexa"), OpenOutcome::Opened},
      {test::templateXml(kThree, "", " NORVEXA"), OpenOutcome::VendorRefused},
      {test::templateXml(kThree, "", "OTHER"), OpenOutcome::VendorRefused},
      {"<T><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT></DEFAULT></CRC></T>", OpenOutcome::NotATemplate},
      {"<T><CRC><VENDOR>NORVEXA</VENDOR></CRC><PARAMETER><A/></PARAMETER></T>",
       OpenOutcome::NotATemplate},
      {"<T><PARAMETER/></T>", OpenOutcome::VendorRefused},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(openTemplateFile(c.xml), c.outcome) << c.xml;
    EXPECT_EQ(state.XMLDocument_Vorlage.active(), c.outcome == OpenOutcome::Opened) << c.xml;
  }
  EXPECT_STREQ(refusalMessage(OpenOutcome::VendorRefused), "This Template is not allowed!");
  EXPECT_STREQ(refusalMessage(OpenOutcome::NotATemplate), "This Template is a set of parameter!");
}

TEST_F(CommandsTest, ImportFillsCaptionsDefaultsAndShading) {
  ASSERT_EQ(openTemplateFile(test::templateXml(kThree, "BigEndian")), OpenOutcome::Opened);
  EXPECT_EQ(state.VORLAGEKNOTEN, 3);
  ASSERT_EQ(grid.rowCount(), 4);
  EXPECT_EQ(grid.cell(0, 1), "Speed");
  EXPECT_EQ(grid.cell(1, 1), "10");
  EXPECT_EQ(grid.cell(1, 2), "Off");
  EXPECT_EQ(grid.cell(1, 3), "abc");
  EXPECT_EQ(grid.shade(0, 2), Shade::Silver);
  EXPECT_EQ(grid.shade(1, 2), Shade::White);

  // A shorter template shrinks the grid.
  ASSERT_EQ(openTemplateFile(test::templateXml({{"A", "BYTE", "1"}}, "")), OpenOutcome::Opened);
  EXPECT_EQ(grid.rowCount(), 2);
}

TEST_F(CommandsTest, TemplateWithoutParametersHasNoRowAndTheEmptyCrc) {
  for (const char* xml :
       {"<T><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT>1</DEFAULT></CRC></T>",
        "<T><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT>1</DEFAULT><ENDIAN>BigEndian</ENDIAN>"
        "</CRC><PARAMETER/></T>"}) {
    ASSERT_EQ(openTemplateFile(xml), OpenOutcome::Opened) << xml;
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(generateCrc(state, grid), 4294967295u);
  }
}

TEST_F(CommandsTest, DefaultsAreTakenUnchecked) {
  ASSERT_EQ(openTemplateFile(test::templateXml({{"A", "INT", " 0x10 "}}, "")), OpenOutcome::Opened);
  EXPECT_EQ(grid.cell(1, 1), " 0x10 ");
}

TEST_F(CommandsTest, CommentEntryStopsImportWhereItStands) {
  std::string xml =
      "<T><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT>1</DEFAULT></CRC><PARAMETER>"
      "<A><CAPTION>a</CAPTION><DEFAULT>1</DEFAULT></A><!-- note --><B/></PARAMETER></T>";
  EXPECT_THROW(openTemplateFile(xml), ElementAccessError);
  EXPECT_TRUE(state.XMLDocument_Vorlage.active());
  EXPECT_EQ(grid.cell(0, 1), "a");
}

TEST_F(CommandsTest, ParameterSetChecksInOrder) {
  ASSERT_EQ(openTemplateFile(test::templateXml(kThree, "BigEndian")), OpenOutcome::Opened);
  std::string three =
      "<Speed><VALUE>1</VALUE></Speed><Mode><VALUE>1</VALUE></Mode><Name><VALUE>x</VALUE></Name>";
  struct Case {
    std::string xml;
    OpenOutcome outcome;
  } cases[] = {
      {setXml("NORVEXA", three), OpenOutcome::Opened},
      {setXml("norvexa", three), OpenOutcome::Opened},
      {setXml("OTHER", three), OpenOutcome::VendorRefused},
      {setXml("NORVEXA", "<Speed/>"), OpenOutcome::WrongParameterSet},
      {setXml("NORVEXA", three + "<X/>"), OpenOutcome::WrongParameterSet},
      {setXml("NORVEXA", three, "<DEFAULT>1</DEFAULT>"), OpenOutcome::IsATemplate},
      {setXml("NORVEXA", three, "<DEFAULT/>"), OpenOutcome::Opened},
      // A template chosen as a set: vendor and count pass, the marker refuses it.
      {test::templateXml(kThree, ""), OpenOutcome::IsATemplate},
  };
  for (const Case& c : cases)
    EXPECT_EQ(openParameterSetDocument(state, write("set.xml", c.xml)), c.outcome) << c.xml;
}

TEST_F(CommandsTest, OverlayBoolValuesAndUnknownEntries) {
  ASSERT_EQ(openTemplateFile(test::templateXml({{"B1", "BOOL", "Off", "Off", "On"},
                                                {"B2", "BOOL", "On", "Off", "On"},
                                                {"B3", "BOOL", "On", "Off", "On"},
                                                {"B4", "BOOL", "On", "Off", "On"},
                                                {"I", "INT", "5"},
                                                {"S", "STRING", "keep"}},
                                               "")),
            OpenOutcome::Opened);
  std::string entries =
      "<B1><VALUE>1</VALUE></B1><B2><VALUE>0</VALUE></B2><B3><VALUE>yes</VALUE></B3><B4/>"
      "<I><VALUE>0x20</VALUE></I><Unknown><VALUE>zz</VALUE></Unknown>";
  ASSERT_EQ(openParameterSetDocument(state, write("set.xml", setXml("NORVEXA", entries))),
            OpenOutcome::Opened);
  Import(state, grid, messages, 2);
  EXPECT_EQ(grid.cell(1, 1), "On");
  EXPECT_EQ(grid.cell(1, 2), "Off");
  EXPECT_EQ(grid.cell(1, 3), "Off");
  EXPECT_EQ(grid.cell(1, 4), "Off");
  EXPECT_EQ(grid.cell(1, 5), "0x20");
  EXPECT_EQ(grid.cell(1, 6), "keep");
  EXPECT_EQ(grid.shade(1, 0), Shade::Red);
  EXPECT_EQ(grid.shade(1, 5), Shade::Window);
  EXPECT_EQ(grid.shade(1, 6), Shade::Red) << "a row no entry reached stays red";
  EXPECT_EQ(messages.shown, std::vector<std::string>{"The Parameters Unknown does not match"});
  EXPECT_EQ(Read_Comment(state), "my set");
}

TEST_F(CommandsTest, OverlayInAnotherOrderUsesTheMatchedRow) {
  ASSERT_EQ(openTemplateFile(
                test::templateXml({{"I", "INT", "5"}, {"B", "BOOL", "Off", "Off", "On"}}, "")),
            OpenOutcome::Opened);
  ASSERT_EQ(openParameterSetDocument(
                state, write("set.xml",
                             setXml("NORVEXA", "<B><VALUE>1</VALUE></B><I><VALUE>7</VALUE></I>"))),
            OpenOutcome::Opened);
  Import(state, grid, messages, 2);
  EXPECT_EQ(grid.cell(1, 1), "7");
  EXPECT_EQ(grid.cell(1, 2), "On");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CommandsTest, ParameterindexTakesTheLastTemplateEntryOfAName) {
  ASSERT_EQ(openTemplateFile(test::templateXml({{"A", "INT", "1"}, {"A", "INT", "2"}}, "")),
            OpenOutcome::Opened);
  ASSERT_EQ(openParameterSetDocument(
                state, write("set.xml",
                             setXml("NORVEXA", "<A><VALUE>8</VALUE></A><A><VALUE>9</VALUE></A>"))),
            OpenOutcome::Opened);
  EXPECT_EQ(Parameterindex(state, 0, messages), 2);
}

TEST_F(CommandsTest, SetWithoutSecondRootChildOverlaysNothing) {
  ASSERT_EQ(openTemplateFile("<T><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT>1</DEFAULT></CRC></T>"),
            OpenOutcome::Opened);
  ASSERT_EQ(openParameterSetDocument(
                state, write("set.xml", "<S><CRC><VENDOR>NORVEXA</VENDOR></CRC></S>")),
            OpenOutcome::Opened);
  EXPECT_NO_THROW(Import(state, grid, messages, 2));
}

}  // namespace
}  // namespace nx
