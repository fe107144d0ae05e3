// Hand-computed byte vectors: each pins one detail of the stored format that
// a round trip alone would not notice (piece sizes, tie rules, bit order).
#include <gtest/gtest.h>

#include "archive/huffman.h"
#include "archive/lzw.h"
#include "archive/rle.h"
#include "archive/zrcomp.h"
#include "test_support.h"

namespace quarry {
namespace {

using Bytes = std::vector<uint8_t>;
using testing_support::ArchiveTest;

Bytes Rle(const Bytes& in) {
  Bytes out;
  const size_t n = RleEncode(in, out);
  EXPECT_EQ(n, out.size());
  return out;
}

Bytes Huff(const Bytes& in) {
  Bytes out;
  HuffEncode(in, out);
  return out;
}

Bytes Lzw(const Bytes& in) {
  Bytes out;
  LzwEncode(in, out);
  return out;
}

Bytes UnRle(const Bytes& layer) {
  Bytes out;
  EXPECT_EQ(RleDecode(layer, out), layer.size());
  return out;
}

Bytes UnHuff(const Bytes& layer) {
  Bytes out;
  bool intact = false;
  EXPECT_EQ(HuffDecode(std::span(layer).subspan(1), out, kMaxDecodedSize, &intact), layer.size() - 1);
  EXPECT_TRUE(intact);
  return out;
}

TEST(RleVectors, SevenBitVariantKeepsStoredQuirks) {
  // A literal stretch gives back its last two bytes, and a final equal pair
  // is sent as two literals rather than a run.
  const Bytes abcdd = {'A', 'B', 'C', 'D', 'D'};
  const Bytes expect = {6, 10, 0, 0, 0, 'A', 'B', 'C', 'D', 'D'};
  EXPECT_EQ(Rle(abcdd), expect);
  EXPECT_EQ(UnRle(expect), abcdd);

  // A run ended by the last byte: run 3, then that byte as a literal.
  const Bytes aaab = {'A', 'A', 'A', 'B'};
  const Bytes expect2 = {6, 8, 0, 0, 0, 0xC1, 3, 'B'};
  EXPECT_EQ(Rle(aaab), expect2);
  EXPECT_EQ(UnRle(expect2), aaab);
}

TEST(RleVectors, EightBitVariantCountsPieces) {
  const Bytes in = {0x80, 0x80, 0x80, 0x01, 0x02, 0x03, 0x03, 0x03};
  const Bytes expect = {5, 12, 0, 0, 0, 0x82, 0x80, 0x01, 0x01, 0x02, 0x82, 0x03};
  EXPECT_EQ(Rle(in), expect);
  EXPECT_EQ(UnRle(expect), in);
}

TEST(RleVectors, RunOf300SplitsByVariant) {
  const Bytes seven(300, 0x61);
  const Bytes expect7 = {6, 9, 0, 0, 0, 0xE1, 255, 0xE1, 45};
  EXPECT_EQ(Rle(seven), expect7);
  EXPECT_EQ(UnRle(expect7), seven);

  const Bytes eight(300, 0x90);
  const Bytes expect8 = {5, 11, 0, 0, 0, 0xFF, 0x90, 0xFF, 0x90, 0xAB, 0x90};
  EXPECT_EQ(Rle(eight), expect8);
  EXPECT_EQ(UnRle(expect8), eight);
}

TEST(RleVectors, OneHighByteAnywhereSelectsVariantFive) {
  Bytes in(100, 'x');
  EXPECT_EQ(Rle(in)[0], 6);
  in[57] = 0x80;
  EXPECT_EQ(Rle(in)[0], 5);
  EXPECT_EQ(UnRle(Rle(in)), in);
}

TEST(RleVectors, LongLiteralStretchUsesPiecesOf128) {
  Bytes in;
  for (int i = 0; i < 300; ++i) in.push_back(static_cast<uint8_t>(0x80 | (i & 1) | ((i % 7) << 2)));
  const Bytes out = Rle(in);
  // 298 literals (the stretch gives its last two back, which end as a pair):
  // pieces 128, 128, 42, then the final pair.
  EXPECT_EQ(out[5], 0x7F);
  EXPECT_EQ(out[5 + 129], 0x7F);
  EXPECT_EQ(out[5 + 258], 41);
  EXPECT_EQ(out.size(), 5u + 129 + 129 + 43 + 3);
  EXPECT_EQ(UnRle(out), in);
}

TEST(LzwVectors, PinsCodesAndCodeEqualToNext) {
  // The last code (258) is the one being defined when the decoder meets it.
  const Bytes in = {'A', 'B', 'A', 'B', 'A', 'B', 'A'};
  const Bytes expect = {3, 0x41, 0, 0x42, 0, 0x00, 0x01, 0x02, 0x01, 0xFF, 0xFF};
  EXPECT_EQ(Lzw(in), expect);
  Bytes out;
  bool intact = false;
  EXPECT_EQ(LzwDecode(std::span(expect).subspan(1), out, kMaxDecodedSize, &intact), 10u);
  EXPECT_TRUE(intact);
  EXPECT_EQ(out, in);
}

TEST(HuffmanVectors, TwoValuesWithEqualCountsLowerGoesLeft) {
  const Bytes expect = {4, 2, 0, 0, 0, 2, 0, 0x50, 0x68, 0x48};
  EXPECT_EQ(Huff({'A', 'B'}), expect);
  EXPECT_EQ(UnHuff(expect), Bytes({'A', 'B'}));
}

TEST(HuffmanVectors, LighterValueIsTheLeftChild) {
  const Bytes expect = {4, 3, 0, 0, 0, 3, 0, 0x50, 0xA8, 0x38};
  EXPECT_EQ(Huff({'A', 'A', 'B'}), expect);
  EXPECT_EQ(UnHuff(expect), Bytes({'A', 'A', 'B'}));
}

TEST(HuffmanVectors, InternalNodeWinsTieByLowerNodeNumber) {
  // C(1)+A(2) become node 0 (weight 3), which ties with B(3) and, being the
  // lower node number, is the left child: C=00, A=01, B=1.
  const Bytes in = {'A', 'A', 'B', 'B', 'B', 'C'};
  const Bytes expect = {4, 6, 0, 0, 0, 6, 0, 0x28, 0x74, 0x1A, 0x12, 0xF0};
  EXPECT_EQ(Huff(in), expect);
  EXPECT_EQ(UnHuff(expect), in);
}

TEST(HuffmanVectors, LoneValueIsPairedWithItself) {
  // Only byte 0: the root's two children are both its leaf; each byte is "1".
  const Bytes zeros = {0, 0, 0};
  const Bytes expect0 = {4, 3, 0, 0, 0, 3, 0, 0x40, 0x20, 0x1C};
  EXPECT_EQ(Huff(zeros), expect0);
  EXPECT_EQ(UnHuff(expect0), zeros);
  // Any other lone value gets the same shape.
  const Bytes as = {'A', 'A'};
  const Bytes expectA = {4, 2, 0, 0, 0, 2, 0, 0x50, 0x68, 0x38};
  EXPECT_EQ(Huff(as), expectA);
  EXPECT_EQ(UnHuff(expectA), as);
}

TEST(HuffmanVectors, EmptyInputIsOneEmptyBlock) {
  const Bytes expect = {4, 0, 0, 0, 0, 0, 0, 0x40, 0x20, 0x00};
  EXPECT_EQ(Huff({}), expect);
  Bytes out;
  HuffDecode(std::span(expect).subspan(1), out);
  EXPECT_TRUE(out.empty());
}

TEST(HuffmanVectors, SecondBlockStartsOnAByteBoundary) {
  Bytes in(kHuffBlockSize, 'A');
  in.push_back('B');
  const Bytes out = Huff(in);
  // Block 1: u16 32752, 19 tree bits + 32752 one-bit codes = 4097 bytes.
  ASSERT_EQ(out.size(), 5u + 2 + 4097 + 2 + 3);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 7), Bytes({4, 0xF1, 0x7F, 0, 0, 0xF0, 0x7F}));
  EXPECT_EQ(Bytes(out.end() - 5, out.end()), Bytes({1, 0, 0x50, 0xA8, 0x50}));
  EXPECT_EQ(UnHuff(out), in);
}

TEST(ZrcompVectors, TinyInputStaysStored) {
  EXPECT_EQ(ZRCompress(Bytes{'A'}), Bytes({0, 1, 0, 0, 0, 'A'}));
}

TEST(ZrcompVectors, StoredEqualToRleKeepsRle) {
  // P and R are both 15 bytes; the tie goes to R.
  const Bytes in = {'A', 'B', 'C', 'C', 'C', 'C', 'C', 'C', 'D', 'E'};
  const Bytes expect = {6, 15, 0, 0, 0, 0, 10, 0x80, 3, 'A', 'B', 0xC3, 6, 'D', 'E'};
  EXPECT_EQ(ZRCompress(in), expect);
  EXPECT_EQ(ZRUnCompress(expect), in);
}

TEST(ZrcompVectors, PlanarLayersForEveryLength) {
  const Bytes five = {'A', 'B', 'C', 'D', 'E'};
  const Bytes expect2 = {1, 5, 0, 0, 0, 'A', 'C', 'E', 'B', 'D'};
  EXPECT_EQ(ZRCompress(five, 2), expect2);
  EXPECT_EQ(ZRUnCompress(expect2), five);

  const Bytes seven = {'A', 'B', 'C', 'D', 'E', 'F', 'G'};
  const Bytes expect3 = {2, 7, 0, 0, 0, 'A', 'D', 'G', 'B', 'E', 'C', 'F'};
  EXPECT_EQ(ZRCompress(seven, 3), expect3);
  EXPECT_EQ(ZRUnCompress(expect3), seven);
}

TEST(ZrcompVectors, RefusesStridesThatCollideWithMethods) {
  Bytes out;
  EXPECT_FALSE(ZRCompress(Bytes{1, 2, 3}, out, 0));
  EXPECT_FALSE(ZRCompress(Bytes{1, 2, 3}, out, 4));
  EXPECT_TRUE(out.empty());
}

class ZrcompLogTest : public ArchiveTest {};

TEST_F(ZrcompLogTest, UnknownMethodIsLoggedAndSkipped) {
  const Bytes in = {7, 0, 1, 0, 0, 0, 'x'};
  EXPECT_EQ(ZRUnCompress(in), Bytes({'x'}));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "[ZRCOMP, ZRUnCompress] ZRUnCompress: Unknown compression method! (0x07)");
}

TEST_F(ZrcompLogTest, InputEndingWhileSearchingStops) {
  Bytes out;
  bool intact = true;
  EXPECT_EQ(ZRUnCompress(Bytes{0xAB, 0xFF}, out, kMaxDecodedSize, &intact), 2u);
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(intact);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "[ZRCOMP, ZRUnCompress] ZRUnCompress: Unknown compression method! (0xAB)");
  EXPECT_EQ(lines[1], "[ZRCOMP, ZRUnCompress] ZRUnCompress: Unknown compression method! (0xFF)");
}

}  // namespace
}  // namespace quarry
