#include "documents/xml_document.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <vector>

#include "documents/errors.h"
#include "documents/xml_load_error.h"

namespace nx {

namespace {

// Default parsing plus the nodes that count as children (comments, processing instructions), and
// an element's first text kept inside the element instead of a node of its own.
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_embed_pcdata;

// Below this many children a linear scan is cheaper than building an index.
constexpr int kIndexThreshold = 32;

bool hasEmbeddedText(pugi::xml_node element) {
  return element.type() == pugi::node_element && *element.value() != '\0';
}

std::string_view nodeName(pugi::xml_node node) {
  switch (node.type()) {
    case pugi::node_element:
    case pugi::node_pi:
      return node.name();
    case pugi::node_pcdata:
      return "#text";
    case pugi::node_cdata:
      return "#cdata-section";
    case pugi::node_comment:
      return "#comment";
    default:
      return "#document";
  }
}

uint64_t hashName(std::string_view s) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  return h;
}

}  // namespace

// Positions and names of the children of one large parent, built once per parent and document.
struct ChildIndex {
  struct Slot {
    pugi::xml_node_struct* node;
    bool embedded;
  };
  struct Name {
    std::string_view name;
    uint64_t hash;
    int64_t firstElement;  // first element of this name, -1 when only non-elements carry it
    int64_t first;
    int64_t last;
  };
  std::vector<Slot> positions;
  std::vector<Name> names;
  std::vector<uint32_t> table;  // open addressing; 0 empty, else 1 + index into names

  void build(pugi::xml_node parent) {
    if (hasEmbeddedText(parent)) positions.push_back({parent.internal_object(), true});
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
      positions.push_back({c.internal_object(), false});
    size_t cap = 16;
    while (cap < positions.size() * 2) cap <<= 1;
    table.assign(cap, 0);
    names.reserve(positions.size());
    for (size_t i = 0; i < positions.size(); ++i) {
      const Slot& s = positions[i];
      pugi::xml_node n(s.node);
      std::string_view name = s.embedded ? std::string_view("#text") : nodeName(n);
      bool element = !s.embedded && n.type() == pugi::node_element;
      uint64_t h = hashName(name);
      size_t at = h & (cap - 1);
      while (table[at] != 0) {
        Name& e = names[table[at] - 1];
        if (e.hash == h && e.name == name) break;
        at = (at + 1) & (cap - 1);
      }
      if (table[at] == 0) {
        names.push_back({name, h, element ? static_cast<int64_t>(i) : -1, static_cast<int64_t>(i),
                         static_cast<int64_t>(i)});
        table[at] = static_cast<uint32_t>(names.size());
      } else {
        Name& e = names[table[at] - 1];
        e.last = static_cast<int64_t>(i);
        if (element && e.firstElement < 0) e.firstElement = static_cast<int64_t>(i);
      }
    }
  }

  const Name* find(std::string_view name) const {
    uint64_t h = hashName(name);
    size_t mask = table.size() - 1;
    for (size_t at = h & mask; table[at] != 0; at = (at + 1) & mask) {
      const Name& e = names[table[at] - 1];
      if (e.hash == h && e.name == name) return &e;
    }
    return nullptr;
  }
};

struct XmlDocument::Indexes {
  std::unordered_map<pugi::xml_node_struct*, ChildIndex> byParent;
};

// ---------------------------------------------------------------------------------------------
// XmlNode

XmlNode XmlNode::child(std::string_view name) const {
  XmlNode missing;
  missing.doc_ = doc_;
  missing.missingName_ = name;
  if (kind_ == Kind::Missing) return missing;
  if (!isElement()) {
    throw ElementAccessError("Knoten \"" + std::string(this->name()) +
                             "\" kann keine Elemente enthalten");
  }
  // Scan the first few children; a parent with many gets an index.
  int seen = 0;
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    if (++seen > kIndexThreshold) {
      const ChildIndex& index = doc_->indexOf(node_);
      const ChildIndex::Name* e = index.find(name);
      if (e == nullptr || e->firstElement < 0) return missing;
      return XmlNode(doc_, pugi::xml_node(index.positions[e->firstElement].node), Kind::Node);
    }
    if (c.type() == pugi::node_element && name == c.name()) return XmlNode(doc_, c, Kind::Node);
  }
  return missing;
}

XmlNode XmlNode::childAt(int64_t pos) const {
  auto outOfRange = [pos] {
    return ListIndexError("Listenindex überschreitet das Maximum (" + std::to_string(pos) + ")");
  };
  if (pos < 0 || kind_ != Kind::Node) throw outOfRange();
  if (pos >= kIndexThreshold) {
    const ChildIndex& index = doc_->indexOf(node_);
    if (pos >= static_cast<int64_t>(index.positions.size())) throw outOfRange();
    const ChildIndex::Slot& s = index.positions[pos];
    return XmlNode(doc_, pugi::xml_node(s.node), s.embedded ? Kind::EmbeddedText : Kind::Node);
  }
  int64_t at = 0;
  if (hasEmbeddedText(node_)) {
    if (pos == 0) return XmlNode(doc_, node_, Kind::EmbeddedText);
    at = 1;
  }
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling(), ++at)
    if (at == pos) return XmlNode(doc_, c, Kind::Node);
  throw outOfRange();
}

int64_t XmlNode::childCount() const {
  if (kind_ != Kind::Node) return 0;
  int64_t count = hasEmbeddedText(node_) ? 1 : 0;
  int seen = 0;
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    if (++seen > kIndexThreshold) return static_cast<int64_t>(doc_->indexOf(node_).positions.size());
    ++count;
  }
  return count;
}

int64_t XmlNode::lastChildNamed(std::string_view name) const {
  if (kind_ != Kind::Node) return -1;
  if (childCount() > kIndexThreshold) {
    const ChildIndex::Name* e = doc_->indexOf(node_).find(name);
    return e == nullptr ? -1 : e->last;
  }
  int64_t found = -1;
  int64_t at = 0;
  if (hasEmbeddedText(node_)) {
    if (name == "#text") found = 0;
    at = 1;
  }
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling(), ++at)
    if (nodeName(c) == name) found = at;
  return found;
}

std::string_view XmlNode::text() const {
  if (kind_ == Kind::Missing) return {};
  if (kind_ == Kind::EmbeddedText) return node_.value();
  pugi::xml_node first = node_.first_child();
  if (node_.type() == pugi::node_element) {
    bool embedded = hasEmbeddedText(node_);
    if (!embedded && !first) return {};
    if (embedded && !first) return node_.value();
    if (!embedded && !first.next_sibling() &&
        (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
      return first.value();
  }
  throw ElementAccessError("Element \"" + std::string(name()) +
                           "\" enthält keinen einzelnen Textknoten");
}

std::string_view XmlNode::name() const {
  switch (kind_) {
    case Kind::Missing:
      return missingName_;
    case Kind::EmbeddedText:
      return "#text";
    case Kind::Node:
      break;
  }
  return nodeName(node_);
}

bool XmlNode::isElement() const {
  return kind_ == Kind::Missing || (kind_ == Kind::Node && node_.type() == pugi::node_element);
}

// ---------------------------------------------------------------------------------------------
// XmlDocument

XmlDocument::XmlDocument() : indexes_(std::make_unique<Indexes>()) {}
XmlDocument::~XmlDocument() = default;

void XmlDocument::close() {
  doc_.reset();
  indexes_->byParent.clear();
  active_ = false;
  fileName_.clear();
}

XmlNode XmlDocument::root() const {
  return XmlNode(this, doc_.document_element(), XmlNode::Kind::Node);
}

const ChildIndex& XmlDocument::indexOf(pugi::xml_node parent) const {
  auto [it, inserted] = indexes_->byParent.try_emplace(parent.internal_object());
  if (inserted) it->second.build(parent);
  return it->second;
}

void XmlDocument::load(const std::string& path) {
  close();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    int err = errno;
    throw XmlLoadError(loadErrorText(
        err == ENOENT || err == ENOTDIR ? "Das System kann die angegebene Datei nicht finden."
                                        : "Auf die Datei kann nicht zugegriffen werden.",
        0, {}));
  }
  if (S_ISDIR(st.st_mode))
    throw XmlLoadError(loadErrorText("Der Pfad ist ein Ordner, keine Datei.", 0, {}));

  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr)
    throw XmlLoadError(loadErrorText("Auf die Datei kann nicht zugegriffen werden.", 0, {}));
  // Read straight into the buffer the parser will own: the file is held in memory once.
  auto allocate = pugi::get_memory_allocation_function();
  auto deallocate = pugi::get_memory_deallocation_function();
  size_t capacity = static_cast<size_t>(st.st_size) + 1;  // +1: see the end of the file at once
  char* buffer = static_cast<char*>(allocate(capacity));
  size_t size = 0;
  bool failed = buffer == nullptr;
  while (!failed) {
    size += std::fread(buffer + size, 1, capacity - size, f);
    if (size < capacity) {
      failed = std::ferror(f) != 0;
      break;
    }
    // The file grew while it was read.
    char* bigger = static_cast<char*>(allocate(capacity * 2));
    if (bigger == nullptr) {
      failed = true;
      break;
    }
    std::memcpy(bigger, buffer, size);
    deallocate(buffer);
    buffer = bigger;
    capacity *= 2;
  }
  std::fclose(f);
  if (failed) {
    if (buffer != nullptr) deallocate(buffer);
    throw XmlLoadError(loadErrorText("Die Datei kann nicht gelesen werden.", 0, {}));
  }
  parse(buffer, size, path, [&path] {
    // Only for the error text: the parser has rewritten its own copy.
    std::string original;
    if (FILE* again = std::fopen(path.c_str(), "rb")) {
      char chunk[1 << 16];
      size_t got;
      while ((got = std::fread(chunk, 1, sizeof chunk, again)) > 0) original.append(chunk, got);
      std::fclose(again);
    }
    return original;
  });
}

void XmlDocument::loadFromBuffer(std::string_view xml, const std::string& fileName) {
  close();
  void* buffer = pugi::get_memory_allocation_function()(xml.size() ? xml.size() : 1);
  if (buffer == nullptr) throw XmlLoadError(loadErrorText("Nicht genügend Speicher.", 0, {}));
  if (!xml.empty()) std::memcpy(buffer, xml.data(), xml.size());
  parse(buffer, xml.size(), fileName, [xml] { return std::string(xml); });
}

void XmlDocument::parse(void* buffer, size_t size, const std::string& fileName,
                        const std::function<std::string()>& original) {
  pugi::xml_parse_result result =
      doc_.load_buffer_inplace_own(buffer, size, kParseOptions, pugi::encoding_auto);
  if (!result) {
    doc_.reset();
    throw XmlLoadError(parseErrorText(result, original()));
  }
  if (!doc_.document_element()) {
    doc_.reset();
    throw XmlLoadError(loadErrorText(statusReason(pugi::status_no_document_element), 0, {}));
  }
  active_ = true;
  fileName_ = fileName;
}

}  // namespace nx
