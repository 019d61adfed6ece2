#include "platform/version_info.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/executable_section.h"
#include "platform/version_record.h"

namespace {

namespace fs = std::filesystem;
using nx::platform::GetFileInfo;

std::string utf8(const std::u16string& text) {
  return QString::fromStdU16String(text).toStdString();
}

std::vector<char> bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::vector<char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// What a caller passes in; texts the call must leave alone when it finds no version information.
const std::u16string kUntouchedName = u"untouched name";
const std::u16string kUntouchedVersion = u"untouched version";

TEST(GetFileInfo, ReadsTheFirstTranslationsValues) {
  struct Case {
    const char* what;
    std::string file;
    bool result;
    std::string internalName;
    std::string fileVersion;
  } cases[] = {
      {"both values, trimmed, from the first translation's table", NX_FIXTURE_BOTH, true,
       "NX fixture", "3.1.4.1"},
      {"the program: no InternalName", NX_PROGRAM_FILE, false, "", "2.0.0.2"},
      {"a translation without its table: both texts stored empty", NX_FIXTURE_NO_TABLE, false, "",
       ""},
      {"no translation table counts as no version information", NX_FIXTURE_NO_TRANSLATION, false,
       "untouched name", "untouched version"},
      {"no record", NX_FIXTURE_NO_RECORD, false, "untouched name", "untouched version"},
      {"no such file", std::string(NX_FIXTURE_NO_RECORD) + ".missing", false, "untouched name",
       "untouched version"},
      {"not an executable", NX_TEST_SOURCE, false, "untouched name", "untouched version"},
      {"empty name", "", false, "untouched name", "untouched version"},
  };
  for (const Case& c : cases) {
    std::u16string internalName = kUntouchedName;
    std::u16string fileVersion = kUntouchedVersion;
    EXPECT_EQ(GetFileInfo(internalName, fileVersion, c.file), c.result) << c.what;
    EXPECT_EQ(utf8(internalName), c.internalName) << c.what;
    EXPECT_EQ(utf8(fileVersion), c.fileVersion) << c.what;
  }
}

// A damaged program file must end in "no version information", never in a crash or a wild read.
TEST(GetFileInfo, DamagedFilesGiveNoVersionInformation) {
  const std::vector<char> good = bytesOf(NX_FIXTURE_BOTH);
  ASSERT_GT(good.size(), 0x40u);
  const bool elf64 = good[4] == 2;
  const std::size_t shoff = elf64 ? 0x28 : 0x20;
  const std::size_t shnum = elf64 ? 0x3C : 0x30;
  const std::size_t shstrndx = elf64 ? 0x3E : 0x32;

  struct Case {
    const char* what;
    std::function<void(std::vector<char>&)> damage;
  } cases[] = {
      {"cut inside the file header", [](auto& b) { b.resize(20); }},
      {"cut before the section headers", [](auto& b) { b.resize(b.size() / 2); }},
      {"cut inside the last section header", [](auto& b) { b.resize(b.size() - 10); }},
      {"section headers beyond the end",
       [&](auto& b) { std::fill(b.begin() + shoff, b.begin() + shoff + 8, '\x7f'); }},
      {"name table index beyond the sections",
       [&](auto& b) { b[shstrndx] = b[shnum], b[shstrndx + 1] = b[shnum + 1]; }},
      {"unknown class", [](auto& b) { b[4] = 9; }},
      {"no magic", [](auto& b) { b[1] = 'X'; }},
  };
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const Case& c : cases) {
    std::vector<char> bytes = good;
    c.damage(bytes);
    const fs::path file = fs::path(dir.path().toStdString()) / "damaged";
    writeFile(file, bytes);
    std::u16string internalName = kUntouchedName;
    std::u16string fileVersion = kUntouchedVersion;
    EXPECT_FALSE(GetFileInfo(internalName, fileVersion, file.string())) << c.what;
    EXPECT_EQ(internalName, kUntouchedName) << c.what;
    EXPECT_EQ(fileVersion, kUntouchedVersion) << c.what;
  }
}

TEST(VersionRecord, EveryShortenedRecordIsRejected) {
  const auto section =
      nx::platform::readExecutableSection(NX_FIXTURE_BOTH, nx::platform::kVersionSectionName);
  ASSERT_TRUE(section.has_value());
  const auto whole = nx::platform::decodeVersionRecord(*section);
  ASSERT_TRUE(whole.has_value());
  EXPECT_EQ(whole->fileVersion, (std::array<std::uint16_t, 4>{3, 1, 4, 1}));
  ASSERT_EQ(whole->translations.size(), 2u);
  EXPECT_EQ(whole->translations[0], 0x04B00407u);
  for (std::size_t length = 0; length < section->size(); ++length) {
    const std::span<const unsigned char> cut(section->data(), length);
    EXPECT_FALSE(nx::platform::decodeVersionRecord(cut).has_value()) << "length " << length;
  }
}

// The program's own record, as the build put it into the program file.
TEST(VersionRecord, ProgramCarriesItsVersionRecord) {
  const auto section =
      nx::platform::readExecutableSection(NX_PROGRAM_FILE, nx::platform::kVersionSectionName);
  ASSERT_TRUE(section.has_value());
  const auto record = nx::platform::decodeVersionRecord(*section);
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->fileVersion, (std::array<std::uint16_t, 4>{2, 0, 0, 2}));
  EXPECT_EQ(record->productVersion, (std::array<std::uint16_t, 4>{1, 0, 0, 0}));
  ASSERT_EQ(record->translations, std::vector<std::uint32_t>{0x04E40409u});
  ASSERT_EQ(record->tables.size(), 1u);
  EXPECT_EQ(record->tables[0].key, "040904E4");
  std::vector<std::pair<std::string, std::u16string>> expected{{"FileVersion", u"2.0.0.2"},
                                                               {"ProductVersion", u"1.0.0.0"}};
  EXPECT_EQ(record->tables[0].values, expected);
}

// The info window runs in a folder of its own, with the program copied beside it under some name
// and, optionally, another file of the program's name in a folder on LD_LIBRARY_PATH.
TEST(InfoWindowVersion, ComesFromTheProgramFileFoundLikeALibrary) {
  struct Case {
    const char* what;
    const char* programCopyName;
    bool fixtureOnLibraryPath;
    const char* shown;
  } cases[] = {
      {"the program beside it", "NX_iParameter", false, "[2.0.0.2]"},
      {"the program renamed", "NX_iParameter_old", false, "[]"},
      {"the program's folder comes first", "NX_iParameter", true, "[2.0.0.2]"},
      {"then the library path", "NX_iParameter_old", true, "[3.1.4.1]"},
  };
  for (const Case& c : cases) {
    QTemporaryDir own;
    QTemporaryDir library;
    ASSERT_TRUE(own.isValid() && library.isValid());
    const QString probe = own.filePath("probe");
    ASSERT_TRUE(QFile::copy(NX_INFO_PROBE, probe)) << c.what;
    ASSERT_TRUE(QFile::copy(NX_PROGRAM_FILE, own.filePath(c.programCopyName))) << c.what;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LD_LIBRARY_PATH");
    if (c.fixtureOnLibraryPath) {
      ASSERT_TRUE(QFile::copy(NX_FIXTURE_BOTH, library.filePath("NX_iParameter"))) << c.what;
      env.insert("LD_LIBRARY_PATH", library.path());
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(probe, {});
    ASSERT_TRUE(process.waitForFinished(30000)) << c.what;
    EXPECT_EQ(process.exitCode(), 0) << c.what << ": " << process.readAllStandardError().data();
    EXPECT_EQ(process.readAllStandardOutput().trimmed().toStdString(), c.shown) << c.what;
  }
}

}  // namespace
