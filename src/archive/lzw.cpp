#include "archive/lzw.h"

#include "archive/lzw_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace quarry {
namespace {

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
  // Returns the child code or -1; on a miss, slot is where that key would go.
  int Find(uint32_t code, uint8_t byte, uint32_t& slot) const {
    const uint32_t key = (code << 8) | byte;
    for (slot = Hash(key);; slot = (slot + 1) & (slots_ - 1)) {
      if (keys_[slot] == key) return codes_[slot];
      if (keys_[slot] == kEmpty) return -1;
    }
  }
  // Keeps an existing entry: a later duplicate string never replaces it.
  void Insert(uint32_t code, uint8_t byte, uint32_t child) {
    uint32_t slot;
    if (Find(code, byte, slot) < 0) InsertAt(slot, code, byte, child);
  }
  // Fills the empty slot a missed Find returned for the same key.
  void InsertAt(uint32_t slot, uint32_t code, uint8_t byte, uint32_t child) {
    keys_[slot] = (code << 8) | byte;
    codes_[slot] = static_cast<uint16_t>(child);
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
  const size_t count = data.size();
  // Every code takes at least one input byte: the layer's size is bounded.
  const size_t base = out.size();
  out.resize(base + 1 + 2 * count + 2);
  uint8_t* dst = out.data() + base;
  *dst++ = kMethodLzw;
  auto put = [&dst](uint32_t v) {
    dst[0] = static_cast<uint8_t>(v);
    dst[1] = static_cast<uint8_t>(v >> 8);
    dst += 2;
  };
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
    uint32_t slot = 0;
    bool missed = false;
    while (best < m) {
      const int child = trie.Find(code, data[q + best], slot);
      if (child < 0) {
        missed = true;
        break;
      }
      code = static_cast<uint32_t>(child);
      ++best;
    }
    const bool reachedEnd = q + m >= count;
    if (!reachedEnd && next < kLzwMaxCodes && storeFill + best + 1 < kLzwStoreSize) {
      // A miss already found the slot for exactly this string.
      if (missed)
        trie.InsertAt(slot, code, data[q + best], next);
      else
        trie.Insert(code, data[q + best], next);
      storeFill += static_cast<uint32_t>(best + 1);
      ++next;
    }
    pos = q + best;
    if (best + 1 > m) m = best + 1;
    put(code);
  }
  put(kLzwEndCode);
  out.resize(static_cast<size_t>(dst - out.data()));
}

size_t LzwDecode(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit,
                 bool* intact) {
  if (intact) *intact = false;
  const size_t codes = in.size() / 2;
  if (codes == 0) return in.size();
  const uint8_t* src = in.data();
  auto codeAt = [src](size_t i) { return src[2 * i] | (static_cast<uint32_t>(src[2 * i + 1]) << 8); };
  LzwDecoder decoder(out, limit, codes, in.size());
  size_t read = 1;
  if (decoder.First(codeAt(0))) {
    LzwDecoder::State state = decoder.Save();
    while (read < codes)
      if (!decoder.Step(state, codeAt(read++))) break;
    decoder.Restore(state);
  }
  decoder.Finish();
  if (intact) *intact = decoder.Intact();
  return std::min(in.size(), 2 * read);
}

}  // namespace quarry
