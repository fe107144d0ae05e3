// The LZW encoder written as the stored format's encoder works: a bucket of
// codes per first byte, walked in creation order for every lookahead. Slow,
// kept only to prove the library's trie picks the very same codes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quarry::reference {

std::vector<uint8_t> LzwEncodeBucketWalk(std::span<const uint8_t> data);

}  // namespace quarry::reference
