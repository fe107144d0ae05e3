// A damaged-input corpus: every truncation of valid members plus seeded byte
// corruptions, through LoadCel, the .gsd/.bmf pair and the ZRAR loader. Run
// under the sanitizer build this catches any read outside a member.
#include <random>

#include "core/stream.h"
#include "display_fixture.h"
#include "graphics/bmp_font.h"
#include "graphics/image_list.h"
#include "graphics/image_loader.h"
#include "graphics/zrar_font.h"

namespace quarry {
namespace {

using test::Bytes;

// Truncations, then 300 copies with 1 to 4 bytes replaced (fixed seed, so a
// failure reproduces); half of the hits aim at the header.
std::vector<Bytes> DamagedCopies(const Bytes& good) {
  std::vector<Bytes> out;
  for (size_t n = 0; n < good.size(); n += (n < 64 ? 1 : 7)) out.emplace_back(good.begin(), good.begin() + long(n));
  std::mt19937 rng(20261207);
  for (int i = 0; i < 300; ++i) {
    Bytes& b = out.emplace_back(good);
    for (int h = 1 + int(rng() % 4); h > 0; --h)
      b[(rng() % 2) ? rng() % std::min<size_t>(b.size(), 12) : rng() % b.size()] = uint8_t(rng());
  }
  return out;
}

// Every code, drawn from a point where all of it lands on the BackBuffer.
const std::string kAllCodes = [] {
  std::string s(256, '\0');
  for (int c = 0; c < 256; ++c) s[c] = char(c);
  return s;
}();

bool GlyphsInside(const TBMPFont& font) {
  const int w = font.Surface ? font.Surface->w : 0, h = font.Surface ? font.Surface->h : 0;
  for (const GlyphRect& g : font.Glyphs) {
    const bool zero = g.x1 == 0 && g.y1 == 0 && g.x2 == 0 && g.y2 == 0;
    if (!zero && (g.x2 >= w || g.y2 >= h || g.x1 > g.x2 || g.y1 > g.y2)) return false;
  }
  return true;
}

class DamagedInputTest : public test::DisplayTest {
protected:
  LogCapture quiet_;
};

TEST_F(DamagedInputTest, CelLoaderAndHeaderReaderAgreeOnEveryDamagedMember) {
  Bytes palette(768), pixels(12 * 5);
  for (size_t i = 0; i < palette.size(); ++i) palette[i] = uint8_t(i * 5);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 3);
  int decoded = 0;
  for (const Bytes& member : DamagedCopies(test::MakeCel(12, 5, palette, pixels))) {
    TMemoryStream stream(member.data(), member.size());
    SurfacePtr surface = LoadCel(stream);
    int w = 0, h = 0;
    ASSERT_EQ(ReadCelSize(member.data(), member.size(), w, h), surface != nullptr);
    if (!surface) continue;
    ++decoded;
    EXPECT_EQ(surface->w, w);
    EXPECT_EQ(surface->h, h);
    EXPECT_LE(800u + size_t(w) * h, member.size());
    BlitWhole(0, 0, surface.get());
  }
  EXPECT_GT(decoded, 0);  // palette and pixel damage still decodes
}

TEST_F(DamagedInputTest, GlyphSheetFontsStayInsideTheirSheet) {
  Bytes intensity(40 * 6), bmf;
  for (size_t i = 0; i < intensity.size(); ++i) intensity[i] = uint8_t(i * 11);
  const Bytes gsd = test::MakeGsd(40, 6, intensity);
  for (int c = 0; c < 10; ++c) test::AddGlyph(bmf, uint8_t('0' + c), c * 4, 0, c * 4 + 3, 5);
  for (const Bytes& g : DamagedCopies(gsd)) {
    TMemoryStream gs(g.data(), g.size()), bs(bmf.data(), bmf.size());
    TBMPFont font("damaged", gs, bs, 200, 100, 50);
    ASSERT_TRUE(GlyphsInside(font));
    if (font.Surface) {
      EXPECT_LE(4u + size_t(font.Surface->w) * font.Surface->h, g.size());
    }
    font.DrawText(kAllCodes, 0, 0, kAlignLeft);
  }
  for (const Bytes& b : DamagedCopies(bmf)) {
    TMemoryStream gs(gsd.data(), gsd.size()), bs(b.data(), b.size());
    TBMPFont font("damaged", gs, bs, 200, 100, 50);
    ASSERT_NE(font.Surface, nullptr);
    ASSERT_TRUE(GlyphsInside(font));
    font.DrawText(kAllCodes, 320, 10, kAlignCentre);
  }
}

TEST_F(DamagedInputTest, CellFontsStayInsideTheirSurface) {
  Bytes z = {'Z', 'R', 'A', 'R', 1, 6, 7};
  for (int i = 0; i < 256 * 7; ++i) z.push_back(uint8_t(i * 13));
  for (const Bytes& member : DamagedCopies(z)) {
    TMemoryStream stream(member.data(), member.size());
    TZrarFont font("damaged", stream);
    ASSERT_TRUE(GlyphsInside(font));
    if (font.Surface) {
      EXPECT_EQ(font.Surface->w, 256 * font.CellWidth);
      EXPECT_EQ(font.Surface->h, font.SurfaceHeight);
    }
    font.SetColorKey(0, 0, 0);
    font.Render(10, 200, 30);
    font.DrawText(kAllCodes, 0, 100, kAlignLeft);
  }
}

}  // namespace
}  // namespace quarry
