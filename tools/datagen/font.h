// Fonts rendered from a TrueType file with FreeType: the grey glyph sheet
// (".gsd" picture plus ".bmf" rectangles) and the one-bit "ZRAR" cell font.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

struct GreyMap {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> values;  // row-major intensities 0..255
  uint8_t At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return values[static_cast<size_t>(y) * width + x];
  }
};

// One line of anti-aliased text, cropped to the line's ascent and descent.
GreyMap RenderLine(const std::string& fontPath, int pixelSize, const std::string& text);

struct SheetFont {
  std::vector<uint8_t> gsd;  // u16 width, u16 height, one intensity per pixel
  std::vector<uint8_t> bmf;  // 9-byte records: code, x1, y1, x2, y2
  int height = 0;
};

// Glyphs of the printable codes (33..126 and the Latin-1 letters and signs
// 161..255, which typed names may hold) in one row. Each rectangle spans the
// glyph's advance less one pixel, because the drawing code adds one pixel of
// spacing.
SheetFont BuildSheetFont(const std::string& fontPath, int pixelSize);

// "ZRAR", flags 0, cell size, then 256 cells of one-bit rows (most significant
// bit leftmost). Glyphs are rendered in FreeType's monochrome mode and placed
// on a common baseline.
std::vector<uint8_t> BuildZrarFont(const std::string& fontPath, int pixelSize, int cellWidth,
                                   int cellHeight, int baseline);

}  // namespace datagen
