#include "image.h"

#include <algorithm>
#include <cmath>

namespace datagen {

Image::Image(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

Rgb Image::Get(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

void Image::Set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

void Image::Blend(int x, int y, Rgb c, double alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Set(x, y, Mix(Get(x, y), c, std::clamp(alpha, 0.0, 1.0)));
}

void Image::FillRect(int x, int y, int w, int h, Rgb c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) Set(i, j, c);
}

void Image::FillCircle(double cx, double cy, double radius, Rgb c) {
  int x0 = static_cast<int>(std::floor(cx - radius - 1));
  int x1 = static_cast<int>(std::ceil(cx + radius + 1));
  int y0 = static_cast<int>(std::floor(cy - radius - 1));
  int y1 = static_cast<int>(std::ceil(cy + radius + 1));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      // One pixel of soft edge; the edge is mixed towards the pixel below.
      double a = std::clamp(radius - d + 0.5, 0.0, 1.0);
      if (a >= 1.0) Set(x, y, c);
      else if (a > 0.0) Blend(x, y, c, a);
    }
}

void Image::Paste(const Image& src, int x, int y, bool keyBlack) {
  for (int j = 0; j < src.height_; ++j)
    for (int i = 0; i < src.width_; ++i) {
      Rgb c = src.Get(i, j);
      if (keyBlack && c == Rgb{}) continue;
      Set(x + i, y + j, c);
    }
}

Image Image::Mirrored() const {
  Image out(width_, height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) out.Set(width_ - 1 - x, y, Get(x, y));
  return out;
}

std::vector<uint8_t> EncodeBmp24(const Image& image) {
  const uint32_t w = image.Width(), h = image.Height();
  const uint32_t rowBytes = (w * 3 + 3) & ~3u;
  const uint32_t dataSize = rowBytes * h;
  std::vector<uint8_t> out;
  out.reserve(54 + dataSize);
  auto u16 = [&](uint32_t v) { out.push_back(v & 0xFF); out.push_back((v >> 8) & 0xFF); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
  out.push_back('B');
  out.push_back('M');
  u32(54 + dataSize);
  u32(0);
  u32(54);
  u32(40);
  u32(w);
  u32(h);
  u16(1);
  u16(24);
  u32(0);  // no compression
  u32(dataSize);
  u32(2835);  // 72 dpi
  u32(2835);
  u32(0);
  u32(0);
  for (int y = static_cast<int>(h) - 1; y >= 0; --y) {
    for (uint32_t x = 0; x < w; ++x) {
      Rgb c = image.Get(static_cast<int>(x), y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    for (uint32_t p = w * 3; p < rowBytes; ++p) out.push_back(0);
  }
  return out;
}

Image Strip(const std::vector<Image>& frames) {
  if (frames.empty()) return {};
  int fw = frames[0].Width(), fh = frames[0].Height();
  Image out(fw * static_cast<int>(frames.size()), fh);
  for (size_t i = 0; i < frames.size(); ++i) out.Paste(frames[i], fw * static_cast<int>(i), 0);
  return out;
}

uint32_t Noise::Next() {
  // xorshift32
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

Rgb Scale(Rgb c, double f) {
  auto s = [f](uint8_t v) { return static_cast<uint8_t>(std::clamp(v * f, 0.0, 255.0)); };
  return {s(c.r), s(c.g), s(c.b)};
}

Rgb Mix(Rgb a, Rgb b, double t) {
  auto m = [t](uint8_t x, uint8_t y) {
    return static_cast<uint8_t>(std::clamp(std::lround(x + (y - x) * t), 0L, 255L));
  };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

}  // namespace datagen
