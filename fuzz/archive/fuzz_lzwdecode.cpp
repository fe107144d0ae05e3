// Any bytes as an LZW layer body (after the method byte).
#include "archive/lzw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out;
  const size_t used = quarry::LzwDecode({data, size}, out, size_t{64} << 10);
  if (used > size) __builtin_trap();
  return 0;
}
