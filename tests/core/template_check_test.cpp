#include "documents/template_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "crc/encoding.h"
#include "documents/cell_rules.h"
#include "documents/commands.h"
#include "documents/errors.h"
#include "documents/memory_grid.h"

namespace nx {
namespace {

// One parameter entry; every element starts sound, a case overrides or drops what it needs.
// A value of kDrop leaves the element out.
const std::string kDrop = "\x01drop";

struct EntrySpec {
  std::string name = "Speed";
  std::map<std::string, std::string> fields;
};

std::string entryXml(const EntrySpec& e) {
  std::map<std::string, std::string> f = {
      {"CAPTION", "Speed"}, {"DEFAULT", "10"}, {"TYPE", "INT"},        {"MIN", "0"},
      {"MAX", "100"},       {"ENABLE", "Yes"}, {"TOOLTIP", "How fast"}};
  for (const auto& [k, v] : e.fields) f[k] = v;
  std::string xml = "<" + e.name + ">";
  for (const char* k : {"CAPTION", "DEFAULT", "TYPE", "MIN", "MAX", "ENABLE", "TOOLTIP"})
    if (f[k] != kDrop) xml += std::string("<") + k + ">" + f[k] + "</" + k + ">";
  return xml + "</" + e.name + ">";
}

std::string templateXml(const std::string& entries, const std::string& header = "") {
  return "<T><CRC><VENDOR>NORVEXA</VENDOR><DEVICE>Dev</DEVICE><VERSION>1</VERSION>" + header +
         "<DEFAULT>0</DEFAULT></CRC><PARAMETER>" + entries + "</PARAMETER></T>";
}

std::string describe(const std::vector<Finding>& findings) {
  std::string s;
  for (const Finding& f : findings)
    s += "  row " + std::to_string(f.row) + " (" + f.name + ") " + severityName(f.severity) + ": " +
         f.text + "\n";
  return s.empty() ? "  (none)\n" : s;
}

class SilentMessages : public Messages {
 public:
  void plain(const std::string&) override {}
};

std::vector<Finding> check(const std::string& xml) {
  XmlDocument doc;
  doc.loadFromBuffer(xml);
  return checkTemplate(doc);
}

const EntrySpec kBool = {
    "Mode",
    {{"CAPTION", "Mode"}, {"DEFAULT", "On"}, {"TYPE", "BOOL"}, {"MIN", "Off"}, {"MAX", "On"}}};
const EntrySpec kFloat = {"Gain",
                          {{"TYPE", "FLOAT"}, {"DEFAULT", "5"}, {"MIN", "0"}, {"MAX", "10"}}};

EntrySpec with(EntrySpec e, std::map<std::string, std::string> changes) {
  for (auto& [k, v] : changes) e.fields[k] = v;
  return e;
}

// Each template carries exactly one problem, and check must find it, and only it.
TEST(TemplateCheck, FindsEachProblemAlone) {
  struct Case {
    const char* what;
    std::string xml;
    int row;
    Severity severity;
    std::string textPart;  // a piece of the finding's text that names the cause
  } cases[] = {
      // errors
      {"DEFAULT not integer text", templateXml(entryXml(with({}, {{"DEFAULT", "1.5"}}))), 1,
       Severity::Error, "''1.5'' ist kein gültiger Integer-Wert."},
      {"DEFAULT with a trailing blank", templateXml(entryXml(with({}, {{"DEFAULT", "12 "}}))), 1,
       Severity::Error, "Generate CRC stops"},
      {"FLOAT DEFAULT with a fraction", templateXml(entryXml(with(kFloat, {{"DEFAULT", "2.5"}}))),
       1, Severity::Error, "''2.5'' ist kein gültiger Integer-Wert."},
      {"integer MIN not integer text", templateXml(entryXml(with({}, {{"MIN", "zero"}}))), 1,
       Severity::Error, "MIN \"zero\" is not integer text"},
      {"integer MAX beyond int32", templateXml(entryXml(with({}, {{"MAX", "4294967295"}}))), 1,
       Severity::Error, "MAX \"4294967295\" is not integer text"},
      {"integer MIN missing", templateXml(entryXml(with({}, {{"MIN", kDrop}}))), 1, Severity::Error,
       "MIN is missing or empty"},
      {"FLOAT MAX not a number", templateXml(entryXml(with(kFloat, {{"MAX", "ten"}}))), 1,
       Severity::Error, "MAX \"ten\" is not a number"},
      {"MIN greater than MAX", templateXml(entryXml(with({}, {{"MIN", "100"}, {"MAX", "0"}}))), 1,
       Severity::Error, "MIN 100 is greater than MAX 0"},
      {"FLOAT MIN greater than MAX",
       templateXml(entryXml(with(kFloat, {{"MIN", "10"}, {"MAX", "0"}}))), 1, Severity::Error,
       "MIN 10 is greater than MAX 0"},
      {"DEFAULT above MAX", templateXml(entryXml(with({}, {{"DEFAULT", "101"}}))), 1,
       Severity::Error, "DEFAULT \"101\" lies outside MIN 0 ... MAX 100"},
      {"hex DEFAULT below MIN", templateXml(entryXml(with({}, {{"DEFAULT", "$FFFFFFFF"}}))), 1,
       Severity::Error, "lies outside"},
      {"FLOAT DEFAULT above MAX", templateXml(entryXml(with(kFloat, {{"DEFAULT", "11"}}))), 1,
       Severity::Error, "lies outside"},
      {"BOOL DEFAULT neither text", templateXml(entryXml(with(kBool, {{"DEFAULT", "on"}}))), 1,
       Severity::Error, "DEFAULT \"on\" is neither the MIN text \"Off\" nor the MAX text \"On\""},
      {"comment among the entries",
       templateXml(entryXml({}) + "<!-- later -->" + entryXml({"Rate", {}})), 2, Severity::Error,
       "a comment among the entries"},
      {"text among the entries", templateXml("loose" + entryXml({})), 1, Severity::Error,
       "text among the entries"},
      {"element where CAPTION text is expected",
       templateXml(entryXml(with({}, {{"CAPTION", "<b>Speed</b>"}}))), 1, Severity::Error,
       "Element \"CAPTION\" enthält keinen einzelnen Textknoten"},
      {"element where TYPE text is expected",
       templateXml(entryXml(with({}, {{"TYPE", "INT<!-- 16 bit -->"}}))), 1, Severity::Error,
       "TYPE holds more than plain text"},
      {"two entries with one name",
       templateXml(entryXml({}) + entryXml(with({}, {{"CAPTION", "Speed again"}}))), 2,
       Severity::Error, "row 1 has the same name"},
      {"header DEVICE with an element",
       "<T><CRC><VENDOR>NORVEXA</VENDOR><DEVICE><X/></DEVICE><DEFAULT>0</DEFAULT></CRC>"
       "<PARAMETER>" +
           entryXml({}) + "</PARAMETER></T>",
       0, Severity::Error, "DEVICE in CRC holds more than plain text"},
      // warnings
      {"unknown TYPE", templateXml(entryXml(with({}, {{"TYPE", "WORD"}}))), 1, Severity::Warning,
       "TYPE \"WORD\" is not a type the program knows"},
      {"TYPE in lower case", templateXml(entryXml(with({}, {{"TYPE", "int"}}))), 1,
       Severity::Warning, "write INT exactly"},
      {"TYPE missing", templateXml(entryXml(with({}, {{"TYPE", kDrop}}))), 1, Severity::Warning,
       "TYPE is missing or empty"},
      {"FLOAT MAX with a fraction", templateXml(entryXml(with(kFloat, {{"MAX", "10.5"}}))), 1,
       Severity::Warning, "MAX \"10.5\" has a fractional part"},
      {"FLOAT MIN with a decimal comma", templateXml(entryXml(with(kFloat, {{"MIN", "0,0"}}))), 1,
       Severity::Warning, "depends on the user's decimal separator"},
      {"BOOL MIN equals MAX",
       templateXml(entryXml(with(kBool, {{"MIN", "On"}, {"DEFAULT", "On"}}))), 1, Severity::Warning,
       "MIN and MAX are both \"On\""},
      {"ENABLE in lower case", templateXml(entryXml(with({}, {{"ENABLE", "yes"}}))), 1,
       Severity::Warning, "ENABLE \"yes\" is neither \"Yes\" nor \"No\""},
      {"ENABLE with a blank", templateXml(entryXml(with({}, {{"ENABLE", "No "}}))), 1,
       Severity::Warning, "ENABLE \"No \" is neither"},
      {"ENABLE missing", templateXml(entryXml(with({}, {{"ENABLE", kDrop}}))), 1, Severity::Warning,
       "ENABLE is missing or empty"},
      {"ENDIAN in lower case", templateXml(entryXml({}), "<ENDIAN>bigendian</ENDIAN>"), 0,
       Severity::Warning, "ENDIAN \"bigendian\" is not exactly \"BigEndian\""},
      {"ENDIAN with a blank", templateXml(entryXml({}), "<ENDIAN>Big Endian</ENDIAN>"), 0,
       Severity::Warning, "ENDIAN \"Big Endian\""},
      {"ENDIAN with a trailing blank", templateXml(entryXml({}), "<ENDIAN>BigEndian </ENDIAN>"), 0,
       Severity::Warning, "least-significant-byte-first"},
      {"CAPTION missing", templateXml(entryXml(with({}, {{"CAPTION", kDrop}}))), 1,
       Severity::Warning, "CAPTION is missing or empty"},
      {"TOOLTIP missing", templateXml(entryXml(with({}, {{"TOOLTIP", kDrop}}))), 1,
       Severity::Warning, "TOOLTIP is missing or empty"},
      {"BYTE limits wider than a byte",
       templateXml(entryXml(with({}, {{"TYPE", "BYTE"}, {"MAX", "1000"}}))), 1, Severity::Warning,
       "does not fit the 1 byte of BYTE"},
      {"two TYPE elements",
       templateXml("<Speed><CAPTION>S</CAPTION><DEFAULT>1</DEFAULT><TYPE>INT</TYPE>"
                   "<TYPE>LONG</TYPE><MIN>0</MIN><MAX>9</MAX><ENABLE>Yes</ENABLE>"
                   "<TOOLTIP>t</TOOLTIP></Speed>"),
       1, Severity::Warning, "2 TYPE elements"},
      {"PARAMETER empty", templateXml(""), 0, Severity::Warning, "PARAMETER holds no entries"},
      {"PARAMETER missing",
       "<T><CRC><VENDOR>NORVEXA</VENDOR><DEVICE>D</DEVICE><VERSION>1</VERSION>"
       "<DEFAULT>0</DEFAULT></CRC></T>",
       0, Severity::Warning, "there is no PARAMETER element"},
  };
  for (const Case& c : cases) {
    std::vector<Finding> findings = check(c.xml);
    ASSERT_EQ(findings.size(), 1u) << c.what << "\n" << c.xml << "\n" << describe(findings);
    const Finding& f = findings[0];
    EXPECT_EQ(f.row, c.row) << c.what;
    EXPECT_EQ(f.severity, c.severity) << c.what << "\n" << describe(findings);
    EXPECT_NE(f.text.find(c.textPart), std::string::npos) << c.what << "\n" << describe(findings);
  }
}

TEST(TemplateCheck, SoundTemplatesHaveNoFindings) {
  struct Case {
    const char* what;
    std::string xml;
  } cases[] = {
      {"limits inclusive, hex default", templateXml(entryXml(with({}, {{"DEFAULT", "0x64"}})))},
      {"every integer type at its limits",
       templateXml(entryXml({"A", {{"TYPE", "BYTE"}, {"MIN", "-128"}, {"MAX", "255"}}}) +
                   entryXml({"B", {{"TYPE", "UINT"}, {"MIN", "0"}, {"MAX", "65535"}}}) +
                   entryXml({"C",
                             {{"TYPE", "ULONG"},
                              {"MIN", "-2147483648"},
                              {"MAX", "$7FFFFFFF"},
                              {"DEFAULT", "-2147483648"}}}) +
                   entryXml({"D", {{"TYPE", "UDOUBLE"}, {"DEFAULT", " 12"}}}))},
      {"STRING ignores limits and default",
       templateXml(entryXml(
           {"Label", {{"TYPE", "STRING"}, {"DEFAULT", "a b"}, {"MIN", kDrop}, {"MAX", "x"}}}))},
      {"locked BOOL and FLOAT with exponent",
       templateXml(entryXml(with(kBool, {{"ENABLE", "No"}, {"DEFAULT", "Off"}})) +
                   entryXml(with(kFloat, {{"MAX", "1e3"}})))},
      {"ENDIAN of the other order", templateXml(entryXml({}), "<ENDIAN>LittleEndian</ENDIAN>")},
      {"comment outside PARAMETER",
       "<T><!-- c --><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT>0</DEFAULT></CRC><PARAMETER>" +
           entryXml({}) + "</PARAMETER></T>"},
  };
  for (const Case& c : cases) {
    std::vector<Finding> findings = check(c.xml);
    EXPECT_TRUE(findings.empty()) << c.what << "\n" << describe(findings);
  }
}

TEST(TemplateCheck, ExamplesHaveNoFindings) {
  int seen = 0;
  for (const auto& file : std::filesystem::directory_iterator(NX_EXAMPLES)) {
    if (file.path().extension() != ".xml") continue;
    ++seen;
    XmlDocument doc;
    doc.load(file.path().string());
    std::vector<Finding> findings = checkTemplate(doc);
    EXPECT_TRUE(findings.empty()) << file.path() << "\n" << describe(findings);
  }
  EXPECT_GT(seen, 0) << "no examples in " << NX_EXAMPLES;
}

// Several problems in one template: every one is reported, template-wide ones first, then by row,
// and a broken entry does not hide the ones after it.
TEST(TemplateCheck, ReportsEveryProblemInRowOrder) {
  std::string xml =
      templateXml(entryXml({"Rate", {{"CAPTION", "<i/>"}, {"DEFAULT", "x"}}}) + "<!-- c -->" +
                      entryXml(with(kBool, {{"DEFAULT", "?"}})) + entryXml({}) + entryXml({}),
                  "<ENDIAN>BIGENDIAN</ENDIAN>");
  std::vector<Finding> findings = check(xml);
  std::vector<std::pair<int, Severity>> got;
  for (const Finding& f : findings) got.emplace_back(f.row, f.severity);
  std::vector<std::pair<int, Severity>> expected = {
      {0, Severity::Warning},  // ENDIAN
      {1, Severity::Error},    // CAPTION holds an element
      {1, Severity::Error},    // DEFAULT x
      {2, Severity::Error},    // comment
      {3, Severity::Error},    // BOOL default
      {5, Severity::Error},    // Speed again
  };
  EXPECT_EQ(got, expected) << describe(findings);
  ASSERT_EQ(findings.size(), expected.size());
  EXPECT_EQ(findings[3].name, "#comment");
  EXPECT_EQ(findings[4].name, "Mode");
  EXPECT_NE(findings[5].text.find("value of row 5 (the last)"), std::string::npos);
}

// Shared names: the program encodes the value of the last entry with the TYPE of the first, so a
// bad default only counts where it is encoded, judged by the first entry's TYPE.
TEST(TemplateCheck, SharedNamesFollowTheEncoding) {
  std::string shadowedBadDefault =
      templateXml(entryXml(with({}, {{"DEFAULT", "abc"}})) + entryXml({}));
  std::string lastBadDefault =
      templateXml(entryXml({}) + entryXml(with({}, {{"DEFAULT", "abc"}, {"TYPE", "STRING"}})));
  auto defaultErrors = [](const std::vector<Finding>& findings) {
    std::vector<int> rows;
    for (const Finding& f : findings)
      if (f.text.find("cannot be encoded") != std::string::npos) rows.push_back(f.row);
    return rows;
  };
  EXPECT_EQ(defaultErrors(check(shadowedBadDefault)), std::vector<int>{})
      << describe(check(shadowedBadDefault));
  EXPECT_EQ(defaultErrors(check(lastBadDefault)), std::vector<int>{2})
      << describe(check(lastBadDefault));
}

// What check says the program does, the program does: the same templates through the program's
// own open, Generate CRC and cell rules.
TEST(TemplateCheck, AgreesWithTheProgram) {
  auto open = [](ProgramState& state, const std::string& xml) {
    auto path = std::filesystem::temp_directory_path() / "nx_template_check_agree.xml";
    {
      std::FILE* f = std::fopen(path.string().c_str(), "wb");
      std::fwrite(xml.data(), 1, xml.size(), f);
      std::fclose(f);
    }
    OpenOutcome outcome = openTemplateDocument(state, path.string());
    std::filesystem::remove(path);
    return outcome;
  };
  struct Case {
    const char* what;
    std::string xml;
    bool importFails;
    bool crcFails;
    const char* probe;  // a value typed into row 1, or nullptr
    bool probeRejected;
  } cases[] = {
      {"sound", templateXml(entryXml({})), false, false, "50", false},
      {"bad default", templateXml(entryXml(with({}, {{"DEFAULT", "1.5"}}))), false, true, "50",
       false},
      {"bad MIN", templateXml(entryXml(with({}, {{"MIN", "zero"}}))), false, false, "50", true},
      {"MIN > MAX", templateXml(entryXml(with({}, {{"MIN", "100"}, {"MAX", "0"}}))), false, false,
       "50", true},
      {"comment", templateXml("<!-- c -->" + entryXml({})), true, false, nullptr, false},
      {"CAPTION element", templateXml(entryXml(with({}, {{"CAPTION", "<b/>"}}))), true, false,
       nullptr, false},
      {"unknown TYPE accepts anything", templateXml(entryXml(with({}, {{"TYPE", "int"}}))), false,
       false, "zz", false},
  };
  for (const Case& c : cases) {
    ProgramState state;
    ASSERT_EQ(open(state, c.xml), OpenOutcome::Opened) << c.what;
    bool errors = false;
    for (const Finding& f : checkTemplate(state.XMLDocument_Vorlage))
      errors = errors || f.severity == Severity::Error;
    MemoryGrid grid;
    SilentMessages messages;
    bool importFailed = false, crcFailed = false;
    try {
      Import(state, grid, messages, 1);
    } catch (const Error&) {
      importFailed = true;
    }
    if (!importFailed) {
      try {
        generateCrc(state, grid);
      } catch (const ConversionError&) {
        crcFailed = true;
      }
    }
    EXPECT_EQ(importFailed, c.importFails) << c.what;
    EXPECT_EQ(crcFailed, c.crcFails) << c.what;
    if (c.probe) {
      EXPECT_EQ(!validateCell(state, 1, c.probe, ".").valid, c.probeRejected) << c.what;
    }
    EXPECT_EQ(errors, c.importFails || c.crcFails || c.probeRejected) << c.what;
  }
}

}  // namespace
}  // namespace nx
