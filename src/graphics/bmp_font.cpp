#include "graphics/bmp_font.h"

#include <string_view>
#include <vector>

#include "archive/mad.h"
#include "core/log.h"
#include "core/stream.h"
#include "graphics/zr_sdl.h"

namespace quarry {

namespace {

constexpr size_t kFontNameMax = 12;
// Surfaces of the SDL 1.2 interface keep their pitch in 16 bits.
constexpr int kMaxSheetSide = 16383;
const char* const kInitTag = "BMPFONT, TBMPFont.Init";

// Texts are short strings: at most 255 characters count.
std::string_view ShortView(const std::string& text) {
  return std::string_view(text).substr(0, 255);
}

}  // namespace

TBMPFont::TBMPFont(const std::string& name, TMad& archive, uint8_t r, uint8_t g, uint8_t b) {
  std::unique_ptr<TMemoryStream> gsd = archive.OpenStream(name + ".gsd");
  std::unique_ptr<TMemoryStream> bmf = archive.OpenStream(name + ".bmf");
  TMemoryStream empty;  // a member of unknown packing reads as damaged
  Load(name, gsd ? *gsd : empty, bmf ? *bmf : empty, r, g, b);
}

TBMPFont::TBMPFont(const std::string& name, TStream& gsd, TStream& bmf, uint8_t r, uint8_t g,
                   uint8_t b) {
  Load(name, gsd, bmf, r, g, b);
}

void TBMPFont::Load(const std::string& name, TStream& gsd, TStream& bmf, uint8_t r, uint8_t g,
                    uint8_t b) {
  Name = name.substr(0, kFontNameMax);

  uint16_t w = 0, h = 0;
  bool sizesRead = gsd.ReadU16(w) && gsd.ReadU16(h);
  const int64_t pixels = static_cast<int64_t>(w) * h;
  if (!sizesRead || pixels > gsd.Remaining() || w > kMaxSheetSide || h > kMaxSheetSide) {
    // An empty font draws nothing rather than pixels from outside the member.
    LogWarning("Damaged glyph sheet! (BMPFont: " + Name + ")", kInitTag);
  } else if (pixels > 0) {
    std::vector<uint8_t> intensity(static_cast<size_t>(pixels));
    gsd.Read(intensity.data(), pixels);
    // Blue, green, red per pixel: with all masks 0 SDL's 24-bit default puts
    // red in the third byte. Shifting right by 8 makes full white 254.
    std::vector<uint8_t> bgr(static_cast<size_t>(pixels) * 3);
    for (size_t i = 0; i < intensity.size(); ++i) {
      bgr[i * 3] = static_cast<uint8_t>((intensity[i] * b) >> 8);
      bgr[i * 3 + 1] = static_cast<uint8_t>((intensity[i] * g) >> 8);
      bgr[i * 3 + 2] = static_cast<uint8_t>((intensity[i] * r) >> 8);
    }
    SDL_Surface* source = SDL_CreateRGBSurfaceFrom(bgr.data(), w, h, 24, w * 3, 0, 0, 0, 0);
    if (source) {
      Surface.reset(NewSurface(w, h));
      if (Surface) BlitOnto(Surface.get(), 0, 0, source);
      SDL_FreeSurface(source);
    }
  }
  const int sheetW = Surface ? Surface->w : 0;
  const int sheetH = Surface ? Surface->h : 0;
  Height = sheetH;

  int rejected = 0;
  while (bmf.Position() < bmf.Size()) {
    uint8_t code = 0;
    GlyphRect rect;
    if (!(bmf.ReadByte(code) && bmf.ReadU16(rect.x1) && bmf.ReadU16(rect.y1) &&
          bmf.ReadU16(rect.x2) && bmf.ReadU16(rect.y2))) {
      LogWarning("Glyph table ends inside a record! (BMPFont: " + Name + ")", kInitTag);
      break;
    }
    // A rectangle reaching outside the sheet would draw whatever SDL's
    // clipping leaves of it; such a character keeps its earlier rectangle.
    if (rect.x1 > rect.x2 || rect.y1 > rect.y2 || rect.x2 >= sheetW || rect.y2 >= sheetH) {
      ++rejected;
      continue;
    }
    Glyphs[code] = rect;  // a later record replaces an earlier one
  }
  if (rejected > 0)
    LogWarning(std::to_string(rejected) + " glyph(s) outside the sheet ignored! (BMPFont: " +
                   Name + ")",
               kInitTag);
}

int32_t TBMPFont::TextWidth(const std::string& text) const {
  int32_t width = 0;
  for (unsigned char c : ShortView(text)) {
    if (c == ' ')
      width += SpaceWidth;
    else
      width += (Glyphs[c].x2 - Glyphs[c].x1 + 1) + Spacing;
  }
  return width - Spacing;
}

void TBMPFont::DrawText(const std::string& text, int x, int y, int align) const {
  if (align == kAlignCentre)
    x -= TextWidth(text) / 2;  // C++ division rounds toward zero, as it must here
  else if (align == kAlignRight)
    x -= TextWidth(text);
  for (unsigned char c : ShortView(text)) {
    if (c == ' ') {
      x += SpaceWidth;
      continue;
    }
    const GlyphRect& g = Glyphs[c];
    if (Surface) BlitPart(x, y + g.y1, g.x1, g.y1, g.x2, g.y2, Surface.get());
    x += (g.x2 - g.x1 + 1) + Spacing;
  }
}

void TBMPFont::SetAlpha(uint8_t alpha) {
  if (!Surface || SDL_SetAlpha(Surface.get(), AlphaFlags, alpha) == -1)
    LogWarning("SetAlpha failed! (BMPFont: " + Name + ")", "BMPFONT.SetAlpha");
}

void TBMPFont::SetColorKey(uint8_t r, uint8_t g, uint8_t b) {
  ColorKeyed = true;
  KeyR = r;
  KeyG = g;
  KeyB = b;
  if (Surface) SDL_SetColorKey(Surface.get(), ColorKeyFlags, SDL_MapRGB(Surface->format, r, g, b));
}

}  // namespace quarry
