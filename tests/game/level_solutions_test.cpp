// The shipped maps' solutions complete under every seed: the exits' random
// start frames only move the opening by a tick, and a solution must wait.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cave_fixture.h"
#include "game/solution.h"
#include "maps/map_source.h"

namespace quarry::test {
namespace {

namespace fs = std::filesystem;

TEST(LevelSolutions, EveryShippedSolutionCompletesUnderEverySeed) {
  fs::path levels = fs::path(QUARRY_SOURCE_DIR) / "data" / "levels";
  if (!fs::is_directory(levels)) GTEST_SKIP() << "no data/levels";
  int checked = 0;
  for (const auto& pack : fs::directory_iterator(levels)) {
    for (const auto& entry : fs::directory_iterator(pack.path())) {
      if (entry.path().extension() != ".map") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      TMapSource source;
      std::vector<TSourceProblem> problems;
      ASSERT_TRUE(ParseMapSource(text.str(), source, problems)) << entry.path();
      TSolution solution = ParseSolution(source.Solution);
      ASSERT_EQ(solution.Error, "") << entry.path();
      for (uint32_t seed = 0; seed < 24; ++seed) {
        CaveRun run(source.Rows, seed);
        auto result = run.Play(solution.Moves);
        EXPECT_TRUE(result.Completed) << entry.path() << " seed " << seed;
        EXPECT_EQ(result.Attempts, 1u) << entry.path() << " seed " << seed;
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace quarry::test
