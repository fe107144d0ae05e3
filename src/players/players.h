// The player roster: every player's name and, per level pack the player has
// chosen, one state byte per map (locked, open, completed). The menus load it
// at their start and save it to "players.dat" after every change; the file is
// a MAD archive with the members "p" (names) and "l" (progress records).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quarry {

class TMad;

constexpr int kMaxPlayers = 256;
constexpr int kMaxLevelPacks = 256;
constexpr size_t kPlayerNameLength = 30;
constexpr size_t kPackProgressSize = 520;

enum MapState : uint8_t { kMapLocked = 0, kMapOpen = 1, kMapCompleted = 2 };

// One level pack of one player, 520 bytes in memory and on file.
struct PackProgress {
  std::array<uint8_t, 256> FileName{};  // length byte, then up to 255 characters
  int32_t FileSize = 0;                 // kept, never read back
  uint32_t FileCrc = 0;                 // kept, never read back
  std::array<uint8_t, 256> MapStates{};

  std::string Name() const;
  void SetName(const std::string& name);
  void AppendTo(std::vector<uint8_t>& bytes) const;
  static PackProgress From(const uint8_t* record);
};

// How LoadProgress found the file.
struct ProgressLoad {
  enum Outcome { kLoaded, kMissing, kFromBackup, kStartedEmpty } outcome = kMissing;
  std::string movedTo;  // where the damaged file went
};

struct PlayerRecord {
  std::string Name;
  std::vector<std::unique_ptr<PackProgress>> Packs;
};

class TPlayers {
public:
  TPlayers() = default;
  TPlayers(const TPlayers&) = delete;
  TPlayers& operator=(const TPlayers&) = delete;

  // Fills the empty roster from the file, with no other effect. True when
  // the file is missing (the roster stays empty) or sound; false, with the
  // roster empty, when it is damaged or cannot be read.
  bool Load(const std::string& fileName);
  // The same from an archive already open. The file is sound when both
  // members decode whole, start with "PLAY" and "LEVP", and hold exactly the
  // players and records their counts say, within the roster's limits.
  bool Load(TMad& archive);
  // What the game does at its start: Load, except that a file that exists
  // but cannot be read stops the program (it must not be written over), and
  // a damaged file is moved aside and replaced by the sound backup, if any.
  ProgressLoad LoadProgress(const std::string& fileName);
  // Writes the whole roster atomically, keeping the previous file as
  // fileName + ".bak"; false (old file untouched, error logged and given in
  // *error) when it could not be written.
  bool Save(const std::string& fileName, std::string* error = nullptr) const;

  int16_t Count() const { return static_cast<int16_t>(players_.size()); }
  std::string GetPlayerName(int index) const;
  // The index of the new player, or -1 when the roster is full. The name is
  // kept blank-padded (or cut) to 30 characters.
  int AddPlayer(const std::string& name);
  // The first player whose trimmed name equals the trimmed argument (case
  // counts), or -1.
  int FindPlayerByName(const std::string& name) const;
  bool DeletePlayer(const std::string& name);
  // Removes the player at that position (names may repeat, positions do
  // not); false, with a log line, for a position outside the roster.
  bool DeletePlayerAt(int index);

  int PackCount(int player) const;
  // The pack's index in the player's list (exact name, case counts), or -1.
  int GetLevelPackIndex(int player, const std::string& packName) const;
  // Adds a record with every map locked, the file's size and CRC-32; -1 when
  // the player, the file or room for another pack is missing.
  int AddLevelPack(int player, const std::string& packName);
  // Indices outside the roster read as locked and are not written.
  uint8_t GetMapState(int player, int pack, uint8_t map) const;
  void SetMapState(int player, int pack, uint8_t map, uint8_t state);

private:
  PackProgress* Pack(int player, int pack) const;

  std::vector<PlayerRecord> players_;
};

}  // namespace quarry
