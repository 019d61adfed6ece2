#pragma once

#include <cstdint>
#include <string_view>

#include "documents/program_state.h"
#include "documents/value_grid.h"

namespace nx {

// Readers of the parameter set opened last (XMLDocument_Parameter). With none loaded they answer
// "".

// root / PARAMETER / entry at `Parameter` (from 0) / `Wert` — its text.
std::string_view Read_Eigeneparameter(const ProgramState& state, int32_t Parameter,
                                      std::string_view Wert);
// root / CRC / COMMENT — its text.
std::string_view Read_Comment(const ProgramState& state);
// The grid row (from 1) of the last template entry named like the set's entry at `Index` (from
// 0), or 0 after the plain message "The Parameters <name> does not match".
int32_t Parameterindex(const ProgramState& state, int32_t Index, Messages& messages);

}  // namespace nx
