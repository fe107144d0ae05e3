// Pictures for the authors' tools: an RGB image in memory and its PNG form
// (through libpng). No display needed.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quarry {

struct TRgbImage {
  TRgbImage() = default;
  TRgbImage(int width, int height)
      : Width(width), Height(height), Pixels(static_cast<size_t>(width) * height * 3, 0) {}
  uint8_t* At(int x, int y) { return &Pixels[(static_cast<size_t>(y) * Width + x) * 3]; }
  const uint8_t* At(int x, int y) const { return &Pixels[(static_cast<size_t>(y) * Width + x) * 3]; }
  // Copies part in with its top left corner at (x, y), clipped to this image.
  void Paste(const TRgbImage& part, int x, int y);
  // Half the width and height, each pixel the rounded mean of a 2 x 2 block.
  TRgbImage Half() const;

  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;  // rows top first, 3 bytes (R, G, B) a pixel
};

// Equal cells side by side, columns to a row, left to right and top down,
// gap black pixels between neighbours.
TRgbImage Grid(const std::vector<TRgbImage>& cells, int columns, int gap = 0);

// The image as an 8-bit RGB PNG file; empty when libpng failed.
std::vector<uint8_t> EncodePng(const TRgbImage& image);
// Any PNG as 8-bit RGB (alpha dropped); false for damaged data or a picture
// over 64 M pixels.
bool DecodePng(std::span<const uint8_t> bytes, TRgbImage& image);

}  // namespace quarry
