// Round trips through ZRCompress/ZRUnCompress and the single coders over
// seeded inputs of many lengths and kinds.
#include <gtest/gtest.h>

#include "archive/huffman.h"
#include "archive/rle.h"
#include "archive/zrcomp.h"
#include "core/stream.h"
#include "sample_data.h"

namespace quarry {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> Inputs() {
  std::vector<Bytes> inputs;
  for (size_t n = 0; n <= 40; ++n) {
    inputs.push_back(sample::Random(n, n, 256));
    inputs.push_back(sample::Random(n, n + 100, 2));
  }
  for (size_t n : {255u, 256u, 257u, 1000u, 4095u, 4096u, 32751u, 32752u, 32753u, 65537u}) {
    inputs.push_back(sample::Random(n, n, 256));
    inputs.push_back(sample::Text(n, n));
    inputs.push_back(sample::Pixels(n, n));
  }
  inputs.push_back(sample::Maps(264, 3));
  inputs.push_back(sample::Maps(26400, 4));
  inputs.push_back(sample::Skewed(70000, 8));
  inputs.push_back(Bytes(100000, 0));
  inputs.push_back(Bytes(100000, 0xC3));
  return inputs;
}

TEST(ZrcompRoundTrip, EveryStrideAndFlagGivesTheInputBack) {
  for (const Bytes& in : Inputs()) {
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
        Bytes out;
        bool intact = false;
        EXPECT_EQ(ZRUnCompress(packed, out, kMaxDecodedSize, &intact), packed.size());
        EXPECT_TRUE(intact);
        ASSERT_EQ(out, in) << "length " << in.size() << " stride " << int(stride) << " flags "
                           << int(flags);
      }
    }
  }
}

TEST(ZrcompRoundTrip, CompressibleDataShrinks) {
  // Catches a choice that keeps a bigger candidate.
  const Bytes text = sample::Text(50000, 1);
  EXPECT_LT(ZRCompress(text).size(), text.size() / 2);
  const Bytes pixels = sample::Pixels(50000, 1);
  EXPECT_LT(ZRCompress(pixels).size(), pixels.size() / 4);
  const Bytes noise = sample::Random(50000, 1);
  EXPECT_LE(ZRCompress(noise).size(), noise.size() + 5);
}

TEST(ZrcompRoundTrip, StreamFormsKeepPositions) {
  const Bytes in = sample::Text(3000, 9);
  TMemoryStream source;
  source.Write("xyz", 3);
  source.Write(in.data(), static_cast<int64_t>(in.size()));
  source.Seek(3, SeekOrigin::Begin);
  TMemoryStream packed;
  packed.Write("HEAD", 4);
  ASSERT_TRUE(ZRCompress(source, packed, static_cast<uint32_t>(in.size())));
  Bytes expect{'H', 'E', 'A', 'D'};
  const Bytes body = ZRCompress(in);
  expect.insert(expect.end(), body.begin(), body.end());
  EXPECT_EQ(packed.Bytes(), expect);
  packed.Write("TAIL", 4);
  packed.Seek(4, SeekOrigin::Begin);
  TMemoryStream out;
  ZRUnCompress(packed, out);
  EXPECT_EQ(out.Bytes(), in);
  // The source is left just after the stream, where the tail begins.
  char tail[4] = {};
  EXPECT_EQ(packed.Read(tail, 4), 4);
  EXPECT_EQ(std::string(tail, 4), "TAIL");
}

TEST(ZrcompRoundTrip, StreamFormsWithNothingToDo) {
  TMemoryStream empty;
  TMemoryStream packed;
  ASSERT_TRUE(ZRCompress(empty, packed, 0));
  EXPECT_EQ(packed.Bytes(), Bytes({0, 0, 0, 0, 0}));
  packed.Seek(0, SeekOrigin::Begin);
  TMemoryStream out;
  ZRUnCompress(packed, out);
  EXPECT_EQ(out.Size(), 0);
  ZRUnCompress(empty, out);
  EXPECT_EQ(out.Size(), 0);
}

TEST(HuffmanRoundTrip, LongCodesAndBlockEdges) {
  // Fibonacci-like counts give codes far longer than the decoder's table.
  for (size_t n : {1u, 2u, 5u, 32751u, 32752u, 32753u, 100000u}) {
    for (const Bytes& in : {sample::Skewed(n, n), sample::Random(n, n), Bytes(n, 0), Bytes(n, 0x7E)}) {
      Bytes layer;
      HuffEncode(in, layer);
      Bytes out;
      bool intact = false;
      EXPECT_EQ(HuffDecode(std::span(layer).subspan(1), out, kMaxDecodedSize, &intact),
                layer.size() - 1);
      EXPECT_TRUE(intact);
      ASSERT_EQ(out, in) << n;
    }
  }
}

TEST(HuffmanRoundTrip, BlockCountFollowsTheBlockSize) {
  auto blocks = [](size_t n) {
    Bytes layer;
    HuffEncode(Bytes(n, 'q'), layer);
    // A block of one value costs 2 + 3 + ceil((19 + len) / 8) - 3 bytes.
    size_t pos = 5, count = 0;
    while (pos < layer.size()) {
      const size_t len = layer[pos] | (layer[pos + 1] << 8);
      pos += 2 + (19 + len + 7) / 8;
      ++count;
    }
    EXPECT_EQ(pos, layer.size());
    return count;
  };
  EXPECT_EQ(blocks(32752), 1u);
  EXPECT_EQ(blocks(32753), 2u);
  EXPECT_EQ(blocks(3 * 32752), 3u);
}

TEST(RleRoundTrip, BothVariantsOverManyShapes) {
  for (const Bytes& in : Inputs()) {
    Bytes layer;
    RleEncode(in, layer);
    Bytes out;
    bool intact = false;
    EXPECT_EQ(RleDecode(layer, out, kMaxDecodedSize, &intact), layer.size());
    EXPECT_TRUE(intact);
    ASSERT_EQ(out, in) << in.size();
  }
}

}  // namespace
}  // namespace quarry
