#include "players/players.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "core/bytes.h"
#include "core/log.h"
#include "core/text.h"
#include "players/crc32.h"

namespace quarry {
namespace {

constexpr const char* kDeleteTag = "PLAYERS, TPlayers.DeletePlayer";
constexpr const char* kDeleteAtTag = "PLAYERS, TPlayers.DeletePlayerAt";
constexpr const char* kNameTag = "PLAYERS, TPlayers.GetPlayerName";
constexpr const char* kPackIndexTag = "PLAYERS, GetLevelPackIndex";
constexpr const char* kAddPackTag = "PLAYERS, AddLevelPack";

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

void TPlayers::Load(const std::string& fileName) {
  if (!FileExists(fileName)) return;
  TMad archive(fileName);
  Load(archive);
}

void TPlayers::Load(TMad& archive) {
  const std::vector<uint8_t> p = archive.OpenPointer("p");
  if (p.size() < 4 || std::memcmp(p.data(), "PLAY", 4) != 0) return;
  const std::vector<uint8_t> l = archive.OpenPointer("l");
  if (l.size() < 4 || std::memcmp(l.data(), "LEVP", 4) != 0) return;
  // A damaged file may claim any counts or end early: only whole entries are
  // read, at most 256 players and 256 packs each. The records of packs past
  // 256 are skipped so the following players keep their own.
  const int count = p.size() >= 6 ? static_cast<int16_t>(p[4] | (p[5] << 8)) : 0;
  size_t at = 6;
  size_t levelAt = 4;
  for (int i = 0; i < count && players_.size() < kMaxPlayers; ++i) {
    if (p.size() - std::min(p.size(), at) < kPlayerNameLength + 2) break;
    PlayerRecord player;
    player.Name = Trim(std::string(p.begin() + static_cast<std::ptrdiff_t>(at),
                                   p.begin() + static_cast<std::ptrdiff_t>(at + kPlayerNameLength)));
    const int packs = static_cast<int16_t>(p[at + 30] | (p[at + 31] << 8));
    at += kPlayerNameLength + 2;
    for (int j = 0; j < packs; ++j, levelAt += kPackProgressSize) {
      if (l.size() - std::min(l.size(), levelAt) < kPackProgressSize) break;
      if (j < kMaxLevelPacks)
        player.Packs.push_back(std::make_unique<PackProgress>(PackProgress::From(l.data() + levelAt)));
    }
    players_.push_back(std::move(player));
  }
}

bool TPlayers::Save(const std::string& fileName) const {
  std::vector<uint8_t> p{'P', 'L', 'A', 'Y'};
  PutU16(p, static_cast<uint16_t>(players_.size()));
  std::vector<uint8_t> l{'L', 'E', 'V', 'P'};
  for (const PlayerRecord& player : players_) {
    for (const auto& pack : player.Packs) pack->AppendTo(l);
    const std::string name = FixedName(player.Name);
    p.insert(p.end(), name.begin(), name.end());
    PutU16(p, static_cast<uint16_t>(player.Packs.size()));
  }
  TMADWrite archive(fileName);
  archive.AddBytes(p, "p");
  archive.AddBytes(l, "l");
  return archive.Done();
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
