#include "icon.h"

#include <algorithm>
#include <stdexcept>

#include "art.h"
#include "graphics/png_file.h"

namespace datagen {

namespace {
const Image& Member(const std::vector<ArtFile>& art, const std::string& name) {
  for (const auto& file : art)
    if (file.member == name) return file.image;
  throw std::runtime_error("no cave picture " + name);
}

// The first 32 x 32 frame of a picture that may be an animation strip.
Image FirstFrame(const Image& strip) {
  Image frame(32, 32);
  frame.Paste(strip, 0, 0);
  return frame;
}
}  // namespace

Image GameIcon() {
  auto art = CaveArt();
  Image icon(64, 64);
  icon.Paste(FirstFrame(Member(art, "sand1.bmp")), 0, 0);
  icon.Paste(FirstFrame(Member(art, "gem1.bmp")), 32, 0);
  icon.Paste(FirstFrame(Member(art, "rock1.bmp")), 0, 32);
  icon.Paste(FirstFrame(Member(art, "minerdn.bmp")), 32, 32);
  return icon;
}

Image ScaledSquare(const Image& image, int size) {
  Image out(size, size);
  int from = image.Width();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      // The source pixels this target pixel covers (at least one).
      int x0 = x * from / size, x1 = std::max(x0 + 1, (x + 1) * from / size);
      int y0 = y * from / size, y1 = std::max(y0 + 1, (y + 1) * from / size);
      int r = 0, g = 0, b = 0, n = 0;
      for (int sy = y0; sy < y1; ++sy)
        for (int sx = x0; sx < x1; ++sx, ++n) {
          Rgb c = image.Get(sx, sy);
          r += c.r, g += c.g, b += c.b;
        }
      out.Set(x, y, {static_cast<uint8_t>(r / n), static_cast<uint8_t>(g / n), static_cast<uint8_t>(b / n)});
    }
  return out;
}

std::vector<uint8_t> EncodeIconPng(const Image& image) {
  quarry::TRgbImage rgb(image.Width(), image.Height());
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) {
      Rgb c = image.Get(x, y);
      uint8_t* pixel = rgb.At(x, y);
      pixel[0] = c.r, pixel[1] = c.g, pixel[2] = c.b;
    }
  std::vector<uint8_t> png = quarry::EncodePng(rgb);
  if (png.empty()) throw std::runtime_error("libpng could not encode the icon");
  return png;
}

}  // namespace datagen
