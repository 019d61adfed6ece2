#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "../core/temp_folder.h"
#include "cli/cli.h"
#include "cli_runner.h"

namespace nx::cli {
namespace {

namespace fs = std::filesystem;

using Result = nx::test::CliResult;
using nx::test::runCli;

const std::string kSensor = std::string(NX_EXAMPLES) + "/Sensor_LittleEndian.xml";
const std::string kDemo = std::string(NX_EXAMPLES) + "/Demo_unit.xml";

using CliSetsTest = nx::test::TempFolderTest;

TEST_F(CliSetsTest, SaveThenVerifyAgreeAndAnEditedFileMismatches) {
  std::string set = path("sensor.xml");
  Result saved = runCli({"save", kSensor, set, "--comment", "Gate <A> & B", "--value", "Offset=-30",
                         "--value", "Muting=On", "--value", "Location=Tür 3 <Nord>"});
  ASSERT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(saved.out, set + "\n");
  EXPECT_EQ(saved.err, "");

  Result crc = runCli({"crc", kSensor, "--set", set});
  ASSERT_EQ(crc.status, 0) << crc.err;
  Result verified = runCli({"verify", set, "--template", kSensor});
  EXPECT_EQ(verified.status, 0) << verified.err;
  EXPECT_EQ(verified.out, "OK " + crc.out);
  // The values typed went in: the CRC differs from the defaults'.
  EXPECT_NE(crc.out, runCli({"crc", kSensor}).out);

  std::string text = read(set);
  EXPECT_NE(text.find("<VALUE>Tür 3 &lt;Nord&gt;</VALUE>"), std::string::npos);
  size_t at = text.find("<VALUE>-30</VALUE>");
  ASSERT_NE(at, std::string::npos);
  put(set, text.replace(at, 18, "<VALUE>-31</VALUE>"));
  Result changed = runCli({"verify", set, "--template", kSensor});
  EXPECT_EQ(changed.status, 1);
  std::string stored = crc.out.substr(0, crc.out.size() - 1);
  std::string computed = runCli({"crc", kSensor, "--set", set}).out;
  EXPECT_EQ(changed.out, "MISMATCH stored " + stored + " computed " + computed);
}

TEST_F(CliSetsTest, SaveOverlaysTheSetThenTheValuesInOrder) {
  std::string first = path("first.xml");
  ASSERT_EQ(runCli({"save", kSensor, first, "--comment", "one", "--value", "Offset=11", "--value",
                    "Range=300"})
                .status,
            0);
  std::string second = path("second.xml");
  Result r = runCli({"save", kSensor, second, "--comment", "two", "--set", first, "--value",
                     "Range=400", "--value", "Range=500"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string text = read(second);
  EXPECT_NE(text.find("<VALUE>11</VALUE>"), std::string::npos) << "from the set";
  EXPECT_NE(text.find("<VALUE>500</VALUE>"), std::string::npos) << "the last --value wins";
  EXPECT_EQ(text.find("<VALUE>400</VALUE>"), std::string::npos);
  EXPECT_EQ(runCli({"verify", second, "--template", kSensor}).status, 0);
}

TEST_F(CliSetsTest, ValuesAreCheckedAsIfTyped) {
  struct Case {
    std::string value;
    int status;
    std::string err;
  } cases[] = {
      {"Offset=-500", 0, ""},
      {"Offset=0x1F", 0, ""},
      {"Offset=501", 2, "Input error: Value is not in valid range. Min: -500 Max: 500\n"},
      {"Offset=12abc", 2, "Entry error: Only integer are allowed\n"},
      {"Offset=", 2, "Entry error: Only integer are allowed\n"},
      {"Hysteresis=25", 0, ""},
      // The cell rules take it; the encoding does not, so no set with an unknown CRC is written.
      {"Hysteresis=2.5", 2, "''2.5'' ist kein gültiger Integer-Wert.\n"},
      {"Hysteresis=100.5", 2, "Entry error: Value is not in valid range. Min: 0 Max: 100\n"},
      {"Hysteresis=abc", 2, "Entry Error: Only integer are allowed\n"},
      {"DeviceId=5", 2, "Error: Is not allowed to change the value\n"},
      // Re-typing the text a cell holds is not validated, even on a locked row.
      {"DeviceId=0x1A2B3C4D", 0, ""},
      {"Muting=On", 0, ""},
      {"Muting=Off", 0, ""},
      {"Muting=on", 2, "nx-ipar save: Muting takes \"On\" or \"Off\"\n"},
      {"OutputMode=Dark", 2, "Error: Is not allowed to change the value\n"},
      {"Location=any text = fine", 0, ""},
  };
  for (const Case& c : cases) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    Result r =
        runCli({"save", kSensor, path("set.xml"), "--comment", "values", "--value", c.value});
    EXPECT_EQ(r.status, c.status) << c.value << ": " << r.err;
    EXPECT_EQ(r.err, c.err) << c.value;
    EXPECT_EQ(fs::exists(path("set.xml")), c.status == 0) << c.value;
  }
}

TEST_F(CliSetsTest, RefusalsAndUsageErrorsWriteNothing) {
  std::string foreign = path("foreign.xml");
  put(foreign, "<IPAR_CRC><CRC><VALUE>0</VALUE><VENDOR>ACME</VENDOR></CRC><PARAMETER/></IPAR_CRC>");
  std::string longText(256, 'x');
  struct Case {
    std::vector<std::string> args;
    std::string err;  // the start of stderr
  } cases[] = {
      {{"save", kSensor, path("set.xml"), "--comment", "a"},
       "You must enter at least more then one character for the description\n"},
      {{"save", kSensor, path("set.xml"), "--comment", longText},
       "nx-ipar save: the description holds more than 255 characters\n"},
      {{"save", kSensor, path("a.xml"), "--comment", "ok"},
       "You must enter at least more then one character for the filename\n"},
      {{"save", kSensor, path("a"), "--comment", "ok"},
       "You must enter at least more then one character for the filename\n"},
      {{"save", kSensor, path("set.xml"), "--comment", "ok", "--set", foreign},
       "This Template is not allowed!\n"},
      {{"save", kSensor, path("set.xml"), "--comment", "ok", "--set", kDemo},
       "Wrong parameter set\n"},
      {{"save", kSensor, path("set.xml"), "--comment", "ok", "--value", "Nope=1"},
       "nx-ipar save: the template has no parameter named \"Nope\"\nusage:"},
      {{"save", kSensor, path("set.xml"), "--comment", "ok", "--value", "Offset"},
       "nx-ipar save: --value takes NAME=TEXT\nusage:"},
      {{"save", kSensor, path("set.xml")}, "usage:"},
      {{"save", kSensor, "--comment", "ok"}, "usage:"},
      {{"verify", path("set.xml")}, "usage:"},
      {{"verify", "--template", kSensor}, "usage:"},
      {{"verify", foreign, "--template", kSensor}, "This Template is not allowed!\n"},
  };
  for (const Case& c : cases) {
    Result r = runCli(c.args);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_EQ(r.out, "") << c.err;
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << r.err;
    EXPECT_EQ(names(), std::set<std::string>{"foreign.xml"}) << c.err;
  }
}

TEST_F(CliSetsTest, TargetNameFollowsTheExtensionRule) {
  fs::create_directories(dir / "old.txt");
  struct Case {
    std::string given;
    std::string written;
  } cases[] = {
      {path("Set.XML"), path("Set.xml")},
      {path("Set.txt"), path("Set.xml")},
      {path("plain"), path("plain.xml")},
      {path("old.txt/set.txt"), path("old.txt/set.xml")},
  };
  for (const Case& c : cases) {
    Result r = runCli({"save", kDemo, c.given, "--comment", "named"});
    EXPECT_EQ(r.status, 0) << c.given << ": " << r.err;
    EXPECT_EQ(r.out, c.written + "\n");
    EXPECT_TRUE(fs::exists(c.written)) << c.written;
    if (c.given != c.written) {
      EXPECT_FALSE(fs::exists(c.given)) << c.given;
    }
  }
}

TEST_F(CliSetsTest, FailedSaveKeepsTheEarlierFile) {
  std::string set = path("set.xml");
  ASSERT_EQ(runCli({"save", kDemo, set, "--comment", "first"}).status, 0);
  std::string earlier = read(set);
  put(path("plain"), "not a folder");

  Result missing = runCli({"save", kDemo, path("missing/set.xml"), "--comment", "second"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;
  Result underFile = runCli({"save", kDemo, path("plain/set.xml"), "--comment", "second"});
  EXPECT_EQ(underFile.status, 2);
  // A value the encoding rejects ends the save before the file is touched.
  std::string bad = path("bad.xml");
  put(bad,
      "<T><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT>1</DEFAULT></CRC><PARAMETER><P><TYPE>LONG</TYPE>"
      "<DEFAULT>1.5</DEFAULT></P></PARAMETER></T>");
  Result unencodable = runCli({"save", bad, set, "--comment", "second"});
  EXPECT_EQ(unencodable.status, 2);
  EXPECT_EQ(unencodable.err, "''1.5'' ist kein gültiger Integer-Wert.\n");

  EXPECT_EQ(read(set), earlier);
  EXPECT_EQ(names(), (std::set<std::string>{"set.xml", "plain", "bad.xml"}));
}

TEST_F(CliSetsTest, VerifyRefusesAStoredCrcThatIsNoNumber) {
  for (const char* value : {"", "-1", "4294967296", "12 ", "0x10"}) {
    std::string set = path("set.xml");
    put(set, std::string("<IPAR_CRC><CRC><VALUE>") + value +
                 "</VALUE><VENDOR>NORVEXA</VENDOR></CRC><PARAMETER><Timeout><VALUE>100</VALUE>"
                 "</Timeout><Monitoring><VALUE>1</VALUE></Monitoring></PARAMETER></IPAR_CRC>");
    Result r = runCli({"verify", set, "--template", kDemo});
    EXPECT_EQ(r.status, 2) << value;
    EXPECT_EQ(r.out, "") << value;
    EXPECT_NE(r.err.find("is not a CRC"), std::string::npos) << value << ": " << r.err;
  }
}

}  // namespace
}  // namespace nx::cli
