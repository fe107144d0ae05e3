// TXMap::Load over arbitrary bytes: every form, loaded twice into one record
// (the second load must release the first cells).
#include <cstdint>
#include <cstdlib>

#include "core/stream.h"
#include "maps/xmap.h"

using namespace quarry;

static void Check(const TXMap& map) {
  size_t cells = static_cast<size_t>(map.Width) * map.Height;
  if (map.Loaded && (map.FileCells.size() != cells || map.WorkingCells.size() != cells)) std::abort();
  if (!map.Loaded && !map.FileCells.empty()) std::abort();
  if (map.Extras.size() > TXMap::kMaxExtras || map.Version > 1023) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TXMap map;
  for (int pass = 0; pass < 2; ++pass) {
    TMemoryStream stream(data, size);
    map.Load(stream);
    Check(map);
    for (size_t i = 0; i < map.FileCells.size(); ++i) (void)map.FileCells[i];
  }
  return 0;
}
