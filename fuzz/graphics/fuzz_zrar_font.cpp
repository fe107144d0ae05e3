// A ZRAR cell-font member: loaded, rendered again in a colour, every
// character drawn.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/stream.h"
#include "fuzz_display.h"
#include "graphics/zrar_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarry;
  fuzz::EnsureDisplay();
  TMemoryStream member(data, size);
  TZrarFont font("fuzz.zrr", member);
  font.SetColorKey(0, 0, 0);
  font.Render(255, 64, 64);
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  font.DrawText(all, 0, 0, 0);
  font.TextWidth(all);
  return 0;
}
