// The real game with the built data: the intro and the menus, then the first
// map played from its solution, completed on the tick the verifier names.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "menu_script.h"
#include "players/players.h"
#include "run_program.h"

namespace quarry::e2e {
namespace {

namespace fs = std::filesystem;

const std::map<std::string, std::string> kHeadless = {{"SDL_VIDEODRIVER", "dummy"},
                                                      {"SDL_AUDIODRIVER", "dummy"}};

void GameData(const fs::path& dir) {
  for (const auto& entry : fs::directory_iterator(QUARRY_RUN_DIR))
    fs::create_symlink(entry.path(), dir / entry.path().filename());
}

// The solution: lines of a map source.
std::string SolutionOf(const fs::path& mapSource) {
  std::ifstream in(mapSource);
  std::string line, solution;
  while (std::getline(in, line))
    if (line.rfind("solution:", 0) == 0) solution += line.substr(9) + "\n";
  return solution;
}

class PlayFirstMap : public ::testing::Test {
protected:
  fs::path dir = FreshDir("play");
  void SetUp() override {
    GameData(dir);
    WriteFile(dir / "sol.txt", SolutionOf(fs::path(QUARRY_LEVELS) / "01-first-steps.map"));
  }
  // quarry-replay's verdict on the first map with the game's own images.
  std::string Verify(const std::string& seed) {
    auto r = RunProgram(QUARRY_REPLAY, dir, {"--seed", seed, "--data", ".", "first.qs", "1", "sol.txt"}, {});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    return r.out;
  }
  // The script that goes through the menus, plays the solution, and quits
  // from the map menu it returns to.
  std::string GameScript(const std::string& extra) {
    auto r = RunProgram(QUARRY_REPLAY, dir,
                        {"--to-script", "--first-pump", std::to_string(kFirstMapPump), "sol.txt"}, {});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return MenuToFirstMap() + r.out + extra + "+600 press esc\n";
  }
};

TEST_F(PlayFirstMap, GameCompletesOnTheVerifiersTick) {
  for (const std::string seed : {"1", "77"}) {
    std::smatch m;
    std::string verdict = Verify(seed);
    ASSERT_TRUE(std::regex_search(verdict, m, std::regex("completed at tick ([0-9]+)"))) << verdict;
    std::string tick = m[1];
    WriteFile(dir / "s.txt", GameScript(""));
    fs::remove(dir / "players.dat");  // a new player every time
    auto r = RunProgram(QUARRY_EXE, dir, {"--virtual-clock", "--seed", seed, "--script", "s.txt"}, kHeadless);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::string log = ReadFile(dir / "quarry.log");
    EXPECT_NE(log.find("(GAME, PlayGame) Map completed at tick " + tick + "\r\n"), std::string::npos)
        << "seed " << seed << ", verifier: " << verdict;
    // The completed map is green and the menu opened the fourth one.
    TPlayers players;
    players.Load((dir / "players.dat").string());
    const uint8_t expected[] = {kMapCompleted, kMapOpen, kMapOpen, kMapOpen, kMapLocked};
    for (uint8_t map = 0; map < 5; ++map) EXPECT_EQ(players.GetMapState(0, 0, map), expected[map]) << int{map};
  }
}

TEST_F(PlayFirstMap, SameSeedAndScriptGiveIdenticalScreenshots) {
  // Mid-map and during the map-completed dissolve.
  std::string shots = std::to_string(kFirstMapPump + 150) + " shot a.bmp\n" +
                      std::to_string(kFirstMapPump + 400) + " shot b.bmp\n";
  WriteFile(dir / "s.txt", GameScript(shots));
  std::string first[2], second[2];
  for (auto* run : {first, second}) {
    fs::remove(dir / "players.dat");
    auto r = RunProgram(QUARRY_EXE, dir, {"--virtual-clock", "--seed", "9", "--script", "s.txt"}, kHeadless);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    run[0] = ReadFile(dir / "a.bmp");
    run[1] = ReadFile(dir / "b.bmp");
    fs::remove(dir / "a.bmp");
    fs::remove(dir / "b.bmp");
  }
  ASSERT_GT(first[0].size(), 54u);
  EXPECT_TRUE(first[0] == second[0]);
  EXPECT_TRUE(first[1] == second[1]);
  EXPECT_FALSE(first[0] == first[1]) << "the two moments differ";
}

}  // namespace
}  // namespace quarry::e2e
