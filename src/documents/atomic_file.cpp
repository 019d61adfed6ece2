#include "documents/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "documents/errors.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace nx {

namespace {

#ifdef _WIN32
int openNew(const std::string& path, int mode) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, mode);
}
long writeSome(int fd, const char* data, size_t size) {
  return _write(fd, data, static_cast<unsigned>(size));
}
int syncFile(int fd) { return _commit(fd); }
int closeFile(int fd) { return _close(fd); }
int removeFile(const std::string& path) { return _unlink(path.c_str()); }
int currentProcess() { return _getpid(); }
int replaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 0;
  errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return -1;
}
void syncFolder(const std::string&) {}
int openUnnamed(const std::string&, int) {
  errno = EOPNOTSUPP;
  return -1;
}
int linkUnnamed(int, const std::string&) {
  errno = EOPNOTSUPP;
  return -1;
}
constexpr bool isSeparator(char c) { return c == '/' || c == '\\'; }
#else
int openNew(const std::string& path, int mode) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}
long writeSome(int fd, const char* data, size_t size) { return ::write(fd, data, size); }
int syncFile(int fd) { return ::fsync(fd); }
int closeFile(int fd) { return ::close(fd); }
int removeFile(const std::string& path) { return ::unlink(path.c_str()); }
int currentProcess() { return static_cast<int>(::getpid()); }
int replaceFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str());
}
// The rename itself lives in the folder; without this a power cut may still lose it.
void syncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
// A file without a name in `folder`: if the process dies before it is linked, the system
// reclaims it and nothing is left behind.
int openUnnamed(const std::string& folder, int mode) {
#ifdef O_TMPFILE
  return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
#else
  (void)folder;
  (void)mode;
  errno = EOPNOTSUPP;
  return -1;
#endif
}
// Gives the unnamed file behind `fd` the name `to`.
int linkUnnamed(int fd, const std::string& to) {
  std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
#ifdef AT_EMPTY_PATH
  return ::linkat(fd, "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH);
#else
  return -1;
#endif
}
constexpr bool isSeparator(char c) { return c == '/'; }
#endif

[[noreturn]] void fail(const std::string& path, int error) {
  throw FileError("The file \"" + path +
                  "\" could not be saved: " + std::generic_category().message(error));
}

// Runs one step: the injector may fail it in place of the system.
template <typename Call>
auto step(const FaultInjector& inject, FileStep which, Call call) -> decltype(call()) {
  if (inject) {
    if (int injected = inject(which); injected != 0) {
      errno = injected;
      return -1;
    }
  }
  return call();
}

// Removes the temporary file unless the rename took it over.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (fd >= 0) closeFile(fd);
    if (!path.empty()) removeFile(path);
  }
  std::string path;
  int fd = -1;
};

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view content,
                         const FaultInjector& inject) {
  size_t cut = path.size();
  while (cut > 0 && !isSeparator(path[cut - 1])) --cut;
  std::string folder = cut == 0 ? std::string(".") : path.substr(0, cut);
  std::string base = path.substr(cut);

  // A new file gets the permissions the user's umask gives; a replaced one keeps its own.
  int mode = 0666;
  struct stat existing {};
  bool keepMode = ::stat(path.c_str(), &existing) == 0 && (existing.st_mode & S_IFMT) == S_IFREG;
  if (keepMode) mode = static_cast<int>(existing.st_mode & 0777);

  TemporaryFile temp;
  static unsigned counter = 0;
  auto tempName = [&] {
    return path.substr(0, cut) + "." + base + ".tmp" + std::to_string(currentProcess()) + "_" +
           std::to_string(++counter);
  };

  // Preferably a file without a name until it is complete, so that a process killed while
  // saving leaves nothing behind; where the system has none, a named one that a failed save
  // removes.
  bool unnamed = false;
  if (int injected = inject ? inject(FileStep::Create) : 0; injected != 0) fail(path, injected);
  temp.fd = openUnnamed(folder, mode);
  unnamed = temp.fd >= 0;
  if (!unnamed) {
    const FaultInjector noInjection;  // the injector has had its say on this step
    for (int attempt = 0; temp.fd < 0; ++attempt) {
      std::string candidate = tempName();
      temp.fd = step(noInjection, FileStep::Create, [&] { return openNew(candidate, mode); });
      if (temp.fd >= 0)
        temp.path = candidate;
      else if (errno != EEXIST || attempt >= 100)
        fail(path, errno);
    }
  }
#ifndef _WIN32
  // open() applied the umask; the replaced file's own bits must survive it.
  if (keepMode) ::fchmod(temp.fd, static_cast<mode_t>(mode));
#endif

  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    size_t chunk = left < kAtomicWriteChunk ? left : kAtomicWriteChunk;
    long written = step(inject, FileStep::Write, [&] { return writeSome(temp.fd, data, chunk); });
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) fail(path, errno);
    // A write that makes no progress would loop for ever; the disk is full in all but name.
    if (written == 0) fail(path, ENOSPC);
    data += written;
    left -= static_cast<size_t>(written);
  }
  if (step(inject, FileStep::Sync, [&] { return syncFile(temp.fd); }) != 0) fail(path, errno);

  // Committing: the complete file gets its name (unnamed case), is closed, and replaces the target.
  if (unnamed) {
    for (int attempt = 0; temp.path.empty(); ++attempt) {
      std::string candidate = tempName();
      if (step(inject, FileStep::Replace, [&] { return linkUnnamed(temp.fd, candidate); }) == 0)
        temp.path = candidate;
      else if (errno != EEXIST || attempt >= 100)
        fail(path, errno);
    }
  }
  // The descriptor is gone after close() whatever it reports; a failure may be the first report
  // of a failed write (NFS, quotas).
  int closed = closeFile(temp.fd);
  temp.fd = -1;
  if (closed == 0 && inject) {
    if (int injected = inject(FileStep::Close); injected != 0) {
      errno = injected;
      closed = -1;
    }
  }
  if (closed != 0) fail(path, errno);
  auto rename = [&] { return replaceFile(temp.path, path); };
  if ((unnamed ? rename() : step(inject, FileStep::Replace, rename)) != 0) fail(path, errno);
  temp.path.clear();
  syncFolder(folder);
}

}  // namespace nx
