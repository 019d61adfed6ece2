#include "documents/xml_document.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
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

// Compares without measuring the node's name first: most candidates differ in the first byte.
bool sameName(std::string_view want, const char* name) {
  for (char c : want) {
    if (*name != c) return false;
    ++name;
  }
  return *name == '\0';
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
    std::string_view name;
    uint32_t nameId;  // into names
    bool embedded;
  };
  struct Name {
    std::string_view name;
    uint64_t hash;
    int64_t firstElement;  // first element of this name, -1 when only non-elements carry it
    int64_t last;
  };
  // The text elements every entry of a template or parameter set carries, read once per entry
  // while the index is built, so that reading row r's field needs no walk of the entry.
  static constexpr std::string_view kFields[] = {"CAPTION", "DEFAULT", "TYPE",
                                                 "MIN",     "MAX",     "VALUE"};
  static constexpr size_t kFieldCount = sizeof kFields / sizeof kFields[0];
  // Per entry and field: nullptr when the entry has no such element, kNotPlain when the element
  // holds more than one text (or the entry is no element: ask the node, which raises the error),
  // else the element's text.
  static inline const char kNotPlain[] = "";
  using Field = const char*;

  std::vector<Slot> positions;
  std::vector<Name> names;
  std::vector<uint32_t> table;  // open addressing; 0 empty, else 1 + index into names
  std::vector<Field> fields;    // kFieldCount per position

  // The text of field `k` of the child at `pos`; nullopt when only the node can answer.
  std::optional<std::string_view> fieldText(int64_t pos, int k) const {
    Field f = fields[static_cast<size_t>(pos) * kFieldCount + static_cast<size_t>(k)];
    if (f == nullptr) return std::string_view();
    if (f == kNotPlain) return std::nullopt;
    return std::string_view(f);
  }

  static int fieldId(std::string_view name) {
    for (size_t k = 0; k < kFieldCount; ++k)
      if (kFields[k] == name) return static_cast<int>(k);
    return -1;
  }

  // Dispatches on the first letter, so most names cost one comparison.
  static int fieldId(const char* name) {
    int k;
    switch (name[0]) {
      case 'C':
        k = 0;
        break;
      case 'D':
        k = 1;
        break;
      case 'T':
        k = 2;
        break;
      case 'M':
        k = name[1] == 'I' ? 3 : 4;
        break;
      case 'V':
        k = 5;
        break;
      default:
        return -1;
    }
    return sameName(kFields[k], name) ? k : -1;
  }

  void readFields(pugi::xml_node entry, Field* out) {
    if (entry.type() != pugi::node_element) {
      for (size_t k = 0; k < kFieldCount; ++k) out[k] = kNotPlain;
      return;
    }
    for (size_t k = 0; k < kFieldCount; ++k) out[k] = nullptr;
    for (pugi::xml_node c = entry.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      int k = fieldId(c.name());
      if (k < 0 || out[k] != nullptr) continue;
      out[k] = c.first_child() ? kNotPlain : c.value();
    }
  }

  // One pass over the children: each entry's node, name and fields are read while they are in
  // the cache, which matters once the document is far larger than the cache.
  void build(pugi::xml_node parent) {
    size_t count = hasEmbeddedText(parent) ? 1 : 0;
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) ++count;
    positions.reserve(count);
    fields.resize(count * kFieldCount);
    names.reserve(count);
    size_t cap = 16;
    while (cap < count * 2) cap <<= 1;
    table.assign(cap, 0);

    if (hasEmbeddedText(parent)) add(parent, true);
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) add(c, false);
  }

  void add(pugi::xml_node node, bool embedded) {
    size_t i = positions.size();
    std::string_view name = embedded ? std::string_view("#text") : nodeName(node);
    positions.push_back({node.internal_object(), name, 0, embedded});
    Field* out = &fields[i * kFieldCount];
    if (embedded) {
      for (size_t k = 0; k < kFieldCount; ++k) out[k] = kNotPlain;
    } else {
      readFields(node, out);
    }
    bool element = !embedded && node.type() == pugi::node_element;
    uint64_t h = hashName(name);
    size_t mask = table.size() - 1;
    size_t at = h & mask;
    while (table[at] != 0) {
      const Name& e = names[table[at] - 1];
      if (e.hash == h && e.name == name) break;
      at = (at + 1) & mask;
    }
    int64_t pos = static_cast<int64_t>(i);
    if (table[at] == 0) {
      names.push_back({name, h, element ? pos : -1, pos});
      table[at] = static_cast<uint32_t>(names.size());
      positions[i].nameId = static_cast<uint32_t>(names.size() - 1);
    } else {
      positions[i].nameId = table[at] - 1;
      Name& e = names[table[at] - 1];
      e.last = pos;
      if (element && e.firstElement < 0) e.firstElement = pos;
    }
  }

  // The value encoding asks for the same name twice in a row (its type, then its row).
  mutable std::string lastAsked;
  mutable const Name* lastFound = nullptr;

  const Name* find(std::string_view name) const {
    if (lastFound != nullptr && name == lastAsked) return lastFound;
    const Name* found = lookup(name);
    if (found != nullptr) {
      lastAsked.assign(name);
      lastFound = found;
    }
    return found;
  }

  const Name* lookup(std::string_view name) const {
    uint64_t h = hashName(name);
    size_t mask = table.size() - 1;
    for (size_t at = h & mask; table[at] != 0; at = (at + 1) & mask) {
      const Name& e = names[table[at] - 1];
      if (e.hash == h && e.name == name) return &e;
    }
    return nullptr;
  }
};

// Few parents are large enough to be indexed, while lookups on small parents are frequent: a
// one-entry cache and a 64-bit filter answer most questions without touching the map.
struct XmlDocument::Indexes {
  std::unordered_map<pugi::xml_node_struct*, ChildIndex> byParent;
  pugi::xml_node_struct* lastParent = nullptr;
  const ChildIndex* lastIndex = nullptr;
  uint64_t filter = 0;
  std::vector<std::pair<std::string, pugi::xml_node>> rootChildren;

  static uint64_t bit(pugi::xml_node_struct* p) {
    return uint64_t{1} << ((reinterpret_cast<uintptr_t>(p) >> 6) & 63);
  }
  void clear() {
    byParent.clear();
    lastParent = nullptr;
    lastIndex = nullptr;
    filter = 0;
    rootChildren.clear();
  }
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
  auto viaIndex = [&](const ChildIndex& index) {
    const ChildIndex::Name* e = index.find(name);
    if (e == nullptr || e->firstElement < 0) return missing;
    return XmlNode(doc_, pugi::xml_node(index.positions[e->firstElement].node), Kind::Node);
  };
  if (node_ == doc_->root_) return doc_->rootChild(name);
  if (const ChildIndex* index = doc_->existingIndex(node_)) return viaIndex(*index);
  // Scan the first few children; a parent with many gets an index.
  int seen = 0;
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    if (++seen > kIndexThreshold) return viaIndex(doc_->indexOf(node_));
    if (c.type() == pugi::node_element && sameName(name, c.name()))
      return XmlNode(doc_, c, Kind::Node);
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
    if (s.embedded) return XmlNode(doc_, pugi::xml_node(s.node), Kind::EmbeddedText);
    return XmlNode(doc_, pugi::xml_node(s.node), Kind::Node);
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

std::string_view XmlNode::childTextAt(int64_t pos, std::string_view name) const {
  if (kind_ == Kind::Node && pos >= 0) {
    const ChildIndex* index = doc_->existingIndex(node_);
    if (index == nullptr && pos >= kIndexThreshold) index = &doc_->indexOf(node_);
    int k = ChildIndex::fieldId(name);
    if (index != nullptr && k >= 0 && pos < static_cast<int64_t>(index->positions.size()))
      if (auto text = index->fieldText(pos, k)) return *text;
  }
  return childAt(pos).child(name).text();
}

std::string_view XmlNode::childNameAt(int64_t pos) const {
  if (kind_ == Kind::Node && pos >= 0) {
    const ChildIndex* index = doc_->existingIndex(node_);
    if (index == nullptr && pos >= kIndexThreshold) index = &doc_->indexOf(node_);
    if (index != nullptr && pos < static_cast<int64_t>(index->positions.size()))
      return index->positions[static_cast<size_t>(pos)].name;
  }
  return childAt(pos).name();
}

const ChildIndex* XmlNode::indexFor(int64_t pos) const {
  if (kind_ != Kind::Node || pos < 0) return nullptr;
  const ChildIndex* index = doc_->existingIndex(node_);
  if (index == nullptr && pos >= kIndexThreshold) index = &doc_->indexOf(node_);
  if (index != nullptr && pos >= static_cast<int64_t>(index->positions.size())) return nullptr;
  return index;
}

std::string_view XmlNode::sameNamedChildTextAt(int64_t pos, std::string_view name) const {
  if (const ChildIndex* index = indexFor(pos)) {
    int k = ChildIndex::fieldId(name);
    const ChildIndex::Name& e = index->names[index->positions[static_cast<size_t>(pos)].nameId];
    if (k >= 0) {
      if (e.firstElement < 0) return {};
      if (auto text = index->fieldText(e.firstElement, k)) return *text;
    }
  }
  return child(childAt(pos).name()).child(name).text();
}

int64_t XmlNode::lastSameNamedAt(int64_t pos) const {
  if (const ChildIndex* index = indexFor(pos))
    return index->names[index->positions[static_cast<size_t>(pos)].nameId].last;
  return lastChildNamed(childAt(pos).name());
}

std::string_view XmlNode::childTextByName(std::string_view entry, std::string_view name) const {
  if (kind_ == Kind::Node) {
    const ChildIndex* index = doc_->existingIndex(node_);
    int k = ChildIndex::fieldId(name);
    if (index != nullptr && k >= 0) {
      const ChildIndex::Name* e = index->find(entry);
      if (e == nullptr || e->firstElement < 0) return {};
      if (auto text = index->fieldText(e->firstElement, k)) return *text;
    }
  }
  return child(entry).child(name).text();
}

int64_t XmlNode::childCount() const {
  if (kind_ != Kind::Node) return 0;
  if (const ChildIndex* index = doc_->existingIndex(node_))
    return static_cast<int64_t>(index->positions.size());
  int64_t count = hasEmbeddedText(node_) ? 1 : 0;
  int seen = 0;
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    if (++seen > kIndexThreshold)
      return static_cast<int64_t>(doc_->indexOf(node_).positions.size());
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
  bool element = node_.type() == pugi::node_element;
  if (element && !first) return node_.value();  // the text kept inside the element, or ""
  if (element) {
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
  root_ = pugi::xml_node();
  indexes_->clear();
  active_ = false;
  fileName_.clear();
}

XmlNode XmlDocument::root() const { return XmlNode(this, root_, XmlNode::Kind::Node); }

XmlNode XmlDocument::rootChild(std::string_view name) const {
  // Every reader starts at the root's CRC or PARAMETER; remember where they are.
  pugi::xml_node found;
  bool known = false;
  for (const auto& [key, node] : indexes_->rootChildren) {
    if (key == name) {
      found = node;
      known = true;
      break;
    }
  }
  if (!known) {
    for (pugi::xml_node c = root_.first_child(); c; c = c.next_sibling()) {
      if (c.type() == pugi::node_element && sameName(name, c.name())) {
        found = c;
        break;
      }
    }
    if (indexes_->rootChildren.size() < 8)
      indexes_->rootChildren.emplace_back(std::string(name), found);
  }
  if (found) return XmlNode(this, found, XmlNode::Kind::Node);
  XmlNode missing;
  missing.doc_ = this;
  missing.missingName_ = name;
  return missing;
}

const ChildIndex* XmlDocument::existingIndex(pugi::xml_node parent) const {
  Indexes& ix = *indexes_;
  pugi::xml_node_struct* p = parent.internal_object();
  if (p == ix.lastParent) return ix.lastIndex;
  if ((ix.filter & Indexes::bit(p)) == 0) return nullptr;
  auto it = ix.byParent.find(p);
  if (it == ix.byParent.end()) return nullptr;
  ix.lastParent = p;
  ix.lastIndex = &it->second;
  return ix.lastIndex;
}

const ChildIndex& XmlDocument::indexOf(pugi::xml_node parent) const {
  if (const ChildIndex* index = existingIndex(parent)) return *index;
  Indexes& ix = *indexes_;
  pugi::xml_node_struct* p = parent.internal_object();
  ChildIndex& index = ix.byParent[p];
  index.build(parent);
  ix.filter |= Indexes::bit(p);
  ix.lastParent = p;
  ix.lastIndex = &index;
  return index;
}

void XmlDocument::load(const std::string& path) {
  close();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    int err = errno;
    throw XmlLoadError(loadErrorText(err == ENOENT || err == ENOTDIR
                                         ? "Das System kann die angegebene Datei nicht finden."
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
  root_ = doc_.document_element();
  active_ = true;
  fileName_ = fileName;
}

}  // namespace nx
