// quarry-solve as a user runs it. Every answer is replayed by quarry-replay:
// a solver that drifts from the game's rules or frame counting fails there.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "test_support.h"

namespace quarry {
namespace {

struct Outcome {
  int code = -1;
  std::string out, err;
};

// The moves of a solution text: U, D, L, R and "." outside comments.
std::string Moves(const std::string& text) {
  std::string moves;
  bool comment = false;
  for (char c : text) {
    if (c == '\n') comment = false;
    if (c == '#') comment = true;
    if (!comment && std::string("UDLR.").find(c) != std::string::npos) moves += c;
  }
  return moves;
}

class SolveTool : public ::testing::Test {
protected:
  Outcome Run(const char* tool, const std::string& arguments) {
    int status = std::system(("cd '" + dir.Path().string() + "' && '" + tool + "' " + arguments +
                              " >out.txt 2>err.txt").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(dir / "out.txt"),
            ReadFileBytes(dir / "err.txt")};
  }
  Outcome Solve(const std::string& arguments) { return Run(QUARRY_SOLVE, "--quiet " + arguments); }
  // Replays the answer under the seed; the tick it completes at, or 0.
  int ReplayTick(const std::string& map, const std::string& answer, int seed,
                 const std::string& data = ".") {
    WriteFileBytes(dir / "answer.txt", answer);
    Outcome o = Run(QUARRY_REPLAY, "--seed " + std::to_string(seed) + " --data '" + data + "' " + map +
                                       " answer.txt");
    const std::string prefix = "completed at tick ";
    return o.code == 0 && o.out.rfind(prefix, 0) == 0 ? std::stoi(o.out.substr(prefix.size())) : 0;
  }
  // A 20 x 12 text map: the given rows from the top, hard wall below.
  std::string Map(const std::string& name, std::vector<std::string> rows) {
    rows.insert(rows.begin(), std::string(20, '%'));
    while (rows.size() < 12) rows.push_back(std::string(20, '%'));
    std::string text = "name: " + name + "\nauthor: Tests\n";
    for (const auto& row : rows) text += row + "\n";
    WriteFileBytes(dir / (name + ".map"), text);
    return name + ".map";
  }
  TempDir dir;
};

struct TinyMap {
  const char* name;
  std::vector<std::string> rows;
  const char* shortest;  // worked out by hand from the rules
};

// Each map forces one rule on the shortest path; the exits are far enough
// from the last diamond that their opening never waits for the player.
TEST_F(SolveTool, TinyMapsGetTheirShortestSolution) {
  const TinyMap maps[] = {
      {"walk", {"%*$.........!......%"}, "RRRRRRRRRRR"},
      // The pushed boulder rests a tick, falls into the pit, then the way is free.
      {"push", {"%*@ $.........!%%%%%", "%%% %%%%%%%%%%%%%%%%", "%%% %%%%%%%%%%%%%%%%"}, "R.RRRRRRRRRRRR"},
      // The bomb falls a cell, explodes on landing and its blast opens the wall
      // at (4,2); the blast clears after its five stages.
      {"bomb", {"%*& %%%%%%%%%%%%%%%%", "%%% #$       !%%%%%%"}, "R.....RDRRRRRRRRRR"},
      // The pushed balloon rises out of the corridor into the pocket above it.
      {"balloon", {"%%% %%%%%%%%%%%%%%%%", "%*0 $.......!%%%%%%%"}, "R.RRRRRRRRRR"},
      // Through the one-way piece in two ticks, as fast as walking.
      {"tunnel", {"%*.>.$.........!%%%%"}, "RR.RRRRRRRRRRR"},
      // No diamonds: the exit opens from the start, before the player is there.
      {"no-diamonds", {"%*........!........%"}, "RRRRRRRRR"},
  };
  for (const TinyMap& m : maps) {
    SCOPED_TRACE(m.name);
    std::string file = Map(m.name, m.rows);
    Outcome o = Solve(file);
    ASSERT_EQ(o.code, 0) << o.err;
    std::string answer = Moves(o.out);
    EXPECT_EQ(answer.size(), std::string(m.shortest).size()) << answer;
    EXPECT_NE(o.out.find("# completed at tick " + std::to_string(answer.size()) + "\n"), std::string::npos);
    for (int seed : {1, 2, 3}) EXPECT_EQ(ReplayTick(file, o.out, seed), static_cast<int>(answer.size()));
  }
}

// The exit beside the diamond: its start frame decides whether the player
// waits three ticks or four, so one seed's answer need not suit another.
TEST_F(SolveTool, AllSeedsAnswerCompletesUnderEveryStartFrame) {
  std::string file = Map("timing", {"%*$!%%%%%%%%%%%%%%%%"});
  std::set<size_t> lengths;
  for (int seed = 0; seed < 8; ++seed) {
    Outcome o = Solve("--seed " + std::to_string(seed) + " " + file);
    ASSERT_EQ(o.code, 0) << o.err;
    lengths.insert(Moves(o.out).size());
    EXPECT_EQ(ReplayTick(file, o.out, seed), static_cast<int>(Moves(o.out).size())) << "seed " << seed;
  }
  EXPECT_EQ(lengths, (std::set<size_t>{5, 6})) << "the start frame moves the opening by a tick";
  Outcome all = Solve("--all-seeds " + file);
  ASSERT_EQ(all.code, 0) << all.err;
  EXPECT_EQ(Moves(all.out), "R....R");
  for (int seed = 0; seed < 8; ++seed) EXPECT_GT(ReplayTick(file, all.out, seed), 0) << "seed " << seed;
}

TEST_F(SolveTool, ExitCodes) {
  // The diamond sits in hard wall: every reachable state is explored.
  Outcome sealed = Solve(Map("sealed", {"%*....%$%.....!%%%%%"}));
  EXPECT_EQ(sealed.code, 1) << sealed.err;
  EXPECT_EQ(sealed.out.rfind("no solution within 1000 ticks", 0), 0u) << sealed.out;
  // An open field of sand: far too many ways of digging to finish at once.
  std::vector<std::string> field(10, "%" + std::string(18, '.') + "%");
  field[0][1] = '*';
  field[9][17] = '!';
  field[5][9] = '$';
  field[2][4] = '@';
  std::string open = Map("field", field);
  Outcome time = Solve("--time-limit 0 " + open);
  EXPECT_EQ(time.code, 3);
  EXPECT_NE(time.err.find("stopped by the time limit at tick "), std::string::npos) << time.err;
  Outcome memory = Solve("--memory-limit 1 " + open);
  EXPECT_EQ(memory.code, 3);
  EXPECT_NE(memory.err.find("stopped by the memory limit"), std::string::npos) << memory.err;
  WriteFileBytes(dir / "huge.map", "");
  std::filesystem::resize_file(dir / "huge.map", 3ull << 30);  // sparse: refused by its size, unread
  for (const char* bad : {"", "--frobnicate field.map", "missing.map", "--seed 1 --all-seeds field.map",
                          "--time-limit soon field.map", "nopack.qs 1", "huge.map"}) {
    EXPECT_EQ(Solve(bad).code, 2) << bad;
  }
}

// Every shipped map is solved within the test's memory: the answer is no
// longer than the recorded solution (a shorter recorded one would prove the
// search wrong) and completes under every seed tried.
struct ShippedMap {
  std::string pack;  // folder under data/levels, and the pack's name
  int number;        // from 1, in file name order
  std::filesystem::path source;
};

std::vector<ShippedMap> ShippedMaps() {
  std::vector<ShippedMap> maps;
  for (const char* pack : {"first", "quarry", "expert"}) {
    std::vector<std::filesystem::path> sources;
    for (const auto& entry : std::filesystem::directory_iterator(QUARRY_SOURCE_DIR "/data/levels/" + std::string(pack))) {
      if (entry.path().extension() == ".map") sources.push_back(entry.path());
    }
    std::sort(sources.begin(), sources.end());
    for (size_t i = 0; i < sources.size(); ++i) maps.push_back({pack, static_cast<int>(i + 1), sources[i]});
  }
  return maps;
}

class ShippedPacks : public SolveTool, public ::testing::WithParamInterface<ShippedMap> {};

TEST_P(ShippedPacks, ShortestAnswerReplays) {
  const ShippedMap& map = GetParam();
  std::string recorded;
  std::istringstream source(ReadFileBytes(map.source));
  for (std::string line; std::getline(source, line);) {
    if (line.rfind("solution:", 0) == 0) recorded += Moves(line.substr(9));
  }
  const std::string run = QUARRY_RUN_DIR;
  const std::string pack = "'" + run + "/" + map.pack + ".qs' " + std::to_string(map.number);
  Outcome o = Solve("--memory-limit 512 --data '" + run + "' " + pack);
  ASSERT_EQ(o.code, 0) << map.source.filename().string() << ": " << o.err;
  std::string answer = Moves(o.out);
  EXPECT_LE(answer.size(), recorded.size());
  for (int seed : {1, 2, 3, 4, 5}) EXPECT_GT(ReplayTick(pack, o.out, seed, run), 0) << "seed " << seed;
}

INSTANTIATE_TEST_SUITE_P(Maps, ShippedPacks, ::testing::ValuesIn(ShippedMaps()),
                         [](const ::testing::TestParamInfo<ShippedMap>& info) {
                           return info.param.pack + std::to_string(info.param.number);
                         });

}  // namespace
}  // namespace quarry
