// PlayGame: one map played on the screen, from the play screen to the
// map-completed scene. The rules and the loop are the game library's; this
// draws them, plays the music and sounds, and takes screenshots.
#pragma once

#include <cstdint>
#include <functional>

#include "game/screen/color_text.h"

namespace quarry {

class TImageCollection;
class TMad;
class TMaps;
class TMusicCollection;
class TWaveCollection;
class TZrarFont;

// What the loading sequence made and PlayGame draws and plays with. Any
// pointer may be null: that part is then skipped (no logo, no text, silence).
struct GameContext {
  TImageCollection* Images = nullptr;  // the game's collection ("blocks.lst")
  TMad* MainArchive = nullptr;         // holds "logolite.bmp"
  ColorFontTable ColorFonts{};
  TWaveCollection* Waves = nullptr;
  TMusicCollection* Music = nullptr;
  TZrarFont* AntiFont = nullptr;       // speech bubbles of the end-of-pack scene
  // Called with the map's index as soon as it is completed, before the
  // map-completed scene: the completion is kept even if the window is closed
  // during the scene.
  std::function<void(int)> MapCompleted;
};

// Plays map mapIndex (0-based) of the pack until it is completed (true) or
// left with F10 (false). Needs the BackBuffer and the frame services; the
// variant table (graphics/variant_table.h) must have been built from
// context.Images. Logs "Map completed at tick T" on completion.
bool PlayGame(GameContext& context, TMaps& maps, int mapIndex);

// Saves the BackBuffer as "quarry0000.bmp", "quarry0001.bmp", ... in the
// working directory; the counter grows with every attempt, saved or not.
void TakeScreenshot();

}  // namespace quarry
