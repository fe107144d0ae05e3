// The compressor's choice, its size report, and the decompressor's bounds.
#include <gtest/gtest.h>

#include <array>

#include "archive/huffman.h"
#include "archive/lzw.h"
#include "archive/rle.h"
#include "archive/zrcomp.h"
#include "sample_data.h"
#include "test_support.h"

namespace quarry {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(ZrcompChoice, EarlierCandidatesWinEveryTie) {
  // Tie preference: R, P, H, RH, RZ, Z, RZH, ZH (P needs to be strictly
  // smaller than R).
  const int preference[8] = {kCandR, kCandP, kCandH, kCandRH, kCandRZ, kCandZ, kCandRZH, kCandZH};
  for (int a = 0; a < 8; ++a) {
    for (int b = a + 1; b < 8; ++b) {
      std::array<size_t, 8> sizes;
      sizes.fill(100);
      sizes[preference[a]] = 50;
      sizes[preference[b]] = 50;
      EXPECT_EQ(ZRChooseCandidate(sizes, true), preference[a]) << a << " vs " << b;
    }
  }
  // Every candidate wins when it alone is smallest; without LZW the last
  // four never take part.
  for (int c = 0; c < 8; ++c) {
    std::array<size_t, 8> sizes;
    sizes.fill(100);
    sizes[c] = 99;
    EXPECT_EQ(ZRChooseCandidate(sizes, true), c);
    EXPECT_EQ(ZRChooseCandidate(sizes, false), c >= kCandRZ ? kCandR : c);
  }
  // The start is P only when strictly smaller than R.
  std::array<size_t, 8> sizes{10, 11, 50, 50, 50, 50, 50, 50};
  EXPECT_EQ(ZRChooseCandidate(sizes, true), kCandP);
  sizes[kCandP] = 11;
  EXPECT_EQ(ZRChooseCandidate(sizes, true), kCandR);
}

TEST(ZrcompChoice, OutputIsTheChosenCandidateChain) {
  // Rebuild the eight chains from the single coders and check that the
  // compressor wrote the one its rule picks, for several kinds of data.
  for (const Bytes& data : {sample::Text(6000, 2), sample::Pixels(6000, 2), sample::Random(600, 2),
                            sample::Maps(264, 2), Bytes(5000, 'x')}) {
    Bytes p{0, 0, 0, 0, 0};
    const uint32_t n = static_cast<uint32_t>(data.size());
    for (int i = 0; i < 4; ++i) p[1 + i] = static_cast<uint8_t>(n >> (8 * i));
    p.insert(p.end(), data.begin(), data.end());
    Bytes r, z, rz, rzh, zh, h, rh;
    RleEncode(p, r);
    LzwEncode(p, z);
    LzwEncode(r, rz);
    HuffEncode(rz, rzh);
    HuffEncode(z, zh);
    HuffEncode(p, h);
    HuffEncode(r, rh);
    const Bytes* chains[8] = {&p, &r, &h, &rh, &rz, &z, &rzh, &zh};
    std::array<size_t, 8> sizes;
    for (int i = 0; i < 8; ++i) sizes[i] = chains[i]->size();
    EXPECT_EQ(ZRCompress(data), *chains[ZRChooseCandidate(sizes, true)]);
  }
}

TEST(ZrcompReport, LinesInOrderAndLzwLinesDroppedByFlag) {
  const Bytes data = sample::Text(1000, 4);
  ::testing::internal::CaptureStdout();
  ZRCompress(data, 1, kZrReport);
  const std::string full = ::testing::internal::GetCapturedStdout();
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = full.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(full.substr(start, end - start));
  const char* labels[] = {"Original size: 1000+5 bytes.", "RLE size: ", "LZ size: ",
                          "RLE+LZ size: ", "RLE+LZ+Huffman size: ", "LZ+Huffman size: ",
                          "Huffman size: ", "RLE+Huffman size: "};
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(full.back(), '\n');
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(lines[i].rfind(labels[i], 0), 0u) << lines[i];
    EXPECT_TRUE(lines[i].ends_with(" bytes.")) << lines[i];
  }
  // The sizes are those of the candidate layers: RLE of P.
  Bytes p{0, 0xE8, 3, 0, 0};
  p.insert(p.end(), data.begin(), data.end());
  Bytes r;
  RleEncode(p, r);
  EXPECT_NE(full.find("RLE size: " + std::to_string(r.size()) + " bytes.\n"), std::string::npos);

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

class ZrcompBounds : public testing_support::ArchiveTest {};

TEST_F(ZrcompBounds, TruncatedStreamsGiveAPrefixNeverACrash) {
  for (const Bytes& data : {sample::Text(5000, 3), sample::Pixels(5000, 3), sample::Random(500, 3)}) {
    for (uint8_t stride = 1; stride <= 3; ++stride) {
      const Bytes packed = ZRCompress(data, stride);
      for (size_t cut = 0; cut < packed.size(); ++cut) {
        Bytes out;
        bool intact = true;
        const size_t used = ZRUnCompress(std::span(packed).first(cut), out, kMaxDecodedSize, &intact);
        EXPECT_LE(used, cut);
        EXPECT_FALSE(intact) << cut;
        EXPECT_LE(out.size(), data.size());
        if (stride == 1) {
          ASSERT_TRUE(std::equal(out.begin(), out.end(), data.begin())) << "cut at " << cut;
        }
      }
    }
  }
}

TEST_F(ZrcompBounds, ClaimedSizesAreNotTrusted) {
  // Stored and planar layers that claim 4 GiB give what they hold.
  EXPECT_EQ(ZRUnCompress(Bytes{0, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'}), Bytes({'a', 'b'}));
  EXPECT_EQ(ZRUnCompress(Bytes{1, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'}), Bytes({'a', 'c', 'b'}));
  // An RLE total far beyond the input stops at the input's end.
  EXPECT_EQ(ZRUnCompress(Bytes{6, 0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 'z'}), Bytes({'z'}));
  // A Huffman total of 4 GiB with one real block.
  Bytes huff;
  HuffEncode(Bytes{'h', 'i'}, huff);
  huff[1] = huff[2] = huff[3] = huff[4] = 0xFF;
  Bytes out;
  bool intact = true;
  HuffDecode(std::span(huff).subspan(1), out, kMaxDecodedSize, &intact);
  EXPECT_EQ(out, Bytes({'h', 'i'}));
  EXPECT_FALSE(intact);
}

TEST_F(ZrcompBounds, EmptyPiecesIntoAnEmptyOutput) {
  // A run of length 0 as the very first piece once wrote a whole word
  // through a null output pointer (found by fuzzing).
  Bytes out;
  EXPECT_EQ(RleDecode(Bytes{6, 7, 0, 0, 0, 0x81, 0}, out), 7u);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(ZRUnCompress(Bytes{6, 13, 0, 0, 0, 0x81, 0, 0, 1, 0, 0, 0, 'q'}), Bytes({'q'}));
  Bytes prefilled{'a', 'b'};
  RleDecode(Bytes{6, 7, 0, 0, 0, 0x81, 0}, prefilled);
  EXPECT_EQ(prefilled, Bytes({'a', 'b'}));
}

TEST_F(ZrcompBounds, OutputCapHoldsForExpandingLayers) {
  // 2 KiB of RLE runs of 255 would expand 127-fold; the cap cuts it.
  Bytes rle{6, 0, 0, 0, 0};
  for (int i = 0; i < 1000; ++i) {
    rle.push_back(0x80 | 'q');
    rle.push_back(255);
  }
  const uint32_t total = static_cast<uint32_t>(rle.size());
  for (int i = 0; i < 4; ++i) rle[1 + i] = static_cast<uint8_t>(total >> (8 * i));
  Bytes out;
  bool intact = true;
  ZRUnCompress(rle, out, 10000, &intact);
  EXPECT_LE(out.size(), 10000u);
  EXPECT_FALSE(intact);
}

TEST_F(ZrcompBounds, ChainsDeeperThanAnyWriterMakesEndEmpty) {
  // Forty nested RLE layers: well-formed, but no writer nests that deep, and
  // a self-reproducing chain must not peel forever.
  Bytes stream = {0, 1, 0, 0, 0, 'k'};
  for (int i = 0; i < 40; ++i) {
    Bytes layer;
    RleEncode(stream, layer);
    stream = layer;
  }
  Bytes out;
  bool intact = true;
  ZRUnCompress(stream, out, kMaxDecodedSize, &intact);
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(intact);
  // Four layers, as the compressor writes at most, decode.
  Bytes four = {0, 1, 0, 0, 0, 'k'};
  for (int i = 0; i < 3; ++i) {
    Bytes layer;
    RleEncode(four, layer);
    four = layer;
  }
  EXPECT_EQ(ZRUnCompress(four), Bytes({'k'}));
}

TEST_F(ZrcompBounds, FlippedBytesNeverCrash) {
  const Bytes data = sample::Text(4000, 11);
  const Bytes packed = ZRCompress(data);
  sample::Rng rng(5);
  for (size_t i = 0; i < packed.size(); ++i) {
    Bytes damaged = packed;
    damaged[i] ^= static_cast<uint8_t>(1 + rng.Below(255));
    Bytes out;
    ZRUnCompress(damaged, out, 1 << 20);
    EXPECT_LE(out.size(), size_t{1} << 20);
  }
  for (int round = 0; round < 300; ++round) {
    Bytes noise = sample::Random(1 + rng.Below(300), round);
    noise[0] = static_cast<uint8_t>(rng.Below(7));
    Bytes out;
    ZRUnCompress(noise, out, 1 << 20);
  }
}

}  // namespace
}  // namespace quarry
