// The menus of the real game, driven by scripts: players made and erased,
// maps opened three at a time, the pack menu cancelled, progress saved.
#include <gtest/gtest.h>

#include "menu_script.h"
#include "players/players.h"
#include "run_program.h"

namespace quarry::e2e {
namespace {

namespace fs = std::filesystem;

const std::map<std::string, std::string> kHeadless = {{"SDL_VIDEODRIVER", "dummy"},
                                                      {"SDL_AUDIODRIVER", "dummy"}};

class Menus : public ::testing::Test {
protected:
  fs::path dir = FreshDir("menus");
  void SetUp() override {
    for (const auto& entry : fs::directory_iterator(QUARRY_RUN_DIR))
      fs::create_symlink(entry.path(), dir / entry.path().filename());
  }
  RunResult Run(const std::string& script) {
    WriteFile(dir / "s.txt", script);
    return RunProgram(QUARRY_EXE, dir, {"--virtual-clock", "--seed", "5", "--script", "s.txt"}, kHeadless);
  }
  std::unique_ptr<TPlayers> Saved() {
    auto players = std::make_unique<TPlayers>();
    players->Load((dir / "players.dat").string());
    return players;
  }
  // Everything up to the map menu, without choosing a map.
  static std::string ToMapMenu() {
    std::string script = MenuToFirstMap();
    return script.substr(0, script.rfind("1260"));
  }
};

TEST_F(Menus, ANewPlayerOnANewPackGetsThreeOpenMapsSavedAtQuit) {
  auto r = Run(ToMapMenu() + "1300 press esc\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  auto players = Saved();
  ASSERT_EQ(players->Count(), 1);
  EXPECT_EQ(players->GetPlayerName(0), "Ann");
  ASSERT_EQ(players->GetLevelPackIndex(0, "first.qs"), 0);
  for (uint8_t map = 0; map < 5; ++map)
    EXPECT_EQ(players->GetMapState(0, 0, map), map < 3 ? kMapOpen : kMapLocked) << "map " << int{map};
}

TEST_F(Menus, CancellingThePackMenuKeepsThePackAndTracesOnlyTheFirstSteps) {
  auto r = Run(ToMapMenu() + "1300 press f2\n1310 press esc\n1320 press esc\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string log = ReadFile(dir / "quarry.log");
  for (int step = 1; step <= 3; ++step)
    EXPECT_NE(log.find("\xFE Trace \xFE " + std::to_string(step) + "\r\n"), std::string::npos) << step;
  EXPECT_EQ(log.find("\xFE Trace \xFE 4\r\n"), std::string::npos);
  EXPECT_EQ(Saved()->GetLevelPackIndex(0, "first.qs"), 0);
}

// Whether any pixel in rows [top, bottom] of a saved BMP is not black.
bool AnyLight(const std::string& bmp, int top, int bottom) {
  auto u32 = [&](size_t at) { return static_cast<uint32_t>(static_cast<uint8_t>(bmp[at]) | static_cast<uint8_t>(bmp[at + 1]) << 8 |
                                                         static_cast<uint8_t>(bmp[at + 2]) << 16 | static_cast<uint8_t>(bmp[at + 3]) << 24); };
  const uint32_t offset = u32(10), width = u32(18), height = u32(22);
  const uint32_t bytes = (static_cast<uint8_t>(bmp[28]) | static_cast<uint8_t>(bmp[29]) << 8) / 8;
  const uint32_t stride = (width * bytes + 3) & ~3u;
  for (int y = top; y <= bottom; ++y)
    for (uint32_t x = 0; x < width * bytes; ++x)
      if (bmp[offset + (height - 1 - static_cast<uint32_t>(y)) * stride + x] != 0) return true;
  return false;
}

TEST_F(Menus, EveryMapCompletedUnlocksTheClosingScene) {
  {
    // Packs are recorded by the name the menu lists, relative to the game's folder.
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    TPlayers players;
    players.AddPlayer("Ann");
    const int pack = players.AddLevelPack(0, "first.qs");
    for (uint8_t map = 0; map < 9; ++map) players.SetMapState(0, pack, map, kMapCompleted);
    const bool saved = players.Save("players.dat");
    fs::current_path(previous);
    ASSERT_EQ(pack, 0);
    ASSERT_TRUE(saved);
  }
  std::string script = "1210 press return\n1220 press return\n";
  for (int i = 1; i <= 9; ++i) script += std::to_string(1230 + 20 * i) + " press down\n";  // past the repeat delay
  script += "1425 press return\n1430 down space\n1470 up space\n1480 shot closing.bmp\n"
            "1490 press space\n1500 shot menu.bmp\n1510 press esc\n";
  auto r = Run(script);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // Space hurried the scene to its closing text: a black top half, text below.
  const std::string closing = ReadFile(dir / "closing.bmp");
  ASSERT_GT(closing.size(), 54u);
  EXPECT_FALSE(AnyLight(closing, 0, 170));
  EXPECT_TRUE(AnyLight(closing, 180, 200));
  // A new Space press went back to the map menu, title and all.
  EXPECT_TRUE(AnyLight(ReadFile(dir / "menu.bmp"), 0, 20));
}

TEST_F(Menus, ErasingAPlayerAsksFirstAndKeepsTheOthers) {
  {
    TPlayers players;
    players.AddPlayer("Ann");
    players.AddPlayer("Ben");
    players.AddPlayer("Cy");
    ASSERT_TRUE(players.Save((dir / "players.dat").string()));
  }
  // Delete on Ann, "No" first; then Delete on Ann again, down to "Yes".
  auto r = Run("1210 press delete\n1220 press return\n"
               "1230 press delete\n1240 press down\n1250 press return\n"
               "1260 press esc\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  auto players = Saved();
  ASSERT_EQ(players->Count(), 2);
  EXPECT_EQ(players->GetPlayerName(0), "Ben");
  EXPECT_EQ(players->GetPlayerName(1), "Cy");
}

}  // namespace
}  // namespace quarry::e2e
