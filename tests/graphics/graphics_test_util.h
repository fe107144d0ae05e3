// Shared helpers of the graphics tests: temporary archives built with the
// real writer, hand-made BMP/CEL/font members, log capture.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "core/log.h"
#include "core/program.h"

namespace quarry::test {

using Bytes = std::vector<uint8_t>;
using Member = std::pair<std::string, Bytes>;

class LogCapture {
public:
  LogCapture() {
    SetLogObserver([this](const std::string& line) { lines.push_back(line); });
  }
  ~LogCapture() { SetLogObserver(nullptr); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  int Count(const std::string& line) const {
    int n = 0;
    for (const std::string& l : lines) n += l == line ? 1 : 0;
    return n;
  }
  int CountStartingWith(const std::string& prefix) const {
    int n = 0;
    for (const std::string& l : lines) n += l.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
  std::vector<std::string> lines;
};

// A missing member stops the program; in tests it throws instead.
struct MissingData : std::runtime_error {
  using std::runtime_error::runtime_error;
};
inline void ThrowOnStop() {
  SetStopHandler([](const std::string& message, const std::string&) { throw MissingData(message); });
}

// A private directory per test (tests run in parallel).
class TempDir {
public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qsgfx-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

// Writes the members with TMADWrite and opens the archive with TMad.
inline std::unique_ptr<TMad> BuildArchive(const TempDir& dir, const std::vector<Member>& members) {
  const std::string path = dir.File("test.mad");
  {
    TMADWrite writer(path);
    for (const Member& m : members) writer.AddBytes(m.second, m.first);
    writer.Done();
  }
  return std::make_unique<TMad>(path);
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline void PutU16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(Bytes& b, size_t at, uint32_t v) {
  PutU16(b, at, v & 0xFFFF);
  PutU16(b, at + 2, v >> 16);
}

struct Rgb {
  uint8_t r, g, b;
};

// A 24-bit bottom-up BMP with a 40-byte info header; rows padded to 4 bytes.
template <typename PixelFn>
Bytes MakeBmp24(int width, int height, PixelFn pixel) {
  const uint32_t row = static_cast<uint32_t>((width * 3 + 3) & ~3);
  Bytes b(54 + row * height, 0);
  b[0] = 'B';
  b[1] = 'M';
  PutU32(b, 2, static_cast<uint32_t>(b.size()));
  PutU32(b, 10, 54);
  PutU32(b, 14, 40);
  PutU32(b, 18, static_cast<uint32_t>(width));
  PutU32(b, 22, static_cast<uint32_t>(height));
  PutU16(b, 26, 1);
  PutU16(b, 28, 24);
  PutU32(b, 34, row * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      Rgb c = pixel(x, y);
      size_t at = 54 + static_cast<size_t>(height - 1 - y) * row + static_cast<size_t>(x) * 3;
      b[at] = c.b;
      b[at + 1] = c.g;
      b[at + 2] = c.r;
    }
  return b;
}
inline Bytes SolidBmp(int width, int height, Rgb colour) {
  return MakeBmp24(width, height, [colour](int, int) { return colour; });
}

// A CEL: magic 0x9119, width, height, 26 unread bytes, 768 palette bytes
// (6-bit components), then one index per pixel.
inline Bytes MakeCel(int width, int height, const Bytes& palette, const Bytes& indices) {
  Bytes b(800, 0);
  PutU16(b, 0, 0x9119);
  PutU16(b, 2, static_cast<uint32_t>(width));
  PutU16(b, 4, static_cast<uint32_t>(height));
  for (size_t i = 0; i < palette.size() && i < 768; ++i) b[32 + i] = palette[i];
  b.insert(b.end(), indices.begin(), indices.end());
  return b;
}

// A .gsd glyph sheet: width, height, one intensity byte per pixel.
inline Bytes MakeGsd(int width, int height, const Bytes& intensity) {
  Bytes b(4, 0);
  PutU16(b, 0, static_cast<uint32_t>(width));
  PutU16(b, 2, static_cast<uint32_t>(height));
  b.insert(b.end(), intensity.begin(), intensity.end());
  return b;
}

// One 9-byte .bmf record.
inline void AddGlyph(Bytes& bmf, uint8_t code, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2) {
  size_t at = bmf.size();
  bmf.resize(at + 9);
  bmf[at] = code;
  PutU16(bmf, at + 1, x1);
  PutU16(bmf, at + 3, y1);
  PutU16(bmf, at + 5, x2);
  PutU16(bmf, at + 7, y2);
}

}  // namespace quarry::test
