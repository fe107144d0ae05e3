// Plays one map in the drawn game on the dummy video driver with the real frame services, a virtual clock and scripted
// input, and prints the outcome in quarry-replay's words. Without --data it draws the plain stand-ins.
//   play_harness (MAPFILE | --pack PACK.qs --map N) [--data DIR] [--seed N] [--script FILE]
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "frame/frame.h"
#include "frame/script.h"
#include "archive/mad.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/random.h"
#include "game/screen/plain_images.h"
#include "game/screen/play_game.h"
#include "graphics/image_collection.h"
#include "graphics/variant_table.h"
#include "graphics/zr_sdl.h"
#include "maps/map_pack.h"
#include "maps/map_source.h"

using namespace quarry;

int main(int argc, char** argv) {
  std::map<std::string, std::string> options = {{"--map", "1"}};
  std::string mapFile;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.starts_with("--") && i + 1 < argc) options[arg] = argv[++i];
    else mapFile = arg;
  }
  const std::string packFile = options["--pack"], dataDir = options["--data"], scriptFile = options["--script"];
  int mapNumber = std::atoi(options["--map"].c_str());
  const auto seed = static_cast<uint32_t>(std::strtoul(options["--seed"].c_str(), nullptr, 10));
  auto fail = [](const std::string& message) { return std::cerr << "play_harness: " << message << "\n", 2; };
  TMaps maps;
  if (!packFile.empty()) {
    if (!maps.Load(packFile) || mapNumber < 1 || mapNumber > maps.Count()) {
      return fail("no map " + std::to_string(mapNumber) + " in " + packFile);
    }
  } else {
    std::ostringstream text;
    text << std::ifstream(mapFile, std::ios::binary).rdbuf();
    TMapSource source;
    std::vector<TSourceProblem> problems;
    ParseMapSource(text.str(), source, problems);
    if (source.Rows.size() != 12) return fail("no map in " + mapFile);
    maps.Append(std::make_unique<TXMap>(MapSourceToXMap(source)));
    mapNumber = 1;
  }
  if (!scriptFile.empty()) {
    std::vector<ScriptEvent> events;
    std::string error;
    if (!LoadScript(scriptFile, events, error)) return fail(error);
    SetInputScript(std::move(events));
  }

  setenv("SDL_VIDEODRIVER", "dummy", 1);
  UseVirtualClock(true);
  if (!OpenTestDisplay()) return fail("no display");
  SetFrameRate(60);
  Randomize(seed);
  std::string completion;
  SetLogObserver([&](const std::string& line) {
    if (line.find("Map completed at tick ") != std::string::npos) completion = line;
  });
  bool completed = false;
  {
    std::unique_ptr<TMad> archive;
    TImageCollection images(32);
    GameContext context;
    if (dataDir.empty()) {
      AddPlainImages(images);
    } else {
      archive = std::make_unique<TMad>(dataDir + "/quarry.mad");
      // The images and their strips decide the random numbers; the text, drawn or not, does not.
      images.LoadList("blocks.lst", *archive);
      context.MainArchive = archive.get();
    }
    BuildVariantTable([&](const std::string& name) { return images.Find(name) != nullptr; });
    context.Images = &images;
    completed = PlayGame(context, maps, mapNumber - 1);
  }
  CloseTestDisplay();
  SetLogObserver(nullptr);
  if (!completed) {
    std::cout << "left after " << PumpCount() << " frames\n";
    return 1;
  }
  // "(GAME, PlayGame) Map completed at tick T" -> "completed at tick T"
  std::cout << "completed at tick " << completion.substr(completion.rfind(' ') + 1) << "\n";
  return 0;
}
