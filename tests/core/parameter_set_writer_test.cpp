#include "documents/parameter_set_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>

#include "crc/encoding.h"
#include "documents/commands.h"
#include "documents/parameter_set.h"
#include "temp_folder.h"
#include "template_fixture.h"

namespace nx {
namespace {

namespace fs = std::filesystem;
using test::Entry;

class RecordingMessages : public Messages {
 public:
  void plain(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

class ParameterSetWriterTest : public test::TempFolderTest {
 protected:
  // Opens the template as "Open XML template" does.
  void openTemplate(const std::string& xml) {
    templatePath = put("template.xml", xml);
    ASSERT_EQ(openTemplateDocument(state, templatePath), OpenOutcome::Opened);
    Import(state, grid, messages, 1);
  }
  // A fresh program opens the same template and lays the set at `path` over it.
  struct Reopened {
    std::vector<std::string> values;
    std::vector<Shade> shades;
    std::string comment;
    std::vector<std::string> messages;
  };
  Reopened reopen(const std::string& path) {
    ProgramState other;
    MemoryGrid otherGrid;
    RecordingMessages otherMessages;
    Reopened result;
    EXPECT_EQ(openTemplateDocument(other, templatePath), OpenOutcome::Opened);
    Import(other, otherGrid, otherMessages, 1);
    EXPECT_EQ(openParameterSetDocument(other, path), OpenOutcome::Opened);
    Import(other, otherGrid, otherMessages, 2);
    for (int r = 1; r < otherGrid.rowCount(); ++r) {
      result.values.push_back(otherGrid.cell(1, r));
      result.shades.push_back(otherGrid.shade(1, r));
    }
    result.comment = Read_Comment(other);
    result.messages = otherMessages.shown;
    return result;
  }
  std::vector<std::string> values() const {
    std::vector<std::string> result;
    for (int r = 1; r < grid.rowCount(); ++r) result.push_back(grid.cell(1, r));
    return result;
  }

  std::string templatePath;
  ProgramState state;
  MemoryGrid grid;
  RecordingMessages messages;
};

// The four-row worked example (CRC 548538125 big-endian) and a STRING row, which adds no byte.
const std::vector<Entry> kWorked = {{"B", "BOOL", "On", "Off", "On"},
                                    {"Y", "BYTE", "5"},
                                    {"I", "INT", "1000"},
                                    {"L", "LONG", "100000"},
                                    {"S", "STRING", "text"}};

TEST_F(ParameterSetWriterTest, WritesTheWholeDocument) {
  openTemplate(test::templateXml(kWorked, "BigEndian", "norvexa"));
  grid.setCell(1, 5, "a<b & \"c\" Grüße");
  state.CRC32temp = 7;  // an earlier Generate CRC; the save computes its own
  std::string path = (dir / "set.xml").string();
  saveParameterSet(state, grid, messages, path, "Größe <1> & more");

  EXPECT_EQ(read(path),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!-- Actual XML file to set the parameters-->\n"
            "<IPAR_CRC>\n"
            "  <CRC>\n"
            "    <VALUE>548538125</VALUE>\n"
            "    <VERSION>1.0</VERSION>\n"
            "    <DEVICE>Dev</DEVICE>\n"
            "    <VENDOR>norvexa</VENDOR>\n"
            "    <COMMENT>Größe &lt;1&gt; &amp; more</COMMENT>\n"
            "  </CRC>\n"
            "  <PARAMETER>\n"
            "    <B>\n"
            "      <VALUE>1</VALUE>\n"
            "    </B>\n"
            "    <Y>\n"
            "      <VALUE>5</VALUE>\n"
            "    </Y>\n"
            "    <I>\n"
            "      <VALUE>1000</VALUE>\n"
            "    </I>\n"
            "    <L>\n"
            "      <VALUE>100000</VALUE>\n"
            "    </L>\n"
            "    <S>\n"
            "      <VALUE>a&lt;b &amp; \"c\" Grüße</VALUE>\n"
            "    </S>\n"
            "  </PARAMETER>\n"
            "</IPAR_CRC>\n");
  EXPECT_EQ(state.CRC32temp, 548538125u);
  EXPECT_TRUE(messages.shown.empty());
  ASSERT_TRUE(state.XMLDocument_Parameter_speichern.active());
  EXPECT_EQ(state.XMLDocument_Parameter_speichern.fileName(), path);
  EXPECT_EQ(state.XMLDocument_Parameter_speichern.root().child("CRC").child("COMMENT").text(),
            "Größe <1> & more");
}

TEST_F(ParameterSetWriterTest, RoundTripGivesTheSameGridAndTheCrcOfTheStoredValues) {
  openTemplate(test::templateXml({{"Speed", "INT", "10", "0", "100"},
                                  {"Ratio", "FLOAT", "15", "0", "100"},
                                  {"Mode", "BOOL", "Off", "Off", "On"},
                                  {"Name", "STRING", "abc"},
                                  {"Empty", "STRING", ""},
                                  {"Mask", "UINT", "0x10"},
                                  {"Blanks", "STRING", "x"}},
                                 ""));
  uint32_t before = generateCrc(state, grid);
  // Edited after Generate CRC: the stored CRC must be that of these values, not `before`.
  grid.setCell(1, 1, " 42");
  grid.setCell(1, 3, "On");
  grid.setCell(1, 4, "<tag> & \xE2\x9C\x93 \xC3\xA4\xC3\xB6\xC3\xBC");
  // Blanks only: as plain text a reader would drop them like the space between elements.
  grid.setCell(1, 7, "   ");
  std::vector<std::string> saved = values();
  std::string path = (dir / "set.xml").string();
  saveParameterSet(state, grid, messages, path, "Zwei & <drei> \xE2\x82\xAC");

  Reopened back = reopen(path);
  EXPECT_EQ(back.values, saved);
  EXPECT_EQ(back.shades, std::vector<Shade>(saved.size(), Shade::Window));
  EXPECT_EQ(back.comment, "Zwei & <drei> \xE2\x82\xAC");
  EXPECT_TRUE(back.messages.empty());

  uint32_t now = generateCrc(state, grid);
  EXPECT_NE(now, before);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file(path.c_str()));
  EXPECT_EQ(doc.document_element().child("CRC").child("VALUE").text().as_string(),
            std::to_string(now));
}

TEST_F(ParameterSetWriterTest, SavingTwiceToOneFileGivesIdenticalFiles) {
  openTemplate(test::templateXml(kWorked, "BigEndian"));
  std::string path = (dir / "set.xml").string();
  saveParameterSet(state, grid, messages, path, "same");
  std::string first = read(path);
  saveParameterSet(state, grid, messages, path, "same");
  EXPECT_EQ(read(path), first);
  EXPECT_EQ(names(), (std::set<std::string>{"set.xml", "template.xml"}));
}

TEST_F(ParameterSetWriterTest, BoolRowsStoreOneZeroOrNoValue) {
  struct Case {
    Entry entry;
    std::string cell;
    const char* stored;  // nullptr: no VALUE and the message
    std::string reopened;
  } cases[] = {
      {{"MaxText", "BOOL", "", "Off", "On"}, "On", "1", "On"},
      {{"MinText", "BOOL", "", "Off", "On"}, "Off", "0", "Off"},
      {{"BothEqual", "BOOL", "", "Same", "Same"}, "Same", "1", "Same"},
      {{"WrongCase", "BOOL", "", "Off", "On"}, "on", nullptr, "Off"},
      {{"Blank", "BOOL", "", "Off", "On"}, "", nullptr, "Off"},
      {{"Padded", "BOOL", "", "Off", "On"}, "On ", nullptr, "Off"},
  };
  std::vector<Entry> entries;
  for (const Case& c : cases) entries.push_back(c.entry);
  openTemplate(test::templateXml(entries, ""));
  for (size_t i = 0; i < std::size(cases); ++i)
    grid.setCell(1, static_cast<int>(i) + 1, cases[i].cell);

  std::string path = (dir / "set.xml").string();
  saveParameterSet(state, grid, messages, path, "bools");
  EXPECT_EQ(messages.shown, std::vector<std::string>(3, "Tabular value False!"));

  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file(path.c_str()));
  pugi::xml_node parameters = doc.document_element().child("PARAMETER");
  Reopened back = reopen(path);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    pugi::xml_node value = parameters.child(c.entry.name.c_str()).child("VALUE");
    if (c.stored) {
      EXPECT_STREQ(value.text().as_string(), c.stored) << c.entry.name;
    } else {
      EXPECT_FALSE(value) << c.entry.name;
    }
    EXPECT_EQ(back.values[i], c.reopened) << c.entry.name;
  }
}

TEST_F(ParameterSetWriterTest, RepeatedNamesEachKeepTheirOwnRowsValue) {
  openTemplate(test::templateXml({{"A", "INT", "1"}, {"A", "INT", "2"}, {"B", "STRING", "x"}}, ""));
  std::string path = (dir / "set.xml").string();
  saveParameterSet(state, grid, messages, path, "twins");
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file(path.c_str()));
  std::vector<std::string> stored;
  for (pugi::xml_node e : doc.document_element().child("PARAMETER").children())
    stored.push_back(std::string(e.name()) + "=" + e.child("VALUE").text().as_string());
  EXPECT_EQ(stored, (std::vector<std::string>{"A=1", "A=2", "B=x"}));
}

TEST_F(ParameterSetWriterTest, TemplateWithoutParametersGivesAnEmptyParameterElement) {
  openTemplate("<T><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT>1</DEFAULT></CRC></T>");
  std::string path = (dir / "set.xml").string();
  saveParameterSet(state, grid, messages, path, "none");
  EXPECT_NE(read(path).find("<VALUE>4294967295</VALUE>"), std::string::npos);
  EXPECT_NE(read(path).find("<PARAMETER />"), std::string::npos);
  EXPECT_EQ(reopen(path).values, std::vector<std::string>{});
}

// Each of these must stop the save before anything is written, the earlier file kept.
TEST_F(ParameterSetWriterTest, SavesThatCannotSucceedWriteNothing) {
  const std::string earlier = "earlier content\n";
  auto row = [](const std::string& name, const std::string& type, const std::string& value) {
    return "<" + name + "><CAPTION>" + name + "</CAPTION><DEFAULT>" + value + "</DEFAULT><TYPE>" +
           type + "</TYPE></" + name + ">";
  };
  auto tpl = [](const std::string& entries) {
    return "<T><CRC><VENDOR>NORVEXA</VENDOR><VERSION>1</VERSION><DEFAULT>1</DEFAULT></CRC>"
           "<PARAMETER>" +
           entries + "</PARAMETER></T>";
  };
  struct Case {
    std::string label;
    std::string templateXml;
    std::vector<std::string> cells;  // rows 1…; the template's entries need not be importable
    std::string description;
    std::string error;  // a part of the message
  } cases[] = {
      {"comment among the entries",
       tpl(row("A", "INT", "1") + "<!-- note -->" + row("B", "INT", "2")),
       {"1", "", "2"},
       "ok",
       "entry 2 \"#comment\""},
      {"processing instruction among the entries",
       tpl(row("A", "INT", "1") + "<?pi data?>"),
       {"1", ""},
       "ok",
       "entry 2 \"pi\""},
      {"CDATA among the entries",
       tpl("<![CDATA[x]]>" + row("A", "INT", "1")),
       {"", "1"},
       "ok",
       "entry 1 \"#cdata-section\""},
      {"value that is not integer text",
       tpl(row("A", "BYTE", "1") + row("B", "INT", "2")),
       {"1", "12abc"},
       "ok",
       "''12abc'' ist kein gültiger Integer-Wert"},
      // The cell rules accept it, the encoding cannot: no set whose CRC cannot be computed.
      {"fractional FLOAT value",
       tpl(row("F", "FLOAT", "1")),
       {"1.5"},
       "ok",
       "''1.5'' ist kein gültiger Integer-Wert"},
      {"control character in a value",
       tpl(row("S", "STRING", "x")),
       {"a\x01"
        "b"},
       "ok",
       "row 1 (S)"},
      // A reader turns CR into LF: the value would not come back as stored.
      {"carriage return in a value", tpl(row("S", "STRING", "x")), {"a\rb"}, "ok", "row 1 (S)"},
      {"carriage return in the description",
       tpl(row("S", "STRING", "x")),
       {"x"},
       "two\r\nlines",
       "description"},
      {"bytes that are not UTF-8 in a value",
       tpl(row("S", "STRING", "x")),
       {"\xC3("},
       "ok",
       "row 1 (S)"},
      {"control character in the description",
       tpl(row("S", "STRING", "x")),
       {"x"},
       "bad\x1F",
       "description"},
      {"surrogate encoded in the description",
       tpl(row("S", "STRING", "x")),
       {"x"},
       "\xED\xA0\x80",
       "description"},
  };
  for (const Case& c : cases) {
    std::string path = put("set.xml", earlier);
    ProgramState s;
    s.CRC32temp = 99;
    s.XMLDocument_Vorlage.loadFromBuffer(c.templateXml, "t.xml");
    MemoryGrid g;
    g.setRowCount(static_cast<int>(c.cells.size()) + 1);
    for (size_t i = 0; i < c.cells.size(); ++i) g.setCell(1, static_cast<int>(i) + 1, c.cells[i]);
    RecordingMessages m;
    try {
      saveParameterSet(s, g, m, path, c.description);
      ADD_FAILURE() << c.label << ": saved";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos)
          << c.label << ": " << e.what();
    }
    EXPECT_EQ(read(path), earlier) << c.label;
    EXPECT_EQ(names(), std::set<std::string>{"set.xml"}) << c.label;
    EXPECT_EQ(s.CRC32temp, 99u) << c.label;
    EXPECT_FALSE(s.XMLDocument_Parameter_speichern.active()) << c.label;
    EXPECT_TRUE(m.shown.empty()) << c.label;
  }
}

TEST_F(ParameterSetWriterTest, FailedWriteKeepsTheEarlierFileAndTheSetSavedLast) {
  openTemplate(test::templateXml(kWorked, "BigEndian"));
  std::string path = (dir / "set.xml").string();
  saveParameterSet(state, grid, messages, path, "first");
  std::string first = read(path);

  grid.setCell(1, 2, "6");
  auto diskFull = [](FileStep s) { return s == FileStep::Write ? ENOSPC : 0; };
  EXPECT_THROW(saveParameterSet(state, grid, messages, path, "second", diskFull), FileError);
  EXPECT_EQ(read(path), first);
  EXPECT_EQ(names(), (std::set<std::string>{"set.xml", "template.xml"}));
  EXPECT_EQ(state.XMLDocument_Parameter_speichern.root().child("CRC").child("COMMENT").text(),
            "first");
}

TEST(SaveRules, Description) {
  struct Case {
    std::string text;
    bool accepted;
  } cases[] = {{"", false},  {"a", false}, {"\xC3\xA4", false},
               {"ab", true}, {"  ", true}, {"\xC3\xA4\xC3\xB6", true}};
  for (const Case& c : cases) EXPECT_EQ(descriptionAccepted(c.text), c.accepted) << c.text;
  EXPECT_EQ(characterCount("Gr\xC3\xBC\xC3\x9F"
                           "e"),
            5u);
}

TEST(SaveRules, FileName) {
  struct Case {
    std::string path;
    bool accepted;
  } cases[] = {
      {"a.xml", false},
      {"a", false},
      {"ab.xml", true},
      {"ab", true},
      {".xml", false},
      {"/tmp/long.name/a.xml", false},
      {"/tmp/x/ab.XML", true},
      {"a.b.xml", true},  // ".b.x" goes, "aml" stays
      {"a.bcd", false},
      {"a.bcdefg", true},
      {"ab.c", true},
      {"\xC3\xA9.xml", false},
      {"\xC3\xA9\xC3\xA9.xml", true},
  };
  for (const Case& c : cases) EXPECT_EQ(fileNameAccepted(c.path), c.accepted) << c.path;
}

TEST(SaveRules, XmlExtension) {
  struct Case {
    std::string path;
    std::string expected;
  } cases[] = {
      {"Set.XML", "Set.xml"},
      {"Set.txt", "Set.xml"},
      {"set.xml", "set.xml"},
      {"set", "set.xml"},
      {"set.", "set.xml"},
      {"set.tar.gz", "set.tar.xml"},
      {"/data/old.txt/set", "/data/old.txt/set.xml"},
      {"/data/old.txt/set.txt", "/data/old.txt/set.xml"},
      {"/data/old.xml/Set.Xml", "/data/old.xml/Set.xml"},
  };
  for (const Case& c : cases) EXPECT_EQ(withXmlExtension(c.path), c.expected) << c.path;
}

TEST(SaveRules, StatusTextNamesBothFilesWithoutFolders) {
  EXPECT_EQ(statusText("/x/y/Drive.xml", "/z/My set.xml"),
            "Template: Drive.xml  /  Parameter set: My set.xml");
  EXPECT_EQ(statusText("Drive.xml", "set.xml"), "Template: Drive.xml  /  Parameter set: set.xml");
}

}  // namespace
}  // namespace nx
