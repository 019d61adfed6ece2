#include "documents/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <vector>

#include "documents/errors.h"
#include "temp_folder.h"

namespace nx {
namespace {

namespace fs = std::filesystem;

using AtomicFileTest = test::TempFolderTest;

// Content that takes more than one write call.
std::string large() {
  std::string s(kAtomicWriteChunk * 2 + kAtomicWriteChunk / 2, 'x');
  for (size_t i = 0; i < s.size(); i += 4099) s[i] = static_cast<char>('a' + i % 26);
  return s;
}

TEST_F(AtomicFileTest, WritesANewFileAndReplacesAnEarlierOne) {
  fs::path target = dir / "set.xml";
  writeFileAtomically(target.string(), "first");
  EXPECT_EQ(read(target), "first");
  writeFileAtomically(target.string(), "");
  EXPECT_EQ(read(target), "");
  std::string big = large();
  writeFileAtomically(target.string(), big);
  EXPECT_EQ(read(target), big);
  EXPECT_EQ(names(), std::set<std::string>{"set.xml"});
}

TEST_F(AtomicFileTest, ReplacedFileKeepsItsPermissionsNewFileFollowsTheUmask) {
  fs::path target = dir / "set.xml";
  put(target.string(), "old");
  ::chmod(target.c_str(), 0640);
  writeFileAtomically(target.string(), "new");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  mode_t mask = ::umask(0);
  ::umask(mask);
  fs::path fresh = dir / "fresh.xml";
  writeFileAtomically(fresh.string(), "new");
  ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);
}

TEST_F(AtomicFileTest, PathsThatCannotBeWrittenLeaveEverythingAsItWas) {
  put("plain", "a file, not a folder");
  fs::create_directories(dir / "folder");
  put("folder/inside", "kept");
  struct Case {
    fs::path target;
    std::string reason;
  } cases[] = {
      {dir / "missing" / "set.xml", "No such file or directory"},
      {dir / "plain" / "set.xml", "Not a directory"},
      {dir / "folder", "Is a directory"},
  };
  std::set<std::string> before = names();
  for (const Case& c : cases) {
    try {
      writeFileAtomically(c.target.string(), "new");
      ADD_FAILURE() << c.target << " was written";
    } catch (const FileError& e) {
      std::string what = e.what();
      EXPECT_NE(what.find(c.target.string()), std::string::npos) << what;
      EXPECT_NE(what.find(c.reason), std::string::npos) << what;
    }
    EXPECT_EQ(names(), before) << c.target;
  }
  EXPECT_EQ(read(dir / "plain"), "a file, not a folder");
  EXPECT_EQ(read(dir / "folder" / "inside"), "kept");
  EXPECT_EQ(fs::directory_iterator(dir / "folder")->path().filename(), "inside");
}

TEST_F(AtomicFileTest, EveryFailingCallLeavesTheEarlierFileByteForByte) {
  fs::path target = dir / "set.xml";
  const std::string earlier = "<earlier>\r\n\xC3\xA4</earlier>";
  const std::string content = large();

  std::vector<FileStep> steps;
  put(target.string(), earlier);
  writeFileAtomically(target.string(), content, [&](FileStep s) {
    steps.push_back(s);
    return 0;
  });
  // The file is named (Replace) before it is closed: until then it has no name at all.
  ASSERT_EQ(steps, (std::vector<FileStep>{FileStep::Create, FileStep::Write, FileStep::Write,
                                          FileStep::Write, FileStep::Sync, FileStep::Replace,
                                          FileStep::Close}));

  for (int errorCode : {ENOSPC, EACCES, EIO}) {
    for (size_t n = 1; n <= steps.size(); ++n) {
      put(target.string(), earlier);
      size_t calls = 0;
      auto failNth = [&](FileStep) { return ++calls == n ? errorCode : 0; };
      try {
        writeFileAtomically(target.string(), content, failNth);
        ADD_FAILURE() << "call " << n << " failed, yet the write succeeded";
      } catch (const FileError& e) {
        std::string what = e.what();
        EXPECT_NE(what.find(target.string()), std::string::npos) << what;
        EXPECT_NE(what.find(std::generic_category().message(errorCode)), std::string::npos) << what;
      }
      EXPECT_EQ(read(target), earlier) << "call " << n << ", error " << errorCode;
      EXPECT_EQ(names(), std::set<std::string>{"set.xml"}) << "call " << n;
    }
  }
}

TEST_F(AtomicFileTest, TemporaryNameTakenTriesAnother) {
  fs::path target = dir / "set.xml";
  // The file gets its name when it is complete (Replace); a name another save holds is skipped.
  int taken = 0;
  writeFileAtomically(target.string(), "new", [&](FileStep s) {
    return s == FileStep::Replace && ++taken <= 3 ? EEXIST : 0;
  });
  EXPECT_EQ(taken, 4);
  EXPECT_EQ(read(target), "new");
  EXPECT_EQ(names(), std::set<std::string>{"set.xml"});
}

TEST_F(AtomicFileTest, RelativePathLandsInTheWorkingFolder) {
  fs::path previous = fs::current_path();
  fs::current_path(dir);
  writeFileAtomically("relative.xml", "here");
  fs::current_path(previous);
  EXPECT_EQ(read(dir / "relative.xml"), "here");
  EXPECT_EQ(names(), std::set<std::string>{"relative.xml"});
}

}  // namespace
}  // namespace nx
