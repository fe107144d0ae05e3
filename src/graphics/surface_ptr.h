// Owning handle for SDL surfaces made by the loaders.
#pragma once

#include <SDL.h>

#include <memory>

namespace quarry {

struct SurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

}  // namespace quarry
