// The real program under the dummy drivers and the virtual clock: exit codes,
// the log's opening and closing lines, scripted input.
#include <gtest/gtest.h>

#include "archive/mad_write.h"
#include "run_program.h"

namespace quarry::e2e {
namespace {

namespace fs = std::filesystem;

const std::map<std::string, std::string> kHeadless = {{"SDL_VIDEODRIVER", "dummy"},
                                                      {"SDL_AUDIODRIVER", "dummy"}};

void EmptyArchive(const fs::path& path) {
  TMADWrite w(path.string());
  ASSERT_TRUE(w.Done());
}

// Archives with no members: start-up opens them, then stops at the first member.
void EmptyArchives(const fs::path& dir) {
  for (const char* name : {"quarry.mad", "qsmusic.mad", "qssound.mad"}) EmptyArchive(dir / name);
}

// The game's real data from the data build.
void GameData(const fs::path& dir) {
  for (const auto& entry : fs::directory_iterator(QUARRY_RUN_DIR))
    fs::create_symlink(entry.path(), dir / entry.path().filename());
}

std::vector<std::string> LogLines(const fs::path& dir) {
  std::string log = ReadFile(dir / "quarry.log");
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < log.size()) {
    size_t end = log.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(log.substr(at));
      break;
    }
    lines.push_back(log.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

void ExpectClosingLines(const std::vector<std::string>& lines) {
  ASSERT_GE(lines.size(), 3u);
  size_t n = lines.size();
  EXPECT_EQ(lines[n - 3], "(..system..) ControlMemory finalizing...");
  EXPECT_EQ(lines[n - 2], "(..system..) ControlMemory finalizing successful.");
  EXPECT_EQ(lines[n - 1].rfind("(..system..) Terminating Application. ", 0), 0u) << lines[n - 1];
}

TEST(ProgramRun, QuitAtTheFirstPumpEndsWithCode2AndTheClosingLines) {
  fs::path dir = FreshDir("quit");
  EmptyArchives(dir);
  WriteFile(dir / "s.txt", "1 quit\n");
  auto r = RunProgram(QUARRY_EXE, dir, {"--script", "s.txt", "--virtual-clock"}, kHeadless);
  EXPECT_EQ(r.exitCode, 2) << r.err;
  auto lines = LogLines(dir);
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[0].rfind("(..system..) Starting Application. ", 0), 0u);
  EXPECT_EQ(lines[1], "(..system..) () carets -> Status message");
  EXPECT_EQ(lines[2], "(..system..) [] carets -> Warning message");
  EXPECT_EQ(lines[3], "(..system..) {} carets -> Error message");
  EXPECT_EQ(lines[4], "(..system..) ControlMemory initializing...");
  EXPECT_EQ(lines[5], "(..system..) ControlMemory initializing successful.");
  EXPECT_EQ(lines[6], "(QUARRY) Quarrystar V1.01 Build 0002");
  ExpectClosingLines(lines);
  // Exit code 2 releases nothing else first: no archive is closed.
  EXPECT_EQ(ReadFile(dir / "quarry.log").find("TMad.Done"), std::string::npos);
}

TEST(ProgramRun, BogusVideoDriverEndsWithCode1AndTheSdlErrorLine) {
  fs::path dir = FreshDir("video");
  EmptyArchives(dir);
  auto r = RunProgram(QUARRY_EXE, dir, {"--virtual-clock"},
                      {{"SDL_VIDEODRIVER", "no-such-driver"}, {"SDL_AUDIODRIVER", "dummy"}});
  EXPECT_EQ(r.exitCode, 1);
  std::string log = ReadFile(dir / "quarry.log");
  bool initFailed = log.find("{ZR_SDL, Initialize} Could not initialize SDL : ") != std::string::npos;
  bool modeFailed = log.find("{ZR_SDL, Initialize} Couldn't set 640x480x32 video mode : ") != std::string::npos;
  EXPECT_TRUE(initFailed || modeFailed) << log;
  ExpectClosingLines(LogLines(dir));
}

TEST(ProgramRun, MissingArchiveEndsWithCode3OnLogAndStandardError) {
  fs::path dir = FreshDir("missing");
  auto r = RunProgram(QUARRY_EXE, dir, {"--virtual-clock"}, kHeadless);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(ReadFile(dir / "quarry.log").find("{MADREAD, TMad.Init} Error accessing quarry.mad"),
            std::string::npos);
  EXPECT_NE(r.err.find("Error accessing quarry.mad"), std::string::npos) << r.err;
  ExpectClosingLines(LogLines(dir));
}

TEST(ProgramRun, BadScriptIsRefusedBeforeAnythingRuns) {
  fs::path dir = FreshDir("badscript");
  EmptyArchives(dir);
  WriteFile(dir / "s.txt", "1 press return\n2 presss escape\n");
  auto r = RunProgram(QUARRY_EXE, dir, {"--script", "s.txt"}, kHeadless);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("s.txt:2: unknown action 'presss'"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "quarry.log")) << "nothing runs, not even the log";
}

TEST(ProgramRun, MissingMemberEndsWithCode3AfterTheArchivesOpened) {
  fs::path dir = FreshDir("member");
  EmptyArchives(dir);
  auto r = RunProgram(QUARRY_EXE, dir, {"--virtual-clock"}, kHeadless);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("File not found in MAD! ("), std::string::npos) << r.err;
  EXPECT_NE(ReadFile(dir / "quarry.log").find("File not found in MAD! ("), std::string::npos);
  ExpectClosingLines(LogLines(dir));
}

TEST(ProgramRun, IntroRunsOnTheVirtualClockAndEscapeInThePlayerMenuEndsNormally) {
  fs::path dir = FreshDir("escape");
  GameData(dir);
  // 240 black frames, the loading fades, then the intro's holds: 120 + 420 +
  // 420 pumped frames. The second logo is on screen from pump 840 or so; the
  // player menu follows, and Escape there ends the run.
  WriteFile(dir / "s.txt", "1000 shot frame.bmp\n1300 press esc\n");
  auto r = RunProgram(QUARRY_EXE, dir, {"--script", "s.txt", "--virtual-clock", "--windowed"}, kHeadless);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::string bmp = ReadFile(dir / "frame.bmp");
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_NE(bmp.find_first_not_of('\0', 54), std::string::npos) << "the logo is not black";
  std::string log = ReadFile(dir / "quarry.log");
  // EndGame releases the archives in their fixed order.
  size_t music = log.find("(MADREAD, TMad.Done) (qsmusic.mad)");
  size_t sound = log.find("(MADREAD, TMad.Done) (qssound.mad)");
  size_t main = log.find("(MADREAD, TMad.Done) (quarry.mad)");
  EXPECT_TRUE(music < sound && sound < main) << log;
  ExpectClosingLines(LogLines(dir));
}

TEST(ProgramRun, VersionAndHelp) {
  fs::path dir = FreshDir("version");
  auto v = RunProgram(QUARRY_EXE, dir, {"--version"}, {});
  EXPECT_EQ(v.exitCode, 0);
  EXPECT_EQ(v.out, "Quarrystar V1.01 Build 0002\n");
  auto h = RunProgram(QUARRY_EXE, dir, {"--help"}, {});
  EXPECT_EQ(h.exitCode, 0);
  EXPECT_NE(h.out.find("--virtual-clock"), std::string::npos);
  auto bad = RunProgram(QUARRY_EXE, dir, {"--bogus"}, {});
  EXPECT_EQ(bad.exitCode, 3);
  EXPECT_NE(bad.err.find("unknown option '--bogus'"), std::string::npos);
}

}  // namespace
}  // namespace quarry::e2e
