// Activation, sprites and their exact stepping, and the cells beyond the grid.
#include <set>

#include "cave_fixture.h"
#include "core/log.h"

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

TEST(Sprite, LoopingStripHoldsEachFrameForDelayPlusOneDraws) {
  TImageInfo image = Strip(96);
  TSprite sprite(0, 0, 32, TSprite::kLooping, &image);
  sprite.FrameDelay = 2;
  EXPECT_EQ(sprite.FrameCount, 3);
  EXPECT_EQ(FramesOver(sprite, 10), (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 0}));
  EXPECT_FALSE(sprite.Finished);
}

TEST(Sprite, LoopPauseHoldsTheLastFrameLonger) {
  TImageInfo image = Strip(64);
  TSprite sprite(0, 0, 32, TSprite::kLooping, &image);
  sprite.LoopPause = 2;
  EXPECT_EQ(FramesOver(sprite, 6), (std::vector<int>{0, 1, 1, 1, 0, 1}));
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

TEST(Sprite, MissingImageHasNoFramesAndFinishesInsteadOfDividing) {
  TSprite sprite(0, 0, 0, 0, nullptr);
  EXPECT_EQ(sprite.FrameCount, 0);
  sprite.Step(1);
  EXPECT_TRUE(sprite.Finished);
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
    EXPECT_EQ(a.Frame, b.Frame);
    EXPECT_EQ(a.DelayCounter, b.DelayCounter);
    EXPECT_EQ(a.LoopCounter, b.LoopCounter);
  }
}

class Activation : public ::testing::Test {
protected:
  Activation() : cave(maps, images, sounds) {
    images.Add("$1", 96, 32);
    images.Add("$2", 96, 32);
    images.Add("$3", 96, 32);
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
  std::string many(18, '$');
  std::string syncs(18, '=');
  maps.Append(MapFromRows(Room({many, many, syncs})));
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

TEST_F(Activation, InvalidMapNumberWarnsAndPlaysMapZero) {
  maps.Append(MapFromRows(Room({" #"})));
  std::vector<std::string> lines;
  SetLogObserver([&](const std::string& line) { lines.push_back(line); });
  cave.SetActive(4);
  SetLogObserver(nullptr);
  EXPECT_EQ(cave.ActiveMap(), 0);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "[MAP, TMaps.SetActive] Invalid map number! (4)");
  EXPECT_EQ(lines[1], "[MAP, TMaps.SetActive] Using 0 instead...");
}

TEST_F(Activation, PackWithoutMapsGivesAnEmptyCaveNotACrash) {
  EXPECT_FALSE(cave.SetActive(0));
  EXPECT_EQ(cave.GetCell(5, 5), ' ');
}

TEST_F(Activation, FindPlayerScansColumnByColumn) {
  auto room = Room({"    *", "", "  *"});  // (5,1) and (3,3): column 3 comes first
  maps.Append(MapFromRows(room));
  cave.SetActive(0);
  cave.FindPlayer();
  EXPECT_EQ(cave.PlayerX, 3);
  EXPECT_EQ(cave.PlayerY, 3);
  maps.Append(MapFromRows(Room({" $"})));
  cave.SetActive(1);
  cave.FindPlayer();
  EXPECT_EQ(cave.PlayerX, 0);
  EXPECT_EQ(cave.PlayerY, 0);
}

TEST_F(Activation, CountDiamondsLooksOnlyAtTheGridOfTheFileLayer) {
  auto map = MapFromRows(Room({"$$", "  $"}), 22, 13);
  map->FileCells[20] = '$';            // (20, 0): outside the 20 x 12 grid
  map->FileCells[22 * 12 + 3] = '$';   // (3, 12): below the grid
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

TEST_F(Activation, ShortRecordIsPaddedWithWallsBeforePlay) {
  maps.Append(MapFromRows({"*  @", "    ", "$   "}, 4, 3));
  cave.SetActive(0);
  EXPECT_EQ(cave.CurrentMap->Width, 20);
  EXPECT_EQ(cave.CurrentMap->Height, 12);
  EXPECT_EQ(cave.GetCell(3, 0), '@');
  EXPECT_EQ(cave.GetCell(10, 5), '#');
  EXPECT_EQ(cave.CountDiamonds(), 1);
}

TEST(Dump, CodesOutsidePrintableAsciiAreBraced) {
  auto room = Room({" *"});
  CaveRun run(room);
  run.Play("");
  run.cave.SetCell(1, 1, 31);
  run.cave.SetCell(2, 1, 200);
  run.cave.SetCell(3, 1, 127);
  std::string grid = DumpGrid(run.cave);
  EXPECT_EQ(grid.substr(0, 21), "%%%%%%%%%%%%%%%%%%%%\n");
  EXPECT_EQ(grid.substr(21, 32), "%{31}{200}{127}" + std::string(15, ' ') + "%\n");
}

// --- Maps without a frame of walls: the grid's edge reads as a wall ---------

TEST(OffGrid, BoulderOnTheBottomRowLandsOnTheEdge) {
  std::vector<std::string> rows(12, std::string(20, ' '));
  rows[0][0] = '*';
  rows[10][3] = '@';
  CaveRun run(rows);
  run.Play("...");
  EXPECT_EQ(run.cave.GetCell(3, 11), '@');
  EXPECT_EQ(run.Events(), (Events{"2:BoulderDown"}));
}

TEST(OffGrid, BombOnTheBottomRowExplodesOnTheEdgeWithoutLeavingTheGrid) {
  std::vector<std::string> rows(12, std::string(20, ' '));
  rows[0][0] = '*';
  rows[10][19] = '&';
  CaveRun run(rows);
  run.Play("..");
  EXPECT_EQ(run.cave.GetCell(19, 11), 216);
  EXPECT_EQ(run.cave.GetCell(18, 11), 217);
  EXPECT_EQ(run.cave.GetCell(19, 10), 217);
  EXPECT_EQ(run.Events(), (Events{"2:Explosion"}));
}

TEST(OffGrid, BalloonOnTheBottomRowDoesNotSinkOutOfTheGrid) {
  std::vector<std::string> rows(12, std::string(20, ' '));
  rows[0][0] = '*';
  rows[9][5] = '@';
  rows[10][5] = '@';
  rows[11][5] = '0';
  rows[11][4] = rows[11][6] = rows[10][4] = rows[10][6] = '%';
  CaveRun run(rows);
  run.Play("..");
  EXPECT_EQ(run.cave.GetCell(5, 11), '0');
  EXPECT_EQ(run.cave.GetCell(5, 10), '@');
  EXPECT_EQ(run.cave.GetCell(5, 9), '@');
}

TEST(OffGrid, PushOnTheBottomRowAndBalloonPushOnTheTopRow) {
  std::vector<std::string> rows(12, std::string(20, ' '));
  rows[11] = " *@                 ";
  rows[0] = "    0*              ";
  CaveRun bottom(rows);
  bottom.Play("R");
  EXPECT_EQ(bottom.ticks[0].action, PlayerAction::PushRight);
  EXPECT_EQ(bottom.cave.GetCell(3, 11), '@');
  rows[11] = std::string(20, ' ');
  CaveRun top(rows);
  top.Play("L");
  EXPECT_EQ(top.ticks[0].action, PlayerAction::PushLeft);  // row 0: always pushable
  EXPECT_EQ(top.cave.GetCell(3, 0), '0');
}

TEST(OffGrid, TunnelRunningToTheEdgeRefusesEntry) {
  std::vector<std::string> rows(12, std::string(20, ' '));
  rows[4] = "               *>>>>";
  rows[5] = "<<<*                ";
  CaveRun run(rows);  // the player starts at (3,5): columns are scanned first
  run.Play("");
  EXPECT_FALSE(run.cave.TunnelExitFree(15, 4, 1));
  EXPECT_FALSE(run.cave.TunnelExitFree(3, 5, -1));
  run.Play("LR");
  EXPECT_EQ(run.ticks[0].action, PlayerAction::None);
}

}  // namespace
}  // namespace quarry::test

namespace quarry::test {
namespace {

TEST(Hostile, RecordWhoseCellsDoNotMatchItsSizeBecomesAWalledCave) {
  TMaps maps;
  auto map = MapFromRows(Room({" *"}));
  map->FileCells.resize(7);  // far fewer cells than 20 x 12
  maps.Append(std::move(map));
  TImageTable images = TImageTable::Fallback();
  TSilentSink sounds;
  TCave cave(maps, images, sounds);
  cave.SetActive(0);
  EXPECT_EQ(cave.GetCell(19, 11), '#');
  EXPECT_EQ(cave.CountDiamonds(), 0);
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
