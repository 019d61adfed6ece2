// Saves and reopens the parameter set of generated templates of 10k, 100k and 1M parameters and
// prints the time of each step, in total and per parameter, so that linearity shows at a glance.
//   bench_sets [FOLDER]   (default: a folder under the system's temporary directory)

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "documents/commands.h"
#include "documents/memory_grid.h"
#include "documents/parameter_set_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class CountingMessages : public nx::Messages {
 public:
  void plain(const std::string&) override { ++count; }
  long count = 0;
};

// Every fourth parameter of each kind: an integer, a BOOL, a STRING with characters that need
// escaping, and a FLOAT.
std::string templateText(long n) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<IPAR_TEMPLATE>\n  <CRC>\n"
      "    <VENDOR>NORVEXA</VENDOR>\n    <DEVICE>Bench</DEVICE>\n    <VERSION>1.0</VERSION>\n"
      "    <ENDIAN>BigEndian</ENDIAN>\n    <DEFAULT>1</DEFAULT>\n  </CRC>\n  <PARAMETER>\n";
  xml.reserve(static_cast<size_t>(n) * 190);
  for (long i = 0; i < n; ++i) {
    std::string name = "P" + std::to_string(i);
    std::string body;
    switch (i % 4) {
      case 0:
        body = "<DEFAULT>" + std::to_string(i % 1000) +
               "</DEFAULT><TYPE>LONG</TYPE><MIN>0</MIN><MAX>1000</MAX>";
        break;
      case 1:
        body = "<DEFAULT>On</DEFAULT><TYPE>BOOL</TYPE><MIN>Off</MIN><MAX>On</MAX>";
        break;
      case 2:
        body = "<DEFAULT>Text &lt;" + std::to_string(i) +
               "&gt; &amp; more</DEFAULT><TYPE>STRING</TYPE><MIN/><MAX/>";
        break;
      default:
        body = "<DEFAULT>15</DEFAULT><TYPE>FLOAT</TYPE><MIN>0</MIN><MAX>100</MAX>";
    }
    xml += "    <" + name + "><CAPTION>Parameter " + std::to_string(i) + "</CAPTION>" + body +
           "<ENABLE>Yes</ENABLE><TOOLTIP>Tip</TOOLTIP></" + name + ">\n";
  }
  return xml + "  </PARAMETER>\n</IPAR_TEMPLATE>\n";
}

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "nx_bench_sets";
  fs::create_directories(folder);
  std::printf("%10s %12s %12s %12s %14s %14s %10s\n", "params", "open tpl ms", "save ms",
              "reopen ms", "save ns/param", "reopen ns/p", "set MB");
  for (long n : {10'000L, 100'000L, 1'000'000L}) {
    fs::path templatePath = folder / ("template_" + std::to_string(n) + ".xml");
    fs::path setPath = folder / ("set_" + std::to_string(n) + ".xml");
    std::ofstream(templatePath, std::ios::binary) << templateText(n);

    nx::ProgramState state;
    nx::MemoryGrid grid;
    CountingMessages messages;
    auto start = Clock::now();
    if (nx::openTemplateDocument(state, templatePath.string()) != nx::OpenOutcome::Opened) {
      std::fprintf(stderr, "template refused\n");
      return 1;
    }
    nx::Import(state, grid, messages, 1);
    double openMs = msSince(start);

    start = Clock::now();
    nx::saveParameterSet(state, grid, messages, setPath.string(), "Benchmark set");
    double saveMs = msSince(start);

    // Reopening as the open command does, over a grid filled from the template.
    nx::ProgramState reader;
    nx::MemoryGrid readerGrid;
    nx::openTemplateDocument(reader, templatePath.string());
    nx::Import(reader, readerGrid, messages, 1);
    start = Clock::now();
    if (nx::openParameterSetDocument(reader, setPath.string()) != nx::OpenOutcome::Opened) {
      std::fprintf(stderr, "set refused\n");
      return 1;
    }
    nx::Import(reader, readerGrid, messages, 2);
    double reopenMs = msSince(start);

    long differing = 0;
    for (int r = 1; r < grid.rowCount(); ++r) differing += grid.cell(1, r) != readerGrid.cell(1, r);
    if (differing != 0 || messages.count != 0) {
      std::fprintf(stderr, "round trip lost %ld values, %ld messages\n", differing, messages.count);
      return 1;
    }
    std::printf("%10ld %12.1f %12.1f %12.1f %14.0f %14.0f %10.1f\n", n, openMs, saveMs, reopenMs,
                saveMs * 1e6 / static_cast<double>(n), reopenMs * 1e6 / static_cast<double>(n),
                static_cast<double>(fs::file_size(setPath)) / 1e6);
  }
  return 0;
}
