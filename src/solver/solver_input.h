// What quarry-solve reads: the image sizes (they decide the exits' animation)
// and a map from a pack or a map file, as quarry-replay reads them.
#pragma once

#include <string>

#include "game/images.h"
#include "maps/map_pack.h"

namespace quarry {

// Image sizes from DIR/quarry.mad, or the stand-in table; note says which.
TImageTable LoadSolverImages(const std::string& dataDir, std::string& note);

// A map file (XMAP or text source) appended to maps; false with error set.
// The text map's own solution: lines go to solution.
bool LoadMapFile(const std::string& path, TMaps& maps, std::string& solution, std::string& error);

}  // namespace quarry
