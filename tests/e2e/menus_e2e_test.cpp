// The menus of the real game, driven by scripts: players made and erased,
// maps opened three at a time, the pack menu cancelled, progress saved.
#include "players/players.h"
#include "run_program.h"

namespace quarry::e2e {
namespace {

class Menus : public ::testing::Test {
protected:
  TempDir dir;
  void SetUp() override { GameData(dir.Path()); }
  RunResult Run(const std::string& script) { return RunScript(dir.Path(), script, {"--seed", "5"}); }
  std::unique_ptr<TPlayers> Saved() {
    auto players = std::make_unique<TPlayers>();
    players->Load(dir / "players.dat");
    return players;
  }
};

TEST_F(Menus, NewPlayerGetsThreeOpenMapsAndCancellingThePackMenuKeepsThePack) {
  // Up to the map menu, then F2 into the pack menu, Escape back, Escape out.
  std::string script = MenuToFirstMap();
  auto r = Run(script.substr(0, script.rfind("1260")) + "1300 press f2\n1310 press esc\n1320 press esc\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string log = ReadFileBytes(dir / "quarry.log");
  for (int step = 1; step <= 3; ++step)
    EXPECT_NE(log.find("\xFE Trace \xFE " + std::to_string(step) + "\r\n"), std::string::npos) << step;
  EXPECT_EQ(log.find("\xFE Trace \xFE 4\r\n"), std::string::npos);
  auto players = Saved();
  ASSERT_EQ(players->Count(), 1);
  EXPECT_EQ(players->GetPlayerName(0), "Ann");
  ASSERT_EQ(players->GetLevelPackIndex(0, "first.qs"), 0);
  for (uint8_t map = 0; map < 5; ++map)
    EXPECT_EQ(players->GetMapState(0, 0, map), map < 3 ? kMapOpen : kMapLocked) << "map " << int{map};
}

// Whether any pixel in rows [top, bottom] of a saved BMP is not black.
bool AnyLight(const std::string& bmp, int top, int bottom) {
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bmp[at + i]);
    return v;
  };
  const uint32_t offset = u32(10), width = u32(18), height = u32(22), bytes = (u32(28) & 0xFFFF) / 8;
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
    fs::current_path(dir.Path());
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
  const std::string closing = ReadFileBytes(dir / "closing.bmp");
  ASSERT_GT(closing.size(), 54u);
  EXPECT_FALSE(AnyLight(closing, 0, 170));
  EXPECT_TRUE(AnyLight(closing, 180, 200));
  // A new Space press went back to the map menu, title and all.
  EXPECT_TRUE(AnyLight(ReadFileBytes(dir / "menu.bmp"), 0, 20));
}

TEST_F(Menus, ErasingAPlayerAsksFirstAndKeepsTheOthers) {
  {
    TPlayers players;
    for (const char* name : {"Ann", "Ben", "Cy"}) players.AddPlayer(name);
    ASSERT_TRUE(players.Save(dir / "players.dat"));
  }
  // Delete on Ann, "No" first; then Delete on Ann again, down to "Yes".
  auto r = Run("1210 press delete\n1220 press return\n1230 press delete\n1240 press down\n1250 press return\n"
               "1260 press esc\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  auto players = Saved();
  ASSERT_EQ(players->Count(), 2);
  EXPECT_EQ(players->GetPlayerName(0), "Ben");
  EXPECT_EQ(players->GetPlayerName(1), "Cy");
}

}  // namespace
}  // namespace quarry::e2e
