#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "core/stream.h"

namespace quarry {
namespace {

TEST(MemoryStream, GrowsKeepsBytesAndClipsReadsAtTheEnd) {
  TMemoryStream s(4, 3);
  for (int i = 0; i < 1000; ++i) s.WriteByte(static_cast<uint8_t>(i));
  EXPECT_EQ(s.Size(), 1000);
  s.Seek(998, SeekOrigin::Begin);
  uint8_t buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_EQ(buf[0], static_cast<uint8_t>(998));
  EXPECT_EQ(buf[1], static_cast<uint8_t>(999));
  EXPECT_EQ(s.Read(buf, 8), 0);
  // Seeking before the start clamps at 0 instead of wrapping.
  EXPECT_EQ(s.Seek(-5000, SeekOrigin::Current), 0);
}

TEST(MemoryStream, LittleEndianHelpersAndShortReads) {
  TMemoryStream s;
  s.WriteU16(0x1234);
  s.WriteU32(0xA1B2C3D4);
  s.WriteByte(7);
  EXPECT_EQ(s.Bytes(), (std::vector<uint8_t>{0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1, 7}));
  s.Seek(0, SeekOrigin::Begin);
  uint16_t w;
  uint32_t d;
  ASSERT_TRUE(s.ReadU16(w));
  ASSERT_TRUE(s.ReadU32(d));
  EXPECT_EQ(w, 0x1234);
  EXPECT_EQ(d, 0xA1B2C3D4u);
  EXPECT_FALSE(s.ReadU16(w)) << "one byte left is not a word";
}

TEST(MemoryStream, CopyFromZeroCopiesTheWholeSourceFromItsStart) {
  TMemoryStream src;
  src.WriteText("hello world");
  src.Seek(6, SeekOrigin::Begin);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(src, 0), 11);
  auto all = dst.Bytes();
  EXPECT_EQ(std::string(all.begin(), all.end()), "hello world");
  src.Seek(6, SeekOrigin::Begin);
  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(src, 3), 3);
  auto some = part.Bytes();
  EXPECT_EQ(std::string(some.begin(), some.end()), "wor");
}

class FileStreamTest : public ::testing::Test {
protected:
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("quarry_stream_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  void TearDown() override { std::filesystem::remove(path); }
};

TEST_F(FileStreamTest, WritesReadsAndSeeksAcrossBufferBoundaries) {
  {
    auto f = TBufferedFileStream::Open(path.string(), TBufferedFileStream::Mode::Create);
    ASSERT_TRUE(f);
    for (uint32_t i = 0; i < 5000; ++i) f->WriteU32(i);
    EXPECT_EQ(f->Size(), 20000);
  }
  auto f = TBufferedFileStream::Open(path.string(), TBufferedFileStream::Mode::Read);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Size(), 20000);
  uint32_t v;
  // Inside the first buffer, then far away, then back.
  f->Seek(4 * 10, SeekOrigin::Begin);
  ASSERT_TRUE(f->ReadU32(v));
  EXPECT_EQ(v, 10u);
  f->Seek(4 * 4500, SeekOrigin::Begin);
  ASSERT_TRUE(f->ReadU32(v));
  EXPECT_EQ(v, 4500u);
  f->Seek(4 * 1023, SeekOrigin::Begin);  // straddles the 4096-byte buffer edge
  std::vector<uint32_t> words(3);
  EXPECT_EQ(f->Read(words.data(), 12), 12);
  EXPECT_EQ(words, (std::vector<uint32_t>{1023, 1024, 1025}));
  // A big read bypasses the buffer and stops at the end of the file.
  f->Seek(4 * 4990, SeekOrigin::Begin);
  std::vector<uint8_t> rest(10000);
  EXPECT_EQ(f->Read(rest.data(), 10000), 40);
}

TEST_F(FileStreamTest, OpenMissingFileGivesNull) {
  EXPECT_EQ(TBufferedFileStream::Open((path / "nope").string(), TBufferedFileStream::Mode::Read), nullptr);
}

}  // namespace
}  // namespace quarry
