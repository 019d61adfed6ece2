#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace nx {

class XmlDocument;
struct ChildIndex;

// One node of a loaded document, read by the program's access rules:
//  - child(name) is the first child element of that name; a missing one reads as an empty element
//    (empty text, no content, no children). Nothing is added to the document.
//  - childAt(pos) counts every child node from 0, comments and text included.
//  - text() is the value of the single text child; an element without children reads "".
// A node stays valid while its document stays loaded.
class XmlNode {
 public:
  XmlNode() = default;

  // Throws ElementAccessError when this node cannot hold elements (a comment, a text).
  XmlNode child(std::string_view name) const;
  // Throws ListIndexError "Listenindex überschreitet das Maximum (pos)" outside 0 … childCount()-1.
  XmlNode childAt(int64_t pos) const;
  int64_t childCount() const;
  // childAt(pos).child(name).text() and child(entry).child(name).text(), the same answers and
  // errors, but through the parent's index when it has one: a template's rows cost no walk.
  std::string_view childTextAt(int64_t pos, std::string_view name) const;
  std::string_view childTextByName(std::string_view entry, std::string_view name) const;
  // childAt(pos).name(), through the index when there is one.
  std::string_view childNameAt(int64_t pos) const;
  // child(childAt(pos).name()).child(name).text(): a field of the first element that carries the
  // name of the child at `pos`.
  std::string_view sameNamedChildTextAt(int64_t pos, std::string_view name) const;
  // lastChildNamed(childAt(pos).name()).
  int64_t lastSameNamedAt(int64_t pos) const;
  // The position of the last child node whose name() equals `name`, or -1.
  int64_t lastChildNamed(std::string_view name) const;
  bool hasContent() const { return childCount() > 0; }
  // Throws ElementAccessError "Element "name" enthält keinen einzelnen Textknoten" when the node
  // holds anything but one text node.
  std::string_view text() const;
  // The tag name of an element; "#text", "#cdata-section", "#comment" or the target of a
  // processing instruction for the other kinds, as DOM node names go.
  std::string_view name() const;
  bool isElement() const;
  // False for an element that a lookup by name did not find.
  bool exists() const { return kind_ != Kind::Missing; }

 private:
  friend class XmlDocument;
  friend struct ChildIndex;
  // The index of this node's children when it has one and `pos` lies in it.
  const ChildIndex* indexFor(int64_t pos) const;
  enum class Kind : uint8_t { Missing, Node, EmbeddedText };

  XmlNode(const XmlDocument* doc, pugi::xml_node node, Kind kind)
      : doc_(doc), node_(node), kind_(kind) {}

  const XmlDocument* doc_ = nullptr;
  // For Node: the node itself. For EmbeddedText: the element whose first text child the parser
  // kept inside the element. For Missing: unused.
  pugi::xml_node node_;
  Kind kind_ = Kind::Missing;
  // The name passed to child(); refers to the caller's text.
  std::string_view missingName_;
};

// One of the program's XML document objects: closed, or loaded from a file.
// Loading parses in place (the file's bytes become the tree's strings) and keeps a parent's first
// text inside the element, so a template costs little more memory than its file.
class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Closes the document, then loads `path`. Throws XmlLoadError (reason, "\nZeile: n\n", the
  // first 40 characters of the offending line); the document then stays closed.
  void load(const std::string& path);
  // The same from memory; `fileName` is what fileName() reports afterwards.
  void loadFromBuffer(std::string_view xml, const std::string& fileName = {});
  // Closing also clears the file name.
  void close();
  bool active() const { return active_; }
  const std::string& fileName() const { return fileName_; }
  // The document element. Only while active().
  XmlNode root() const;

 private:
  friend class XmlNode;
  void parse(void* buffer, size_t size, const std::string& fileName,
             const std::function<std::string()>& original);
  const ChildIndex& indexOf(pugi::xml_node parent) const;
  const ChildIndex* existingIndex(pugi::xml_node parent) const;
  XmlNode rootChild(std::string_view name) const;

  pugi::xml_document doc_;
  pugi::xml_node root_;
  bool active_ = false;
  std::string fileName_;
  struct Indexes;
  std::unique_ptr<Indexes> indexes_;
};

}  // namespace nx
