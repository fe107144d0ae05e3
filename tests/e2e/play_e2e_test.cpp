// The first map played from its solution through the real menus.
#include <regex>

#include "players/players.h"
#include "run_program.h"

namespace quarry::e2e {
namespace {

// On seeds 1 and 77 the game completes the map on the tick quarry-replay
// names and opens the fourth map; seed 77 runs twice and must shoot the same.
TEST(PlayFirstMap, CompletesOnTheVerifiersTickWithRepeatableScreenshots) {
  TempDir dir;
  GameData(dir.Path());
  const std::string moves = FirstMapSolutionScript(dir.Path());
  ASSERT_FALSE(moves.empty());
  // Shots mid-map and during the map-completed dissolve; the last Escape quits
  // from the map menu the game returns to.
  const std::string script = MenuToFirstMap() + moves + std::to_string(kFirstMapPump + 150) + " shot a.bmp\n" +
                             std::to_string(kFirstMapPump + 400) + " shot b.bmp\n+600 press esc\n";
  std::vector<std::string> shots;  // a, b of each seed 77 run
  for (const std::string seed : {"1", "77", "77"}) {
    SCOPED_TRACE("seed " + seed);
    auto verdict = RunProgram(QUARRY_REPLAY, dir.Path(), {"--seed", seed, "--data", ".", "first.qs", "1", "sol.txt"});
    EXPECT_EQ(verdict.exitCode, 0) << verdict.err;
    std::smatch tick;
    ASSERT_TRUE(std::regex_search(verdict.out, tick, std::regex("completed at tick ([0-9]+)"))) << verdict.out;
    for (const char* old : {"players.dat", "quarry.log"}) fs::remove(dir / old);  // a new player every time
    auto r = RunScript(dir.Path(), script, {"--seed", seed});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string completed = "(GAME, PlayGame) Map completed at tick " + tick[1].str() + "\r\n";
    EXPECT_NE(ReadFileBytes(dir / "quarry.log").find(completed), std::string::npos) << verdict.out;
    TPlayers players;
    players.Load(dir / "players.dat");
    const uint8_t expected[] = {kMapCompleted, kMapOpen, kMapOpen, kMapOpen, kMapLocked};
    for (uint8_t map = 0; map < 5; ++map) EXPECT_EQ(players.GetMapState(0, 0, map), expected[map]) << int{map};
    for (const char* shot : {"a.bmp", "b.bmp"}) {
      if (seed == "77") shots.push_back(ReadFileBytes(dir / shot));
      fs::remove(dir / shot);
    }
  }
  ASSERT_EQ(shots.size(), 4u);
  ASSERT_GT(shots[0].size(), 54u);
  EXPECT_TRUE(shots[0] == shots[2]);
  EXPECT_TRUE(shots[1] == shots[3]);
  EXPECT_FALSE(shots[0] == shots[1]) << "the two moments differ";
}

// The main pack, chosen in the menu (below first.qs), from its first map's
// recorded solution: the map is completed and the maps after it are open.
TEST(PlayFirstMap, MainPackFirstMapFromItsRecordedSolution) {
  TempDir dir;
  GameData(dir.Path(), {"first.qs", "quarry.qs"});
  fs::path first;
  for (const auto& entry : fs::directory_iterator(fs::path(QUARRY_LEVEL_PACKS) / "quarry"))
    if (entry.path().extension() == ".map" && (first.empty() || entry.path() < first)) first = entry.path();
  ASSERT_FALSE(first.empty());
  std::ifstream source(first);
  std::string line, solution;
  while (std::getline(source, line))
    if (line.rfind("solution:", 0) == 0) solution += line.substr(9) + "\n";
  WriteFileBytes(dir / "sol.txt", solution);
  auto moves = RunProgram(QUARRY_REPLAY, dir.Path(),
                          {"--to-script", "--first-pump", std::to_string(kFirstMapPump), "sol.txt"});
  ASSERT_EQ(moves.exitCode, 0) << moves.err;
  std::string script = MenuToFirstMap();
  script.insert(script.find("1250 "), "1245 press down\n");
  auto r = RunScript(dir.Path(), script + moves.out + "+600 press esc\n", {"--seed", "5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  TPlayers players;
  players.Load(dir / "players.dat");
  ASSERT_EQ(players.GetLevelPackIndex(0, "quarry.qs"), 0);
  const uint8_t expected[] = {kMapCompleted, kMapOpen, kMapOpen, kMapOpen, kMapLocked};
  for (uint8_t map = 0; map < 5; ++map) EXPECT_EQ(players.GetMapState(0, 0, map), expected[map]) << int{map};
}

}  // namespace
}  // namespace quarry::e2e
