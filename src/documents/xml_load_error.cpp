#include "documents/xml_load_error.h"

#include <algorithm>

#include "documents/utf8.h"

namespace nx {

namespace {

// The parser reports offsets into its UTF-8 form of the file; rebuild that form for the excerpt.
std::string toUtf8(std::string_view in, pugi::xml_encoding encoding) {
  auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(in[i])); };
  std::string out;
  switch (encoding) {
    case pugi::encoding_utf16_le:
    case pugi::encoding_utf16_be: {
      bool le = encoding == pugi::encoding_utf16_le;
      size_t i = 0;
      if (in.size() >= 2 && ((le && byte(0) == 0xFF && byte(1) == 0xFE) ||
                             (!le && byte(0) == 0xFE && byte(1) == 0xFF)))
        i = 2;
      for (; i + 1 < in.size(); i += 2) {
        uint32_t u = le ? byte(i) | byte(i + 1) << 8 : byte(i) << 8 | byte(i + 1);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < in.size()) {
          uint32_t v = le ? byte(i + 2) | byte(i + 3) << 8 : byte(i + 2) << 8 | byte(i + 3);
          if (v >= 0xDC00 && v < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00);
            i += 2;
          }
        }
        appendUtf8(out, u);
      }
      return out;
    }
    case pugi::encoding_utf32_le:
    case pugi::encoding_utf32_be: {
      bool le = encoding == pugi::encoding_utf32_le;
      for (size_t i = 0; i + 3 < in.size(); i += 4) {
        uint32_t u = le ? byte(i) | byte(i + 1) << 8 | byte(i + 2) << 16 | byte(i + 3) << 24
                        : byte(i) << 24 | byte(i + 1) << 16 | byte(i + 2) << 8 | byte(i + 3);
        if (u == 0xFEFF && i == 0) continue;
        appendUtf8(out, u > 0x10FFFF ? 0xFFFD : u);
      }
      return out;
    }
    case pugi::encoding_latin1:
      for (unsigned char c : in) appendUtf8(out, c);
      return out;
    default:
      if (in.size() >= 3 && in.substr(0, 3) == "\xEF\xBB\xBF") in.remove_prefix(3);
      return std::string(in);
  }
}

}  // namespace

const char* statusReason(pugi::xml_parse_status status) {
  switch (status) {
    case pugi::status_ok:
      return "";
    case pugi::status_file_not_found:
      return "Das System kann die angegebene Datei nicht finden.";
    case pugi::status_io_error:
      return "Die Datei kann nicht gelesen werden.";
    case pugi::status_out_of_memory:
      return "Nicht genügend Speicher.";
    case pugi::status_internal_error:
      return "Interner Fehler des XML-Parsers.";
    case pugi::status_unrecognized_tag:
      return "Ungültiges Zeichen in einem Tag oder unbekannter Tag-Typ.";
    case pugi::status_bad_pi:
      return "Fehlerhafte Verarbeitungsanweisung oder Deklaration.";
    case pugi::status_bad_comment:
      return "Fehlerhafter Kommentar.";
    case pugi::status_bad_cdata:
      return "Fehlerhafter CDATA-Abschnitt.";
    case pugi::status_bad_doctype:
      return "Fehlerhafte Dokumenttypdeklaration.";
    case pugi::status_bad_pcdata:
      return "Fehlerhafter Textinhalt.";
    case pugi::status_bad_start_element:
      return "Fehlerhaftes Starttag.";
    case pugi::status_bad_attribute:
      return "Fehlerhaftes Attribut.";
    case pugi::status_bad_end_element:
      return "Fehlerhaftes Endtag.";
    case pugi::status_end_element_mismatch:
      return "Das Endtag stimmt nicht mit dem Starttag überein.";
    case pugi::status_append_invalid_root:
      return "Ungültiges Wurzelelement.";
    case pugi::status_no_document_element:
      return "Das XML-Dokument muss ein Element der obersten Ebene enthalten.";
  }
  return "Unbekannter Fehler des XML-Parsers.";
}

std::string loadErrorText(std::string_view reason, int64_t line, std::string_view lineText) {
  // Forty characters, not bytes: never cut a UTF-8 sequence.
  size_t end = 0;
  for (int chars = 0; end < lineText.size() && chars < 40; ++chars) {
    ++end;
    while (end < lineText.size() && (static_cast<unsigned char>(lineText[end]) & 0xC0) == 0x80)
      ++end;
  }
  std::string text(reason);
  text += "\nZeile: ";
  text += std::to_string(line);
  text += '\n';
  text.append(lineText.substr(0, end));
  return text;
}

std::string parseErrorText(const pugi::xml_parse_result& result, std::string_view original) {
  std::string utf8 = toUtf8(original, result.encoding);
  size_t offset =
      std::min<size_t>(result.offset < 0 ? 0 : static_cast<size_t>(result.offset), utf8.size());
  int64_t line =
      1 + std::count(utf8.begin(), utf8.begin() + static_cast<std::ptrdiff_t>(offset), '\n');
  size_t begin = 0;
  if (offset > 0) {
    size_t newline = utf8.rfind('\n', offset - 1);
    if (newline != std::string::npos) begin = newline + 1;
  }
  size_t end = utf8.find('\n', begin);
  std::string_view lineText = std::string_view(utf8).substr(
      begin, end == std::string::npos ? std::string::npos : end - begin);
  if (!lineText.empty() && lineText.back() == '\r') lineText.remove_suffix(1);
  return loadErrorText(statusReason(result.status), line, lineText);
}

}  // namespace nx
