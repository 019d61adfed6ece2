// Saving a parameter set while the system fails under it: every call of the save failing in
// turn, real write failures of a size-limited process, and a process killed between writing the
// new set and putting it in place. The file saved before must survive each byte for byte, and no
// temporary file may stay behind.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "documents/atomic_file.h"
#include "documents/errors.h"
#include "documents/parameter_set_writer.h"
#include "temp_folder.h"
#include "template_fixture.h"

namespace nx {
namespace {

namespace fs = std::filesystem;

class QuietMessages : public Messages {
 public:
  void plain(const std::string&) override {}
};

class SaveFaultTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    setPath = path("set.xml");
    // A STRING value larger than one write chunk, so the set takes several write calls.
    std::string note(kAtomicWriteChunk + kAtomicWriteChunk / 2, 'n');
    test::openTemplate(state, grid,
                       test::templateXml({{"Speed", "INT", "10", "0", "100"},
                                          {"Mode", "BOOL", "On", "Off", "On"},
                                          {"Note", "STRING", note}},
                                         "BigEndian"));
    saveParameterSet(state, grid, messages, setPath, "earlier");
    earlier = read(setPath);
    grid.setCell(1, 1, "20");  // the next save writes other bytes
  }

  // What a folder holds after a save that did not happen: the earlier set only.
  void expectEarlierSetOnly(const std::string& label) {
    EXPECT_EQ(read(setPath), earlier) << label;
    EXPECT_EQ(names(), std::set<std::string>{"set.xml"}) << label;
  }

  std::string setPath;
  std::string earlier;
  ProgramState state;
  MemoryGrid grid;
  QuietMessages messages;
};

TEST_F(SaveFaultTest, EachCallOfTheSaveFailingInTurnKeepsTheEarlierSet) {
  std::vector<FileStep> steps;
  std::string later = path("later.xml");
  saveParameterSet(state, grid, messages, later, "later", [&](FileStep s) {
    steps.push_back(s);
    return 0;
  });
  fs::remove(later);
  ASSERT_GT(std::count(steps.begin(), steps.end(), FileStep::Write), 1);
  const std::string savedLast(
      state.XMLDocument_Parameter_speichern.root().child("CRC").child("COMMENT").text());

  for (size_t n = 1; n <= steps.size(); ++n) {
    size_t calls = 0;
    auto failNth = [&](FileStep) { return ++calls == n ? ENOSPC : 0; };
    EXPECT_THROW(saveParameterSet(state, grid, messages, setPath, "later", failNth), FileError)
        << "call " << n;
    expectEarlierSetOnly("call " + std::to_string(n) + " failing");
    // The set saved last stays the one that was saved last.
    EXPECT_EQ(state.XMLDocument_Parameter_speichern.root().child("CRC").child("COMMENT").text(),
              savedLast);
  }
}

TEST_F(SaveFaultTest, RealWriteFailuresOfASizeLimitedProcessKeepTheEarlierSet) {
  // A process may write only this many bytes into any file: the system itself fails the write
  // that crosses the limit, at the first, a middle or the last chunk.
  const size_t size = buildParameterSet(state, grid, messages, "later").size();
  for (rlim_t limit : {rlim_t{0}, rlim_t{1}, rlim_t{kAtomicWriteChunk - 1},
                       rlim_t{kAtomicWriteChunk}, rlim_t{size - 1}}) {
    pid_t pid = ::fork();
    if (pid == 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit r{limit, limit};
      if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(3);
      try {
        saveParameterSet(state, grid, messages, setPath, "later");
      } catch (const FileError& e) {
        ::_exit(std::string(e.what()).find("File too large") != std::string::npos ? 0 : 4);
      } catch (...) {
        ::_exit(5);
      }
      ::_exit(6);  // saved although the limit forbids it
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "limit " << limit;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "limit " << limit;
    expectEarlierSetOnly("limit " + std::to_string(limit));
  }
}

TEST_F(SaveFaultTest, ProcessKilledBetweenWritingAndCommittingKeepsTheEarlierSet) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ready[0]);
    // The hook before the rename: the new set is written, synced and closed, but not in place.
    auto stopBeforeCommit = [&](FileStep s) {
      if (s == FileStep::Replace) {
        char c = 'w';
        ssize_t ignored = ::write(ready[1], &c, 1);
        (void)ignored;
        ::raise(SIGSTOP);
      }
      return 0;
    };
    try {
      saveParameterSet(state, grid, messages, setPath, "later", stopBeforeCommit);
    } catch (...) {
    }
    ::_exit(0);
  }
  ::close(ready[1]);
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ::close(ready[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, WUNTRACED), pid);
  ASSERT_TRUE(WIFSTOPPED(status));

  // Stopped at the hook: the new set is complete but not yet named; the earlier one is untouched.
  EXPECT_EQ(names().count("set.xml"), 1u);
  EXPECT_EQ(read(setPath), earlier);
  ::kill(pid, SIGKILL);
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status));

  expectEarlierSetOnly("after the kill");
  // The next save goes through and leaves nothing of the killed one behind either.
  saveParameterSet(state, grid, messages, setPath, "after");
  EXPECT_NE(read(setPath), earlier);
  EXPECT_EQ(names(), std::set<std::string>{"set.xml"});
}

}  // namespace
}  // namespace nx
