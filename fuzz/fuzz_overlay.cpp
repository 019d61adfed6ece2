// The input holds a template, the separator "@@SET@@" and a parameter set. Opens the template,
// fills the grid, opens the set against it, lays it over the grid and computes the CRC.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "crc/encoding.h"
#include "documents/commands.h"
#include "documents/errors.h"
#include "documents/memory_grid.h"
#include "documents/parameter_set.h"
#include "documents/program_state.h"
#include "fuzz_support.h"

using namespace nx;

namespace {

constexpr std::string_view kSeparator = "@@SET@@";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemFile templateFile("template");
  static fuzz::MemFile setFile("set");
  static fuzz::CountingMessages messages;

  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t cut = input.find(kSeparator);
  if (cut == std::string_view::npos) return -1;  // not worth keeping in the corpus
  const std::string& templatePath = templateFile.hold(input.substr(0, cut));
  const std::string& setPath = setFile.hold(input.substr(cut + kSeparator.size()));

  ProgramState state;
  MemoryGrid grid;
  try {
    if (openTemplateDocument(state, templatePath) != OpenOutcome::Opened) return 0;
    Import(state, grid, messages, 1);
  } catch (const XmlLoadError& e) {
    fuzz::checkLoadErrorText(e.what());
    return 0;
  } catch (const Error&) {
    return 0;
  }

  std::vector<std::string> before;
  for (int row = 0; row < grid.rowCount(); ++row) before.push_back(grid.cell(1, row));
  try {
    OpenOutcome outcome = openParameterSetDocument(state, setPath);
    if (outcome == OpenOutcome::Opened) {
      fuzz::require(state.PARAMETERKNOT == state.VORLAGEKNOTEN, "accepted a set of another size");
      Import(state, grid, messages, 2);
      Read_Comment(state);
    }
  } catch (const XmlLoadError& e) {
    fuzz::checkLoadErrorText(e.what());
    fuzz::require(!state.XMLDocument_Parameter.active(), "a set that failed to load is open");
    return 0;
  } catch (const Error&) {
  }

  // The overlay changes values only, and only in rows it marks as reached.
  fuzz::require(grid.rowCount() == static_cast<int>(before.size()), "the overlay resized the grid");
  for (int row = 1; row < grid.rowCount(); ++row) {
    if (grid.cell(1, row) != before[static_cast<size_t>(row)])
      fuzz::require(grid.shade(1, row) == Shade::Window, "a changed row is not marked as reached");
  }
  fuzz::require(state.XMLDocument_Vorlage.active(), "opening a set closed the template");

  try {
    generateCrc(state, grid);
  } catch (const Error&) {
  }
  return 0;
}
