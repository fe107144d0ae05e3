#include "font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace datagen {
namespace {

// Owns the library and one face for the length of a build step.
class Face {
public:
  Face(const std::string& path, int pixelSize) {
    if (FT_Init_FreeType(&library_)) throw std::runtime_error("FreeType failed to start");
    if (FT_New_Face(library_, path.c_str(), 0, &face_)) {
      FT_Done_FreeType(library_);
      throw std::runtime_error("cannot open font " + path);
    }
    FT_Set_Pixel_Sizes(face_, 0, pixelSize);
  }
  ~Face() {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  FT_Face operator->() const { return face_; }
  FT_Face get() const { return face_; }
  int Ascent() const { return static_cast<int>(std::ceil(face_->size->metrics.ascender / 64.0)); }
  int Descent() const { return static_cast<int>(std::ceil(-face_->size->metrics.descender / 64.0)); }
  void Load(uint32_t code, FT_Int32 flags) {
    if (FT_Load_Char(face_, code, flags)) throw std::runtime_error("glyph failed to render");
  }

private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// Copies the rendered glyph bitmap into the map with its pen at (penX, baseline).
void Draw(GreyMap& map, const FT_GlyphSlot slot, int penX, int baseline) {
  const FT_Bitmap& bm = slot->bitmap;
  for (unsigned row = 0; row < bm.rows; ++row)
    for (unsigned col = 0; col < bm.width; ++col) {
      int x = penX + slot->bitmap_left + static_cast<int>(col);
      int y = baseline - slot->bitmap_top + static_cast<int>(row);
      if (x < 0 || y < 0 || x >= map.width || y >= map.height) continue;
      uint8_t v = bm.buffer[row * bm.pitch + col];
      uint8_t& dst = map.values[static_cast<size_t>(y) * map.width + x];
      dst = std::max(dst, v);
    }
}

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}

}  // namespace

GreyMap RenderLine(const std::string& fontPath, int pixelSize, const std::string& text) {
  Face face(fontPath, pixelSize);
  int width = 0;
  for (unsigned char c : text) {
    face.Load(c, FT_LOAD_DEFAULT);
    width += static_cast<int>(face->glyph->advance.x >> 6);
  }
  GreyMap map;
  map.width = width + 2;
  map.height = face.Ascent() + face.Descent();
  map.values.assign(static_cast<size_t>(map.width) * map.height, 0);
  int pen = 1;
  for (unsigned char c : text) {
    face.Load(c, FT_LOAD_RENDER);
    Draw(map, face->glyph, pen, face.Ascent());
    pen += static_cast<int>(face->glyph->advance.x >> 6);
  }
  return map;
}

SheetFont BuildSheetFont(const std::string& fontPath, int pixelSize) {
  Face face(fontPath, pixelSize);
  struct Slot { int code, x, width; };
  std::vector<Slot> slots;
  int x = 0;
  for (int code = 33; code <= 255; ++code) {
    if (code >= 127 && code <= 160) continue;  // controls and the no-break space
    face.Load(code, FT_LOAD_DEFAULT);
    int advance = static_cast<int>(face->glyph->advance.x >> 6);
    int inkRight = static_cast<int>(face->glyph->metrics.horiBearingX + face->glyph->metrics.width + 63) >> 6;
    int w = std::max({advance - 1, inkRight, 1});
    slots.push_back({code, x, w});
    x += w;
  }
  SheetFont font;
  font.height = face.Ascent() + face.Descent();
  GreyMap sheet;
  sheet.width = x;
  sheet.height = font.height;
  sheet.values.assign(static_cast<size_t>(sheet.width) * sheet.height, 0);
  for (const Slot& s : slots) {
    face.Load(s.code, FT_LOAD_RENDER);
    // Glyphs that reach left of their pen position are pushed right so no ink
    // falls into the neighbouring rectangle.
    int pen = s.x + std::max(0, -face->glyph->bitmap_left);
    GreyMap cell;
    cell.width = s.width;
    cell.height = sheet.height;
    cell.values.assign(static_cast<size_t>(cell.width) * cell.height, 0);
    Draw(cell, face->glyph, pen - s.x, face.Ascent());
    for (int yy = 0; yy < cell.height; ++yy)
      for (int xx = 0; xx < cell.width; ++xx)
        sheet.values[static_cast<size_t>(yy) * sheet.width + s.x + xx] = cell.At(xx, yy);
  }
  PutU16(font.gsd, sheet.width);
  PutU16(font.gsd, sheet.height);
  font.gsd.insert(font.gsd.end(), sheet.values.begin(), sheet.values.end());
  for (const Slot& s : slots) {
    font.bmf.push_back(static_cast<uint8_t>(s.code));
    PutU16(font.bmf, s.x);
    PutU16(font.bmf, 0);
    PutU16(font.bmf, s.x + s.width - 1);
    PutU16(font.bmf, sheet.height - 1);
  }
  return font;
}

std::vector<uint8_t> BuildZrarFont(const std::string& fontPath, int pixelSize, int cellWidth,
                                   int cellHeight, int baseline) {
  if (cellWidth < 1 || cellWidth > 255 || cellHeight < 1 || cellHeight > 255)
    throw std::runtime_error("cell size out of range");
  Face face(fontPath, pixelSize);
  const int rowBytes = (cellWidth + 7) / 8;
  std::vector<uint8_t> out = {'Z', 'R', 'A', 'R', 0, static_cast<uint8_t>(cellWidth),
                              static_cast<uint8_t>(cellHeight)};
  for (int code = 0; code < 256; ++code) {
    GreyMap cell;
    cell.width = cellWidth;
    cell.height = cellHeight;
    cell.values.assign(static_cast<size_t>(cellWidth) * cellHeight, 0);
    if (code > 32 && code < 127) {
      face.Load(code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO);
      const FT_GlyphSlot slot = face->glyph;
      const FT_Bitmap& bm = slot->bitmap;
      // Centre the ink in the cell; monospace glyphs then line up evenly.
      int left = (cellWidth - static_cast<int>(bm.width)) / 2;
      for (unsigned row = 0; row < bm.rows; ++row)
        for (unsigned col = 0; col < bm.width; ++col) {
          bool ink = bm.buffer[row * bm.pitch + col / 8] & (0x80 >> (col % 8));
          int xx = left + static_cast<int>(col), yy = baseline - slot->bitmap_top + static_cast<int>(row);
          if (ink && xx >= 0 && yy >= 0 && xx < cellWidth && yy < cellHeight)
            cell.values[static_cast<size_t>(yy) * cellWidth + xx] = 1;
        }
    }
    for (int y = 0; y < cellHeight; ++y) {
      // Narrow cells keep their pixels in the low bits of the single byte.
      int shift = (cellWidth < 8) ? 8 - cellWidth : 0;
      for (int b = 0; b < rowBytes; ++b) {
        uint8_t byte = 0;
        for (int bit = 0; bit < 8; ++bit) {
          int xx = b * 8 + bit - shift;
          if (xx >= 0 && xx < cellWidth && cell.values[static_cast<size_t>(y) * cellWidth + xx])
            byte |= static_cast<uint8_t>(0x80 >> bit);
        }
        out.push_back(byte);
      }
    }
  }
  return out;
}

}  // namespace datagen
