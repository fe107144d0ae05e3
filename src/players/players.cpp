#include "players/players.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "core/bytes.h"
#include "core/log.h"
#include "core/program.h"
#include "core/stream.h"
#include "core/text.h"
#include "players/crc32.h"
#include "players/progress_file.h"

namespace quarry {
namespace {

constexpr const char* kDeleteTag = "PLAYERS, TPlayers.DeletePlayer";
constexpr const char* kDeleteAtTag = "PLAYERS, TPlayers.DeletePlayerAt";
constexpr const char* kNameTag = "PLAYERS, TPlayers.GetPlayerName";
constexpr const char* kPackIndexTag = "PLAYERS, GetLevelPackIndex";
constexpr const char* kAddPackTag = "PLAYERS, AddLevelPack";
constexpr const char* kLoadTag = "PLAYERS, TPlayers.Load";
constexpr const char* kSaveTag = "PLAYERS, TPlayers.Save";

// The roster's own limits bound what a sound file can hold: 256 players of
// 30-byte names and 2-byte pack counts, 256 records of 520 bytes each.
constexpr size_t kNameEntrySize = kPlayerNameLength + 2;
constexpr size_t kMaxNamesSize = 6 + kNameEntrySize * kMaxPlayers;
constexpr uint64_t kMaxFileSize = uint64_t{64} << 20;

// Reads one member, true only when it decoded whole to its real size. The
// layers inside a stream may be somewhat larger than its result, never twice.
bool ReadWhole(TMad& archive, const MadEntry& entry, std::vector<uint8_t>& bytes) {
  const size_t limit = archive.DecodeLimit;
  archive.DecodeLimit = std::min<size_t>(limit, size_t{2} * entry.realSize + 1024);
  bool intact = false;
  const bool read = archive.ReadEntry(entry, bytes, &intact);
  archive.DecodeLimit = limit;
  return read && intact;
}

// The name as it stands in the file: 30 bytes, blank-padded or cut.
std::string FixedName(const std::string& name) {
  return (name + std::string(kPlayerNameLength, ' ')).substr(0, kPlayerNameLength);
}

bool FileExists(const std::string& fileName) {
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

}  // namespace

std::string PackProgress::Name() const {
  return std::string(FileName.begin() + 1, FileName.begin() + 1 + FileName[0]);
}

void PackProgress::SetName(const std::string& name) {
  const std::string text = ShortText(name);
  FileName.fill(0);
  FileName[0] = static_cast<uint8_t>(text.size());
  std::memcpy(FileName.data() + 1, text.data(), text.size());
}

void PackProgress::AppendTo(std::vector<uint8_t>& bytes) const {
  bytes.insert(bytes.end(), FileName.begin(), FileName.end());
  PutU32(bytes, static_cast<uint32_t>(FileSize));
  PutU32(bytes, FileCrc);
  bytes.insert(bytes.end(), MapStates.begin(), MapStates.end());
}

PackProgress PackProgress::From(const uint8_t* record) {
  PackProgress p;
  std::memcpy(p.FileName.data(), record, 256);
  p.FileSize = static_cast<int32_t>(U32At(record + 256));
  p.FileCrc = U32At(record + 260);
  std::memcpy(p.MapStates.data(), record + 264, 256);
  return p;
}

bool TPlayers::Load(const std::string& fileName) {
  players_.clear();
  std::vector<uint8_t> image;
  std::string error;
  switch (ReadWholeFile(fileName, image, error, kMaxFileSize)) {
    case FileRead::kMissing:
      return true;
    case FileRead::kUnreadable:
      return false;
    case FileRead::kOk:
      break;
  }
  if (image.size() > kMaxFileSize) return false;
  TMad archive(fileName, std::move(image));
  return Load(archive);
}

bool TPlayers::Load(TMad& archive) {
  players_.clear();
  if (!archive.IndexIntact()) return false;
  const int pAt = archive.Find("p"), lAt = archive.Find("l");
  if (pAt < 0 || lAt < 0) return false;
  // Sizes are checked against what the counts allow before anything is
  // decoded, so a small file cannot make the game take hundreds of MiB.
  std::vector<uint8_t> p, l;
  const MadEntry& names = archive.Entries()[static_cast<size_t>(pAt)];
  if (names.realSize > kMaxNamesSize || !ReadWhole(archive, names, p)) return false;
  if (p.size() < 6 || std::memcmp(p.data(), "PLAY", 4) != 0) return false;
  const int count = static_cast<int16_t>(p[4] | (p[5] << 8));
  if (count < 0 || count > kMaxPlayers || p.size() != 6 + kNameEntrySize * static_cast<size_t>(count))
    return false;
  size_t records = 0;
  for (int i = 0; i < count; ++i) {
    const uint8_t* entry = p.data() + 6 + kNameEntrySize * static_cast<size_t>(i);
    const int packs = static_cast<int16_t>(entry[30] | (entry[31] << 8));
    if (packs < 0 || packs > kMaxLevelPacks) return false;
    records += static_cast<size_t>(packs);
  }
  const MadEntry& progress = archive.Entries()[static_cast<size_t>(lAt)];
  if (progress.realSize != 4 + records * kPackProgressSize || !ReadWhole(archive, progress, l)) return false;
  if (std::memcmp(l.data(), "LEVP", 4) != 0) return false;

  size_t levelAt = 4;
  for (int i = 0; i < count; ++i) {
    const uint8_t* entry = p.data() + 6 + kNameEntrySize * static_cast<size_t>(i);
    PlayerRecord player;
    player.Name = Trim(std::string(entry, entry + kPlayerNameLength));
    const int packs = static_cast<int16_t>(entry[30] | (entry[31] << 8));
    for (int j = 0; j < packs; ++j, levelAt += kPackProgressSize)
      player.Packs.push_back(std::make_unique<PackProgress>(PackProgress::From(l.data() + levelAt)));
    players_.push_back(std::move(player));
  }
  return true;
}

ProgressLoad TPlayers::LoadProgress(const std::string& fileName) {
  ProgressLoad result;
  players_.clear();
  RemoveStaleTemporaries(fileName);
  std::vector<uint8_t> image;
  std::string error;
  switch (ReadWholeFile(fileName, image, error, kMaxFileSize)) {
    case FileRead::kMissing:
      return result;
    case FileRead::kUnreadable:
      // Starting empty would replace everyone's progress at the next save.
      StopMissingData("Error accessing " + fileName + " (" + error + ")", kLoadTag);
    case FileRead::kOk:
      break;
  }
  if (image.size() <= kMaxFileSize) {
    TMad archive(fileName, std::move(image));
    if (Load(archive)) {
      result.outcome = ProgressLoad::kLoaded;
      return result;
    }
  }
  result.movedTo = MoveAside(fileName, error);
  if (result.movedTo.empty())
    StopMissingData(fileName + " is damaged and could not be moved aside (" + error + ")", kLoadTag);
  LogError(fileName + " is damaged; moved to " + result.movedTo, kLoadTag);

  const std::string backup = fileName + ".bak";
  std::error_code ec;
  if (std::filesystem::exists(backup, ec) && Load(backup)) {
    LogWarning("Loaded the backup " + backup, kLoadTag);
    result.outcome = ProgressLoad::kFromBackup;
    return result;
  }
  // A damaged backup is kept too: the next saves would replace it.
  if (std::filesystem::exists(backup, ec)) {
    const std::string moved = MoveAside(backup, error);
    if (!moved.empty()) LogError(backup + " is damaged; moved to " + moved, kLoadTag);
  }
  LogError("No sound backup: the roster starts empty", kLoadTag);
  result.outcome = ProgressLoad::kStartedEmpty;
  return result;
}

bool TPlayers::Save(const std::string& fileName, std::string* error) const {
  std::vector<uint8_t> p{'P', 'L', 'A', 'Y'};
  PutU16(p, static_cast<uint16_t>(players_.size()));
  std::vector<uint8_t> l{'L', 'E', 'V', 'P'};
  for (const PlayerRecord& player : players_) {
    for (const auto& pack : player.Packs) pack->AppendTo(l);
    const std::string name = FixedName(player.Name);
    p.insert(p.end(), name.begin(), name.end());
    PutU16(p, static_cast<uint16_t>(player.Packs.size()));
  }
  TMemoryStream image;
  {
    TMADWrite archive(fileName, image);
    archive.AddBytes(p, "p");
    archive.AddBytes(l, "l");
    archive.Done();
  }
  std::string why;
  if (WriteFileAtomically(fileName, image.Bytes(), why)) return true;
  LogError("Could not save " + fileName + " (" + why + ")", kSaveTag);
  if (error) *error = why;
  return false;
}

std::string TPlayers::GetPlayerName(int index) const {
  if (index < 0 || index >= Count()) {
    LogError("Index out of range! (" + std::to_string(index) + ")", kNameTag);
    return {};
  }
  return players_[static_cast<size_t>(index)].Name;
}

int TPlayers::AddPlayer(const std::string& name) {
  if (players_.size() >= kMaxPlayers) return -1;
  players_.push_back(PlayerRecord{FixedName(name), {}});
  return static_cast<int>(players_.size()) - 1;
}

int TPlayers::FindPlayerByName(const std::string& name) const {
  const std::string wanted = Trim(name);
  for (size_t i = 0; i < players_.size(); ++i)
    if (Trim(players_[i].Name) == wanted) return static_cast<int>(i);
  return -1;
}

bool TPlayers::DeletePlayer(const std::string& name) {
  const int i = FindPlayerByName(name);
  if (i < 0) {
    LogError("Player does not exist! (" + name + ")", kDeleteTag);
    return false;
  }
  players_.erase(players_.begin() + i);
  return true;
}

bool TPlayers::DeletePlayerAt(int index) {
  if (index < 0 || index >= Count()) {
    LogError("Index out of range! (" + std::to_string(index) + ")", kDeleteAtTag);
    return false;
  }
  players_.erase(players_.begin() + index);
  return true;
}

int TPlayers::PackCount(int player) const {
  if (player < 0 || player >= Count()) return 0;
  return static_cast<int>(players_[static_cast<size_t>(player)].Packs.size());
}

int TPlayers::GetLevelPackIndex(int player, const std::string& packName) const {
  if (player < 0 || player > Count() - 1) {
    LogWarning("Index out of range! (" + std::to_string(player) + ")", kPackIndexTag);
    return -1;
  }
  const auto& packs = players_[static_cast<size_t>(player)].Packs;
  for (size_t j = 0; j < packs.size(); ++j)
    if (packs[j]->Name() == packName) return static_cast<int>(j);
  return -1;
}

int TPlayers::AddLevelPack(int player, const std::string& packName) {
  if (player < 0 || player > Count() - 1) {
    LogWarning("Index out of range! (" + std::to_string(player) + ")", kAddPackTag);
    return -1;
  }
  uint32_t crc = 0;
  if (!FileExists(packName) || !FileCrc32(packName, crc)) {
    LogWarning("Level pack file not found! (" + packName + ")", kAddPackTag);
    return -1;
  }
  auto& packs = players_[static_cast<size_t>(player)].Packs;
  // A player keeps at most 256 packs.
  if (packs.size() >= kMaxLevelPacks) return -1;
  auto pack = std::make_unique<PackProgress>();
  pack->SetName(packName);
  std::FILE* f = std::fopen(packName.c_str(), "rb");
  if (f && std::fseek(f, 0, SEEK_END) == 0) pack->FileSize = static_cast<int32_t>(std::ftell(f));
  if (f) std::fclose(f);
  pack->FileCrc = crc;
  packs.push_back(std::move(pack));
  return static_cast<int>(packs.size()) - 1;
}

PackProgress* TPlayers::Pack(int player, int pack) const {
  if (player < 0 || player >= Count()) return nullptr;
  const auto& packs = players_[static_cast<size_t>(player)].Packs;
  if (pack < 0 || static_cast<size_t>(pack) >= packs.size()) return nullptr;
  return packs[static_cast<size_t>(pack)].get();
}

uint8_t TPlayers::GetMapState(int player, int pack, uint8_t map) const {
  const PackProgress* p = Pack(player, pack);
  return p ? p->MapStates[map] : uint8_t{kMapLocked};
}

void TPlayers::SetMapState(int player, int pack, uint8_t map, uint8_t state) {
  if (PackProgress* p = Pack(player, pack)) p->MapStates[map] = state;
}

}  // namespace quarry
