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
  EXPECT_TRUE(h >= 20 && h <= 28) << h << " must fit the 28-pixel boxes of the play screen's displays";
  ASSERT_EQ(font.bmf.size(), 9u * (94u + 95u));
  int expectedX = 0;
  for (size_t at = 0; at < font.bmf.size(); at += 9) {
    const int code = at < 94 * 9 ? 33 + static_cast<int>(at / 9) : 161 + static_cast<int>(at / 9) - 94;
    const int x1 = U16(font.bmf, at + 1), x2 = U16(font.bmf, at + 5);
    EXPECT_EQ(std::tuple(int{font.bmf[at]}, x1, U16(font.bmf, at + 3), U16(font.bmf, at + 7)),
              std::tuple(code, expectedX, 0, h - 1)) << "code " << code;
    EXPECT_GE(x2, x1);
    // Every visible character leaves ink inside its own rectangle; the soft hyphen (173) is invisible by design.
    int ink = 0;
    for (int y = 0; y < h; ++y)
      for (int x = x1; x <= x2; ++x) ink = std::max<int>(ink, font.gsd[4 + y * w + x]);
    EXPECT_TRUE(code == 173 || ink > 128) << "code " << code << " ink " << ink;
    expectedX = x2 + 1;
  }
  EXPECT_EQ(expectedX, w);
}

TEST(CellFont, LayoutInkNarrowCellsAndMissingFiles) {
  EXPECT_THROW(BuildSheetFont("/nonexistent/font.ttf", 20), std::runtime_error);  // an error, not a crash
  EXPECT_THROW(RenderLine("/nonexistent/font.ttf", 20, "x"), std::runtime_error);
  std::string path = FontFile("DejaVuSansMono.ttf");
  if (path.empty()) GTEST_SKIP() << "fonts-dejavu-core not installed";
  std::vector<uint8_t> zrar = BuildZrarFont(path, 13, 8, 16, 12);
  ASSERT_EQ(zrar.size(), 7u + 256u * 16u);
  // No descender shift (descenders sit inside the cell), 8 x 16 cells.
  EXPECT_EQ(std::vector<uint8_t>(zrar.begin(), zrar.begin() + 7), (std::vector<uint8_t>{'Z', 'R', 'A', 'R', 0, 8, 16}));
  auto lowestInkRow = [&](int code) {
    int row = 15;
    while (row >= 0 && zrar[7 + code * 16 + row] == 0) --row;
    return row;
  };
  for (int code : {int{' '}, 0, 200}) EXPECT_EQ(lowestInkRow(code), -1) << "code " << code;
  for (int code = 33; code < 127; ++code) EXPECT_GE(lowestInkRow(code), 0) << "code " << code;
  EXPECT_GT(lowestInkRow('g'), 12) << "g reaches below the baseline row";
  EXPECT_LE(lowestInkRow('A'), 12);
  // Narrow cells use the low bits of their byte.
  std::vector<uint8_t> narrow = BuildZrarFont(path, 8, 6, 10, 8);
  ASSERT_EQ(narrow.size(), 7u + 256u * 10u);
  int ink = 0;
  for (size_t i = 7; i < narrow.size(); ++i) {
    EXPECT_EQ(narrow[i] & 0xC0, 0) << "byte " << i << " uses a bit left of the cell";
    ink += __builtin_popcount(narrow[i]);
  }
  EXPECT_GT(ink, 0);
  EXPECT_THROW(BuildZrarFont(path, 8, 0, 10, 8), std::runtime_error);
}
