// quarry-replay: plays a solution on a map without a display and says whether
// and on which tick the map is completed. The same rules and frame counting
// as the game, so its answer is the game's answer.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "archive/mad.h"
#include "core/random.h"
#include "core/stream.h"
#include "game/cave.h"
#include "game/images.h"
#include "game/replay.h"
#include "game/solution.h"
#include "graphics/image_sizes.h"
#include "graphics/variant_table.h"
#include "maps/map_pack.h"
#include "maps/map_source.h"
#include "maps/xmap.h"

namespace quarry {
namespace {

constexpr int kExitCompleted = 0;
constexpr int kExitNotCompleted = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: quarry-replay [--seed N] [--data DIR] [--dump] [--trace] (PACK.qs MAPNUMBER | MAPFILE) "
    "[SOLUTION]\n"
    "       quarry-replay --to-script [--first-pump N] SOLUTION\n"
    "MAPNUMBER counts from 1. MAPFILE is an XMAP file or a text map source; without\n"
    "SOLUTION the text map's own solution: lines are played.\n";

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

bool ParseNumber(const char* text, uint32_t& value) {
  char* end = nullptr;
  unsigned long parsed = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0' || parsed > 0xFFFFFFFFul || text[0] == '-') return false;
  value = static_cast<uint32_t>(parsed);
  return true;
}

// Image sizes as the game would see them, or the stand-in without data.
TImageTable LoadImages(const std::string& dataDir) {
  std::filesystem::path mad = std::filesystem::path(dataDir) / "quarry.mad";
  if (!std::filesystem::is_regular_file(mad)) {
    std::cerr << "quarry-replay: no " << mad.string()
              << "; assuming 32 x 32 images with 4-frame strips for \"!\", \"!1\" and \"!2\"\n";
    return TImageTable::Fallback();
  }
  TMad archive(mad.string());
  TImageSizes sizes(32);
  sizes.LoadList("blocks.lst", archive);
  BuildVariantTable([&](const std::string& name) { return sizes.Find(name) != nullptr; });
  return TImageTable::FromSizes(sizes, VariantTable);
}

// MAPFILE: an XMAP file ("MAP" and a form byte) or a text map source.
bool LoadMapFile(const std::string& path, TMaps& maps, std::string& embeddedSolution) {
  std::string text;
  if (!ReadFile(path, text)) {
    std::cerr << "quarry-replay: cannot read " << path << "\n";
    return false;
  }
  auto map = std::make_unique<TXMap>();
  if (text.compare(0, 3, "MAP") == 0) {
    TMemoryStream stream(text.data(), text.size());
    map->Load(stream);
    if (!map->Loaded) {
      std::cerr << "quarry-replay: " << path << ": no map cells (" << map->Status << ")\n";
      return false;
    }
  } else {
    TMapSource source;
    std::vector<TSourceProblem> problems;
    ParseMapSource(text, source, problems);
    for (const auto& problem : problems) {
      std::cerr << path << ":" << problem.Line << ": " << problem.Message << "\n";
    }
    // Rule checks (one player, a framed border) are the pack builder's; the
    // verifier plays any map whose grid is complete.
    bool gridComplete = source.Rows.size() == kCaveHeight;
    for (const auto& row : source.Rows) gridComplete = gridComplete && row.size() == kCaveWidth;
    if (!gridComplete) {
      std::cerr << "quarry-replay: " << path << ": not a map of 12 rows of 20 cells\n";
      return false;
    }
    *map = MapSourceToXMap(source);
    embeddedSolution = source.Solution;
  }
  if (map->Width < kCaveWidth || map->Height < kCaveHeight) map->PadTo(kCaveWidth, kCaveHeight, '#');
  maps.Append(std::move(map));
  return true;
}

std::string Join(const std::vector<std::string>& items, size_t from) {
  std::string text;
  for (size_t i = from; i < items.size(); ++i) text += (i > from ? ", " : "") + items[i];
  return text;
}

int Run(int argc, char** argv) {
  uint32_t seed = 0;
  uint32_t firstPump = 1;
  std::string dataDir = ".";
  bool dump = false;
  bool trace = false;
  bool toScript = false;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--seed" || arg == "--first-pump" || arg == "--data") && i + 1 < argc) {
      const char* value = argv[++i];
      if (arg == "--data") {
        dataDir = value;
      } else if (!ParseNumber(value, arg == "--seed" ? seed : firstPump)) {
        std::cerr << "quarry-replay: " << arg << " needs a number\n" << kUsage;
        return kExitUsage;
      }
    } else if (arg == "--dump") {
      dump = true;
    } else if (arg == "--trace") {
      trace = true;
    } else if (arg == "--to-script") {
      toScript = true;
    } else if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return kExitCompleted;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      std::cerr << "quarry-replay: unknown option " << arg << "\n" << kUsage;
      return kExitUsage;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty() || positional.size() > 3) {
    std::cerr << kUsage;
    return kExitUsage;
  }

  TMaps maps;
  std::string solutionText;
  int mapIndex = 0;
  if (toScript) {
    if (!ReadFile(positional.back(), solutionText)) {
      std::cerr << "quarry-replay: cannot read " << positional.back() << "\n";
      return kExitUsage;
    }
  } else if (positional.size() == 3) {
    uint32_t number = 0;
    if (!ParseNumber(positional[1].c_str(), number) || number == 0) {
      std::cerr << "quarry-replay: MAPNUMBER counts from 1\n";
      return kExitUsage;
    }
    if (!std::filesystem::is_regular_file(positional[0]) || !maps.Load(positional[0])) {
      std::cerr << "quarry-replay: cannot open the pack " << positional[0] << "\n";
      return kExitUsage;
    }
    if (number > static_cast<uint32_t>(maps.Count())) {
      std::cerr << "quarry-replay: the pack holds " << maps.Count() << " maps\n";
      return kExitUsage;
    }
    mapIndex = static_cast<int>(number - 1);
    if (!ReadFile(positional[2], solutionText)) {
      std::cerr << "quarry-replay: cannot read " << positional[2] << "\n";
      return kExitUsage;
    }
  } else {
    std::string embedded;
    if (!LoadMapFile(positional[0], maps, embedded)) return kExitUsage;
    if (positional.size() == 2) {
      if (!ReadFile(positional[1], solutionText)) {
        std::cerr << "quarry-replay: cannot read " << positional[1] << "\n";
        return kExitUsage;
      }
    } else {
      solutionText = embedded;
    }
  }

  TSolution solution = ParseSolution(solutionText);
  if (!solution.Error.empty()) {
    std::cerr << "quarry-replay: solution " << solution.Error << "\n";
    return kExitUsage;
  }
  if (toScript) {
    std::cout << SolutionToScript(solution.Moves, firstPump);
    return kExitCompleted;
  }

  TImageTable images = LoadImages(dataDir);
  TSoundRecorder sounds;
  TCave cave(maps, images, sounds);
  TPlaySession session(cave, mapIndex);
  Randomize(seed);
  size_t heard = 0;
  auto newSounds = [&]() {
    std::string text;
    if (sounds.Sounds.size() > heard) text = "; sounds: " + Join(sounds.Sounds, heard);
    heard = sounds.Sounds.size();
    return text;
  };
  TReplayResult result = RunSolution(
      session, solution.Moves,
      [&](uint32_t tick, PlayerAction action, bool restarted) {
        if (!trace) return;
        std::cout << "tick " << tick << ": " << PlayerActionName(action) << newSounds()
                  << (restarted ? "; attempt over" : "") << "\n";
      },
      [&](uint32_t attempt) {
        // An attempt's own sounds: a map without diamonds opens its exits at once.
        if (trace) std::cout << "attempt " << attempt << " starts" << newSounds() << "\n";
      });
  if (result.Completed) {
    std::cout << "completed at tick " << result.Ticks << "\n";
  } else {
    std::cout << "not completed after " << result.Ticks << " ticks: " << result.DiamondsLeft
              << " diamonds left, player " << PlayerFateName(result.Fate) << "\n";
  }
  if (dump) std::cout << DumpGrid(cave);
  return result.Completed ? kExitCompleted : kExitNotCompleted;
}

}  // namespace
}  // namespace quarry

int main(int argc, char** argv) { return quarry::Run(argc, argv); }
