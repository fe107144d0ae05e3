// A .gsd/.bmf pair: the first two bytes give the .gsd length, the .gsd
// follows and the rest is the .bmf. Every character is measured and drawn.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/stream.h"
#include "fuzz_display.h"
#include "graphics/bmp_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarry;
  fuzz::EnsureDisplay();
  if (size < 2) return 0;
  size_t gsdSize = data[0] | (data[1] << 8);
  if (gsdSize > size - 2) gsdSize = size - 2;
  TMemoryStream gsd(data + 2, gsdSize);
  TMemoryStream bmf(data + 2 + gsdSize, size - 2 - gsdSize);
  TBMPFont font("fuzz", gsd, bmf, 255, 128, 64);
  font.SetColorKey(0, 0, 0);
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  for (int align = 0; align < 3; ++align) font.DrawText(all, 320, 200, align);
  font.TextWidth(all);
  font.SetAlpha(100);
  return 0;
}
