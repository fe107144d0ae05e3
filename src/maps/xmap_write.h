// Writes a map record in the binary XMAP forms ("MAPB" byte cells, "MAPW"
// 16-bit cells); TXMap::Load reads them back.
#pragma once

#include <cstdint>
#include <vector>

#include "maps/xmap.h"

namespace quarry {

// The record's FileCells (byte form: low bytes), texts (cut to 255; "Unknown"
// is written as an empty text, which reads back as "Unknown"), translations
// (cut to the form's pair-count field) and up to 256 extra lines (empty ones
// are left out, as an empty line ends the list).
std::vector<uint8_t> WriteXMapBinary(const TXMap& map, bool wide);

}  // namespace quarry
