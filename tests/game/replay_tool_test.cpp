// quarry-replay as a user runs it: map files of each kind, a pack, the
// answers and exit codes, --dump, --trace and --to-script.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "archive/mad_write.h"
#include "maps/map_source.h"
#include "maps/xmap_write.h"

namespace quarry {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
};

class ReplayTool : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("quarry-replay-" + std::string(info->name()) + "-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return (dir_ / name).string();
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Runs the tool in the test's own directory (which holds no quarry.mad).
  Outcome Run(const std::string& arguments) {
    std::string command = "cd '" + dir_.string() + "' && '" QUARRY_REPLAY "' " + arguments +
                          " >out.txt 2>err.txt";
    int status = std::system(command.c_str());
    Outcome outcome;
    outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = Read(dir_ / "out.txt");
    outcome.err = Read(dir_ / "err.txt");
    return outcome;
  }

  fs::path dir_;
};

// Player (2,1), a diamond to the right, the exit three cells further.
const char* const kSource =
    "name: Tiny\n"
    "author: Tests\n"
    "####################\n"
    "#*$  !.............#\n"
    "#..................#\n"
    "#..................#\n"
    "#..................#\n"
    "#..................#\n"
    "#..................#\n"
    "#..................#\n"
    "#..................#\n"
    "#..................#\n"
    "#..................#\n"
    "####################\n"
    "solution: RRR..R\n";

TEST_F(ReplayTool, TextMapWithItsOwnSolutionCompletes) {
  std::string map = Write("tiny.map", kSource);
  Outcome outcome = Run("tiny.map");
  EXPECT_EQ(outcome.code, 0);
  EXPECT_EQ(outcome.out, "completed at tick 6\n");
  // No quarry.mad here: the stand-in images are announced.
  EXPECT_NE(outcome.err.find("assuming 32 x 32 images"), std::string::npos);
}

TEST_F(ReplayTool, UnfinishedSolutionSaysWhatIsLeft) {
  Write("tiny.map", kSource);
  Write("short.txt", "R. # only the diamond\n");
  Outcome outcome = Run("tiny.map short.txt");
  EXPECT_EQ(outcome.code, 1);
  EXPECT_EQ(outcome.out, "not completed after 2 ticks: 0 diamonds left, player alive\n");
  Write("none.txt", "");
  EXPECT_EQ(Run("tiny.map none.txt").out,
            "not completed after 0 ticks: 1 diamonds left, player alive\n");
}

TEST_F(ReplayTool, DumpPrintsTheGridAfterTheCompletingTick) {
  Write("tiny.map", kSource);
  Write("walk.txt", "R");
  Outcome outcome = Run("--dump tiny.map walk.txt");
  std::istringstream lines(outcome.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "not completed after 1 ticks: 0 diamonds left, player alive");
  std::getline(lines, line);
  EXPECT_EQ(line, "####################");
  std::getline(lines, line);
  // The exit is opening (228); the vacated start cell emptied at tick's end.
  EXPECT_EQ(line, "# *  {228}.............#");
}

TEST_F(ReplayTool, TraceNamesEachTicksActionAndSounds) {
  Write("tiny.map", kSource);
  Outcome outcome = Run("--trace tiny.map");
  EXPECT_EQ(outcome.out,
            "attempt 1 starts\n"
            "tick 1: walk right; sounds: DiamondPickup, ExitOpen\n"
            "tick 2: walk right\n"
            "tick 3: walk right\n"
            "tick 4: none\n"
            "tick 5: none\n"
            "tick 6: walk right\n"
            "completed at tick 6\n");
}

TEST_F(ReplayTool, XMapFileAndPackGiveTheSameAnswer) {
  TMapSource source;
  std::vector<TSourceProblem> problems;
  ASSERT_TRUE(ParseMapSource(kSource, source, problems));
  TXMap map = MapSourceToXMap(source);
  std::vector<uint8_t> binary = WriteXMapBinary(map, false);
  Write("tiny.mpp", std::string(binary.begin(), binary.end()));
  Write("solution.txt", "RRR..R");
  EXPECT_EQ(Run("tiny.mpp solution.txt").out, "completed at tick 6\n");

  {
    TMADWrite pack((dir_ / "test.qs").string());
    std::vector<uint8_t> other = binary;
    pack.AddBytes(other, "001.mpp");
    pack.AddBytes(binary, "002.mpp");
    ASSERT_TRUE(pack.Done());
  }
  Outcome outcome = Run("test.qs 2 solution.txt");
  EXPECT_EQ(outcome.code, 0);
  EXPECT_EQ(outcome.out, "completed at tick 6\n");
  EXPECT_EQ(Run("test.qs 3 solution.txt").code, 2);
  EXPECT_EQ(Run("test.qs 0 solution.txt").code, 2);
}

TEST_F(ReplayTool, UnframedMapPlaysWithTheEdgeAsAWall) {
  std::string rows;
  for (int y = 0; y < 12; ++y) {
    // Sand everywhere: a text map ignores blank lines.
    std::string row(20, '.');
    if (y == 0) row = "*$!.................";
    if (y == 10) row[7] = '@';
    if (y == 11) row[7] = ' ';
    rows += row + "\n";
  }
  Write("open.map", "name: Open\n" + rows + "solution: R.....R\n");
  Outcome outcome = Run("--dump open.map");
  EXPECT_EQ(outcome.code, 0) << outcome.err;
  EXPECT_EQ(outcome.out.substr(0, outcome.out.find('\n')), "completed at tick 7");
  // The boulder fell onto the bottom row and stayed inside the grid.
  EXPECT_NE(outcome.out.find("\n.......@............\n"), std::string::npos);
  EXPECT_EQ(outcome.out.substr(outcome.out.size() - 21), ".......@............\n");
}

TEST_F(ReplayTool, ToScriptWritesThePumpEvents) {
  Write("solution.txt", "R.L");
  Outcome outcome = Run("--to-script --first-pump 10 solution.txt");
  EXPECT_EQ(outcome.code, 0);
  EXPECT_EQ(outcome.out, "15 down right\n16 up right\n29 down left\n30 up left\n");
}

TEST_F(ReplayTool, BadInputIsRefusedWithExitCodeTwo) {
  Write("tiny.map", kSource);
  Write("bad.txt", "RRX");
  Outcome outcome = Run("tiny.map bad.txt");
  EXPECT_EQ(outcome.code, 2);
  EXPECT_NE(outcome.err.find("line 1: unexpected character 'X'"), std::string::npos);
  EXPECT_EQ(Run("missing.map").code, 2);
  Write("junk.map", "MAPZ\r\nnothing");
  EXPECT_EQ(Run("junk.map bad.txt").code, 2);
  Write("short.map", "####\n#*!#\n");
  EXPECT_EQ(Run("short.map").code, 2);
  EXPECT_EQ(Run("--seed x tiny.map").code, 2);
  EXPECT_EQ(Run("--bogus tiny.map").code, 2);
}

}  // namespace
}  // namespace quarry
