// The player's actions in priority order, pushing, and the exits.
#include <set>

#include "cave_fixture.h"

namespace quarry::test {
namespace {

PlayerAction TickWithKeys(CaveRun& run, std::initializer_list<Key> keys) {
  ClearKeys();
  for (Key key : keys) KeyState[key] = 1;
  run.session.RunToNextTick();
  ClearKeys();
  return run.session.LastAction;
}

TEST(Walking, PriorityIsUpDownLeftRightAndABlockedArrowFallsThrough) {
  CaveRun run(Room({"", "", "   ", "   *", ""}));
  run.Play("");
  EXPECT_EQ(TickWithKeys(run, {kKeyRight, kKeyLeft, kKeyDown, kKeyUp}), PlayerAction::WalkUp);
  EXPECT_EQ(TickWithKeys(run, {kKeyRight, kKeyLeft, kKeyDown}), PlayerAction::WalkDown);
  EXPECT_EQ(TickWithKeys(run, {kKeyRight, kKeyLeft}), PlayerAction::WalkLeft);
  EXPECT_EQ(TickWithKeys(run, {}), PlayerAction::None);
  EXPECT_EQ(PlayerAt(run.cave), std::pair(3, 4));

  CaveRun walled(Room({"   #", "   *"}));  // wall above the player at (4,2)
  walled.Play("");
  EXPECT_EQ(TickWithKeys(walled, {kKeyUp, kKeyRight}), PlayerAction::WalkRight);
  EXPECT_TRUE(walled.cave.PlayerX == 5 && walled.cave.PlayerImage == "*R");
}

TEST(Walking, EatingCollectingAndPushingRules) {
  CheckRules({
      {"sand and diamonds sound; the vacated cell empties at the end of the tick", {" *.$$", " %%%%"}, "RRR",
       {{2, 1, ' '}, {3, 1, ' '}, {4, 1, ' '}, {5, 1, '*'}},
       Events{"1:EatSand", "2:DiamondPickup", "3:DiamondPickup", "3:ExitOpen"}},
      // The cell beyond has a hole below: the pushed boulder waits a tick before falling.
      {"push a boulder", {"", "", " *@ ", "  % "}, "R", {{2, 3, ' '}, {3, 3, '*'}, {4, 3, '@'}}, Events{"1:Pushing"}},
      {"then it falls", {"", "", " *@ ", "  % "}, "R.", {{2, 3, ' '}, {3, 3, '*'}, {4, 4, '@'}}},
      {"push a balloon that cannot rise", {"", "  %", " *0 "}, "R", {{2, 3, ' '}, {3, 3, '*'}, {4, 3, '0'}},
       std::nullopt, PlayerAction::PushRight},
      {"then it rises", {"", "  %", " *0 "}, "R.", {{2, 3, ' '}, {3, 3, '*'}, {4, 2, '0'}}},
      {"diamonds are collected, not pushed", {" *$ ", "  ."}, "R", {{2, 1, ' '}, {3, 1, '*'}}, std::nullopt,
       PlayerAction::WalkRight},
      {"push on the bottom row", Open({{0, "    0*"}, {11, " *@"}}), "R", {{1, 11, ' '}, {2, 11, '*'}, {3, 11, '@'}},
       std::nullopt, PlayerAction::PushRight},
      {"a balloon on the top row is always pushable", Open({{0, "    0*"}}), "L",
       {{5, 0, ' '}, {4, 0, '*'}, {3, 0, '0'}}, std::nullopt, PlayerAction::PushLeft},
  });
}

// Moves that must leave the player where he is; the far diamond keeps exits shut.
TEST(Walking, BlockedMovesAndRefusedPushes) {
  const Rule cases[] = {
      {"walls, a bomb against a wall, boulder and closed exit",
       {" #", "%*&#", " !%", "", "", "", "", "", "", "         $"}, "UDLR"},
      // The boulder falls past the player: in tick 3 it is beside him, over space.
      {"boulder hanging over space", {"  @", "", " *"}, "..R"},
      {"into an occupied cell", {"", "", " *@@", "  %%"}, "R"},
      {"a rising balloon with space above it", {"", "", " *", "  0"}, ".R"},
  };
  for (const auto& c : cases) {
    CaveRun run(Room(c.interior)), still(Room(c.interior));
    run.Play(c.moves);
    still.Play(std::string(c.moves.size(), '.'));
    EXPECT_TRUE(PlayerAt(run.cave) == PlayerAt(still.cave) && run.Grid() == still.Grid()) << c.name;
    for (const auto& tick : run.ticks) EXPECT_EQ(tick.action, PlayerAction::None) << c.name;
  }
}

// Player (2,2), diamond (3,2), exit (6,2).
const std::vector<std::string> kExitRoom = Room({"", " *$  !"});

TEST(Exits, LastDiamondOpensTheExitWhoseStartFrameDecidesTheOpeningTick) {
  CaveRun run(kExitRoom);
  run.Play("R");
  EXPECT_TRUE(run.cave.GetCell(6, 2) == kExitOpening1 && !run.cave.Sprite(6, 2)->Looping);

  // Fallback images: "!" and "!1" are 4-frame strips held 3 draws a frame. Start frames 0 and 1 finish "!" by tick 2,
  // frames 2 and 3 by tick 3; "!1" then needs two more ticks. A solution must wait for the slowest.
  std::set<uint32_t> openTicks;
  std::set<bool> early;
  for (uint32_t seed = 0; seed < 64; ++seed) {
    CaveRun watch(kExitRoom, seed);
    uint32_t opened = 0;
    RunSolution(watch.session, "R" + std::string(10, '.'), [&](uint32_t tick, PlayerAction, bool) {
      if (opened == 0 && watch.cave.GetCell(6, 2) == kExitOpen) opened = tick;
    });
    openTicks.insert(opened);
    early.insert(CaveRun(kExitRoom, seed).Play("RRRRR").Completed);
    auto result = CaveRun(kExitRoom, seed).Play("RRRR.R");
    EXPECT_TRUE(result.Completed && result.Ticks == 6u) << seed;
  }
  EXPECT_EQ(openTicks, (std::set<uint32_t>{4, 5}));
  EXPECT_EQ(early, (std::set<bool>{false, true}));
}

TEST(Exits, ExplosionsOverExitsAndDiamonds) {
  // Bomb B falls one row onto a wall and destroys exit B at tick 2; bomb A
  // falls three rows and catches exit A at tick 4; the diamond goes at tick 6.
  CaveRun run(Room({"      &     &", "           ! ", "            #", "     !", "      #", "", "", " *$", "  %"}));
  auto result = run.Play(".....R..");
  // Exit A opens once its explosion is over.
  EXPECT_TRUE(result.DiamondsLeft == 0 && run.cave.GetCell(6, 4) == kExitOpen);
  EXPECT_TRUE(run.cave.GetCell(12, 2) == ' ' && !run.cave.Sprite(12, 2));  // exit B was emptied before

  CaveRun lost(Room({"      &", "     $ ", "     %#", " *   !"}));  // the only diamond is blown up
  result = lost.Play(std::string(12, '.'));
  EXPECT_TRUE(result.DiamondsLeft == 1 && lost.cave.GetCell(6, 4) == '!' && lost.cave.GetCell(6, 2) == ' ');
}

TEST(Exits, MapWithoutDiamondsOpensAtOnceAndCompletionStopsTheRun) {
  CaveRun run(Room({" *  !"}));
  run.Play("");
  EXPECT_TRUE(run.cave.GetCell(5, 1) == kExitOpening1 && run.setupSounds == Events{"ExitOpen"});
  auto result = run.Play("...RRR");
  EXPECT_TRUE(result.Completed && result.Ticks == 6u);
  result = run.Play(".....RRRRRRRR");
  EXPECT_TRUE(result.Completed && result.Ticks == 8u && run.cave.GetCell(5, 1) == '*');
  EXPECT_EQ(run.ticks.back().action, PlayerAction::WalkRight);
}

}  // namespace
}  // namespace quarry::test
