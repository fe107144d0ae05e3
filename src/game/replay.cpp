#include "game/replay.h"

#include "core/keys.h"

namespace quarry {

const char* PlayerFateName(PlayerFate fate) {
  switch (fate) {
    case PlayerFate::Alive: return "alive";
    case PlayerFate::Dead: return "dead";
    case PlayerFate::InTunnel: return "in tunnel";
  }
  return "?";
}

std::string DumpGrid(const TCave& cave) {
  std::string text;
  for (int y = 0; y < kCaveRows; ++y) {
    for (int x = 0; x < kCaveColumns; ++x) {
      uint16_t c = cave.GetCell(x, y);
      if (c >= 32 && c <= 126) {
        text += static_cast<char>(c);
      } else {
        text += "{" + std::to_string(c) + "}";
      }
    }
    text += '\n';
  }
  return text;
}

void HoldMove(char move) {
  KeyState[kKeyUp] = move == 'U';
  KeyState[kKeyDown] = move == 'D';
  KeyState[kKeyLeft] = move == 'L';
  KeyState[kKeyRight] = move == 'R';
}

TReplayResult RunSolution(TPlaySession& session, const std::string& moves,
                          const TickObserver& observer, const AttemptObserver& attemptObserver) {
  ClearKeys();
  session.Reset();
  session.StartAttempt();
  if (attemptObserver) attemptObserver(session.Attempts);
  TCave& cave = session.Cave();
  bool restartDue = false;
  for (char move : moves) {
    if (restartDue) {
      session.StartAttempt();
      if (attemptObserver) attemptObserver(session.Attempts);
      restartDue = false;
    }
    HoldMove(move);
    session.RunToNextTick();
    // Observers may look at the sprites.
    if (observer) session.FlushSprites();
    restartDue = !session.Completed && session.AttemptOver();
    if (observer) observer(session.TickNumber, session.LastAction, restartDue);
    if (session.Completed) break;
  }
  HoldMove('.');
  session.FlushSprites();
  TReplayResult result;
  result.Completed = session.Completed;
  result.Ticks = session.TickNumber;
  result.DiamondsLeft = cave.DiamondsLeft;
  result.Attempts = session.Attempts;
  if (cave.DeathCounter > 0) {
    result.Fate = PlayerFate::Dead;
  } else if (cave.PlayerImage == "  ") {
    result.Fate = PlayerFate::InTunnel;
  } else {
    result.Fate = PlayerFate::Alive;
  }
  return result;
}

}  // namespace quarry
