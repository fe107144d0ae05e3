// Plain coloured stand-ins for the game's images, of the sizes quarry-replay
// assumes without data: 32 x 32 squares and 4-frame strips for "!", "!1" and
// "!2". For running the drawn game where no quarry.mad is at hand (the
// replay agreement test, the frame benchmark).
#pragma once

namespace quarry {

class TImageCollection;

// Adds every element image ("#", "%", ".1", "$1", ...) and the player,
// tunnel and explosion images. Needs the display (surfaces in its format).
void AddPlainImages(TImageCollection& images);

}  // namespace quarry
