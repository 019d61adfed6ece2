#include <cstdio>
#include <ostream>
#include <string>

#include "cli/cli.h"
#include "documents/commands.h"
#include "documents/template_check.h"
#include "documents/utf8.h"

namespace nx::cli {

namespace {

constexpr const char* kCheckUsage = "usage: nx-ipar check TEMPLATE [--format text|json]\n";

// Length of the well-formed UTF-8 sequence at the start of `s`, or 0.
// The length of the well-formed UTF-8 sequence that starts `s`, or 0.
size_t utf8Length(std::string_view s) {
  size_t pos = 0;
  return nextCodePoint(s, pos) ? pos : 0;
}

// A JSON string. Texts quote the template's own bytes, which need not be UTF-8: a byte that
// starts no well-formed sequence becomes U+FFFD, so the output always parses.
std::string jsonString(std::string_view s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\u%04x", c);
      out += hex;
    } else if (size_t len = utf8Length(s.substr(i)); len > 1) {
      out.append(s.substr(i, len));
      i += len;
      continue;
    } else if (len == 0) {
      out += "\\ufffd";
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  return out + "\"";
}

std::string plural(size_t count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

int commandCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  auto parsed = parseArguments(args, {"format"});
  std::string format = parsed ? parsed->option("format").value_or("text") : "";
  if (!parsed || parsed->positional.size() != 1 || (format != "text" && format != "json")) {
    err << kCheckUsage;
    return kFailed;
  }
  ProgramState state;
  OpenOutcome outcome = openTemplateDocument(state, parsed->positional[0]);
  if (outcome != OpenOutcome::Opened) throw Refusal{refusalMessage(outcome)};

  std::vector<Finding> findings = checkTemplate(state.XMLDocument_Vorlage);
  size_t errors = 0;
  for (const Finding& f : findings) errors += f.severity == Severity::Error ? 1 : 0;

  std::string text;
  if (format == "json") {
    text = "[";
    for (size_t i = 0; i < findings.size(); ++i) {
      const Finding& f = findings[i];
      text += i == 0 ? "\n  " : ",\n  ";
      text += "{\"row\": " + std::to_string(f.row) + ", \"name\": " + jsonString(f.name) +
              ", \"severity\": \"" + severityName(f.severity) +
              "\", \"text\": " + jsonString(f.text) + "}";
    }
    text += findings.empty() ? "]\n" : "\n]\n";
  } else {
    for (const Finding& f : findings) {
      text += f.row == 0 ? std::string("template")
                         : "row " + std::to_string(f.row) + " (" + f.name + ")";
      text += std::string(": ") + severityName(f.severity) + ": " + f.text + "\n";
    }
    text += plural(errors, "error") + ", " + plural(findings.size() - errors, "warning") + "\n";
  }
  out << text;
  return errors > 0 ? kMismatch : kOk;
}

}  // namespace nx::cli
