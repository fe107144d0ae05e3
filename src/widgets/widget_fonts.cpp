#include "widgets/widget_fonts.h"

#include "graphics/bmp_font.h"

namespace quarry {

namespace {
ColorFontTable g_fonts{};
}

void SetWidgetFonts(const ColorFontTable& fonts) { g_fonts = fonts; }

const ColorFontTable& WidgetFonts() { return g_fonts; }

TBMPFont* WidgetFont(uint32_t reference) {
  return reference < g_fonts.size() ? g_fonts[reference] : nullptr;
}

int WidgetFontHeight(uint32_t reference) {
  const TBMPFont* font = WidgetFont(reference);
  return font ? font->Height : 0;
}

}  // namespace quarry
