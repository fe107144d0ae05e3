// The roster and its "players.dat": the exact member bytes, the round trip,
// the lookups' rules, and damaged files.
#include <gtest/gtest.h>

#include <stdexcept>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "core/program.h"
#include "players/crc32.h"
#include "players/players.h"
#include "test_support.h"

namespace quarry {
namespace {

using Bytes = std::vector<uint8_t>;

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

TEST(Players, MissingForeignAndDamagedFiles) {
  TempDir dir;
  LogCapture log;
  EXPECT_EQ(Loaded(dir / "players.dat")->Count(), 0);
  EXPECT_TRUE(log.lines.empty());  // a missing file is silent

  // Writes the members ("l" only when given) and loads the file.
  auto load = [&](const Bytes& p, const Bytes& l) {
    TMADWrite w(dir / "players.dat");
    w.AddBytes(p, "p");
    if (!l.empty()) w.AddBytes(l, "l");
    w.Done();
    return Loaded(dir / "players.dat");
  };
  EXPECT_EQ(load({'P', 'L', 'A', 'X', 1, 0}, {'L', 'E', 'V', 'P'})->Count(), 0);
  EXPECT_EQ(load({'P', 'L', 'A', 'Y', 1, 0}, {'L', 'E', 'V', 'Q'})->Count(), 0);
  // Counts far beyond the data: only whole entries load.
  Bytes p{'P', 'L', 'A', 'Y', 0xFF, 0x7F};
  for (const char* name : {"Ann", "Ben"}) {
    const std::string fixed = name + std::string(27, ' ');
    p.insert(p.end(), fixed.begin(), fixed.end());
    p.insert(p.end(), {0xFF, 0x7F});  // 32767 packs each
  }
  p.insert(p.end(), {'C', 'y'});  // a cut entry
  Bytes l{'L', 'E', 'V', 'P'};
  l.resize(4 + 3 * kPackProgressSize + 100, 1);
  auto loaded = load(p, l);
  EXPECT_EQ(loaded->Count(), 2);
  EXPECT_EQ(loaded->PackCount(0), 3);
  EXPECT_EQ(loaded->PackCount(1), 0);
  // A negative count is an empty roster.
  EXPECT_EQ(load({'P', 'L', 'A', 'Y', 0x00, 0x80}, {'L', 'E', 'V', 'P'})->Count(), 0);

  // Without member "l" the archive reader stops; here that throws.
  SetStopHandler([](const std::string& message, const std::string&) { throw std::runtime_error(message); });
  EXPECT_THROW(load({'P', 'L', 'A', 'Y', 0, 0}, {}), std::runtime_error);
  SetStopHandler(nullptr);
}

}  // namespace
}  // namespace quarry
