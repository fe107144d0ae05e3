// Progress is never lost: stops shown on screen and the progress file kept
// through damage, full disks, a second game in the folder and kills.
#include <fcntl.h>
#include <sys/file.h>

#include <random>

#include "archive/mad_write.h"
#include "players/players.h"
#include "run_program.h"

namespace quarry::e2e {
namespace {

// The colour of one pixel of a saved 24- or 32-bit BMP, as 0xRRGGBB.
uint32_t Pixel(const std::string& bmp, int x, int y) {
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bmp[at + i]);
    return v;
  };
  if (bmp.size() < 54) return 0xFFFFFFFF;
  const uint32_t offset = u32(10), height = u32(22), bytes = (u32(28) & 0xFFFF) / 8;
  const uint32_t stride = (u32(18) * bytes + 3) & ~3u;
  const size_t at = offset + (height - 1 - static_cast<uint32_t>(y)) * stride + static_cast<uint32_t>(x) * bytes;
  if (at + 3 > bmp.size()) return 0xFFFFFFFF;
  return static_cast<uint32_t>(static_cast<uint8_t>(bmp[at + 2]) << 16 | static_cast<uint8_t>(bmp[at + 1]) << 8 |
                               static_cast<uint8_t>(bmp[at]));
}
constexpr uint32_t kFrameRed = 0xC80000;  // the message frame, whose corner is at (40, 120)

std::string Names(const TPlayers& players) {
  std::string names;
  for (int i = 0; i < players.Count(); ++i) names += players.GetPlayerName(i) + ";";
  return names;
}

std::unique_ptr<TPlayers> Saved(const fs::path& file) {
  auto players = std::make_unique<TPlayers>();
  EXPECT_TRUE(players->Load(file.string())) << file;
  return players;
}

void SaveNames(const fs::path& file, std::initializer_list<const char*> names) {
  TPlayers players;
  for (const char* name : names) players.AddPlayer(name);
  ASSERT_TRUE(players.Save(file.string()));
}

// Every stop for bad data: exit 3, the line on standard error naming the
// file, the log closed, the line on screen in its frame, the screen ended at
// once when the script has nothing more to deliver, and players.dat as it was.
TEST(Progress, StopsAreShownOnScreenAndTouchNothing) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> prepare;
    std::map<std::string, std::string> env;
    int shotPump;
    std::string err;
  };
  const auto folder = [](const char* name) {
    return [name](const fs::path& dir) {
      fs::remove(dir / name);
      fs::create_directory(dir / name);
    };
  };
  int lock = -1;
  const Case cases[] = {
      {"players.dat a folder", folder("players.dat"), {}, 1205, "Error accessing players.dat (Is a directory)"},
      {"quarry.mad a folder", folder("quarry.mad"), {}, 3, "Error accessing quarry.mad"},
      {"players.dat unreadable", [](const fs::path&) {}, {{"QUARRY_FAULT", "unreadable"}}, 1205,
       "Error accessing players.dat (Permission denied)"},
      {"member missing",
       [](const fs::path& dir) {
         fs::remove(dir / "quarry.mad");
         ASSERT_TRUE(TMADWrite((dir / "quarry.mad").string()).Done());
       },
       {}, 245, "quarry.mad: File not found in MAD! (FONT.GSD)"},
      {"sound list without its header",
       [](const fs::path& dir) {
         fs::remove(dir / "qssound.mad");
         TMADWrite sounds((dir / "qssound.mad").string());
         const std::string list = "ITEM\r\nFILE=a.wav\r\n";
         sounds.AddBytes({reinterpret_cast<const uint8_t*>(list.data()), list.size()}, "waves.ini");
         ASSERT_TRUE(sounds.Done());
       },
       {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", "/dev/null"}}, 245,
       "qssound.mad: Not a wavecollection file..."},
      {"second game", [&](const fs::path& dir) { lock = open(dir.c_str(), O_RDONLY | O_DIRECTORY); }, {}, 3,
       "Another game is running in this folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    GameData(dir.Path());
    if (!fs::exists(dir / "players.dat")) SaveNames(dir / "players.dat", {"Ann", "Ben"});
    c.prepare(dir.Path());
    if (lock >= 0) {
      ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);
    }
    const std::string before = fs::is_regular_file(dir / "players.dat") ? ReadFileBytes(dir / "players.dat") : "";
    auto env = kHeadless;
    env.insert(c.env.begin(), c.env.end());
    // Closing the window on the stop screen still ends the stop with its code.
    WriteFileBytes(dir / "s.txt",
                   std::to_string(c.shotPump) + " shot stop.bmp\n" + std::to_string(c.shotPump + 1) + " quit\n");
    auto r = RunProgram(QUARRY_EXE, dir.Path(), {"--virtual-clock", "--script", "s.txt"}, env);
    if (lock >= 0) {
      close(lock);
      lock = -1;
    }
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    const std::string log = ReadFileBytes(dir / "quarry.log");
    EXPECT_NE(log.find("(..system..) Terminating Application. "), std::string::npos);
    const std::string shot = ReadFileBytes(dir / "stop.bmp");
    EXPECT_EQ(Pixel(shot, 40, 120), kFrameRed);
    EXPECT_EQ(Pixel(shot, 20, 20), 0u);
    EXPECT_EQ(fs::is_regular_file(dir / "players.dat") ? ReadFileBytes(dir / "players.dat") : "", before);
    for (const char* other : {"players.dat.bak", "players.dat.damaged"}) EXPECT_FALSE(fs::exists(dir / other));
  }
}

// A damaged players.dat is kept aside, the backup is loaded, the player is
// told, and the recovered roster is saved as players.dat again.
TEST(Progress, DamagedFileFallsBackToTheBackup) {
  TempDir dir;
  GameData(dir.Path());
  SaveNames(dir / "players.dat", {"Ann", "Ben"});
  SaveNames(dir / "players.dat", {"Ann", "Ben", "Cy"});
  const std::string whole = ReadFileBytes(dir / "players.dat");
  const std::string cut = whole.substr(0, whole.size() - 1);
  WriteFileBytes(dir / "players.dat", cut);
  // The notice from pump 1201; Space ends it; then Ann, the pack, quit.
  auto r = RunScript(dir.Path(), "1203 shot notice.bmp\n1210 press space\n1220 press return\n1230 press return\n"
                                 "1240 press esc\n", {});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Pixel(ReadFileBytes(dir / "notice.bmp"), 40, 120), kFrameRed);
  EXPECT_EQ(ReadFileBytes(dir / "players.dat.damaged"), cut);
  auto players = Saved(dir / "players.dat");
  EXPECT_EQ(Names(*players), "Ann;Ben;");
  EXPECT_EQ(players->GetLevelPackIndex(0, "first.qs"), 0);
  EXPECT_NE(ReadFileBytes(dir / "quarry.log").find("[PLAYERS, TPlayers.Load] Loaded the backup players.dat.bak"),
            std::string::npos);
}

// On a full disk every save fails and says so in the log; the screen says so
// once, and players.dat keeps its bytes.
TEST(Progress, FailedSavesAreShownOnceAndKeepTheFile) {
  TempDir dir;
  GameData(dir.Path());
  SaveNames(dir / "players.dat", {"Ann"});
  const std::string before = ReadFileBytes(dir / "players.dat");
  // A new player Bob (the save fails, the notice shows until Space), then
  // Bob erased (fails again, no notice), Escape.
  const std::string script =
      "1210 press down\n1220 press return\n1230 type Bob\n1240 press return\n1245 shot notice.bmp\n"
      "1250 press space\n1260 press down\n1270 press delete\n1280 press down\n1290 press return\n"
      "1300 shot menu.bmp\n1310 press esc\n";
  auto env = kHeadless;
  env["QUARRY_FAULT"] = "nospace=0";
  WriteFileBytes(dir / "s.txt", script);
  auto r = RunProgram(QUARRY_EXE, dir.Path(), {"--virtual-clock", "--script", "s.txt"}, env);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "players.dat"), before);
  const std::string log = ReadFileBytes(dir / "quarry.log");
  const std::string line = "{PLAYERS, TPlayers.Save} Could not save players.dat (No space left on device)";
  size_t count = 0;
  for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(Pixel(ReadFileBytes(dir / "notice.bmp"), 40, 120), kFrameRed);
  EXPECT_NE(Pixel(ReadFileBytes(dir / "menu.bmp"), 40, 120), kFrameRed);
}

// Killed at random points of a run that saves ten times (a player added and
// erased, five times over), the game leaves a players.dat holding the roster
// of the save it was in, or of the one before.
TEST(Progress, KillDuringSavesLeavesOldOrNewRoster) {
  std::string script;
  for (int i = 0; i < 5; ++i) {
    const int b = 1210 + 60 * i;
    script += std::to_string(b) + " press return\n" + std::to_string(b + 10) + " type A" + std::to_string(i + 1) +
              "\n" + std::to_string(b + 20) + " press return\n" + std::to_string(b + 30) + " press delete\n" +
              std::to_string(b + 40) + " press down\n" + std::to_string(b + 50) + " press return\n";
  }
  script += "1520 press esc\n";
  std::mt19937 random(15);
  for (int run = 0; run < 3; ++run) {
    const int step = std::uniform_int_distribution<int>(1, 55)(random);
    SCOPED_TRACE("kill at step " + std::to_string(step));
    TempDir dir;
    GameData(dir.Path());
    WriteFileBytes(dir / "s.txt", script);
    auto env = kHeadless;
    env["QUARRY_FAULT"] = "kill=" + std::to_string(step);
    auto r = RunProgram(QUARRY_EXE, dir.Path(), {"--virtual-clock", "--script", "s.txt"}, env);
    ASSERT_EQ(r.exitCode, -1) << r.err;
    int save = 0;
    ASSERT_EQ(std::sscanf(r.err.c_str(), "QUARRY_FAULT: killed in save %d", &save), 1) << r.err;
    // Odd saves hold the player just added, even ones the empty roster.
    auto roster = [](int n) { return n % 2 == 1 ? "A" + std::to_string((n + 1) / 2) + ";" : std::string(); };
    const std::string now = Names(*Saved(dir / "players.dat"));
    EXPECT_TRUE(now == roster(save) || now == roster(save - 1)) << "save " << save << ": " << now;
  }
}

}  // namespace
}  // namespace quarry::e2e
