// quarry-solve's search: best first over packed cave states by ticks so far
// plus a bound on the ticks still needed that never overestimates, so the
// first solution found is a shortest one in ticks. With several exit start
// frames the search runs one cave per start-frame combination in lockstep and
// a state is the tuple of them; it ends when every cave is completed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/images.h"
#include "maps/map_pack.h"

namespace quarry {

struct TSolveProgress {
  uint64_t Expanded = 0;  // states whose moves were tried
  uint64_t Stored = 0;    // distinct states seen
  uint64_t Queued = 0;    // states waiting in this and the next tick's queue
  uint32_t Depth = 0;     // fewest ticks any solution can still take
  double Seconds = 0;
  uint64_t Bytes = 0;     // search memory in use
};

struct TSolveOptions {
  bool AllSeeds = false;
  uint32_t Seed = 0;
  uint32_t MaxTicks = 1000;
  double TimeLimit = -1;  // seconds; negative for none
  uint64_t MemoryLimit = 2048ull << 20;
  // Plain breadth-first by tick over every state as it is (no bound, no sand
  // taken as dug): the check that neither changes an answer.
  bool Plain = false;
  // Called every few thousand expanded states and at every new tick.
  std::function<void(const TSolveProgress&)> Progress;
};

enum class SolveStatus { Solved, Unsolvable, TimeLimit, MemoryLimit, BadMap };

struct TSolveResult {
  SolveStatus Status = SolveStatus::Unsolvable;
  std::string Moves;          // "UDLR." per tick when solved
  TSolveProgress Figures;     // at the end
  uint64_t PeakBytes = 0;     // the most search memory in use at once
  uint32_t StartFrameCombinations = 1;
  std::string Error;          // for BadMap
};

TSolveResult Solve(TMaps& maps, int mapIndex, const TImageTable& images, const TSolveOptions& options);

// The search's bound on the ticks still needed, at the start and after each
// move of moves (UDLR.), under the options' seeds: an answer check for the
// bound, which must never exceed what a real solution still takes.
std::vector<uint32_t> BoundsAlong(TMaps& maps, int mapIndex, const TImageTable& images, const TSolveOptions& options,
                                  const std::string& moves);

}  // namespace quarry
