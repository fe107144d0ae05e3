// Tests that draw: a 640 x 480 x 32 display under SDL's dummy driver, pixels
// read back from the BackBuffer.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "graphics/zr_sdl.h"
#include "graphics_test_util.h"

namespace quarry::test {

class DisplayTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(OpenTestDisplay(640, 480, 32));
    ClearScreen(0, 0, 0);
  }
  void TearDown() override { CloseTestDisplay(); }

  static Rgb Pixel(int x, int y) {
    Rgb c{};
    GetPixelRGB(BackBuffer, x, y, c.r, c.g, c.b);
    return c;
  }
  static Rgb SurfacePixel(SDL_Surface* s, int x, int y) {
    Rgb c{};
    GetPixelRGB(s, x, y, c.r, c.g, c.b);
    return c;
  }
};

inline bool operator==(const Rgb& a, const Rgb& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

}  // namespace quarry::test
