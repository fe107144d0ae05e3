#include "solver/state_codec.h"

#include <algorithm>

namespace quarry {

namespace {
constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;

uint64_t Mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 33;
  return h;
}

constexpr size_t kArenaBlock = 4u << 20;
}  // namespace

uint64_t Fingerprint(const uint8_t* data, size_t size) {
  uint64_t h = 0x243F6A8885A308D3ull ^ (size * kMul);
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    h = (h ^ word) * kMul;
    h ^= h >> 29;
  }
  uint64_t tail = 0;
  if (i < size) std::memcpy(&tail, data + i, size - i);
  h = Mix(h ^ tail);
  return h == 0 ? 1 : h;
}

TFingerprintSet::TFingerprintSet(size_t initialSlots) {
  size_t slots = 16;
  while (slots < initialSlots) slots *= 2;
  slots_.assign(slots, 0);
}

bool TFingerprintSet::Insert(uint64_t fingerprint) {
  if (NeedsGrowth()) Grow();
  size_t mask = slots_.size() - 1;
  for (size_t i = fingerprint & mask;; i = (i + 1) & mask) {
    if (slots_[i] == fingerprint) return false;
    if (slots_[i] == 0) {
      slots_[i] = fingerprint;
      ++size_;
      return true;
    }
  }
}

void TFingerprintSet::Grow() {
  std::vector<uint64_t> old(slots_.size() * 2, 0);
  old.swap(slots_);
  size_t mask = slots_.size() - 1;
  for (uint64_t f : old) {
    if (f == 0) continue;
    size_t i = f & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = f;
  }
}

void EncodeDiff(const uint8_t* cur, const uint8_t* ref, size_t size, std::vector<uint8_t>& out) {
  size_t blocks = (size + 7) / 8;
  size_t maskAt = out.size();
  out.resize(out.size() + (blocks + 7) / 8, 0);
  for (size_t b = 0; b < blocks; ++b) {
    size_t from = 8 * b;
    size_t to = std::min(size, from + 8);
    if (to - from == 8 && std::memcmp(cur + from, ref + from, 8) == 0) continue;
    uint8_t byteMask = 0;
    for (size_t i = from; i < to; ++i) {
      if (cur[i] != ref[i]) byteMask |= static_cast<uint8_t>(1u << (i - from));
    }
    if (byteMask == 0) continue;
    out[maskAt + b / 8] |= static_cast<uint8_t>(1u << (b % 8));
    out.push_back(byteMask);
    for (size_t i = from; i < to; ++i) {
      if (byteMask & (1u << (i - from))) out.push_back(cur[i]);
    }
  }
}

size_t DecodeDiff(const uint8_t* in, const uint8_t* ref, size_t size, uint8_t* cur) {
  std::memcpy(cur, ref, size);
  size_t blocks = (size + 7) / 8;
  const uint8_t* mask = in;
  size_t at = (blocks + 7) / 8;
  for (size_t b = 0; b < blocks; ++b) {
    if (!(mask[b / 8] & (1u << (b % 8)))) continue;
    uint8_t byteMask = in[at++];
    size_t from = 8 * b;
    size_t to = std::min(size, from + 8);
    for (size_t i = from; i < to; ++i) {
      if (byteMask & (1u << (i - from))) cur[i] = in[at++];
    }
  }
  return at;
}

void TRecordArena::Append(uint32_t tag, const std::vector<uint8_t>& bytes) {
  size_t need = 8 + bytes.size();
  if (blocks_.empty() || blocks_.back().size - blocks_.back().used < need) {
    Block block;
    block.size = std::max(kArenaBlock, need);
    block.data = std::make_unique<uint8_t[]>(block.size);
    bytes_ += block.size;
    blocks_.push_back(std::move(block));
  }
  Block& block = blocks_.back();
  uint32_t size = static_cast<uint32_t>(bytes.size());
  std::memcpy(block.data.get() + block.used, &tag, 4);
  std::memcpy(block.data.get() + block.used + 4, &size, 4);
  if (size > 0) std::memcpy(block.data.get() + block.used + 8, bytes.data(), size);
  block.used += need;
  ++count_;
}

void TRecordArena::Clear() {
  blocks_.clear();
  bytes_ = 0;
  count_ = 0;
}

}  // namespace quarry
