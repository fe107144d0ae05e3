// A plain RGB canvas for the generated artwork, and its 24-bit BMP form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

class Image {
public:
  Image() = default;
  Image(int width, int height, Rgb fill = {});

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Out-of-canvas reads give black and writes are dropped, so drawing code
  // can run shapes over the edges without checks.
  Rgb Get(int x, int y) const;
  void Set(int x, int y, Rgb c);
  // Mixes c over the pixel with weight alpha (0..1).
  void Blend(int x, int y, Rgb c, double alpha);
  void FillRect(int x, int y, int w, int h, Rgb c);
  void FillCircle(double cx, double cy, double radius, Rgb c);
  // Copies src with its top-left corner at (x, y); black source pixels are
  // skipped when keyBlack is set.
  void Paste(const Image& src, int x, int y, bool keyBlack = false);
  // Mirror image (left-right), used for facing sprites.
  Image Mirrored() const;

private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Rgb> pixels_;
};

// Bottom-up 24-bit BMP with a 40-byte info header and rows padded to 4 bytes.
std::vector<uint8_t> EncodeBmp24(const Image& image);

// Frames placed side by side into one strip (all frames the same size).
Image Strip(const std::vector<Image>& frames);

// Deterministic generator for the artwork and sounds, so every build makes the
// same bytes; it is not the game's random source.
class Noise {
public:
  explicit Noise(uint32_t seed) : state_(seed ? seed : 1) {}
  uint32_t Next();
  // Uniform in [0, 1).
  double Unit() { return (Next() >> 8) / 16777216.0; }
  int Below(int n) { return static_cast<int>(Unit() * n); }

private:
  uint32_t state_;
};

Rgb Scale(Rgb c, double f);
Rgb Mix(Rgb a, Rgb b, double t);

}  // namespace datagen
