#include "graphics/zrar_font.h"

#include "archive/mad.h"
#include "core/log.h"
#include "core/stream.h"
#include "graphics/zr_sdl.h"

namespace quarry {

TZrarFont::TZrarFont(const std::string& memberName, TMad& archive) {
  std::unique_ptr<TMemoryStream> member = archive.OpenStream(memberName);
  TMemoryStream empty;
  Load(memberName, member ? *member : empty);
}

TZrarFont::~TZrarFont() = default;

TZrarFont::TZrarFont(const std::string& name, TStream& member) { Load(name, member); }

void TZrarFont::Load(const std::string& name, TStream& member) {
  Name = name.substr(0, 12);
  char magic[4] = {};
  Magic.assign(magic, static_cast<size_t>(member.Read(magic, 4)));
  if (Magic != "ZRAR") return;  // an empty font, without a message
  uint8_t cellWidth = 0, cellHeight = 0;
  if (!(member.ReadByte(Flags) && member.ReadByte(cellWidth) && member.ReadByte(cellHeight))) {
    LogWarning("Cell font header cut short! (BMPFont: " + Name + ")", "BMPFONT, TZrarFont.Init");
    return;
  }
  CellWidth = cellWidth;
  CellHeight = cellHeight;
  Height = CellHeight;
  SurfaceHeight = static_cast<uint16_t>(CellHeight + (Flags & 1));

  GlyphData = std::make_unique<TMemoryStream>(static_cast<size_t>(member.Remaining()), 1024);
  GlyphData->CopyFrom(member, member.Remaining());
  const int64_t needed = 256LL * CellHeight * ((CellWidth + 7) / 8);
  if (GlyphData->Size() < needed)
    // Render reads the missing bytes as blank rows.
    LogWarning("Cell font shorter than its cells! (BMPFont: " + Name + ")",
               "BMPFONT, TZrarFont.Init");

  Render(255, 255, 255);
  Spacing = 0;
  SpaceWidth = CellWidth;
}

void TZrarFont::Render(uint8_t r, uint8_t g, uint8_t b) {
  if (!GlyphData) return;
  GlyphData->Seek(0, SeekOrigin::Begin);
  Surface.reset();
  if (CellWidth == 0 || SurfaceHeight == 0) return;  // nothing to draw
  Surface.reset(NewSurface(256 * CellWidth, SurfaceHeight));
  if (!Surface) return;
  const int tail = CellWidth % 8;
  for (int c = 0; c < 256; ++c) {
    const int shift = ((Flags & 1) && (c == 'g' || c == 'q' || c == 'y')) ? 1 : 0;
    Glyphs[c] = {static_cast<uint16_t>(c * CellWidth), 0,
                 static_cast<uint16_t>((c + 1) * CellWidth - 1),
                 static_cast<uint16_t>(SurfaceHeight - 1)};
    for (int y = 0; y < CellHeight; ++y) {
      uint8_t bits = 0;
      for (int x = 0; x < CellWidth; ++x) {
        if (x % 8 == 0) {
          if (!GlyphData->ReadByte(bits)) bits = 0;
          // A row narrower than a byte (or the start of a row whose width is
          // not a multiple of 8) holds its pixels in the low bits.
          if (x == 0 && tail != 0) bits = static_cast<uint8_t>(bits << (8 - tail));
        }
        if (bits & 0x80) PutPixel(Surface.get(), c * CellWidth + x, y + shift, r, g, b);
        bits = static_cast<uint8_t>(bits << 1);
      }
    }
  }
  if (ColorKeyed)
    SDL_SetColorKey(Surface.get(), ColorKeyFlags, SDL_MapRGB(Surface->format, KeyR, KeyG, KeyB));
}

}  // namespace quarry
