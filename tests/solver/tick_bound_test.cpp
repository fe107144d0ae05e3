// The search's bound must never exceed the ticks a real solution still
// takes, or the search stops proving its answers shortest. Every shipped
// map's recorded solution is such a real solution, at every tick of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "game/solution.h"
#include "maps/map_source.h"
#include "solver/solver.h"
#include "solver/solver_input.h"

namespace quarry {
namespace {

TEST(TickBound, NeverAboveARecordedSolution) {
  std::string note;
  const TImageTable images = LoadSolverImages(QUARRY_RUN_DIR, note);
  int maps = 0;
  for (const auto& pack : std::filesystem::directory_iterator(QUARRY_SOURCE_DIR "/data/levels")) {
    for (const auto& entry : std::filesystem::directory_iterator(pack.path())) {
      if (entry.path().extension() != ".map") continue;
      SCOPED_TRACE(entry.path().string());
      TMaps loaded;
      std::string text, error;
      ASSERT_TRUE(LoadMapFile(entry.path().string(), loaded, text, error)) << error;
      const std::string moves = ParseSolution(text).Moves;
      for (bool allSeeds : {true, false}) {
        TSolveOptions options;
        options.AllSeeds = allSeeds;
        options.Seed = 7;
        const std::vector<uint32_t> bounds = BoundsAlong(loaded, 0, images, options, moves);
        ASSERT_EQ(bounds.size(), moves.size() + 1);
        // The tick the solution completes at: the first with nothing left.
        size_t done = 0;
        while (done < bounds.size() && bounds[done] != 0) ++done;
        ASSERT_LT(done, bounds.size()) << "the recorded solution does not complete";
        for (size_t tick = 0; tick <= done; ++tick) {
          ASSERT_LE(tick + bounds[tick], done) << "at tick " << tick << (allSeeds ? ", every seed" : ", seed 7");
        }
      }
      ++maps;
    }
  }
  EXPECT_GE(maps, 52);
}

// Caves solved as the tool does and plainly (breadth-first by tick over
// every state as it is): the same answer, or none either way. First three
// that once broke the bound (a falling bomb blows up the exit, which then
// opens sooner; a traveller leaves a tunnel into a piece of the other way;
// no diamonds, so the exit opens at once), then small random caves of every
// kind of thing.
TEST(TickBound, ChangesNoAnswer) {
  std::string note;
  const TImageTable images = LoadSolverImages(QUARRY_RUN_DIR, note);
  std::vector<std::vector<std::string>> rooms = {
      {"%*.&&..%", "%#.. @ <%", "%%$! >&>%", "% $#>.0.%"},
      {"%* #..%$%", "%$>< .. %", "%.$# <! %", "%&<#.<#%"},
      {"%*........!........%"},
  };
  std::mt19937 random(20261207);
  const std::string things = "....   ##$$$@@&0><%";
  for (int round = 0; round < 40; ++round) {
    // A 7 x 4 room; the player top left, the exit somewhere else.
    std::vector<std::string> room(4, std::string(9, '%'));
    for (auto& row : room) {
      for (int x = 1; x <= 7; ++x) row[x] = things[random() % things.size()];
    }
    room[0][1] = '*';
    room[random() % 4][2 + random() % 6] = '!';
    rooms.push_back(room);
  }
  int solved = 0;
  for (const auto& room : rooms) {
    // The room at the top left of a cave of hard wall.
    std::vector<std::string> rows(12, std::string(20, '%'));
    for (size_t y = 0; y < room.size(); ++y) rows[y + 1].replace(0, room[y].size(), room[y]);
    std::string text = "name: Room\nauthor: Tests\n";
    for (const auto& row : rows) text += row + "\n";
    SCOPED_TRACE(text);
    TMapSource source;
    std::vector<TSourceProblem> problems;
    ASSERT_TRUE(ParseMapSource(text, source, problems));
    TMaps maps;
    maps.Append(std::make_unique<TXMap>(MapSourceToXMap(source)));
    TSolveOptions options;
    options.MaxTicks = 30;
    const TSolveResult searched = Solve(maps, 0, images, options);
    options.Plain = true;
    const TSolveResult plain = Solve(maps, 0, images, options);
    ASSERT_EQ(searched.Status, plain.Status);
    EXPECT_EQ(searched.Moves.size(), plain.Moves.size());
    solved += searched.Status == SolveStatus::Solved;
  }
  EXPECT_GE(solved, 12) << "too few of the caves can be completed to tell";
}

}  // namespace
}  // namespace quarry
