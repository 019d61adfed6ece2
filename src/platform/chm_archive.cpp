#include "platform/chm_archive.h"

#include <chm_lib.h>

#include <cstdint>

namespace nx::platform {
namespace {

// Entries of the archive's "#SYSTEM" object that name the default topic and the title.
constexpr unsigned kSystemDefaultTopic = 2;
constexpr unsigned kSystemTitle = 3;

// The help files are small; anything larger is not one of ours and is not loaded into memory.
constexpr LONGUINT64 kMaxObjectSize = 64u << 20;

std::string untilNul(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace

std::unique_ptr<ChmArchive> ChmArchive::open(const std::string& path) {
  chmFile* file = chm_open(path.c_str());
  if (!file) return nullptr;
  return std::unique_ptr<ChmArchive>(new ChmArchive(file));
}

ChmArchive::ChmArchive(chmFile* file) : file_(file) {}

ChmArchive::~ChmArchive() { chm_close(file_); }

std::optional<std::string> ChmArchive::read(const std::string& objectPath) const {
  chmUnitInfo unit{};
  if (objectPath.size() > CHM_MAX_PATHLEN ||
      chm_resolve_object(file_, objectPath.c_str(), &unit) != CHM_RESOLVE_SUCCESS)
    return std::nullopt;
  if (unit.length > kMaxObjectSize) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(unit.length), '\0');
  if (bytes.empty()) return bytes;
  const LONGINT64 got =
      chm_retrieve_object(file_, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                          static_cast<LONGINT64>(unit.length));
  if (got != static_cast<LONGINT64>(unit.length)) return std::nullopt;
  return bytes;
}

// "#SYSTEM": a 32-bit version, then entries of a 16-bit code, a 16-bit length and that many bytes.
std::string ChmArchive::systemEntry(unsigned code) const {
  const std::optional<std::string> system = read("/#SYSTEM");
  if (!system) return {};
  const auto* bytes = reinterpret_cast<const unsigned char*>(system->data());
  std::size_t pos = 4;
  while (system->size() >= pos + 4) {
    const unsigned entryCode = bytes[pos] | (bytes[pos + 1] << 8);
    const std::size_t length = bytes[pos + 2] | (bytes[pos + 3] << 8);
    pos += 4;
    if (system->size() - pos < length) break;
    if (entryCode == code) return untilNul(system->substr(pos, length));
    pos += length;
  }
  return {};
}

std::string ChmArchive::defaultTopic() const {
  std::string topic = systemEntry(kSystemDefaultTopic);
  if (!topic.empty()) {
    if (topic.front() != '/') topic.insert(topic.begin(), '/');
    if (read(topic)) return topic;
  }
  for (const char* candidate : {"/index.html", "/index.htm", "/default.html", "/default.htm"}) {
    if (read(candidate)) return candidate;
  }
  return {};
}

std::string ChmArchive::title() const { return systemEntry(kSystemTitle); }

}  // namespace nx::platform
