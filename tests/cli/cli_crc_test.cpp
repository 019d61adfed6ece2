#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../core/temp_folder.h"
#include "cli/cli.h"
#include "cli_runner.h"

namespace nx::cli {
namespace {

using Result = nx::test::CliResult;
using nx::test::runCli;

class CliTest : public nx::test::TempFolderTest {
 protected:
  std::string write(const std::string& name, const std::string& content) {
    return put(name, content);
  }
};

const std::string kExamples = NX_EXAMPLES;

// The four-row worked example, in both byte orders.
std::string fourRows(const std::string& endian) {
  return "<T><CRC><VENDOR>NORVEXA</VENDOR><ENDIAN>" + endian +
         "</ENDIAN><DEFAULT>x</DEFAULT></CRC><PARAMETER>"
         "<B><DEFAULT>On</DEFAULT><TYPE>BOOL</TYPE><MIN>Off</MIN><MAX>On</MAX></B>"
         "<Y><DEFAULT>5</DEFAULT><TYPE>BYTE</TYPE></Y>"
         "<I><DEFAULT>1000</DEFAULT><TYPE>INT</TYPE></I>"
         "<L><DEFAULT>100000</DEFAULT><TYPE>LONG</TYPE></L></PARAMETER></T>";
}

TEST_F(CliTest, CrcAndBytesOfTheWorkedExamples) {
  std::string big = write("big.xml", fourRows("BigEndian"));
  std::string little = write("little.xml", fourRows("Little"));
  struct Case {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"crc", big}, "548538125\n"},
      {{"crc", big, "--format", "hex"}, "0x20B2070D\n"},
      {{"crc", big, "--format=dec"}, "548538125\n"},
      {{"crc", little}, "3869454344\n"},
      {{"crc", little, "--format", "hex"}, "0xE6A33008\n"},
      {{"bytes", big}, "01 05 03 E8 00 01 86 A0\n"},
      {{"bytes", little}, "01 05 E8 03 A0 86 01 00\n"},
  };
  for (const Case& c : cases) {
    Result r = runCli(c.args);
    EXPECT_EQ(r.status, 0) << c.args[0] << " " << r.err;
    EXPECT_EQ(r.out, c.out) << c.args[0];
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(CliTest, TemplateWithoutParameters) {
  std::string path =
      write("empty.xml", "<T><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT>1</DEFAULT></CRC></T>");
  EXPECT_EQ(runCli({"crc", path}).out, "4294967295\n");
  EXPECT_EQ(runCli({"crc", path, "--format", "hex"}).out, "0xFFFFFFFF\n");
  EXPECT_EQ(runCli({"bytes", path}).out, "\n");
}

TEST_F(CliTest, ExamplesComputeAndAgreeWithTheirBytes) {
  for (const char* name : {"Demo_unit.xml", "Drive_BigEndian.xml", "Sensor_LittleEndian.xml"}) {
    Result crc = runCli({"crc", kExamples + "/" + name});
    EXPECT_EQ(crc.status, 0) << name << ": " << crc.err;
    EXPECT_FALSE(crc.out.empty());
  }
  // The demo unit: UINT 100 and BOOL On, big-endian.
  EXPECT_EQ(runCli({"bytes", kExamples + "/Demo_unit.xml"}).out, "00 64 01\n");
  // The example set still belongs to its template: its stored CRC is the one computed.
  Result verified = runCli({"verify", kExamples + "/sets/Entry_gate.xml", "--template",
                            kExamples + "/Sensor_LittleEndian.xml"});
  EXPECT_EQ(verified.status, 0) << verified.out << verified.err;
}

TEST_F(CliTest, RefusalsAndErrorsGoToStderrWithStatusTwo) {
  std::string setFile = write("set.xml",
                              "<IPAR_CRC><CRC><VALUE>0</VALUE><VENDOR>NORVEXA</VENDOR></CRC>"
                              "<PARAMETER><B><VALUE>1</VALUE></B></PARAMETER></IPAR_CRC>");
  std::string big = write("big.xml", fourRows("BigEndian"));
  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"crc", write("vendor.xml", "<T><CRC><VENDOR>ACME</VENDOR><DEFAULT>1</DEFAULT></CRC></T>")},
       "This Template is not allowed!\n"},
      {{"crc", setFile}, "This Template is a set of parameter!\n"},
      {{"crc", big, "--set", setFile}, "Wrong parameter set\n"},
      {{"crc", big, "--set", big}, "This XML file is a Template!\n"},
      {{"crc", write("bad.xml",
                     "<T><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT>1</DEFAULT></CRC><PARAMETER><P>"
                     "<TYPE>LONG</TYPE><DEFAULT>1.5</DEFAULT></P></PARAMETER></T>")},
       "''1.5'' ist kein gültiger Integer-Wert.\n"},
      {{"crc", write("broken.xml", "<T>\n<A></B>\n</T>")},
       "Das Endtag stimmt nicht mit dem Starttag überein.\nZeile: 2\n<A></B>.\n"},
  };
  for (const Case& c : cases) {
    Result r = runCli(c.args);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_EQ(r.out, "") << c.err;
    EXPECT_EQ(r.err, c.err);
  }
}

TEST_F(CliTest, NonEndingMessagesGoToStderrAndTheCommandGoesOn) {
  std::string tpl = write("t.xml",
                          "<T><CRC><VENDOR>NORVEXA</VENDOR><DEFAULT>1</DEFAULT></CRC><PARAMETER>"
                          "<A><DEFAULT>1</DEFAULT><TYPE>BYTE</TYPE></A>"
                          "<B><DEFAULT>2</DEFAULT><TYPE>BYTE</TYPE></B></PARAMETER></T>");
  std::string set = write("s.xml",
                          "<IPAR_CRC><CRC><VENDOR>NORVEXA</VENDOR></CRC><PARAMETER>"
                          "<A><VALUE>7</VALUE></A><Z><VALUE>9</VALUE></Z></PARAMETER></IPAR_CRC>");
  Result r = runCli({"bytes", tpl, "--set", set});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "07 02\n");
  EXPECT_EQ(r.err, "The Parameters Z does not match\n");
}

TEST_F(CliTest, UsageErrors) {
  for (std::vector<std::string> args :
       std::vector<std::vector<std::string>>{{},
                                             {"frobnicate"},
                                             {"crc"},
                                             {"crc", "a", "b"},
                                             {"crc", "a", "--format", "oct"},
                                             {"crc", "a", "--set"},
                                             {"crc", "a", "--bogus", "1"},
                                             {"bytes", "a", "--format", "hex"}}) {
    Result r = runCli(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
  }
}

TEST_F(CliTest, HelpAndVersion) {
  EXPECT_EQ(runCli({"--version"}).out, "nx-ipar 2.0.0.2\n");
  Result help = runCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("crc TEMPLATE"), std::string::npos);
}

}  // namespace
}  // namespace nx::cli
