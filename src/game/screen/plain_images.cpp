#include "game/screen/plain_images.h"

#include <string>

#include "graphics/image_collection.h"
#include "graphics/zr_sdl.h"

namespace quarry {

void AddPlainImages(TImageCollection& images) {
  static const char* const kNames[] = {"!", "!1", "!2", "#", "%", ".1", "@1", "$1", "&1", "01",
                                       ">", "<", ">2", "<2", "=", "X", "*U", "*D", "*L", "*R"};
  for (const char* name : kNames) {
    bool strip = name[0] == '!';
    int frames = strip ? 4 : 1;
    SurfacePtr surface(NewSurface(32 * frames, 32));
    if (!surface) continue;
    // A colour from the name, a lighter square per frame so frames differ.
    unsigned hash = 0;
    for (const char* c = name; *c; ++c) hash = hash * 131 + static_cast<unsigned char>(*c);
    uint8_t r = static_cast<uint8_t>(64 + hash % 160);
    uint8_t g = static_cast<uint8_t>(64 + (hash / 7) % 160);
    uint8_t b = static_cast<uint8_t>(64 + (hash / 49) % 160);
    for (int f = 0; f < frames; ++f) {
      FillSurfaceBox(surface.get(), 32 * f, 0, 32 * f + 31, 31, r, g, b);
      FillSurfaceBox(surface.get(), 32 * f + 4 + 4 * f, 8, 32 * f + 11 + 4 * f, 23, 255, 255, 255);
    }
    // The display format, as the image loader gives: blits need no conversion.
    SurfacePtr display(SDL_DisplayFormat(surface.get()));
    images.Add(display ? std::move(display) : std::move(surface), name);
  }
}

}  // namespace quarry
