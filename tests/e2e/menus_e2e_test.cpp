// The menus of the real game, driven by scripts: players made and erased,
// maps opened three at a time, the pack menu cancelled, progress saved.
#include "archive/mad.h"
#include "archive/mad_write.h"
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
  // Saves a roster as file inside the game's folder: each name, with "first.qs" (every map locked) when marked
  // "+"; states are the first maps' states of the first player with the pack. Packs are recorded by the name the
  // menu lists, relative to the game's folder.
  void SaveRoster(const std::string& file, const std::vector<std::string>& names,
                  const std::vector<uint8_t>& states = {}) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir.Path());
    TPlayers players;
    int first = -1;
    for (const std::string& name : names) {
      const int i = players.AddPlayer(name.substr(name[0] == '+'));
      if (name[0] == '+' && players.AddLevelPack(i, "first.qs") == 0 && first < 0) first = i;
    }
    for (size_t map = 0; map < states.size(); ++map) players.SetMapState(first, 0, uint8_t(map), states[map]);
    const bool saved = players.Save(file);
    fs::current_path(previous);
    ASSERT_TRUE(saved);
  }
  // Writes a level pack: the members of first.qs with "info" replaced (or left out when empty).
  void WritePack(const std::string& name, const std::string& info) {
    TMad first(dir / "first.qs");
    TMADWrite pack(dir / name);
    for (const MadEntry& entry : first.Entries()) {
      std::vector<uint8_t> bytes;
      ASSERT_TRUE(first.ReadEntry(entry, bytes));
      if (entry.name != "INFO") pack.AddBytes(bytes, entry.name);
    }
    if (!info.empty()) pack.AddBytes(std::vector<uint8_t>(info.begin(), info.end()), "info");
    ASSERT_TRUE(pack.Done());
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

// A saved screenshot: the pixel bytes of the box x1..x2, y1..y2 (inclusive), and whether any is lit.
struct Shot {
  std::string bmp;
  explicit Shot(const fs::path& file) : bmp(ReadFileBytes(file)) {}
  uint32_t U32(size_t at) const {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bmp.at(at + i));
    return v;
  }
  std::string Box(int x1, int y1, int x2, int y2) const {
    const uint32_t bytes = (U32(28) & 0xFFFF) / 8, stride = (U32(18) * bytes + 3) & ~3u;
    std::string box;
    for (int y = y1; y <= y2; ++y)
      box += bmp.substr(U32(10) + (U32(22) - 1 - y) * stride + x1 * bytes, (x2 - x1 + 1) * bytes);
    return box;
  }
  bool AnyLight(int x1, int y1, int x2, int y2) const {
    const std::string box = Box(x1, y1, x2, y2);
    return box.find_first_not_of('\0') != std::string::npos;
  }
};

TEST_F(Menus, EveryMapCompletedUnlocksTheClosingScene) {
  // first.qs has ten maps; "Congratulations" is the eleventh row.
  SaveRoster("players.dat", {"+Ann"}, std::vector<uint8_t>(10, kMapCompleted));
  std::string script = "1210 press return\n1220 press return\n";
  for (int i = 1; i <= 10; ++i) script += std::to_string(1230 + 20 * i) + " press down\n";  // past the repeat delay
  script += "1445 press return\n1450 down space\n1490 up space\n1500 shot closing.bmp\n"
            "1510 press space\n1520 shot menu.bmp\n1530 press esc\n";
  auto r = Run(script);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // Space hurried the scene to its closing text: a black top half, text below.
  const Shot closing(dir / "closing.bmp");
  EXPECT_FALSE(closing.AnyLight(0, 0, 639, 170));
  EXPECT_TRUE(closing.AnyLight(0, 180, 639, 200));
  // A new Space press went back to the map menu, title and all.
  EXPECT_TRUE(Shot(dir / "menu.bmp").AnyLight(0, 0, 639, 20));
}

// Players are told apart by position: erasing the second of two "Bob"s keeps the first, after a "No" that keeps
// both; a new name already in the roster is refused (the edit box keeps it for correcting) and a new one is taken.
TEST_F(Menus, ErasingAndAddingGoByPositionAndRefuseATakenName) {
  SaveRoster("players.dat", {"Bob", "Ann", "+Bob"});
  auto r = Run("1210 press down\n1230 press down\n1240 press delete\n1250 press return\n"
               "1260 press down\n1280 press down\n1290 press delete\n1300 press down\n1310 press return\n"
               "1320 press down\n1340 press down\n1350 press return\n1360 type Ann\n1370 press return\n"
               "1380 press space\n1390 press backspace\n1392 press backspace\n1394 press backspace\n1400 type Cy\n"
               "1410 press return\n1420 press esc\n1500 quit\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  SaveRoster("expected.dat", {"Bob", "Ann", "Cy"});
  EXPECT_TRUE(ReadFileBytes(dir / "players.dat") == ReadFileBytes(dir / "expected.dat"));
}

// F1 and erasing a player: someone else's erasure keeps who is playing (Escape goes back to Bob, whose maps
// open, not Carol's); erasing the one playing leaves no one to go back to, so Escape ends the game as at the start.
TEST_F(Menus, ErasingInThePlayerMenuKeepsWhoIsPlaying) {
  const std::string toBob = "1210 press down\n1230 press return\n1240 press return\n1250 press f1\n";
  struct Case {
    std::vector<std::string> roster, expected;
    std::string script;
  };
  const std::vector<Case> cases = {
      {{"+Alice", "+Bob", "+Carol"}, {"+Bob", "+Carol"},
       toBob + "1260 press delete\n1270 press down\n1280 press return\n1290 press esc\n1300 press esc\n"},
      {{"Alice", "Bob"}, {"Alice"},
       toBob + "1260 press down\n1280 press delete\n1290 press down\n1300 press return\n1310 press esc\n"},
  };
  for (const Case& c : cases) {
    SaveRoster("players.dat", c.roster);
    auto r = Run(c.script + "1400 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    SaveRoster("expected.dat", c.expected, {kMapOpen, kMapOpen, kMapOpen});
    EXPECT_TRUE(ReadFileBytes(dir / "players.dat") == ReadFileBytes(dir / "expected.dat")) << c.script;
  }
}

// The window closed while "Map Completed!" shows: the completion was saved before the scene began.
TEST_F(Menus, ClosingTheWindowInTheCompletedSceneKeepsTheCompletion) {
  auto r = Run(MenuToFirstMap() + FirstMapSolutionScript(dir.Path()) + "+40 quit\n");
  ASSERT_EQ(r.exitCode, 2) << r.err;
  EXPECT_NE(ReadFileBytes(dir / "quarry.log").find("Map completed at tick"), std::string::npos);
  EXPECT_EQ(Saved()->GetMapState(0, 0, 0), kMapCompleted);
}

// Packs that cannot be played are refused before they join the player's list, with a message under the pack
// menu, which shows again from its top: not an archive, an "info" listing no maps, no "info". Then first.qs.
TEST_F(Menus, UnplayablePacksAreRefusedAndThePackMenuStays) {
  WriteFileBytes(dir / "bad.qs", "not a level pack");
  WritePack("empty.qs", "1\r\nEmpty\r\nNobody\r\n\r\n\r\n!END\r\n");
  WritePack("noinfo.qs", "");
  auto r = Run("1210 press return\n1220 type Ann\n1230 press return\n1240 press return\n"
               "1250 press return\n1255 shot refused.bmp\n1260 press down\n1270 press return\n"
               "1280 press down\n1300 press down\n1320 press down\n1330 press return\n"
               "1340 press down\n1360 press down\n1370 press return\n1380 press esc\n1500 quit\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Shot(dir / "refused.bmp").AnyLight(0, 420, 639, 479));
  SaveRoster("expected.dat", {"+Ann"}, {kMapOpen, kMapOpen, kMapOpen});
  EXPECT_TRUE(ReadFileBytes(dir / "players.dat") == ReadFileBytes(dir / "expected.dat"));
}

// A 30-character name of the widest letter and a long pack title, against a short name and title: on the map
// menu the header texts stop before "(F1)" and "(F2)", which stay as they were; the player list keeps the name
// inside its box (x 60..579); the erase dialog names the player in its heading.
TEST_F(Menus, LongNamesStayInsideTheirBoxes) {
  WritePack("long.qs", "1\r\n" + std::string(12, 'W') + " Wonderful Wide Walls of the Winding West\r\nW\r\n\r\n\r\n"
                       "0\r\n!END\r\n");
  std::vector<Shot> shots;  // erase dialog, player list, map menu; short names first
  for (const std::string& name : {std::string("Al"), std::string(30, 'W')}) {
    SaveRoster("players.dat", {name});
    const std::string pack = name == "Al" ? "" : "1260 press down\n";
    auto r = Run("1210 press delete\n1220 shot erase.bmp\n1230 press return\n1240 shot list.bmp\n"
                 "1250 press return\n" + pack + "1280 press return\n1290 shot map.bmp\n1300 press esc\n1400 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* file : {"erase.bmp", "list.bmp", "map.bmp"}) shots.emplace_back(dir / file);
  }
  EXPECT_FALSE(shots[0].Box(0, 170, 639, 220) == shots[3].Box(0, 170, 639, 220)) << "the name is in the heading";
  EXPECT_FALSE(shots[4].AnyLight(0, 80, 59, 415) || shots[4].AnyLight(580, 80, 639, 415));
  for (int y : {50, 90}) {
    int label = 300;  // the left edge of "(F1)" / "(F2)", the only text right of x 300 with the short texts
    while (label < 639 && !shots[2].AnyLight(label, y, label, y + 23)) ++label;
    ASSERT_GT(label, 500) << y;
    EXPECT_TRUE(shots[2].Box(label - 4, y, 639, y + 23) == shots[5].Box(label - 4, y, 639, y + 23)) << y;
    EXPECT_TRUE(shots[5].AnyLight(label - 60, y, label - 5, y + 23)) << "text up to near the label, " << y;
  }
}

}  // namespace
}  // namespace quarry::e2e
