// Every rule of the cave tick as a tiny map, a solution, the final grid and
// the sounds each tick asked for.
#include "cave_fixture.h"

namespace quarry::test {
namespace {

// --- Falling, landing and crushing -----------------------------------------

TEST(Falling, RestingBoulderOnThePlayerDoesNotHurt) {
  auto room = Room({"  @", "  *"});
  CaveRun run(room);
  auto result = run.Play(".....");
  EXPECT_EQ(run.Grid(), Expect(room));
  EXPECT_EQ(run.Events(), Events{});
  EXPECT_EQ(result.Fate, PlayerFate::Alive);
}

TEST(Falling, FallingBoulderKillsAndExplodesOnThePlayer) {
  auto room = Room({"  @", "", "  *"});
  CaveRun run(room);
  auto result = run.Play("..");
  // Centre (3,3) is in state 1 and the boulder's cell still in state 4, so
  // neither steps in this tick; the three free neighbours step once.
  EXPECT_EQ(run.Grid(), Expect(room, {{3, 1, ' '}, {3, 2, 216}, {2, 3, 217}, {3, 3, 216},
                                      {4, 3, 217}, {3, 4, 217}}));
  EXPECT_EQ(run.Events(), (Events{"2:Explosion"}));
  EXPECT_EQ(result.Fate, PlayerFate::Dead);
  EXPECT_EQ(run.cave.DeathCounter, 1);
}

TEST(Falling, DeathWaitIsSixteenTicksThenTheAttemptRestarts) {
  auto room = Room({"  @", "", "  *"});
  CaveRun run(room);
  auto result = run.Play(std::string(18, '.'));
  ASSERT_EQ(run.ticks.size(), 18u);
  EXPECT_FALSE(run.ticks[16].restarted);
  EXPECT_TRUE(run.ticks[17].restarted);  // the tick that raised the counter to 17
  EXPECT_EQ(run.cave.DeathCounter, 17);
  EXPECT_EQ(result.Attempts, 1u);

  CaveRun again(room);
  result = again.Play(std::string(19, '.'));
  EXPECT_EQ(result.Attempts, 2u);
  EXPECT_EQ(result.Ticks, 19u);  // tick numbers go on across the restart
  EXPECT_EQ(again.cave.DeathCounter, 0);
  // Tick 19 is the new attempt's first: the boulder has fallen one row.
  EXPECT_EQ(again.Grid(), Expect(room, {{3, 1, ' '}, {3, 2, '@'}}));
}

TEST(Falling, BoulderAboveThePlayerWaitsOneTickWhenHeWalksAway) {
  auto room = Room({"", "    @", "    *", "    %"});  // boulder (5,2), player (5,3)
  CaveRun run(room);
  run.Play("L");
  // The vacated cell (code 31) is not empty during the tick that made it.
  EXPECT_EQ(run.Grid(), Expect(room, {{5, 3, ' '}, {4, 3, '*'}}));
  CaveRun later(room);
  later.Play("L..");
  EXPECT_EQ(later.Grid(), Expect(room, {{5, 2, ' '}, {5, 3, '@'}, {4, 3, '*'}}));
  EXPECT_EQ(later.Events(), (Events{"3:BoulderDown"}));
}

TEST(Falling, DiamondLandsOnTheJustVacatedCellThenFallsOn) {
  auto room = Room({"    $", "", "    *", "    %"});  // $ (5,1), player (5,3)
  CaveRun run(room);
  auto result = run.Play(".L..");
  EXPECT_EQ(run.Grid(), Expect(room, {{5, 1, ' '}, {5, 3, '$'}, {4, 3, '*'}}));
  EXPECT_EQ(run.Events(), (Events{"2:DiamondDown", "4:DiamondDown"}));
  EXPECT_EQ(result.Fate, PlayerFate::Alive);
}

// --- Rolling ------------------------------------------------------------------

TEST(Rolling, BothSidesFreeRollsLeft) {
  auto room = Room({"", "", "", "", "", "", "", "", "    @", "    @"});  // (5,9) on (5,10)
  CaveRun run(room);
  run.Play("...");
  EXPECT_EQ(run.Grid(), Expect(room, {{5, 9, ' '}, {4, 10, '@'}}));
  EXPECT_EQ(run.Events(), (Events{"3:BoulderDown"}));
}

TEST(Rolling, OnlyRightSideFreeRollsRight) {
  auto room = Room({"", "", "", "", "", "", "", "", "    @", "   %@"});
  CaveRun run(room);
  run.Play("...");
  EXPECT_EQ(run.Grid(), Expect(room, {{5, 9, ' '}, {6, 10, '@'}}));
}

TEST(Rolling, NeitherSideFreeStays) {
  auto room = Room({"", "", "", "", "", "", "", "", "    @", "   %@%"});
  CaveRun run(room);
  run.Play("...");
  EXPECT_EQ(run.Grid(), Expect(room));
}

TEST(Rolling, RollsOffWallsDiamondsAndBombs) {
  auto room = Room({"", "", "", "", "", "", "", "", " @   @    $", " #   $    &"});
  CaveRun run(room);
  run.Play(".");
  // Each top element moved left in the first tick (state 4, still in the air).
  EXPECT_EQ(run.Grid(), Expect(room, {{2, 9, ' '}, {1, 9, '@'}, {6, 9, ' '}, {5, 9, '@'},
                                      {11, 9, ' '}, {10, 9, '$'}}));
}

TEST(Rolling, NothingRollsOffPlayerSandBalloonOrHardWall) {
  auto room = Room({"        %", "  @  @  @  @", "  *  .  0  %"});
  CaveRun run(room);
  run.Play("....");
  EXPECT_EQ(run.Grid(), Expect(room));
  EXPECT_EQ(run.Events(), Events{});
}

// --- Bombs and explosions -----------------------------------------------------

TEST(Bombs, LandingOnSandRestsOnWallExplodes) {
  auto room = Room({"  &    &", "", "  .    #"});  // bombs (3,1) and (8,1)
  CaveRun run(room);
  run.Play("..");
  EXPECT_EQ(run.Grid(), Expect(room, {{3, 1, ' '}, {3, 2, '&'}, {8, 1, 217}, {7, 2, 217},
                                      {8, 2, 216}, {9, 2, 217}, {8, 3, 217}}));
  EXPECT_EQ(run.Events(), (Events{"2:Explosion"}));
}

TEST(Bombs, ChainExplosionFollowsTwoTicksLater) {
  // A boulder drops on the left bomb; the right bomb is caught and goes off
  // at its own cell two ticks later.
  auto room = Room({"  @", "", "  &&", "  %%"});
  CaveRun run(room);
  run.Play("....");
  EXPECT_EQ(run.Grid(), Expect(room, {{3, 1, ' '}, {3, 2, 218}, {4, 2, 217}, {2, 3, 219},
                                      {3, 3, 217}, {4, 3, 216}, {5, 3, 217}}));
  EXPECT_EQ(run.Events(), (Events{"2:Explosion", "4:Explosion"}));
}

TEST(Bombs, ExplosionCellsClearAfterTheirLastStage) {
  auto room = Room({"  &", "", "  #"});
  CaveRun run(room);
  run.Play(std::string(7, '.'));
  // The wall below and the bomb's own cell are gone; the hard frame is not.
  EXPECT_EQ(run.Grid(), Expect(room, {{3, 1, ' '}, {3, 3, ' '}}));
  for (int x = 0; x < 20; ++x) {
    for (int y = 0; y < 12; ++y) {
      uint16_t c = run.cave.GetCell(x, y);
      EXPECT_EQ(run.cave.Sprite(x, y) != nullptr, c != ' ' && c != '*') << x << "," << y;
    }
  }
}

TEST(Bombs, ExplosionDoesNotPassHardWallAndSparesDiagonals) {
  auto room = Room({"  &", " % %", " .#.", "  ."});
  CaveRun run(room);
  run.Play("..");
  EXPECT_EQ(run.Grid(), Expect(room, {{3, 1, 217}, {3, 2, 216}, {3, 3, 217}}));
}

// --- Balloons -------------------------------------------------------------------

TEST(Balloons, FreeBalloonRisesOneCellPerTick) {
  auto room = Room({"", "", "", "", "    0"});  // (5,5)
  CaveRun run(room);
  run.Play(".....");
  EXPECT_EQ(run.Grid(), Expect(room, {{5, 5, ' '}, {5, 1, '0'}}));
  EXPECT_EQ(run.Events(), (Events{"1:BalloonUp", "2:BalloonUp", "3:BalloonUp", "4:BalloonUp"}));
}

TEST(Balloons, LiftsOneLoadEverySecondTick) {
  auto room = Room({"", "", "", "    @", "    0", "    %"});
  CaveRun run(room);
  run.Play("........");
  EXPECT_EQ(run.Grid(), Expect(room, {{5, 4, ' '}, {5, 5, ' '}, {5, 1, '@'}, {5, 2, '0'}}));
  EXPECT_EQ(run.Events(), (Events{"1:BalloonUp", "3:BoulderDown", "3:BalloonUp",
                                  "5:BoulderDown", "5:BalloonUp", "7:BoulderDown"}));
}

TEST(Balloons, SinksUnderTwoStackedElements) {
  auto room = Room({"", "", "    @", "    @", "   %0%", "", "    %"});
  CaveRun run(room);
  run.Play("....");
  EXPECT_EQ(run.Grid(), Expect(room, {{5, 3, ' '}, {5, 5, '@'}, {5, 6, '0'}}));
  EXPECT_EQ(run.Events(), (Events{"1:BalloonUp", "3:BoulderDown", "3:BoulderDown"}));
}

TEST(Balloons, StaysUnderAWall) {
  auto room = Room({"", "", "    #", "    0"});
  CaveRun run(room);
  run.Play("...");
  EXPECT_EQ(run.Grid(), Expect(room));
  EXPECT_EQ(run.Events(), Events{});
}

TEST(Balloons, CarriesThePlayerUpOneRowPerLift) {
  auto room = Room({"", "", "", "    *", "    0", "    %"});
  CaveRun run(room);
  run.Play(".");
  EXPECT_EQ(run.cave.PlayerY, 3);
  run.Play(".....");  // a fresh run of five ticks: lifts at 1, 3 and 5
  EXPECT_EQ(run.cave.PlayerY, 1);
  EXPECT_EQ(run.Grid(), Expect(room, {{5, 4, ' '}, {5, 5, ' '}, {5, 1, '*'}, {5, 2, '0'}}));
  EXPECT_EQ(run.Events(), (Events{"1:BalloonUp", "3:BalloonUp", "5:BalloonUp"}));
}

TEST(Balloons, LiftingASecondStarLeavesThePlayerWhereHeIs) {
  // Two "*" cells: the first in column order is the player, the other is
  // inert; lifting it must not move PlayerY (it would leave the grid).
  auto room = Room({"*", "", "", "    *", "    0", "    %"});
  CaveRun run(room);
  run.Play(".....");
  EXPECT_EQ(run.cave.PlayerX, 1);
  EXPECT_EQ(run.cave.PlayerY, 1);
  EXPECT_EQ(run.cave.GetCell(5, 1), '*');
}

// --- Tunnels --------------------------------------------------------------------

TEST(Tunnels, TravelRightEatsSandAtTheFarEnd) {
  auto room = Room({"", "", "", " *>>."});  // player (2,4), pieces (3,4) (4,4), sand (5,4)
  CaveRun run(room);
  auto result = run.Play("R..");
  EXPECT_EQ(run.Grid(), Expect(room, {{2, 4, ' '}, {5, 4, '*'}}));
  EXPECT_EQ(run.Events(), (Events{"1:TunnelStart", "2:TunnelItem", "3:EatSand", "3:TunnelEnd"}));
  EXPECT_EQ(run.ticks[0].action, PlayerAction::TunnelRight);
  EXPECT_EQ(run.cave.PlayerImage, "*R");
  EXPECT_EQ(run.cave.PlayerX, 5);
  EXPECT_EQ(result.Fate, PlayerFate::Alive);
}

TEST(Tunnels, TravelLeftShowsTheTravellingImage) {
  auto room = Room({"", "", "", " $<<<*", " %"});
  CaveRun run(room);
  run.Play("L.");
  EXPECT_EQ(run.Grid(), Expect(room, {{6, 4, ' '}, {4, 4, 201}}));
  ASSERT_NE(run.cave.Sprite(4, 4), nullptr);
  EXPECT_EQ(run.cave.Sprite(4, 4)->Image->Name, "<2");
  EXPECT_EQ(run.cave.Sprite(5, 4)->Image->Name, "<");
  EXPECT_EQ(run.cave.PlayerImage, "  ");
  run.Play("L...");
  EXPECT_EQ(run.cave.DiamondsLeft, 0);  // the diamond past the far end is collected
  EXPECT_EQ(run.Events(), (Events{"1:TunnelStart", "2:TunnelItem", "3:TunnelItem",
                                  "4:DiamondPickup", "4:ExitOpen", "4:TunnelEnd"}));
}

TEST(Tunnels, BlockedFarEndRefusesEntryAndThePushFails) {
  for (char blocker : {'#', '@', '!', '&'}) {
    // The far diamond keeps the exit closed.
    auto room = Room({"", "", "", std::string(" *>>") + blocker + " ", "    %", "", "", "", "",
                      "         $"});
    CaveRun run(room);
    run.Play("R");
    EXPECT_EQ(run.ticks[0].action, PlayerAction::None) << blocker;
    EXPECT_EQ(run.Grid(), Expect(room)) << blocker;
  }
}

TEST(Tunnels, ExplosionKillsTheTravellerWithoutTheDeathCounter) {
  // A boulder drops on the bomb above the tunnel's second piece just when
  // the player travels through it.
  auto room = Room({"   @", "", "", "   &", " *>>"});
  CaveRun run(room);
  auto result = run.Play("R..");
  EXPECT_EQ(run.Grid(), Expect(room, {{4, 1, ' '}, {2, 5, ' '}, {4, 3, 216}, {3, 4, 217},
                                      {4, 4, 216}, {5, 4, 217}, {4, 5, 217}}));
  EXPECT_EQ(run.Events(), (Events{"1:TunnelStart", "2:TunnelItem", "3:Explosion"}));
  EXPECT_EQ(result.Fate, PlayerFate::InTunnel);
  EXPECT_EQ(run.cave.DeathCounter, 0);
  result = run.Play("R" + std::string(30, 'R'));
  EXPECT_EQ(result.Attempts, 1u);  // no death wait: the attempt never restarts
  EXPECT_EQ(result.Fate, PlayerFate::InTunnel);
}

}  // namespace
}  // namespace quarry::test
