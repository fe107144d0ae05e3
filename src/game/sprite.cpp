#include "game/sprite.h"

#include "core/random.h"

namespace quarry {

TSprite::TSprite(int x, int y, const TImageInfo* image) : X(x), Y(y), Image(image) {}

TSprite::TSprite(int x, int y, uint16_t frameWidth, uint8_t options, const TImageInfo* image)
    : X(x), Y(y), Image(image), Animated(true) {
  uint16_t width = image ? image->Width : 0;
  FrameWidth = frameWidth == 0 ? width : frameWidth;
  // A missing image or a zero frame width leaves no frames; the sprite then
  // counts as on its last frame rather than dividing by zero.
  FrameCount = FrameWidth == 0 ? 0 : static_cast<uint16_t>(width / FrameWidth);
  Looping = (options & kLooping) != 0;
  Frozen = (options & kFrozen) != 0;
  if ((options & kRandomStart) != 0) Frame = static_cast<uint16_t>(Random(FrameCount));
}

void TSprite::Advance(int draws) {
  for (int i = 0; i < draws; ++i) {
    ++DelayCounter;
    if (DelayCounter != static_cast<int16_t>(FrameDelay)) continue;
    DelayCounter = -1;
    if (!OnLastFrame()) {
      ++Frame;
    } else if (!Looping) {
      Finished = true;
    } else {
      ++LoopCounter;
      if (LoopCounter == static_cast<int16_t>(LoopPause)) {
        Frame = 0;
        LoopCounter = -1;
      }
    }
  }
}

}  // namespace quarry
