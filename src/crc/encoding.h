#pragma once

#include <cstdint>
#include <string>

#include "documents/program_state.h"
#include "documents/value_grid.h"

namespace nx {

// Appends the bytes of grid row `iParameter` (from 1) to Buf at `Index` (== Buf.size()) and
// returns Index + the width of its TYPE. The deliberate oddities stay: the TYPE comes from the
// first entry of a shared name and the value from the last one's row; narrow types keep the low
// bytes; "FLOAT" is a 32-bit integer; "STRING" and unknown TYPE texts add nothing.
// Throws ConversionError for a value the integer text conversion rejects.
int32_t write_Data(ProgramState& state, const ValueGrid& grid, int32_t Index, int32_t iParameter);

// Steps 2–5 of Generate CRC: rebuilds Buf from every data row, runs the CRC over positions
// 1 … n-1, reverses the bytes unless the template is "BigEndian", stores and returns CRC32temp.
// Expects an open template. On a conversion error CRC32temp keeps its value.
uint32_t generateCrc(ProgramState& state, const ValueGrid& grid);

// The text of Edit_CRC: unsigned decimal, or "0x" and at least four upper-case hex digits.
std::string crcText(uint32_t crc, bool hex);

}  // namespace nx
