#include "app/game_flow.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/frame.h"
#include "app/game_objects.h"
#include "archive/mad.h"
#include "core/clock.h"
#include "core/keys.h"
#include "core/log.h"
#include "core/program.h"
#include "game/screen/play_game.h"
#include "graphics/bmp_font.h"
#include "graphics/image_collection.h"
#include "graphics/variant_table.h"
#include "graphics/zr_sdl.h"
#include "maps/map_pack.h"

namespace quarry {

namespace {

// Level packs in the working directory, by name.
std::vector<std::string> FindLevelPacks() {
  std::vector<std::string> packs;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(".", ec)) {
    std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.size() > 3 && name.ends_with(".qs")) packs.push_back(name);
  }
  std::sort(packs.begin(), packs.end());
  return packs;
}

}  // namespace

void RunMenus() {
  // Until the menus exist: the first level pack of the working directory,
  // its maps played in order; leaving a map (F10) ends the run.
  std::vector<std::string> packs = FindLevelPacks();
  if (packs.empty()) StopMissingData("No level pack (*.qs) found", "QUARRY, RunMenus");

  TImageCollection images(32);
  images.LoadList("blocks.lst", *MainArchive);
  BuildVariantTable([&](const std::string& name) { return images.Find(name) != nullptr; });
  TMaps maps;
  maps.Load(packs.front());

  GameContext context;
  context.Images = &images;
  context.MainArchive = MainArchive.get();
  for (int i = 0; i < kColorFontCount; ++i) context.ColorFonts[i] = ColorFonts[i].get();
  context.Waves = WaveCollection.get();
  context.Music = MusicCollection.get();
  for (int map = 0; map < maps.Count(); ++map)
    if (!PlayGame(context, maps, map)) break;
}

}  // namespace quarry
