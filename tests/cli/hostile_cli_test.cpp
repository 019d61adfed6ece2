// nx-ipar itself, run as a separate process on files a user might hand it: each run must end with
// exit status 2 and a clear message on stderr, or with status 0 and the correct CRC.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../core/temp_folder.h"
#include "../hostile_process.h"

namespace nx {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = NX_IPAR;

// The four-row worked example; its CRC is 548538125.
std::string workedTemplate(const std::string& firstName = "B", const std::string& caption = "c") {
  return "<T><CRC><VENDOR>NORVEXA</VENDOR><ENDIAN>BigEndian</ENDIAN><DEFAULT>x</DEFAULT></CRC>"
         "<PARAMETER><" +
         firstName + "><CAPTION>" + caption +
         "</CAPTION><DEFAULT>On</DEFAULT>"
         "<TYPE>BOOL</TYPE><MIN>Off</MIN><MAX>On</MAX></" +
         firstName +
         ">"
         "<Y><DEFAULT>5</DEFAULT><TYPE>BYTE</TYPE></Y><I><DEFAULT>1000</DEFAULT><TYPE>INT</TYPE></"
         "I>"
         "<L><DEFAULT>100000</DEFAULT><TYPE>LONG</TYPE></L></PARAMETER></T>";
}

std::string utf16le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

// The CRC the program shows, computed bit by bit from its definition (reflected polynomial
// 0xEDB88320, start 0xFFFFFFFF, no final xor), not from the program's table.
class ReferenceCrc {
 public:
  void feed(uint8_t byte) {
    reg_ ^= byte;
    for (int bit = 0; bit < 8; ++bit) reg_ = (reg_ & 1) ? (reg_ >> 1) ^ 0xEDB88320u : reg_ >> 1;
  }
  void feedBigEndian(int64_t value, int width) {
    for (int k = width - 1; k >= 0; --k)
      feed(static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * k)));
  }
  uint32_t value() const { return reg_; }

 private:
  uint32_t reg_ = 0xFFFFFFFFu;
};

class HostileCliTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    fs::permissions(dir, fs::perms::all);  // the unprivileged child writes its output here
  }

  std::string write(const std::string& name, const std::string& content) {
    return put(name, content);
  }
  test::ProgramResult crc(const std::string& path, bool withoutRoot = false) {
    return test::runProgram(kProgram, {"crc", path}, dir.string(), withoutRoot);
  }
};

TEST_F(HostileCliTest, EachFileEndsInAMessageOrTheCorrectCrc) {
  fs::create_directories(dir / "folder.xml");
  std::string gone = write("gone.xml", workedTemplate());
  fs::remove(gone);
  std::string nested(100000 * 3, ' ');
  for (size_t i = 0; i < nested.size(); i += 3) nested.replace(i, 3, "<n>");
  std::string nestedClose;
  for (int i = 0; i < 100000; ++i) nestedClose += "</n>";
  const std::string longName = "N" + std::string(9999, 'x');

  struct Case {
    std::string label;
    std::string path;
    int status;
    std::string out;
    std::string err;  // stderr, exactly
  } cases[] = {
      {"a folder", (dir / "folder.xml").string(), 2, "",
       "Der Pfad ist ein Ordner, keine Datei.\nZeile: 0\n\n"},
      {"vanished", gone, 2, "", "Das System kann die angegebene Datei nicht finden.\nZeile: 0\n\n"},
      {"0 bytes", write("empty.xml", ""), 2, "",
       "Das XML-Dokument muss ein Element der obersten Ebene enthalten.\nZeile: 1\n\n"},
      {"UTF-16", write("utf16.xml", utf16le(workedTemplate())), 0, "548538125\n", ""},
      {"byte-order mark", write("bom.xml", "\xEF\xBB\xBF" + workedTemplate()), 0, "548538125\n",
       ""},
      {"nested caption", write("nested.xml", workedTemplate("B", nested + nestedClose)), 2, "",
       "Element \"CAPTION\" enthält keinen einzelnen Textknoten.\n"},
      {"nested, never closed", write("open.xml", nested), 2, "",
       "Das Endtag stimmt nicht mit dem Starttag überein.\nZeile: 1\n" + nested.substr(0, 40) +
           ".\n"},
      {"long element name", write("long.xml", workedTemplate(longName)), 0, "548538125\n", ""},
  };
  for (const Case& c : cases) {
    test::ProgramResult r = crc(c.path);
    EXPECT_EQ(r.status, c.status) << c.label << ": " << r.err;
    EXPECT_EQ(r.out, c.out) << c.label;
    EXPECT_EQ(r.err, c.err) << c.label;
  }
}

TEST_F(HostileCliTest, FileWithoutReadPermission) {
  std::string path = write("locked.xml", workedTemplate());
  ::chmod(path.c_str(), 0);
  // Root reads any file: the program then runs as an ordinary user, whom the bits do stop.
  test::ProgramResult r = crc(path, /*withoutRoot=*/::geteuid() == 0);
  if (r.status == 126)
    GTEST_SKIP() << "running as root, and a child process cannot give up root's rights";
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Auf die Datei kann nicht zugegriffen werden.\nZeile: 0\n\n");
}

TEST_F(HostileCliTest, TwoHundredMegabyteTemplate) {
  constexpr uintmax_t kSize = 200u << 20;
  const std::string padding(900, 'p');
  struct Type {
    const char* name;
    int width;
  } const types[] = {{"LONG", 4},   {"INT", 2},  {"BYTE", 1},
                     {"DOUBLE", 8}, {"BOOL", 1}, {"STRING", 0}};

  std::string path = (dir / "huge.xml").string();
  ReferenceCrc reference;
  {
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<T>\n<CRC><VENDOR>NORVEXA</VENDOR>"
           "<ENDIAN>BigEndian</ENDIAN><DEFAULT>1</DEFAULT></CRC>\n<PARAMETER>\n";
    std::string entry;
    for (uint64_t i = 0; static_cast<uintmax_t>(out.tellp()) < kSize; ++i) {
      const Type& type = types[i % std::size(types)];
      int64_t value = static_cast<int64_t>((i * 2654435761u) % 4000000) - 2000000;
      bool isBool = std::string(type.name) == "BOOL";
      std::string text = isBool ? (i % 4 ? "On" : "Off") : std::to_string(value);
      entry = "<P" + std::to_string(i) + "><CAPTION>Parameter " + std::to_string(i) +
              "</CAPTION><DEFAULT>" + text + "</DEFAULT><TYPE>" + type.name +
              "</TYPE><MIN>Off</MIN><MAX>On</MAX><ENABLE>Yes</ENABLE><TOOLTIP>" + padding +
              "</TOOLTIP></P" + std::to_string(i) + ">\n";
      out << entry;
      if (isBool)
        reference.feed(text == "On" ? 1 : 0);
      else
        reference.feedBigEndian(value, type.width);
    }
    out << "</PARAMETER>\n</T>\n";
  }
  ASSERT_GE(fs::file_size(path), kSize);

  test::ProgramResult r = crc(path);
  fs::remove(path);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, std::to_string(reference.value()) + "\n");
}

}  // namespace
}  // namespace nx
