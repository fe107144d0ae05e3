// The frame loop with a scripted view standing in for the screen and the
// event pump: restarts, leaving, completion and the map-completed scene.
#include <map>
#include <sstream>

#include "cave_fixture.h"
#include "game/play_loop.h"
#include "game/solution.h"

namespace quarry::test {
namespace {

// Applies "<pump> down|up KEY" lines at the end of each frame, the way the
// event pump would, and counts frames and attempts.
class ScriptedView : public TPlayView {
public:
  explicit ScriptedView(const std::string& script) {
    std::istringstream in(script);
    uint32_t pump;
    std::string verb, key;
    while (in >> pump >> verb >> key) events_.insert({pump, {key, verb == "down"}});
    ClearKeys();
  }
  ~ScriptedView() override { ClearKeys(); }
  void AttemptStarted(TPlaySession&) override { ++attempts; }
  void TickDue(TPlaySession& session) override { diamondsShown = session.Cave().DiamondsLeft; }
  void FinishFrame(TPlaySession&) override { Pump(); }
  void CompletedFrame(TPlaySession&) override { Pump(); }

  uint32_t frames = 0;
  int attempts = 0;
  int diamondsShown = -1;

private:
  void Pump() {
    static const std::map<std::string, Key> keys = {
        {"up", kKeyUp},         {"down", kKeyDown}, {"left", kKeyLeft},   {"right", kKeyRight},
        {"escape", kKeyEscape}, {"f10", kKeyF10},   {"space", kKeySpace}};
    auto range = events_.equal_range(++frames);
    for (auto it = range.first; it != range.second; ++it) KeyState[keys.at(it->second.first)] = it->second.second;
  }
  std::multimap<uint32_t, std::pair<std::string, bool>> events_;
};

TEST(PlayLoop, EscapeHeldRestartsAfterEveryFrameAndF10LeavesEvenDuringTheDeathWait) {
  CaveRun run(Room({" *"}));
  ScriptedView view("3 down escape\n8 up escape\n10 down f10\n");
  EXPECT_FALSE(RunPlayLoop(run.session, view));
  // Frames 3 to 7 end with Escape held: five restarts after the first attempt.
  EXPECT_TRUE(view.attempts == 6 && view.frames == 10u);

  const auto deadly = Room({"  @", "", "  *"});
  CaveRun dying(deadly);
  // The player dies at tick 2 (frame 14); F10 goes down between ticks 5 and 6.
  ScriptedView early("40 down f10\n");
  EXPECT_FALSE(RunPlayLoop(dying.session, early));
  EXPECT_TRUE(early.frames == 40u && early.attempts == 1 && dying.cave.DeathCounter > 0);

  // Tick 18 (frame 126) raises the counter to 17; frame 127 is the new attempt's first.
  CaveRun dead(deadly);
  ScriptedView late("127 down f10\n");
  EXPECT_FALSE(RunPlayLoop(dead.session, late));
  EXPECT_TRUE(late.attempts == 2 && dead.session.TickNumber == 18u);
}

TEST(PlayLoop, ScriptFromASolutionCompletesOnTheReplaysTick) {
  auto room = Room({"", " *$  !", "  %"});
  const std::string moves = "RRRR.R";
  for (uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
    CaveRun replay(room, seed);
    auto result = replay.Play(moves);
    ASSERT_TRUE(result.Completed);
    CaveRun game(room, seed);
    ScriptedView view(SolutionToScript(moves, 1));
    EXPECT_TRUE(RunPlayLoop(game.session, view));
    EXPECT_TRUE(game.session.TickNumber == result.Ticks && view.frames == 7 * result.Ticks) << seed;
    EXPECT_TRUE(DumpGrid(game.cave) == replay.Grid() && view.diamondsShown == 0) << seed;
  }
}

TEST(MapCompleted, DissolvesEveryCellWithASpriteThenHoldsUnlessSpaceEndsIt) {
  CaveRun run(Room({" *$", "  ....", "  @@"}));
  run.Play("");
  ScriptedView view("");
  EXPECT_TRUE(RunMapCompleted(run.session, view) == kCompletedFrames && view.frames == 340u);
  EXPECT_EQ(DumpGrid(run.cave), Expect(Open({{0, ""}, {1, "  *"}})));
  for (int i = 0; i < 240; ++i) EXPECT_EQ(run.cave.Sprite(i % 20, i / 20), nullptr) << i;
  run.Play("");
  ScriptedView space("10 down space\n");
  KeyState[kKeySpace] = 1;  // held before the scene: cleared at its start
  EXPECT_EQ(RunMapCompleted(run.session, space), 10);
}

}  // namespace
}  // namespace quarry::test
