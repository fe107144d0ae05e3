#include "game/screen/play_game.h"

#include "game/screen/play_screen.h"

#include <cstdio>
#include <string>
#include <vector>

#include "audio/music_collection.h"
#include "audio/wave_collection.h"
#include "core/log.h"
#ifdef __EMSCRIPTEN__
#include "core/browser.h"
#endif
#include "game/cave.h"
#include "game/play_loop.h"
#include "game/screen/wave_sink.h"
#include "graphics/image_collection.h"
#include "graphics/variant_table.h"
#include "graphics/zr_sdl.h"
#include "maps/map_pack.h"

namespace quarry {

namespace {

uint16_t g_screenshotCounter = 0;

}  // namespace

TImageTable ImageTableOf(const TImageCollection* images) {
  TImageTable table;
  for (uint32_t i = 0; images && i < images->Count(); ++i) {
    SDL_Surface* surface = images->SurfaceAt(i);
    table.Add(images->NameAt(i), static_cast<uint16_t>(surface ? surface->w : 0),
              static_cast<uint16_t>(surface ? surface->h : 0));
  }
  table.SetVariantTable(VariantTable);
  return table;
}

void TakeScreenshot() {
  char name[32];
  std::snprintf(name, sizeof name, "quarry%04u.bmp", static_cast<unsigned>(g_screenshotCounter));
  SaveSurfaceBMP(BackBuffer, name);
#ifdef __EMSCRIPTEN__
  OfferDownload(name);  // a page has no folder to look in
#endif
  ++g_screenshotCounter;
}

bool PlayGame(GameContext& context, TMaps& maps, int mapIndex) {
  // A pack without maps has nothing to play (and no way to complete it).
  if (maps.Count() == 0) {
    LogWarning("No maps to play!", "GAME, PlayGame");
    return false;
  }
  // The maps cycle through the songs of "INGAME"; an order without songs
  // gives one warning and silence.
  std::string song;
  const bool haveSong = context.Music && context.Music->GetCycledOrderItem(
                                             "INGAME", static_cast<uint32_t>(mapIndex), song);
  if (haveSong) context.Music->Play(song);

  TImageTable table = ImageTableOf(context.Images);
  TWaveSink sounds(context.Waves);
  TCave cave(maps, table, sounds);
  TPlaySession session(cave, mapIndex);
  TPlayScreen view(context, table);

  bool completed = RunPlayLoop(session, view);
  if (haveSong) context.Music->Stop(song);
  if (!completed) return false;

  LogStatus("Map completed at tick " + std::to_string(session.TickNumber), "GAME, PlayGame");
  if (context.MapCompleted) context.MapCompleted(mapIndex);
  std::string endSong;
  if (context.Music) {
    context.Music->GetOrderItem("MAPEND", 1, endSong);
    context.Music->Play(endSong);
  }
  RunMapCompleted(session, view);
  if (context.Music) context.Music->Stop(endSong);
  return true;
}

}  // namespace quarry
