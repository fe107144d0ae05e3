// Any bytes as a "players.dat" image: the roster loads whole or not at all,
// within its bounds, and every loaded record reads back. Nothing stops.
#include <string>

#include "archive/mad.h"
#include "core/program.h"
#include "players/players.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Damage is never a stop here: a stop is a fault.
  static const bool installed = [] {
    quarry::SetStopHandler([](const std::string&, const std::string&) { __builtin_trap(); });
    return true;
  }();
  (void)installed;
  quarry::TMad archive("players.dat", std::vector<uint8_t>(data, data + size));
  archive.DecodeLimit = size_t{1} << 20;
  quarry::TPlayers players;
  if (!players.Load(archive) && players.Count() != 0) __builtin_trap();
  if (players.Count() < 0 || players.Count() > quarry::kMaxPlayers) __builtin_trap();
  for (int i = 0; i < players.Count(); ++i) {
    if (players.GetPlayerName(i).size() > quarry::kPlayerNameLength) __builtin_trap();
    if (players.PackCount(i) > quarry::kMaxLevelPacks) __builtin_trap();
    for (int j = 0; j < players.PackCount(i); ++j) players.GetMapState(i, j, 255);
  }
  return 0;
}
