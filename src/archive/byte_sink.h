// Internal: appends decoded bytes to a vector through a raw write pointer,
// growing it geometrically and never past the decoder's output limit. The
// vector keeps kSlack spare bytes past the room it grants, so hot loops may
// store a whole 8- or 16-byte word and advance by fewer bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quarry {

class ByteSink {
public:
  static constexpr size_t kSlack = 16;

  ByteSink(std::vector<uint8_t>& out, size_t limit)
      : out_(out), base_(out.size()), limit_(limit) {
    // The spare bytes exist from the start, so even a zero-length piece may
    // store its whole word.
    out_.resize(base_ + kSlack);
    Refresh(base_);
  }
  ~ByteSink() { out_.resize(Length()); }
  ByteSink(const ByteSink&) = delete;
  ByteSink& operator=(const ByteSink&) = delete;

  // Room for n more bytes; false when they would pass the limit.
  bool Room(size_t n) { return n <= static_cast<size_t>(end_ - p_) || Grow(n); }

  // Callers make Room first.
  void Put(uint8_t b) { *p_++ = b; }
  void Append(const uint8_t* bytes, size_t n) {
    if (n <= kSlack) {
      std::memmove(p_, bytes, kSlack);  // the source must have kSlack bytes too
    } else {
      std::memcpy(p_, bytes, n);
    }
    p_ += n;
  }
  // For sources without spare bytes after them.
  void AppendExact(const uint8_t* bytes, size_t n) {
    std::memcpy(p_, bytes, n);
    p_ += n;
  }
  void Fill(uint8_t value, size_t n) {
    if (n <= kSlack) {
      std::memset(p_, value, kSlack);
    } else {
      std::memset(p_, value, n);
    }
    p_ += n;
  }
  uint8_t* Pointer() { return p_; }
  // Where this sink's bytes begin; moves when Room grows the vector.
  uint8_t* Begin() { return out_.data() + base_; }
  size_t Written() const { return Length() - base_; }
  void Advance(size_t n) { p_ += n; }

private:
  size_t Length() const { return static_cast<size_t>(p_ - out_.data()); }
  void Refresh(size_t length) {
    uint8_t* data = out_.data();
    p_ = data + length;
    const size_t room = out_.size() > length + kSlack ? out_.size() - kSlack : length;
    const size_t cap = limit_ > SIZE_MAX - base_ ? SIZE_MAX : base_ + limit_;
    end_ = data + std::min(room, std::max(cap, length));
  }
  bool Grow(size_t n) {
    const size_t length = Length();
    if (n > limit_ - (length - base_)) return false;
    const size_t want = std::max(length + n, out_.size() * 2 + 4096);
    const size_t cap = limit_ > SIZE_MAX - base_ - kSlack ? SIZE_MAX - kSlack : base_ + limit_;
    out_.resize(std::min(want, std::max(cap, length + n)) + kSlack);
    Refresh(length);
    return true;
  }

  std::vector<uint8_t>& out_;
  size_t base_;
  size_t limit_;
  uint8_t* p_ = nullptr;
  uint8_t* end_ = nullptr;
};

// Copies with fixed-size moves when both sides have kSlack spare bytes.
inline void CopyWithSlack(uint8_t* dst, const uint8_t* src, size_t n) {
  if (n <= ByteSink::kSlack) {
    std::memmove(dst, src, ByteSink::kSlack);
  } else {
    std::memmove(dst, src, n);
  }
}

}  // namespace quarry
