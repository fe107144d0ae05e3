// The search's bound must never exceed the ticks a real solution still
// takes, or the search stops proving its answers shortest. Every shipped
// map's recorded solution is such a real solution, at every tick of it.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/solution.h"
#include "solver/solver.h"
#include "solver/solver_input.h"

namespace quarry {
namespace {

TEST(TickBound, NeverAboveARecordedSolution) {
  std::string note;
  const TImageTable images = LoadSolverImages(QUARRY_RUN_DIR, note);
  int maps = 0;
  for (const auto& pack : std::filesystem::directory_iterator(QUARRY_SOURCE_DIR "/data/levels")) {
    for (const auto& entry : std::filesystem::directory_iterator(pack.path())) {
      if (entry.path().extension() != ".map") continue;
      SCOPED_TRACE(entry.path().string());
      TMaps loaded;
      std::string text, error;
      ASSERT_TRUE(LoadMapFile(entry.path().string(), loaded, text, error)) << error;
      const std::string moves = ParseSolution(text).Moves;
      for (bool allSeeds : {true, false}) {
        TSolveOptions options;
        options.AllSeeds = allSeeds;
        options.Seed = 7;
        const std::vector<uint32_t> bounds = BoundsAlong(loaded, 0, images, options, moves);
        ASSERT_EQ(bounds.size(), moves.size() + 1);
        // The tick the solution completes at: the first with nothing left.
        size_t done = 0;
        while (done < bounds.size() && bounds[done] != 0) ++done;
        ASSERT_LT(done, bounds.size()) << "the recorded solution does not complete";
        for (size_t tick = 0; tick <= done; ++tick) {
          ASSERT_LE(tick + bounds[tick], done) << "at tick " << tick << (allSeeds ? ", every seed" : ", seed 7");
        }
      }
      ++maps;
    }
  }
  EXPECT_GE(maps, 52);
}

}  // namespace
}  // namespace quarry
