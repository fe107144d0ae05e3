// PlayEndOfPack: the closing scene of a completed level pack. Elves walk,
// talk and take the diamonds, a family walks past, and a closing text waits
// for a fresh press of Space. Nothing in it depends on the pack.
#pragma once

#include "game/screen/play_game.h"

namespace quarry {

// Needs the BackBuffer and the frame services. Reads "outro.lst",
// "outro.mpt" and "logolite.bmp" from context.MainArchive and plays item 1 of
// the music order "GAMEEND". Renders context.AntiFont in (20, 20, 20) and
// leaves it so. Missing pieces (null pointers, missing images) draw nothing.
void PlayEndOfPack(GameContext& context);

}  // namespace quarry
