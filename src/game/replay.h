// Plays a solution through the in-game rules without a display: the frames,
// ticks, deaths and restarts are those of the drawn game, only nothing is
// drawn. The verifier, the benchmarks and the rule tests all run on this.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "game/play_session.h"

namespace quarry {

enum class PlayerFate { Alive, Dead, InTunnel };
const char* PlayerFateName(PlayerFate fate);

struct TReplayResult {
  bool Completed = false;
  uint32_t Ticks = 0;          // ticks run; the completing tick when Completed
  uint16_t DiamondsLeft = 0;
  PlayerFate Fate = PlayerFate::Alive;
  uint32_t Attempts = 0;
};

// Called after every tick with its number (from 1, across restarts) and the
// player action taken; restarted is true when that tick ended the attempt.
using TickObserver = std::function<void(uint32_t tick, PlayerAction action, bool restarted)>;

// Called right after each attempt has been set up, with its number from 1.
using AttemptObserver = std::function<void(uint32_t attempt)>;

// Starts the first attempt of the session's map and runs one tick per move
// character until the map is completed or the moves run out. Leaves the cave
// as it was after the last tick (before any restart that tick caused).
TReplayResult RunSolution(TPlaySession& session, const std::string& moves,
                          const TickObserver& observer = nullptr,
                          const AttemptObserver& attemptObserver = nullptr);

// The 20 x 12 working cells, one row per line ending in "\n": codes 32..126
// as their character, any other as "{" decimal "}".
std::string DumpGrid(const TCave& cave);

// The arrow keys of one move character into KeyState.
void HoldMove(char move);

}  // namespace quarry
