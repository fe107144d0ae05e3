// Any bytes as a Huffman layer body (after the method byte). Decoding an LZW
// layer along with it must give what the two decoders give one after the other.
#include "archive/huffman.h"
#include "archive/lzw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the output cap, so the cap falls anywhere.
  if (size == 0) return 0;
  const size_t cap = data[0] == 0 ? size_t{64} << 10 : data[0] * size_t{37};
  std::vector<uint8_t> alone, together;
  bool aloneIntact = false, togetherIntact = false;
  quarry::NestedLzw nested;
  const size_t used = quarry::HuffDecode({data + 1, size - 1}, alone, cap, &aloneIntact);
  if (used > size - 1) __builtin_trap();
  if (quarry::HuffDecode({data + 1, size - 1}, together, cap, &togetherIntact, nested) != used ||
      together != alone || togetherIntact != aloneIntact)
    __builtin_trap();
  if (nested.found != (!alone.empty() && alone[0] == quarry::kMethodLzw)) __builtin_trap();
  if (nested.found) {
    std::vector<uint8_t> lzw;
    bool lzwIntact = false;
    quarry::LzwDecode(std::span(alone).subspan(1), lzw, cap, &lzwIntact);
    if (lzw != nested.bytes || lzwIntact != nested.intact) __builtin_trap();
  }
  return 0;
}
