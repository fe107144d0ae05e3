// The image list parser and the header readers shared by the drawn
// collection and the headless size view.
#include <gtest/gtest.h>

#include "core/stream.h"
#include "graphics/image_list.h"
#include "graphics_test_util.h"

namespace quarry {
namespace {

using test::Bytes;

TEST(ImageListLine, MemberCommaNameWithAndWithoutTheKeyDot) {
  ImageListEntry e;
  ASSERT_TRUE(ParseImageListLine("wall.bmp,Wall", e));
  EXPECT_EQ(e.member, "wall.bmp");
  EXPECT_EQ(e.name, "Wall");
  EXPECT_FALSE(e.colorKeyed);

  ASSERT_TRUE(ParseImageListLine(".wall.bmp,Wall", e));
  EXPECT_EQ(e.member, "wall.bmp");  // the dot is not part of the member
  EXPECT_EQ(e.name, "Wall");
  EXPECT_TRUE(e.colorKeyed);

  // Only the first comma splits; lines are literal (blanks kept).
  ASSERT_TRUE(ParseImageListLine(" a.bmp,x, y ", e));
  EXPECT_EQ(e.member, " a.bmp");
  EXPECT_EQ(e.name, "x, y ");
}

TEST(ImageListLine, NamesAreCutTo16Characters) {
  ImageListEntry e;
  ASSERT_TRUE(ParseImageListLine("a.bmp,ABCDEFGHIJKLMNOPQ", e));
  EXPECT_EQ(e.name, "ABCDEFGHIJKLMNOP");
}

TEST(ImageListLine, LinesWithoutAMemberAreRefused) {
  ImageListEntry e;
  EXPECT_FALSE(ParseImageListLine("NoCommaHere", e));
  EXPECT_EQ(e.member, "");
  EXPECT_EQ(e.name, "NoCommaHere");
  EXPECT_FALSE(ParseImageListLine(",Name", e));
  EXPECT_FALSE(ParseImageListLine(".,Name", e));
  EXPECT_FALSE(ParseImageListLine("", e));
}

TEST(ImageListRead, StopsAtExactEndAndSkipsLinesWithoutMember) {
  test::LogCapture log;
  TMemoryStream list;
  list.WriteText("a.bmp,A\r\n!end\r\nb.cel,B\r\n!END\r\nc.bmp,C\r\n");
  list.Seek(0, SeekOrigin::Begin);
  auto entries = ReadImageList(list, "TAG");
  ASSERT_EQ(entries.size(), 2u);  // "!end" is an ordinary (bad) line
  EXPECT_EQ(entries[0].name, "A");
  EXPECT_EQ(entries[1].member, "b.cel");
  EXPECT_EQ(log.Count("[TAG] Image line names no member, skipped! (!end)"), 1);
}

TEST(ImageListRead, LastLineMayEndAtTheEndOfTheMember) {
  TMemoryStream list;
  list.WriteText("a.bmp,A\r\n.b.bmp,B");
  list.Seek(0, SeekOrigin::Begin);
  auto entries = ReadImageList(list, "TAG");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].member, "b.bmp");
  EXPECT_EQ(entries[1].name, "B");
  EXPECT_TRUE(entries[1].colorKeyed);
}

TEST(ImageHeaders, CelEndingDecidesTheKind) {
  EXPECT_TRUE(IsCelMember("x.cel"));
  EXPECT_TRUE(IsCelMember("X.CeL"));
  EXPECT_FALSE(IsCelMember("x.bmp"));
  EXPECT_FALSE(IsCelMember("cel"));
}

TEST(ImageHeaders, BmpSizeFromAHandMadeHeader) {
  Bytes bmp = test::SolidBmp(5, 3, {1, 2, 3});
  ASSERT_EQ(bmp.size(), 54u + 16u * 3u);  // rows of 15 bytes padded to 16
  int w = 0, h = 0;
  ASSERT_TRUE(ReadBmpSize(bmp.data(), bmp.size(), w, h));
  EXPECT_EQ(w, 5);
  EXPECT_EQ(h, 3);

  // Top-down rows give a negative height.
  test::PutU32(bmp, 22, static_cast<uint32_t>(-3));
  ASSERT_TRUE(ReadBmpSize(bmp.data(), bmp.size(), w, h));
  EXPECT_EQ(h, 3);
}

TEST(ImageHeaders, DamagedBmpHeadersAreRefused) {
  const Bytes good = test::SolidBmp(5, 3, {1, 2, 3});
  int w = 0, h = 0;
  Bytes cut(good.begin(), good.end() - 1);  // last row's padding missing
  EXPECT_FALSE(ReadBmpSize(cut.data(), cut.size(), w, h));
  Bytes sig = good;
  sig[0] = 'X';
  EXPECT_FALSE(ReadBmpSize(sig.data(), sig.size(), w, h));
  Bytes huge = good;
  test::PutU32(huge, 18, 0x7FFFFFFF);  // width far beyond the member
  EXPECT_FALSE(ReadBmpSize(huge.data(), huge.size(), w, h));
  Bytes bpp = good;
  test::PutU16(bpp, 28, 7);
  EXPECT_FALSE(ReadBmpSize(bpp.data(), bpp.size(), w, h));
  Bytes rle = good;
  test::PutU32(rle, 30, 1);
  EXPECT_FALSE(ReadBmpSize(rle.data(), rle.size(), w, h));
  Bytes offset = good;
  test::PutU32(offset, 10, 0xFFFFFFF0);
  EXPECT_FALSE(ReadBmpSize(offset.data(), offset.size(), w, h));
  EXPECT_FALSE(ReadBmpSize(good.data(), 20, w, h));
  EXPECT_FALSE(ReadBmpSize(nullptr, 0, w, h));
}

TEST(ImageHeaders, PalettedBmpNeedsItsPalette) {
  // 8-bit, 2x1, two palette colours declared: 54 + 8 palette + 4 row bytes.
  Bytes b(54 + 8 + 4, 0);
  b[0] = 'B';
  b[1] = 'M';
  test::PutU32(b, 10, 62);
  test::PutU32(b, 14, 40);
  test::PutU32(b, 18, 2);
  test::PutU32(b, 22, 1);
  test::PutU16(b, 28, 8);
  test::PutU32(b, 46, 2);
  int w = 0, h = 0;
  EXPECT_TRUE(ReadBmpSize(b.data(), b.size(), w, h));
  test::PutU32(b, 46, 300);  // more colours than 8 bits can index
  EXPECT_FALSE(ReadBmpSize(b.data(), b.size(), w, h));
}

TEST(ImageHeaders, CelSizeAndItsPixelBytes) {
  Bytes cel = test::MakeCel(4, 2, {}, Bytes(8, 0));
  int w = 0, h = 0;
  ASSERT_TRUE(ReadCelSize(cel.data(), cel.size(), w, h));
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 2);
  Bytes cut(cel.begin(), cel.end() - 1);
  EXPECT_FALSE(ReadCelSize(cut.data(), cut.size(), w, h));
  Bytes magic = cel;
  magic[0] = 0x18;
  EXPECT_FALSE(ReadCelSize(magic.data(), magic.size(), w, h));
  Bytes empty = test::MakeCel(0, 5, {}, {});
  EXPECT_FALSE(ReadCelSize(empty.data(), empty.size(), w, h));
  Bytes big = cel;
  test::PutU16(big, 2, 0xFFFF);
  test::PutU16(big, 4, 0xFFFF);
  EXPECT_FALSE(ReadCelSize(big.data(), big.size(), w, h));
}

}  // namespace
}  // namespace quarry
