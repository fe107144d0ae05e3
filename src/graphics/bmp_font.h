// Bitmap fonts: a glyph surface holding every character and 256 inclusive
// glyph rectangles on it. The glyph-sheet font is tinted once while loading;
// the cell font (zrar_font.h) keeps its bits and can be redrawn in any colour.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "graphics/surface_ptr.h"

namespace quarry {

class TMad;
class TStream;

struct GlyphRect {
  uint16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

enum TextAlign : int { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };

class TBMPFont {
public:
  // Loads the glyph sheet name + ".gsd" tinted with (r, g, b) and the glyph
  // rectangles name + ".bmf" from the archive.
  TBMPFont(const std::string& name, TMad& archive, uint8_t r, uint8_t g, uint8_t b);
  // The same from the two members already opened.
  TBMPFont(const std::string& name, TStream& gsd, TStream& bmf, uint8_t r, uint8_t g, uint8_t b);
  virtual ~TBMPFont() = default;
  TBMPFont(const TBMPFont&) = delete;
  TBMPFont& operator=(const TBMPFont&) = delete;

  int32_t TextWidth(const std::string& text) const;
  // Draws on the BackBuffer; align 0 = x is the left edge, 1 = the centre,
  // 2 = the right edge. y is the top of the sheet's row.
  void DrawText(const std::string& text, int x, int y, int align) const;
  void SetAlpha(uint8_t alpha);
  void SetColorKey(uint8_t r, uint8_t g, uint8_t b);

  int32_t Spacing = 1;
  int32_t SpaceWidth = 10;
  int32_t Height = 0;
  SurfacePtr Surface;  // none for a font whose member was damaged
  std::array<GlyphRect, 256> Glyphs{};
  std::string Name;
  bool ColorKeyed = false;
  uint8_t KeyR = 0, KeyG = 0, KeyB = 0;

protected:
  TBMPFont() = default;

private:
  void Load(const std::string& name, TStream& gsd, TStream& bmf, uint8_t r, uint8_t g, uint8_t b);
};

}  // namespace quarry
