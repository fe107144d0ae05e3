#include "game/screen/play_screen.h"

#include "frame/frame.h"
#include "core/clock.h"
#include "core/keys.h"
#include "game/cave.h"
#include "graphics/bmp_font.h"
#include "graphics/image_collection.h"
#include "graphics/image_loader.h"
#include "graphics/zr_sdl.h"

namespace quarry {

TPlayScreen::TPlayScreen(GameContext& context, const TImageTable& table) : context_(context) {
  // The table was built from the collection in its order: same indexes.
  surfaces_.resize(table.Count(), nullptr);
  for (size_t i = 0; context_.Images && i < table.Count() && i < context_.Images->Count(); ++i) {
    surfaces_[i] = context_.Images->SurfaceAt(static_cast<uint32_t>(i));
  }
}

void DrawPlayFrame(TMad* mainArchive) {
  FillBox(0, 0, 639, 479, 0, 0, 0);
  static const uint8_t kBandLevels[4] = {255, 191, 127, 63};
  for (int i = 0; i < 4; ++i) {
    uint8_t level = kBandLevels[i];
    FillBox(0, 47 - i, 639, 47 - i, level, level, level);
    FillBox(0, 432 + i, 639, 432 + i, level, level, level);
  }
  if (mainArchive) {
    SurfacePtr logo = LoadImage("logolite.bmp", *mainArchive);
    if (logo) BlitWhole(192, 8, logo.get());
  }
}

void TPlayScreen::AttemptStarted(TPlaySession& session) {
  DrawPlayFrame(context_.MainArchive);
  FillBox(440, 442, 624, 469, 0, 0, 0);
  DrawColorText(context_.ColorFonts,
                std::string("\0Map: \1", 7) + std::to_string(session.MapIndex() + 1), 624, 442, 2);
  DrawDiamonds(session);
}

void TPlayScreen::DrawDiamonds(TPlaySession& session) {
  FillBox(16, 442, 319, 469, 0, 0, 0);
  DrawColorText(context_.ColorFonts,
                std::string("\0Diamonds: \1", 12) + std::to_string(session.Cave().DiamondsLeft), 16,
                442, 0);
}

void TPlayScreen::DrawCave(TPlaySession& session) {
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

void TPlayScreen::FinishFrame(TPlaySession& session) {
  TCave& cave = session.Cave();
  if (cave.PlayerImage != "  ") DrawPlayer(cave, cave.PlayerImage);
  Present();
  if (KeyState[kKeyA]) TakeScreenshot();
}

void TPlayScreen::CompletedFrame(TPlaySession& session) {
  DrawPlayer(session.Cave(), "*D");
  if (TBMPFont* font = context_.ColorFonts[5]) font->DrawText("Map Completed!", 320, 220, 1);
  Present();
}

SDL_Surface* TPlayScreen::SurfaceOf(const TImageInfo* image) const {
  if (!image || image->Index < 0 || static_cast<size_t>(image->Index) >= surfaces_.size()) {
    return nullptr;
  }
  return surfaces_[static_cast<size_t>(image->Index)];
}

void TPlayScreen::Blit(const TSprite& sprite) const {
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

void TPlayScreen::DrawPlayer(const TCave& cave, const std::string& imageName) const {
  if (!context_.Images) return;
  if (SDL_Surface* surface = context_.Images->Find(imageName)) {
    BlitWhole(CellScreenX(cave.PlayerX), CellScreenY(cave.PlayerY), surface);
  }
}

void TPlayScreen::Present() {
  Delay(FrameWait());
  Flip();
  PumpEvents();
}

}  // namespace quarry
