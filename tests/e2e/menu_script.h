// The scripted way from the intro into the first map of "first.qs" for a new
// player: the player menu, the name dialog, the pack menu and the map menu.
#pragma once

#include <string>

namespace quarry::e2e {

// The intro and the loading waits pump 240 + 120 + 420 + 420 times; the
// player menu's first frame is pump 1201.
constexpr int kPlayerMenuPump = 1201;

// Return on "-- New player --", the name, Return, then Return on the player,
// on the pack and on the first open map, ten pumps apart.
inline std::string MenuToFirstMap(const std::string& name = "Ann") {
  return "1210 press return\n"
         "1220 type " + name + "\n"
         "1230 press return\n"
         "1240 press return\n"
         "1250 press return\n"
         "1260 press return\n";
}

// The map menu returns at the pump of that last Return; the game's first
// frame pumps next.
constexpr int kFirstMapPump = 1261;

}  // namespace quarry::e2e
