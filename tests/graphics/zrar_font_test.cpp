// Cell fonts loaded through the real archive reader and checked by drawing
// into the BackBuffer.
#include <gtest/gtest.h>

#include "core/stream.h"
#include "display_fixture.h"
#include "graphics/zrar_font.h"

namespace quarry {
namespace {

using test::Bytes;
using test::Rgb;

// "ZRAR", flags, cell width and height, then 256 empty cells; rows of
// ceil(width / 8) bytes.
Bytes MakeZrar(uint8_t flags, uint8_t width, uint8_t height) {
  Bytes b = {'Z', 'R', 'A', 'R', flags, width, height};
  b.resize(7 + 256 * height * ((width + 7) / 8), 0);
  return b;
}
void SetRow(Bytes& zrar, int code, int row, const Bytes& bytes) {
  const int perRow = (zrar[5] + 7) / 8;
  const size_t at = 7 + (static_cast<size_t>(code) * zrar[6] + row) * perRow;
  std::copy(bytes.begin(), bytes.end(), zrar.begin() + static_cast<long>(at));
}

class ZrarFontTest : public test::DisplayTest {
protected:
  std::unique_ptr<TZrarFont> Load(const Bytes& member) {
    mad_ = test::BuildArchive(dir_, {{"anti.zrr", member}});
    return std::make_unique<TZrarFont>("anti.zrr", *mad_);
  }
  // The inked columns of one row of the BackBuffer, as a string of # and .
  std::string Row(int y, int x0, int count) {
    std::string s;
    for (int x = x0; x < x0 + count; ++x) s += Pixel(x, y).r == 255 ? '#' : '.';
    return s;
  }
  test::TempDir dir_;
  std::unique_ptr<TMad> mad_;
};

TEST_F(ZrarFontTest, EightPixelCellsUseWholeBytesMostSignificantBitLeft) {
  Bytes z = MakeZrar(0, 8, 2);
  SetRow(z, 'A', 0, {0x81});
  SetRow(z, 'A', 1, {0x3C});
  auto font = Load(z);
  EXPECT_EQ(font->Height, 2);
  EXPECT_EQ(font->Spacing, 0);
  EXPECT_EQ(font->SpaceWidth, 8);
  EXPECT_EQ(font->Glyphs['A'].x1, 65 * 8);
  EXPECT_EQ(font->TextWidth("AA"), 16);
  font->DrawText("A", 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 8), "#......#");
  EXPECT_EQ(Row(1, 0, 8), "..####..");
}

TEST_F(ZrarFontTest, SixPixelCellsTakeTheLowSixBits) {
  Bytes z = MakeZrar(0, 6, 1);
  SetRow(z, 'A', 0, {0xE1});  // the two high bits are not pixels
  SetRow(z, 'B', 0, {0x1E});
  auto font = Load(z);
  font->DrawText("AB", 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 12), "#....#.####.");
}

TEST_F(ZrarFontTest, SixteenPixelCellsUseTwoBytesPerRow) {
  Bytes z = MakeZrar(0, 16, 2);
  SetRow(z, 'A', 0, {0x80, 0x01});
  SetRow(z, 'A', 1, {0x01, 0x80});
  auto font = Load(z);
  font->DrawText("A", 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 16), "#..............#");
  EXPECT_EQ(Row(1, 0, 16), ".......##.......");
}

TEST_F(ZrarFontTest, TwelvePixelCellsLeaveTheFirstByteGapBlank) {
  Bytes z = MakeZrar(0, 12, 1);
  SetRow(z, 'A', 0, {0xFF, 0xFF});
  auto font = Load(z);
  font->DrawText("A", 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 12), "####....####");
}

TEST_F(ZrarFontTest, DescenderShiftMovesGQYOneRowDown) {
  Bytes z = MakeZrar(1, 8, 2);
  for (int c : {'a', 'g', 'q', 'y'}) SetRow(z, c, 0, {0x80});
  auto font = Load(z);
  EXPECT_EQ(font->Height, 2);
  EXPECT_EQ(font->SurfaceHeight, 3);
  ASSERT_NE(font->Surface, nullptr);
  EXPECT_EQ(font->Surface->h, 3);
  font->DrawText("agqy", 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 32), "#" + std::string(31, '.'));
  EXPECT_EQ(Row(1, 0, 32), "........#.......#.......#.......");
}

TEST_F(ZrarFontTest, RenderInAnotherColourKeepsTheKey) {
  Bytes z = MakeZrar(0, 8, 1);
  SetRow(z, 'A', 0, {0xF0});
  auto font = Load(z);
  font->SetColorKey(0, 0, 0);
  font->Render(200, 10, 20);
  FillBox(0, 0, 40, 40, 0, 0, 90);
  font->DrawText("A", 0, 0, kAlignLeft);
  EXPECT_EQ(Pixel(0, 0), (Rgb{200, 10, 20}));
  EXPECT_EQ(Pixel(3, 0), (Rgb{200, 10, 20}));
  EXPECT_EQ(Pixel(4, 0), (Rgb{0, 0, 90}));  // keyed black stays transparent
}

TEST_F(ZrarFontTest, WrongMagicLeavesASilentEmptyFont) {
  Bytes z = MakeZrar(0, 8, 1);
  z[3] = 'X';
  test::LogCapture log;
  auto font = Load(z);
  EXPECT_EQ(font->Surface, nullptr);
  EXPECT_EQ(font->GlyphData, nullptr);
  font->Render(255, 0, 0);
  EXPECT_EQ(font->Surface, nullptr);
  FillBox(0, 0, 40, 40, 0, 0, 90);
  font->DrawText("AAAA", 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 40), std::string(40, '.'));
  for (const std::string& line : log.lines) EXPECT_EQ(line.find("BMPFONT"), std::string::npos);
}

TEST_F(ZrarFontTest, ShortMemberRendersWhatItHoldsAndWarns) {
  Bytes z = MakeZrar(0, 8, 1);
  SetRow(z, 1, 0, {0xFF});
  SetRow(z, 'A', 0, {0xFF});
  z.resize(7 + 2);  // only codes 0 and 1 are present
  test::LogCapture log;
  auto font = Load(z);
  EXPECT_EQ(log.Count("[BMPFONT, TZrarFont.Init] Cell font shorter than its cells! (BMPFont: anti.zrr)"), 1);
  font->DrawText(std::string("\x01" "A", 2), 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 16), "########........");
}

TEST_F(ZrarFontTest, HeaderCutShortIsEmptyWithAWarning) {
  test::LogCapture log;
  auto font = Load({'Z', 'R', 'A', 'R', 0, 8});
  EXPECT_EQ(font->Surface, nullptr);
  EXPECT_EQ(log.Count("[BMPFONT, TZrarFont.Init] Cell font header cut short! (BMPFont: anti.zrr)"), 1);
}

}  // namespace
}  // namespace quarry
