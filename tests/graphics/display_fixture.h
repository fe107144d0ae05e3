// Drawing tests: a 640 x 480 x 32 dummy-driver display, pixels read as 0xRRGGBB.
#pragma once

#include <cstdlib>
#include <random>

#include "graphics/zr_sdl.h"
#include "graphics_test_util.h"

namespace quarry::test {

constexpr uint32_t kInk = 0xFEFEFE;  // full intensity of a white glyph sheet
constexpr uint32_t kBackdrop = 0x00005A;

class DisplayTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(OpenTestDisplay(640, 480, 32));
    ClearScreen(0, 0, 0);
  }
  void TearDown() override { CloseTestDisplay(); }

  static uint32_t Pixel(int x, int y) {
    uint8_t r = 0, g = 0, b = 0;
    GetPixelRGB(BackBuffer, x, y, r, g, b);
    return uint32_t(r) << 16 | g << 8 | b;
  }
  static void Backdrop() { FillBox(0, 0, 40, 40, 0, 0, 0x5A); }

  TempDir dir_;
  std::unique_ptr<TMad> mad_;
};

// Every truncation plus 300 seeded 1-4 byte corruptions, half in the header.
inline std::vector<Bytes> DamagedCopies(const Bytes& good) {
  std::vector<Bytes> out;
  for (size_t n = 0; n < good.size(); n += (n < 64 ? 1 : 7)) out.emplace_back(good.begin(), good.begin() + long(n));
  std::mt19937 rng(20261207);
  for (int i = 0; i < 300; ++i) {
    Bytes& b = out.emplace_back(good);
    for (int h = 1 + int(rng() % 4); h > 0; --h)
      b[(rng() % 2) ? rng() % std::min<size_t>(b.size(), 12) : rng() % b.size()] = uint8_t(rng());
  }
  return out;
}

}  // namespace quarry::test
