// The drawn game and quarry-replay agree: the game, driven through the real event pump by the script quarry-replay
// writes, completes the map on the tick quarry-replay names, and two runs with one seed draw the same frames.
#include <sys/wait.h>

#include <cstdlib>
#include <functional>

#include "test_support.h"

namespace quarry {
namespace {

namespace fs = std::filesystem;

const fs::path kLevels = fs::path(QUARRY_SOURCE_DIR) / "data" / "levels" / "first";

class PlayAgreement : public ::testing::Test {
protected:
  std::string Run(const std::string& command, int* code = nullptr) {
    int status = std::system(("cd '" + dir.Path().string() + "' && " + command + " >out.txt 2>err.txt").c_str());
    if (code) *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return ReadFileBytes(dir / "out.txt");
  }
  // The game's answer for solution.txt, with any extra script lines.
  std::string Game(const std::string& where, uint32_t seed, const std::string& extra = "") {
    WriteFileBytes(dir / "script.txt", Run("'" QUARRY_REPLAY "' --to-script solution.txt") + extra);
    return Run("'" PLAY_HARNESS "' " + where + " --seed " + std::to_string(seed) + " --script script.txt");
  }
  std::string Verifier(const std::string& where, uint32_t seed) {
    std::string answer = Run("'" QUARRY_REPLAY "' --seed " + std::to_string(seed) + " " + where + " solution.txt");
    EXPECT_EQ(answer.rfind("completed at tick ", 0), 0u) << where << answer;
    return answer;
  }
  // The shipped maps in the pack's (file-name) order; writes each one's
  // "solution:" lines to solution.txt before calling check.
  void ForEachShippedMap(const std::function<void(const fs::path&, size_t)>& check) {
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(kLevels)) {
      if (entry.path().extension() == ".map") sources.push_back(entry.path());
    }
    std::sort(sources.begin(), sources.end());
    EXPECT_FALSE(sources.empty());
    for (size_t i = 0; i < sources.size(); ++i) {
      std::string solution;
      std::istringstream lines(ReadFileBytes(sources[i]));
      for (std::string line; std::getline(lines, line);) {
        if (line.rfind("solution:", 0) == 0) solution += line.substr(9) + "\n";
      }
      WriteFileBytes(dir / "solution.txt", solution);
      check(sources[i], i + 1);
    }
  }
  TempDir dir;
};

TEST_F(PlayAgreement, GameCompletesOnTheVerifiersTickForEveryShippedMap) {
  if (!fs::is_directory(kLevels)) GTEST_SKIP() << "no data/levels/first";
  ForEachShippedMap([&](const fs::path& map, size_t) {
    for (uint32_t seed : {1u, 2u}) {
      EXPECT_EQ(Game("'" + map.string() + "'", seed), Verifier("'" + map.string() + "'", seed)) << map << seed;
    }
  });
}

// With the built data the real images, their variants and animation strips
// decide the random numbers; the verifier reads the same quarry.mad.
TEST_F(PlayAgreement, WithTheBuiltDataGameAndVerifierAgreeOnEveryPackMap) {
  fs::path run = fs::path(QUARRY_RUN_DIR);
  if (!fs::is_regular_file(run / "quarry.mad") || !fs::is_regular_file(run / "first.qs")) {
    GTEST_SKIP() << "the game data is not built (target gamedata)";
  }
  const std::string data = "--data '" + run.string() + "' ", pack = "'" + (run / "first.qs").string() + "' ";
  ForEachShippedMap([&](const fs::path& map, size_t n) {
    const std::string number = std::to_string(n);
    EXPECT_EQ(Game(data + "--pack " + pack + "--map " + number, 9), Verifier(data + pack + number, 9)) << map;
  });
}

// Diamonds, a boulder, a bomb, a balloon and empty pockets inside a frame;
// two runs draw the same frames, and F10 leaves while Escape restarts.
TEST_F(PlayAgreement, SameSeedAndScriptDrawTheSameFramesAndF10Leaves) {
  std::string map = "name: Agreement\n" + std::string(20, '#') + "\n#*.$...$.........!.#\n"
                    "#.........@........#\n#..&......  ..0....#\n#..........  . ....#\n";
  for (int y = 5; y < 11; ++y) map += "#" + std::string(18, '.') + "#\n";
  WriteFileBytes(dir / "map.txt", map + std::string(20, '#') + "\n");
  WriteFileBytes(dir / "solution.txt", std::string(20, 'R'));
  std::string verifier = Verifier("map.txt", 5);
  const std::string shots = "40 shot a.bmp\n90 shot b.bmp\n";
  EXPECT_EQ(Game("map.txt", 5, shots), verifier);
  std::string first = ReadFileBytes(dir / "a.bmp") + ReadFileBytes(dir / "b.bmp");
  ASSERT_GT(first.size(), 640u * 480u);
  EXPECT_EQ(Game("map.txt", 5, shots), verifier);
  EXPECT_EQ(ReadFileBytes(dir / "a.bmp") + ReadFileBytes(dir / "b.bmp"), first);

  WriteFileBytes(dir / "script.txt", "5 down escape\n9 up escape\n20 press f10\n");
  int code = 0;
  EXPECT_EQ(Run("'" PLAY_HARNESS "' map.txt --script script.txt", &code), "left after 20 frames\n");
  EXPECT_EQ(code, 1);
}

}  // namespace
}  // namespace quarry
