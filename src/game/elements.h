// Element codes of the cave grid and the sets the rules test against.
#pragma once

#include <cstdint>

namespace quarry {

constexpr int kCaveColumns = 20;
constexpr int kCaveRows = 12;
constexpr int kCellSize = 32;
constexpr int kCaveTop = 48;  // screen row of the cave's first pixel row

enum Element : uint16_t {
  kEmpty = ' ',
  kPlayer = '*',
  kDiamond = '$',
  kBoulder = '@',
  kBomb = '&',
  kBalloon = '0',
  kSand = '.',
  kWall = '#',
  kHardWall = '%',
  kExit = '!',
  kTunnelRight = '>',
  kTunnelLeft = '<',
  kSyncBlock = '=',
  // Run-time codes.
  kVacating = 30,
  kVacated = 31,
  kTravelRight = 200,
  kTravelLeft = 201,
  kExplosion1 = 216,
  kExplosion4 = 219,
  kExplosionLast = 220,
  kExitOpening1 = 228,
  kExitOpening2 = 229,
  kExitOpen = 240,
};

// Cell states.
enum CellStateValue : uint8_t {
  kStateRest = 0,
  kStateDone = 1,
  kStateFalling = 4,
  kStateBalloonMove = 5,
  kStateDelayedExplosion = 8,
  kStateCaughtBomb = 10,
};

inline bool InFallSet(uint16_t c) { return c == kDiamond || c == kBomb || c == kBoulder; }
inline bool InRoundSet(uint16_t c) { return c == kWall || InFallSet(c); }

inline bool InsideCave(int x, int y) {
  return x >= 0 && x < kCaveColumns && y >= 0 && y < kCaveRows;
}

}  // namespace quarry
