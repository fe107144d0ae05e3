// Solution files and the shipped maps' solutions.
#include <map>
#include <regex>
#include <set>

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

// The pack reader's rules (border, one player, an exit, a name) hold for every
// shipped map, and each also states its idea in a comment line, records a
// solution and has a name of its own within the pack; the packs hold their
// promised number of maps.
TEST(LevelPacks, EveryMapKeepsThePackRules) {
  namespace fs = std::filesystem;
  fs::path levels = fs::path(QUARRY_SOURCE_DIR) / "data" / "levels";
  if (!fs::is_directory(levels)) GTEST_SKIP() << "no data/levels";
  const std::map<std::string, size_t> kLeast = {{"first", 9}, {"quarry", 30}, {"expert", 12}};
  for (const auto& [pack, least] : kLeast) {
    SCOPED_TRACE(pack);
    std::set<std::string> names;
    std::map<char, int> mapsWith;  // element -> maps holding it
    size_t maps = 0;
    ASSERT_TRUE(fs::is_regular_file(levels / pack / "pack.txt"));
    for (const auto& entry : fs::directory_iterator(levels / pack)) {
      if (entry.path().extension() != ".map") continue;
      const std::string text = ReadFileBytes(entry.path());
      TMapSource source;
      std::vector<TSourceProblem> problems;
      EXPECT_TRUE(ParseMapSource(text, source, problems) && problems.empty()) << entry.path();
      EXPECT_TRUE(names.insert(source.Name).second) << "name used twice: " << source.Name;
      const std::regex idea("(^|\n); *[A-Z][^\n]{20,}");
      EXPECT_TRUE(std::regex_search(text, idea)) << entry.path() << ": no comment line with the map's idea";
      EXPECT_FALSE(source.Solution.empty()) << entry.path();
      std::set<char> elements;
      for (const auto& row : source.Rows) elements.insert(row.begin(), row.end());
      for (char element : elements) ++mapsWith[element];
      ++maps;
    }
    EXPECT_GE(maps, least);
    // The main pack shows off every element in at least three maps.
    if (pack == "quarry") {
      for (char element : std::string("$@&0.#%!><=")) EXPECT_GE(mapsWith[element], 3) << element;
    }
  }
}

}  // namespace
}  // namespace quarry::test
