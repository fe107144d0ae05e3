// Byte helpers of the search: a fingerprint hash, the open-addressing set of
// fingerprints, and the block diff that keeps queued states small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace quarry {

// 64-bit hash of a byte string; never 0 (0 marks an empty slot).
uint64_t Fingerprint(const uint8_t* data, size_t size);

// A hash set of fingerprints with linear probing. Only the 8-byte
// fingerprints are kept, so two states with the same fingerprint count as
// one: with 64 bits the chance is negligible for the sizes searched here.
class TFingerprintSet {
public:
  explicit TFingerprintSet(size_t initialSlots = 1 << 16);
  // True when the fingerprint was not there before.
  bool Insert(uint64_t fingerprint);
  size_t Size() const { return size_; }
  size_t Bytes() const { return slots_.size() * sizeof(uint64_t); }
  // Bytes the table would take after its next growth.
  size_t BytesAfterGrowth() const { return 2 * Bytes(); }
  bool NeedsGrowth() const { return (size_ + 1) * 10 > slots_.size() * 7; }

private:
  void Grow();
  std::vector<uint64_t> slots_;
  size_t size_ = 0;
};

// Writes the differences of cur against ref (both size bytes): a bit per
// 8-byte block that differs, then per such block a byte mask and the bytes.
void EncodeDiff(const uint8_t* cur, const uint8_t* ref, size_t size, std::vector<uint8_t>& out);
// The reverse: cur = ref with the differences read from in. Returns the bytes
// of in used.
size_t DecodeDiff(const uint8_t* in, const uint8_t* ref, size_t size, uint8_t* cur);

// Append-only storage of records in large blocks: no reallocation spikes, so
// the bytes in use are what the memory limit is checked against.
class TRecordArena {
public:
  void Append(uint32_t tag, const std::vector<uint8_t>& bytes);
  size_t Count() const { return count_; }
  size_t Bytes() const { return bytes_; }
  void Clear();
  // Visits the records in the order they were appended.
  template <typename F>
  void ForEach(F&& visit) const {
    for (const auto& block : blocks_) {
      size_t at = 0;
      while (at + 8 <= block.used) {
        uint32_t tag, size;
        std::memcpy(&tag, block.data.get() + at, 4);
        std::memcpy(&size, block.data.get() + at + 4, 4);
        if (!visit(tag, block.data.get() + at + 8, size)) return;
        at += 8 + size;
      }
    }
  }

private:
  struct Block {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;
    size_t used = 0;
  };
  std::vector<Block> blocks_;
  size_t bytes_ = 0;
  size_t count_ = 0;
};

}  // namespace quarry
