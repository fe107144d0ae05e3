// Glyph-sheet and cell fonts loaded through the real archive reader and
// checked by drawing into the BackBuffer.
#include "core/stream.h"
#include "display_fixture.h"
#include "graphics/bmp_font.h"
#include "graphics/zrar_font.h"

namespace quarry {
namespace {

using test::Bytes;
using test::kBackdrop;
using test::kInk;

class FontTest : public test::DisplayTest {
protected:
  std::unique_ptr<TBMPFont> Load(const Bytes& gsd, const Bytes& bmf, uint32_t tint = 0xFFFFFF) {
    mad_ = test::BuildArchive(dir_, {{"font.gsd", gsd}, {"font.bmf", bmf}});
    return std::make_unique<TBMPFont>("font", *mad_, tint >> 16, tint >> 8 & 0xFF, tint & 0xFF);
  }
  std::unique_ptr<TZrarFont> LoadZrar(const Bytes& member) {
    mad_ = test::BuildArchive(dir_, {{"anti.zrr", member}});
    return std::make_unique<TZrarFont>("anti.zrr", *mad_);
  }
  // Row y from x0: '#' for the ink, '.' for black or the backdrop, '?' else.
  std::string Row(int y, int x0, int count, uint32_t ink = 0xFFFFFF) {
    std::string s;
    for (int x = x0; x < x0 + count; ++x) {
      const uint32_t p = Pixel(x, y);
      s += p == ink ? '#' : (p == 0 || p == kBackdrop) ? '.' : '?';
    }
    return s;
  }
  // First and last column of row y drawn in kInk.
  std::pair<int, int> InkSpan(int y) {
    const std::string row = Row(y, 0, 640, kInk);
    return {int(row.find('#')), int(row.rfind('#'))};
  }
};

// Catches a tint that is not (intensity * colour) / 256 rounded down, and
// spaces that draw or do not advance by SpaceWidth plus spacing.
TEST_F(FontTest, TintRoundsDownAndSpacesAdvanceWithoutDrawing) {
  Bytes bmf;
  test::AddGlyph(bmf, ' ', 0, 0, 0, 0);
  test::AddGlyph(bmf, 'A', 0, 0, 1, 0);
  auto white = Load(test::MakeGsd(2, 1, {255, 128}), bmf);
  EXPECT_EQ(white->Height, 1);
  EXPECT_EQ(white->TextWidth(""), -1);
  EXPECT_EQ(white->TextWidth("A A"), 2 + 1 + 10 + 2);
  Backdrop();
  white->DrawText(" ", 0, 0, kAlignLeft);
  white->DrawText("A A", 0, 1, kAlignLeft);
  EXPECT_EQ(Pixel(0, 0), kBackdrop);
  EXPECT_EQ(Pixel(1, 1), 0x7F7F7Fu);
  EXPECT_EQ(Row(1, 0, 16, kInk), "#?...........#?.");  // 2 + 1 + 10
  auto blue = Load(test::MakeGsd(2, 1, {255, 128}), bmf, 0x40C0FF);
  blue->DrawText("A", 5, 6, kAlignLeft);
  EXPECT_EQ(Pixel(5, 6), 0x3FBFFEu);
  EXPECT_EQ(Pixel(6, 6), 0x20607Fu);
}

// Catches a code without a record drawing more than the sheet's top-left
// pixel or advancing other than 1 + spacing, glyphs not drawn from their own
// row of the sheet, and an earlier record winning over a later one.
TEST_F(FontTest, GlyphRecords) {
  Bytes bmf;
  test::AddGlyph(bmf, 'A', 0, 0, 0, 0);
  test::AddGlyph(bmf, 'A', 1, 0, 3, 0);
  test::AddGlyph(bmf, 'B', 0, 1, 0, 1);
  auto font = Load(test::MakeGsd(4, 2, {255, 255, 255, 255, 255, 0, 0, 0}), bmf);
  EXPECT_EQ(font->TextWidth("CC"), 3);
  EXPECT_EQ(font->TextWidth("A"), 3);
  Backdrop();
  font->DrawText("CC", 10, 10, kAlignLeft);
  font->DrawText("B", 20, 20, kAlignLeft);
  font->DrawText("A", 0, 0, kAlignLeft);
  EXPECT_EQ(Row(10, 10, 4, kInk) + Row(11, 10, 1, kInk), "#.#..");
  EXPECT_EQ(Row(20, 20, 1, kInk) + Row(21, 20, 1, kInk), ".#");  // one row down, as on the sheet
  EXPECT_EQ(Row(0, 0, 5, kInk), "###..");
}

// Catches wrong centring/right alignment, unknown alignments not drawing
// from x, and centring that rounds a negative width away from zero.
TEST_F(FontTest, Alignment) {
  Bytes bmf;
  test::AddGlyph(bmf, 'X', 0, 0, 100, 0);  // 101 pixels of ink
  auto font = Load(test::MakeGsd(101, 1, Bytes(101, 255)), bmf);
  for (auto [align, first] : {std::pair{kAlignCentre, 270}, {kAlignRight, 219}, {TextAlign(7), 320}}) {
    font->DrawText("X", 320, align, align);
    EXPECT_EQ(InkSpan(align), std::pair(first, first + 100)) << align;
  }
  font->SpaceWidth = -104;  // " X" is -3 pixels wide
  ASSERT_EQ(font->TextWidth(" X"), -3);
  font->DrawText(" X", 320, 3, kAlignCentre);
  EXPECT_EQ(InkSpan(3).first, 217);  // x = 320 - (-3 / 2) = 321, then the space moves back 104
}

// Catches a sheet shorter than its header being read past its end, and
// glyph rectangles outside the sheet or cut records being kept.
TEST_F(FontTest, DamagedSheetsAndRecordsAreRefusedWithWarnings) {
  Bytes bmf;
  test::AddGlyph(bmf, 'A', 0, 0, 0, 0);
  LogCapture log;
  auto font = Load(test::MakeGsd(200, 200, Bytes(10, 255)), bmf);
  EXPECT_EQ(font->Surface, nullptr);
  EXPECT_EQ(font->Height, 0);
  Backdrop();
  font->DrawText("AB", 0, 0, kAlignCentre);
  EXPECT_EQ(Pixel(0, 0), kBackdrop);
  font->SetAlpha(10);
  bmf.clear();
  test::AddGlyph(bmf, 'A', 0, 0, 1, 0);
  test::AddGlyph(bmf, 'A', 0, 0, 2, 0);  // past the right edge: keeps the earlier one
  test::AddGlyph(bmf, 'B', 1, 0, 0, 0);  // x2 < x1
  test::AddGlyph(bmf, 'C', 0, 0, 0, 1);  // past the bottom
  bmf.push_back('D');                    // a record cut short
  font = Load(test::MakeGsd(2, 1, {255, 255}), bmf);
  EXPECT_EQ(font->TextWidth("A"), 2);
  EXPECT_EQ(font->Glyphs['B'].x1 + font->Glyphs['C'].y2, 0);
  for (const char* line : {"[BMPFONT, TBMPFont.Init] Damaged glyph sheet! (BMPFont: font)",
                           "[BMPFONT, TBMPFont.Init] 1 glyph(s) outside the sheet ignored! (BMPFont: font)",
                           "[BMPFONT.SetAlpha] SetAlpha failed! (BMPFont: font)",
                           "[BMPFONT, TBMPFont.Init] 3 glyph(s) outside the sheet ignored! (BMPFont: font)",
                           "[BMPFONT, TBMPFont.Init] Glyph table ends inside a record! (BMPFont: font)"})
    EXPECT_EQ(log.Count(line), 1) << line;
}

// Catches names stored uncut and a missing .bmf member not stopping.
TEST_F(FontTest, NamesAreCutTo12AndMissingMembersStop) {
  TMemoryStream gsd, bmf;
  EXPECT_EQ(TBMPFont("ABCDEFGHIJKLMNOP", gsd, bmf, 255, 255, 255).Name, "ABCDEFGHIJKL");
  test::ThrowOnStop stop;
  mad_ = test::BuildArchive(dir_, {{"font.gsd", test::MakeGsd(1, 1, {1})}});
  EXPECT_THROW(TBMPFont("font", *mad_, 1, 1, 1), test::MissingData);
}

// "ZRAR", flags, cell width and height, then 256 cells of rows of
// ceil(width / 8) bytes; `rows` fills the cell of `code`.
Bytes MakeZrar(uint8_t flags, uint8_t width, uint8_t height, int code = 'A', const std::vector<Bytes>& rows = {}) {
  Bytes b = {'Z', 'R', 'A', 'R', flags, width, height};
  const size_t perRow = (width + 7) / 8;
  b.resize(7 + 256 * height * perRow, 0);
  for (size_t row = 0; row < rows.size(); ++row)
    std::copy(rows[row].begin(), rows[row].end(), b.begin() + long(7 + (code * height + row) * perRow));
  return b;
}

// Catches the wrong bit order, row stride or advance per cell width: narrow
// cells take the low bits, and a width that is not a multiple of 8 reads its
// first byte's low bits and leaves a gap before the next byte.
TEST_F(FontTest, CellRowsAreReadMostSignificantBitLeft) {
  struct Case { uint8_t width; Bytes row0, row1; std::string ink0, ink1; };
  int y = 0;
  for (const Case& c : std::initializer_list<Case>{{8, {0x81}, {0x3C}, "#......#", "..####.."},
                                                   {6, {0xE1}, {0x1E}, "#....#", ".####."},
                                                   {16, {0x80, 0x01}, {0x01, 0x80}, "#..............#", ".......##......."},
                                                   {12, {0xFF, 0xFF}, {0x0A, 0x50}, "####....####", "#.#......#.#"}}) {
    auto font = LoadZrar(MakeZrar(0, c.width, 2, 'A', {c.row0, c.row1}));
    EXPECT_EQ(std::tuple(font->Height, font->Spacing, font->SpaceWidth), std::tuple(2, 0, int(c.width)));
    EXPECT_EQ(font->Glyphs['A'].x1, 65 * c.width);
    EXPECT_EQ(font->TextWidth("AA"), 2 * c.width);
    font->DrawText("AA", 0, y, kAlignLeft);
    EXPECT_EQ(Row(y, 0, 2 * c.width), c.ink0 + c.ink0) << int(c.width);
    EXPECT_EQ(Row(y + 1, 0, 2 * c.width), c.ink1 + c.ink1) << int(c.width);
    y += 3;
  }
}

// Catches the descender flag ignored or applied to other letters.
TEST_F(FontTest, DescenderShiftMovesGQYOneRowDown) {
  Bytes z = MakeZrar(1, 8, 2);
  for (int c : {'a', 'g', 'q', 'y'}) z[7 + c * 2] = 0x80;
  auto font = LoadZrar(z);
  EXPECT_EQ(font->Height, 2);
  EXPECT_EQ(font->SurfaceHeight, 3);
  font->DrawText("agqy", 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 32), "#" + std::string(31, '.'));
  EXPECT_EQ(Row(1, 0, 32), "........#.......#.......#.......");
}

// Catches Render dropping the colour key or ignoring the colour, and alpha
// not reaching the glyph surface.
TEST_F(FontTest, RenderInAnotherColourKeepsTheKeyAndAlpha) {
  auto font = LoadZrar(MakeZrar(0, 8, 1, 'A', {{0xF0}}));
  font->SetColorKey(0, 0, 0);
  EXPECT_TRUE(font->ColorKeyed);
  font->Render(200, 10, 20);
  Backdrop();
  font->DrawText("A", 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 5, 0xC80A14), "####.");
  EXPECT_EQ(Pixel(4, 0), kBackdrop);  // keyed black stays transparent
  font->SetAlpha(0);
  font->DrawText("A", 0, 1, kAlignLeft);
  EXPECT_EQ(Pixel(0, 1), kBackdrop);  // fully transparent
}

// Catches a wrong magic that draws or warns, a cut header read past, and a
// short member read past its end instead of giving blank cells.
TEST_F(FontTest, DamagedCellFonts) {
  Bytes z = MakeZrar(0, 8, 1, 'A', {{0xFF}});
  z[3] = 'X';
  LogCapture log;
  auto font = LoadZrar(z);
  EXPECT_EQ(font->GlyphData, nullptr);
  font->Render(255, 0, 0);
  EXPECT_EQ(font->Surface, nullptr);
  font->DrawText("AAAA", 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 40, 0xFF0000), std::string(40, '.'));
  EXPECT_EQ(LoadZrar({'Z', 'R', 'A', 'R', 0, 8})->Surface, nullptr);
  z = MakeZrar(0, 8, 1, 1, {{0xFF}});
  z.resize(7 + 2);  // only codes 0 and 1 are present
  font = LoadZrar(z);
  font->DrawText(std::string("\x01" "A", 2), 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 16), "########........");
  EXPECT_EQ(log.Count("BMPFONT"), 2);
  EXPECT_TRUE(log.Has("[BMPFONT, TZrarFont.Init] Cell font header cut short! (BMPFont: anti.zrr)"));
  EXPECT_TRUE(log.Has("[BMPFONT, TZrarFont.Init] Cell font shorter than its cells! (BMPFont: anti.zrr)"));
}

}  // namespace
}  // namespace quarry
