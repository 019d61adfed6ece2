#include <clocale>
#include <cstdint>
#include <ostream>
#include <string>

#include "cli/cli.h"
#include "crc/encoding.h"
#include "documents/cell_rules.h"
#include "documents/parameter_set_writer.h"
#include "documents/template_reader.h"

namespace nx::cli {

namespace {

constexpr const char* kSaveUsage =
    "usage: nx-ipar save TEMPLATE OUT --comment TEXT [--set SET] [--value NAME=TEXT]...\n";
constexpr const char* kVerifyUsage = "usage: nx-ipar verify SET --template TEMPLATE\n";

// The first row whose entry is named `name`, or 0.
int32_t rowNamed(const XmlDocument& vorlage, std::string_view name) {
  int32_t n = entryCount(vorlage);
  for (int32_t r = 1; r <= n; ++r)
    if (Get_ParaName(vorlage, r) == name) return r;
  return 0;
}

// An unsigned 32-bit decimal as the writer stores it; nullopt for any other text.
std::optional<uint32_t> storedCrc(std::string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(v);
}

// Puts `text` into the row of `name` as if the user had typed it there: the cell rules decide.
// Returns the exit status when the value is refused, after its message.
std::optional<int> typeValue(ProgramState& state, MemoryGrid& grid, std::string_view name,
                             const std::string& text, std::ostream& err) {
  const XmlDocument& vorlage = state.XMLDocument_Vorlage;
  int32_t row = rowNamed(vorlage, name);
  if (row == 0) {
    err << "nx-ipar save: the template has no parameter named \"" << name << "\"\n" << kSaveUsage;
    return kFailed;
  }
  // The grid validates only a changed text.
  if (grid.cell(1, row) == text) return std::nullopt;
  CellVerdict verdict = validateCell(state, row, text, std::localeconv()->decimal_point);
  if (!verdict.valid) {
    err << verdict.title << ": " << verdict.text << '\n';
    return kFailed;
  }
  // The drop-down list of a BOOL row offers its two texts and nothing else.
  if (Get_Parametertype(vorlage, name) == kTypeBool) {
    std::string_view max = Read_Vorlagenparameter(vorlage, row - 1, "MAX");
    std::string_view min = Read_Vorlagenparameter(vorlage, row - 1, "MIN");
    if (text != max && text != min) {
      err << "nx-ipar save: " << name << " takes \"" << max << "\" or \"" << min << "\"\n";
      return kFailed;
    }
  }
  grid.setCell(1, row, text);
  return std::nullopt;
}

}  // namespace

int commandSave(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  auto parsed = parseArguments(args, {"comment", "set", "value"});
  std::optional<std::string> comment = parsed ? parsed->option("comment") : std::nullopt;
  if (!parsed || parsed->positional.size() != 2 || !comment) {
    err << kSaveUsage;
    return kFailed;
  }
  for (const auto& [key, value] : parsed->options) {
    if (key == "value" && value.find('=') == std::string::npos) {
      err << "nx-ipar save: --value takes NAME=TEXT\n" << kSaveUsage;
      return kFailed;
    }
  }
  if (!descriptionAccepted(*comment)) throw Refusal{std::string(kDescriptionTooShort)};
  if (characterCount(*comment) > kDescriptionMaxLength) {
    err << "nx-ipar save: the description holds more than " << kDescriptionMaxLength
        << " characters\n";
    return kFailed;
  }
  const std::string& target = parsed->positional[1];
  if (!fileNameAccepted(target)) throw Refusal{std::string(kFileNameTooShort)};
  std::string path = withXmlExtension(target);

  ProgramState state;
  MemoryGrid grid(/*keepCaptions=*/false);
  StderrMessages messages(err);
  openTemplateAndSet(state, grid, messages, parsed->positional[0], parsed->option("set"));
  for (const auto& [key, value] : parsed->options) {
    if (key != "value") continue;
    size_t eq = value.find('=');
    if (auto status = typeValue(state, grid, std::string_view(value).substr(0, eq),
                                value.substr(eq + 1), err))
      return *status;
  }
  saveParameterSet(state, grid, messages, path, *comment);
  out << path << '\n';
  return kOk;
}

int commandVerify(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  auto parsed = parseArguments(args, {"template"});
  std::optional<std::string> templatePath = parsed ? parsed->option("template") : std::nullopt;
  if (!parsed || parsed->positional.size() != 1 || !templatePath) {
    err << kVerifyUsage;
    return kFailed;
  }
  ProgramState state;
  MemoryGrid grid(/*keepCaptions=*/false);
  StderrMessages messages(err);
  openTemplateAndSet(state, grid, messages, *templatePath, parsed->positional[0]);
  std::string_view text = state.XMLDocument_Parameter.root().child("CRC").child("VALUE").text();
  std::optional<uint32_t> stored = storedCrc(text);
  if (!stored) {
    err << "nx-ipar verify: the set's CRC/VALUE \"" << text << "\" is not a CRC\n";
    return kFailed;
  }
  uint32_t computed = generateCrc(state, grid);
  if (computed == *stored) {
    out << "OK " << computed << '\n';
    return kOk;
  }
  out << "MISMATCH stored " << *stored << " computed " << computed << '\n';
  return kMismatch;
}

}  // namespace nx::cli
