// Byte helpers of the search: a fingerprint hash, the open-addressing set of
// fingerprints, the block diff that keeps queued states small and the queue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace quarry {

// 64-bit hash of a byte string; never 0 (0 marks an empty slot).
uint64_t Fingerprint(const uint8_t* data, size_t size);

// A hash set of fingerprints with linear probing, each with the fewest ticks
// it was reached in. Only the 8-byte fingerprints are kept, so two states
// with the same fingerprint count as one: with 64 bits the chance is
// negligible for the sizes searched here.
class TFingerprintSet {
public:
  explicit TFingerprintSet(size_t initialSlots = 1 << 16);
  // True when the fingerprint was not there before, or only with more ticks.
  bool Visit(uint64_t fingerprint, uint16_t ticks);
  // The ticks stored with a fingerprint, 0xFFFF when it is not there.
  uint16_t TicksOf(uint64_t fingerprint) const;
  size_t Size() const { return size_; }
  size_t Bytes() const { return slots_.size() * (sizeof(uint64_t) + sizeof(uint16_t)); }
  // Bytes the table would take after its next growth.
  size_t BytesAfterGrowth() const { return 2 * Bytes(); }
  bool NeedsGrowth() const { return (size_ + 1) * 10 > slots_.size() * 7; }

private:
  void Grow();
  std::vector<uint64_t> slots_;
  std::vector<uint16_t> ticks_;
  size_t size_ = 0;
};

// Writes the differences of cur against ref (both size bytes): a bit per
// 8-byte block that differs, then per such block a byte mask and the bytes.
void EncodeDiff(const uint8_t* cur, const uint8_t* ref, size_t size, std::vector<uint8_t>& out);
// The reverse: cur = ref with the differences read from in. Returns the bytes
// of in used.
size_t DecodeDiff(const uint8_t* in, const uint8_t* ref, size_t size, uint8_t* cur);

// The search's queue: records filed by (f, g), taken lowest f first and,
// among equal f, highest g first and last in first out, so that the search
// runs deep along a promising line.
class TOpenList {
public:
  void Push(uint32_t f, uint32_t g, uint32_t tag, const std::vector<uint8_t>& bytes);
  // False when empty.
  bool Pop(uint32_t& f, uint32_t& g, uint32_t& tag, std::vector<uint8_t>& bytes);
  size_t Count() const { return count_; }
  size_t Bytes() const { return bytes_; }

private:
  struct TLevel {
    std::vector<std::vector<uint8_t>> stacks;  // by g
    size_t count = 0;
  };
  std::map<uint32_t, TLevel> levels_;
  size_t count_ = 0;
  size_t bytes_ = 0;
};

}  // namespace quarry
