// The maps of one level pack: members "001.mpp", "002.mpp", ... of a MAD
// archive, each loaded into a TXMap record in pack order. The running cave
// builds on top of this (it activates one of the records).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "maps/xmap.h"

namespace quarry {

// The playfield every record must cover; smaller records are padded.
constexpr uint8_t kCaveWidth = 20;
constexpr uint8_t kCaveHeight = 12;

// Member name of map number (1-based): at least three digits, then ".mpp".
std::string MapMemberName(int number);

class TMaps {
public:
  TMaps() = default;
  virtual ~TMaps() = default;
  TMaps(const TMaps&) = delete;
  TMaps& operator=(const TMaps&) = delete;

  // True when the pack file was found and read (even with no maps in it),
  // false when it cannot be opened. Appends to the maps already held.
  bool Load(const std::string& fileName);

  // Number of maps held (MapCount).
  int16_t Count() const { return static_cast<int16_t>(mapList_.size()); }
  // Record of map index (0-based, pack order); index must be below Count().
  TXMap& Map(int index) { return *mapList_.at(static_cast<size_t>(index)); }
  const TXMap& Map(int index) const { return *mapList_.at(static_cast<size_t>(index)); }
  // MapName / Author of map index; "" for an index outside the list.
  std::string GetMapName(int index) const;
  std::string GetMapAuthor(int index) const;

  // Appends a record (the loader uses it; tests and tools may too).
  void Append(std::unique_ptr<TXMap> map) { mapList_.push_back(std::move(map)); }

protected:
  std::vector<std::unique_ptr<TXMap>> mapList_;
};

}  // namespace quarry
