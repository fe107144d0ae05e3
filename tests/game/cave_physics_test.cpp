// Every rule of the cave tick as a tiny map, a solution, the final grid and the sounds each tick asked for.
#include "cave_fixture.h"

namespace quarry::test {
namespace {

// Interior rows 9 and 10, the lowest above the frame.
std::vector<std::string> OnFloor(const std::string& above, const std::string& below) {
  return {"", "", "", "", "", "", "", "", above, below};
}

TEST(CaveTick, FallingRollingBombsAndBalloons) {
  CheckRules({
      {"resting boulder on the player does not hurt", {"  @", "  *"}, ".....", {}, Events{}},
      // The vacated cell (code 31) is not empty during the tick that made it.
      {"boulder waits a tick when the player walks away", {"", "    @", "    *", "    %"}, "L",
       {{5, 3, ' '}, {4, 3, '*'}}},
      {"then it falls", {"", "    @", "    *", "    %"}, "L..",
       {{5, 2, ' '}, {5, 3, '@'}, {4, 3, '*'}}, Events{"3:BoulderDown"}},
      {"diamond lands on the just vacated cell then falls on", {"    $", "", "    *", "    %"}, ".L..",
       {{5, 1, ' '}, {5, 3, '$'}, {4, 3, '*'}}, Events{"2:DiamondDown", "4:DiamondDown"}},
      // Unframed maps: the grid's edge reads as a wall.
      {"boulder lands on the bottom edge", Open({{10, "   @"}}), "...", {{3, 10, ' '}, {3, 11, '@'}},
       Events{"2:BoulderDown"}},
      {"bomb explodes on the bottom edge", Open({{10, std::string(19, ' ') + "&"}}), "..",
       {{19, 10, 217}, {19, 11, 216}, {18, 11, 217}}, Events{"2:Explosion"}},
      {"balloon on the bottom row under two boulders stays", Open({{9, "     @"}, {10, "    %@%"}, {11, "    %0%"}}),
       "..", {}},
      {"both sides free rolls left", OnFloor("    @", "    @"), "...", {{5, 9, ' '}, {4, 10, '@'}},
       Events{"3:BoulderDown"}},
      {"only the right side free rolls right", OnFloor("    @", "   %@"), "...", {{5, 9, ' '}, {6, 10, '@'}}},
      {"neither side free stays", OnFloor("    @", "   %@%"), "...", {}},
      // Each top element moved left in the first tick (state 4, still in the air).
      {"rolls off walls, diamonds and bombs", OnFloor(" @   @    $", " #   $    &"), ".",
       {{2, 9, ' '}, {1, 9, '@'}, {6, 9, ' '}, {5, 9, '@'}, {11, 9, ' '}, {10, 9, '$'}}},
      {"nothing rolls off player, sand, balloon or hard wall", {"        %", "  @  @  @  @", "  *  .  0  %"},
       "....", {}, Events{}},
      {"landing on sand rests, on a wall explodes", {"  &    &", "", "  .    #"}, "..",
       {{3, 1, ' '}, {3, 2, '&'}, {8, 1, 217}, {7, 2, 217}, {8, 2, 216}, {9, 2, 217}, {8, 3, 217}},
       Events{"2:Explosion"}},
      // A boulder drops on the left bomb; the right one goes off at its own cell two ticks later.
      {"chain explosion follows two ticks later", {"  @", "", "  &&", "  %%"}, "....",
       {{3, 1, ' '}, {3, 2, 218}, {4, 2, 217}, {2, 3, 219}, {3, 3, 217}, {4, 3, 216}, {5, 3, 217}},
       Events{"2:Explosion", "4:Explosion"}},
      // The wall below and the bomb's own cell are gone; the hard frame is not.
      {"explosion cells clear after their last stage", {"  &", "", "  #"}, ".......", {{3, 1, ' '}, {3, 3, ' '}}},
      {"explosion stops at hard walls and spares diagonals", {"  &", " % %", " .#.", "  ."}, "..",
       {{3, 1, 217}, {3, 2, 216}, {3, 3, 217}}},
      {"free balloon rises a cell per tick", {"", "", "", "", "    0"}, ".....", {{5, 5, ' '}, {5, 1, '0'}},
       Events{"1:BalloonUp", "2:BalloonUp", "3:BalloonUp", "4:BalloonUp"}},
      {"lifts one load every second tick", {"", "", "", "    @", "    0", "    %"}, "........",
       {{5, 4, ' '}, {5, 5, ' '}, {5, 1, '@'}, {5, 2, '0'}},
       Events{"1:BalloonUp", "3:BoulderDown", "3:BalloonUp", "5:BoulderDown", "5:BalloonUp", "7:BoulderDown"}},
      {"sinks under two stacked elements", {"", "", "    @", "    @", "   %0%", "", "    %"}, "....",
       {{5, 3, ' '}, {5, 5, '@'}, {5, 6, '0'}}, Events{"1:BalloonUp", "3:BoulderDown", "3:BoulderDown"}},
      {"stays under a wall", {"", "", "    #", "    0"}, "...", {}, Events{}},
      {"carries the player", {"", "", "", "    *", "    0", "    %"}, ".....",
       {{5, 4, ' '}, {5, 5, ' '}, {5, 1, '*'}, {5, 2, '0'}},
       Events{"1:BalloonUp", "3:BalloonUp", "5:BalloonUp"}, std::nullopt, std::pair(5, 1)},
      // The second "*" in column order is inert: lifting it must not move the player.
      {"carries a second star, not the player", {"*", "", "", "    *", "    0", "    %"}, ".....",
       {{5, 4, ' '}, {5, 5, ' '}, {5, 1, '*'}, {5, 2, '0'}}, std::nullopt, std::nullopt, std::pair(1, 1)},
  });
}

TEST(Falling, FallingBoulderKillsThenTheAttemptRestartsAfterSixteenTicks) {
  auto room = Room({"  @", "", "  *"});
  CaveRun run(room);
  auto result = run.Play("..");
  // Centre (3,3) is in state 1 and the boulder's cell still in state 4, so
  // neither steps in this tick; the three free neighbours step once.
  EXPECT_EQ(run.Grid(), Expect(room, {{3, 1, ' '}, {3, 2, 216}, {2, 3, 217}, {3, 3, 216},
                                      {4, 3, 217}, {3, 4, 217}}));
  EXPECT_EQ(run.events, (Events{"2:Explosion"}));
  EXPECT_TRUE(result.Fate == PlayerFate::Dead && run.cave.DeathCounter == 1);

  result = run.Play(std::string(18, '.'));
  ASSERT_EQ(run.ticks.size(), 18u);
  // Tick 18 raised the counter to 17 and restarted.
  EXPECT_TRUE(!run.ticks[16].restarted && run.ticks[17].restarted && run.cave.DeathCounter == 17);
  EXPECT_EQ(result.Attempts, 1u);

  result = run.Play(std::string(19, '.'));
  // Tick numbers go on across the restart.
  EXPECT_TRUE(result.Attempts == 2u && result.Ticks == 19u && run.cave.DeathCounter == 0);
  // Tick 19 is the new attempt's first: the boulder has fallen one row.
  EXPECT_EQ(run.Grid(), Expect(room, {{3, 1, ' '}, {3, 2, '@'}}));
}

TEST(Tunnels, TravelBothWaysAndEatOrCollectAtTheFarEnd) {
  auto right = Room({"", "", "", " *>>."});  // player (2,4), pieces (3,4) (4,4), sand (5,4)
  CaveRun run(right);
  auto result = run.Play("R..");
  EXPECT_EQ(run.Grid(), Expect(right, {{2, 4, ' '}, {5, 4, '*'}}));
  EXPECT_EQ(run.events, (Events{"1:TunnelStart", "2:TunnelItem", "3:EatSand", "3:TunnelEnd"}));
  EXPECT_TRUE(run.ticks[0].action == PlayerAction::TunnelRight && run.cave.PlayerImage == "*R" &&
              run.cave.PlayerX == 5 && result.Fate == PlayerFate::Alive);

  auto left = Room({"", "", "", " $<<<*", " %"});
  CaveRun back(left);
  back.Play("L.");
  EXPECT_EQ(back.Grid(), Expect(left, {{6, 4, ' '}, {4, 4, 201}}));
  ASSERT_TRUE(back.cave.Sprite(4, 4) && back.cave.Sprite(5, 4));
  // (4,4) shows the travelling image.
  EXPECT_TRUE(back.cave.Sprite(4, 4)->Image->Name == "<2" && back.cave.Sprite(5, 4)->Image->Name == "<" &&
              back.cave.PlayerImage == "  ");
  back.Play("L...");
  EXPECT_EQ(back.cave.DiamondsLeft, 0);  // the diamond past the far end is collected
  EXPECT_EQ(back.events, (Events{"1:TunnelStart", "2:TunnelItem", "3:TunnelItem", "4:DiamondPickup",
                                   "4:ExitOpen", "4:TunnelEnd"}));
}

// A blocked far end (the far diamond keeps the exit shut) or the grid's edge refuses entry.
TEST(Tunnels, BlockedFarEndRefusesEntry) {
  std::vector<Rule> rules = {
      {"to the right edge", Open({{0, ""}, {4, "               *>>>>"}}), "R", {}, std::nullopt, PlayerAction::None},
      {"to the left edge", Open({{0, ""}, {5, "<<<*"}}), "L", {}, std::nullopt, PlayerAction::None}};
  for (char blocker : {'#', '@', '!', '&'}) {
    rules.push_back({"blocked", {"", "", "", std::string(" *>>") + blocker, "    %", "", "", "", "", "         $"},
                     "R", {}, {}, PlayerAction::None});
  }
  CheckRules(rules);
}

TEST(Tunnels, ExplosionKillsTheTravellerWithoutTheDeathCounter) {
  // A boulder drops on the bomb above the tunnel's second piece as the player passes.
  auto room = Room({"   @", "", "", "   &", " *>>"});
  CaveRun run(room);
  auto result = run.Play("R..");
  EXPECT_EQ(run.Grid(), Expect(room, {{4, 1, ' '}, {2, 5, ' '}, {4, 3, 216}, {3, 4, 217},
                                      {4, 4, 216}, {5, 4, 217}, {4, 5, 217}}));
  EXPECT_EQ(run.events, (Events{"1:TunnelStart", "2:TunnelItem", "3:Explosion"}));
  EXPECT_TRUE(result.Fate == PlayerFate::InTunnel && run.cave.DeathCounter == 0);
  result = run.Play(std::string(31, 'R'));
  EXPECT_TRUE(result.Attempts == 1u && result.Fate == PlayerFate::InTunnel);  // no death wait, no restart
}

}  // namespace
}  // namespace quarry::test
