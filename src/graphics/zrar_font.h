// The "ZRAR" cell font: 256 one-bit glyph cells of equal size. It keeps its
// bits so it can be rendered again in another colour at any time.
#pragma once

#include <memory>

#include "graphics/bmp_font.h"

namespace quarry {

class TMemoryStream;

class TZrarFont : public TBMPFont {
public:
  TZrarFont(const std::string& memberName, TMad& archive);
  // The same from the member already opened; name is used in messages.
  TZrarFont(const std::string& name, TStream& member);
  ~TZrarFont() override;

  // Draws all 256 cells into a new glyph surface in this colour, keeping the
  // colour key if one was set. Does nothing on an empty font.
  void Render(uint8_t r, uint8_t g, uint8_t b);

  std::unique_ptr<TMemoryStream> GlyphData;  // the member from its 8th byte
  uint16_t CellWidth = 0;
  uint16_t CellHeight = 0;
  uint16_t SurfaceHeight = 0;
  uint8_t Flags = 0;  // bit 0: "g", "q", "y" drawn one pixel lower
  std::string Magic;

private:
  void Load(const std::string& name, TStream& member);
};

}  // namespace quarry
