// quarry-replay as a user runs it: map files of each kind, a pack, the
// answers and exit codes, --dump, --trace and --to-script.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "archive/mad_write.h"
#include "maps/map_source.h"
#include "maps/xmap_write.h"
#include "test_support.h"

namespace quarry {
namespace {

struct Outcome {
  int code = -1;
  std::string out, err;
};

class ReplayTool : public ::testing::Test {
protected:
  void Write(const std::string& name, const std::string& text) { WriteFileBytes(dir / name, text); }
  // Runs the tool in the test's own directory (which holds no quarry.mad).
  Outcome Run(const std::string& arguments) {
    int status = std::system(("cd '" + dir.Path().string() + "' && '" QUARRY_REPLAY "' " + arguments +
                              " >out.txt 2>err.txt").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(dir / "out.txt"),
            ReadFileBytes(dir / "err.txt")};
  }
  // Runs the tool and checks its exit code and answer.
  Outcome Expect(const std::string& arguments, int code, const std::string& out) {
    Outcome outcome = Run(arguments);
    EXPECT_EQ(outcome.code, code) << arguments << ": " << outcome.err;
    EXPECT_EQ(outcome.out, out) << arguments;
    return outcome;
  }
  TempDir dir;
};

// Player (2,1), a diamond to the right, the exit three cells further.
std::string Source() {
  std::string rows = std::string(20, '#') + "\n#*$  !.............#\n";
  for (int y = 2; y < 11; ++y) rows += "#" + std::string(18, '.') + "#\n";
  return "name: Tiny\nauthor: Tests\n" + rows + std::string(20, '#') + "\nsolution: RRR..R\n";
}

TEST_F(ReplayTool, TextMapAnswersDumpTraceAndScript) {
  Write("tiny.map", Source());
  EXPECT_NE(Expect("tiny.map", 0, "completed at tick 6\n").err.find("assuming 32 x 32 images"), std::string::npos)
      << "no quarry.mad: stand-ins announced";
  Write("short.txt", "R. # only the diamond\n");
  Expect("tiny.map short.txt", 1, "not completed after 2 ticks: 0 diamonds left, player alive\n");
  Write("none.txt", "");
  Expect("tiny.map none.txt", 1, "not completed after 0 ticks: 1 diamonds left, player alive\n");
  // The exit is opening (228); the vacated start cell emptied at tick's end.
  Write("walk.txt", "R");
  const std::string top = "not completed after 1 ticks: 0 diamonds left, player alive\n" +
                          std::string(20, '#') + "\n# *  {228}.............#\n";
  EXPECT_EQ(Run("--dump tiny.map walk.txt").out.substr(0, top.size()), top);
  EXPECT_EQ(Run("--trace tiny.map").out,
            "attempt 1 starts\ntick 1: walk right; sounds: DiamondPickup, ExitOpen\ntick 2: walk right\n"
            "tick 3: walk right\ntick 4: none\ntick 5: none\ntick 6: walk right\ncompleted at tick 6\n");
  // Tick k runs in frame 7k: the key goes down the pump before and up on it.
  Write("solution.txt", "R.L");
  Expect("--to-script --first-pump 10 solution.txt", 0, "15 down right\n16 up right\n29 down left\n30 up left\n");
}

TEST_F(ReplayTool, XMapFileAndPackGiveTheSameAnswer) {
  TMapSource source;
  std::vector<TSourceProblem> problems;
  ASSERT_TRUE(ParseMapSource(Source(), source, problems));
  std::vector<uint8_t> binary = WriteXMapBinary(MapSourceToXMap(source), false), other = binary;
  Write("tiny.mpp", std::string(binary.begin(), binary.end()));
  Write("solution.txt", "RRR..R");
  Expect("tiny.mpp solution.txt", 0, "completed at tick 6\n");
  {
    TMADWrite pack(dir / "test.qs");
    pack.AddBytes(other, "001.mpp");
    pack.AddBytes(binary, "002.mpp");
    ASSERT_TRUE(pack.Done());
  }
  Expect("test.qs 2 solution.txt", 0, "completed at tick 6\n");
  for (const char* args : {"test.qs 3 solution.txt", "test.qs 0 solution.txt"}) EXPECT_EQ(Run(args).code, 2) << args;
}

// Sand everywhere (a text map ignores blank lines); the boulder falls onto the bottom row and stays inside the grid.
TEST_F(ReplayTool, UnframedMapPlaysWithTheEdgeAsAWall) {
  std::string rows = "*$!" + std::string(17, '.') + "\n";
  for (int y = 1; y < 12; ++y) {
    rows += std::string(7, '.') + (y < 10 ? "." : y == 10 ? "@" : " ") + std::string(12, '.') + "\n";
  }
  Write("open.map", "name: Open\n" + rows + "solution: R.....R\n");
  Outcome outcome = Run("--dump open.map");
  EXPECT_EQ(outcome.code, 0) << outcome.err;
  EXPECT_EQ(outcome.out.substr(0, outcome.out.find('\n')), "completed at tick 7");
  EXPECT_EQ(outcome.out.substr(outcome.out.size() - 22), "\n.......@............\n") << "the bottom row";
}

TEST_F(ReplayTool, BadInputIsRefusedWithExitCodeTwo) {
  Write("tiny.map", Source());
  Write("bad.txt", "RRX");
  EXPECT_NE(Run("tiny.map bad.txt").err.find("line 1: unexpected character 'X'"), std::string::npos);
  Write("junk.map", "MAPZ\r\nnothing");
  Write("short.map", "####\n#*!#\n");
  for (const char* args :
       {"tiny.map bad.txt", "missing.map", "junk.map bad.txt", "short.map", "--seed x tiny.map", "--bogus tiny.map"}) {
    EXPECT_EQ(Run(args).code, 2) << args;
  }
}

// A huge map or solution file is refused by its size, unread: sparse files
// of 3 GB would otherwise be read whole into memory.
TEST_F(ReplayTool, HugeInputFilesAreRefusedUnread) {
  Write("tiny.map", Source());
  Write("huge.txt", "");
  Write("huge.map", "");
  std::filesystem::resize_file(dir / "huge.txt", 3ull << 30);
  std::filesystem::resize_file(dir / "huge.map", 3ull << 30);
  for (const auto& [args, message] :
       {std::pair{"tiny.map huge.txt", "huge.txt: 3221225472 bytes, more than 1048576"},
        {"huge.map", "huge.map: 3221225472 bytes, more than 1048576"},
        {"--to-script huge.txt", "huge.txt: 3221225472 bytes, more than 1048576"}}) {
    Outcome outcome = Run(args);
    EXPECT_EQ(outcome.code, 2) << args;
    EXPECT_NE(outcome.err.find(message), std::string::npos) << args << ": " << outcome.err;
  }
}

// Each says what is wrong rather than playing on or misreading the input.
TEST_F(ReplayTool, UnreadableMapsPackNumbersAndPumpsAreRefused) {
  std::string source = Source();
  Write("long.map", source.insert(source.find("solution:"), std::string(20, '#') + "\n"));
  Outcome outcome = Run("long.map");
  EXPECT_EQ(std::make_tuple(outcome.code, outcome.out), std::make_tuple(2, std::string()));
  EXPECT_NE(outcome.err.find("long.map:15: more than 12 map rows"), std::string::npos) << outcome.err;

  {
    TMADWrite pack(dir / "test.qs");
    TMapSource map;
    std::vector<TSourceProblem> problems;
    ASSERT_TRUE(ParseMapSource(Source(), map, problems));
    pack.AddBytes(WriteXMapBinary(MapSourceToXMap(map), false), "001.mpp");
  }
  Write("solution.txt", "RRR..R");
  for (const auto& [args, message] : {std::pair{"test.qs 1", "test.qs: a pack needs a SOLUTION file"},
                                      {"test.qs 2 solution.txt", "test.qs: there is no map 2 (the pack holds 1)"},
                                      {"test.qs 2", "test.qs: there is no map 2 (the pack holds 1)"}}) {
    outcome = Run(args);
    EXPECT_EQ(outcome.code, 2) << args;
    EXPECT_NE(outcome.err.find(message), std::string::npos) << args << ": " << outcome.err;
  }

  // A script names pumps of at most 9 digits: "R" presses at first + 5 and releases at first + 6.
  Write("r.txt", "R");
  Expect("--to-script --first-pump 999999993 r.txt", 0, "999999998 down right\n999999999 up right\n");
  for (const char* pump : {"999999994", "2147483647", "4294967295"})
    EXPECT_NE(Expect(std::string("--to-script --first-pump ") + pump + " r.txt", 2, "").err.find("999999999"),
              std::string::npos) << pump;
}

}  // namespace
}  // namespace quarry
