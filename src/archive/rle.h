// Run-length coder (ZRCOMP methods 5 and 6). Method 6 is for data whose bytes
// are all at most 0x7F: literals go as they are and a run is value|0x80 plus
// a length byte. Method 5 uses counted literal and run pieces of up to 128.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "archive/codec.h"

namespace quarry {

// Appends an RLE layer (method byte and total included) for data to out and
// returns its length. Data shorter than two bytes is written as literals.
size_t RleEncode(std::span<const uint8_t> data, std::vector<uint8_t>& out);

// Decodes an RLE layer starting at its method byte. When the first byte is
// not 5 or 6 nothing is consumed and nothing written. Returns the input bytes
// consumed; output beyond limit bytes is dropped and ends the layer. intact
// (when given) tells whether the layer decoded whole.
size_t RleDecode(std::span<const uint8_t> in, std::vector<uint8_t>& out,
                 size_t limit = kMaxDecodedSize, bool* intact = nullptr);

}  // namespace quarry
