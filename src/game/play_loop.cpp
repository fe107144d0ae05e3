#include "game/play_loop.h"

#include <array>

#include "core/keys.h"
#include "core/random.h"

namespace quarry {

bool RunPlayLoop(TPlaySession& session, TPlayView& view) {
  for (;;) {
    session.StartAttempt();
    view.AttemptStarted(session);
    for (;;) {
      if (session.CountDown()) {
        view.TickDue(session);
        session.Tick();
      }
      view.DrawCave(session);
      session.Cave().StepSprites(1);
      view.FinishFrame(session);
      TPlaySession::FrameEnd end = session.CheckFrameEnd();
      if (end == TPlaySession::FrameEnd::Continue) continue;
      if (end == TPlaySession::FrameEnd::Complete) return true;
      if (end == TPlaySession::FrameEnd::Leave) return false;
      break;  // restart: Escape held or the death wait is over
    }
  }
}

int RunMapCompleted(TPlaySession& session, TPlayView& view) {
  ClearKeys();
  TCave& cave = session.Cave();
  std::array<std::array<bool, kCaveRows>, kCaveColumns> dissolved{};
  int remaining = kCaveColumns * kCaveRows;
  int frames = kCompletedFrames;
  int shown = 0;
  while (frames > 0) {
    if (remaining > 0) {
      int x;
      int y;
      do {
        x = static_cast<int>(Random(kCaveColumns));
        y = static_cast<int>(Random(kCaveRows));
      } while (dissolved[x][y]);
      dissolved[x][y] = true;
      --remaining;
      cave.RemoveSprite(x, y);
    }
    view.DrawCave(session);
    cave.StepSprites(1);
    view.CompletedFrame(session);
    --frames;
    ++shown;
    if (KeyState[kKeySpace]) break;
  }
  return shown;
}

}  // namespace quarry
