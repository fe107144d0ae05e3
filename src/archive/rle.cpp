#include "archive/rle.h"

#include "archive/byte_sink.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quarry {
namespace {

// Writers for the two variants. Pieces follow the stored format: variant 5
// counts literals and runs in pieces of up to 128, variant 6 sends literals
// bare and runs in pieces of up to 255.
struct RleWriter {
  std::vector<uint8_t>& out;
  bool seven;  // variant 6

  void Literals(const uint8_t* bytes, size_t count) {
    if (seven) {
      out.insert(out.end(), bytes, bytes + count);
      return;
    }
    while (count > 0) {
      const size_t piece = std::min<size_t>(count, 128);
      out.push_back(static_cast<uint8_t>(piece - 1));
      out.insert(out.end(), bytes, bytes + piece);
      bytes += piece;
      count -= piece;
    }
  }
  void Run(uint8_t value, size_t length) {
    const size_t most = seven ? 255 : 128;
    while (length > 0) {
      const size_t piece = std::min(length, most);
      if (seven) {
        out.push_back(static_cast<uint8_t>(value + 0x80));
        out.push_back(static_cast<uint8_t>(piece));
      } else {
        out.push_back(static_cast<uint8_t>(0x80 + piece - 1));
        out.push_back(value);
      }
      length -= piece;
    }
  }
};

}  // namespace

size_t RleEncode(std::span<const uint8_t> data, std::vector<uint8_t>& out) {
  const size_t layerStart = out.size();
  const bool seven = std::all_of(data.begin(), data.end(), [](uint8_t b) { return b <= 0x7F; });
  out.push_back(seven ? kMethodRle7 : kMethodRle8);
  out.insert(out.end(), 4, 0);
  RleWriter w{out, seven};
  const size_t count = data.size();
  if (count < 2) {
    // The scan below needs a pair to look at; a lone byte is one literal.
    w.Literals(data.data(), count);
  }
  // The scan keeps the stored encoder's quirks on purpose (a final pair is
  // always two literals, a literal stretch gives back its last two bytes)
  // because the compressor's choice, and so every stored file, depends on
  // the exact layer length.
  size_t i = 0;
  while (count >= 2 && i < count) {
    uint8_t a = data[i++];
    uint8_t b = 0;
    size_t r = 0;
    do {
      b = data[i++];
      ++r;
    } while (b == a && i < count);
    const bool usedUp = i >= count;
    if (r == 1 && usedUp) {
      w.Literals(data.data() + count - 2, 2);
      break;
    }
    if (r == 1) {
      while (b != a && i < count) {
        a = b;
        b = data[i++];
        ++r;
      }
      r -= 1;
      i -= 2;
      w.Literals(data.data() + i - r, r);
      continue;
    }
    w.Run(a, usedUp && b == a ? r + 1 : r);
    if (usedUp) {
      if (b != a) w.Literals(&b, 1);
      break;
    }
    i -= 1;
  }
  const size_t length = out.size() - layerStart;
  for (int k = 0; k < 4; ++k) out[layerStart + 1 + k] = static_cast<uint8_t>(length >> (8 * k));
  return length;
}

size_t RleDecode(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit,
                 bool* intact) {
  if (intact) *intact = false;
  if (in.empty() || (in[0] != kMethodRle8 && in[0] != kMethodRle7)) return 0;
  const bool seven = in[0] == kMethodRle7;
  if (in.size() < 5) return in.size();
  const uint32_t total = in[1] | (in[2] << 8) | (in[3] << 16) | (static_cast<uint32_t>(in[4]) << 24);
  // Codes are read while fewer than total bytes are used; a piece that
  // straddles total is read whole, as the stored decoder does, but nothing is
  // ever read past the end of the input.
  const size_t end = std::min<size_t>(total, in.size());
  const size_t last = in.size();
  const uint8_t* src = in.data();
  ByteSink sink(out, limit);
  size_t pos = 5;
  while (pos < end) {
    const uint8_t c = src[pos];
    if (seven) {
      if (c < 0x80) {
        // Literals eight at a time: store the word, keep the bytes before
        // the first code byte in it.
        if (pos + 8 <= end && sink.Room(8)) {
          uint64_t word;
          std::memcpy(&word, src + pos, 8);
          std::memcpy(sink.Pointer(), &word, 8);
          const uint64_t codes = word & 0x8080808080808080ull;
          static_assert(std::endian::native == std::endian::little, "byte order of the word scan");
          const size_t n = codes == 0 ? 8 : static_cast<size_t>(std::countr_zero(codes) >> 3);
          sink.Advance(n);
          pos += n;
          continue;
        }
        if (!sink.Room(1)) return pos;
        sink.Put(c);
        ++pos;
        continue;
      }
      if (pos + 1 >= last) return pos + 1;
      const size_t n = src[pos + 1];
      if (!sink.Room(n)) return pos;
      sink.Fill(static_cast<uint8_t>(c & 0x7F), n);
      pos += 2;
      continue;
    }
    if (c >= 0x80) {
      if (pos + 1 >= last) return pos + 1;
      const size_t n = (c & 0x7F) + size_t{1};
      if (!sink.Room(n)) return pos;
      sink.Fill(src[pos + 1], n);
      pos += 2;
      continue;
    }
    // A literal piece cut by the end of the input gives what is there.
    const size_t want = c + size_t{1};
    const size_t n = std::min(want, last - pos - 1);
    if (!sink.Room(n)) return pos;
    sink.AppendExact(src + pos + 1, n);
    pos += 1 + n;
    if (n < want) return pos;
  }
  if (intact) *intact = total >= 5 && end == total;
  return pos;
}

}  // namespace quarry
