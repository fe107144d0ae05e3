// ZRCompress then ZRUnCompress must give the input back. The first byte
// picks the stride (1 to 3) and whether LZW chains are tried.
#include <cstring>

#include "archive/zrcomp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t stride = static_cast<uint8_t>(1 + data[0] % 3);
  const uint8_t flags = (data[0] & 0x80) ? quarry::kZrNoLzw : 0;
  const std::span<const uint8_t> input(data + 1, size - 1);
  std::vector<uint8_t> packed;
  if (!quarry::ZRCompress(input, packed, stride, flags)) __builtin_trap();
  std::vector<uint8_t> out;
  bool intact = false;
  const size_t used = quarry::ZRUnCompress(packed, out, quarry::kMaxDecodedSize, &intact);
  if (!intact || used != packed.size() || out.size() != input.size() ||
      (!out.empty() && std::memcmp(out.data(), input.data(), out.size()) != 0))
    __builtin_trap();
  return 0;
}
