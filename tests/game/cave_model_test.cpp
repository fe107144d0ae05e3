// Activation, sprites and their exact stepping, and random caves.
#include <set>

#include "test_support.h"
#include "cave_fixture.h"

namespace quarry::test {
namespace {

// The frame before each draw, one digit a draw, and " done" once finished.
TEST(Sprite, FrameTimingLoopPauseFinishingAndStillSprites) {
  // {width (0: no image at all), options, delay, loop pause, draws, hidden, trace}
  const std::tuple<uint16_t, uint8_t, int, int, int, bool, std::string> cases[] = {
      {96, TSprite::kLooping, 2, 0, 10, false, "0001112220"},  // each frame held delay + 1 draws
      {64, TSprite::kLooping, 0, 2, 6, false, "011101"},       // the last frame held loop pause more
      {64, 0, 2, 0, 5, false, "00011"},
      {64, 0, 2, 0, 6, false, "000111 done"},  // the sixth draw ends the last frame's time
      {64, 0, 2, 0, 12, false, "000111111111 done"},
      {0, 0, 0, 0, 1, false, "0 done"},  // no frames: finishes instead of dividing
      {128, TSprite::kLooping | TSprite::kFrozen, 0, 0, 6, false, "000000"},
      {128, TSprite::kLooping, 0, 0, 6, true, "000000"},
  };
  for (const auto& [width, options, delay, pause, draws, hidden, want] : cases) {
    TImageInfo image{"strip", width, 32};
    TSprite sprite(0, 0, 32, options, width ? &image : nullptr);
    sprite.FrameDelay = delay;
    sprite.LoopPause = pause;
    sprite.Hidden = hidden;
    std::string trace;
    for (int i = 0; i < draws; ++i, sprite.Step(1)) trace += char('0' + sprite.Frame);
    EXPECT_EQ(trace + (sprite.Finished ? " done" : ""), want);
  }
  // Many draws at once step exactly like single draws.
  TImageInfo image{"strip", 160, 32};
  for (int n = 1; n <= 40; ++n) {
    TSprite a(0, 0, 32, TSprite::kLooping, &image), b = a;
    a.LoopPause = b.LoopPause = 1;
    a.FrameDelay = b.FrameDelay = 2;
    a.Step(n);
    for (int i = 0; i < n; ++i) b.Step(1);
    EXPECT_EQ(std::tuple(a.Frame, a.DelayCounter, a.LoopCounter), std::tuple(b.Frame, b.DelayCounter, b.LoopCounter))
        << n;
  }
}

class Activation : public ::testing::Test {
protected:
  Activation() : cave(maps, images, sounds) {
    for (auto [name, width] : {std::pair{"$1", 96}, {"$2", 96}, {"$3", 96}, {"=", 128}, {"#", 32}, {"@", 33},
                               {"!", 128}}) {
      images.Add(name, uint16_t(width), 32);
    }
    images.SetVariantTable(std::string("$\x03.\x00", 4));
  }
  TMaps maps;
  TImageTable images;
  TSoundRecorder sounds;
  TCave cave;
};

// Diamonds (variants) start on a random frame, sync blocks ("=") on frame 0.
TEST_F(Activation, EverySolidCellGetsASpriteAndSyncBlocksStartTogether) {
  const std::string diamonds(18, '$');
  maps.Append(MapFromRows(Room({" *  $", " =#@.", diamonds, diamonds, std::string(18, '=')})));
  Randomize(3);
  ASSERT_TRUE(cave.SetActive(0));
  EXPECT_TRUE(!cave.Sprite(2, 1) && !cave.Sprite(3, 1));  // the player, an empty cell
  ASSERT_TRUE(cave.Sprite(0, 0) && cave.Sprite(5, 1) && cave.Sprite(3, 2) && cave.Sprite(4, 2) && cave.Sprite(5, 2));
  // "#" is exactly 32 wide: static; "@" is 33 wide: one frame.
  EXPECT_TRUE(cave.Sprite(5, 1)->Animated && cave.Sprite(5, 1)->FrameDelay == 2);
  EXPECT_TRUE(!cave.Sprite(3, 2)->Animated && cave.Sprite(3, 2)->FrameDelay == 2);
  EXPECT_TRUE(cave.Sprite(4, 2)->Animated && cave.Sprite(4, 2)->FrameCount == 1);
  // "." counts 0 variants (".1" is missing) and "%" has no image here.
  EXPECT_TRUE(!cave.Sprite(5, 2)->Image && !cave.Sprite(0, 0)->Image);
  std::set<int> diamondFrames;
  std::set<std::string> variants;
  for (int x = 1; x <= 18; ++x) {
    EXPECT_TRUE(cave.Sprite(x, 5)->Frame == 0 && cave.Sprite(x, 5)->Looping) << x;
    for (int y = 3; y <= 4; ++y) {
      diamondFrames.insert(cave.Sprite(x, y)->Frame);
      variants.insert(cave.Sprite(x, y)->Image->Name);
    }
  }
  EXPECT_TRUE(diamondFrames == std::set<int>({0, 1, 2}) && variants == std::set<std::string>({"$1", "$2", "$3"}));
}

// No maps, a bad map number, a column-first player scan, diamonds counted on
// the file layer's grid only, and damaged records walled before play.
TEST_F(Activation, EmptyPackBadNumbersPlayerScanAndDamagedRecords) {
  EXPECT_TRUE(!cave.SetActive(0) && cave.GetCell(5, 5) == ' ');  // an empty cave, not a crash
  maps.Append(MapFromRows(Room({"    *", "", "  *"})));  // (5,1) and (3,3): column 3 comes first
  maps.Append(MapFromRows(Room({" $"})));
  LogCapture log;
  cave.SetActive(4);
  EXPECT_TRUE(cave.ActiveMap() == 0 && log.Has("[MAP, TMaps.SetActive] Invalid map number! (4)") &&
              log.Has("[MAP, TMaps.SetActive] Using 0 instead..."));
  cave.FindPlayer();
  EXPECT_EQ(PlayerAt(cave), std::pair(3, 3));
  cave.SetActive(1);
  cave.FindPlayer();
  EXPECT_EQ(PlayerAt(cave), std::pair(0, 0));

  auto wide = MapFromRows(Room({"$$", "  $"}), 22, 13);
  wide->FileCells[20] = '$';           // (20, 0): outside the 20 x 12 grid
  wide->FileCells[22 * 12 + 3] = '$';  // (3, 12): below the grid
  maps.Append(std::move(wide));
  cave.SetActive(2);
  cave.SetCell(1, 1, ' ');  // the working layer does not count
  EXPECT_EQ(cave.CountDiamonds(), 3);

  // Too small is padded with walls; cells that do not match the size make a walled cave.
  maps.Append(MapFromRows({"*  @", "    ", "$   "}, 4, 3));
  auto cut = MapFromRows(Room({" *"}));
  cut->FileCells.resize(7);
  maps.Append(std::move(cut));
  cave.SetActive(3);
  EXPECT_TRUE(cave.CurrentMap->Width == 20 && cave.CurrentMap->Height == 12 && cave.GetCell(3, 0) == '@' &&
              cave.GetCell(10, 5) == '#' && cave.CountDiamonds() == 1);
  cave.SetActive(4);
  EXPECT_TRUE(cave.GetCell(19, 11) == '#' && cave.CountDiamonds() == 0);
}

// The dump braces codes outside printable ASCII; a restart restores every cell.
TEST_F(Activation, DumpAndRestartFromTheFileLayer) {
  auto room = Room({" *", " @", "  &"});
  maps.Append(MapFromRows(room));
  cave.SetActive(0);
  for (auto [x, code] : {std::pair{1, 31}, {2, 200}, {3, 127}}) cave.SetCell(x, 1, uint16_t(code));
  cave.SetCell(2, 2, ' ');
  cave.ExplodeCell(3, 3);
  cave.CellState[4][4] = 9;
  EXPECT_EQ(DumpGrid(cave).substr(0, 53), std::string(20, '%') + "\n%{31}{200}{127}" + std::string(15, ' ') + "%\n");
  cave.SetActive(0);
  EXPECT_EQ(DumpGrid(cave), Expect(room));
  EXPECT_TRUE(cave.CellState[4][4] == 0 && cave.Sprite(2, 2));
}

// Random caves and moves: nothing leaves the grid, and a cell has a sprite
// exactly when it is neither empty, vacated nor the player.
TEST(Hostile, RandomCavesKeepTheGridAndSpritesConsistent) {
  const char kElements[] = " *$@&0.#%!><=  ..@@$$&&00";
  uint32_t state = 12345;
  auto next = [&](uint32_t range) { return ((state = state * 1103515245u + 12345u) >> 16) % range; };
  for (int round = 0; round < 150; ++round) {
    std::vector<std::string> rows(12, std::string(20, ' '));
    for (auto& row : rows) {
      for (char& c : row) c = kElements[next(sizeof kElements - 1)];
    }
    std::string moves;
    for (int i = 0; i < 120; ++i) moves += "UDLR."[next(5)];
    CaveRun run(rows, static_cast<uint32_t>(round));
    bool consistent = true;
    RunSolution(run.session, moves, [&](uint32_t, PlayerAction, bool restarted) {
      if (restarted) return;
      consistent = consistent && run.cave.PlayerX < 20 && run.cave.PlayerY < 12;
      for (int x = 0; x < 20; ++x) {
        for (int y = 0; y < 12; ++y) {
          uint16_t c = run.cave.GetCell(x, y);
          consistent = consistent && (run.cave.Sprite(x, y) == nullptr) == (c == ' ' || c == kVacated || c == '*');
        }
      }
    });
    EXPECT_TRUE(consistent) << "round " << round;
  }
}

}  // namespace
}  // namespace quarry::test
