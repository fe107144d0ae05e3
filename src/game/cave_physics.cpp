// CaveTick: five passes over the grid, each changing cells in place, so a
// cell visited later in a pass sees what the pass did before it. The state
// bytes written into a move's destination keep an object from moving twice.
#include "game/cave.h"

namespace quarry {

void TCave::CaveTick() {
  Landing();
  Countdown();
  Balloons();
  FallAndTravel();
  Transitions();
}

// Pass 1, bottom row up: things that arrived by falling land, crush or
// explode; then a delayed explosion due on the same cell goes off.
void TCave::Landing() {
  for (int y = kCaveRows - 1; y >= 0; --y) {
    for (int x = 0; x < kCaveColumns; ++x) {
      uint8_t& state = CellState[x][y];
      if (state == kStateFalling) {
        uint16_t u = Cell(x, y);
        if (u == kDiamond || u == kBoulder) {
          uint16_t below = GetCell(x, y + 1);
          if (below == kEmpty) {
            state = kStateRest;
          } else if (below == kBomb) {
            CellState[x][y + 1] = kStateDone;
            Explode(x, y + 1);
          } else if (below == kPlayer) {
            DeathCounter = 1;
            Explode(x, y + 1);
            CellState[x][y + 1] = kStateDone;
          } else {
            state = kStateRest;
            sounds_.Play(u == kDiamond ? "DiamondDown" : "BoulderDown");
          }
        } else if (u == kBomb) {
          uint16_t below = GetCell(x, y + 1);
          if (below == kEmpty || below == kSand || below == kBalloon) {
            state = kStateRest;
          } else {
            state = kStateDone;
            Explode(x, y);
          }
        } else {
          state = kStateRest;
        }
      }
      if (state == kStateDelayedExplosion) {
        state = kStateDone;
        Explode(x, y);
      }
    }
  }
}

// Pass 2: countdowns 5..10 run down by one.
void TCave::Countdown() {
  for (int y = kCaveRows - 1; y >= 0; --y) {
    for (int x = 0; x < kCaveColumns; ++x) {
      uint8_t& state = CellState[x][y];
      if (state >= kStateBalloonMove && state <= kStateCaughtBomb) --state;
    }
  }
}

// Pass 3, top row down: balloons sink under two, rise, or lift one.
void TCave::Balloons() {
  for (int y = 0; y < kCaveRows; ++y) {
    for (int x = 0; x < kCaveColumns; ++x) {
      if (CellState[x][y] != kStateRest || Cell(x, y) != kBalloon) continue;
      if (y >= 2 && GetCell(x, y + 1) == kEmpty && InFallSet(Cell(x, y - 1)) &&
          InFallSet(Cell(x, y - 2))) {
        Cell(x, y + 1) = kBalloon;
        Cell(x, y) = Cell(x, y - 1);
        Cell(x, y - 1) = kEmpty;
        MoveSprite(x, y, x, y + 1);
        MoveSprite(x, y - 1, x, y);
        CellState[x][y + 1] = kStateBalloonMove;
        CellState[x][y] = kStateBalloonMove;
        CellState[x][y - 1] = kStateRest;
        CellState[x][y - 2] = kStateFalling;
        sounds_.Play("BalloonUp");
      } else if (y >= 1 && Cell(x, y - 1) == kEmpty) {
        Cell(x, y - 1) = kBalloon;
        Cell(x, y) = kEmpty;
        MoveSprite(x, y, x, y - 1);
        CellState[x][y - 1] = kStateFalling;
        CellState[x][y] = kStateRest;
        sounds_.Play("BalloonUp");
      } else if (y >= 2 && Cell(x, y - 2) == kEmpty &&
                 (InFallSet(Cell(x, y - 1)) || Cell(x, y - 1) == kPlayer)) {
        uint16_t load = Cell(x, y - 1);
        Cell(x, y - 2) = load;
        Cell(x, y - 1) = kBalloon;
        Cell(x, y) = kEmpty;
        // Only the player's own cell moves the player: a map with a second
        // "*" must not carry PlayerY off the grid.
        if (load == kPlayer && x == PlayerX && y - 1 == PlayerY) --PlayerY;
        MoveSprite(x, y - 1, x, y - 2);
        MoveSprite(x, y, x, y - 1);
        CellState[x][y - 2] = kStateBalloonMove;
        CellState[x][y - 1] = kStateBalloonMove;
        CellState[x][y] = kStateRest;
        sounds_.Play("BalloonUp");
      }
    }
  }
}

// Pass 4, top row down: falling and rolling, tunnel travel, explosion stages.
void TCave::FallAndTravel() {
  for (int y = 0; y < kCaveRows; ++y) {
    for (int x = 0; x < kCaveColumns; ++x) {
      if (CellState[x][y] != kStateRest) continue;
      uint16_t c = Cell(x, y);
      if (InFallSet(c)) {
        if (y >= kCaveRows - 1) continue;
        uint16_t below = Cell(x, y + 1);
        if (below == kEmpty) {
          Cell(x, y) = kEmpty;
          Cell(x, y + 1) = c;
          MoveSprite(x, y, x, y + 1);
          CellState[x][y + 1] = kStateFalling;
        } else if (InRoundSet(below)) {
          // Left is tried first.
          int side = 0;
          if (x > 0 && Cell(x - 1, y) == kEmpty && Cell(x - 1, y + 1) == kEmpty) {
            side = -1;
          } else if (x < kCaveColumns - 1 && Cell(x + 1, y) == kEmpty &&
                     Cell(x + 1, y + 1) == kEmpty) {
            side = 1;
          }
          if (side != 0) {
            Cell(x, y) = kEmpty;
            Cell(x + side, y) = c;
            MoveSprite(x, y, x + side, y);
            CellState[x + side][y] = kStateFalling;
          }
        }
      } else if (c == kTravelRight) {
        TravelStep(x, y, 1);
      } else if (c == kTravelLeft) {
        TravelStep(x, y, -1);
      } else if (c >= kExplosion1 && c <= kExplosion4) {
        Cell(x, y) = static_cast<uint16_t>(c + 1);
      }
    }
  }
}

// One cell of tunnel travel in direction d (+1 right, -1 left).
void TCave::TravelStep(int x, int y, int d) {
  int next = x + d;
  // Entry checked a free cell past the tunnel's end and pieces never appear
  // during travel, so this only guards against a damaged state.
  if (next < 0 || next >= kCaveColumns) return;
  int side = d > 0 ? 0 : 1;
  uint16_t piece = d > 0 ? kTunnelRight : kTunnelLeft;
  PlayerX = static_cast<uint16_t>(PlayerX + d);
  uint16_t reached = GetCell(PlayerX, PlayerY);
  if (reached == kSand) {
    sounds_.Play("EatSand");
  } else if (reached == kDiamond) {
    sounds_.Play("DiamondPickup");
    if (DiamondsLeft > 0 && --DiamondsLeft == 0) OpenExits();
  }
  Cell(x, y) = piece;
  ShowImage(x, y, tunnelImage_[side]);
  if (Cell(next, y) == piece) {
    sounds_.Play("TunnelItem");
    Cell(next, y) = d > 0 ? kTravelRight : kTravelLeft;
    CellState[next][y] = kStateDone;
    ShowImage(next, y, travelImage_[side]);
  } else {
    Sprites[next][y].reset();
    Cell(next, y) = kPlayer;
    PlayerImage = d > 0 ? "*R" : "*L";
    sounds_.Play("TunnelEnd");
  }
}

// Pass 5, bottom row up, every cell whatever its state.
void TCave::Transitions() {
  for (int y = kCaveRows - 1; y >= 0; --y) {
    for (int x = 0; x < kCaveColumns; ++x) {
      uint16_t& c = Cell(x, y);
      switch (c) {
        case kVacating:
          c = kVacated;
          break;
        case kVacated:
          c = kEmpty;
          break;
        case kExplosionLast:
          c = kEmpty;
          Sprites[x][y].reset();
          break;
        case kExitOpening1: {
          TSprite* sprite = Sprites[x][y].get();
          if (sprite) sprite->Looping = false;
          // A missing sprite can never report finished; let the exit go on
          // opening rather than stay shut for good.
          if (!sprite || sprite->Finished) {
            c = kExitOpening2;
            Sprites[x][y] = MakeAnimated(x, y, 0, exitOpeningImage_, 2);
          }
          break;
        }
        case kExitOpening2: {
          TSprite* sprite = Sprites[x][y].get();
          if (!sprite || sprite->Finished) {
            c = kExitOpen;
            Sprites[x][y] = MakeAnimated(x, y, TSprite::kLooping, exitOpenImage_, 2);
          }
          break;
        }
        default:
          break;
      }
    }
  }
}

void TCave::Explode(int x, int y) {
  ExplodeCell(x, y);
  sounds_.Play("Explosion");
  const int dx[4] = {-1, 1, 0, 0};
  const int dy[4] = {0, 0, -1, 1};
  for (int i = 0; i < 4; ++i) {
    int nx = x + dx[i];
    int ny = y + dy[i];
    if (!InsideCave(nx, ny)) continue;
    uint16_t c = Cell(nx, ny);
    if (c == kBomb) CellState[nx][ny] = kStateCaughtBomb;
    if (c != kHardWall) ExplodeCell(nx, ny);
  }
}

void TCave::ExplodeCell(int x, int y) {
  if (!InsideCave(x, y)) return;
  uint16_t& c = Cell(x, y);
  if (c == kExplosion1) return;
  if (c == kPlayer) DeathCounter = 1;
  c = kExplosion1;
  Sprites[x][y] = MakeAnimated(x, y, 0, explosionImage_, 0);
}

void TCave::OpenExits() {
  for (int x = 0; x < kCaveColumns; ++x) {
    for (int y = 0; y < kCaveRows; ++y) {
      if (GetFileCell(x, y) == kExit && Sprites[x][y]) Cell(x, y) = kExitOpening1;
    }
  }
  sounds_.Play("ExitOpen");
}

}  // namespace quarry
