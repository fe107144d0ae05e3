// The roster and its "players.dat": the exact member bytes, the round trip,
// the lookups' rules, and damaged files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <csignal>
#include <set>
#include <stdexcept>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "core/program.h"
#include "core/stream.h"
#include "players/crc32.h"
#include "core/text.h"
#include "players/players.h"
#include "players/progress_file.h"
#include "test_support.h"

namespace quarry {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes Member(const std::string& archive, const std::string& name) {
  TMad mad(archive);
  return mad.OpenPointer(name);
}

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

std::unique_ptr<TPlayers> Loaded(const std::string& fileName) {
  auto players = std::make_unique<TPlayers>();
  players->Load(fileName);
  return players;
}

TEST(Crc32, StandardCheckValueAndFilesInPieces) {
  const std::string check = "123456789";
  EXPECT_EQ(Crc32({reinterpret_cast<const uint8_t*>(check.data()), check.size()}), 0xCBF43926u);
  TempDir dir;
  std::string big(40000, 'q');
  big[20000] = 'x';  // spans more than two 16384-byte blocks
  WriteFileBytes(dir / "big", big);
  WriteFileBytes(dir / "empty", "");
  uint32_t crc = 1;
  ASSERT_TRUE(FileCrc32(dir / "big", crc));
  EXPECT_EQ(crc, Crc32({reinterpret_cast<const uint8_t*>(big.data()), big.size()}));
  ASSERT_TRUE(FileCrc32(dir / "empty", crc));
  EXPECT_EQ(crc, 0u);
  EXPECT_FALSE(FileCrc32(dir / "none", crc));
}

TEST(Players, FileBytesAndRoundTrip) {
  TempDir dir;
  ASSERT_TRUE(TPlayers().Save(dir / "empty.dat"));
  EXPECT_EQ(Text(Member(dir / "empty.dat", "p")), std::string("PLAY\0\0", 6));
  EXPECT_EQ(Text(Member(dir / "empty.dat", "l")), "LEVP");
  const std::string pack = dir / "first.qs";
  WriteFileBytes(pack, "pack bytes");
  TPlayers players;
  EXPECT_EQ(players.AddPlayer("Bob"), 0);
  EXPECT_EQ(players.AddPlayer(std::string(32, 'L')), 1);
  EXPECT_EQ(players.AddLevelPack(0, pack), 0);
  players.SetMapState(0, 0, 0, kMapCompleted);
  players.SetMapState(0, 0, 255, kMapOpen);
  ASSERT_TRUE(players.Save(dir / "players.dat"));

  const Bytes p = Member(dir / "players.dat", "P");
  EXPECT_EQ(Text(p), "PLAY" + std::string("\x02\x00", 2) + "Bob" + std::string(27, ' ') +
                         std::string("\x01\x00", 2) + std::string(30, 'L') + std::string(2, '\0'));
  const Bytes l = Member(dir / "players.dat", "l");
  ASSERT_EQ(l.size(), 4 + kPackProgressSize);
  EXPECT_EQ(Text(Bytes(l.begin(), l.begin() + 4)), "LEVP");
  EXPECT_EQ(l[4], pack.size());  // the name's length byte, then the name, then zeros
  EXPECT_EQ(Text(Bytes(l.begin() + 5, l.begin() + 5 + static_cast<long>(pack.size()))), pack);
  EXPECT_EQ(l[4 + 256], 10);  // FileSize
  EXPECT_EQ(l[4 + 264], kMapCompleted);
  EXPECT_EQ(l[4 + 264 + 255], kMapOpen);

  auto loaded = Loaded(dir / "players.dat");
  ASSERT_EQ(loaded->Count(), 2);
  EXPECT_EQ(loaded->GetPlayerName(0), "Bob");  // trimmed on load
  EXPECT_EQ(loaded->GetPlayerName(1), std::string(30, 'L'));
  ASSERT_EQ(loaded->PackCount(0), 1);
  EXPECT_EQ(loaded->GetLevelPackIndex(0, pack), 0);
  EXPECT_EQ(loaded->GetMapState(0, 0, 0), kMapCompleted);
  EXPECT_EQ(loaded->GetMapState(0, 0, 1), kMapLocked);
  EXPECT_EQ(loaded->GetMapState(0, 0, 255), kMapOpen);
  EXPECT_EQ(loaded->PackCount(1), 0);
}

// Names compare trimmed and pack names exactly, case counting in both;
// deleting keeps the others' order and progress; bad indices warn, change nothing.
TEST(Players, LookupsDeletionAndBadIndices) {
  TempDir dir;
  const std::string pack = dir / "Pack.qs", other = dir / "pack.qs";
  WriteFileBytes(pack, "some pack data");
  WriteFileBytes(other, "other");
  TPlayers players;
  for (const char* name : {"Ann", "Ben", "Cy"}) players.AddPlayer(name);
  EXPECT_EQ(players.GetPlayerName(0), "Ann" + std::string(27, ' '));
  EXPECT_EQ(players.FindPlayerByName("  Ben "), 1);
  EXPECT_EQ(players.FindPlayerByName("ben"), -1);
  ASSERT_EQ(players.AddLevelPack(0, pack), 0);
  EXPECT_EQ(players.GetLevelPackIndex(0, other), -1);
  EXPECT_EQ(players.AddLevelPack(0, other), 1);
  for (int map = 0; map < 256; ++map) EXPECT_EQ(players.GetMapState(0, 0, static_cast<uint8_t>(map)), kMapLocked);
  ASSERT_TRUE(players.Save(dir / "players.dat"));
  uint32_t crc = 0;
  ASSERT_TRUE(FileCrc32(pack, crc));
  const PackProgress first = PackProgress::From(Member(dir / "players.dat", "l").data() + 4);
  EXPECT_EQ(first.FileSize, 14);
  EXPECT_EQ(first.FileCrc, crc);

  players.AddLevelPack(2, pack);
  players.SetMapState(2, 0, 7, kMapOpen);
  LogCapture log;
  EXPECT_FALSE(players.DeletePlayer("Dora"));
  EXPECT_TRUE(players.DeletePlayer("Ann"));
  ASSERT_EQ(players.Count(), 2);
  EXPECT_EQ(players.FindPlayerByName("Ben"), 0);
  EXPECT_EQ(players.FindPlayerByName("Cy"), 1);
  EXPECT_EQ(players.GetMapState(1, 0, 7), kMapOpen);
  EXPECT_EQ(players.GetPlayerName(2), "");
  EXPECT_EQ(players.GetPlayerName(-1), "");
  EXPECT_EQ(players.AddLevelPack(0, dir / "missing.qs"), -1);
  EXPECT_EQ(players.AddLevelPack(5, pack), -1);
  EXPECT_EQ(players.GetLevelPackIndex(5, pack), -1);
  const std::vector<std::string> warnings = {
      "{PLAYERS, TPlayers.DeletePlayer} Player does not exist! (Dora)",
      "{PLAYERS, TPlayers.GetPlayerName} Index out of range! (2)",
      "[PLAYERS, AddLevelPack] Level pack file not found! (" + (dir / "missing.qs") + ")",
      "[PLAYERS, AddLevelPack] Index out of range! (5)", "[PLAYERS, GetLevelPackIndex] Index out of range! (5)"};
  for (const auto& line : warnings) EXPECT_TRUE(log.Has(line)) << line;
  players.SetMapState(0, 9, 3, kMapOpen);
  EXPECT_EQ(players.GetMapState(0, 9, 3), kMapLocked);
  EXPECT_EQ(players.GetMapState(-1, 0, 3), kMapLocked);
}

TEST(Players, RosterAndPackListsAreBounded) {
  TempDir dir;
  const std::string pack = dir / "p.qs";
  WriteFileBytes(pack, "p");
  TPlayers players;
  for (int i = 0; i < kMaxPlayers; ++i) ASSERT_EQ(players.AddPlayer("P" + std::to_string(i)), i);
  EXPECT_EQ(players.AddPlayer("one too many"), -1);
  for (int i = 0; i < kMaxLevelPacks; ++i) ASSERT_EQ(players.AddLevelPack(0, pack), i);
  EXPECT_EQ(players.AddLevelPack(0, pack), -1);
  ASSERT_TRUE(players.Save(dir / "players.dat"));
  auto loaded = Loaded(dir / "players.dat");
  EXPECT_EQ(loaded->Count(), kMaxPlayers);
  EXPECT_EQ(loaded->PackCount(0), kMaxLevelPacks);
  EXPECT_EQ(loaded->GetPlayerName(255), "P255");
}

// A roster in a form that compares whole: names, pack names and states.
std::string Describe(const TPlayers& players) {
  std::string d;
  for (int i = 0; i < players.Count(); ++i) {
    d += Trim(players.GetPlayerName(i)) + ":";
    for (int j = 0; j < players.PackCount(i); ++j)
      for (int map = 0; map < 4; ++map) d += std::to_string(players.GetMapState(i, j, static_cast<uint8_t>(map)));
    d += ";";
  }
  return d;
}

// A roster of n players, each with one pack whose first map state is n.
std::unique_ptr<TPlayers> Roster(const TempDir& dir, int n) {
  WriteFileBytes(dir / "a.qs", "pack");
  auto players = std::make_unique<TPlayers>();
  for (int i = 0; i < n; ++i) {
    players->AddPlayer("P" + std::to_string(i));
    players->AddLevelPack(i, dir / "a.qs");
    players->SetMapState(i, 0, 0, static_cast<uint8_t>(n));
  }
  return players;
}

// An archive image of the members as given.
std::string Archive(const std::vector<std::pair<std::string, Bytes>>& members) {
  TMemoryStream image;
  TMADWrite writer("players.dat", image);
  for (const auto& [name, bytes] : members) writer.AddBytes(bytes, name);
  writer.Done();
  return Text(image.Bytes());
}

// Whatever is wrong with a file, it is refused whole: never a shortened
// roster that the next save would write over the players it lost.
TEST(Players, DamagedFilesAreRefusedWhole) {
  TempDir dir;
  const std::string file = dir / "players.dat";
  EXPECT_TRUE(Loaded(file)->Count() == 0 && TPlayers().Load(file));  // missing: sound and empty
  const std::string name = "Ann" + std::string(27, ' ');
  auto names = [&](uint8_t count, uint8_t packs) {
    Bytes p{'P', 'L', 'A', 'Y', count, 0};
    p.reserve(6 + 32 * size_t{count});
    for (int i = 0; i < count; ++i) {
      p.insert(p.end(), name.begin(), name.end());
      p.push_back(packs);
      p.push_back(0);
    }
    return p;
  };
  const Bytes levp = {'L', 'E', 'V', 'P'};
  Bytes oneRecord = levp;
  oneRecord.resize(4 + kPackProgressSize);
  Bytes badMagic = oneRecord;
  badMagic[3] = 'Q';
  const struct {
    const char* what;
    std::string image;
  } cases[] = {
      {"empty", ""},
      {"bad PLAY", Archive({{"P", {'P', 'L', 'A', 'X', 0, 0}}, {"L", levp}})},
      {"bad LEVP", Archive({{"P", names(1, 1)}, {"L", badMagic}})},
      {"no l", Archive({{"P", names(0, 0)}})},
      {"count beyond names", Archive({{"P", {'P', 'L', 'A', 'Y', 2, 0}}, {"L", levp}})},
      {"negative count", Archive({{"P", {'P', 'L', 'A', 'Y', 0, 0x80}}, {"L", levp}})},
      {"257 players", Archive({{"P", {'P', 'L', 'A', 'Y', 1, 1}}, {"L", levp}})},
      {"records missing", Archive({{"P", names(1, 2)}, {"L", oneRecord}})},
      {"records over", Archive({{"P", names(1, 0)}, {"L", oneRecord}})},
  };
  for (const auto& c : cases) {
    WriteFileBytes(file, c.image);
    TPlayers players;
    EXPECT_FALSE(players.Load(file)) << c.what;
    EXPECT_EQ(players.Count(), 0) << c.what;
  }
  WriteFileBytes(file, Archive({{"P", names(1, 1)}, {"L", oneRecord}}));
  EXPECT_TRUE(TPlayers().Load(file));  // the table's files differ from a sound one in one point each
}

// The game's start: a damaged file (here every cut of a saved one) is moved
// aside, never replaced, and the backup (the file before the last save) takes
// its place when it is sound.
TEST(Players, DamagedFileMovedAsideAndBackupLoaded) {
  TempDir dir;
  const std::string file = dir / "players.dat";
  ASSERT_TRUE(Roster(dir, 1)->Save(file));
  ASSERT_TRUE(Roster(dir, 2)->Save(file));
  const std::string previous = ReadFileBytes(dir / "players.dat.bak");
  const std::string whole = ReadFileBytes(file);
  ASSERT_FALSE(previous.empty());
  LogCapture log;
  for (size_t length = 0; length < whole.size(); ++length) {
    const std::string damaged = whole.substr(0, length);
    WriteFileBytes(file, damaged);
    TPlayers players;
    const ProgressLoad load = players.LoadProgress(file);
    ASSERT_EQ(load.outcome, ProgressLoad::kFromBackup) << length;
    EXPECT_EQ(Describe(players), Describe(*Roster(dir, 1)));
    EXPECT_EQ(load.movedTo, file + ".damaged");
    EXPECT_EQ(ReadFileBytes(load.movedTo), damaged);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(ReadFileBytes(dir / "players.dat.bak"), previous);
    fs::remove(load.movedTo);
  }
  EXPECT_TRUE(log.Has("{PLAYERS, TPlayers.Load} " + file + " is damaged; moved to " + file + ".damaged"));
  EXPECT_TRUE(log.Has("[PLAYERS, TPlayers.Load] Loaded the backup " + file + ".bak"));

  // A second damaged file takes the next free name; a damaged backup is
  // kept as well, and the roster starts empty.
  WriteFileBytes(file + ".damaged", "first");
  WriteFileBytes(file, "second");
  WriteFileBytes(file + ".bak", "bad backup");
  TPlayers players;
  const ProgressLoad load = players.LoadProgress(file);
  EXPECT_EQ(load.outcome, ProgressLoad::kStartedEmpty);
  EXPECT_EQ(players.Count(), 0);
  EXPECT_EQ(load.movedTo, file + ".damaged.1");
  EXPECT_EQ(ReadFileBytes(file + ".damaged"), "first");
  EXPECT_EQ(ReadFileBytes(file + ".damaged.1"), "second");
  EXPECT_EQ(ReadFileBytes(file + ".bak.damaged"), "bad backup");
  EXPECT_TRUE(log.Has("{PLAYERS, TPlayers.Load} No sound backup: the roster starts empty"));
  EXPECT_EQ(players.LoadProgress(file).outcome, ProgressLoad::kMissing);
}

// A folder in the file's place: Load refuses it, and the start stops and
// leaves it there. The stop's message, and the unreadable file, are checked
// through the game by Progress.StopsAreShownOnScreenAndTouchNothing.
TEST(Players, FolderInPlaceOfTheFileStopsAndStays) {
  TempDir dir;
  const std::string file = dir / "players.dat";
  fs::create_directory(file);
  EXPECT_FALSE(TPlayers().Load(file));
  SetStopHandler([](const std::string& message, const std::string&) { throw std::runtime_error(message); });
  EXPECT_THROW(TPlayers().LoadProgress(file), std::runtime_error);
  SetStopHandler(nullptr);
  EXPECT_TRUE(fs::is_directory(file));
}

// Saving replaces the file in one step and keeps the one before as the
// backup, with the file's mode; a read-only file is not replaced.
TEST(Players, SaveKeepsBackupAndMode) {
  TempDir dir;
  const std::string file = dir / "players.dat";
  ASSERT_TRUE(Roster(dir, 1)->Save(file));
  EXPECT_FALSE(fs::exists(file + ".bak"));  // nothing before the first save
  const std::string first = ReadFileBytes(file);
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(Roster(dir, 2)->Save(file));
  EXPECT_EQ(ReadFileBytes(file + ".bak"), first);
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Describe(*Loaded(file)), Describe(*Roster(dir, 2)));

  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
  const std::string second = ReadFileBytes(file);
  LogCapture log;
  std::string error;
  EXPECT_FALSE(Roster(dir, 3)->Save(file, &error));
  EXPECT_EQ(error, "the file is read-only");
  EXPECT_TRUE(log.Has("{PLAYERS, TPlayers.Save} Could not save " + file + " (the file is read-only)"));
  EXPECT_EQ(ReadFileBytes(file), second);
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::group_read);
}

// The file names in a folder.
std::set<std::string> Names(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

// A save that cannot be written leaves the old file byte for byte and no
// temporary file: a full disk (a small tmpfs where this may mount one, and
// the writer's seam) and a folder that refuses new files (chattr +i as root,
// whose writes permissions do not stop; its mode otherwise).
TEST(Players, FailedSavesLeaveTheOldFile) {
  TempDir outer;
  const fs::path dir = outer.Path() / "folder";
  fs::create_directory(dir);
  const std::string file = (dir / "players.dat").string();
  auto expectKept = [&](const char* how, const std::string& error) {
    SCOPED_TRACE(how);
    const std::string before = ReadFileBytes(file);
    const auto names = Names(dir);
    std::string why;
    EXPECT_FALSE(Roster(outer, 40)->Save(file, &why));
    EXPECT_EQ(why, error);
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_EQ(Names(dir), names);
  };
  ASSERT_TRUE(Roster(outer, 1)->Save(file));

  SetProgressFault({.spaceLeft = 100});
  expectKept("seam", "No space left on device");
  SetProgressFault({});
  if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=4k") == 0) {
    const std::shared_ptr<void> unmount(nullptr, [&](void*) { ::umount2(dir.c_str(), MNT_DETACH); });
    ASSERT_TRUE(Roster(outer, 1)->Save(file));
    expectKept("tmpfs", "No space left on device");
  }

  const bool root = geteuid() == 0;
  const std::string chattr = "chattr +i '" + dir.string() + "' 2>/dev/null";
  if (root && std::system(chattr.c_str()) != 0) GTEST_SKIP() << "no way to make a folder read-only for root";
  const std::shared_ptr<void> writable(nullptr, [&](void*) {
    if (root) {
      EXPECT_EQ(std::system(("chattr -i '" + dir.string() + "'").c_str()), 0);
    }
    fs::permissions(dir, fs::perms::owner_all);
  });
  if (!root) fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  expectKept("read-only folder", root ? "Operation not permitted" : "Permission denied");
}

// A kill at any step of any of several saves leaves a file that loads as the
// roster before that save or after it; the stale temporary is cleared at the
// next start.
TEST(Players, KillAtAnyStepLeavesOldOrNewRoster) {
  TempDir dir;
  const std::string file = dir / "players.dat";
  constexpr int kSaves = 3;
  bool finished = false;
  for (int step = 1; !finished && step < 100; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    ASSERT_TRUE(Roster(dir, 0)->Save(file));
    fs::remove(file + ".bak");
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    if (child == 0) {
      dup2(out[1], 2);
      SetProgressFault({.killAtStep = step});
      for (int n = 1; n <= kSaves; ++n) Roster(dir, n)->Save(file);
      _exit(0);
    }
    close(out[1]);
    char text[100] = {};
    const ssize_t got = read(out[0], text, sizeof text - 1);
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    finished = WIFEXITED(status);
    int save = kSaves;  // the save the kill cut short: its roster or the one before
    if (!finished) {
      ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
      ASSERT_GT(got, 0);
      ASSERT_EQ(std::sscanf(text, "QUARRY_FAULT: killed in save %d", &save), 1) << text;
    }
    TPlayers players;
    ASSERT_EQ(players.LoadProgress(file).outcome, ProgressLoad::kLoaded);
    const std::string now = Describe(players);
    EXPECT_TRUE(now == Describe(*Roster(dir, save)) || now == Describe(*Roster(dir, save - 1))) << now;
    for (const std::string& name : Names(dir.Path())) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
  }
  EXPECT_TRUE(finished);
}

// While this game holds its folder, another cannot take it (the other way
// round: the "second game" case of Progress.StopsAreShownOnScreenAndTouchNothing).
TEST(Players, FolderLockIsExclusive) {
  TempDir dir;
  std::string error;
  ASSERT_TRUE(LockFolder(dir.Path(), error));
  const int again = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
  EXPECT_NE(flock(again, LOCK_EX | LOCK_NB), 0);
  close(again);
}

}  // namespace
}  // namespace quarry
