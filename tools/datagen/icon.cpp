#include "icon.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "art.h"

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

void WritePng(const std::string& path, const Image& image) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!file) throw std::runtime_error("cannot write " + path);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("libpng could not start");
  }
  std::vector<uint8_t> row(static_cast<size_t>(image.Width()) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("cannot write " + path);
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, image.Width(), image.Height(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      Rgb c = image.Get(x, y);
      row[x * 3] = c.r, row[x * 3 + 1] = c.g, row[x * 3 + 2] = c.b;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fflush(file.get()) != 0) throw std::runtime_error("cannot write " + path);
}

}  // namespace datagen
