// The coders: hand-computed layers, the LZW limits against reference coders,
// round trips, the compressor's choice and report, and damaged input.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "archive/huffman.h"
#include "archive/lzw.h"
#include "archive/rle.h"
#include "archive/zrcomp.h"
#include "archive_fixture.h"
#include "core/stream.h"
#include "sample_data.h"

namespace quarry {
namespace {

Bytes Rle(const Bytes& in) { Bytes out; const size_t n = RleEncode(in, out); EXPECT_EQ(n, out.size()); return out; }
Bytes Huff(const Bytes& in) { Bytes out; HuffEncode(in, out); return out; }
Bytes Lzw(const Bytes& in) { Bytes out; LzwEncode(in, out); return out; }
void PutU16(Bytes& b, uint32_t v) { b.insert(b.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}); }

struct Decoded { Bytes out; bool intact; size_t used; };
// Runs one decoder ('L'zw or 'H'uffman body, 'R'le layer, 'Z'r stream) twice,
// the flag starting true then false: it must always be set.
Decoded Decode(char coder, std::span<const uint8_t> in, size_t cap = kMaxDecodedSize) {
  Decoded d[2];
  for (int i = 0; i < 2; ++i) {
    bool& intact = d[i].intact = i == 0;
    Bytes& out = d[i].out;
    d[i].used = coder == 'L' ? LzwDecode(in, out, cap, &intact) : coder == 'H' ? HuffDecode(in, out, cap, &intact)
                : coder == 'R' ? RleDecode(in, out, cap, &intact) : ZRUnCompress(in, out, cap, &intact);
  }
  EXPECT_EQ(d[0].intact, d[1].intact);
  return d[0];
}
// Decodes a whole stream (zr) or one coder's layer; every byte must be used and the result intact.
Bytes Unpack(const Bytes& layer, bool zr = false) {
  const bool body = !zr && (layer[0] == 3 || layer[0] == 4);
  const Decoded d = Decode(zr ? 'Z' : layer[0] == 3 ? 'L' : layer[0] == 4 ? 'H' : 'R', std::span(layer).subspan(body));
  EXPECT_EQ(d.used + body, layer.size());
  EXPECT_TRUE(d.intact);
  return d.out;
}

// The LZW encoder as the stored format's encoder works: a bucket of codes per
// first byte, walked in creation order. Slow; proves the trie picks the same codes.
Bytes LzwBucketWalk(const Bytes& data) {
  std::vector<uint8_t> store(0x40000);
  std::vector<int32_t> index(32769), order(32768);
  std::array<uint16_t, 256> bucket{};
  for (int c = 0; c < 256; ++c) index[c] = order[c] = bucket[c] = store[c] = static_cast<uint8_t>(c);
  index[256] = 256;
  int32_t next = 256;
  Bytes out{3};
  const size_t count = data.size();
  for (size_t m = 1, pos = 0; pos < count;) {
    m = std::min(m, count - pos);
    const uint8_t* look = data.data() + pos;
    size_t best = 0;
    uint32_t code = 0xFFFF;
    for (int32_t k = bucket[look[0]]; k < next && store[index[order[k]]] == look[0]; ++k) {
      const int32_t e = order[k];
      const size_t len = static_cast<size_t>(index[e + 1] - index[e]);
      if (len <= m && len > best && std::memcmp(&store[index[e]], look, len) == 0) best = len, code = static_cast<uint32_t>(e);
    }
    if (pos + m < count && next < 0x8000 && index[next] + static_cast<int32_t>(best) + 1 < 0x40000) {
      std::memcpy(&store[index[next]], look, best + 1);
      index[next + 1] = index[next] + static_cast<int32_t>(best) + 1;
      const int32_t at = look[0] == 255 ? next : bucket[look[0] + 1];  // the end of look[0]'s bucket
      std::memmove(order.data() + at + 1, order.data() + at, static_cast<size_t>(next - at) * sizeof(int32_t));
      order[at] = next;
      for (int x = look[0] + 1; x < 256; ++x) ++bucket[x];
      ++next;
    }
    pos += best;
    m = std::max(m, best + 1);
    PutU16(out, code);
  }
  PutU16(out, 0xFFFF);
  return out;
}

// The decoder as the stored format describes it: every new string copied into
// a store. It ends where the library does on damage (first code past the single
// bytes, a code above next, a code equal to next that could not be added).
Bytes LzwStoreDecode(std::span<const uint8_t> in) {
  std::vector<uint8_t> store(0x40000);
  std::vector<uint32_t> index(32769);
  for (uint32_t c = 0; c < 256; ++c) index[c] = store[c] = static_cast<uint8_t>(c);
  index[256] = 256;
  uint32_t next = 256;
  Bytes out;
  auto string = [&](uint32_t c) { return Bytes(store.begin() + index[c], store.begin() + index[c + 1]); };
  if (in.size() < 2 || (in[0] | (in[1] << 8)) >= 256) return out;
  Bytes w = string(in[0]);
  out.insert(out.end(), w.begin(), w.end());
  for (size_t i = 2; i + 1 < in.size(); i += 2) {
    const uint32_t c = in[i] | (in[i + 1] << 8);
    if (c >= 0x8000 || c > next) break;
    if (next < 0x8000 && index[next] + w.size() + 1 < 0x40000) {
      std::copy(w.begin(), w.end(), store.begin() + index[next]);
      store[index[next] + w.size()] = c < next ? store[index[c]] : w[0];
      index[next + 1] = index[next] + static_cast<uint32_t>(w.size()) + 1;
      ++next;
    }
    if (c >= next) break;
    w = string(c);
    out.insert(out.end(), w.begin(), w.end());
  }
  return out;
}

uint32_t HighestCode(const Bytes& layer) {  // ignoring the end code
  uint32_t highest = 0;
  for (size_t i = 1; i + 3 < layer.size(); i += 2) highest = std::max<uint32_t>(highest, layer[i] | (layer[i + 1] << 8));
  return highest;
}

TEST(CodecVectors, HandComputedLayers) {
  struct Vector { const char* what; char coder; uint8_t stride; Bytes in, layer; };
  const Vector vectors[] = {
      {"rle7: literals give back their last two; a final pair stays literal", 'R', 1,
       {'A', 'B', 'C', 'D', 'D'}, {6, 10, 0, 0, 0, 'A', 'B', 'C', 'D', 'D'}},
      {"rle7: run ended by the last byte", 'R', 1, {'A', 'A', 'A', 'B'}, {6, 8, 0, 0, 0, 0xC1, 3, 'B'}},
      {"rle8 counts pieces", 'R', 1, {0x80, 0x80, 0x80, 1, 2, 3, 3, 3},
       {5, 12, 0, 0, 0, 0x82, 0x80, 0x01, 0x01, 0x02, 0x82, 0x03}},
      {"rle8: one high byte anywhere selects it", 'R', 1, Bytes(57, 'x') + Bytes{0x80} + Bytes(42, 'x'),
       {5, 11, 0, 0, 0, 0xB8, 'x', 0x00, 0x80, 0xA9, 'x'}},
      {"rle7 run of 300", 'R', 1, Bytes(300, 0x61), {6, 9, 0, 0, 0, 0xE1, 255, 0xE1, 45}},
      {"rle8 run of 300", 'R', 1, Bytes(300, 0x90), {5, 11, 0, 0, 0, 0xFF, 0x90, 0xFF, 0x90, 0xAB, 0x90}},
      {"lzw: last code is the one being defined", 'L', 1, {'A', 'B', 'A', 'B', 'A', 'B', 'A'},
       {3, 0x41, 0, 0x42, 0, 0x00, 0x01, 0x02, 0x01, 0xFF, 0xFF}},
      {"huff: equal counts, lower value left", 'H', 1, {'A', 'B'}, {4, 2, 0, 0, 0, 2, 0, 0x50, 0x68, 0x48}},
      {"huff: lighter value left", 'H', 1, {'A', 'A', 'B'}, {4, 3, 0, 0, 0, 3, 0, 0x50, 0xA8, 0x38}},
      {"huff: node ties with B(3), lower node number left: C=00 A=01 B=1", 'H', 1,
       {'A', 'A', 'B', 'B', 'B', 'C'}, {4, 6, 0, 0, 0, 6, 0, 0x28, 0x74, 0x1A, 0x12, 0xF0}},
      {"huff: lone zero paired with itself", 'H', 1, {0, 0, 0}, {4, 3, 0, 0, 0, 3, 0, 0x40, 0x20, 0x1C}},
      {"huff: lone A paired with itself", 'H', 1, {'A', 'A'}, {4, 2, 0, 0, 0, 2, 0, 0x50, 0x68, 0x38}},
      {"huff: empty is one empty block", 'H', 1, {}, {4, 0, 0, 0, 0, 0, 0, 0x40, 0x20, 0x00}},
      {"zr: tiny input stays stored", 'Z', 1, {'A'}, {0, 1, 0, 0, 0, 'A'}},
      {"zr: stored equal to RLE keeps RLE", 'Z', 1, {'A', 'B', 'C', 'C', 'C', 'C', 'C', 'C', 'D', 'E'},
       {6, 15, 0, 0, 0, 0, 10, 0x80, 3, 'A', 'B', 0xC3, 6, 'D', 'E'}},
      {"zr planar 2", 'Z', 2, {'A', 'B', 'C', 'D', 'E'}, {1, 5, 0, 0, 0, 'A', 'C', 'E', 'B', 'D'}},
      {"zr planar 3", 'Z', 3, {'A', 'B', 'C', 'D', 'E', 'F', 'G'}, {2, 7, 0, 0, 0, 'A', 'D', 'G', 'B', 'E', 'C', 'F'}},
  };
  for (const Vector& v : vectors) {
    SCOPED_TRACE(v.what);
    const Bytes layer = v.coder == 'R' ? Rle(v.in) : v.coder == 'H' ? Huff(v.in) : v.coder == 'L' ? Lzw(v.in)
                                                                     : ZRCompress(v.in, v.stride);
    EXPECT_EQ(layer, v.layer);
    EXPECT_EQ(Unpack(v.layer, v.coder == 'Z'), v.in);  // even the empty layer's one block counts as used
  }
}

TEST(CodecVectors, PieceBlockAndStrideEdges) {
  // 298 literals (the last two end as a pair): pieces 128, 128, 42, the pair.
  Bytes in;
  for (int i = 0; i < 300; ++i) in.push_back(static_cast<uint8_t>(0x80 | (i & 1) | ((i % 7) << 2)));
  Bytes out = Rle(in);
  EXPECT_EQ(out[5], 0x7F);
  EXPECT_EQ(out[5 + 129], 0x7F);
  EXPECT_EQ(out[5 + 258], 41);
  EXPECT_EQ(out.size(), 5u + 129 + 129 + 43 + 3);
  EXPECT_EQ(Unpack(out), in);

  // Huffman block 1: u16 32752, 19 tree bits + 32752 one-bit codes = 4097
  // bytes; block 2 starts on a byte boundary.
  in.assign(kHuffBlockSize, 'A');
  in.push_back('B');
  out = Huff(in);
  ASSERT_EQ(out.size(), 5u + 2 + 4097 + 2 + 3);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 7), Bytes({4, 0xF1, 0x7F, 0, 0, 0xF0, 0x7F}));
  EXPECT_EQ(Bytes(out.end() - 5, out.end()), Bytes({1, 0, 0x50, 0xA8, 0x50}));
  EXPECT_EQ(Unpack(out), in);
  // Exactly full blocks add no empty block after them.
  EXPECT_EQ(Huff(Bytes(kHuffBlockSize, 'q')).size(), 5u + 2 + 4097);
  EXPECT_EQ(Huff(Bytes(3 * kHuffBlockSize, 'q')).size(), 5u + 3 * (2 + 4097));

  out.clear();  // strides 0 and 4 would collide with method bytes
  EXPECT_FALSE(ZRCompress(Bytes{1, 2, 3}, out, 0));
  EXPECT_FALSE(ZRCompress(Bytes{1, 2, 3}, out, 4));
  EXPECT_TRUE(out.empty());
}

TEST(CodecVectors, UnknownMethodsAreLoggedAndSkipped) {
  LogCapture log;
  EXPECT_EQ(ZRUnCompress(Bytes{7, 0, 1, 0, 0, 0, 'x'}), Bytes({'x'}));
  const Decoded d = Decode('Z', Bytes{0xAB, 0xFF});  // input ending while searching for a method stops, not intact
  EXPECT_EQ(d.used, 2u);
  EXPECT_TRUE(d.out.empty());
  EXPECT_FALSE(d.intact);
  const std::string line = "[ZRCOMP, ZRUnCompress] ZRUnCompress: Unknown compression method! (0x";
  EXPECT_EQ(log.lines, std::vector<std::string>({line + "07)", line + "AB)", line + "FF)", line + "AB)", line + "FF)"}))
      << "Decode runs twice";
}

TEST(Lzw, SameCodesAsTheBucketWalk) {
  // Small alphabets make long matches and duplicate strings, where "the
  // oldest of equal matches" decides the code; the big inputs fill the dictionary.
  std::vector<Bytes> inputs = {Bytes(70000, 0), sample::Random(120000, 99), sample::Text(300000, 7)};
  for (uint64_t seed = 1; seed <= 6; ++seed) {
    inputs.push_back(sample::Random(3000 + seed * 777, seed, 2));
    inputs.push_back(sample::Random(5000, seed, 3 + static_cast<uint32_t>(seed)));
    inputs.push_back(sample::Text(20000, seed));
    inputs.push_back(sample::Maps(9000, seed));
    inputs.push_back(sample::Pixels(12000, seed));
  }
  for (int n = 1; n <= 9; ++n) inputs.push_back(sample::Random(static_cast<size_t>(n), n, 3));
  for (const Bytes& in : inputs) {
    const Bytes fast = Lzw(in);
    ASSERT_EQ(fast, LzwBucketWalk(in)) << "input of " << in.size() << " bytes";
    ASSERT_EQ(Unpack(fast), in);
  }
}

TEST(Lzw, FullDictionaryAndFullStoreKeepCoding) {
  const Bytes noise = sample::Random(400000, 5);
  const Bytes layer = Lzw(noise);
  EXPECT_EQ(HighestCode(layer), kLzwMaxCodes - 1);
  EXPECT_EQ(Unpack(layer), noise);
  // Zeros add strings of lengths 2, 3, ... while 255 + L(L+1)/2 < 0x40000,
  // so the longest is L = 723 with code 256 + 721.
  const Bytes zeros(723 * 724 / 2 + 5000, 0);
  const Bytes zlayer = Lzw(zeros);
  EXPECT_EQ(HighestCode(zlayer), 256u + 721);
  EXPECT_EQ(Unpack(zlayer), zeros);
}

TEST(Lzw, StoreLimitIsExclusive) {
  // A ladder of 'a' strings of lengths 2..ladder and 2-byte 'b' strings fill
  // the store; "b"+"c" is added only if it ends below 0x40000, and only then
  // may its code follow.
  struct Case { uint32_t ladder, bCodes, spare; bool added; Bytes tail; };
  for (const Case& c : {Case{699, 8268, 3, true, {'b', 'c', 'b', 'c'}}, Case{700, 7918, 2, false, {'b', 'c'}}}) {
    Bytes layer{3};
    PutU16(layer, 'a');
    uint32_t next = 256;
    for (uint32_t len = 2; len <= c.ladder; ++len) PutU16(layer, next++);
    PutU16(layer, 'b');
    ++next;
    for (uint32_t i = 0; i < c.bCodes; ++i, ++next) PutU16(layer, 'b');
    ASSERT_EQ(255 + c.ladder * (c.ladder + 1) / 2 + (c.ladder + 1) + 2 * c.bCodes, kLzwStoreSize - c.spare);
    for (uint32_t v : {uint32_t{'c'}, next, uint32_t{kLzwEndCode}}) PutU16(layer, v);
    const Decoded d = Decode('L', std::span(layer).subspan(1));
    EXPECT_EQ(d.intact, c.added) << c.ladder;
    ASSERT_GE(d.out.size(), c.tail.size());
    EXPECT_EQ(Bytes(d.out.end() - static_cast<std::ptrdiff_t>(c.tail.size()), d.out.end()), c.tail);
  }
}

// LZW code streams: encoded inputs, then hostile ones with single bytes,
// older codes, many codes equal to next and now and then one past it.
std::vector<Bytes> LzwStreams() {
  std::vector<Bytes> streams;
  for (const Bytes& in : {sample::Pixels(20000, 1), sample::Text(9000, 2), Bytes(70000, 'r'),
                          sample::Random(120000, 3, 256), sample::Random(3000, 4, 2)}) {
    const Bytes layer = Lzw(in);
    streams.emplace_back(layer.begin() + 1, layer.end());
  }
  for (uint64_t seed = 1; seed <= 40; ++seed) {
    const Bytes noise = sample::Random(4000, seed, 256);
    Bytes codes;
    for (size_t i = 0, next = 255; i + 1 < noise.size(); i += 2, ++next) {
      const uint32_t pick = noise[i] % 8, b = noise[i + 1];
      uint32_t c = b;
      if (i > 0 && pick < 2) c = static_cast<uint32_t>(next);
      if (i > 0 && pick >= 5 && pick < 7) c = 256 + (b * 131 + i) % (next - 255);
      if (i > 0 && pick == 7) c = static_cast<uint32_t>(b == 0 ? next + 1 : next - 1);
      PutU16(codes, c);
    }
    streams.push_back(codes);
  }
  // A full dictionary, then 0x8000: as much an end code as 0xFFFF.
  Bytes full;
  for (uint32_t i = 0; i <= kLzwMaxCodes - 256; ++i) PutU16(full, 'A');
  PutU16(full, kLzwMaxCodes);
  streams.push_back(full);
  return streams;
}

TEST(Lzw, DecoderAgreesWithTheStoreDecoder) {
  const std::vector<Bytes> streams = LzwStreams();
  size_t decoded = 0;
  for (size_t i = 0; i < streams.size(); ++i) {
    Bytes out;
    LzwDecode(streams[i], out);
    ASSERT_EQ(out, LzwStoreDecode(streams[i])) << "stream " << i;
    decoded += out.size();
  }
  EXPECT_GT(decoded, 300000u);  // the hostile streams add long runs, not just a few codes
}

// The LZW layer inside a Huffman layer is decoded along with it: the result
// must be what the two decoders give one after the other, however the
// Huffman layer is cut or damaged and wherever the output cap falls.
// fuzz_huffdecode checks this on short inputs; here the streams span several
// 32752-byte blocks, so codes straddle block edges (the method byte puts codes
// at odd offsets).
TEST(Lzw, NestedInHuffmanSameAsOneAfterTheOther) {
  std::vector<Bytes> layers;
  for (const Bytes& codes : LzwStreams()) {
    if (codes.size() < kHuffBlockSize) continue;
    Bytes inner = {kMethodLzw};
    inner.insert(inner.end(), codes.begin(), codes.end());
    layers.push_back(inner);
  }
  ASSERT_GE(layers.size(), 2u);
  size_t fed = 0;
  for (const Bytes& inner : layers) {
    const Bytes huff = Huff(inner);
    std::vector<Bytes> bodies = {Bytes(huff.begin() + 1, huff.end())};
    for (size_t cut : {size_t{7}, huff.size() / 3, huff.size() - 2}) {
      if (cut < huff.size()) bodies.emplace_back(huff.begin() + 1, huff.begin() + static_cast<std::ptrdiff_t>(cut));
    }
    Bytes flipped = bodies[0];
    flipped[flipped.size() / 2] ^= 0x24;
    bodies.push_back(flipped);
    for (const Bytes& body : bodies) {
      for (size_t cap : {kMaxDecodedSize, size_t{1}, size_t{3}, size_t{2500}}) {
        Bytes alone, together;
        bool aloneIntact = false, togetherIntact = true;
        NestedLzw nested;
        const size_t used = HuffDecode(body, alone, cap, &aloneIntact);
        ASSERT_EQ(HuffDecode(body, together, cap, &togetherIntact, nested), used);
        ASSERT_EQ(together, alone);
        ASSERT_EQ(togetherIntact, aloneIntact);
        ASSERT_EQ(nested.found, !alone.empty() && alone[0] == kMethodLzw);
        if (!nested.found) {
          EXPECT_TRUE(nested.bytes.empty());
          continue;
        }
        const Decoded lzw = Decode('L', std::span(alone).subspan(1), cap);
        ASSERT_EQ(nested.bytes, lzw.out) << "layer " << &inner - layers.data() << " cap " << cap;
        ASSERT_EQ(nested.intact, lzw.intact);
        fed += nested.bytes.size();
      }
    }
  }
  EXPECT_GT(fed, 500000u);
}

TEST(Lzw, DamagedCodeStreamsEndTheLayer) {
  struct Case { Bytes codes, out; bool intact; };
  const Case cases[] = {
      {{0xFF, 0xFF}, {}, true},                              // empty layer, ended properly
      {{0x00, 0x01, 0x41, 0x00}, {}, false},                 // first code not a single byte
      {{0x41, 0x00, 0x05, 0x01, 0x42, 0x00}, {'A'}, false},  // code above next
      {{0x41, 0x00, 0x42}, {'A'}, false},                    // no end code, odd byte
  };
  for (const Case& c : cases) {
    const Decoded d = Decode('L', c.codes);
    EXPECT_EQ(d.out, c.out);
    EXPECT_EQ(d.intact, c.intact);
  }
  const Decoded full = Decode('L', LzwStreams().back());
  EXPECT_EQ(full.out, Bytes(kLzwMaxCodes - 255, 'A'));
  EXPECT_TRUE(full.intact);
  const Bytes layer = Lzw(Bytes(100000, 'z'));  // the output cap ends the layer
  const Decoded d = Decode('L', std::span(layer).subspan(1), 5000);
  EXPECT_LE(d.out.size(), 5000u);
  EXPECT_FALSE(d.intact);
}

TEST(RoundTrip, EveryCoderStrideAndFlag) {
  std::vector<Bytes> inputs = {sample::Maps(264, 3), sample::Maps(26400, 4), Bytes(100000, 0), Bytes(100000, 0xC3)};
  for (size_t n = 0; n <= 40; ++n) {
    inputs.push_back(sample::Random(n, n, 256));
    inputs.push_back(sample::Random(n, n + 100, 2));
  }
  for (size_t n : {255u, 256u, 257u, 1000u, 4095u, 4096u, 32751u, 32752u, 32753u, 65537u}) {
    inputs.push_back(sample::Random(n, n, 256));
    inputs.push_back(sample::Text(n, n));
    inputs.push_back(sample::Pixels(n, n));
  }
  // Fibonacci-like counts give Huffman codes far longer than the decoder's table.
  for (size_t n : {1u, 2u, 5u, 32751u, 32752u, 32753u, 70000u, 100000u}) inputs.push_back(sample::Skewed(n, n));
  for (const Bytes& in : inputs) {
    ASSERT_EQ(Unpack(Rle(in)), in) << in.size();
    ASSERT_EQ(Unpack(Huff(in)), in) << in.size();
    for (uint8_t stride = 1; stride <= 3; ++stride) {
      for (uint8_t flags : {uint8_t{0}, kZrNoLzw}) {
        const Bytes packed = ZRCompress(in, stride, flags);
        ASSERT_FALSE(packed.empty());
        if (stride == 1) {
          EXPECT_TRUE(packed[0] == 0 || (packed[0] >= 3 && packed[0] <= 6)) << int(packed[0]);
        }
        if (flags & kZrNoLzw) {
          EXPECT_NE(packed[0], 3);
        }
        ASSERT_EQ(Unpack(packed, true), in) << in.size() << " stride " << int(stride) << " flags " << int(flags);
      }
    }
  }
}

TEST(RoundTrip, StreamFormsKeepPositions) {
  const Bytes in = sample::Text(3000, 9);
  TMemoryStream source, packed, out;
  source.Write("xyz", 3);
  source.Write(in.data(), static_cast<int64_t>(in.size()));
  source.Seek(3, SeekOrigin::Begin);
  packed.Write("HEAD", 4);
  ASSERT_TRUE(ZRCompress(source, packed, static_cast<uint32_t>(in.size())));
  EXPECT_EQ(packed.Bytes(), Bytes({'H', 'E', 'A', 'D'}) + ZRCompress(in));
  packed.Write("TAIL", 4);
  packed.Seek(4, SeekOrigin::Begin);
  ZRUnCompress(packed, out);
  EXPECT_EQ(out.Bytes(), in);
  char tail[4] = {};  // the source is left just after the stream
  EXPECT_EQ(packed.Read(tail, 4), 4);
  EXPECT_EQ(std::string(tail, 4), "TAIL");

  TMemoryStream empty, none, back;  // an empty stored stream, and nothing read from nothing
  ASSERT_TRUE(ZRCompress(empty, none, 0));
  EXPECT_EQ(none.Bytes(), Bytes({0, 0, 0, 0, 0}));
  none.Seek(0, SeekOrigin::Begin);
  ZRUnCompress(none, back);
  ZRUnCompress(empty, back);
  EXPECT_EQ(back.Size(), 0);
}

TEST(ZrcompChoice, EarlierCandidatesWinEveryTie) {
  // Tie preference: R, P, H, RH, RZ, Z, RZH, ZH (so P must be strictly smaller than R).
  const int preference[8] = {kCandR, kCandP, kCandH, kCandRH, kCandRZ, kCandZ, kCandRZH, kCandZH};
  std::array<size_t, 8> sizes;
  for (int a = 0; a < 8; ++a) {
    for (int b = a + 1; b < 8; ++b) {
      sizes.fill(100);
      sizes[preference[a]] = sizes[preference[b]] = 50;
      EXPECT_EQ(ZRChooseCandidate(sizes, true), preference[a]) << a << " vs " << b;
    }
  }
  for (int c = 0; c < 8; ++c) {  // each wins alone; without LZW the last four never take part
    sizes.fill(100);
    sizes[c] = 99;
    EXPECT_EQ(ZRChooseCandidate(sizes, true), c);
    EXPECT_EQ(ZRChooseCandidate(sizes, false), c >= kCandRZ ? kCandR : c);
  }
}

Bytes Stored(const Bytes& data) {  // the stored stream P: method 0 and the size, then the data
  Bytes p{0};
  PutU16(p, static_cast<uint32_t>(data.size()));
  PutU16(p, static_cast<uint32_t>(data.size() >> 16));
  return p + data;
}

TEST(ZrcompChoice, OutputIsTheChosenCandidateChain) {
  for (const Bytes& data : {sample::Text(6000, 2), sample::Pixels(6000, 2), sample::Random(600, 2),
                            sample::Maps(264, 2), Bytes(5000, 'x')}) {
    const Bytes p = Stored(data), r = Rle(p), z = Lzw(p), rz = Lzw(r);
    const Bytes chains[8] = {p, r, Huff(p), Huff(r), rz, z, Huff(rz), Huff(z)};
    std::array<size_t, 8> sizes;
    for (int i = 0; i < 8; ++i) sizes[i] = chains[i].size();
    EXPECT_EQ(ZRCompress(data), chains[ZRChooseCandidate(sizes, true)]);
  }
}

TEST(ZrcompChoice, ReportLinesInOrderAndLzwLinesDroppedByFlag) {
  const Bytes data = sample::Text(1000, 4), p = Stored(data), r = Rle(p), z = Lzw(p), rz = Lzw(r);
  auto line = [](const char* label, const Bytes& b) { return label + std::to_string(b.size()) + " bytes.\n"; };
  ::testing::internal::CaptureStdout();
  ZRCompress(data, 1, kZrReport);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Original size: 1000+5 bytes.\n" + line("RLE size: ", r) + line("LZ size: ", z) + line("RLE+LZ size: ", rz) +
                line("RLE+LZ+Huffman size: ", Huff(rz)) + line("LZ+Huffman size: ", Huff(z)) +
                line("Huffman size: ", Huff(p)) + line("RLE+Huffman size: ", Huff(r)));

  ::testing::internal::CaptureStdout();
  ZRCompress(data, 2, kZrReport | kZrNoLzw);
  const std::string noLzw = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(noLzw.find("LZ"), std::string::npos);
  EXPECT_EQ(noLzw.find("Original size: 1000+5 bytes.\n"), 0u);
  EXPECT_EQ(std::count(noLzw.begin(), noLzw.end(), '\n'), 4);

  ::testing::internal::CaptureStdout();
  ZRCompress(data);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST(ZrcompBounds, TruncatedStreamsGiveAPrefixNeverACrash) {
  LogCapture quiet;
  for (const Bytes& data : {sample::Text(5000, 3), sample::Pixels(5000, 3), sample::Random(500, 3)}) {
    for (uint8_t stride = 1; stride <= 3; ++stride) {
      const Bytes packed = ZRCompress(data, stride);
      for (size_t cut = 0; cut < packed.size(); ++cut) {
        const Decoded d = Decode('Z', std::span(packed).first(cut));
        EXPECT_LE(d.used, cut);
        EXPECT_FALSE(d.intact) << cut;
        EXPECT_LE(d.out.size(), data.size());
        if (stride == 1) {
          ASSERT_TRUE(std::equal(d.out.begin(), d.out.end(), data.begin())) << "cut at " << cut;
        }
      }
    }
  }
}

TEST(ZrcompBounds, ClaimedSizesExpansionAndEmptyPieces) {
  LogCapture quiet;
  // Stored, planar and RLE layers claiming 4 GiB give what they hold.
  EXPECT_EQ(ZRUnCompress(Bytes{0, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'}), Bytes({'a', 'b'}));
  EXPECT_EQ(ZRUnCompress(Bytes{1, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'}), Bytes({'a', 'c', 'b'}));
  EXPECT_EQ(ZRUnCompress(Bytes{6, 0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 'z'}), Bytes({'z'}));
  Bytes huff = Huff(Bytes{'h', 'i'});  // a Huffman total of 4 GiB with one real block
  huff[1] = huff[2] = huff[3] = huff[4] = 0xFF;
  Decoded d = Decode('H', std::span(huff).subspan(1));
  EXPECT_EQ(d.out, Bytes({'h', 'i'}));
  EXPECT_FALSE(d.intact);
  Bytes rle{6, 0xD5, 0x07, 0, 0};  // 2005 bytes of runs of 255 would expand 127-fold; the cap cuts it
  for (int i = 0; i < 1000; ++i) rle.insert(rle.end(), {0x80 | 'q', 255});
  d = Decode('Z', rle, 10000);
  EXPECT_LE(d.out.size(), 10000u);
  EXPECT_FALSE(d.intact);

  // Regression (fuzzing): a zero-length first run wrote through a null output.
  d = Decode('R', Bytes{6, 7, 0, 0, 0, 0x81, 0});
  EXPECT_EQ(d.used, 7u);
  EXPECT_TRUE(d.out.empty());
  EXPECT_EQ(ZRUnCompress(Bytes{6, 13, 0, 0, 0, 0x81, 0, 0, 1, 0, 0, 0, 'q'}), Bytes({'q'}));
  Bytes prefilled{'a', 'b'};
  RleDecode(Bytes{6, 7, 0, 0, 0, 0x81, 0}, prefilled);
  EXPECT_EQ(prefilled, Bytes({'a', 'b'}));
}

TEST(ZrcompBounds, ChainsDeeperThanAnyWriterMakesEndEmpty) {
  // A self-reproducing chain must not peel forever; four layers (the most the
  // compressor writes) decode, forty end empty.
  LogCapture quiet;
  Bytes stream = {0, 1, 0, 0, 0, 'k'};
  for (int i = 1; i <= 40; ++i) {
    stream = Rle(stream);
    if (i == 3) {
      EXPECT_EQ(ZRUnCompress(stream), Bytes({'k'}));
    }
  }
  const Decoded d = Decode('Z', stream);
  EXPECT_TRUE(d.out.empty());
  EXPECT_FALSE(d.intact);
}

}  // namespace
}  // namespace quarry
