// Writes the seed corpus of fuzz_players: rosters of a few sizes as
// "players.dat" images, made with the archive writer.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "archive/mad_write.h"
#include "players/players.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: seeds_players OUT\n";
    return 2;
  }
  const fs::path dir = fs::path(argv[1]) / "fuzz_players";
  fs::create_directories(dir);
  for (int players = 0; players <= 3; ++players) {
    std::vector<uint8_t> p{'P', 'L', 'A', 'Y', static_cast<uint8_t>(players), 0};
    std::vector<uint8_t> l{'L', 'E', 'V', 'P'};
    for (int i = 0; i < players; ++i) {
      const std::string name = ("Player " + std::to_string(i) + std::string(30, ' ')).substr(0, 30);
      p.insert(p.end(), name.begin(), name.end());
      p.insert(p.end(), {static_cast<uint8_t>(i), 0});
      for (int j = 0; j < i; ++j) {
        quarry::PackProgress pack;
        pack.SetName("pack" + std::to_string(j) + ".qs");
        pack.MapStates[0] = quarry::kMapOpen;
        pack.AppendTo(l);
      }
    }
    quarry::TMADWrite w((dir / ("seed" + std::to_string(players))).string());
    w.AddBytes(p, "p");
    w.AddBytes(l, "l");
    w.Done();
  }
  std::cout << "seeds written to " << argv[1] << "\n";
  return 0;
}
