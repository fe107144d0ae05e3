// Widget tests: a dummy-driver display, the virtual clock, a control memory
// filled as the loading sequence fills it, and seven solid test fonts.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "app/control_memory.h"
#include "app/frame.h"
#include "app/script.h"
#include "core/clock.h"
#include "core/keys.h"
#include "core/stream.h"
#include "graphics/bmp_font.h"
#include "graphics/zr_sdl.h"
#include "test_support.h"
#include "widgets/widget_fonts.h"

namespace quarry::test {

using RGB = std::array<uint16_t, 3>;
constexpr int kFontHeight = 10, kGlyphWidth = 4;  // every printable glyph is a solid 4 x 10 block, spacing 1
// Ink of test font n: (n + 1) * 0x20 in red, 0xFE green, 0 blue after the tint's rounding.
inline uint32_t Ink(int n) { return uint32_t((n + 1) * 0x20 * 255 >> 8) << 16 | 0xFE00; }
// An INI text with LF line ends as CR LF, as the data build packs it.
inline std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

class WidgetTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(OpenTestDisplay(640, 480, 32));
    ClearScreen(0, 0, 0);
    UseVirtualClock(true);
    SetFrameRate(60);
    ClearKeys();
    ClearKeyQueue();
    SetInputScript({});
    ControlMemory = std::make_unique<TControlMemory>(64);
    for (uint32_t i = 0; i < 4; ++i) ControlMemory->Store(i * 4, &i, 4);
    const uint16_t keys[] = {kKeyUp, kKeyDown, kKeyReturn, kKeySpace, kKeyEscape, kKeyDelete};
    for (uint32_t i = 0; i < 6; ++i) ControlMemory->StoreWord(16 + 2 * i, keys[i]);
    std::vector<uint8_t> gsd = {8, 0, kFontHeight, 0}, bmf;
    gsd.resize(4 + 8 * kFontHeight, 255);
    for (int c = 33; c < 127; ++c) bmf.insert(bmf.end(), {uint8_t(c), 0, 0, 0, 0, kGlyphWidth - 1, 0, kFontHeight - 1, 0});
    ColorFontTable table{};
    for (int n = 0; n < 7; ++n) {
      TMemoryStream g(gsd.data(), gsd.size()), b(bmf.data(), bmf.size());
      fonts_[n] = std::make_unique<TBMPFont>("font", g, b, uint8_t((n + 1) * 0x20), 255, 0);
      table[n] = fonts_[n].get();
    }
    SetWidgetFonts(table);
  }
  void TearDown() override {
    SetInputScript({});
    SetWidgetFonts({});
    ControlMemory.reset();
    ClearKeys();
    CloseTestDisplay();
    UseVirtualClock(false);
  }

  static uint32_t Pixel(int x, int y) {
    uint8_t r = 0, g = 0, b = 0;
    GetPixelRGB(BackBuffer, x, y, r, g, b);
    return uint32_t(r) << 16 | g << 8 | b;
  }
  static std::unique_ptr<TMemoryStream> Ini(const std::string& text) {
    const std::string bytes = WithCrLf(text);
    return std::make_unique<TMemoryStream>(bytes.data(), bytes.size());
  }
  // Key events: each is pressed at pump (now + at) and, when up > 0, released at pump (now + up).
  struct Stroke {
    uint32_t at;
    uint16_t key;
    uint32_t up = 0;
    bool shift = false;
  };
  static void Script(const std::vector<Stroke>& strokes) {
    const uint32_t now = PumpCount();
    std::vector<ScriptEvent> events;
    for (const Stroke& s : strokes) {
      events.push_back({now + s.at, ScriptEvent::Kind::Down, s.key, s.shift, {}});
      if (s.up) events.push_back({now + s.up, ScriptEvent::Kind::Up, s.key, s.shift, {}});
    }
    std::stable_sort(events.begin(), events.end(), [](auto& a, auto& b) { return a.pump < b.pump; });
    SetInputScript(events);
  }

  std::unique_ptr<TBMPFont> fonts_[7];
};

}  // namespace quarry::test
