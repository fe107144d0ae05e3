// Graphics test helpers: real archives and hand-made members; colours are 0xRRGGBB.
#pragma once

#include <array>
#include <memory>
#include <utility>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "test_support.h"

namespace quarry::test {

using Bytes = std::vector<uint8_t>;

inline std::unique_ptr<TMad> BuildArchive(const TempDir& dir,
                                          const std::vector<std::pair<std::string, Bytes>>& members) {
  {
    TMADWrite writer(dir / "test.mad");
    for (const auto& [name, bytes] : members) writer.AddBytes(bytes, name);
    writer.Done();
  }
  return std::make_unique<TMad>(dir / "test.mad");
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline void PutU16(Bytes& b, size_t at, uint32_t v) { b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8); }
inline void PutU32(Bytes& b, size_t at, uint32_t v) { PutU16(b, at, v & 0xFFFF), PutU16(b, at + 2, v >> 16); }

// A solid 24-bit bottom-up BMP with a 40-byte info header; rows padded to 4 bytes.
inline Bytes SolidBmp(int width, int height, uint32_t colour) {
  const uint32_t row = static_cast<uint32_t>((width * 3 + 3) & ~3), w = width, h = height;
  Bytes b(54 + row * h, 0);
  PutU16(b, 0, 'B' | 'M' << 8);
  for (auto [at, v] : {std::pair<size_t, uint32_t>{2, 54 + row * h}, {10, 54}, {14, 40}, {18, w}, {22, h},
                       {26, 1 | 24 << 16}, {34, row * h}})
    PutU32(b, at, v);
  for (size_t y = 0; y < h; ++y)
    for (size_t x = 0; x < w; ++x) {
      PutU16(b, 54 + y * row + x * 3, colour & 0xFFFF);  // blue, green
      b[54 + y * row + x * 3 + 2] = static_cast<uint8_t>(colour >> 16);
    }
  return b;
}

// A CEL: magic 0x9119, width, height, 26 bytes, 768 6-bit palette bytes, one index a pixel.
inline Bytes MakeCel(int width, int height, const Bytes& palette, const Bytes& indices) {
  Bytes b(800, 0);
  PutU16(b, 0, 0x9119);
  PutU32(b, 2, static_cast<uint32_t>(width | height << 16));
  for (size_t i = 0; i < palette.size() && i < 768; ++i) b[32 + i] = palette[i];
  b.insert(b.end(), indices.begin(), indices.end());
  return b;
}

// A .gsd glyph sheet: width, height, one intensity byte per pixel.
inline Bytes MakeGsd(int width, int height, const Bytes& intensity) {
  Bytes b(4 + intensity.size(), 0);
  PutU32(b, 0, static_cast<uint32_t>(width | height << 16));
  std::copy(intensity.begin(), intensity.end(), b.begin() + 4);
  return b;
}

// .bmf records of 9 bytes: code, then x1, y1, x2, y2 as 16-bit values.
inline Bytes Bmf(std::initializer_list<std::array<int, 5>> records) {
  Bytes b;
  for (const auto& r : records) {
    b.push_back(static_cast<uint8_t>(r[0]));
    for (int i = 1; i < 5; ++i) b.insert(b.end(), {static_cast<uint8_t>(r[i]), static_cast<uint8_t>(r[i] >> 8)});
  }
  return b;
}

}  // namespace quarry::test
