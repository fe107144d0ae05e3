// Any bytes as a Huffman layer body (after the method byte).
#include "archive/huffman.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out;
  const size_t used = quarry::HuffDecode({data, size}, out, size_t{64} << 10);
  if (used > size) __builtin_trap();
  return 0;
}
