#pragma once

#include <cstdint>

namespace nx {

extern const uint32_t CRC32Table[256];

// One step of the table-driven CRC-32: the register after feeding the byte `Data` (0 … 255) into
// the register `CRC_crc32`. No state, no final xor.
uint32_t CRC_Calc32(uint32_t Data, uint32_t CRC_crc32);

}  // namespace nx
