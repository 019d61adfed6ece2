// Files a user can pick that are not what the open commands expect. Each must end in a clear
// message (the load error's text, a refusal, an access error) or in a correct answer, and must
// never leave a half-open template behind.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../hostile_process.h"
#include "crc/encoding.h"
#include "documents/commands.h"
#include "documents/errors.h"
#include "documents/memory_grid.h"
#include "documents/parameter_set.h"
#include "documents/program_state.h"
#include "temp_folder.h"

namespace nx {
namespace {

namespace fs = std::filesystem;

// The four-row worked example (BOOL on, BYTE 5, INT 1000, LONG 100000, big-endian): its CRC is
// 548538125. `caption` and `name` let a case put non-ASCII or very long texts into it.
std::string workedTemplate(const std::string& caption = "Größe", const std::string& name = "Y") {
  return "<?xml version=\"1.0\"?>\n<T><CRC><VENDOR>NORVEXA</VENDOR><ENDIAN>BigEndian</ENDIAN>"
         "<DEFAULT>x</DEFAULT></CRC><PARAMETER>"
         "<B><CAPTION>" +
         caption +
         "</CAPTION><DEFAULT>Ein</DEFAULT><TYPE>BOOL</TYPE>"
         "<MIN>Aus</MIN><MAX>Ein</MAX></B>"
         "<" +
         name + "><DEFAULT>5</DEFAULT><TYPE>BYTE</TYPE></" + name +
         ">"
         "<I><DEFAULT>1000</DEFAULT><TYPE>INT</TYPE></I>"
         "<L><DEFAULT>100000</DEFAULT><TYPE>LONG</TYPE></L></PARAMETER></T>";
}
constexpr uint32_t kWorkedCrc = 548538125;

std::string utf16(const std::string& utf8, bool littleEndian, bool bom) {
  std::u16string units;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    char32_t cp;
    int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += static_cast<size_t>(extra) + 1;
    if (cp >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(cp);
    }
  }
  std::string bytes;
  if (bom) units.insert(units.begin(), u'\xFEFF');
  for (char16_t u : units) {
    char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
    bytes += littleEndian ? lo : hi;
    bytes += littleEndian ? hi : lo;
  }
  return bytes;
}

class RecordingMessages : public Messages {
 public:
  void plain(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

class HostileInputTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    // The child that gives up root's rights must still reach the files.
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
  }

  std::string write(const std::string& name, const std::string& content) {
    return put(name, content);
  }

  // Opens `path` as "Open XML template" does, with the worked example open before, so that a
  // failure must also close that one. Returns the load error's text, or "" when it loaded.
  std::string loadErrorOf(const std::string& path) {
    EXPECT_EQ(openTemplateDocument(state, write("earlier.xml", workedTemplate())),
              OpenOutcome::Opened);
    try {
      openTemplateDocument(state, path);
    } catch (const XmlLoadError& e) {
      EXPECT_FALSE(state.XMLDocument_Vorlage.active()) << path;
      return e.what();
    }
    return "";
  }

  // Opens a template and computes its CRC as nx-ipar crc does.
  uint32_t crcOf(const std::string& path) {
    EXPECT_EQ(openTemplateDocument(state, path), OpenOutcome::Opened) << path;
    Import(state, grid, messages, 1);
    return generateCrc(state, grid);
  }

  ProgramState state;
  MemoryGrid grid;
  RecordingMessages messages;
};

TEST_F(HostileInputTest, FilesThatCannotBeReadEndInTheLoadError) {
  fs::create_directories(dir / "folder.xml");
  std::string vanished = write("vanished.xml", workedTemplate());
  fs::remove(vanished);  // chosen in the dialog, gone before the load
  std::string replaced = write("replaced.xml", workedTemplate());
  fs::remove(replaced);
  fs::create_directories(replaced);  // chosen as a file, a folder by the time it is loaded
  std::string folderGone = (dir / "gone" / "set.xml").string();

  struct Case {
    std::string label;
    std::string path;
    std::string message;
  } cases[] = {
      {"a folder", (dir / "folder.xml").string(),
       "Der Pfad ist ein Ordner, keine Datei.\nZeile: 0\n"},
      {"vanished", vanished, "Das System kann die angegebene Datei nicht finden.\nZeile: 0\n"},
      {"replaced by a folder", replaced, "Der Pfad ist ein Ordner, keine Datei.\nZeile: 0\n"},
      {"folder vanished", folderGone,
       "Das System kann die angegebene Datei nicht finden.\nZeile: 0\n"},
      {"empty name", "", "Das System kann die angegebene Datei nicht finden.\nZeile: 0\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(loadErrorOf(c.path), c.message) << c.label;
}

TEST_F(HostileInputTest, FileWithoutReadPermission) {
  std::string path = write("locked.xml", workedTemplate());
  ::chmod(path.c_str(), 0);
  auto attempt = [&] {
    ProgramState own;
    try {
      openTemplateDocument(own, path);
      return std::string("opened");
    } catch (const XmlLoadError& e) {
      return std::string(e.what()) + (own.XMLDocument_Vorlage.active() ? " (left open)" : "");
    }
  };
  // Root reads any file whatever its bits say: the attempt then runs in a child process that has
  // become an ordinary user, which the permission bits do stop.
  std::optional<std::string> answer = ::geteuid() == 0 ? test::runWithoutRoot(attempt) : attempt();
  if (!answer) GTEST_SKIP() << "running as root, and a child process cannot give up root's rights";
  EXPECT_EQ(*answer, "Auf die Datei kann nicht zugegriffen werden.\nZeile: 0\n");
}

TEST_F(HostileInputTest, EmptyAndTruncatedFilesNameTheirLine) {
  struct Case {
    std::string label;
    std::string content;
    std::string message;
  } cases[] = {
      {"0 bytes", "", "Das XML-Dokument muss ein Element der obersten Ebene enthalten.\nZeile: "},
      {"blanks only", "  \r\n\t\n",
       "Das XML-Dokument muss ein Element der obersten Ebene enthalten.\nZeile: "},
      {"byte-order mark only", "\xEF\xBB\xBF",
       "Das XML-Dokument muss ein Element der obersten Ebene enthalten.\nZeile: "},
      {"cut after an entry", workedTemplate().substr(0, workedTemplate().find("<I>")),
       "Das Endtag stimmt nicht mit dem Starttag überein.\nZeile: 2\n"},
      {"binary", std::string("\x00\x01\x02\xFF\xFE\x00garbage", 13), "\nZeile: 1\n"},
  };
  for (const Case& c : cases) {
    std::string message = loadErrorOf(write("t.xml", c.content));
    EXPECT_NE(message.find(c.message), std::string::npos) << c.label << ": " << message;
  }
}

TEST_F(HostileInputTest, Utf16AndByteOrderMarksGiveTheSameValuesAndCrc) {
  const std::string xml = workedTemplate();
  struct Case {
    std::string label;
    std::string bytes;
  } cases[] = {
      {"UTF-8", xml},
      {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" + xml},
      {"UTF-16 LE with byte-order mark", utf16(xml, true, true)},
      {"UTF-16 BE with byte-order mark", utf16(xml, false, true)},
      {"UTF-16 LE without byte-order mark", utf16(xml, true, false)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(crcOf(write("t.xml", c.bytes)), kWorkedCrc) << c.label;
    EXPECT_EQ(grid.cell(0, 1), "Größe") << c.label;
    EXPECT_EQ(grid.cell(1, 1), "Ein") << c.label;
  }
}

TEST_F(HostileInputTest, ByteOrderMarkIsNotPartOfTheErrorExcerpt) {
  for (const std::string& bytes :
       {std::string("\xEF\xBB\xBF<T><CRC></T>"), utf16("<T><CRC></T>", true, true)}) {
    EXPECT_EQ(loadErrorOf(write("t.xml", bytes)),
              "Das Endtag stimmt nicht mit dem Starttag überein.\nZeile: 1\n<T><CRC></T>");
  }
}

TEST_F(HostileInputTest, HundredThousandNestedElements) {
  constexpr int kDepth = 100000;
  std::string open, close;
  for (int i = 0; i < kDepth; ++i) {
    open += "<n>";
    close += "</n>";
  }
  // Nested where a text is expected: the access error names the element.
  std::string inCaption = workedTemplate(open + close);
  ASSERT_EQ(openTemplateDocument(state, write("caption.xml", inCaption)), OpenOutcome::Opened);
  try {
    Import(state, grid, messages, 1);
    ADD_FAILURE() << "a caption of nested elements was read as text";
  } catch (const ElementAccessError& e) {
    EXPECT_STREQ(e.what(), "Element \"CAPTION\" enthält keinen einzelnen Textknoten");
  }

  // As the whole document: no header, so the vendor test refuses it.
  EXPECT_EQ(openTemplateDocument(state, write("deep.xml", open + close)),
            OpenOutcome::VendorRefused);
  EXPECT_FALSE(state.XMLDocument_Vorlage.active());

  // Never closed: the parser's error, on the line where the file ends.
  std::string message = loadErrorOf(write("open.xml", open));
  EXPECT_EQ(message.substr(0, message.find('\n', message.find("Zeile"))),
            "Das Endtag stimmt nicht mit dem Starttag überein.\nZeile: 1")
      << message.substr(0, 200);
  EXPECT_EQ(message.substr(message.rfind('\n') + 1), open.substr(0, 40));

  // As a parameter set over the worked example: a nested entry is read as "VALUE" text and fails.
  ASSERT_EQ(openTemplateDocument(state, write("t.xml", workedTemplate())), OpenOutcome::Opened);
  Import(state, grid, messages, 1);
  std::string set = "<IPAR_CRC><CRC><VENDOR>NORVEXA</VENDOR></CRC><PARAMETER><B><VALUE>" + open +
                    close + "</VALUE></B><Y/><I/><L/></PARAMETER></IPAR_CRC>";
  ASSERT_EQ(openParameterSetDocument(state, write("set.xml", set)), OpenOutcome::Opened);
  EXPECT_THROW(Import(state, grid, messages, 2), ElementAccessError);
}

TEST_F(HostileInputTest, ElementNameOfTenThousandCharacters) {
  const std::string name = "N" + std::string(9999, 'x');
  EXPECT_EQ(crcOf(write("long.xml", workedTemplate("c", name))), kWorkedCrc);

  // A set naming an entry the template lacks: the whole name in the message, the entry skipped.
  std::string set =
      "<IPAR_CRC><CRC><VENDOR>NORVEXA</VENDOR></CRC><PARAMETER><B><VALUE>0</VALUE></B><" + name +
      "z><VALUE>9</VALUE></" + name + "z><I/><L/></PARAMETER></IPAR_CRC>";
  ASSERT_EQ(openParameterSetDocument(state, write("set.xml", set)), OpenOutcome::Opened);
  Import(state, grid, messages, 2);
  EXPECT_EQ(messages.shown,
            std::vector<std::string>{"The Parameters " + name + "z does not match"});
  EXPECT_EQ(grid.cell(1, 2), "5");

  // A broken end tag on that name: the excerpt stops at 40 characters.
  std::string message = loadErrorOf(write("broken.xml", "<" + name + "></" + name + "y>"));
  EXPECT_EQ(message,
            "Das Endtag stimmt nicht mit dem Starttag überein.\nZeile: 1\n<" + name.substr(0, 39));
}

}  // namespace
}  // namespace nx
