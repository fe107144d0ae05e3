// A positioned image, static or a horizontal strip of equal frames. Step()
// is what a draw does to the sprite's state; the renderer blits the frame the
// sprite is on and then steps it, and a headless run only steps, so both runs
// go through the same frames.
#pragma once

#include <cstdint>

#include "game/images.h"

namespace quarry {

class TSprite {
public:
  enum Option : uint8_t { kLooping = 1, kRandomStart = 2, kFrozen = 4 };

  // A static sprite: the whole image.
  TSprite(int x, int y, const TImageInfo* image);
  // An animated strip; frameWidth 0 takes the image width. kRandomStart draws
  // the start frame from the gameplay generator.
  TSprite(int x, int y, uint16_t frameWidth, uint8_t options, const TImageInfo* image);

  // The state change of one Draw, repeated draws times.
  void Step(int draws) {
    if (Hidden || !Visible) return;
    if (Animated && !Frozen) Advance(draws);
    LastX = X;
    LastY = Y;
  }
  // Whether a draw would blit anything at all.
  bool WouldDraw() const {
    return !Hidden && Visible && (Animated || Redraw || X != LastX || Y != LastY);
  }
  bool OnLastFrame() const { return Frame + 1 >= FrameCount; }

  int32_t X = 0, Y = 0;
  const TImageInfo* Image = nullptr;
  // Cave sprites never restore a background; kept for the renderer's Erase.
  const void* Background = nullptr;
  int32_t BackgroundX = 0, BackgroundY = 0;
  bool Redraw = true;
  int32_t LastX = 0, LastY = 0;
  bool Hidden = false;
  bool Animated = false;
  uint16_t FrameWidth = 0;
  uint16_t FrameCount = 0;
  uint16_t Frame = 0;
  bool Looping = false;
  bool Frozen = false;
  int16_t DelayCounter = -1;
  int16_t LoopCounter = -1;
  bool Visible = true;
  bool Finished = false;
  uint16_t FrameDelay = 0;
  uint16_t LoopPause = 0;

private:
  void Advance(int draws);
};

}  // namespace quarry
