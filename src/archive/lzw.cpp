#include "archive/lzw.h"

#include "archive/byte_sink.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace quarry {
namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// The dictionary as a trie: (code, next byte) -> the oldest code whose string
// is code's string plus that byte. Every string's prefix one byte shorter is
// itself a code, so walking the trie along the lookahead finds the longest
// match, and keeping the first code entered for a string finds the oldest of
// equal matches -- exactly the code the stored encoder's bucket walk picks.
class Trie {
public:
  // The table is sized for the codes the input can add (at most one per
  // input byte), so small inputs do not pay for a full dictionary.
  explicit Trie(size_t inputSize) {
    const size_t entries = std::min<size_t>(inputSize, kLzwMaxCodes - 256);
    while (slots_ < 2 * entries) {
      slots_ <<= 1;
      --shift_;
    }
    keys_.reset(new uint32_t[slots_]);
    codes_.reset(new uint16_t[slots_]);
    std::fill_n(keys_.get(), slots_, kEmpty);
  }
  // Returns the child code or -1.
  int Find(uint32_t code, uint8_t byte) const {
    const uint32_t key = (code << 8) | byte;
    for (uint32_t slot = Hash(key);; slot = (slot + 1) & (slots_ - 1)) {
      if (keys_[slot] == key) return codes_[slot];
      if (keys_[slot] == kEmpty) return -1;
    }
  }
  // Keeps an existing entry: a later duplicate string never replaces it.
  void Insert(uint32_t code, uint8_t byte, uint32_t child) {
    const uint32_t key = (code << 8) | byte;
    for (uint32_t slot = Hash(key);; slot = (slot + 1) & (slots_ - 1)) {
      if (keys_[slot] == key) return;
      if (keys_[slot] == kEmpty) {
        keys_[slot] = key;
        codes_[slot] = static_cast<uint16_t>(child);
        return;
      }
    }
  }

private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
  // Never more than half full, so probes stay short and always end.
  uint32_t Hash(uint32_t key) const { return (key * 2654435761u) >> shift_; }
  uint32_t slots_ = 256;
  int shift_ = 24;  // 32 - log2(slots_)
  std::unique_ptr<uint32_t[]> keys_;
  std::unique_ptr<uint16_t[]> codes_;
};

}  // namespace

void LzwEncode(std::span<const uint8_t> data, std::vector<uint8_t>& out) {
  out.reserve(out.size() + 3 + data.size());
  out.push_back(kMethodLzw);
  const size_t count = data.size();
  Trie trie(count);
  uint32_t next = 256;
  uint32_t storeFill = 256;  // index[next]: where the next string would start
  size_t m = 1;              // lookahead length
  size_t pos = 0;
  while (pos < count) {
    const size_t q = pos;
    m = std::min(m, count - q);
    uint32_t code = data[q];
    size_t best = 1;
    while (best < m) {
      const int child = trie.Find(code, data[q + best]);
      if (child < 0) break;
      code = static_cast<uint32_t>(child);
      ++best;
    }
    const bool reachedEnd = q + m >= count;
    if (!reachedEnd && next < kLzwMaxCodes && storeFill + best + 1 < kLzwStoreSize) {
      trie.Insert(code, data[q + best], next);
      storeFill += static_cast<uint32_t>(best + 1);
      ++next;
    }
    pos = q + best;
    if (best + 1 > m) m = best + 1;
    PutU16(out, code);
  }
  PutU16(out, kLzwEndCode);
}

size_t LzwDecode(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit,
                 bool* intact) {
  if (intact) *intact = false;
  // k codes define at most k - 1 strings, so short layers need only a small
  // index; the store grows as strings are added. It always keeps spare bytes
  // past its fill so strings can be moved as whole 16-byte words.
  const size_t k = in.size() / 2;
  const size_t indexSize = std::min<size_t>(kLzwMaxCodes, 256 + k) + 1;
  constexpr size_t kSpare = 2 * ByteSink::kSlack;
  std::unique_ptr<uint32_t[]> index(new uint32_t[indexSize]);
  std::vector<uint8_t> store(std::min<size_t>(kLzwStoreSize, 4096) + kSpare);
  for (uint32_t c = 0; c < 256; ++c) {
    index[c] = c;
    store[c] = static_cast<uint8_t>(c);
  }
  index[256] = 256;
  uint32_t next = 256;
  const uint8_t* src = in.data();
  const size_t codes = k;
  size_t read = 0;
  ByteSink sink(out, limit);
  auto emit = [&](uint32_t c) {
    const uint32_t len = index[c + 1] - index[c];
    if (!sink.Room(len)) return false;
    sink.Append(store.data() + index[c], len);
    return true;
  };
  // The first code must be a single byte: a layer that starts with the end
  // code, or any code the empty dictionary lacks, decodes to nothing.
  if (codes == 0) return in.size();
  uint32_t c = src[0] | (static_cast<uint32_t>(src[1]) << 8);
  read = 1;
  if (c >= next) {
    if (c >= kLzwMaxCodes && intact) *intact = true;
    return 2;
  }
  if (!emit(c)) return 2;
  uint32_t w = c;
  while (read < codes) {
    c = src[2 * read] | (static_cast<uint32_t>(src[2 * read + 1]) << 8);
    ++read;
    if (c >= kLzwMaxCodes) {
      if (intact) *intact = true;
      break;
    }
    if (c > next) break;
    const uint32_t wAt = index[w];
    const uint32_t wLen = index[w + 1] - wAt;
    if (next < kLzwMaxCodes && index[next] + wLen + 1 < kLzwStoreSize) {
      const uint32_t at = index[next];
      if (at + wLen + 1 + kSpare > store.size())
        store.resize(std::min<size_t>(kLzwStoreSize, std::max<size_t>(2 * store.size(), at + wLen + 1)) + kSpare);
      CopyWithSlack(store.data() + at, store.data() + wAt, wLen);
      // A code equal to next names the string being built: w plus w's first byte.
      store[at + wLen] = c < next ? store[index[c]] : store[wAt];
      index[next + 1] = at + wLen + 1;
      ++next;
    }
    // A code equal to next that could not be added is not in the dictionary.
    if (c >= next) break;
    if (!emit(c)) break;
    w = c;
  }
  return std::min(in.size(), 2 * read);
}

}  // namespace quarry
