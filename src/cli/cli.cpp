#include "cli/cli.h"

#include <functional>
#include <map>
#include <ostream>

#include "documents/commands.h"
#include "documents/errors.h"
#include "nx_version.h"

namespace nx::cli {

namespace {

constexpr const char* kUsage =
    "usage: nx-ipar crc TEMPLATE [--set SET] [--format dec|hex]\n"
    "       nx-ipar bytes TEMPLATE [--set SET]\n"
    "       nx-ipar check TEMPLATE [--format text|json]\n"
    "       nx-ipar save TEMPLATE OUT --comment TEXT [--set SET] [--value NAME=TEXT]...\n"
    "       nx-ipar verify SET --template TEMPLATE\n"
    "       nx-ipar --help | --version\n";

constexpr const char* kHelp =
    "nx-ipar - the iParameter CRC of a PROFIsafe device, from the command line\n"
    "\n"
    "Commands:\n"
    "  crc TEMPLATE [--set SET] [--format dec|hex]\n"
    "      Opens TEMPLATE as \"Open XML template\" does, lays the parameter set SET over its\n"
    "      defaults when given, and prints the CRC exactly as the field F_iPar_CRC shows it.\n"
    "      Default format: dec.\n"
    "  bytes TEMPLATE [--set SET]\n"
    "      Prints the bytes the CRC runs over, as upper-case hex pairs separated by blanks.\n"
    "  check TEMPLATE [--format text|json]\n"
    "      For template authors: opens TEMPLATE as \"Open XML template\" does and reports where\n"
    "      it disagrees with itself, one line per finding, \"row N (NAME): error|warning: TEXT\"\n"
    "      or \"template: error|warning: TEXT\", then a line counting errors and warnings.\n"
    "      With --format json: one JSON array of objects {row, name, severity, text} (row 0\n"
    "      and name \"\" for the template as a whole) and no counting line. Exit status 0\n"
    "      without errors (warnings allowed), 1 with errors.\n"
    "  save TEMPLATE OUT --comment TEXT [--set SET] [--value NAME=TEXT]...\n"
    "      Writes the parameter set that \"Save parameter set\" writes, with the description\n"
    "      TEXT (2 to 255 characters): the template's defaults, overlaid by SET when given, then\n"
    "      by each --value in order. NAME is a parameter's element name (where names repeat,\n"
    "      the first row of that name); TEXT is checked as if typed into that row, a BOOL row\n"
    "      taking its MIN or MAX text. A refused value prints \"<title>: <text>\" and writes\n"
    "      nothing. OUT follows the program's file-name rules: its extension becomes \".xml\".\n"
    "      The CRC stored is computed from the values stored. Prints the path written. The file\n"
    "      is replaced only when complete; after a failure an earlier file is unchanged.\n"
    "  verify SET --template TEMPLATE\n"
    "      Lays SET over TEMPLATE's defaults, computes the CRC and compares it with the set's\n"
    "      CRC/VALUE: prints \"OK <crc>\" (status 0) or \"MISMATCH stored <a> computed <b>\"\n"
    "      (status 1), in decimal.\n"
    "  --help     this text\n"
    "  --version  the program's file version\n"
    "\n"
    "Exit status: 0 done; 2 the file was refused, could not be read, a value could not be\n"
    "encoded, or the command line was wrong. Messages go to stderr.\n";

using Command = std::function<int(const std::vector<std::string>&, std::ostream&, std::ostream&)>;

const std::map<std::string, Command>& commands() {
  static const std::map<std::string, Command> table = {
      {"crc", commandCrc},       {"bytes", commandBytes}, {"save", commandSave},
      {"verify", commandVerify}, {"check", commandCheck},
  };
  return table;
}

}  // namespace

void StderrMessages::plain(const std::string& text) { err_ << text << '\n'; }

std::optional<std::string> Arguments::option(const std::string& name) const {
  std::optional<std::string> value;
  for (const auto& [key, v] : options)
    if (key == name) value = v;
  return value;
}

std::optional<Arguments> parseArguments(const std::vector<std::string>& args,
                                        const std::vector<std::string>& valued) {
  Arguments parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      std::string name = a.substr(2);
      std::optional<std::string> value;
      if (size_t eq = name.find('='); eq != std::string::npos) {
        value = name.substr(eq + 1);
        name.resize(eq);
      }
      bool known = false;
      for (const auto& v : valued) known = known || v == name;
      if (!known) return std::nullopt;
      if (!value) {
        if (i + 1 >= args.size()) return std::nullopt;
        value = args[++i];
      }
      parsed.options.emplace_back(name, *value);
    } else {
      parsed.positional.push_back(a);
    }
  }
  return parsed;
}

void openTemplateAndSet(ProgramState& state, MemoryGrid& grid, Messages& messages,
                        const std::string& templatePath,
                        const std::optional<std::string>& setPath) {
  OpenOutcome outcome = openTemplateDocument(state, templatePath);
  if (outcome != OpenOutcome::Opened) throw Refusal{refusalMessage(outcome)};
  Import(state, grid, messages, 1);
  state.XMLDocument_Parameter.close();
  if (!setPath) return;
  outcome = openParameterSetDocument(state, *setPath);
  if (outcome != OpenOutcome::Opened) throw Refusal{refusalMessage(outcome)};
  Import(state, grid, messages, 2);
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kUsage;
    return kFailed;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << kHelp;
    return kOk;
  }
  if (args[0] == "--version") {
    out << "nx-ipar " << kFileVersion << '\n';
    return kOk;
  }
  auto it = commands().find(args[0]);
  if (it == commands().end()) {
    err << kUsage;
    return kFailed;
  }
  try {
    return it->second(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
  } catch (const Refusal& refusal) {
    err << refusal.message << '\n';
  } catch (const Error& e) {
    err << withFullStop(e.what()) << '\n';
  } catch (const std::bad_alloc&) {
    err << withFullStop("Nicht genügend Speicher") << '\n';
  } catch (const std::exception& e) {
    err << withFullStop(e.what()) << '\n';
  }
  return kFailed;
}

}  // namespace nx::cli
