// Glyph-sheet and cell fonts loaded from a real archive, checked by drawing.
#include "core/stream.h"
#include "display_fixture.h"
#include "graphics/bmp_font.h"
#include "graphics/zrar_font.h"

namespace quarry::test {

class FontTest : public DisplayTest {
protected:
  std::unique_ptr<TBMPFont> Load(const Bytes& gsd, const Bytes& bmf, uint32_t tint = 0xFFFFFF) {
    mad_ = BuildArchive(dir_, {{"font.gsd", gsd}, {"font.bmf", bmf}});
    return std::make_unique<TBMPFont>("font", *mad_, tint >> 16, tint >> 8 & 0xFF, tint & 0xFF);
  }
  std::unique_ptr<TZrarFont> LoadZrar(const Bytes& member) {
    mad_ = BuildArchive(dir_, {{"anti.zrr", member}});
    return std::make_unique<TZrarFont>("anti.zrr", *mad_);
  }
  // Row y from x0: '#' for the ink, '.' for black or the backdrop, '?' else.
  static std::string Row(int y, int x0, int count, uint32_t ink = 0xFFFFFF) {
    std::string s;
    for (int x = x0; x < x0 + count; ++x)
      s += Pixel(x, y) == ink ? '#' : (Pixel(x, y) == 0 || Pixel(x, y) == kBackdrop) ? '.' : '?';
    return s;
  }
};

// Catches a tint not rounded down, and spaces that draw or advance wrongly.
TEST_F(FontTest, TintSpacesAndGlyphRecords) {
  const Bytes bmf = Bmf({{' ', 0, 0, 0, 0}, {'A', 0, 0, 1, 0}});
  auto white = Load(MakeGsd(2, 1, {255, 128}), bmf);
  EXPECT_EQ(std::tuple(white->Height, white->TextWidth(""), white->TextWidth("A A")), std::tuple(1, -1, 2 + 1 + 10 + 2));
  Backdrop();
  white->DrawText(" ", 0, 0, kAlignLeft);
  white->DrawText("A A", 0, 1, kAlignLeft);
  Load(MakeGsd(2, 1, {255, 128}), bmf, 0x40C0FF)->DrawText("A", 5, 6, kAlignLeft);
  EXPECT_EQ((std::vector{Pixel(0, 0), Pixel(1, 1), Pixel(12, 1), Pixel(5, 6), Pixel(6, 6)}),
            (std::vector{kBackdrop, 0x7F7F7Fu, kBackdrop, 0x3FBFFEu, 0x20607Fu}));
  EXPECT_EQ(Row(1, 0, 16, kInk), "#?...........#?.");  // 2 + 1 + 10

  // Recordless codes drawn or advanced wrongly, glyphs off their sheet row, earlier records winning.
  auto font = Load(MakeGsd(4, 2, {255, 255, 255, 255, 255, 0, 0, 0}),
                   Bmf({{'A', 0, 0, 0, 0}, {'A', 1, 0, 3, 0}, {'B', 0, 1, 0, 1}}));
  EXPECT_EQ(std::pair(font->TextWidth("CC"), font->TextWidth("A")), std::pair(3, 3));
  Backdrop();
  font->DrawText("CC", 10, 10, kAlignLeft);
  font->DrawText("B", 20, 20, kAlignLeft);
  font->DrawText("A", 0, 0, kAlignLeft);
  // "CC" is two single pixels; "B" lands one row down, as on the sheet; "A" uses its later record.
  EXPECT_EQ(Row(10, 10, 4, kInk) + Row(11, 10, 1, kInk) + "|" + Row(20, 20, 1, kInk) + Row(21, 20, 1, kInk) + "|" +
                Row(0, 0, 5, kInk),
            "#.#..|.#|###..");
}

// Catches wrong alignment, and centring that rounds a negative width away from zero.
TEST_F(FontTest, Alignment) {
  auto font = Load(MakeGsd(101, 1, Bytes(101, 255)), Bmf({{'X', 0, 0, 100, 0}}));
  for (int align : {int(kAlignCentre), int(kAlignRight), 7}) font->DrawText("X", 320, align - 1, align);  // 7: from x
  font->SpaceWidth = -104;  // " X" is -3 pixels wide
  ASSERT_EQ(font->TextWidth(" X"), -3);
  font->DrawText(" X", 320, 3, kAlignCentre);  // x = 320 - (-3 / 2) = 321, then the space moves back 104
  for (auto [y, first] : {std::pair{0, 270}, {1, 219}, {6, 320}, {3, 217}})
    EXPECT_EQ(Row(y, 0, 640, kInk), std::string(first, '.') + std::string(101, '#') + std::string(539 - first, '.'));
}

// Catches short sheets read past, bad or cut glyph records kept, uncut names.
TEST_F(FontTest, DamagedSheetsAndRecordsAreRefusedWithWarnings) {
  LogCapture log;
  Backdrop();
  // Far too short, one byte short, a header cut short.
  for (const Bytes& gsd : {MakeGsd(200, 200, Bytes(10, 255)), MakeGsd(2, 3, Bytes(5, 255)), Bytes{2, 0, 3}}) {
    auto font = Load(gsd, Bmf({{'A', 0, 0, 0, 0}}));
    EXPECT_TRUE(font->Surface == nullptr && font->Height == 0) << gsd.size();
    font->DrawText("AB", 0, 0, kAlignCentre);
    font->SetAlpha(10);
  }
  EXPECT_EQ(Pixel(0, 0), kBackdrop);
  // Past the right edge (keeps the earlier 'A'), x2 < x1, past the bottom, y1 > y2, a cut record; the sheet stays.
  Bytes bmf = Bmf({{'A', 0, 0, 1, 0}, {'A', 0, 0, 2, 0}, {'B', 1, 0, 0, 0}, {'C', 0, 0, 0, 2}, {'D', 0, 1, 0, 0}});
  bmf.push_back('E');
  auto font = Load(MakeGsd(2, 2, Bytes(4, 255)), bmf);
  EXPECT_TRUE(font->Surface != nullptr && font->TextWidth("A") == 2);
  EXPECT_EQ(font->Glyphs['B'].x1 + font->Glyphs['C'].y2 + font->Glyphs['D'].y1, 0);
  const std::string init = "[BMPFONT, TBMPFont.Init] ", name = "! (BMPFont: font)";
  for (auto [line, count] : {std::pair{init + "Damaged glyph sheet" + name, 3},
                             {init + "1 glyph(s) outside the sheet ignored" + name, 3},
                             {"[BMPFONT.SetAlpha] SetAlpha failed" + name, 3},
                             {init + "4 glyph(s) outside the sheet ignored" + name, 1},
                             {init + "Glyph table ends inside a record" + name, 1}})
    EXPECT_EQ(log.Count(line), count) << line;
  TMemoryStream gsd, none;
  EXPECT_EQ(TBMPFont("ABCDEFGHIJKLMNOP", gsd, none, 255, 255, 255).Name, "ABCDEFGHIJKL");
}

// "ZRAR", flags, cell width, height, 256 cells of ceil(width / 8)-byte rows; `rows` fill `code`.
Bytes MakeZrar(uint8_t flags, uint8_t width, uint8_t height, int code = 'A', const std::vector<Bytes>& rows = {}) {
  Bytes b = {'Z', 'R', 'A', 'R', flags, width, height};
  const size_t perRow = (width + 7) / 8;
  b.resize(7 + 256 * height * perRow, 0);
  for (size_t row = 0; row < rows.size(); ++row)
    std::copy(rows[row].begin(), rows[row].end(), b.begin() + long(7 + (code * height + row) * perRow));
  return b;
}

// Catches wrong bit order, row stride or advance; odd widths keep the low bits of their first byte.
TEST_F(FontTest, CellRowsAreReadMostSignificantBitLeft) {
  struct Case { uint8_t width; Bytes row0, row1; std::string ink0, ink1; };
  int y = 0;
  for (const Case& c : std::initializer_list<Case>{
           {8, {0x81}, {0x3C}, "#......#", "..####.."}, {6, {0xE1}, {0x1E}, "#....#", ".####."},
           {16, {0x80, 0x01}, {0x01, 0x80}, "#..............#", ".......##......."},
           {12, {0xFF, 0xFF}, {0x0A, 0x50}, "####....####", "#.#......#.#"}}) {
    auto font = LoadZrar(MakeZrar(0, c.width, 2, 'A', {c.row0, c.row1}));
    EXPECT_EQ(std::tuple(font->Height, font->Spacing, font->SpaceWidth, font->Glyphs['A'].x1, font->TextWidth("AA")),
              std::tuple(2, 0, int(c.width), 65 * c.width, 2 * c.width));
    font->DrawText("AA", 0, y, kAlignLeft);
    EXPECT_EQ(Row(y, 0, 2 * c.width) + "|" + Row(y + 1, 0, 2 * c.width), c.ink0 + c.ink0 + "|" + c.ink1 + c.ink1);
    y += 3;
  }
}

// Catches the descender shift missing or misapplied, Render losing key or colour, alpha ignored.
TEST_F(FontTest, DescenderShiftRenderColourKeyAndAlpha) {
  Bytes z = MakeZrar(1, 8, 2);
  for (int c : {'a', 'g', 'q', 'y'}) z[7 + c * 2] = 0xF0;
  auto font = LoadZrar(z);
  ASSERT_NE(font->Surface, nullptr);
  EXPECT_EQ(std::tuple(font->Height, int(font->SurfaceHeight), font->Surface->w, font->Surface->h),
            std::tuple(2, 3, 256 * 8, 3));
  font->DrawText("agqy", 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 32) + "|" + Row(1, 0, 32), "####" + std::string(28, '.') + "|" + "........####....####....####....");
  font->SetColorKey(0, 0, 0);
  font->Render(200, 10, 20);
  Backdrop();
  font->DrawText("a", 0, 2, kAlignLeft);
  font->SetAlpha(0);
  font->DrawText("a", 10, 2, kAlignLeft);
  EXPECT_EQ(Row(2, 0, 15, 0xC80A14), "####...........");
  EXPECT_EQ(std::pair(Pixel(4, 2), Pixel(10, 2)), std::pair(kBackdrop, kBackdrop));  // keyed; fully transparent
}

// Catches wrong magic drawing or warning, cut headers or short members read past.
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
  // Cells without width or height: no surface, no glyph rectangles.
  for (const Bytes& empty : {Bytes{'Z', 'R', 'A', 'R', 0, 0, 5}, Bytes{'Z', 'R', 'A', 'R', 0, 8, 0}}) {
    font = LoadZrar(empty);
    EXPECT_TRUE(font->Surface == nullptr && font->Glyphs['A'].x2 == 0) << int(empty[5]);
  }
  z = MakeZrar(0, 8, 1, 1, {{0xFF}});
  z.resize(7 + 2);  // only codes 0 and 1 are present
  LoadZrar(z)->DrawText(std::string("\x01" "A", 2), 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 16), "########........");
  EXPECT_EQ(log.Count("BMPFONT"), 2);
  EXPECT_TRUE(log.Has("[BMPFONT, TZrarFont.Init] Cell font header cut short! (BMPFont: anti.zrr)"));
  EXPECT_TRUE(log.Has("[BMPFONT, TZrarFont.Init] Cell font shorter than its cells! (BMPFont: anti.zrr)"));
}

}  // namespace quarry::test
