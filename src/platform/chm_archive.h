#pragma once

#include <memory>
#include <optional>
#include <string>

struct chmFile;

namespace nx::platform {

// Read access to a compiled HTML Help file. Object paths are absolute inside the archive
// ("/index.html").
class ChmArchive {
 public:
  // nullptr when the file does not exist or is not a readable compiled help file.
  static std::unique_ptr<ChmArchive> open(const std::string& path);
  ~ChmArchive();
  ChmArchive(const ChmArchive&) = delete;
  ChmArchive& operator=(const ChmArchive&) = delete;

  // The object's bytes, or nullopt when the archive has no such object or it cannot be read.
  std::optional<std::string> read(const std::string& objectPath) const;

  // The topic shown first, as an object path; "" when the archive names none that exists.
  std::string defaultTopic() const;
  // The help file's title from its project; may be empty.
  std::string title() const;

 private:
  explicit ChmArchive(chmFile* file);
  std::string systemEntry(unsigned code) const;

  chmFile* file_;
};

}  // namespace nx::platform
