#include "app/game_flow.h"

#include <memory>

#include "app/frame.h"
#include "archive/mad.h"
#include "core/clock.h"
#include "core/keys.h"
#include "graphics/zr_sdl.h"

namespace quarry {

std::unique_ptr<TMad> MainArchive;
std::unique_ptr<TMad> MusicArchive;
std::unique_ptr<TMad> SoundArchive;

void StartGame() {
  SetFrameRate(60);
  MainArchive = std::make_unique<TMad>("quarry.mad");
  MusicArchive = std::make_unique<TMad>("qsmusic.mad");
  SoundArchive = std::make_unique<TMad>("qssound.mad");
}

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

void EndGame() {
  SoundArchive.reset();
  MusicArchive.reset();
  MainArchive.reset();
}

}  // namespace quarry
