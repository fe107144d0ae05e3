// Drawing tests: a 640 x 480 x 32 dummy-driver display, pixels read as 0xRRGGBB.
#pragma once

#include <cstdlib>

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

}  // namespace quarry::test
