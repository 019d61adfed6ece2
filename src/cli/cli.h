#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "documents/memory_grid.h"
#include "documents/program_state.h"
#include "documents/value_grid.h"

namespace nx::cli {

// Exit statuses of nx-ipar.
inline constexpr int kOk = 0;
inline constexpr int kMismatch = 1;  // verify: CRCs differ; check: the template has errors
inline constexpr int kFailed = 2;    // a refusal, an error, or a usage error

// Runs nx-ipar with its arguments (argv[0] excluded). Never throws.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A refusal of the program: its message goes to stderr and the command exits with kFailed.
struct Refusal {
  std::string message;
};

// Plain messages that do not end a command go to stderr, one per line.
class StderrMessages : public Messages {
 public:
  explicit StderrMessages(std::ostream& err) : err_(err) {}
  void plain(const std::string& text) override;

 private:
  std::ostream& err_;
};

// Options shared by the commands, parsed from "--name value" pairs and positionals.
struct Arguments {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;          // in the order given
  std::optional<std::string> option(const std::string& name) const;  // the last one given
};

// Splits `args` into positionals and the options in `valued` (each takes one value).
// Returns nullopt on an unknown option or a missing value.
std::optional<Arguments> parseArguments(const std::vector<std::string>& args,
                                        const std::vector<std::string>& valued);

// Opens `templatePath` as "Open XML template" does and fills `grid` with the defaults; then, when
// `setPath` is given, overlays it as "Open parameter set" does. Throws Refusal or nx::Error.
void openTemplateAndSet(ProgramState& state, MemoryGrid& grid, Messages& messages,
                        const std::string& templatePath, const std::optional<std::string>& setPath);

// The commands. Each returns the exit status; refusals and errors propagate as exceptions.
int commandCrc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int commandBytes(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// save TEMPLATE OUT --comment TEXT [--set SET] [--value NAME=TEXT]...
int commandSave(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// verify SET --template TEMPLATE: kOk when the stored CRC is the computed one, else kMismatch.
int commandVerify(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// check: exits kOk without errors, kMismatch with errors, kFailed when the template is refused.
int commandCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace nx::cli
