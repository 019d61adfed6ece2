#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
  // The float text conversion follows the user's decimal separator.
  std::setlocale(LC_ALL, "");
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = nx::cli::run(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
