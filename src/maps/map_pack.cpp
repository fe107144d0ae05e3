#include "maps/map_pack.h"

#include <cstdio>
#include <fstream>

#include "archive/mad.h"
#include "core/log.h"

namespace quarry {

namespace {
const char* const kLoadTag = "MAP, TMaps.Load";
// MapCount is a signed 16-bit number.
constexpr int kMaxMaps = 32767;
}  // namespace

std::string MapMemberName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "%03d.mpp", number);
  return name;
}

bool TMaps::Load(const std::string& fileName) {
  if (!std::ifstream(fileName, std::ios::binary).is_open()) {
    LogError("Can't open map file! (" + fileName + ")", kLoadTag);
    return false;
  }
  LogStatus("Loading map file (" + fileName + ")", kLoadTag);
  {
    TMad archive(fileName);
    while (Count() < kMaxMaps) {
      std::string member = MapMemberName(Count() + 1);
      if (!archive.HasFile(member)) break;
      auto map = std::make_unique<TXMap>();
      map->LoadFromMad(member, archive);
      // The cave always reads a 20 x 12 grid through the record's own width;
      // a smaller record would send it outside the layers.
      if (map->Width < kCaveWidth || map->Height < kCaveHeight) {
        LogWarning("Map " + std::to_string(Count() + 1) + " is smaller than 20 x 12 (" + std::to_string(map->Width) +
                       " x " + std::to_string(map->Height) + "), padded with walls.",
                   kLoadTag);
        map->PadTo(kCaveWidth, kCaveHeight, '#');
      }
      mapList_.push_back(std::move(map));
    }
  }
  LogStatus(std::to_string(Count()) + " maps loaded.", kLoadTag);
  return true;
}

std::string TMaps::GetMapName(int index) const {
  if (index < 0 || index >= Count()) return {};
  return mapList_[static_cast<size_t>(index)]->MapName;
}

std::string TMaps::GetMapAuthor(int index) const {
  if (index < 0 || index >= Count()) return {};
  return mapList_[static_cast<size_t>(index)]->Author;
}

}  // namespace quarry
