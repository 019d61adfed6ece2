#pragma once

// Child processes for the hostile-input tests: a child that has given up root's right to read any
// file, so "no read permission" can be tested for real when the tests run as root.

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace nx::test {

inline constexpr uid_t kNobody = 65534;

// In a child: becomes the unprivileged user, so permission bits apply. False when not allowed.
inline bool dropRootRights() {
  if (::geteuid() != 0) return true;
  return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 &&
         ::geteuid() == kNobody;
}

inline std::string readAll(int fd) {
  std::string text;
  char chunk[4096];
  for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
    text.append(chunk, static_cast<size_t>(n));
  return text;
}

// Runs `work` in a child without root's rights and returns the text it produced; nullopt when the
// child could not give the rights up.
inline std::optional<std::string> runWithoutRoot(const std::function<std::string()>& work) {
  int fds[2];
  if (::pipe(fds) != 0) return std::nullopt;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    if (!dropRootRights()) ::_exit(3);
    std::string text = work();
    ssize_t ignored = ::write(fds[1], text.data(), text.size());
    (void)ignored;
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string text = readAll(fds[0]);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return text;
}

struct ProgramResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs the executable `program` with `args`; stdout and stderr go through files in `scratch` so a
// large output cannot block the child. With `withoutRoot` the child gives up root's rights first
// (status 126 when it cannot).
inline ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::string& scratch, bool withoutRoot = false) {
  std::string outPath = scratch + "/stdout", errPath = scratch + "/stderr";
  pid_t pid = ::fork();
  if (pid == 0) {
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(125);
    if (withoutRoot && !dropRootRights()) ::_exit(126);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProgramResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  for (auto [path, text] : {std::pair{&outPath, &result.out}, std::pair{&errPath, &result.err}}) {
    int fd = ::open(path->c_str(), O_RDONLY);
    if (fd >= 0) {
      *text = readAll(fd);
      ::close(fd);
    }
  }
  return result;
}

}  // namespace nx::test
