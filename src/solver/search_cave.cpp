#include "solver/search_cave.h"

#include <cstring>

#include "core/keys.h"
#include "core/random.h"
#include "game/replay.h"

namespace quarry {

namespace {

// Cell states by packed index. A state of 1 (moved this tick) is cleared at
// the head of the next tick before anything reads it, so it packs as 0.
constexpr uint8_t kStates[8] = {kStateRest, kStateFalling, 5, 6, 7, 8, 9, kStateCaughtBomb};

uint8_t StateIndex(uint8_t state) {
  if (state >= kStateFalling && state <= kStateCaughtBomb) return static_cast<uint8_t>(state - 3);
  return 0;
}

// Every code the rules can write while the map runs.
constexpr uint16_t kRuntimeCodes[] = {
    kEmpty, kPlayer, kDiamond, kBoulder, kBomb, kBalloon, kSand, kWall, kHardWall, kExit,
    kTunnelRight, kTunnelLeft, kSyncBlock, kVacating, kVacated, kTravelRight, kTravelLeft,
    kExplosion1, kExplosion1 + 1, kExplosion1 + 2, kExplosion4, kExplosionLast, kExitOpening1,
    kExitOpening2, kExitOpen};

void Put16(uint8_t* at, uint16_t v) { std::memcpy(at, &v, 2); }
uint16_t Get16(const uint8_t* at) {
  uint16_t v;
  std::memcpy(&v, at, 2);
  return v;
}

}  // namespace

TSearchCave::TSearchCave(TMaps& maps, int mapIndex, const TImageTable& images)
    : cave_(maps, images, sounds_), session_(cave_, mapIndex), images_(images) {}

bool TSearchCave::Start(uint32_t seed) {
  Randomize(seed);
  ClearKeys();
  session_.Reset();
  session_.StartAttempt();
  codes_.clear();
  std::memset(codeIndex_, 0xFF, sizeof codeIndex_);
  auto addCode = [&](uint16_t code) {
    if (code > 255 || codeIndex_[code] != 0xFF) return true;
    if (codes_.size() == 32) return false;
    codeIndex_[code] = static_cast<uint8_t>(codes_.size());
    codes_.push_back(code);
    return true;
  };
  for (uint16_t code : kRuntimeCodes) addCode(code);
  exitCells_.clear();
  isExitCell_.assign(kCellCount, false);
  for (int i = 0; i < kCellCount; ++i) {
    int x = i % kCaveColumns, y = i / kCaveColumns;
    if (!addCode(cave_.GetCell(x, y))) {
      Error = "the map holds more kinds of cells than the solver can pack (32)";
      return false;
    }
    if (cave_.GetFileCell(x, y) == kExit) {
      exitCells_.push_back(i);
      isExitCell_[i] = true;
    }
  }
  diamondIndex_ = codeIndex_[kDiamond];
  sandIndex_ = codeIndex_[kSand];
  exitIndex_ = codeIndex_[kExit];
  emptyIndex_ = codeIndex_[kEmpty];
  FindRelevantCells();
  std::memset(openingIndex_, 0, sizeof openingIndex_);
  openingIndex_[codeIndex_[kExitOpening1]] = true;
  openingIndex_[codeIndex_[kExitOpening2]] = true;
  return true;
}

std::vector<uint16_t> TSearchCave::StartFrameChoices() const {
  std::vector<uint16_t> choices;
  for (int cell : exitCells_) {
    const TSprite* sprite = cave_.Sprite(cell % kCaveColumns, cell / kCaveColumns);
    choices.push_back(sprite && sprite->Animated && sprite->FrameCount > 1 ? sprite->FrameCount : 1);
  }
  return choices;
}

void TSearchCave::SetStartFrame(size_t exit, uint16_t frame) {
  int cell = exitCells_[exit];
  if (TSprite* sprite = cave_.Sprite(cell % kCaveColumns, cell / kCaveColumns)) sprite->Frame = frame;
}

void TSearchCave::Save(uint8_t* state) const {
  state[kPlayerX] = static_cast<uint8_t>(cave_.PlayerX);
  state[kPlayerY] = static_cast<uint8_t>(cave_.PlayerY);
  state[kDiamonds] = static_cast<uint8_t>(cave_.DiamondsLeft > 255 ? 255 : cave_.DiamondsLeft);
  state[kFlags] = cave_.PlayerImage == "  " ? kHidden : 0;
  uint8_t* cells = state + kCells;
  const uint16_t* grid = cave_.CurrentMap->WorkingCells.data();
  const int width = cave_.CurrentMap->Width;
  // Sand matters only where a thing still in the cave could come.
  TCellMask relevant{};
  for (int y = 0; y < kCaveRows; ++y) {
    for (int x = 0; x < kCaveColumns; ++x) {
      const uint16_t code = grid[x + width * y];
      if (!InFallSet(code) && code != kBalloon) continue;
      const auto& masks = masks_[KindSlot(code)];
      const int cell = x + kCaveColumns * y;
      if (masks.empty() || masks[cell] == TCellMask{}) {
        // A thing where none was thought able to come: keep all sand.
        relevant.fill(~uint64_t{0});
      } else {
        for (size_t w = 0; w < relevant.size(); ++w) relevant[w] |= masks[cell][w];
      }
    }
  }
  for (int x = 0; x < kCaveColumns; ++x) {
    const uint8_t* column = cave_.CellState[x].data();
    for (int y = 0; y < kCaveRows; ++y) {
      uint16_t code = grid[x + width * y];
      uint8_t index = code < 256 ? codeIndex_[code] : 0;
      index = index == 0xFF ? 0 : index;
      const int cell = x + kCaveColumns * y;
      if (MergeSand && index == sandIndex_ && !(relevant[cell / 64] >> (cell % 64) & 1)) index = emptyIndex_;
      cells[x + kCaveColumns * y] = static_cast<uint8_t>(index << 3 | StateIndex(column[y]));
    }
  }
  uint8_t* record = cells + kCellCount;
  for (int cell : exitCells_) {
    PutSprite(cave_.Sprite(cell % kCaveColumns, cell / kCaveColumns), record);
    record += kSpriteBytes;
  }
}

void TSearchCave::Load(const uint8_t* state) {
  const uint8_t* cells = state + kCells;
  uint16_t* grid = cave_.CurrentMap->WorkingCells.data();
  const int width = cave_.CurrentMap->Width;
  for (int x = 0; x < kCaveColumns; ++x) {
    uint8_t* column = cave_.CellState[x].data();
    auto& sprites = cave_.Sprites[x];
    for (int y = 0; y < kCaveRows; ++y) {
      int i = x + kCaveColumns * y;
      grid[x + width * y] = codes_[cells[i] >> 3];
      column[y] = kStates[cells[i] & 7];
      if (sprites[y] && !isExitCell_[i]) sprites[y].reset();
    }
  }
  const uint8_t* record = cells + kCellCount;
  for (int cell : exitCells_) {
    int x = cell % kCaveColumns, y = cell / kCaveColumns;
    auto& sprite = cave_.Sprites[x][y];
    if (!record[0]) {
      sprite.reset();
    } else {
      if (!sprite) sprite = std::make_unique<TSprite>(CellScreenX(x), CellScreenY(y), nullptr);
      GetSprite(record, *sprite);
    }
    record += kSpriteBytes;
  }
  cave_.PlayerX = state[kPlayerX];
  cave_.PlayerY = state[kPlayerY];
  cave_.DiamondsLeft = state[kDiamonds];
  cave_.DeathCounter = 0;
  const char* image = Hidden(state) ? "  " : "*D";
  if (cave_.PlayerImage != image) cave_.PlayerImage = image;
  cave_.TickCountdown = kTickFrames;
  session_.Completed = false;
}

bool TSearchCave::Step(const uint8_t* state, char move, uint8_t* next) {
  Load(state);
  HoldMove(move);
  // The tick frame's own sprite step is done at once, so a loaded state
  // always owes the six frames before the next tick, as in the game.
  StepExitSprites(kTickFrames - 1);
  cave_.TickCountdown = 1;
  session_.CountDown();
  session_.Tick();
  StepExitSprites(1);
  if (session_.Completed) {
    std::memset(next, 0, StateBytes());
    next[kFlags] = kCompleted;
    return true;
  }
  if (cave_.DeathCounter > 0) return false;
  Save(next);
  return true;
}

// Sand and empty differ only to the moving things: a fall, roll, push, rise
// or lift needs an empty cell, a bomb lands on sand. Every cell a thing
// could ever reach is found first (an over-estimate: sand may be dug
// anywhere, walls go only when the map has bombs), then, for each cell a
// thing of a kind could be at, the cells those rules look at from there. A
// state stores sand as empty where no thing it still holds could look, which
// merges states that differ only by where the player has dug.
void TSearchCave::FindRelevantCells() {
  std::vector<int> objects;
  bool bombs = false, balloons = false;
  for (int i = 0; i < kCellCount; ++i) {
    uint16_t c = cave_.GetCell(i % kCaveColumns, i / kCaveColumns);
    if (InFallSet(c) || c == kBalloon) objects.push_back(i);
    bombs = bombs || c == kBomb;
    balloons = balloons || c == kBalloon;
  }
  auto solid = [&](int x, int y) {
    if (!InsideCave(x, y)) return true;
    uint16_t c = cave_.GetCell(x, y);
    if (c == kHardWall) return true;
    if (bombs) return false;
    return !(c == kEmpty || c == kSand || c == kPlayer || InFallSet(c) || c == kBalloon);
  };
  const size_t n = objects.size();
  std::vector<std::vector<bool>> reach(n, std::vector<bool>(kCellCount, false));
  std::vector<int> fallers(kCellCount, 0);  // fall-set objects that may be at a cell
  std::vector<bool> balloonAt(kCellCount, false);
  auto kindAt = [&](size_t i) { return cave_.GetCell(objects[i] % kCaveColumns, objects[i] / kCaveColumns); };
  for (size_t i = 0; i < n; ++i) reach[i][objects[i]] = true;
  auto roundBelow = [&](size_t i, int x, int y) {
    if (!InsideCave(x, y + 1)) return true;
    int below = x + kCaveColumns * (y + 1);
    return InRoundSet(cave_.GetCell(x, y + 1)) || fallers[below] - (InFallSet(kindAt(i)) && reach[i][below]) > 0;
  };
  // Whether something round may be under (x, y) for any thing at all.
  auto roundBelowAny = [&](int x, int y) {
    return !InsideCave(x, y + 1) || InRoundSet(cave_.GetCell(x, y + 1)) || fallers[x + kCaveColumns * (y + 1)] > 0;
  };
  auto rounds = [&](size_t i, int x, int y, bool anyThing) {
    return anyThing ? roundBelowAny(x, y) : roundBelow(i, x, y);
  };
  // Grows into every cell a thing of object i's kind could move on to from
  // the cells already in it; true when it grew.
  auto spread = [&](size_t i, bool anyThing, std::vector<bool>& into) {
    const uint16_t kind = kindAt(i);
    bool grew = false;
    std::vector<int> queue;
    for (int c = 0; c < kCellCount; ++c) if (into[c]) queue.push_back(c);
    auto add = [&](int x, int y) {
      if (solid(x, y) || into[x + kCaveColumns * y]) return;
      into[x + kCaveColumns * y] = true;
      queue.push_back(x + kCaveColumns * y);
      grew = true;
    };
    while (!queue.empty()) {
      int c = queue.back();
      queue.pop_back();
      int x = c % kCaveColumns, y = c / kCaveColumns;
      add(x, y + 1);
      if (kind != kDiamond || rounds(i, x, y, anyThing)) {
        // Pushed, rolled, or for a balloon pushed or drifting.
        if (!solid(x - 1, y + 1) || kind != kDiamond) add(x - 1, y);
        if (!solid(x + 1, y + 1) || kind != kDiamond) add(x + 1, y);
      }
      if (kind == kBalloon || (balloons && InsideCave(x, y + 1) && balloonAt[c + kCaveColumns])) add(x, y - 1);
    }
    return grew;
  };
  for (bool changed = true; changed;) {
    changed = false;
    std::fill(fallers.begin(), fallers.end(), 0);
    std::fill(balloonAt.begin(), balloonAt.end(), false);
    for (size_t i = 0; i < n; ++i) {
      for (int c = 0; c < kCellCount; ++c) {
        if (!reach[i][c]) continue;
        if (kindAt(i) == kBalloon) balloonAt[c] = true; else ++fallers[c];
      }
    }
    for (size_t i = 0; i < n; ++i) changed = spread(i, false, reach[i]) || changed;
  }
  // The cells whose sand or emptiness the rules look at while object i is at c.
  auto markAround = [&](size_t i, int c, auto&& put) {
    int x = c % kCaveColumns, y = c / kCaveColumns;
    const uint16_t kind = kindAt(i);
    auto mark = [&](int mx, int my) {
      if (InsideCave(mx, my)) put(mx + kCaveColumns * my);
    };
    mark(x, y);
    mark(x, y + 1);
    if (kind == kBalloon) {
      mark(x, y - 1);
      mark(x, y - 2);
    } else if (InsideCave(x, y + 1) && balloonAt[c + kCaveColumns]) {
      mark(x, y - 1);
    }
    if (kind != kDiamond) {
      mark(x - 1, y);
      mark(x + 1, y);
    }
    if (InFallSet(kind) && roundBelowAny(x, y)) {
      for (int d : {-1, 1}) {
        mark(x + d, y);
        mark(x + d, y + 1);
      }
    }
  };
  // What a thing of a kind could reach from each cell it could be at, with
  // the same rules: the cells that matter while such a thing is there.
  for (auto& masks : masks_) masks.clear();
  for (size_t i = 0; i < n; ++i) {
    auto& masks = masks_[KindSlot(kindAt(i))];
    if (masks.empty()) masks.assign(kCellCount, TCellMask{});
    for (int start = 0; start < kCellCount; ++start) {
      if (!reach[i][start] || masks[start] != TCellMask{}) continue;
      std::vector<bool> from(kCellCount, false);
      from[start] = true;
      spread(i, true, from);
      TCellMask& mask = masks[start];
      for (int c = 0; c < kCellCount; ++c) {
        if (from[c]) markAround(i, c, [&](int m) { mask[m / 64] |= 1ull << (m % 64); });
      }
    }
  }
}

void TSearchCave::PutSprite(const TSprite* s, uint8_t* record) const {
  std::memset(record, 0, kSpriteBytes);
  if (!s) return;
  record[0] = 1;
  Put16(record + 1, s->Image ? static_cast<uint16_t>(s->Image->Index + 1) : 0);
  record[3] = static_cast<uint8_t>(s->Animated | s->Looping << 1 | s->Frozen << 2 | s->Finished << 3 |
                                   s->Hidden << 4 | s->Visible << 5);
  Put16(record + 4, s->FrameCount);
  Put16(record + 6, s->Frame);
  Put16(record + 8, static_cast<uint16_t>(s->DelayCounter));
  Put16(record + 10, static_cast<uint16_t>(s->LoopCounter));
  Put16(record + 12, s->FrameDelay);
  Put16(record + 14, s->LoopPause);
}

void TSearchCave::GetSprite(const uint8_t* record, TSprite& s) const {
  uint16_t image = Get16(record + 1);
  s.Image = image > 0 && image <= images_.Count() ? &images_.At(image - 1) : nullptr;
  s.Animated = record[3] & 1;
  s.Looping = record[3] & 2;
  s.Frozen = record[3] & 4;
  s.Finished = record[3] & 8;
  s.Hidden = record[3] & 16;
  s.Visible = record[3] & 32;
  s.FrameCount = Get16(record + 4);
  s.Frame = Get16(record + 6);
  s.DelayCounter = static_cast<int16_t>(Get16(record + 8));
  s.LoopCounter = static_cast<int16_t>(Get16(record + 10));
  s.FrameDelay = Get16(record + 12);
  s.LoopPause = Get16(record + 14);
}

bool TSearchCave::StepLike(const uint8_t* before0, const uint8_t* after0, const uint8_t* before,
                           uint8_t* after) const {
  const size_t common = kCells + kCellCount;
  if (Completed(after0) || std::memcmp(before0, before, common) != 0) return false;
  const uint8_t* records = before + common;
  for (size_t e = 0; e < exitCells_.size(); ++e) {
    const int at = kCells + exitCells_[e];
    if ((before0[at] >> 3) != exitIndex_ || (after0[at] >> 3) != exitIndex_) return false;
    if (records[e * kSpriteBytes] != before0[common + e * kSpriteBytes]) return false;
  }
  // Shut exits and the same cave: the tick did the same, and each shut exit's
  // sprite only went through the tick's seven drawn frames.
  std::memcpy(after, after0, common);
  TSprite sprite(0, 0, nullptr);
  for (size_t e = 0; e < exitCells_.size(); ++e) {
    const uint8_t* from = records + e * kSpriteBytes;
    uint8_t* to = after + common + e * kSpriteBytes;
    if (!from[0]) {
      std::memset(to, 0, kSpriteBytes);
      continue;
    }
    GetSprite(from, sprite);
    sprite.Step(kTickFrames);
    PutSprite(&sprite, to);
  }
  return true;
}

void TSearchCave::StepExitSprites(int draws) {
  // What StepSprites does, on the only sprites the rules read.
  for (int cell : exitCells_) {
    int x = cell % kCaveColumns, y = cell / kCaveColumns;
    uint16_t c = cave_.GetCell(x, y);
    if (c == kEmpty || c == kVacated || c == kPlayer) continue;
    if (TSprite* sprite = cave_.Sprite(x, y)) sprite->Step(draws);
  }
}

bool TSearchCave::Hopeless(const uint8_t* state) const {
  if (Completed(state)) return false;
  int diamonds = 0;
  for (int i = 0; i < kCellCount; ++i) diamonds += (state[kCells + i] >> 3) == diamondIndex_;
  if (diamonds < state[kDiamonds]) return true;
  const uint8_t* record = state + kCells + kCellCount;
  for (size_t e = 0; e < exitCells_.size(); ++e) {
    if (record[e * kSpriteBytes]) return false;
  }
  return true;
}

bool TSearchCave::NothingHappened(const uint8_t* before, const uint8_t* after) const {
  if (Completed(after) || std::memcmp(before, after, kCells + kCellCount) != 0) return false;
  for (int cell : exitCells_) {
    if (openingIndex_[after[kCells + cell] >> 3]) return false;
  }
  return true;
}

}  // namespace quarry
