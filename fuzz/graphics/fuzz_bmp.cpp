// The BMP header check that guards SDL's decoder, then the decoder itself on
// what the check lets through.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_display.h"
#include "graphics/image_list.h"
#include "graphics/surface_ptr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarry;
  fuzz::EnsureDisplay();
  int w = 0, h = 0;
  if (!ReadBmpSize(data, size, w, h)) return 0;
  if (static_cast<int64_t>(w) * h > 4'000'000) return 0;  // keep runs quick
  std::vector<uint8_t> copy(data, data + size);
  SDL_RWops* rw = SDL_RWFromMem(copy.data(), static_cast<int>(copy.size()));
  SurfacePtr loaded(SDL_LoadBMP_RW(rw, 1));
  if (loaded) {
    SurfacePtr converted(SDL_DisplayFormat(loaded.get()));
    if (converted) BlitWhole(0, 0, converted.get());
  }
  return 0;
}
