// quarry-replay: plays a solution on a map without a display and says whether
// and on which tick the map is completed. The same rules and frame counting
// as the game, so its answer is the game's answer. It also draws a map's start
// or a strip of a solution's frames as PNG pictures.
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
#include "game/screen/cave_picture.h"
#include "game/solution.h"
#include "graphics/image_sizes.h"
#include "graphics/variant_table.h"
#include "maps/map_pack.h"
#include "maps/map_source.h"
#include "maps/xmap.h"
#include "output_file.h"

namespace quarry {
namespace {

constexpr int kExitCompleted = 0;
constexpr int kExitNotCompleted = 1;
constexpr int kExitUsage = 2;

// A script names pumps with at most nine digits.
constexpr uint64_t kLastScriptPump = 999999999;
// A strip bigger than this is no longer a picture anyone looks at.
constexpr uint32_t kMaxStripFrames = 64;
constexpr int kStripColumns = 4;

const char* const kUsage =
    "usage: quarry-replay [--seed N] [--data DIR] [--dump] [--trace] (PACK.qs MAPNUMBER | MAPFILE) "
    "[SOLUTION]\n"
    "       quarry-replay --png OUT.png [--seed N] [--data DIR] (PACK.qs MAPNUMBER | MAPFILE)\n"
    "       quarry-replay --strip OUT.png --every K [--seed N] [--data DIR] (PACK.qs MAPNUMBER | MAPFILE) "
    "[SOLUTION]\n"
    "       quarry-replay --to-script [--first-pump N] SOLUTION\n"
    "MAPNUMBER counts from 1. MAPFILE is an XMAP file or a text map source; without\n"
    "SOLUTION the text map's own solution: lines are played. A pack needs a SOLUTION\n"
    "except for --png.\n";


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
  std::string text, error;
  if (!ReadInputFile(path, kMaxMapSourceSize, text, error)) {
    std::cerr << "quarry-replay: " << error << " (a map is at most " << kMaxMapSourceSize << " bytes)\n";
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
    // Rule checks (one player, a framed border) are the pack builder's; the
    // verifier plays any map that reads whole as 12 rows of 20 cells.
    bool readable = true;
    for (const auto& problem : problems) {
      std::cerr << path << ":" << problem.Line << ": " << problem.Message << "\n";
      readable = readable && problem.Rule;
    }
    if (!readable) {
      std::cerr << "quarry-replay: " << path << ": cannot be read as a map of 12 rows of 20 cells\n";
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

bool IsPack(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[7] = {};
  return in.read(head, sizeof head) && std::string(head, sizeof head) == "ZEPHYRA";
}

bool WritePicture(const std::string& path, const TRgbImage& image) {
  const std::vector<uint8_t> png = EncodePng(image);
  std::string error = path + ": cannot encode the picture";
  if (png.empty() || !WriteOutputFile(path, png, error)) {
    std::cerr << "quarry-replay: " << error << "\n";
    return false;
  }
  std::cout << path << ": " << image.Width << " x " << image.Height << "\n";
  return true;
}

// The largest pump number the script of these moves names (0 for none).
uint64_t LastPump(const std::string& moves, uint32_t firstPump) {
  const size_t last = moves.find_last_not_of('.');
  return last == std::string::npos ? 0 : firstPump + 7 * (static_cast<uint64_t>(last) + 1) - 1;
}

int Run(int argc, char** argv) {
  uint32_t seed = 0;
  uint32_t firstPump = 1;
  uint32_t every = 0;
  std::string dataDir = ".";
  std::string pngPath, stripPath;
  bool dump = false;
  bool trace = false;
  bool toScript = false;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--seed" || arg == "--first-pump" || arg == "--data" || arg == "--png" || arg == "--strip" ||
         arg == "--every") &&
        i + 1 < argc) {
      const char* value = argv[++i];
      if (arg == "--data") {
        dataDir = value;
      } else if (arg == "--png") {
        pngPath = value;
      } else if (arg == "--strip") {
        stripPath = value;
      } else if (!ParseNumber(value, arg == "--seed" ? seed : arg == "--every" ? every : firstPump)) {
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
  const bool png = !pngPath.empty(), strip = !stripPath.empty();
  if (strip != (every != 0)) {
    std::cerr << "quarry-replay: --strip and --every K (from 1) go together\n";
    return kExitUsage;
  }
  if (positional.empty() || positional.size() > 3 || (png && strip) || (toScript && (png || strip))) {
    std::cerr << kUsage;
    return kExitUsage;
  }

  TMaps maps;
  std::string solutionText;
  int mapIndex = 0;
  // The solution file, when one is named, is the argument after the map.
  size_t solutionAt = 1;
  if (!toScript && IsPack(positional[0])) {
    const std::string& pack = positional[0];
    uint32_t number = 0;
    if (positional.size() < 2 || !ParseNumber(positional[1].c_str(), number) || number == 0) {
      std::cerr << "quarry-replay: " << pack << " is a level pack: name a MAPNUMBER (from 1) after it\n";
      return kExitUsage;
    }
    if (!maps.Load(pack)) {
      std::cerr << "quarry-replay: cannot open the pack " << pack << "\n";
      return kExitUsage;
    }
    if (number > static_cast<uint32_t>(maps.Count())) {
      std::cerr << "quarry-replay: " << pack << ": there is no map " << number << " (the pack holds " << maps.Count()
                << ")\n";
      return kExitUsage;
    }
    if (positional.size() == 2 && !png) {
      std::cerr << "quarry-replay: " << pack << ": a pack needs a SOLUTION file after the map number\n";
      return kExitUsage;
    }
    mapIndex = static_cast<int>(number - 1);
    solutionAt = 2;
  } else if (!toScript) {
    std::string embedded;
    if (positional.size() > 2) {
      std::cerr << kUsage;
      return kExitUsage;
    }
    if (!LoadMapFile(positional[0], maps, embedded)) return kExitUsage;
    solutionText = embedded;
  }
  if (toScript) solutionAt = positional.size() - 1;
  if (png && positional.size() > solutionAt) {
    std::cerr << "quarry-replay: --png draws the map's start and takes no SOLUTION\n";
    return kExitUsage;
  }
  std::string error;
  if (positional.size() > solutionAt && !ReadInputFile(positional[solutionAt], kMaxSolutionSize, solutionText, error)) {
    std::cerr << "quarry-replay: " << error << "\n";
    return kExitUsage;
  }

  TSolution solution = ParseSolution(solutionText);
  if (!solution.Error.empty()) {
    std::cerr << "quarry-replay: solution " << solution.Error << "\n";
    return kExitUsage;
  }
  if (toScript) {
    if (LastPump(solution.Moves, firstPump) > kLastScriptPump) {
      std::cerr << "quarry-replay: with --first-pump " << firstPump << " the script would name pump "
                << LastPump(solution.Moves, firstPump) << "; a script's pumps go up to " << kLastScriptPump << "\n";
      return kExitUsage;
    }
    std::cout << SolutionToScript(solution.Moves, firstPump);
    return kExitCompleted;
  }
  if (strip) {
    const uint64_t frames = 2 + solution.Moves.size() / every;
    if (frames > kMaxStripFrames) {
      std::cerr << "quarry-replay: a strip of up to " << frames << " frames; at most " << kMaxStripFrames
                << " (choose a larger --every)\n";
      return kExitUsage;
    }
  }

  std::unique_ptr<TCavePainter> painter;
  if (png || strip) {
    std::string error;
    painter = TCavePainter::Open(dataDir, error);
    if (!painter) {
      std::cerr << "quarry-replay: " << error << "\n";
      return kExitUsage;
    }
  }
  TImageTable images = painter ? painter->Table() : LoadImages(dataDir);
  TSoundRecorder sounds;
  TCave cave(maps, images, sounds);
  TPlaySession session(cave, mapIndex);
  Randomize(seed);
  std::vector<TRgbImage> frames;
  // "tick N" under each frame, the number in orange.
  auto frame = [&](uint32_t tick, const std::string& note) {
    const std::string text = "tick \1" + std::to_string(tick) + (note.empty() ? "" : std::string("\0 ", 2) + note);
    return painter->Captioned(painter->Cave(session), text);
  };
  if (png) {
    RunSolution(session, "", nullptr, [&](uint32_t) { frames.push_back(painter->Cave(session)); });
    return WritePicture(pngPath, frames.at(0)) ? kExitCompleted : kExitUsage;
  }

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
        if (strip && tick % every == 0) frames.push_back(frame(tick, ""));
        if (!trace) return;
        std::cout << "tick " << tick << ": " << PlayerActionName(action) << newSounds()
                  << (restarted ? "; attempt over" : "") << "\n";
      },
      [&](uint32_t attempt) {
        if (strip && attempt == 1) frames.push_back(frame(0, ""));
        // An attempt's own sounds: a map without diamonds opens its exits at once.
        if (trace) std::cout << "attempt " << attempt << " starts" << newSounds() << "\n";
      });
  if (strip) {
    // The last frame shows how the run ended.
    const std::string end = result.Completed ? "completed" : "not completed";
    if (result.Ticks % every != 0) frames.push_back(frame(result.Ticks, end));
    else frames.back() = frame(result.Ticks, end);
  }
  if (result.Completed) {
    std::cout << "completed at tick " << result.Ticks << "\n";
  } else {
    std::cout << "not completed after " << result.Ticks << " ticks: " << result.DiamondsLeft
              << " diamonds left, player " << PlayerFateName(result.Fate) << "\n";
  }
  if (dump) std::cout << DumpGrid(cave);
  if (strip && !WritePicture(stripPath, Grid(frames, kStripColumns, kPictureGap))) return kExitUsage;
  return result.Completed ? kExitCompleted : kExitNotCompleted;
}

}  // namespace
}  // namespace quarry

int main(int argc, char** argv) { return quarry::Run(argc, argv); }
