// The in-game loop's rules without the drawing: attempts, the tick countdown,
// the player's actions from the held arrow keys, death and completion. The
// drawn game and the headless verifier both run their frames through this.
#pragma once

#include <cstdint>

#include "game/cave.h"

namespace quarry {

enum class PlayerAction : uint8_t {
  None, WalkUp, WalkDown, WalkLeft, WalkRight, TunnelLeft, TunnelRight, PushLeft, PushRight,
};
const char* PlayerActionName(PlayerAction action);

constexpr uint16_t kTickFrames = 7;
// The attempt ends after the tick that raises the death counter past this.
constexpr uint16_t kDeathWaitEnd = 16;

class TPlaySession {
public:
  TPlaySession(TCave& cave, int mapIndex) : cave_(cave), mapIndex_(mapIndex) {}

  // Forgets earlier runs: tick and attempt counts, completion.
  void Reset() {
    Completed = false;
    TickNumber = 0;
    Attempts = 0;
    LastAction = PlayerAction::None;
  }
  // A fresh attempt: the map activated again, the player found, the diamonds
  // counted, the countdown at 7; exits open at once on a map without "$".
  void StartAttempt();
  // The head of a frame: lowers the countdown; true when a tick is due now.
  bool CountDown();
  // One tick: death wait, cell states 1 back to 0, at most one player action
  // from KeyState, countdown reset, CaveTick.
  void Tick();
  // The leave test of the frame loop, for everything but the keys.
  bool AttemptOver() const { return Completed || cave_.DeathCounter > kDeathWaitEnd; }

  // The end of a frame: what the keys held now and the attempt's state ask
  // for. F10 leaves, Escape restarts (on every frame it is held).
  enum class FrameEnd { Continue, Leave, Restart, Complete };
  FrameEnd CheckFrameEnd() const;

  // Runs frames until the next tick has run, stepping the sprites exactly as
  // the drawn frames would; for headless runs. The tick frame's own step is
  // kept back and done together with the next tick's frames (nothing looks
  // at a sprite in between); FlushSprites does it at once.
  void RunToNextTick();
  void FlushSprites();

  TCave& Cave() { return cave_; }
  int MapIndex() const { return mapIndex_; }

  bool Completed = false;
  uint32_t TickNumber = 0;  // ticks run so far, across attempts
  uint32_t Attempts = 0;
  PlayerAction LastAction = PlayerAction::None;

private:
  PlayerAction PerformAction();
  bool CanPush(int x, int y, int d) const;
  void Walk(int x, int y, const char* image);
  void EnterTunnel(int d);
  void Push(int d);

  TCave& cave_;
  int mapIndex_;
  int pendingDraws_ = 0;
};

}  // namespace quarry
