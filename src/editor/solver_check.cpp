#include "editor/solver_check.h"

#include <cmath>

#include "editor/recording_check.h"
#include "solver/solver.h"

namespace quarry {

namespace {

std::string Seconds(double seconds) { return std::to_string(static_cast<long>(std::lround(seconds))) + " s"; }

}  // namespace

TBackgroundJob::Work SolverWork(const TMapFile& file, const TImageTable& images, double seconds, uint32_t maxTicks) {
  return [file, &images, seconds, maxTicks](const TBackgroundJob::Progress& progress) {
    TMaps maps;
    maps.Append(MapOfFile(file));
    TSolveOptions options;
    options.AllSeeds = true;
    options.MaxTicks = maxTicks;
    options.TimeLimit = seconds;
    uint32_t shownDepth = UINT32_MAX;
    options.Progress = [&](const TSolveProgress& p) {
      // One line per tick reached is plenty for a status line.
      if (p.Depth == shownDepth) return;
      shownDepth = p.Depth;
      progress("solver: tick " + std::to_string(p.Depth) + ", " + std::to_string(p.Stored) + " states, " +
               Seconds(p.Seconds));
    };
    const TSolveResult result = Solve(maps, 0, images, options);
    switch (result.Status) {
      case SolveStatus::Solved:
        return TJobResult{"shortest solution: " + std::to_string(result.Moves.size()) + " ticks", result.Moves};
      case SolveStatus::Unsolvable:
        return TJobResult{"cannot be completed within " + std::to_string(maxTicks) + " ticks", ""};
      case SolveStatus::TimeLimit:
        return TJobResult{"gave up after " + Seconds(result.Figures.Seconds), ""};
      case SolveStatus::MemoryLimit:
        return TJobResult{"gave up: out of search memory after " + Seconds(result.Figures.Seconds), ""};
      case SolveStatus::BadMap:
        break;
    }
    return TJobResult{"cannot check: " + result.Error, ""};
  };
}

}  // namespace quarry
