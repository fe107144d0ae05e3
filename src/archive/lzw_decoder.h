// Internal: the LZW layer decoder as a machine fed one code at a time. Both
// LzwDecode and the Huffman decoder use it; the Huffman decoder feeds it each
// code as soon as both bytes are decoded, so the two decoders' dependency
// chains overlap instead of running one after the other. Every member is
// inline and the machine lives in the caller's frame, so its fields can stay
// in registers through the caller's loop.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "archive/byte_sink.h"
#include "archive/lzw.h"

namespace quarry {

class LzwDecoder {
public:
  // out receives the decoded bytes (appended); limit caps them. codes is
  // the most codes the layer can hold, which must not be too low: it sizes
  // the string table. inputSize is the layer's size in bytes, only a hint.
  LzwDecoder(std::vector<uint8_t>& out, size_t limit, size_t codes, size_t inputSize)
      : out_(out), base_(out.size()), limit_(limit), codes_(codes), inputSize_(inputSize) {}
  LzwDecoder(const LzwDecoder&) = delete;
  LzwDecoder& operator=(const LzwDecoder&) = delete;

  // The first code must be a single byte: a layer that starts with the end
  // code, or any code the empty dictionary lacks, decodes to nothing.
  // Returns false when the layer ends here.
  bool First(uint32_t c) {
    if (c >= 256) {
      if (c >= kLzwMaxCodes) intact_ = true;
      return false;
    }
    room_ = std::min(limit_, std::max<size_t>(4096, 4 * inputSize_));
    if (room_ == 0) return false;
    // k codes define at most k - 1 strings, which sizes the table.
    capacity_ = static_cast<uint32_t>(std::min<size_t>(kLzwMaxCodes, 256 + codes_));
    pieces_.reset(new uint64_t[capacity_]);
    for (uint32_t b = 0; b < 256; ++b) pieces_[b] = kConstant | (uint64_t{1} << 32) | b;
    out_.resize(base_ + room_ + ByteSink::kSlack);
    begin_ = out_.data() + base_;
    begin_[0] = static_cast<uint8_t>(c);
    length_ = 1;
    started_ = true;
    return true;
  }

  // Every later code. Returns false when the layer ends with it.
  bool Step(uint32_t c) {
    if (c >= kLzwMaxCodes) {
      intact_ = true;
      return false;
    }
    if (c > next_) return false;
    // The table holds every string the layer's codes can define (one per
    // code after the first), so its size never stops an add that the
    // dictionary's own limit allows.
    if (next_ < capacity_ && storeFill_ + wLen_ + 1 < kLzwStoreSize) {
      pieces_[next_] = (length_ - wLen_) | (uint64_t{wLen_ + 1} << 32);
      storeFill_ += wLen_ + 1;
      ++next_;
    }
    // A code equal to next that could not be added is not in the dictionary.
    if (c >= next_) return false;
    const uint64_t p = pieces_[c];
    const uint32_t n = static_cast<uint32_t>(p >> 32) & 0x7FFFFFFFu;
    const uint32_t at = static_cast<uint32_t>(p);
    if (n > room_ - length_) [[unlikely]] {
      if (n > limit_ - length_) return false;
      GrowOutput(n);
    }
    uint8_t* dst = begin_ + length_;
    const bool constant = (p & kConstant) != 0;
    const uint8_t* from = (constant ? kByteValues.data() : begin_) + at;
    if (!constant && at + n > length_) {
      // The newest string read while it is written (a code equal to next):
      // a forward byte copy repeats its first byte at the end.
      for (uint32_t i = 0; i < n; ++i) dst[i] = from[i];
    } else if (n <= 8) {
      std::memcpy(dst, from, 8);
    } else {
      CopyWithSlack(dst, from, n);
    }
    wLen_ = n;
    length_ += n;
    return true;
  }

  // Trims the output to the bytes written.
  void Finish() {
    if (started_) out_.resize(base_ + length_);
  }
  // Whether the layer ended with an end code.
  bool Intact() const { return intact_; }

private:
  // A string made by the decoder is always a piece of the output already
  // written: the previous string plus the first byte written after it. So a
  // code needs only the place and length of that piece, and the string store
  // is kept as a count, for its limit alone. Each piece is one word (place in
  // the low half, length in the high half), written and read whole so a read
  // right after the write is forwarded. The single bytes are pieces of a
  // constant table (marked by kConstant), so both kinds of code take the same
  // path and choosing costs no branch.
  static constexpr uint64_t kConstant = uint64_t{1} << 63;
  // Every byte value, with spare bytes after them for whole-word copies.
  static constexpr std::array<uint8_t, 256 + ByteSink::kSlack> kByteValues = [] {
    std::array<uint8_t, 256 + ByteSink::kSlack> values{};
    for (int i = 0; i < 256; ++i) values[i] = static_cast<uint8_t>(i);
    return values;
  }();

  // The output grows geometrically and keeps ByteSink::kSlack spare bytes
  // for whole-word copies.
  void GrowOutput(uint32_t n) {
    room_ = std::min(limit_, std::max(length_ + n, 2 * room_));
    out_.resize(base_ + room_ + ByteSink::kSlack);
    begin_ = out_.data() + base_;
  }

  std::vector<uint8_t>& out_;
  const size_t base_;
  const size_t limit_;
  const size_t codes_;
  const size_t inputSize_;
  std::unique_ptr<uint64_t[]> pieces_;
  uint32_t capacity_ = 0;
  uint32_t next_ = 256;
  uint32_t storeFill_ = 256;  // where the next string would start in the store
  uint8_t* begin_ = nullptr;
  size_t room_ = 0;
  size_t length_ = 0;  // bytes written
  uint32_t wLen_ = 1;  // the previous string, which ends at length_
  bool started_ = false;
  bool intact_ = false;
};

}  // namespace quarry
