// Any bytes as a "players.dat" image: the roster loads within its bounds and
// every loaded record reads back; a missing member is a stop, observed as an
// exception.
#include <string>

#include "archive/mad.h"
#include "core/program.h"
#include "players/players.h"

namespace {
struct Stop {};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool installed = [] {
    quarry::SetStopHandler([](const std::string&, const std::string&) { throw Stop{}; });
    return true;
  }();
  (void)installed;
  try {
    quarry::TMad archive("players.dat", std::vector<uint8_t>(data, data + size));
    archive.DecodeLimit = size_t{1} << 20;
    quarry::TPlayers players;
    players.Load(archive);
    if (players.Count() < 0 || players.Count() > quarry::kMaxPlayers) __builtin_trap();
    for (int i = 0; i < players.Count(); ++i) {
      if (players.GetPlayerName(i).size() > quarry::kPlayerNameLength) __builtin_trap();
      if (players.PackCount(i) > quarry::kMaxLevelPacks) __builtin_trap();
      for (int j = 0; j < players.PackCount(i); ++j) players.GetMapState(i, j, 255);
    }
  } catch (const Stop&) {
  }
  return 0;
}
