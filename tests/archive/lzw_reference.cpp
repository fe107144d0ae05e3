#include "lzw_reference.h"

#include <array>
#include <cstring>

namespace quarry::reference {

std::vector<uint8_t> LzwEncodeBucketWalk(std::span<const uint8_t> data) {
  std::vector<uint8_t> store(0x40000);
  std::vector<int32_t> index(32769);
  std::vector<int32_t> order(32768);
  std::array<uint16_t, 256> bucket{};
  for (int c = 0; c < 256; ++c) {
    index[c] = c;
    store[c] = static_cast<uint8_t>(c);
    order[c] = c;
    bucket[c] = static_cast<uint16_t>(c);
  }
  index[256] = 256;
  int32_t next = 256;
  std::vector<uint8_t> out{3};
  auto put = [&out](uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  const size_t count = data.size();
  size_t m = 1;
  size_t pos = 0;
  while (pos < count) {
    const size_t q = pos;
    if (count - q < m) m = count - q;
    const uint8_t* look = data.data() + q;
    size_t best = 0;
    uint32_t code = 0xFFFF;
    for (int32_t k = bucket[look[0]]; k < next && store[index[order[k]]] == look[0]; ++k) {
      const int32_t e = order[k];
      const size_t len = static_cast<size_t>(index[e + 1] - index[e]);
      if (len <= m && len > best && std::memcmp(&store[index[e]], look, len) == 0) {
        best = len;
        code = static_cast<uint32_t>(e);
      }
    }
    if (q + m < count && next < 0x8000 && index[next] + static_cast<int32_t>(best) + 1 < 0x40000) {
      std::memcpy(&store[index[next]], look, best + 1);
      index[next + 1] = index[next] + static_cast<int32_t>(best) + 1;
      const uint8_t b = look[0];
      if (b == 255) {
        order[next] = next;
      } else {
        const int32_t at = bucket[b + 1];
        std::memmove(&order[at + 1], &order[at], static_cast<size_t>(next - at) * sizeof(int32_t));
        order[at] = next;
        for (int x = b + 1; x < 256; ++x) ++bucket[x];
      }
      ++next;
    }
    pos = q + best;
    if (best + 1 > m) m = best + 1;
    put(code);
  }
  put(0xFFFF);
  return out;
}

}  // namespace quarry::reference
