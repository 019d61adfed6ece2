#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "documents/program_state.h"

namespace nx {

// The template's rules for editing the "Value" column. Every rule reads the template afresh for
// the grid's current row `row` (from 1); none changes anything itself: the grid applies the
// answers.

enum class EditorKind { Plain, List };

struct EditorChoice {
  EditorKind kind = EditorKind::Plain;
  std::vector<std::string> choices;  // for List: the MAX text, then the MIN text
};

// Tabelle1GetEditorType: a drop-down list for an unlocked BOOL row's "Value" cell, else the
// grid's plain editor.
EditorChoice editorFor(const ProgramState& state, int col, int row);

// What committing a changed text does.
struct CellVerdict {
  bool valid = true;
  std::string title;  // the balloon's title and text when !valid
  std::string text;
  bool shadeWhite = false;  // integer, FLOAT and BOOL rows shade the cell white
  bool emptyCrc = false;    // integer and FLOAT rows empty Edit_CRC, accepted or not
};

// Tabelle1CellValidate for the text `value` committed on `row`. `decimalSeparator` is the user's
// locale setting, for FLOAT rows.
CellVerdict validateCell(const ProgramState& state, int row, std::string_view value,
                         std::string_view decimalSeparator);

// The editing switch after the selection rule (a click, or the row becoming current).
bool editingAfterClick(const ProgramState& state, int row);

// The editing switch after a key release with column `col` current; nullopt leaves it as it is.
std::optional<bool> editingAfterKeyUp(const ProgramState& state, int col, int row);

// The TOOLTIP text of `row`; "" with no template.
std::string tooltipFor(const ProgramState& state, int row);

}  // namespace nx
