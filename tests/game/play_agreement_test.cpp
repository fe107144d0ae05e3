// The drawn game and quarry-replay agree: the game, driven through the real
// event pump by the script quarry-replay writes, completes the map on the
// tick quarry-replay names, and two runs with one seed draw the same frames.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class PlayAgreement : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("quarry-agree-" + std::string(info->name()) + "-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Run(const std::string& command, int* code = nullptr) {
    std::string line = "cd '" + dir_.string() + "' && " + command + " >out.txt 2>err.txt";
    int status = std::system(line.c_str());
    if (code) *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return Read(dir_ / "out.txt");
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  // The game's answer for a map and its solution, with the script of the
  // solution and any extra script lines.
  std::string Game(const std::string& map, uint32_t seed, const std::string& extra = "") {
    std::string script = Run("'" QUARRY_REPLAY "' --to-script solution.txt");
    Write("script.txt", script + extra);
    return Run("'" PLAY_HARNESS "' '" + map + "' --seed " + std::to_string(seed) +
               " --script script.txt");
  }
  std::string Verifier(const std::string& map, uint32_t seed) {
    return Run("'" QUARRY_REPLAY "' --seed " + std::to_string(seed) + " '" + map + "' solution.txt");
  }

  fs::path dir_;
};

TEST_F(PlayAgreement, GameCompletesOnTheVerifiersTickForEveryShippedMap) {
  fs::path levels = fs::path(QUARRY_SOURCE_DIR) / "data" / "levels" / "first";
  if (!fs::is_directory(levels)) GTEST_SKIP() << "no data/levels/first";
  int maps = 0;
  for (const auto& entry : fs::directory_iterator(levels)) {
    if (entry.path().extension() != ".map") continue;
    std::string text = Read(entry.path());
    std::string solution;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("solution:", 0) == 0) solution += line.substr(9) + "\n";
    }
    Write("solution.txt", solution);
    for (uint32_t seed : {1u, 2u}) {
      std::string verifier = Verifier(entry.path().string(), seed);
      ASSERT_EQ(verifier.rfind("completed at tick ", 0), 0u) << entry.path() << verifier;
      EXPECT_EQ(Game(entry.path().string(), seed), verifier) << entry.path() << " seed " << seed;
    }
    ++maps;
  }
  EXPECT_GT(maps, 0);
}

// With the built data (the gamedata target's run directory), the real images,
// their variants and animation strips decide the random numbers; the
// verifier reads the same quarry.mad.
TEST_F(PlayAgreement, WithTheBuiltDataGameAndVerifierAgreeOnEveryPackMap) {
  fs::path run = fs::path(QUARRY_RUN_DIR);
  fs::path levels = fs::path(QUARRY_SOURCE_DIR) / "data" / "levels" / "first";
  if (!fs::is_regular_file(run / "quarry.mad") || !fs::is_regular_file(run / "first.qs")) {
    GTEST_SKIP() << "the game data is not built (target gamedata)";
  }
  std::vector<fs::path> sources;
  for (const auto& entry : fs::directory_iterator(levels)) {
    if (entry.path().extension() == ".map") sources.push_back(entry.path());
  }
  std::sort(sources.begin(), sources.end());  // the pack keeps file-name order
  for (size_t i = 0; i < sources.size(); ++i) {
    std::string solution;
    std::istringstream lines(Read(sources[i]));
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("solution:", 0) == 0) solution += line.substr(9) + "\n";
    }
    Write("solution.txt", solution);
    std::string number = std::to_string(i + 1);
    std::string verifier = Run("'" QUARRY_REPLAY "' --seed 9 --data '" + run.string() + "' '" +
                               (run / "first.qs").string() + "' " + number + " solution.txt");
    ASSERT_EQ(verifier.rfind("completed at tick ", 0), 0u) << sources[i] << verifier;
    Write("script.txt", Run("'" QUARRY_REPLAY "' --to-script solution.txt"));
    std::string game = Run("'" PLAY_HARNESS "' --data '" + run.string() + "' --pack '" +
                           (run / "first.qs").string() + "' --map " + number +
                           " --seed 9 --script script.txt");
    EXPECT_EQ(game, verifier) << sources[i];
  }
}

const char* const kMap =
    "name: Agreement\n"
    "####################\n"
    "#*.$...$.........!.#\n"
    "#.........@........#\n"
    "#..&......  ..0....#\n"
    "#..........  . ....#\n"
    "#..................#\n"
    "#..................#\n"
    "#..................#\n"
    "#..................#\n"
    "#..................#\n"
    "#..................#\n"
    "####################\n";

TEST_F(PlayAgreement, SameSeedAndScriptDrawTheSameFrames) {
  Write("map.txt", kMap);
  Write("solution.txt", "RRRRRRRRRRRRRRRRRRRR");
  std::string verifier = Verifier("map.txt", 5);
  ASSERT_EQ(verifier.rfind("completed at tick ", 0), 0u) << verifier;
  const std::string shots = "40 shot a.bmp\n90 shot b.bmp\n";
  EXPECT_EQ(Game("map.txt", 5, shots), verifier);
  std::string first = Read(dir_ / "a.bmp") + Read(dir_ / "b.bmp");
  ASSERT_GT(first.size(), 640u * 480u);
  EXPECT_EQ(Game("map.txt", 5, shots), verifier);
  EXPECT_EQ(Read(dir_ / "a.bmp") + Read(dir_ / "b.bmp"), first);
}

TEST_F(PlayAgreement, F10LeavesAndEscapeRestartsInTheDrawnGame) {
  Write("map.txt", kMap);
  Write("solution.txt", "");
  int code = 0;
  Write("script.txt", "5 down escape\n9 up escape\n20 press f10\n");
  std::string out = Run("'" PLAY_HARNESS "' map.txt --script script.txt", &code);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(out, "left after 20 frames\n");
}

}  // namespace
