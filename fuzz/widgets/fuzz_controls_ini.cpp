// Any bytes as "controls.ini": the shipped box names are built, filled,
// moved past both ends, scrolled and drawn in both ways.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "frame/control_memory.h"
#include "core/keys.h"
#include "core/stream.h"
#include "graphics/bmp_font.h"
#include "graphics/zr_sdl.h"
#include "widgets/edit_box.h"
#include "widgets/list_box.h"
#include "widgets/widget_fonts.h"

namespace {

using namespace quarry;

std::unique_ptr<TBMPFont> g_font;

void Setup() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (!OpenTestDisplay(640, 480, 32)) std::abort();
  ControlMemory = std::make_unique<TControlMemory>(64);
  for (uint32_t i = 0; i < 4; ++i) ControlMemory->Store(i * 4, &i, 4);
  const uint16_t keys[] = {kKeyUp, kKeyDown, kKeyReturn, kKeySpace, kKeyEscape, kKeyDelete};
  for (uint32_t i = 0; i < 6; ++i) ControlMemory->StoreWord(16 + 2 * i, keys[i]);
  // A font with a glyph for every printable character, in every colour slot.
  std::vector<uint8_t> gsd = {8, 0, 12, 0};
  gsd.resize(4 + 8 * 12, 200);
  std::vector<uint8_t> bmf;
  for (int c = 1; c < 256; ++c) bmf.insert(bmf.end(), {uint8_t(c), 0, 0, 0, 0, 5, 0, 11, 0});
  TMemoryStream g(gsd.data(), gsd.size()), b(bmf.data(), bmf.size());
  g_font = std::make_unique<TBMPFont>("fuzz", g, b, 255, 255, 255);
  ColorFontTable table{};
  table.fill(g_font.get());
  SetWidgetFonts(table);
}

void Exercise(TListBox& box) {
  for (int i = 0; i < 30; ++i) box.AddItem(std::string(1, char(1 + i % 7)) + "Entry " + std::to_string(i));
  KeyState[kKeyDown] = 1;
  for (int f = 0; f < 120; ++f) box.HandleKeys();
  KeyState[kKeyDown] = 0;
  box.Draw();
  KeyState[kKeyUp] = 1;
  for (int f = 0; f < 120; ++f) box.HandleKeys();
  KeyState[kKeyUp] = 0;
  box.DrawColored();
  box.SetItemIndex(static_cast<uint16_t>(box.Count() + 3));
  box.Draw();
  box.GetItem(box.ItemIndex());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (Setup(), true);
  (void)ready;
  for (const char* name : {"SelectPlayer", "DeletePlayer", "SelectMap"}) {
    TMemoryStream ini(data, size);
    TListBox box(ini, name);
    Exercise(box);
  }
  TMemoryStream ini(data, size);
  TEditBox edit(ini, "NewPlayer");
  edit.Draw();
  return 0;
}
