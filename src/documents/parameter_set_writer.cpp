#include "documents/parameter_set_writer.h"

#include <cstdint>
#include <filesystem>
#include <optional>

#include "crc/encoding.h"
#include "documents/template_reader.h"
#include "documents/utf8.h"

namespace nx {

namespace {

constexpr bool kBackslashSeparates = std::filesystem::path::preferred_separator == '\\';

bool isSeparator(char c) { return c == '/' || (kBackslashSeparates && c == '\\'); }

bool isXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool isNameStart(char32_t c) {
  return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || c == 0x200C || c == 0x200D ||
         (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) ||
         (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
         (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(char32_t c) {
  return isNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040;
}

bool isXmlText(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    std::optional<char32_t> c = nextCodePoint(text, pos);
    if (!c || !isXmlChar(*c)) return false;
  }
  return true;
}

bool isXmlName(std::string_view name) {
  if (name.empty()) return false;
  for (size_t pos = 0; pos < name.size();) {
    bool first = pos == 0;
    std::optional<char32_t> c = nextCodePoint(name, pos);
    if (!c || !(first ? isNameStart(*c) : isNameChar(*c))) return false;
  }
  return true;
}

// Advances `pos` over one UTF-8 character, malformed bytes counting one each.
void skipCharacter(std::string_view text, size_t& pos) {
  size_t start = pos;
  if (!nextCodePoint(text, pos)) pos = start + 1;
}

// A text of blanks only is stored as a CDATA section: as plain text, readers drop it like the
// white space between elements, and the value would come back empty.
void setText(pugi::xml_node element, std::string_view text) {
  if (!text.empty() && text.find_first_not_of(" \t\n") == std::string_view::npos)
    element.append_child(pugi::node_cdata).set_value(std::string(text).c_str());
  else
    element.text().set(std::string(text).c_str());
}

void setChildText(pugi::xml_node parent, const char* name, std::string_view text) {
  pugi::xml_node child = parent.child(name);
  if (!child) child = parent.append_child(name);
  setText(child, text);
}

// Readers turn a carriage return into a line feed, so such a text would not come back as stored.
bool isStorable(std::string_view text) {
  return isXmlText(text) && text.find('\r') == std::string_view::npos;
}

pugi::xml_node header(pugi::xml_document& doc) {
  pugi::xml_node root = doc.document_element();
  pugi::xml_node crc = root.child("CRC");
  return crc ? crc : root.prepend_child("CRC");
}

[[noreturn]] void unsavable(const std::string& what) {
  throw UnsavableError(what + "; the parameter set was not saved");
}

}  // namespace

void create_xml(pugi::xml_document& doc) {
  doc.reset();
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  doc.append_child(pugi::node_comment).set_value(" Actual XML file to set the parameters");
  doc.append_child("IPAR_CRC");
}

void save_Parameter(pugi::xml_document& doc, const ProgramState& state, const ValueGrid& grid,
                    Messages& messages) {
  const XmlDocument& vorlage = state.XMLDocument_Vorlage;
  setChildText(header(doc), "VALUE", std::to_string(state.CRC32temp));
  pugi::xml_node parameters = doc.document_element().append_child("PARAMETER");
  int32_t n = entryCount(vorlage);
  for (int32_t i = 1; i <= n; ++i) {
    std::string_view name = Get_ParaName(vorlage, i);
    // Each entry takes its own row's value, also where names repeat: looking the entry up by
    // name would give an earlier namesake the later value and leave this one empty.
    pugi::xml_node entry = parameters.append_child(std::string(name).c_str());
    std::string cell = grid.cell(1, i);
    if (Get_Parametertype(vorlage, name) == kTypeBool) {
      if (cell == Read_Vorlagenparameter(vorlage, i - 1, "MAX")) {
        entry.append_child("VALUE").text().set("1");
      } else if (cell == Read_Vorlagenparameter(vorlage, i - 1, "MIN")) {
        entry.append_child("VALUE").text().set("0");
      } else {
        messages.plain("Tabular value False!");
      }
    } else {
      setText(entry.append_child("VALUE"), cell);
    }
  }
}

void save_Vendor(pugi::xml_document& doc, const ProgramState& state) {
  const XmlDocument& vorlage = state.XMLDocument_Vorlage;
  if (!vorlage.active()) return;
  pugi::xml_node crc = header(doc);
  for (const char* name : {"VERSION", "DEVICE", "VENDOR"})
    setChildText(crc, name, Read_Vorlagen_CRC(vorlage, name));
}

void saveComment(pugi::xml_document& doc, std::string_view description) {
  setChildText(header(doc), "COMMENT", description);
}

std::string documentText(const pugi::xml_document& doc) {
  struct Collect : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override {
      text.append(static_cast<const char*>(data), size);
    }
  } out;
  doc.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
  return std::move(out.text);
}

void checkSavable(const ProgramState& state, const ValueGrid& grid, std::string_view description) {
  const XmlDocument& vorlage = state.XMLDocument_Vorlage;
  if (!vorlage.active()) throw Error("At first open the template!");
  XmlNode parameters = vorlage.root().child("PARAMETER");
  int32_t n = entryCount(vorlage);
  for (int32_t i = 1; i <= n; ++i) {
    XmlNode entry = parameters.childAt(i - 1);
    if (!entry.isElement() || !isXmlName(entry.name()))
      unsavable("The template's parameter entry " + std::to_string(i) + " \"" +
                std::string(entry.name()) + "\" is not an element with a valid XML name");
  }
  for (int32_t i = 1; i <= n; ++i) {
    std::string_view name = Get_ParaName(vorlage, i);
    if (Get_Parametertype(vorlage, name) == kTypeBool) continue;
    if (!isStorable(grid.cell(1, i)))
      unsavable("The value in row " + std::to_string(i) + " (" + std::string(name) +
                ") holds a character that the file cannot store unchanged");
  }
  for (const char* field : {"VERSION", "DEVICE", "VENDOR"}) {
    if (!isStorable(Read_Vorlagen_CRC(vorlage, field)))
      unsavable(std::string("The template's ") + field +
                " holds a character that the file cannot store unchanged");
  }
  if (!isStorable(description))
    unsavable("The description holds a character that the file cannot store unchanged");
}

std::string buildParameterSet(ProgramState& state, const ValueGrid& grid, Messages& messages,
                              std::string_view description) {
  checkSavable(state, grid, description);
  generateCrc(state, grid);
  pugi::xml_document doc;
  create_xml(doc);
  save_Parameter(doc, state, grid, messages);
  save_Vendor(doc, state);
  saveComment(doc, description);
  return documentText(doc);
}

void rememberSavedSet(ProgramState& state, std::string_view text, const std::string& path) {
  state.XMLDocument_Parameter_speichern.loadFromBuffer(text, path);
}

void saveParameterSet(ProgramState& state, const ValueGrid& grid, Messages& messages,
                      const std::string& path, std::string_view description,
                      const FaultInjector& inject) {
  std::string text = buildParameterSet(state, grid, messages, description);
  writeFileAtomically(path, text, inject);
  rememberSavedSet(state, text, path);
}

size_t characterCount(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); ++count) skipCharacter(text, pos);
  return count;
}

bool descriptionAccepted(std::string_view description) { return characterCount(description) >= 2; }

std::string_view fileNameOf(std::string_view path) {
  size_t cut = path.size();
  while (cut > 0 && !isSeparator(path[cut - 1])) --cut;
  return path.substr(cut);
}

bool fileNameAccepted(std::string_view path) {
  std::string name(fileNameOf(path));
  if (size_t dot = name.find('.'); dot != std::string::npos) {
    size_t end = dot;
    for (int k = 0; k < 4 && end < name.size(); ++k) skipCharacter(name, end);
    name.erase(dot, end - dot);
  }
  return characterCount(name) >= 2;
}

std::string withXmlExtension(std::string_view path) {
  std::string_view name = fileNameOf(path);
  size_t dot = name.rfind('.');
  size_t nameStart = path.size() - name.size();
  if (dot == std::string_view::npos) return std::string(path) + ".xml";
  if (name.substr(dot) == ".xml") return std::string(path);
  return std::string(path.substr(0, nameStart + dot)) + ".xml";
}

std::string statusText(std::string_view templatePath, std::string_view setPath) {
  return "Template: " + std::string(fileNameOf(templatePath)) +
         "  /  Parameter set: " + std::string(fileNameOf(setPath));
}

}  // namespace nx
