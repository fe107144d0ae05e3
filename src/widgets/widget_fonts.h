// The fonts the widgets draw with. The program hands its colour fonts over
// once they are loaded; a font reference from the control memory is an index
// into this table.
#pragma once

#include <cstdint>

#include "game/screen/color_text.h"

namespace quarry {

// Copies the table (the fonts stay owned by the caller). Pass an empty table
// before the fonts are released.
void SetWidgetFonts(const ColorFontTable& fonts);
const ColorFontTable& WidgetFonts();

// The font a reference names, or nullptr ("no font") for a reference outside
// 0..6 or an empty slot.
TBMPFont* WidgetFont(uint32_t reference);
// Height of that font; 0 for no font.
int WidgetFontHeight(uint32_t reference);

}  // namespace quarry
