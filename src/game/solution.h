// Solution files: one character per tick - U, D, L, R (that arrow held at the
// tick) or "." (nothing held). Whitespace is ignored; "#" starts a comment
// that runs to the end of the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quarry {

// Solution files larger than this are refused unread: a million ticks is
// more than any map needs.
constexpr size_t kMaxSolutionSize = size_t{1} << 20;

struct TSolution {
  std::string Moves;  // one of "UDLR." per tick, tick 1 first
  std::string Error;  // empty when the text parsed
};

TSolution ParseSolution(const std::string& text);

// The input script (one "<pump> <action>" line per event) that plays the
// moves in the real game. Tick k of the map runs in its frame 7k, before that
// frame's PumpEvents, so each arrow goes down at the pump of frame 7k - 1 and
// up at the pump of frame 7k. firstPump is the number of the PumpEvents call
// of the map's first frame.
std::string SolutionToScript(const std::string& moves, uint32_t firstPump);

}  // namespace quarry
