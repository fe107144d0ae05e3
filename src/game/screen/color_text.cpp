#include "game/screen/color_text.h"

#include "graphics/bmp_font.h"

namespace quarry {

namespace {
TBMPFont* FontFor(const ColorFontTable& fonts, unsigned char code) {
  // Switch values 7..15 name no font; they draw nothing rather than index
  // past the table.
  return code < fonts.size() ? fonts[code] : nullptr;
}
}  // namespace

void DrawColorText(const ColorFontTable& fonts, const std::string& text, int x, int y, int align) {
  unsigned char current = 0;
  int width = 0;
  for (unsigned char c : text) {
    if (c < 16) {
      current = c;
    } else if (TBMPFont* font = FontFor(fonts, current)) {
      width += font->TextWidth(std::string(1, static_cast<char>(c)));
    }
  }
  if (align == 1) x -= width / 2;
  if (align == 2) x -= width;
  current = 0;
  for (unsigned char c : text) {
    if (c < 16) {
      current = c;
      continue;
    }
    TBMPFont* font = FontFor(fonts, current);
    if (!font) continue;
    std::string one(1, static_cast<char>(c));
    font->DrawText(one, x, y, 0);
    x += font->TextWidth(one);
  }
}

}  // namespace quarry
