#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace nx::test {

// What one nx-ipar run printed and returned.
struct CliResult {
  int status;
  std::string out;
  std::string err;
};

inline CliResult runCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int status = nx::cli::run(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace nx::test
