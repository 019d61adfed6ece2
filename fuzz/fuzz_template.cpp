// Opens the input as a template, fills the grid with its defaults, runs every cell rule over the
// rows and computes the CRC. Refusals and the core's own errors are ordinary outcomes; a crash, a
// sanitizer report, an escaping foreign exception or a broken property is a finding.

#include <cstddef>
#include <cstdint>
#include <string>

#include "crc/encoding.h"
#include "documents/cell_rules.h"
#include "documents/commands.h"
#include "documents/errors.h"
#include "documents/memory_grid.h"
#include "documents/program_state.h"
#include "fuzz_support.h"

using namespace nx;

namespace {

void exerciseCellRules(const ProgramState& state, const MemoryGrid& grid) {
  // Every row, with its own default as the committed text: the rules must answer, never throw
  // anything but the core's errors.
  for (int row = 0; row < grid.rowCount(); ++row) {
    try {
      std::string value = grid.cell(1, row);
      CellVerdict verdict = validateCell(state, row, value, ".");
      fuzz::require(verdict.valid || !verdict.title.empty(), "rejection without a title");
      editorFor(state, 1, row);
      editingAfterClick(state, row);
      editingAfterKeyUp(state, 1, row);
      tooltipFor(state, row);
    } catch (const Error&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemFile file("template");
  static fuzz::CountingMessages messages;
  const std::string& path = file.hold({reinterpret_cast<const char*>(data), size});

  ProgramState state;
  MemoryGrid grid;
  try {
    OpenOutcome outcome = openTemplateDocument(state, path);
    fuzz::require(state.XMLDocument_Vorlage.active() == (outcome == OpenOutcome::Opened),
                  "a refused template stayed open, or an opened one is closed");
    if (outcome != OpenOutcome::Opened) return 0;
    Import(state, grid, messages, 1);
    fuzz::require(grid.rowCount() == state.VORLAGEKNOTEN + 1, "grid rows differ from the entries");
  } catch (const XmlLoadError& e) {
    fuzz::require(!state.XMLDocument_Vorlage.active(), "a template that failed to load is open");
    fuzz::checkLoadErrorText(e.what());
    return 0;
  } catch (const Error&) {
    // Import ends at an element that is no text; the grid keeps the rows filled so far and the
    // CRC command still runs over it, as in the program.
  }

  exerciseCellRules(state, grid);

  try {
    uint32_t first = generateCrc(state, grid);
    size_t bytes = state.Buf.size();
    fuzz::require(bytes >= 1 && bytes - 1 <= 8 * static_cast<size_t>(grid.rowCount()),
                  "the CRC buffer holds more than eight bytes per row");
    uint32_t second = generateCrc(state, grid);
    fuzz::require(first == second && bytes == state.Buf.size(), "two runs gave different CRCs");
    fuzz::require(crcText(first, false) == std::to_string(first), "DEC text is not the value");
  } catch (const Error&) {
  }
  return 0;
}
