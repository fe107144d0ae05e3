// Whether a recorded run completes the map whatever the exits' random start
// frames are: the run is replayed headless with the game's rules once for
// every start frame, all exits set to it after each attempt is set up.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "editor/map_file.h"
#include "game/images.h"
#include "maps/map_pack.h"

namespace quarry {

// The file's grid as the one map of a pack, for the game's session.
std::unique_ptr<TXMap> MapOfFile(const TMapFile& file);

struct TRecordingCheck {
  bool Accepted = false;
  uint32_t Passed = 0;   // start frames under which the run completes
  uint32_t Frames = 0;   // start frames tried
  uint32_t Ticks = 0;    // the completing tick under the slowest that passed
  std::string Message;
};

TRecordingCheck CheckRecording(const TMapFile& file, const std::string& moves, const TImageTable& images);

}  // namespace quarry
