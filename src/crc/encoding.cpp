#include "crc/encoding.h"

#include <cstdio>
#include <optional>
#include <string_view>

#include "crc/crc32.h"
#include "crc/number_text.h"
#include "documents/template_reader.h"

namespace nx {

namespace {

// Width in bytes of a TYPE text; 0 for "STRING" and every text the table does not know.
int widthOf(std::string_view type) {
  if (type == "BOOL" || type == "BYTE" || type == "UBYTE") return 1;
  if (type == "INT" || type == "UINT") return 2;
  if (type == "LONG" || type == "ULONG" || type == "FLOAT") return 4;
  if (type == "DOUBLE" || type == "UDOUBLE") return 8;
  return 0;
}

// write_Data with the byte order already asked: one command reads it once, not once per row;
// the template cannot change while the command runs.
int32_t writeRow(ProgramState& state, const ValueGrid& grid, int32_t Index, int32_t iParameter,
                 const std::optional<bool>& knownEndian) {
  const XmlDocument& vorlage = state.XMLDocument_Vorlage;
  std::string_view type = Get_DatatypeOf(vorlage, iParameter);  // Get_Datatype(Get_ParaName(i))
  int width = widthOf(type);
  if (width == 0) return Index;
  std::vector<uint8_t>& Buf = state.Buf;
  Buf.resize(static_cast<size_t>(Index) + static_cast<size_t>(width), 0);
  uint8_t* out = Buf.data() + Index;

  if (type == "BOOL") {
    std::string cell = grid.cell(1, iParameter);
    // MIN is tested after MAX, so equal texts always give 0x00.
    if (cell == Read_Vorlagenparameter(vorlage, iParameter - 1, "MAX")) out[0] = 0x01;
    if (cell == Read_Vorlagenparameter(vorlage, iParameter - 1, "MIN")) out[0] = 0x00;
    return Index + width;
  }

  int32_t v = StrToInt(grid.cell(1, Vorlagenindex(vorlage, iParameter)));
  // Sign extension gives the 8-byte types FF upper bytes for negative values.
  uint64_t bits = static_cast<uint64_t>(static_cast<int64_t>(v));
  bool bigEndian = width > 1 && (knownEndian ? *knownEndian : Get_Endian(vorlage));
  for (int k = 0; k < width; ++k) {
    int shift = 8 * (bigEndian ? width - 1 - k : k);
    out[k] = static_cast<uint8_t>(bits >> shift);
  }
  return Index + width;
}

}  // namespace

int32_t write_Data(ProgramState& state, const ValueGrid& grid, int32_t Index, int32_t iParameter) {
  return writeRow(state, grid, Index, iParameter, std::nullopt);
}

uint32_t generateCrc(ProgramState& state, const ValueGrid& grid) {
  state.Buf.assign(1, 0x00);
  int32_t index = 1;
  int rows = grid.rowCount();
  std::optional<bool> endian = Get_Endian(state.XMLDocument_Vorlage);
  for (int32_t i = 1; i < rows; ++i) index = writeRow(state, grid, index, i, endian);

  uint32_t reg = 0xFFFFFFFF;
  const std::vector<uint8_t>& Buf = state.Buf;
  for (size_t p = 1; p < Buf.size(); ++p) reg = CRC_Calc32(Buf[p], reg);
  if (!*endian) {
    reg = (reg >> 24) | ((reg >> 8) & 0xFF00) | ((reg << 8) & 0xFF0000) | (reg << 24);
  }
  state.CRC32temp = reg;
  return reg;
}

std::string crcText(uint32_t crc, bool hex) {
  char text[16];
  if (hex)
    std::snprintf(text, sizeof text, "0x%04X", crc);
  else
    std::snprintf(text, sizeof text, "%u", crc);
  return text;
}

}  // namespace nx
