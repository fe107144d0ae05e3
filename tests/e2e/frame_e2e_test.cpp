// The real program under the dummy drivers and the virtual clock: exit codes,
// the log's opening and closing lines, scripted input.
#include "archive/mad_write.h"
#include "run_program.h"

namespace quarry::e2e {
namespace {

std::vector<std::string> LogLines(const fs::path& dir) {
  const std::string log = ReadFileBytes(dir / "quarry.log");
  std::vector<std::string> lines;
  for (size_t at = 0, end; at < log.size(); at = end + 2) {
    end = std::min(log.find("\r\n", at), log.size());
    lines.push_back(log.substr(at, end - at));
  }
  return lines;
}

void ExpectClosingLines(const std::vector<std::string>& lines) {
  ASSERT_GE(lines.size(), 3u);
  const size_t n = lines.size();
  EXPECT_EQ(lines[n - 3], "(..system..) ControlMemory finalizing...");
  EXPECT_EQ(lines[n - 2], "(..system..) ControlMemory finalizing successful.");
  EXPECT_EQ(lines[n - 1].rfind("(..system..) Terminating Application. ", 0), 0u) << lines[n - 1];
}

// Every early end: its exit code, why on stderr and in the log (any one of
// the lines listed), and the log opened and closed properly, or never begun.
TEST(ProgramRun, EarlyEndsGiveTheirExitCodeAndReason) {
  struct Case {
    const char* name;
    bool archives;  // empty ones: start-up opens them, then stops at the first member
    std::vector<std::string> args;
    std::string script, videoDriver;
    int code;
    std::string err;
    bool logged;
    std::vector<std::string> logAny;
  };
  const Case cases[] = {
      {"quit", true, {"--script", "s.txt"}, "1 quit\n", "dummy", 2, "", true, {"(QUARRY) Quarrystar V1.01 Build 0002"}},
      {"video", true, {}, "", "no-such-driver", 1, "", true,
       {"{ZR_SDL, Initialize} Could not initialize SDL : ",
        "{ZR_SDL, Initialize} Couldn't set 640x480x32 video mode : "}},
      {"no archive", false, {}, "", "dummy", 3, "Error accessing quarry.mad", true,
       {"{MADREAD, TMad.Init} Error accessing quarry.mad"}},
      {"no member", true, {}, "", "dummy", 3, "File not found in MAD! (", true, {"File not found in MAD! ("}},
      // Refused before anything runs, not even the log.
      {"bad script", true, {"--script", "s.txt"}, "1 press return\n2 presss escape\n", "dummy", 3,
       "s.txt:2: unknown action 'presss'", false, {}},
      {"bad option", false, {"--bogus"}, "", "dummy", 3, "unknown option '--bogus'", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    for (const char* name : {"quarry.mad", "qsmusic.mad", "qssound.mad"}) {
      if (c.archives) {
        ASSERT_TRUE(TMADWrite(dir / name).Done());
      }
    }
    if (!c.script.empty()) WriteFileBytes(dir / "s.txt", c.script);
    std::vector<std::string> args = c.args;
    args.push_back("--virtual-clock");
    auto r = RunProgram(QUARRY_EXE, dir.Path(), args,
                        {{"SDL_VIDEODRIVER", c.videoDriver}, {"SDL_AUDIODRIVER", "dummy"}});
    EXPECT_EQ(r.exitCode, c.code) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    ASSERT_EQ(fs::exists(dir / "quarry.log"), c.logged);
    if (!c.logged) continue;
    const std::string log = ReadFileBytes(dir / "quarry.log");
    EXPECT_TRUE(std::any_of(c.logAny.begin(), c.logAny.end(),
                            [&](const std::string& line) { return log.find(line) != std::string::npos; }))
        << log;
    auto lines = LogLines(dir.Path());
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
    if (c.code == 2) {
      EXPECT_EQ(log.find("TMad.Done"), std::string::npos);
    }
  }
}

TEST(ProgramRun, IntroRunsOnTheVirtualClockAndEscapeInThePlayerMenuEndsNormally) {
  TempDir dir;
  GameData(dir.Path());
  // The second logo is on screen from pump 840 or so; the player menu follows.
  auto r = RunScript(dir.Path(), "1000 shot frame.bmp\n1300 press esc\n", {"--windowed"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string bmp = ReadFileBytes(dir / "frame.bmp");
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_NE(bmp.find_first_not_of('\0', 54), std::string::npos) << "the logo is not black";
  // EndGame releases the archives in their fixed order.
  const std::string log = ReadFileBytes(dir / "quarry.log");
  const size_t music = log.find("(MADREAD, TMad.Done) (qsmusic.mad)");
  const size_t sound = log.find("(MADREAD, TMad.Done) (qssound.mad)");
  EXPECT_TRUE(music < sound && sound < log.find("(MADREAD, TMad.Done) (quarry.mad)")) << log;
  ExpectClosingLines(LogLines(dir.Path()));
}

TEST(ProgramRun, VersionAndHelp) {
  TempDir dir;
  auto v = RunProgram(QUARRY_EXE, dir.Path(), {"--version"});
  EXPECT_EQ(v.exitCode, 0);
  EXPECT_EQ(v.out, "Quarrystar V1.01 Build 0002\n");
  auto h = RunProgram(QUARRY_EXE, dir.Path(), {"--help"});
  EXPECT_EQ(h.exitCode, 0);
  EXPECT_NE(h.out.find("--virtual-clock"), std::string::npos);
}

}  // namespace
}  // namespace quarry::e2e
