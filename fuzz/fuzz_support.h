#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "documents/errors.h"
#include "documents/value_grid.h"

namespace nx::fuzz {

// A file that lives in memory, reachable by a path: the open commands take paths, and a memfd
// keeps the filesystem out of the loop (and out of the figures).
class MemFile {
 public:
  explicit MemFile(const char* name) : fd_(::memfd_create(name, 0)) {
    if (fd_ < 0) die("memfd_create failed");
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemFile() { ::close(fd_); }
  MemFile(const MemFile&) = delete;
  MemFile& operator=(const MemFile&) = delete;

  // Replaces the whole content; returns the path to open.
  const std::string& hold(std::string_view bytes) {
    if (::ftruncate(fd_, 0) != 0) die("ftruncate failed");
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (n <= 0) die("pwrite failed");
      done += static_cast<size_t>(n);
    }
    return path_;
  }

  static void die(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
  }

 private:
  int fd_;
  std::string path_;
};

// Plain messages are part of the normal outcome; count them so the optimiser keeps the calls.
class CountingMessages : public Messages {
 public:
  void plain(const std::string& text) override { bytes += text.size(); }
  size_t bytes = 0;
};

// A property of the program that an input broke: report it the way libFuzzer reports a crash.
inline void require(bool ok, const char* what, std::string_view detail = {}) {
  if (ok) return;
  std::fprintf(stderr, "property violated: %s\n%.*s\n", what, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

// The load error's layout: reason, "\nZeile: " and a line number, "\n", then at most 40 characters
// of one source line.
inline void checkLoadErrorText(std::string_view text) {
  size_t zeile = text.find("\nZeile: ");
  require(zeile != std::string_view::npos && zeile > 0, "load error without its line", text);
  size_t digits = zeile + 8;
  size_t excerpt = text.find('\n', digits);
  require(excerpt != std::string_view::npos && excerpt > digits, "load error without line number",
          text);
  for (size_t i = digits; i < excerpt; ++i)
    require(text[i] >= '0' && text[i] <= '9', "load error line is not a number", text);
  std::string_view line = text.substr(excerpt + 1);
  size_t chars = 0;
  for (unsigned char c : line) {
    require(c != '\n', "load error excerpt spans lines", text);
    if ((c & 0xC0) != 0x80) ++chars;
  }
  require(chars <= 40, "load error excerpt longer than 40 characters", text);
}

}  // namespace nx::fuzz
