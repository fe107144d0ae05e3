// Limits shared by the ZRCOMP coders. Damaged input can claim any size, so
// no decoder trusts a size field for an allocation: output grows as bytes are
// really produced, and one layer never yields more than the cap below.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quarry {

// The most bytes one decoded layer may produce (256 MiB). Far above any game
// file; it only stops a tiny hostile stream from exhausting memory.
constexpr size_t kMaxDecodedSize = size_t{256} << 20;

// ZRCOMP layer method bytes.
enum ZrMethod : uint8_t {
  kMethodStored = 0,
  kMethodPlanar2 = 1,
  kMethodPlanar3 = 2,
  kMethodLzw = 3,
  kMethodHuffman = 4,
  kMethodRle8 = 5,
  kMethodRle7 = 6,
};

}  // namespace quarry
