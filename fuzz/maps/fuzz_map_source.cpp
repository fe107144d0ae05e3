// The level-pack builder's text map and pack description parsers.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "maps/map_source.h"

using namespace quarry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  TMapSource map;
  std::vector<TSourceProblem> problems;
  if (ParseMapSource(text, map, problems)) {
    TXMap record = MapSourceToXMap(map);
    if (record.FileCells.size() != 240) std::abort();
  } else if (problems.empty()) {
    std::abort();
  }
  TPackSource pack;
  ParsePackSource(text, pack, problems);
  return 0;
}
