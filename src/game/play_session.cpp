#include "game/play_session.h"

#include "core/keys.h"

namespace quarry {

const char* PlayerActionName(PlayerAction action) {
  switch (action) {
    case PlayerAction::None: return "none";
    case PlayerAction::WalkUp: return "walk up";
    case PlayerAction::WalkDown: return "walk down";
    case PlayerAction::WalkLeft: return "walk left";
    case PlayerAction::WalkRight: return "walk right";
    case PlayerAction::TunnelLeft: return "enter tunnel left";
    case PlayerAction::TunnelRight: return "enter tunnel right";
    case PlayerAction::PushLeft: return "push left";
    case PlayerAction::PushRight: return "push right";
  }
  return "?";
}

TPlaySession::FrameEnd TPlaySession::CheckFrameEnd() const {
  // A completed map counts as completed even with F10 or Escape held.
  if (Completed) return FrameEnd::Complete;
  if (KeyState[kKeyF10]) return FrameEnd::Leave;
  if (KeyState[kKeyEscape]) return FrameEnd::Restart;
  if (cave_.DeathCounter > kDeathWaitEnd) return FrameEnd::Restart;
  return FrameEnd::Continue;
}

void TPlaySession::StartAttempt() {
  ++Attempts;
  pendingDraws_ = 0;  // the old attempt's sprites are about to go
  cave_.DeathCounter = 0;
  cave_.SetActive(mapIndex_);
  cave_.FindPlayer();
  cave_.DiamondsLeft = cave_.CountDiamonds();
  cave_.PlayerImage = "*D";
  cave_.TickCountdown = kTickFrames;
  if (cave_.DiamondsLeft == 0) cave_.OpenExits();
}

bool TPlaySession::CountDown() {
  --cave_.TickCountdown;
  return cave_.TickCountdown == 0;
}

void TPlaySession::Tick() {
  ++TickNumber;
  if (cave_.DeathCounter > 0) {
    ++cave_.DeathCounter;
    ClearKeys();
    cave_.PlayerImage = "  ";
  }
  for (auto& column : cave_.CellState) {
    for (uint8_t& state : column) {
      if (state == kStateDone) state = kStateRest;
    }
  }
  LastAction = cave_.PlayerImage == "  " ? PlayerAction::None : PerformAction();
  cave_.TickCountdown = kTickFrames;
  cave_.CaveTick();
}

void TPlaySession::RunToNextTick() {
  if (cave_.TickCountdown > 1) {
    pendingDraws_ += cave_.TickCountdown - 1;
    cave_.TickCountdown = 1;
  }
  FlushSprites();
  CountDown();
  Tick();
  pendingDraws_ = 1;
}

void TPlaySession::FlushSprites() {
  if (pendingDraws_ > 0) cave_.StepSprites(pendingDraws_);
  pendingDraws_ = 0;
}

bool TPlaySession::CanPush(int x, int y, int d) const {
  int pushed = cave_.GetCell(x + d, y);
  if (cave_.GetCell(x + 2 * d, y) != kEmpty) return false;
  // A boulder or bomb must rest on something; a balloon must be unable to rise.
  if (pushed == kBomb || pushed == kBoulder) return cave_.GetCell(x + d, y + 1) != kEmpty;
  if (pushed == kBalloon) return y == 0 || cave_.GetCell(x + d, y - 1) != kEmpty;
  return false;
}

PlayerAction TPlaySession::PerformAction() {
  const int x = cave_.PlayerX;
  const int y = cave_.PlayerY;
  const bool up = KeyState[kKeyUp] != 0;
  const bool down = KeyState[kKeyDown] != 0;
  const bool left = KeyState[kKeyLeft] != 0;
  const bool right = KeyState[kKeyRight] != 0;
  if (up && y > 0 && cave_.CanEnter(x, y - 1)) {
    Walk(x, y - 1, "*U");
    return PlayerAction::WalkUp;
  }
  if (down && y < kCaveRows - 1 && cave_.CanEnter(x, y + 1)) {
    Walk(x, y + 1, "*D");
    return PlayerAction::WalkDown;
  }
  if (left && x > 0) {
    if (cave_.CanEnter(x - 1, y)) {
      Walk(x - 1, y, "*L");
      return PlayerAction::WalkLeft;
    }
    if (cave_.GetCell(x - 1, y) == kTunnelLeft && cave_.TunnelExitFree(x, y, -1)) {
      EnterTunnel(-1);
      return PlayerAction::TunnelLeft;
    }
    if (x > 1 && CanPush(x, y, -1)) {
      Push(-1);
      return PlayerAction::PushLeft;
    }
  }
  if (right && x < kCaveColumns - 1) {
    if (cave_.CanEnter(x + 1, y)) {
      Walk(x + 1, y, "*R");
      return PlayerAction::WalkRight;
    }
    if (cave_.GetCell(x + 1, y) == kTunnelRight && cave_.TunnelExitFree(x, y, 1)) {
      EnterTunnel(1);
      return PlayerAction::TunnelRight;
    }
    if (x < kCaveColumns - 2 && CanPush(x, y, 1)) {
      Push(1);
      return PlayerAction::PushRight;
    }
  }
  return PlayerAction::None;
}

void TPlaySession::Walk(int x, int y, const char* image) {
  cave_.PlayerImage = image;
  cave_.SetCell(cave_.PlayerX, cave_.PlayerY, kVacated);
  cave_.PlayerX = static_cast<uint16_t>(x);
  cave_.PlayerY = static_cast<uint16_t>(y);
  cave_.Sprites[x][y].reset();
  uint16_t target = cave_.GetCell(x, y);
  if (target == kSand) {
    cave_.PlaySound("EatSand");
  } else if (target == kDiamond) {
    cave_.PlaySound("DiamondPickup");
    if (cave_.DiamondsLeft > 0 && --cave_.DiamondsLeft == 0) cave_.OpenExits();
  } else if (target == kExitOpen) {
    Completed = true;
  }
  cave_.SetCell(x, y, kPlayer);
}

void TPlaySession::EnterTunnel(int d) {
  cave_.PlayerImage = "  ";
  cave_.SetCell(cave_.PlayerX, cave_.PlayerY, kVacated);
  cave_.PlayerX = static_cast<uint16_t>(cave_.PlayerX + d);
  const int x = cave_.PlayerX;
  const int y = cave_.PlayerY;
  if (TSprite* sprite = cave_.Sprite(x, y)) {
    sprite->Image = cave_.Images().Find(d > 0 ? ">2" : "<2");
  }
  cave_.SetCell(x, y, d > 0 ? kTravelRight : kTravelLeft);
  cave_.CellState[x][y] = kStateDone;
  cave_.PlaySound("TunnelStart");
}

void TPlaySession::Push(int d) {
  const int x = cave_.PlayerX;
  const int y = cave_.PlayerY;
  cave_.PlayerImage = d > 0 ? "*R" : "*L";
  cave_.SetCell(x + 2 * d, y, cave_.GetCell(x + d, y));
  cave_.Sprites[x + 2 * d][y] = std::move(cave_.Sprites[x + d][y]);
  cave_.CellState[x + 2 * d][y] = kStateDone;
  cave_.SetCell(x, y, kVacated);
  cave_.PlayerX = static_cast<uint16_t>(x + d);
  cave_.Sprites[x + d][y].reset();
  cave_.SetCell(x + d, y, kPlayer);
  cave_.PlaySound("Pushing");
}

}  // namespace quarry
