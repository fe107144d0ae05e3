// LoadCel on arbitrary member bytes, then a blit of whatever it made.
#include <cstddef>
#include <cstdint>

#include "core/stream.h"
#include "fuzz_display.h"
#include "graphics/image_list.h"
#include "graphics/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarry;
  fuzz::EnsureDisplay();
  TMemoryStream stream(data, size);
  SurfacePtr surface = LoadCel(stream);
  int w = 0, h = 0;
  const bool sized = ReadCelSize(data, size, w, h);
  // The headless size view and the loader must agree.
  if (sized != (surface != nullptr)) __builtin_trap();
  if (surface && (surface->w != w || surface->h != h)) __builtin_trap();
  if (surface) BlitWhole(-3, -3, surface.get());
  return 0;
}
