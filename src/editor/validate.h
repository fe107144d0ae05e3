// The rules a map must meet before quarry-pack takes it, checked on the grid
// with the cells each problem is about, plus the diamonds the player can
// never reach.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "editor/map_file.h"

namespace quarry {

struct TMapProblem {
  std::string Message;
  std::vector<std::pair<int, int>> Cells;  // (x, y) to highlight; may be empty
};

std::vector<TMapProblem> ValidateMap(const TMapFile& file);

}  // namespace quarry
