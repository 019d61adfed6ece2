#include <ostream>
#include <string>

#include "cli/cli.h"
#include "crc/encoding.h"

namespace nx::cli {

namespace {

constexpr const char* kCrcUsage = "usage: nx-ipar crc TEMPLATE [--set SET] [--format dec|hex]\n";
constexpr const char* kBytesUsage = "usage: nx-ipar bytes TEMPLATE [--set SET]\n";

}  // namespace

int commandCrc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  auto parsed = parseArguments(args, {"set", "format"});
  std::string format = parsed ? parsed->option("format").value_or("dec") : "";
  if (!parsed || parsed->positional.size() != 1 || (format != "dec" && format != "hex")) {
    err << kCrcUsage;
    return kFailed;
  }
  ProgramState state;
  MemoryGrid grid(/*keepCaptions=*/false);
  StderrMessages messages(err);
  openTemplateAndSet(state, grid, messages, parsed->positional[0], parsed->option("set"));
  uint32_t crc = generateCrc(state, grid);
  out << crcText(crc, format == "hex") << '\n';
  return kOk;
}

int commandBytes(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  auto parsed = parseArguments(args, {"set"});
  if (!parsed || parsed->positional.size() != 1) {
    err << kBytesUsage;
    return kFailed;
  }
  ProgramState state;
  MemoryGrid grid(/*keepCaptions=*/false);
  StderrMessages messages(err);
  openTemplateAndSet(state, grid, messages, parsed->positional[0], parsed->option("set"));
  generateCrc(state, grid);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string line;
  line.reserve(state.Buf.size() * 3);
  for (size_t p = 1; p < state.Buf.size(); ++p) {
    if (p > 1) line += ' ';
    line += kHex[state.Buf[p] >> 4];
    line += kHex[state.Buf[p] & 0xF];
  }
  line += '\n';
  out << line;
  return kOk;
}

}  // namespace nx::cli
