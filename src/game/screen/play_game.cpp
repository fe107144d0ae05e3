#include "game/screen/play_game.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/frame.h"
#include "audio/music_collection.h"
#include "audio/wave_collection.h"
#include "core/clock.h"
#include "core/keys.h"
#include "core/log.h"
#include "game/cave.h"
#include "game/play_loop.h"
#include "graphics/bmp_font.h"
#include "graphics/image_collection.h"
#include "graphics/image_loader.h"
#include "graphics/variant_table.h"
#include "graphics/zr_sdl.h"
#include "maps/map_pack.h"

namespace quarry {

namespace {

uint16_t g_screenshotCounter = 0;

class TWaveSink : public TSoundSink {
public:
  explicit TWaveSink(TWaveCollection* waves) : waves_(waves) {}
  void Play(const char* name) override {
    if (waves_) waves_->Play(name);
  }

private:
  TWaveCollection* waves_;
};

// The play screen: draws what the loop's state says, never changes it.
class TScreenView : public TPlayView {
public:
  TScreenView(GameContext& context, const TImageTable& table) : context_(context) {
    // The table was built from the collection in its order: same indexes.
    surfaces_.resize(table.Count(), nullptr);
    for (size_t i = 0; context_.Images && i < table.Count() && i < context_.Images->Count(); ++i) {
      surfaces_[i] = context_.Images->SurfaceAt(static_cast<uint32_t>(i));
    }
  }

  void AttemptStarted(TPlaySession& session) override {
    FillBox(0, 0, 639, 479, 0, 0, 0);
    static const uint8_t kBandLevels[4] = {255, 191, 127, 63};
    for (int i = 0; i < 4; ++i) {
      FillBox(0, 47 - i, 639, 47 - i, kBandLevels[i], kBandLevels[i], kBandLevels[i]);
      FillBox(0, 432 + i, 639, 432 + i, kBandLevels[i], kBandLevels[i], kBandLevels[i]);
    }
    if (context_.MainArchive) {
      SurfacePtr logo = LoadImage("logolite.bmp", *context_.MainArchive);
      if (logo) BlitWhole(192, 8, logo.get());
    }
    FillBox(440, 442, 624, 469, 0, 0, 0);
    DrawColorText(context_.ColorFonts,
                  std::string("\0Map: \1", 7) + std::to_string(session.MapIndex() + 1), 624, 442, 2);
    DrawDiamonds(session);
  }

  void TickDue(TPlaySession& session) override { DrawDiamonds(session); }

  void DrawCave(TPlaySession& session) override {
    TCave& cave = session.Cave();
    for (int y = 0; y < kCaveRows; ++y) {
      for (int x = 0; x < kCaveColumns; ++x) {
        uint16_t code = cave.GetCell(x, y);
        int sx = CellScreenX(x);
        int sy = CellScreenY(y);
        if (code == kVacated || code == kEmpty) {
          FillBox(sx, sy, sx + kCellSize - 1, sy + kCellSize - 1, 0, 0, 0);
        } else if (code != kPlayer) {
          if (TSprite* sprite = cave.Sprite(x, y)) {
            sprite->X = sx;
            sprite->Y = sy;
            Blit(*sprite);
          }
        }
      }
    }
  }

  void FinishFrame(TPlaySession& session) override {
    TCave& cave = session.Cave();
    if (cave.PlayerImage != "  ") DrawPlayer(cave, cave.PlayerImage);
    Present();
    if (KeyState[kKeyA]) TakeScreenshot();
  }

  void CompletedFrame(TPlaySession& session) override {
    DrawPlayer(session.Cave(), "*D");
    if (TBMPFont* font = context_.ColorFonts[5]) font->DrawText("Map Completed!", 320, 220, 1);
    Present();
  }

private:
  void DrawDiamonds(TPlaySession& session) {
    FillBox(16, 442, 319, 469, 0, 0, 0);
    DrawColorText(context_.ColorFonts,
                  std::string("\0Diamonds: \1", 12) + std::to_string(session.Cave().DiamondsLeft),
                  16, 442, 0);
  }

  SDL_Surface* SurfaceOf(const TImageInfo* image) const {
    if (!image || image->Index < 0 || static_cast<size_t>(image->Index) >= surfaces_.size()) {
      return nullptr;
    }
    return surfaces_[static_cast<size_t>(image->Index)];
  }

  // The blit half of a sprite's Draw; the loop steps the sprite afterwards.
  void Blit(const TSprite& sprite) const {
    if (!sprite.WouldDraw()) return;
    SDL_Surface* surface = SurfaceOf(sprite.Image);
    if (!surface) return;  // a missing image shows as nothing
    if (!sprite.Animated) {
      BlitWhole(sprite.X, sprite.Y, surface);
      return;
    }
    int left = sprite.Frame * sprite.FrameWidth;
    BlitPart(sprite.X, sprite.Y, left, 0, left + sprite.FrameWidth - 1, surface->h - 1, surface);
  }

  void DrawPlayer(TCave& cave, const std::string& imageName) {
    if (!context_.Images) return;
    if (SDL_Surface* surface = context_.Images->Find(imageName)) {
      BlitWhole(CellScreenX(cave.PlayerX), CellScreenY(cave.PlayerY), surface);
    }
  }

  void Present() {
    Delay(FrameWait());
    Flip();
    PumpEvents();
  }

  GameContext& context_;
  std::vector<SDL_Surface*> surfaces_;
};

}  // namespace

void TakeScreenshot() {
  char name[32];
  std::snprintf(name, sizeof name, "quarry%04u.bmp", static_cast<unsigned>(g_screenshotCounter));
  SaveSurfaceBMP(BackBuffer, name);
  ++g_screenshotCounter;
}

bool PlayGame(GameContext& context, TMaps& maps, int mapIndex) {
  std::string song;
  if (context.Music) {
    uint16_t count = context.Music->OrderItemCount("INGAME");
    context.Music->GetOrderItem("INGAME", static_cast<uint16_t>(IngameMusicItem(mapIndex, count)), song);
    context.Music->Play(song);
  }

  // The cave sees the collection's names and sizes only.
  TImageTable table;
  for (uint32_t i = 0; context.Images && i < context.Images->Count(); ++i) {
    SDL_Surface* surface = context.Images->SurfaceAt(i);
    table.Add(context.Images->NameAt(i), static_cast<uint16_t>(surface ? surface->w : 0),
              static_cast<uint16_t>(surface ? surface->h : 0));
  }
  table.SetVariantTable(VariantTable);
  TWaveSink sounds(context.Waves);
  TCave cave(maps, table, sounds);
  TPlaySession session(cave, mapIndex);
  TScreenView view(context, table);

  bool completed = RunPlayLoop(session, view);
  if (context.Music) context.Music->Stop(song);
  if (!completed) return false;

  LogStatus("Map completed at tick " + std::to_string(session.TickNumber), "GAME, PlayGame");
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
