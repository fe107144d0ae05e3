#include <gtest/gtest.h>

#include "core/stream.h"
#include "test_support.h"

namespace quarry {
namespace {

TEST(MemoryStream, GrowsKeepsBytesAndClipsReadsAtTheEnd) {
  TMemoryStream s(4, 3);
  for (int i = 0; i < 1000; ++i) s.WriteByte(static_cast<uint8_t>(i));
  EXPECT_EQ(s.Size(), 1000);
  s.Seek(998, SeekOrigin::Begin);
  uint8_t buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_EQ(std::pair(buf[0], buf[1]), std::pair(uint8_t(998 & 0xFF), uint8_t(999 & 0xFF)));
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
  ASSERT_TRUE(s.ReadU16(w) && s.ReadU32(d));
  EXPECT_EQ(std::pair(w, d), std::pair(uint16_t{0x1234}, 0xA1B2C3D4u));
  EXPECT_FALSE(s.ReadU16(w)) << "one byte left is not a word";
}

// Catches a count of 0 copying from the source's position instead of its start.
TEST(MemoryStream, CopyFromZeroCopiesTheWholeSourceFromItsStart) {
  TMemoryStream src, all, part;
  src.WriteText("hello world");
  src.Seek(6, SeekOrigin::Begin);
  EXPECT_EQ(all.CopyFrom(src, 0), 11);
  src.Seek(6, SeekOrigin::Begin);
  EXPECT_EQ(part.CopyFrom(src, 3), 3);
  EXPECT_EQ(std::pair(all.Bytes(), part.Bytes()),
            std::pair(std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'},
                      std::vector<uint8_t>{'w', 'o', 'r'}));
}

TEST(FileStream, WritesReadsAndSeeksAcrossBufferBoundaries) {
  TempDir dir;
  {
    auto f = TBufferedFileStream::Open(dir / "words", TBufferedFileStream::Mode::Create);
    ASSERT_TRUE(f);
    for (uint32_t i = 0; i < 5000; ++i) f->WriteU32(i);
    EXPECT_EQ(f->Size(), 20000);
  }
  auto f = TBufferedFileStream::Open(dir / "words", TBufferedFileStream::Mode::Read);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Size(), 20000);
  // Inside the first buffer, then far away, then back.
  for (uint32_t at : {10u, 4500u}) {
    uint32_t v = 0;
    f->Seek(4 * at, SeekOrigin::Begin);
    ASSERT_TRUE(f->ReadU32(v));
    EXPECT_EQ(v, at);
  }
  f->Seek(4 * 1023, SeekOrigin::Begin);  // straddles the 4096-byte buffer edge
  std::vector<uint32_t> words(3);
  EXPECT_EQ(f->Read(words.data(), 12), 12);
  EXPECT_EQ(words, (std::vector<uint32_t>{1023, 1024, 1025}));
  // A big read bypasses the buffer and stops at the end of the file.
  f->Seek(4 * 4990, SeekOrigin::Begin);
  std::vector<uint8_t> rest(10000);
  EXPECT_EQ(f->Read(rest.data(), 10000), 40);
  EXPECT_EQ(TBufferedFileStream::Open(dir / "nope", TBufferedFileStream::Mode::Read), nullptr);
}

}  // namespace
}  // namespace quarry
