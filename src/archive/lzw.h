// Dictionary coder (ZRCOMP method 3): 16-bit codes, 256 single-byte codes,
// new codes up to 0x7FFF, a 0x40000-byte string store, no reset code. The
// stream ends with the code 0xFFFF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "archive/codec.h"

namespace quarry {

constexpr uint32_t kLzwMaxCodes = 0x8000;
constexpr uint32_t kLzwStoreSize = 0x40000;
constexpr uint16_t kLzwEndCode = 0xFFFF;

// Appends a method-3 layer (method byte, codes, end code) for data to out.
void LzwEncode(std::span<const uint8_t> data, std::vector<uint8_t>& out);

// Decodes a layer body (the method byte already read), appending at most
// limit bytes to out. A code of 0x8000 or more ends the layer, as does a code
// the dictionary does not hold yet. Returns the input bytes consumed; intact
// (when given) is true only when the layer ended with an end code.
size_t LzwDecode(std::span<const uint8_t> in, std::vector<uint8_t>& out,
                 size_t limit = kMaxDecodedSize, bool* intact = nullptr);

}  // namespace quarry
