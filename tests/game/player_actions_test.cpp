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

TEST(Walking, UpAndRightIntoAWallWalksRight) {
  auto room = Room({"   #", "   *"});  // wall above the player at (4,2)
  CaveRun run(room);
  run.Play("");
  EXPECT_EQ(TickWithKeys(run, {kKeyUp, kKeyRight}), PlayerAction::WalkRight);
  EXPECT_EQ(run.cave.PlayerX, 5);
  EXPECT_EQ(run.cave.PlayerImage, "*R");
}

TEST(Walking, PriorityIsUpDownLeftRight) {
  auto room = Room({"", "", "   ", "   *", ""});
  CaveRun run(room);
  run.Play("");
  EXPECT_EQ(TickWithKeys(run, {kKeyRight, kKeyLeft, kKeyDown, kKeyUp}), PlayerAction::WalkUp);
  EXPECT_EQ(TickWithKeys(run, {kKeyRight, kKeyLeft, kKeyDown}), PlayerAction::WalkDown);
  EXPECT_EQ(TickWithKeys(run, {kKeyRight, kKeyLeft}), PlayerAction::WalkLeft);
  EXPECT_EQ(TickWithKeys(run, {}), PlayerAction::None);
  EXPECT_EQ(run.cave.PlayerX, 3);
  EXPECT_EQ(run.cave.PlayerY, 4);
}

TEST(Walking, SandAndDiamondsSoundAndTheVacatedCellEmptiesAtTheEndOfTheTick) {
  auto room = Room({" *.$$", " %%%%"});
  CaveRun run(room);
  auto result = run.Play("RRR");
  EXPECT_EQ(run.Events(), (Events{"1:EatSand", "2:DiamondPickup", "3:DiamondPickup", "3:ExitOpen"}));
  EXPECT_EQ(result.DiamondsLeft, 0);
  EXPECT_EQ(run.Grid(), Expect(room, {{2, 1, ' '}, {3, 1, ' '}, {4, 1, ' '}, {5, 1, '*'}}));
  EXPECT_EQ(run.cave.Sprite(5, 1), nullptr);
}

TEST(Walking, WallsBombsBoulderAndClosedExitsBlock) {
  // The bomb cannot be pushed into the wall; a far diamond keeps the exit shut.
  auto room = Room({" #", "%*&#", " !%", "", "", "", "", "", "", "         $"});
  CaveRun run(room);
  run.Play("UDLR");
  for (const auto& tick : run.ticks) EXPECT_EQ(tick.action, PlayerAction::None);
}

// --- Pushing ---------------------------------------------------------------------

TEST(Pushing, BoulderOnTheFloorMovesAndWaitsATickBeforeFalling) {
  auto room = Room({"", "", " *@ ", "  % "});  // the cell beyond has a hole below
  CaveRun run(room);
  run.Play("R");
  EXPECT_EQ(run.ticks[0].action, PlayerAction::PushRight);
  EXPECT_EQ(run.Grid(), Expect(room, {{2, 3, ' '}, {3, 3, '*'}, {4, 3, '@'}}));
  EXPECT_EQ(run.Events(), (Events{"1:Pushing"}));
  run.Play("R.");
  EXPECT_EQ(run.Grid(), Expect(room, {{2, 3, ' '}, {3, 3, '*'}, {4, 4, '@'}}));
}

TEST(Pushing, BoulderOrBombHangingOverSpaceIsRefused) {
  // The boulder falls past the player: in tick 3 it is beside him, over space.
  auto room = Room({"  @", "", " *", ""});
  room[3][3] = ' ';
  CaveRun run(room);
  run.Play("..R");
  EXPECT_EQ(run.ticks[2].action, PlayerAction::None);
  EXPECT_EQ(run.cave.PlayerX, 2);
}

TEST(Pushing, BalloonOnlyWhileItCannotRise) {
  auto blocked = Room({"", "  %", " *0 "});
  CaveRun run(blocked);
  run.Play("R");
  EXPECT_EQ(run.ticks[0].action, PlayerAction::PushRight);
  EXPECT_EQ(run.cave.GetCell(4, 3), '0');
  run.Play("R.");
  EXPECT_EQ(run.cave.GetCell(4, 2), '0');  // free again: it rises on the next tick

  // A rising balloon passes the player with space above it: no push.
  auto rising = Room({"", "", " *", "  0"});
  CaveRun second(rising);
  second.Play(".R");
  EXPECT_EQ(second.ticks[1].action, PlayerAction::None);
}

TEST(Pushing, DiamondsAreCollectedAndSandIsEatenNotPushed) {
  auto room = Room({" *$ ", " *. "});
  room[2][2] = ' ';
  CaveRun run(room);
  run.Play("R");
  EXPECT_EQ(run.ticks[0].action, PlayerAction::WalkRight);
  EXPECT_EQ(run.cave.GetCell(4, 1), ' ');
}

TEST(Pushing, NothingIsPushedIntoAnOccupiedCell) {
  auto room = Room({"", "", " *@@", "  %%"});
  CaveRun run(room);
  run.Play("R");
  EXPECT_EQ(run.ticks[0].action, PlayerAction::None);
  EXPECT_EQ(run.Grid(), Expect(room));
}

// --- Exits -------------------------------------------------------------------

// Player (2,2), diamond (3,2), exit (6,2).
const std::vector<std::string> kExitRoom = Room({"", " *$  !"});

// The tick in which the exit reaches the open code 240, for one seed.
uint32_t ExitOpenTick(uint32_t seed) {
  CaveRun run(kExitRoom, seed);
  uint32_t opened = 0;
  RunSolution(run.session, "R" + std::string(10, '.'), [&](uint32_t tick, PlayerAction, bool) {
    if (opened == 0 && run.cave.GetCell(6, 2) == kExitOpen) opened = tick;
  });
  return opened;
}

TEST(Exits, LastDiamondOpensEveryExitInTheSameTick) {
  CaveRun run(kExitRoom);
  run.Play("R");
  EXPECT_EQ(run.Events(), (Events{"1:DiamondPickup", "1:ExitOpen"}));
  EXPECT_EQ(run.cave.GetCell(6, 2), kExitOpening1);
  EXPECT_FALSE(run.cave.Sprite(6, 2)->Looping);
}

TEST(Exits, TheExitsStartFrameDecidesTheOpeningTick) {
  // Fallback images: "!" and "!1" are 4-frame strips held 3 draws a frame.
  // Start frames 0 and 1 finish "!" by tick 2, frames 2 and 3 by tick 3; "!1"
  // then needs two more ticks.
  std::set<uint32_t> ticks;
  for (uint32_t seed = 0; seed < 64; ++seed) ticks.insert(ExitOpenTick(seed));
  EXPECT_EQ(ticks, (std::set<uint32_t>{4, 5}));
}

TEST(Exits, ASolutionMustWaitForTheSlowestStartFrame) {
  std::set<bool> early;
  for (uint32_t seed = 0; seed < 64; ++seed) {
    CaveRun hasty(kExitRoom, seed);
    early.insert(hasty.Play("RRRRR").Completed);
    CaveRun patient(kExitRoom, seed);
    auto result = patient.Play("RRRR.R");
    EXPECT_TRUE(result.Completed) << seed;
    EXPECT_EQ(result.Ticks, 6u) << seed;
  }
  EXPECT_EQ(early, (std::set<bool>{false, true}));
}

TEST(Exits, ExitShowingAnExplosionOpensOnceTheExplosionHasFinished) {
  // Bomb B falls one row onto a wall and destroys exit B at tick 2; bomb A
  // falls three rows and catches exit A at tick 4; the diamond goes at tick 6.
  auto room = Room({"      &     &", "           ! ", "            #", "     !", "      #",
                    "", "", " *$", "  %"});
  CaveRun run(room);
  auto result = run.Play(".....R..");
  EXPECT_EQ(result.DiamondsLeft, 0);
  EXPECT_EQ(run.cave.GetCell(6, 4), kExitOpen);  // exit A
  EXPECT_EQ(run.cave.GetCell(12, 2), ' ');       // exit B was emptied before
  EXPECT_EQ(run.cave.Sprite(12, 2), nullptr);
}

TEST(Exits, DestroyedDiamondKeepsTheExitsClosed) {
  auto room = Room({"      &", "     $ ", "     %#", " *   !"});
  CaveRun run(room);
  auto result = run.Play(std::string(12, '.'));
  EXPECT_EQ(result.DiamondsLeft, 1);
  EXPECT_EQ(run.cave.GetCell(6, 4), '!');
  EXPECT_EQ(run.cave.GetCell(6, 2), ' ');
}

TEST(Exits, MapWithoutDiamondsOpensAtOnce) {
  auto room = Room({" *  !"});
  CaveRun run(room);
  run.Play("");
  EXPECT_EQ(run.cave.GetCell(5, 1), kExitOpening1);
  EXPECT_EQ(run.setupSounds, (std::vector<std::string>{"ExitOpen"}));
  auto result = run.Play("...RRR");
  EXPECT_TRUE(result.Completed);
  EXPECT_EQ(result.Ticks, 6u);
}

TEST(Exits, CompletionNeedsTheOpenCodeAndStopsTheRun) {
  auto room = Room({" *  !"});
  CaveRun run(room);
  auto result = run.Play(".....RRRRRRRR");
  EXPECT_TRUE(result.Completed);
  EXPECT_EQ(result.Ticks, 8u);
  EXPECT_EQ(run.cave.GetCell(5, 1), '*');
  EXPECT_EQ(run.ticks.back().action, PlayerAction::WalkRight);
}

}  // namespace
}  // namespace quarry::test
