#include "app/game_flow.h"

#include "app/frame.h"
#include "core/clock.h"
#include "core/keys.h"
#include "graphics/zr_sdl.h"

namespace quarry {

void RunMenus() {
  // Until the menus exist: a plain frame loop that Escape leaves.
  ClearKeys();
  while (!KeyState[kKeyEscape]) {
    ClearScreen(0, 0, 0);
    Delay(FrameWait());
    Flip();
    PumpEvents();
  }
}

}  // namespace quarry
