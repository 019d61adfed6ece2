#include "documents/template_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string_view>

#include "crc/number_text.h"
#include "documents/errors.h"
#include "documents/template_reader.h"

namespace nx {

namespace {

constexpr std::string_view kEntryFields[] = {"CAPTION", "DEFAULT", "TYPE",   "MIN",
                                             "MAX",     "ENABLE",  "TOOLTIP"};

constexpr std::string_view kKnownTypes[] = {"BYTE",   "UBYTE",   "INT",   "UINT",   "LONG", "ULONG",
                                            "DOUBLE", "UDOUBLE", "FLOAT", "STRING", "BOOL"};

constexpr const char* kTypeList =
    "BYTE, UBYTE, INT, UINT, LONG, ULONG, DOUBLE, UDOUBLE, FLOAT, STRING or BOOL";

// A document text inside a one-line message: quotes and control characters escaped, long texts
// cut (never inside a UTF-8 sequence).
std::string quoted(std::string_view text, bool escapeQuotes = true, size_t maxShown = 60) {
  std::string out = "\"";
  size_t shown = 0;
  for (unsigned char c : text) {
    bool continuation = (c & 0xC0) == 0x80;
    if (!continuation && shown == maxShown) {
      out += "...";
      break;
    }
    if (!continuation) ++shown;
    if (escapeQuotes && (c == '"' || c == '\\')) {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// The program's own message as the user sees it, in quotes; it may quote document text itself.
std::string said(const Error& e) { return quoted(withFullStop(e.what()), false, 200); }

std::string asciiLower(std::string_view text) {
  std::string out;
  for (char c : text) out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return out;
}

// The text with blanks, tabs, line breaks, "-" and "_" left out and in lower case: what an author
// meant when the exact text differs only in such details.
std::string loose(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '-' && c != '_') out += c;
  return asciiLower(out);
}

// A limit or default as a plain decimal number for messages.
std::string number(double v) {
  char text[64];
  if (v == std::floor(v) && std::fabs(v) < 1e15)
    std::snprintf(text, sizeof text, "%.0f", v);
  else
    std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// Bytes that an integer TYPE text adds to the CRC buffer.
int integerWidth(std::string_view type) {
  if (type == "BYTE" || type == "UBYTE") return 1;
  if (type == "INT" || type == "UINT") return 2;
  if (type == "LONG" || type == "ULONG") return 4;
  return 8;
}

// Where the program reads an entry's element, for the messages about unreadable ones.
const char* whereRead(std::string_view field) {
  if (field == "CAPTION" || field == "DEFAULT") return "on opening the template";
  if (field == "TYPE") return "when the row is edited and on Generate CRC";
  if (field == "MIN" || field == "MAX")
    return "when the row is edited, and on Generate CRC for BOOL";
  return "when the row is selected";
}

// A FLOAT limit or default as the cell rules read it. The decimal separator is the user's
// setting, so a text is judged under both usual separators.
struct FloatText {
  std::optional<double> value;  // under "." or else ","
  bool bothSeparators = false;  // reads the same way whatever the separator is
};

FloatText readFloat(std::string_view text) {
  auto dot = tryStrToFloat(text, ".");
  auto comma = tryStrToFloat(text, ",");
  return {dot ? dot : comma, dot.has_value() && comma.has_value()};
}

struct Field {
  std::string_view text;
  bool readable = true;
};

class Checker {
 public:
  explicit Checker(const XmlDocument& vorlage) : vorlage_(vorlage) {}

  std::vector<Finding> run() {
    checkHeader();
    int32_t n = entryCount(vorlage_);
    for (int row = 1; row <= n; ++row) {
      try {
        checkEntry(row);
      } catch (const Error& e) {
        // The checks catch the access errors they expect; any other one still becomes a
        // finding, so that one broken entry never hides the rest.
        add(row, "", Severity::Error, "reading this entry fails with " + said(e));
      }
    }
    checkSharedNames();
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.row < b.row; });
    return std::move(findings_);
  }

 private:
  void add(int row, std::string_view name, Severity severity, std::string text) {
    findings_.push_back({row, std::string(name), severity, std::move(text)});
  }
  void error(int row, std::string_view name, std::string text) {
    add(row, name, Severity::Error, std::move(text));
  }
  void warning(int row, std::string_view name, std::string text) {
    add(row, name, Severity::Warning, std::move(text));
  }

  void checkHeader() {
    XmlNode root = vorlage_.root();
    for (std::string_view field : {"DEVICE", "VERSION", "ENDIAN"}) {
      try {
        std::string_view text = Read_Vorlagen_CRC(vorlage_, field);
        if (field == "ENDIAN" && !text.empty() && text != "BigEndian" &&
            loose(text) == "bigendian") {
          warning(0, "",
                  "ENDIAN " + quoted(text) +
                      " is not exactly \"BigEndian\": the program takes every other text for "
                      "least-significant-byte-first order and computes the CRC that way; write "
                      "BigEndian exactly, or leave ENDIAN out for the other order");
        }
      } catch (const Error& e) {
        error(0, "",
              std::string(field) + " in CRC holds more than plain text: the program fails with " +
                  said(e) + (field == "ENDIAN" ? " on Generate CRC" : " on opening the template") +
                  "; leave only text in it");
      }
    }
    int parameterElements = 0;
    for (int64_t i = 0; i < root.childCount(); ++i) {
      XmlNode c = root.childAt(i);
      if (c.isElement() && c.name() == "PARAMETER") ++parameterElements;
    }
    if (parameterElements == 0) {
      warning(0, "",
              "there is no PARAMETER element: the grid gets no rows and the CRC covers no bytes; "
              "add PARAMETER with one element per parameter");
    } else if (entryCount(vorlage_) == 0) {
      warning(0, "",
              "PARAMETER holds no entries: the grid gets no rows and the CRC covers no bytes; add "
              "one element per parameter");
    }
    if (parameterElements > 1) {
      warning(0, "",
              "there are " + std::to_string(parameterElements) +
                  " PARAMETER elements: the program lists the entries of the first one only; "
                  "move all entries into one PARAMETER");
    }
  }

  void checkEntry(int row) {
    XmlNode entry = vorlage_.root().child("PARAMETER").childAt(row - 1);
    if (!entry.isElement()) {
      checkNonElement(row, entry.name());
      return;
    }
    std::string_view name = entry.name();
    std::vector<int>& rowsOfName = rowsByName_[name];
    rowsOfName.push_back(row);
    bool firstOfName = rowsOfName.size() == 1;
    std::map<std::string_view, Field> fields;
    for (std::string_view field : kEntryFields) fields[field] = readField(row, name, field);
    checkRepeatedFields(row, name, entry);

    const Field& caption = fields["CAPTION"];
    if (caption.readable && caption.text.empty())
      warning(row, name,
              "CAPTION is missing or empty: the row's \"Feature\" cell stays empty; add a CAPTION "
              "that names the parameter");
    const Field& tooltip = fields["TOOLTIP"];
    if (tooltip.readable && tooltip.text.empty())
      warning(row, name,
              "TOOLTIP is missing or empty: the tooltip box stays empty while the row is "
              "selected; add a TOOLTIP that explains the parameter");
    const Field& enable = fields["ENABLE"];
    if (enable.readable && enable.text != "Yes" && enable.text != "No") {
      warning(row, name,
              (enable.text.empty()
                   ? std::string("ENABLE is missing or empty")
                   : "ENABLE " + quoted(enable.text) + " is neither \"Yes\" nor \"No\"") +
                  ": the program locks the value, since only the exact text \"Yes\" unlocks it; "
                  "write Yes or No");
    }

    // The program takes the TYPE of the first entry of a name for all entries of that name.
    int32_t type;
    std::string_view typeText;
    try {
      typeText = Get_Datatype(vorlage_, name);
      type = Get_Parametertype(vorlage_, name);
    } catch (const Error&) {
      return;  // reported on the first entry of this name
    }
    if (type == kTypeNone && firstOfName && fields["TYPE"].readable)
      checkUnknownType(row, name, typeText);
    // A non-BOOL value is read from the row of the last entry of its name.
    bool encoded = Vorlagenindex(vorlage_, row) == row;
    if (type == kTypeInteger) checkInteger(row, name, typeText, fields, encoded);
    if (type == kTypeFloat) checkFloat(row, name, fields, encoded);
    if (type == kTypeBool) checkBool(row, name, fields);
  }

  void checkNonElement(int row, std::string_view nodeName) {
    std::string what = nodeName == "#comment" ? "a comment"
                       : nodeName == "#text" || nodeName == "#cdata-section"
                           ? "text"
                           : "a processing instruction";
    std::string failure;
    try {
      Read_Vorlagenparameter(vorlage_, row - 1, "CAPTION");
    } catch (const Error& e) {
      failure = " with " + said(e);
    }
    error(row, nodeName,
          what + " among the entries of PARAMETER counts as an entry: it takes grid row " +
              std::to_string(row) + " and opening the template fails" + failure +
              "; move it out of PARAMETER, which may hold parameter elements only");
  }

  Field readField(int row, std::string_view name, std::string_view field) {
    try {
      return {Read_Vorlagenparameter(vorlage_, row - 1, field), true};
    } catch (const Error& e) {
      error(row, name,
            std::string(field) + " holds more than plain text: the program fails with " + said(e) +
                " " + whereRead(field) + "; leave only text in " + std::string(field));
      return {{}, false};
    }
  }

  void checkRepeatedFields(int row, std::string_view name, XmlNode entry) {
    std::map<std::string_view, int> count;
    for (int64_t i = 0; i < entry.childCount(); ++i) {
      XmlNode c = entry.childAt(i);
      if (c.isElement()) ++count[c.name()];
    }
    for (std::string_view field : kEntryFields) {
      auto it = count.find(field);
      if (it != count.end() && it->second > 1)
        warning(row, name,
                std::to_string(it->second) + " " + std::string(field) +
                    " elements: the program reads the first one only; remove the others");
    }
  }

  void checkUnknownType(int row, std::string_view name, std::string_view typeText) {
    std::string text = typeText.empty()
                           ? std::string("TYPE is missing or empty")
                           : "TYPE " + quoted(typeText) + " is not a type the program knows";
    text += ": the row adds no bytes to the CRC and any value typed into it is accepted; write ";
    std::string meant;
    for (std::string_view known : kKnownTypes)
      if (loose(typeText) == asciiLower(known)) meant = known;
    text += meant.empty() ? std::string("one of ") + kTypeList
                          : meant +
                                " exactly (the program compares the whole text, letter case "
                                "and blanks included)";
    warning(row, name, text);
  }

  // The DEFAULT of a row whose value goes into the CRC must pass the integer text conversion.
  void checkEncodable(int row, std::string_view name, const Field& value, const char* note) {
    if (!value.readable) return;
    try {
      StrToInt(value.text);
    } catch (const ConversionError& e) {
      error(row, name,
            "DEFAULT " + quoted(value.text) + " cannot be encoded" + note +
                ": Generate CRC stops with " + said(e) +
                " until the user changes the value; write the default as integer text "
                "(decimal, or hexadecimal after $ or 0x)");
    }
  }

  void checkRange(int row, std::string_view name, const Field& value, std::optional<double> v,
                  double lo, double hi) {
    if (!value.readable || !v) return;
    if (lo > hi) {
      error(row, name,
            "MIN " + number(lo) + " is greater than MAX " + number(hi) +
                ": every value typed into the row is rejected with \"Value is not in valid "
                "range\"; swap MIN and MAX");
    } else if (*v < lo || *v > hi) {
      error(row, name,
            "DEFAULT " + quoted(value.text) + " lies outside MIN " + number(lo) + " ... MAX " +
                number(hi) +
                ": the grid starts with a value that editing would reject, and Generate CRC "
                "uses it unchecked; choose a default within the limits or widen them");
    }
  }

  void checkInteger(int row, std::string_view name, std::string_view typeText,
                    std::map<std::string_view, Field>& fields, bool encoded) {
    const Field& value = fields["DEFAULT"];
    if (encoded) checkEncodable(row, name, value, "");
    std::optional<int32_t> limits[2];
    const char* limitNames[2] = {"MIN", "MAX"};
    for (int k = 0; k < 2; ++k) {
      const Field& limit = fields[limitNames[k]];
      if (!limit.readable) continue;
      limits[k] = tryStrToInt(limit.text);
      if (!limits[k]) {
        error(row, name,
              std::string(limitNames[k]) +
                  (limit.text.empty() ? std::string(" is missing or empty")
                                      : " " + quoted(limit.text) + " is not integer text") +
                  ": every value typed into the row is rejected with \"Only integer are "
                  "allowed\"; write a whole number between -2147483648 and 2147483647");
      }
    }
    if (!limits[0] || !limits[1]) return;
    int32_t lo = *limits[0], hi = *limits[1];
    int width = integerWidth(typeText);
    if (width < 4 && lo <= hi) {
      // A narrow type keeps the low bytes of any value; both readings of its bytes are allowed.
      int64_t smallest = -(int64_t{1} << (8 * width - 1));
      int64_t largest = (int64_t{1} << (8 * width)) - 1;
      if (lo < smallest || hi > largest) {
        warning(row, name,
                "MIN " + number(lo) + " ... MAX " + number(hi) + " does not fit the " +
                    std::to_string(width) + (width == 1 ? " byte" : " bytes") + " of " +
                    std::string(typeText) +
                    ": Generate CRC keeps only the low bytes of a larger value, without a "
                    "message; keep the limits within " +
                    std::to_string(smallest) + " ... " + std::to_string(largest) +
                    " or choose a wider TYPE");
      }
    }
    std::optional<double> v;
    if (value.readable)
      if (auto i = tryStrToInt(value.text)) v = *i;
    checkRange(row, name, value, v, lo, hi);
  }

  void checkFloat(int row, std::string_view name, std::map<std::string_view, Field>& fields,
                  bool encoded) {
    const Field& value = fields["DEFAULT"];
    if (encoded) checkEncodable(row, name, value, " (FLOAT values are encoded as 32-bit integers)");
    std::optional<double> limits[2];
    const char* limitNames[2] = {"MIN", "MAX"};
    for (int k = 0; k < 2; ++k) {
      const Field& limit = fields[limitNames[k]];
      if (!limit.readable) continue;
      std::string label = std::string(limitNames[k]) + " " + quoted(limit.text);
      FloatText read = readFloat(limit.text);
      limits[k] = read.value;
      if (!read.value) {
        error(row, name,
              (limit.text.empty() ? std::string(limitNames[k]) + " is missing or empty"
                                  : label + " is not a number") +
                  ": every value typed into the row is rejected with \"Only integer are "
                  "allowed\"; write a whole number");
        continue;
      }
      if (*read.value != std::floor(*read.value)) {
        warning(row, name,
                label +
                    " has a fractional part: editing then accepts fractional values, which "
                    "Generate CRC rejects because FLOAT values are encoded as 32-bit integers; "
                    "write whole numbers");
      } else if (!read.bothSeparators) {
        warning(row, name,
                label +
                    " depends on the user's decimal separator: where it is the other one of "
                    "\".\" and \",\", every value typed into the row is rejected with \"Only "
                    "integer are allowed\"; write the whole number without a separator");
      }
    }
    if (!limits[0] || !limits[1]) return;
    std::optional<double> v;
    if (value.readable) {
      if (auto i = tryStrToInt(value.text))
        v = *i;
      else
        v = readFloat(value.text).value;
    }
    checkRange(row, name, value, v, *limits[0], *limits[1]);
  }

  void checkBool(int row, std::string_view name, std::map<std::string_view, Field>& fields) {
    const Field& value = fields["DEFAULT"];
    const Field& min = fields["MIN"];
    const Field& max = fields["MAX"];
    if (!min.readable || !max.readable) return;
    if (min.text == max.text) {
      warning(row, name,
              "MIN and MAX are both " + quoted(min.text) +
                  ": Generate CRC encodes the row as off (00) whatever is chosen; give MIN the "
                  "text for off and MAX the text for on");
    }
    if (value.readable && value.text != min.text && value.text != max.text) {
      error(row, name,
            "DEFAULT " + quoted(value.text) + " is neither the MIN text " + quoted(min.text) +
                " nor the MAX text " + quoted(max.text) +
                ": Generate CRC encodes it as off (00) without a message; write exactly one "
                "of the two texts");
    }
  }

  void checkSharedNames() {
    for (const auto& [name, rows] : rowsByName_) {
      if (rows.size() < 2) continue;
      std::string first = std::to_string(rows.front());
      std::string last = std::to_string(rows.back());
      for (size_t k = 1; k < rows.size(); ++k) {
        error(rows[k], name,
              "row " + first +
                  " has the same name: for every entry of this name the program "
                  "takes the TYPE of row " +
                  first +
                  " (the first) and, except for BOOL, the "
                  "value of row " +
                  last + " (the last); give each entry a name of its own");
      }
    }
  }

  const XmlDocument& vorlage_;
  std::vector<Finding> findings_;
  std::map<std::string_view, std::vector<int>> rowsByName_;  // element entries, by name
};

}  // namespace

std::vector<Finding> checkTemplate(const XmlDocument& vorlage) {
  if (!vorlage.active()) return {};
  return Checker(vorlage).run();
}

const char* severityName(Severity severity) {
  return severity == Severity::Error ? "error" : "warning";
}

}  // namespace nx
