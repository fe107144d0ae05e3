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
  ticks_.assign(slots, 0);
}

bool TFingerprintSet::Visit(uint64_t fingerprint, uint16_t ticks) {
  if (NeedsGrowth()) Grow();
  size_t mask = slots_.size() - 1;
  for (size_t i = fingerprint & mask;; i = (i + 1) & mask) {
    if (slots_[i] == fingerprint) {
      if (ticks_[i] <= ticks) return false;
      ticks_[i] = ticks;
      return true;
    }
    if (slots_[i] == 0) {
      slots_[i] = fingerprint;
      ticks_[i] = ticks;
      ++size_;
      return true;
    }
  }
}

uint16_t TFingerprintSet::TicksOf(uint64_t fingerprint) const {
  size_t mask = slots_.size() - 1;
  for (size_t i = fingerprint & mask;; i = (i + 1) & mask) {
    if (slots_[i] == fingerprint) return ticks_[i];
    if (slots_[i] == 0) return 0xFFFF;
  }
}

void TFingerprintSet::Grow() {
  std::vector<uint64_t> old(slots_.size() * 2, 0);
  std::vector<uint16_t> oldTicks(old.size(), 0);
  old.swap(slots_);
  oldTicks.swap(ticks_);
  size_t mask = slots_.size() - 1;
  for (size_t k = 0; k < old.size(); ++k) {
    if (old[k] == 0) continue;
    size_t i = old[k] & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = old[k];
    ticks_[i] = oldTicks[k];
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

void TOpenList::Push(uint32_t f, uint32_t g, uint32_t tag, const std::vector<uint8_t>& bytes) {
  TLevel& level = levels_[f];
  if (level.stacks.size() <= g) level.stacks.resize(g + 1);
  std::vector<uint8_t>& stack = level.stacks[g];
  const size_t before = stack.capacity();
  uint32_t size = static_cast<uint32_t>(bytes.size());
  stack.insert(stack.end(), bytes.begin(), bytes.end());
  stack.insert(stack.end(), reinterpret_cast<const uint8_t*>(&size), reinterpret_cast<const uint8_t*>(&size) + 4);
  stack.insert(stack.end(), reinterpret_cast<const uint8_t*>(&tag), reinterpret_cast<const uint8_t*>(&tag) + 4);
  bytes_ += stack.capacity() - before;
  ++level.count;
  ++count_;
}

bool TOpenList::Pop(uint32_t& f, uint32_t& g, uint32_t& tag, std::vector<uint8_t>& bytes) {
  while (!levels_.empty() && levels_.begin()->second.count == 0) {
    for (auto& stack : levels_.begin()->second.stacks) bytes_ -= stack.capacity();
    levels_.erase(levels_.begin());
  }
  if (levels_.empty()) return false;
  f = levels_.begin()->first;
  TLevel& level = levels_.begin()->second;
  size_t at = level.stacks.size();
  while (level.stacks[at - 1].empty()) --at;
  g = static_cast<uint32_t>(at - 1);
  std::vector<uint8_t>& stack = level.stacks[g];
  uint32_t size;
  std::memcpy(&tag, stack.data() + stack.size() - 4, 4);
  std::memcpy(&size, stack.data() + stack.size() - 8, 4);
  const size_t start = stack.size() - 8 - size;
  bytes.assign(stack.begin() + static_cast<std::ptrdiff_t>(start), stack.begin() + static_cast<std::ptrdiff_t>(start + size));
  stack.resize(start);
  if (stack.empty()) {
    bytes_ -= stack.capacity();
    std::vector<uint8_t>().swap(stack);
  }
  --level.count;
  --count_;
  return true;
}

}  // namespace quarry
