// The LZW coder: the trie index against the bucket walk, the dictionary and
// store limits, and decoding of damaged code streams.
#include <gtest/gtest.h>

#include "archive/lzw.h"
#include "lzw_reference.h"
#include "sample_data.h"

namespace quarry {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& in) {
  Bytes out;
  LzwEncode(in, out);
  return out;
}

Bytes Decode(const Bytes& layer, bool* intact = nullptr) {
  Bytes out;
  LzwDecode(std::span(layer).subspan(1), out, kMaxDecodedSize, intact);
  return out;
}

uint32_t CodeAt(const Bytes& layer, size_t i) { return layer[1 + 2 * i] | (layer[2 + 2 * i] << 8); }

TEST(LzwIndex, SameCodesAsTheBucketWalk) {
  // Small alphabets make long matches and duplicate strings (a match that
  // fills the lookahead adds a string that may exist already), where "the
  // oldest of equal matches" decides the code.
  std::vector<Bytes> inputs;
  for (uint64_t seed = 1; seed <= 6; ++seed) {
    inputs.push_back(sample::Random(3000 + seed * 777, seed, 2));
    inputs.push_back(sample::Random(5000, seed, 3 + static_cast<uint32_t>(seed)));
    inputs.push_back(sample::Text(20000, seed));
    inputs.push_back(sample::Maps(9000, seed));
    inputs.push_back(sample::Pixels(12000, seed));
  }
  inputs.push_back(Bytes(70000, 0));                     // store limit
  inputs.push_back(sample::Random(120000, 99));          // dictionary full
  inputs.push_back(sample::Text(300000, 7));             // full, long matches
  for (int n = 1; n <= 9; ++n) inputs.push_back(sample::Random(static_cast<size_t>(n), n, 3));
  for (const Bytes& in : inputs) {
    const Bytes fast = Encode(in);
    ASSERT_EQ(fast, reference::LzwEncodeBucketWalk(in)) << "input of " << in.size() << " bytes";
    ASSERT_EQ(Decode(fast), in);
  }
}

TEST(LzwLimits, FullDictionaryKeepsCoding) {
  // Random bytes fill all 32768 codes quickly; coding then goes on with the
  // full dictionary and must still decode.
  const Bytes in = sample::Random(400000, 5);
  const Bytes layer = Encode(in);
  uint32_t highest = 0;
  const size_t codes = (layer.size() - 1) / 2;
  for (size_t i = 0; i + 1 < codes; ++i) highest = std::max(highest, CodeAt(layer, i));
  EXPECT_EQ(highest, kLzwMaxCodes - 1);
  EXPECT_EQ(Decode(layer), in);
}

// Zeros give strings of lengths 2, 3, 4, ...; the string of length L is added
// while 255 + L(L+1)/2 < 0x40000, which holds up to L = 723.
TEST(LzwLimits, StringStoreStopsJustBelowItsLimit) {
  const size_t longest = 723;
  const Bytes in(longest * (longest + 1) / 2 + 5000, 0);
  const Bytes layer = Encode(in);
  // With zeros the k-th code sent is 256 + k - 2 (k >= 2): each match is the
  // newest string. Once adding stops, matches stay at the longest string.
  const size_t codes = (layer.size() - 1) / 2 - 1;
  uint32_t highest = 0;
  for (size_t i = 0; i < codes; ++i) highest = std::max(highest, CodeAt(layer, i));
  EXPECT_EQ(highest, 256u + (longest - 2));  // code of the 723-byte string
  EXPECT_EQ(Decode(layer), in);
}

// Builds a code stream that leaves the decoder's store filled to a chosen
// level: a ladder of 'a' strings of lengths 2..ladder, then 'b' codes that
// each add a 2-byte string.
Bytes StoreFiller(uint32_t ladder, uint32_t bCodes, uint32_t& next, uint32_t& fill) {
  Bytes layer{3};
  auto put = [&layer](uint32_t c) {
    layer.push_back(static_cast<uint8_t>(c));
    layer.push_back(static_cast<uint8_t>(c >> 8));
  };
  put('a');
  next = 256;
  for (uint32_t len = 2; len <= ladder; ++len) put(next++);
  put('b');  // adds the longest 'a' string plus 'b'
  ++next;
  for (uint32_t i = 0; i < bCodes; ++i, ++next) put('b');
  fill = 255 + ladder * (ladder + 1) / 2 + (ladder + 1) + 2 * bCodes;
  return layer;
}

TEST(LzwLimits, AddJustBelowTheStoreLimitHappens) {
  uint32_t next, fill;
  Bytes layer = StoreFiller(699, 8268, next, fill);
  ASSERT_EQ(fill, kLzwStoreSize - 3);
  // "b" + "c" needs 2 bytes: 0x3FFFF stays below the limit, so it is added
  // and its code can be used at once.
  for (uint32_t c : {uint32_t{'c'}, next, uint32_t{kLzwEndCode}}) {
    layer.push_back(static_cast<uint8_t>(c));
    layer.push_back(static_cast<uint8_t>(c >> 8));
  }
  bool intact = false;
  const Bytes out = Decode(layer, &intact);
  EXPECT_TRUE(intact);
  ASSERT_GE(out.size(), 4u);
  EXPECT_EQ(Bytes(out.end() - 4, out.end()), Bytes({'b', 'c', 'b', 'c'}));
}

TEST(LzwLimits, AddThatWouldReachTheStoreLimitDoesNot) {
  uint32_t next, fill;
  Bytes layer = StoreFiller(700, 7918, next, fill);
  ASSERT_EQ(fill, kLzwStoreSize - 2);
  // "b" + "c" would end exactly at 0x40000: not added, so its would-be code
  // is unknown and ends the layer after the 'c'.
  for (uint32_t c : {uint32_t{'c'}, next, uint32_t{kLzwEndCode}}) {
    layer.push_back(static_cast<uint8_t>(c));
    layer.push_back(static_cast<uint8_t>(c >> 8));
  }
  bool intact = true;
  const Bytes out = Decode(layer, &intact);
  EXPECT_FALSE(intact);
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(Bytes(out.end() - 2, out.end()), Bytes({'b', 'c'}));
}

TEST(LzwDamage, BadCodesEndTheLayer) {
  bool intact = true;
  // A first code of 0x8000 or more, or above the single bytes: nothing.
  EXPECT_TRUE(Decode({3, 0xFF, 0xFF}, &intact).empty());
  EXPECT_TRUE(intact);  // an empty layer, ended properly
  EXPECT_TRUE(Decode({3, 0x00, 0x01, 0x41, 0x00}, &intact).empty());
  EXPECT_FALSE(intact);
  // A code above next ends the layer with what was decoded.
  EXPECT_EQ(Decode({3, 0x41, 0x00, 0x05, 0x01, 0x42, 0x00}, &intact), Bytes({'A'}));
  EXPECT_FALSE(intact);
  // Missing end code and a trailing odd byte.
  EXPECT_EQ(Decode({3, 0x41, 0x00, 0x42}, &intact), Bytes({'A'}));
  EXPECT_FALSE(intact);
}

TEST(LzwDamage, OutputCapEndsTheLayer) {
  const Bytes in(100000, 'z');
  const Bytes layer = Encode(in);
  Bytes out;
  bool intact = true;
  LzwDecode(std::span(layer).subspan(1), out, 5000, &intact);
  EXPECT_LE(out.size(), 5000u);
  EXPECT_FALSE(intact);
}

}  // namespace
}  // namespace quarry
