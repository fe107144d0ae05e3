// Internal: the LZW layer decoder as a machine fed one code at a time. Both
// LzwDecode and the Huffman decoder use it; the Huffman decoder feeds it each
// code as soon as both bytes are decoded, so the two decoders' dependency
// chains overlap instead of running one after the other.
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
  // What changes with every code. A hot loop copies it into a local (Save),
  // steps on that and puts it back (Restore): a local whose address never
  // leaves the loop can live in registers.
  struct State {
    uint64_t* pieces = nullptr;
    uint8_t* begin = nullptr;  // the layer's first output byte
    size_t room = 0;           // bytes the output holds before it must grow
    size_t length = 0;         // bytes written
    uint32_t capacity = 0;     // entries of pieces
    uint32_t next = 256;
    uint32_t storeFill = 256;  // where the next string would start in the store
    uint32_t wLen = 1;         // the previous string, which ends at length
    bool intact = false;       // ended by an end code
  };

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
      if (c >= kLzwMaxCodes) s_.intact = true;
      return false;
    }
    s_.room = std::min(limit_, std::max<size_t>(4096, 4 * inputSize_));
    if (s_.room == 0) return false;
    // k codes define at most k - 1 strings, which sizes the table.
    s_.capacity = static_cast<uint32_t>(std::min<size_t>(kLzwMaxCodes, 256 + codes_));
    pieces_.reset(new uint64_t[s_.capacity]);
    s_.pieces = pieces_.get();
    for (uint32_t b = 0; b < 256; ++b) s_.pieces[b] = kConstant | (uint64_t{1} << 32) | b;
    out_.resize(base_ + s_.room + ByteSink::kSlack);
    s_.begin = out_.data() + base_;
    s_.begin[0] = static_cast<uint8_t>(c);
    s_.length = 1;
    started_ = true;
    return true;
  }

  State Save() const { return s_; }
  void Restore(const State& s) { s_ = s; }

  // Every later code. Returns false when the layer ends with it.
  bool Step(uint32_t c) { return Step(s_, c); }
  bool Step(State& s, uint32_t c) {
    // next is at most kLzwMaxCodes, so this also catches every end code
    // but one equal to a full dictionary's next, caught below.
    if (c > s.next) [[unlikely]] {
      s.intact = c >= kLzwMaxCodes;
      return false;
    }
    // The table holds every string the layer's codes can define (one per
    // code after the first), so its size never stops an add that the
    // dictionary's own limit allows.
    if (s.next < s.capacity && s.storeFill + s.wLen + 1 < kLzwStoreSize) {
      s.pieces[s.next] = (s.length - s.wLen) | (uint64_t{s.wLen + 1} << 32);
      s.storeFill += s.wLen + 1;
      ++s.next;
    }
    // A code equal to next that could not be added is not in the dictionary.
    if (c >= s.next) [[unlikely]] {
      s.intact = c >= kLzwMaxCodes;
      return false;
    }
    const uint64_t p = s.pieces[c];
    const uint32_t n = static_cast<uint32_t>(p >> 32) & 0x7FFFFFFFu;
    const uint32_t at = static_cast<uint32_t>(p);
    if (n > s.room - s.length) [[unlikely]] {
      if (n > limit_ - s.length) return false;
      s.room = std::min(limit_, std::max(s.length + n, 2 * s.room));
      s.begin = Resize(s.room);
    }
    uint8_t* dst = s.begin + s.length;
    const bool constant = (p & kConstant) != 0;
    const uint8_t* from = (constant ? kByteValues.data() : s.begin) + at;
    // The newest string (a code equal to next) is the previous one, which
    // ends right at dst, plus its own first byte: copy the part already
    // written, then that byte. Either way the last byte is read before the
    // copy and stored after it, which costs no branch.
    const bool newest = !constant && at + n > s.length;
    const uint32_t copied = n - (newest ? 1 : 0);
    const uint8_t last = from[newest ? 0 : n - 1];
    if (copied <= 8) {
      std::memmove(dst, from, 8);  // the newest string's source overlaps dst
    } else {
      CopyWithSlack(dst, from, copied);
    }
    dst[n - 1] = last;
    s.wLen = n;
    s.length += n;
    return true;
  }

  // Trims the output to the bytes written.
  void Finish() {
    if (started_) out_.resize(base_ + s_.length);
  }
  bool Intact() const { return s_.intact; }

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
  // for whole-word copies. Takes and gives values only, so the caller's
  // state never has its address taken.
  [[gnu::noinline]] uint8_t* Resize(size_t room) {
    out_.resize(base_ + room + ByteSink::kSlack);
    return out_.data() + base_;
  }

  std::vector<uint8_t>& out_;
  const size_t base_;
  const size_t limit_;
  const size_t codes_;
  const size_t inputSize_;
  std::unique_ptr<uint64_t[]> pieces_;
  State s_;
  bool started_ = false;
};

}  // namespace quarry
