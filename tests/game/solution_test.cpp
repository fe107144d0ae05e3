// Solution files and the shipped maps' solutions.
#include "cave_fixture.h"
#include "game/solution.h"
#include "maps/map_source.h"
#include "test_support.h"

namespace quarry::test {
namespace {

TEST(Solution, ParsingMovesCommentsAndErrors) {
  auto solution = ParseSolution("RR.L # go round the boulder\n\tU D\r\n#whole line ...\n..");
  EXPECT_EQ(solution.Error, "");
  EXPECT_EQ(solution.Moves, "RR.LUD..");
  solution = ParseSolution("RRR\nLx\n");
  EXPECT_EQ(solution.Moves, "");
  EXPECT_EQ(solution.Error, "line 2: unexpected character 'x' (a solution uses U, D, L, R and .)");
  EXPECT_NE(ParseSolution("r").Error, "");  // lower case is not a move
  EXPECT_EQ(ParseSolution("").Moves, "");
  EXPECT_EQ(ParseSolution("# nothing\n").Error, "");
}

// The exits' random start frames move the opening by a tick; every shipped solution must wait for the slowest.
TEST(LevelSolutions, EveryShippedSolutionCompletesUnderEverySeed) {
  namespace fs = std::filesystem;
  fs::path levels = fs::path(QUARRY_SOURCE_DIR) / "data" / "levels";
  if (!fs::is_directory(levels)) GTEST_SKIP() << "no data/levels";
  int checked = 0;
  for (const auto& pack : fs::directory_iterator(levels)) {
    for (const auto& entry : fs::directory_iterator(pack.path())) {
      if (entry.path().extension() != ".map") continue;
      TMapSource source;
      std::vector<TSourceProblem> problems;
      ASSERT_TRUE(ParseMapSource(ReadFileBytes(entry.path()), source, problems)) << entry.path();
      TSolution solution = ParseSolution(source.Solution);
      ASSERT_EQ(solution.Error, "") << entry.path();
      for (uint32_t seed = 0; seed < 24; ++seed) {
        auto result = CaveRun(source.Rows, seed).Play(solution.Moves);
        EXPECT_TRUE(result.Completed && result.Attempts == 1u) << entry.path() << " seed " << seed;
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace quarry::test
