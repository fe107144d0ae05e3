// Block Huffman coder (ZRCOMP method 4): blocks of at most 32752 bytes, each
// with its own pre-order tree in front of its codes, so each block decodes by
// itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "archive/codec.h"

namespace quarry {

// The block limit keeps every code at most 31 bits long.
constexpr size_t kHuffBlockSize = 32752;

// Appends a whole method-4 layer (method byte, total, blocks) for data to out.
// Empty data gives one empty block, which every reader skips.
void HuffEncode(std::span<const uint8_t> data, std::vector<uint8_t>& out);

// Decodes a layer body (the method byte already read) and appends the bytes
// to out, at most limit of them. A damaged tree or missing bits end the layer
// with what was decoded so far. Returns the input bytes consumed; intact
// (when given) tells whether the layer decoded whole.
size_t HuffDecode(std::span<const uint8_t> in, std::vector<uint8_t>& out,
                  size_t limit = kMaxDecodedSize, bool* intact = nullptr);

// An LZW layer found inside a Huffman layer, decoded with it.
struct NestedLzw {
  bool found = false;   // the Huffman layer's bytes begin with method 3
  bool intact = false;  // the LZW layer ended with an end code
  std::vector<uint8_t> bytes;
};

// Like HuffDecode, and when the decoded layer is an LZW layer, decodes that
// one too as its codes appear, into nested.bytes (at most limit of them):
// the same bytes and ending LzwDecode gives from out past its method byte.
// The two decoders then work side by side, which takes about half the time.
size_t HuffDecode(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit,
                  bool* intact, NestedLzw& nested);

}  // namespace quarry
