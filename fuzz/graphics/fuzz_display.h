// One dummy-driver display per fuzz process: the loaders convert to the
// display format and draw into the BackBuffer.
#pragma once

#include <cstdlib>

#include "graphics/zr_sdl.h"

namespace quarry::fuzz {

inline void EnsureDisplay() {
  static const bool open = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    return OpenTestDisplay(640, 480, 32);
  }();
  if (!open) std::abort();
}

}  // namespace quarry::fuzz
