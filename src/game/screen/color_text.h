// Texts in which the bytes 0 to 6 switch between the seven colour fonts.
#pragma once

#include <array>
#include <string>

namespace quarry {

class TBMPFont;

// Indexed by colour code: 0 light blue, 1 orange, 2 mint, 3 pink, 4 red,
// 5 yellow, 6 green. A missing font draws nothing and measures 0.
using ColorFontTable = std::array<TBMPFont*, 7>;

// Alignment 0 left, 1 centred on x, 2 right-aligned at x. Characters are
// drawn one by one without letter spacing between them.
void DrawColorText(const ColorFontTable& fonts, const std::string& text, int x, int y, int align);

}  // namespace quarry
