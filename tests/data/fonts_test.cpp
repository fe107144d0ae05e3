// Fonts rendered from DejaVu: the glyph sheet and the one-bit cell font.
#include <gtest/gtest.h>

#include <filesystem>

#include "font.h"

using namespace datagen;

namespace {

std::string FontFile(const char* name) {
  std::string path = std::string(QUARRY_TEST_FONT_DIR) + "/" + name;
  return std::filesystem::exists(path) ? path : "";
}

int U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

}  // namespace

TEST(SheetFont, RectanglesTileOneRowAndCoverEveryPrintableCode) {
  std::string path = FontFile("DejaVuSans-Bold.ttf");
  if (path.empty()) GTEST_SKIP() << "fonts-dejavu-core not installed";
  SheetFont font = BuildSheetFont(path, 20);
  const int w = U16(font.gsd, 0), h = U16(font.gsd, 2);
  ASSERT_EQ(font.gsd.size(), 4u + static_cast<size_t>(w) * h);
  EXPECT_EQ(h, font.height);
  EXPECT_GE(h, 20);
  EXPECT_LE(h, 28);  // fits the 28-pixel boxes of the play screen's displays
  ASSERT_EQ(font.bmf.size(), 9u * (94u + 95u));
  int expectedX = 0;
  for (size_t r = 0; r < 94 + 95; ++r) {
    const size_t at = r * 9;
    const int code = r < 94 ? 33 + static_cast<int>(r) : 161 + static_cast<int>(r) - 94;
    EXPECT_EQ(font.bmf[at], code);
    int x1 = U16(font.bmf, at + 1), y1 = U16(font.bmf, at + 3), x2 = U16(font.bmf, at + 5), y2 = U16(font.bmf, at + 7);
    EXPECT_EQ(x1, expectedX) << "code " << code;
    EXPECT_GE(x2, x1);
    EXPECT_EQ(y1, 0);
    EXPECT_EQ(y2, h - 1);
    // Every visible character leaves ink inside its own rectangle.
    int ink = 0;
    for (int y = 0; y < h; ++y)
      for (int x = x1; x <= x2; ++x) ink = std::max<int>(ink, font.gsd[4 + y * w + x]);
    // The soft hyphen (173) is invisible by design.
    if (code != 173) {
      EXPECT_GT(ink, 128) << "code " << code;
    }
    expectedX = x2 + 1;
  }
  EXPECT_EQ(expectedX, w);
}

TEST(CellFont, LayoutAndInk) {
  std::string path = FontFile("DejaVuSansMono.ttf");
  if (path.empty()) GTEST_SKIP() << "fonts-dejavu-core not installed";
  std::vector<uint8_t> zrar = BuildZrarFont(path, 13, 8, 16, 12);
  ASSERT_EQ(zrar.size(), 7u + 256u * 16u);
  EXPECT_EQ(std::string(zrar.begin(), zrar.begin() + 4), "ZRAR");
  EXPECT_EQ(zrar[4], 0);  // no descender shift: descenders sit inside the cell
  EXPECT_EQ(zrar[5], 8);
  EXPECT_EQ(zrar[6], 16);
  auto cellInk = [&](int code) {
    int bits = 0;
    for (int row = 0; row < 16; ++row) bits += __builtin_popcount(zrar[7 + code * 16 + row]);
    return bits;
  };
  EXPECT_EQ(cellInk(' '), 0);
  EXPECT_EQ(cellInk(0), 0);
  EXPECT_EQ(cellInk(200), 0);
  for (int c = 33; c < 127; ++c) EXPECT_GT(cellInk(c), 0) << "code " << c;
  // "g" reaches below the baseline row 12, "A" does not.
  auto lowestRow = [&](int code) {
    for (int row = 15; row >= 0; --row)
      if (zrar[7 + code * 16 + row]) return row;
    return -1;
  };
  EXPECT_GT(lowestRow('g'), 12);
  EXPECT_LE(lowestRow('A'), 12);
}

TEST(CellFont, NarrowCellsUseTheLowBitsOfTheirByte) {
  std::string path = FontFile("DejaVuSansMono.ttf");
  if (path.empty()) GTEST_SKIP() << "fonts-dejavu-core not installed";
  std::vector<uint8_t> zrar = BuildZrarFont(path, 8, 6, 10, 8);
  ASSERT_EQ(zrar.size(), 7u + 256u * 10u);
  int ink = 0;
  for (size_t i = 7; i < zrar.size(); ++i) {
    EXPECT_EQ(zrar[i] & 0xC0, 0) << "byte " << i << " uses a bit left of the cell";
    ink += __builtin_popcount(zrar[i]);
  }
  EXPECT_GT(ink, 0);
  EXPECT_THROW(BuildZrarFont(path, 8, 0, 10, 8), std::runtime_error);
}

TEST(Fonts, AMissingFontFileIsAnErrorNotACrash) {
  EXPECT_THROW(BuildSheetFont("/nonexistent/font.ttf", 20), std::runtime_error);
  EXPECT_THROW(RenderLine("/nonexistent/font.ttf", 20, "x"), std::runtime_error);
}
