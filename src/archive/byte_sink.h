// Internal: appends decoded bytes to a vector through a raw pointer, growing
// it geometrically and never past the decoder's output limit.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quarry {

// Copies up to 16 bytes with fixed-size moves (which compile to plain loads
// and stores), falling back to memcpy for longer runs. The ranges must not
// overlap.
inline void CopyBytes(uint8_t* dst, const uint8_t* src, size_t n) {
  if (n >= 8 && n <= 16) {
    std::memcpy(dst, src, 8);
    std::memcpy(dst + n - 8, src + n - 8, 8);
  } else if (n >= 4 && n < 8) {
    std::memcpy(dst, src, 4);
    std::memcpy(dst + n - 4, src + n - 4, 4);
  } else if (n < 4) {
    for (size_t i = 0; i < n; ++i) dst[i] = src[i];
  } else {
    std::memcpy(dst, src, n);
  }
}

class ByteSink {
public:
  ByteSink(std::vector<uint8_t>& out, size_t limit)
      : out_(out), base_(out.size()), length_(out.size()), limit_(limit) {}
  ~ByteSink() { out_.resize(length_); }
  ByteSink(const ByteSink&) = delete;
  ByteSink& operator=(const ByteSink&) = delete;

  // Makes room for n more bytes; false when they would pass the limit.
  bool Room(size_t n) {
    if (n > limit_ - (length_ - base_)) return false;
    if (length_ + n > out_.size()) {
      const size_t cap = base_ + limit_;
      out_.resize(std::min(cap, std::max(length_ + n, out_.size() * 2 + 4096)));
    }
    return true;
  }
  // Callers make Room first.
  void Put(uint8_t b) { out_[length_++] = b; }
  void Append(const uint8_t* bytes, size_t n) {
    CopyBytes(out_.data() + length_, bytes, n);
    length_ += n;
  }
  // Writes 8 bytes but keeps only n of them (n <= 8); needs Room(8).
  void AppendWord(const uint8_t* word, size_t n) {
    std::memcpy(out_.data() + length_, word, 8);
    length_ += n;
  }
  void Fill(uint8_t value, size_t n) {
    std::memset(out_.data() + length_, value, n);
    length_ += n;
  }

private:
  std::vector<uint8_t>& out_;
  size_t base_;
  size_t length_;
  size_t limit_;
};

}  // namespace quarry
