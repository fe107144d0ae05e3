// Glyph-sheet and cell fonts loaded from a real archive, checked by drawing.
#include <numeric>

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
  auto font = Load(MakeGsd(200, 200, Bytes(10, 255)), Bmf({{'A', 0, 0, 0, 0}}));
  EXPECT_TRUE(font->Surface == nullptr && font->Height == 0);
  Backdrop();
  font->DrawText("AB", 0, 0, kAlignCentre);
  EXPECT_EQ(Pixel(0, 0), kBackdrop);
  font->SetAlpha(10);
  // Past the right edge (keeps the earlier 'A'), x2 < x1, past the bottom, a cut record.
  Bytes bmf = Bmf({{'A', 0, 0, 1, 0}, {'A', 0, 0, 2, 0}, {'B', 1, 0, 0, 0}, {'C', 0, 0, 0, 1}});
  bmf.push_back('D');
  font = Load(MakeGsd(2, 1, {255, 255}), bmf);
  EXPECT_EQ(font->TextWidth("A"), 2);
  EXPECT_EQ(font->Glyphs['B'].x1 + font->Glyphs['C'].y2, 0);
  const std::string init = "[BMPFONT, TBMPFont.Init] ", name = "! (BMPFont: font)";
  for (const std::string& line : {init + "Damaged glyph sheet" + name, init + "1 glyph(s) outside the sheet ignored" + name,
                                  "[BMPFONT.SetAlpha] SetAlpha failed" + name, init + "3 glyph(s) outside the sheet ignored" + name,
                                  init + "Glyph table ends inside a record" + name})
    EXPECT_EQ(log.Count(line), 1) << line;
  TMemoryStream gsd, none;
  EXPECT_EQ(TBMPFont("ABCDEFGHIJKLMNOP", gsd, none, 255, 255, 255).Name, "ABCDEFGHIJKL");
}

const std::string kAllCodes = [] { std::string s(256, '\0'); std::iota(s.begin(), s.end(), '\0'); return s; }();

bool GlyphsInside(const TBMPFont& font) {
  const int w = font.Surface ? font.Surface->w : 0, h = font.Surface ? font.Surface->h : 0;
  for (const GlyphRect& g : font.Glyphs)
    if ((g.x1 | g.y1 | g.x2 | g.y2) && (g.x2 >= w || g.y2 >= h || g.x1 > g.x2 || g.y1 > g.y2)) return false;
  return true;
}

// Catches glyphs outside the sheet after damage to either member of either font kind, or reads past it.
TEST_F(FontTest, DamagedFontsKeepGlyphsInsideTheirSheet) {
  Bytes intensity(40 * 6);
  for (size_t i = 0; i < intensity.size(); ++i) intensity[i] = uint8_t(i * 11);
  const Bytes gsd = MakeGsd(40, 6, intensity);
  const Bytes bmf = Bmf({{'0', 0, 0, 3, 5}, {'1', 4, 0, 7, 5}, {'2', 8, 0, 11, 5}, {'3', 12, 0, 15, 5}, {'4', 16, 0, 19, 5},
             {'5', 20, 0, 23, 5}, {'6', 24, 0, 27, 5}, {'7', 28, 0, 31, 5}, {'8', 32, 0, 35, 5}, {'9', 36, 0, 39, 5}});
  LogCapture quiet;
  for (int part = 0; part < 2; ++part)
    for (const Bytes& damaged : DamagedCopies(part ? bmf : gsd)) {
      const Bytes &g = part ? gsd : damaged, &b = part ? damaged : bmf;
      TMemoryStream gs(g.data(), g.size()), bs(b.data(), b.size());
      TBMPFont font("damaged", gs, bs, 200, 100, 50);
      ASSERT_TRUE(GlyphsInside(font));
      ASSERT_TRUE(font.Surface || !part);  // a damaged record table keeps the sheet
      EXPECT_TRUE(!font.Surface || 4u + size_t(font.Surface->w) * font.Surface->h <= g.size());
      font.DrawText(kAllCodes, part ? 320 : 0, part ? 10 : 0, part ? kAlignCentre : kAlignLeft);
    }
  Bytes z = {'Z', 'R', 'A', 'R', 1, 6, 7};
  for (int i = 0; i < 256 * 7; ++i) z.push_back(uint8_t(i * 13));
  for (const Bytes& member : DamagedCopies(z)) {
    TMemoryStream stream(member.data(), member.size());
    TZrarFont damaged("damaged", stream);
    ASSERT_TRUE(GlyphsInside(damaged));
    EXPECT_TRUE(!damaged.Surface ||
                (damaged.Surface->w == 256 * damaged.CellWidth && damaged.Surface->h == damaged.SurfaceHeight));
    damaged.SetColorKey(0, 0, 0);
    damaged.Render(10, 200, 30);
    damaged.DrawText(kAllCodes, 0, 100, kAlignLeft);
  }
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
  EXPECT_EQ(std::pair(font->Height, int(font->SurfaceHeight)), std::pair(2, 3));
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
  z = MakeZrar(0, 8, 1, 1, {{0xFF}});
  z.resize(7 + 2);  // only codes 0 and 1 are present
  LoadZrar(z)->DrawText(std::string("\x01" "A", 2), 0, 0, kAlignLeft);
  EXPECT_EQ(Row(0, 0, 16), "########........");
  EXPECT_EQ(log.Count("BMPFONT"), 2);
  EXPECT_TRUE(log.Has("[BMPFONT, TZrarFont.Init] Cell font header cut short! (BMPFont: anti.zrr)"));
  EXPECT_TRUE(log.Has("[BMPFONT, TZrarFont.Init] Cell font shorter than its cells! (BMPFont: anti.zrr)"));
}

}  // namespace quarry::test
