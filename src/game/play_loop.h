// The in-game loop's control flow: attempts, frames, ticks, leaving and the
// map-completed scene's dissolve. Drawing, waiting and event pumping are the
// view's; the drawn game passes the screen, tests pass a scripted view.
#pragma once

#include "game/play_session.h"

namespace quarry {

class TPlayView {
public:
  virtual ~TPlayView() = default;
  // A new attempt has been set up: the play screen and both displays.
  virtual void AttemptStarted(TPlaySession&) {}
  // A tick is about to run: the diamonds display as it stood.
  virtual void TickDue(TPlaySession&) {}
  // Blits the cave as it is now; the loop steps the sprites afterwards.
  virtual void DrawCave(TPlaySession&) {}
  // The player, the frame wait, Flip, PumpEvents and the screenshot key.
  virtual void FinishFrame(TPlaySession&) = 0;
  // One frame of the map-completed scene after the dissolve step.
  virtual void CompletedFrame(TPlaySession&) {}
};

// Plays attempts until the map is completed (true) or left with F10 (false).
bool RunPlayLoop(TPlaySession& session, TPlayView& view);

// The map-completed scene: one random cell dissolves per frame over the
// first 240 frames; ends after 340 frames or as soon as Space is held.
// Returns the number of frames shown.
int RunMapCompleted(TPlaySession& session, TPlayView& view);

constexpr int kCompletedFrames = 340;

}  // namespace quarry
