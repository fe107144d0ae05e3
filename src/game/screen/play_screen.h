// The play screen: the frame, the logo, the two displays, the cave's sprites
// and the player, drawn from the loop's state without changing it (the loop
// steps the sprites after DrawCave has blitted them).
#pragma once

#include <string>
#include <vector>

#include "game/play_loop.h"
#include "game/screen/play_game.h"

// SDL stays out of the game's headers; the surfaces are only passed through.
struct SDL_Surface;

namespace quarry {

class TImageCollection;
class TMad;

// The play screen's frame, shared with the end-of-pack scene: the whole
// screen black, the two grey bands and "logolite.bmp" at (192, 8) (skipped
// without an archive).
void DrawPlayFrame(TMad* mainArchive);

// The cave's view of a collection: its names and sizes in its order, and the
// global variant table (graphics/variant_table.h).
TImageTable ImageTableOf(const TImageCollection* images);

class TPlayScreen : public TPlayView {
public:
  // table must list the context's image collection in its order.
  TPlayScreen(GameContext& context, const TImageTable& table);

  void AttemptStarted(TPlaySession& session) override;
  void TickDue(TPlaySession& session) override { DrawDiamonds(session); }
  // Every cell: black for empty and vacated, nothing for the player, else
  // the frame its sprite is on.
  void DrawCave(TPlaySession& session) override;
  // The player's image, then the frame wait, Flip, PumpEvents, and a
  // screenshot while A is held.
  void FinishFrame(TPlaySession& session) override;
  void CompletedFrame(TPlaySession& session) override;

  void DrawPlayer(const TCave& cave, const std::string& imageName) const;
  void DrawDiamonds(TPlaySession& session);

private:
  SDL_Surface* SurfaceOf(const TImageInfo* image) const;
  void Blit(const TSprite& sprite) const;
  void Present();

  GameContext& context_;
  std::vector<SDL_Surface*> surfaces_;
};

}  // namespace quarry
