// Activation, sprites and their exact stepping, and the cells beyond the grid.
#include <set>

#include "test_support.h"
#include "cave_fixture.h"

namespace quarry::test {
namespace {

TImageInfo Strip(uint16_t width) {
  TImageInfo info;
  info.Width = width;
  info.Height = 32;
  return info;
}

// Frames a sprite is on before each of the given number of draws.
std::vector<int> FramesOver(TSprite& sprite, int draws) {
  std::vector<int> frames;
  for (int i = 0; i < draws; ++i) {
    frames.push_back(sprite.Frame);
    sprite.Step(1);
  }
  return frames;
}

TEST(Sprite, LoopingHoldsEachFrameDelayPlusOneDrawsAndTheLastFrameLoopPauseMore) {
  TImageInfo three = Strip(96), two = Strip(64);
  TSprite sprite(0, 0, 32, TSprite::kLooping, &three);
  sprite.FrameDelay = 2;
  EXPECT_EQ(sprite.FrameCount, 3);
  EXPECT_EQ(FramesOver(sprite, 10), (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 0}));
  EXPECT_FALSE(sprite.Finished);
  TSprite paused(0, 0, 32, TSprite::kLooping, &two);
  paused.LoopPause = 2;
  EXPECT_EQ(FramesOver(paused, 6), (std::vector<int>{0, 1, 1, 1, 0, 1}));
}

TEST(Sprite, NonLoopingFinishesAfterShowingItsLastFrameInFull) {
  TImageInfo image = Strip(64);
  TSprite sprite(0, 0, 32, 0, &image);
  sprite.FrameDelay = 2;
  sprite.Step(5);
  EXPECT_EQ(sprite.Frame, 1);
  EXPECT_FALSE(sprite.Finished);
  sprite.Step(1);  // the sixth draw ends the last frame's time
  EXPECT_TRUE(sprite.Finished);
  sprite.Step(20);
  EXPECT_EQ(sprite.Frame, 1);
  TSprite missing(0, 0, 0, 0, nullptr);  // no image: no frames, finishes instead of dividing
  EXPECT_EQ(missing.FrameCount, 0);
  missing.Step(1);
  EXPECT_TRUE(missing.Finished);
}

TEST(Sprite, FrozenHiddenAndStaticSpritesNeverAdvance) {
  TImageInfo image = Strip(128);
  TSprite frozen(0, 0, 32, TSprite::kLooping | TSprite::kFrozen, &image);
  frozen.Step(50);
  EXPECT_EQ(frozen.Frame, 0);
  TSprite hidden(0, 0, 32, TSprite::kLooping, &image);
  hidden.Hidden = true;
  hidden.Step(50);
  EXPECT_EQ(hidden.Frame, 0);
  EXPECT_EQ(hidden.DelayCounter, -1);
  TSprite still(5, 7, &image);
  still.Step(3);
  EXPECT_FALSE(still.Animated);
  EXPECT_EQ(still.LastX, 5);
}

TEST(Sprite, SteppingManyDrawsAtOnceEqualsSingleDraws) {
  TImageInfo image = Strip(160);
  for (int n = 1; n <= 40; ++n) {
    TSprite a(0, 0, 32, TSprite::kLooping, &image);
    TSprite b(0, 0, 32, TSprite::kLooping, &image);
    a.LoopPause = b.LoopPause = 1;
    a.FrameDelay = b.FrameDelay = 2;
    a.Step(n);
    for (int i = 0; i < n; ++i) b.Step(1);
    EXPECT_EQ(std::make_tuple(a.Frame, a.DelayCounter, a.LoopCounter),
              std::make_tuple(b.Frame, b.DelayCounter, b.LoopCounter)) << n;
  }
}

class Activation : public ::testing::Test {
protected:
  Activation() : cave(maps, images, sounds) {
    for (const char* name : {"$1", "$2", "$3"}) images.Add(name, 96, 32);
    images.Add("=", 128, 32);
    images.Add("#", 32, 32);
    images.Add("@", 33, 32);
    images.Add("!", 128, 32);
    images.SetVariantTable(std::string("$\x03.\x00", 4));
  }
  TMaps maps;
  TImageTable images;
  TSoundRecorder sounds;
  TCave cave;
};

TEST_F(Activation, EverySolidCellGetsASpriteButEmptyAndPlayerDoNot) {
  maps.Append(MapFromRows(Room({" *  $", " =#@."})));
  Randomize(3);
  ASSERT_TRUE(cave.SetActive(0));
  EXPECT_EQ(cave.Sprite(2, 1), nullptr);  // player
  EXPECT_EQ(cave.Sprite(3, 1), nullptr);  // empty
  ASSERT_NE(cave.Sprite(5, 1), nullptr);
  EXPECT_TRUE(cave.Sprite(5, 1)->Animated);
  EXPECT_EQ(cave.Sprite(5, 1)->FrameDelay, 2);
  EXPECT_EQ(cave.Sprite(5, 1)->Image->Name.substr(0, 1), "$");
  EXPECT_FALSE(cave.Sprite(3, 2)->Animated);  // exactly 32 wide: static
  EXPECT_EQ(cave.Sprite(3, 2)->FrameDelay, 2);
  ASSERT_NE(cave.Sprite(4, 2), nullptr);
  EXPECT_TRUE(cave.Sprite(4, 2)->Animated);  // 33 wide: one frame
  EXPECT_EQ(cave.Sprite(4, 2)->FrameCount, 1);
  // "." counts 0 variants: the name ".1" is looked for and is missing here.
  ASSERT_NE(cave.Sprite(5, 2), nullptr);
  EXPECT_EQ(cave.Sprite(5, 2)->Image, nullptr);
  EXPECT_EQ(cave.Sprite(0, 0)->Image, nullptr);  // "%" has no image here
}

TEST_F(Activation, SyncBlocksStartTogetherWhileDiamondsStartAtRandom) {
  maps.Append(MapFromRows(Room({std::string(18, '$'), std::string(18, '$'), std::string(18, '=')})));
  Randomize(11);
  cave.SetActive(0);
  std::set<int> diamondFrames;
  std::set<std::string> variants;
  for (int x = 1; x <= 18; ++x) {
    EXPECT_EQ(cave.Sprite(x, 3)->Frame, 0);
    EXPECT_TRUE(cave.Sprite(x, 3)->Looping);
    for (int y = 1; y <= 2; ++y) {
      diamondFrames.insert(cave.Sprite(x, y)->Frame);
      variants.insert(cave.Sprite(x, y)->Image->Name);
    }
  }
  EXPECT_EQ(diamondFrames, (std::set<int>{0, 1, 2}));
  EXPECT_EQ(variants, (std::set<std::string>{"$1", "$2", "$3"}));
}

TEST_F(Activation, EmptyPackAndInvalidMapNumberAreSurvived) {
  EXPECT_FALSE(cave.SetActive(0));  // no maps: an empty cave, not a crash
  EXPECT_EQ(cave.GetCell(5, 5), ' ');
  maps.Append(MapFromRows(Room({" #"})));
  LogCapture log;
  cave.SetActive(4);
  EXPECT_EQ(cave.ActiveMap(), 0);
  ASSERT_GE(log.lines.size(), 2u);
  EXPECT_EQ(log.lines[0], "[MAP, TMaps.SetActive] Invalid map number! (4)");
  EXPECT_EQ(log.lines[1], "[MAP, TMaps.SetActive] Using 0 instead...");
}

TEST_F(Activation, FindPlayerScansColumnByColumn) {
  maps.Append(MapFromRows(Room({"    *", "", "  *"})));  // (5,1) and (3,3): column 3 comes first
  maps.Append(MapFromRows(Room({" $"})));
  cave.SetActive(0);
  cave.FindPlayer();
  EXPECT_EQ(PlayerAt(cave), std::make_pair(3, 3));
  cave.SetActive(1);
  cave.FindPlayer();
  EXPECT_EQ(PlayerAt(cave), std::make_pair(0, 0));
}

TEST_F(Activation, CountDiamondsLooksOnlyAtTheGridOfTheFileLayer) {
  auto map = MapFromRows(Room({"$$", "  $"}), 22, 13);
  map->FileCells[20] = '$';           // (20, 0): outside the 20 x 12 grid
  map->FileCells[22 * 12 + 3] = '$';  // (3, 12): below the grid
  maps.Append(std::move(map));
  cave.SetActive(0);
  cave.SetCell(1, 1, ' ');  // the working layer does not count
  EXPECT_EQ(cave.CountDiamonds(), 3);
}

TEST_F(Activation, RestartRestoresEveryCellFromTheFileLayer) {
  auto room = Room({" *", " @", "  &"});
  maps.Append(MapFromRows(room));
  cave.SetActive(0);
  cave.SetCell(2, 2, ' ');
  cave.ExplodeCell(3, 3);
  cave.CellState[4][4] = 9;
  cave.SetActive(0);
  EXPECT_EQ(DumpGrid(cave), Expect(room));
  EXPECT_EQ(cave.CellState[4][4], 0);
  EXPECT_NE(cave.Sprite(2, 2), nullptr);
}

// Damaged records: too small is padded with walls, a size that does not
// match the cells becomes a walled cave.
TEST_F(Activation, ShortOrMismatchedRecordsAreWalledBeforePlay) {
  maps.Append(MapFromRows({"*  @", "    ", "$   "}, 4, 3));
  auto map = MapFromRows(Room({" *"}));
  map->FileCells.resize(7);
  maps.Append(std::move(map));
  cave.SetActive(0);
  EXPECT_EQ(cave.CurrentMap->Width, 20);
  EXPECT_EQ(cave.CurrentMap->Height, 12);
  EXPECT_EQ(cave.GetCell(3, 0), '@');
  EXPECT_EQ(cave.GetCell(10, 5), '#');
  EXPECT_EQ(cave.CountDiamonds(), 1);
  cave.SetActive(1);
  EXPECT_EQ(cave.GetCell(19, 11), '#');
  EXPECT_EQ(cave.CountDiamonds(), 0);
}

TEST(Dump, CodesOutsidePrintableAsciiAreBraced) {
  CaveRun run(Room({" *"}));
  run.Play("");
  run.cave.SetCell(1, 1, 31);
  run.cave.SetCell(2, 1, 200);
  run.cave.SetCell(3, 1, 127);
  std::string grid = DumpGrid(run.cave);
  EXPECT_EQ(grid.substr(0, 21), "%%%%%%%%%%%%%%%%%%%%\n");
  EXPECT_EQ(grid.substr(21, 32), "%{31}{200}{127}" + std::string(15, ' ') + "%\n");
}

// --- Maps without a frame of walls: the grid's edge reads as a wall ---------

// An open 20 x 12 map with the player at (0,0) unless a row says otherwise.
std::vector<std::string> Open(std::initializer_list<std::pair<int, std::string>> rows) {
  std::vector<std::string> map(12, std::string(20, ' '));
  map[0][0] = '*';
  for (const auto& [y, row] : rows) map[y] = row + std::string(20 - row.size(), ' ');
  return map;
}

TEST(OffGrid, FallingOntoTheEdgeStaysInTheGrid) {
  CaveRun boulder(Open({{10, "   @"}}));
  boulder.Play("...");
  EXPECT_EQ(boulder.cave.GetCell(3, 11), '@');
  EXPECT_EQ(boulder.Events(), (Events{"2:BoulderDown"}));

  CaveRun bomb(Open({{10, std::string(19, ' ') + "&"}}));
  bomb.Play("..");
  EXPECT_EQ(bomb.cave.GetCell(19, 11), 216);
  EXPECT_EQ(bomb.cave.GetCell(18, 11), 217);
  EXPECT_EQ(bomb.cave.GetCell(19, 10), 217);
  EXPECT_EQ(bomb.Events(), (Events{"2:Explosion"}));

  // A balloon on the bottom row under two boulders does not sink out of the grid.
  CaveRun balloon(Open({{9, "     @"}, {10, "    %@%"}, {11, "    %0%"}}));
  balloon.Play("..");
  EXPECT_EQ(balloon.cave.GetCell(5, 11), '0');
  EXPECT_EQ(balloon.cave.GetCell(5, 10), '@');
  EXPECT_EQ(balloon.cave.GetCell(5, 9), '@');
}

TEST(OffGrid, PushOnTheBottomRowAndBalloonPushOnTheTopRow) {
  CaveRun bottom(Open({{0, "    0*"}, {11, " *@"}}));
  bottom.Play("R");
  EXPECT_EQ(bottom.ticks[0].action, PlayerAction::PushRight);
  EXPECT_EQ(bottom.cave.GetCell(3, 11), '@');
  CaveRun top(Open({{0, "    0*"}}));
  top.Play("L");
  EXPECT_EQ(top.ticks[0].action, PlayerAction::PushLeft);  // row 0: always pushable
  EXPECT_EQ(top.cave.GetCell(3, 0), '0');
}

TEST(OffGrid, TunnelRunningToTheEdgeRefusesEntry) {
  CaveRun run(Open({{0, ""}, {4, "               *>>>>"}, {5, "<<<*"}}));  // player (3,5): columns first
  run.Play("");
  EXPECT_FALSE(run.cave.TunnelExitFree(15, 4, 1));
  EXPECT_FALSE(run.cave.TunnelExitFree(3, 5, -1));
  run.Play("LR");
  EXPECT_EQ(run.ticks[0].action, PlayerAction::None);
}

// Random caves and random moves: nothing leaves the grid, and a cell has a
// sprite exactly when it is neither empty, vacated nor the player.
TEST(Hostile, RandomCavesKeepTheGridAndSpritesConsistent) {
  const char kElements[] = " *$@&0.#%!><=  ..@@$$&&00";
  uint32_t state = 12345;
  auto next = [&](uint32_t range) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % range;
  };
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
      EXPECT_LT(run.cave.PlayerX, 20);
      EXPECT_LT(run.cave.PlayerY, 12);
      for (int x = 0; x < 20; ++x) {
        for (int y = 0; y < 12; ++y) {
          uint16_t c = run.cave.GetCell(x, y);
          bool bare = c == ' ' || c == kVacated || c == '*';
          consistent = consistent && (run.cave.Sprite(x, y) == nullptr) == bare;
        }
      }
    });
    EXPECT_TRUE(consistent) << "round " << round;
  }
}

}  // namespace
}  // namespace quarry::test
