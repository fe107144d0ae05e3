// The command line of the game.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quarry {

struct Options {
  bool windowed = false;
  bool virtualClock = false;
  std::optional<uint32_t> seed;
  std::string script;
  // Window size as a whole multiple of 640 x 480; 0 lets the display pick.
  int scale = 0;
  bool help = false;
  bool version = false;
};

// False with a message for an unknown option or a missing/bad value.
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);
std::string UsageText();

constexpr const char* kVersionLine = "Quarrystar V1.01 Build 0002";

}  // namespace quarry
