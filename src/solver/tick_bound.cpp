#include "solver/tick_bound.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <unordered_set>

#include "game/elements.h"

namespace quarry {

namespace {

constexpr uint16_t kFar = 0xFFFF;
// Beyond this many diamonds the tour is bounded by its farthest leg alone.
constexpr size_t kMaxTour = 13;
// Visit sets larger than this stay out of the tour.
constexpr size_t kTourSetCells = 4;
// An exit that has not opened after this many ticks never will.
constexpr int kOpeningTicks = 4096;
// Packed cell states from here on are the countdown of a bomb caught by a
// blast (8 to 10).
constexpr uint8_t kCaughtStates = 5;

int Column(int cell) { return cell % kCaveColumns; }
int Row(int cell) { return cell / kCaveColumns; }
int CellAt(int x, int y) { return x + kCaveColumns * y; }

bool MovesOrGoes(uint16_t c) {
  return c == kEmpty || c == kPlayer || c == kSand || c == kBalloon || InFallSet(c);
}

uint16_t Add(uint16_t a, uint16_t b) { return a == kFar || b == kFar ? kFar : static_cast<uint16_t>(std::min(a + b, kFar - 1)); }

}  // namespace

size_t TTickBound::TSetHash::operator()(const TCellSet& s) const {
  uint64_t h = 0;
  for (uint64_t w : s) h = (h ^ w) * 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>(h ^ h >> 31);
}

TTickBound::TTickBound(TSearchCave& cave, const uint8_t* roots, size_t count)
    : cave_(cave), stateBytes_(cave.StateBytes()) {
  startCode_.resize(kCells);
  for (int i = 0; i < kCells; ++i) {
    startCode_[i] = CodeAt(roots, i);
    balloons_ = balloons_ || startCode_[i] == kBalloon;
  }
  // An exit counts as one from the start, even when it began to open at once
  // (a map without diamonds).
  for (int cell : cave.ExitCells()) {
    startCode_[cell] = kExit;
    exits_.push_back(cell);
  }
  FindBlastZone();
  permanent_.assign(kCells, false);
  round_.assign(kCells, false);
  auto tunnel = [&](int x, int y) {
    return InsideCave(x, y) && (startCode_[CellAt(x, y)] == kTunnelRight || startCode_[CellAt(x, y)] == kTunnelLeft);
  };
  for (int i = 0; i < kCells; ++i) {
    const uint16_t c = startCode_[i];
    permanent_[i] = c == kHardWall || (!MovesOrGoes(c) && !blast_[i]);
    // A traveller leaves a run at the first piece of the other way, and
    // takes that piece's place.
    const int x = Column(i), y = Row(i);
    if (tunnel(x, y) && ((tunnel(x - 1, y) && startCode_[i - 1] != c) || (tunnel(x + 1, y) && startCode_[i + 1] != c))) {
      permanent_[i] = false;
    }
    round_[i] = permanent_[i] && c == kWall;
  }
  for (int cell : exits_) {
    TCellSet set{};
    set[cell / 64] |= 1ull << (cell % 64);
    exitSets_.push_back(SetOf(set));
  }
  for (int i = 0; i + 1 < kCells && isolatedPlayer_ < 0; ++i) {
    if (Column(i) + 1 < kCaveColumns && std::find(exits_.begin(), exits_.end(), i) == exits_.end() &&
        std::find(exits_.begin(), exits_.end(), i + 1) == exits_.end()) {
      isolatedPlayer_ = i;
    }
  }

  // The exits' animations run on their own while they are shut, the same in
  // every state at the same tick: the fewest ticks from a pickup to entering,
  // over every tick of their cycle, taking the slowest of the caves.
  opening_.assign(exits_.size(), kNever);
  std::vector<std::vector<uint8_t>> now;
  for (size_t k = 0; k < count; ++k) now.push_back(Isolated(roots + k * stateBytes_, false));
  std::unordered_set<std::string> seen;
  std::vector<uint8_t> next(stateBytes_);
  for (int t = 0; t < kOpeningTicks; ++t) {
    std::string tuple;
    for (auto& s : now) tuple.append(reinterpret_cast<const char*>(s.data()), s.size());
    if (!seen.insert(tuple).second) break;
    for (size_t e = 0; e < exits_.size(); ++e) {
      uint32_t slowest = 0;
      for (auto& s : now) slowest = std::max(slowest, TicksToEnter(s.data(), e, true));
      opening_[e] = std::min(opening_[e], slowest);
    }
    for (auto& s : now) {
      if (!cave_.Step(s.data(), '.', next.data())) break;
      s = next;
    }
  }

  // A bomb may blow an exit up before the last pickup: it then opens as soon
  // as the blast's picture has ended, with only the opening picture to play.
  exploded_.assign(exits_.size(), 1);
  for (size_t e = 0; e < exits_.size(); ++e) {
    std::vector<uint8_t> s(roots, roots + stateBytes_);
    uint8_t* record = s.data() + TSearchCave::kCells + kCells + e * TSearchCave::kSpriteBytes;
    if (!record[0]) continue;
    s[TSearchCave::kDiamonds] = 0;
    s[TSearchCave::kCells + exits_[e]] = static_cast<uint8_t>(cave_.Index(kExitOpening1) << 3);
    // Animated, finished and visible; neither looping, frozen nor hidden.
    record[3] = 1 | 8 | 32;
    uint16_t frames;
    std::memcpy(&frames, record + 4, 2);
    const uint16_t last = frames > 0 ? static_cast<uint16_t>(frames - 1) : 0;
    std::memcpy(record + 6, &last, 2);
    // The pickup's own tick already turns the finished blast into the
    // opening picture: one tick less than from a state after it.
    const uint32_t ticks = TicksToEnter(s.data(), e, false);
    exploded_[e] = std::min(opening_[e], ticks > 1 && ticks < kNever ? ticks - 1 : 1);
  }
}

// Every cell a thing starting at the given cells could be moved to, one step
// at a time down, sideways, and up where balloons are, never into a blocked
// cell.
std::vector<bool> TTickBound::Carried(const std::vector<int>& from, const std::function<bool(int)>& blocked) const {
  std::vector<bool> reach(kCells, false);
  std::vector<int> queue;
  for (int c : from) {
    reach[c] = true;
    queue.push_back(c);
  }
  while (!queue.empty()) {
    int c = queue.back();
    queue.pop_back();
    int x = Column(c), y = Row(c);
    const int dx[] = {0, -1, 1, 0}, dy[] = {1, 0, 0, -1};
    for (int d = 0; d < (balloons_ ? 4 : 3); ++d) {
      int nx = x + dx[d], ny = y + dy[d];
      if (!InsideCave(nx, ny)) continue;
      int n = CellAt(nx, ny);
      if (reach[n] || blocked(n)) continue;
      reach[n] = true;
      queue.push_back(n);
    }
  }
  return reach;
}

// A thing that moves without the player (a bomb pushed, falling, rolling or
// carried) goes down or sideways, and up only where balloons are. Walls
// within one cell of where a bomb could be may be blown away.
void TTickBound::FindBlastZone() {
  blast_.assign(kCells, false);
  std::vector<int> bombs;
  for (int i = 0; i < kCells; ++i) {
    if (startCode_[i] == kBomb) bombs.push_back(i);
  }
  auto hard = [&](int c) { return startCode_[c] == kHardWall; };
  const std::vector<bool> reach = Carried(bombs, hard);
  for (int c = 0; c < kCells; ++c) {
    if (!reach[c]) continue;
    int x = Column(c), y = Row(c);
    const int dx[] = {0, -1, 1, 0, 0}, dy[] = {0, 0, 0, -1, 1};
    for (int d = 0; d < 5; ++d) {
      if (InsideCave(x + dx[d], y + dy[d]) && startCode_[CellAt(x + dx[d], y + dy[d])] != kHardWall) {
        blast_[CellAt(x + dx[d], y + dy[d])] = true;
      }
    }
  }
  // Where a bomb could be and still come next to an exit (or onto it).
  threats_.assign(exits_.size(), std::vector<bool>(kCells, false));
  for (int c = 0; c < kCells; ++c) {
    if (!reach[c]) continue;
    const std::vector<bool> from = Carried({c}, hard);
    for (size_t e = 0; e < exits_.size(); ++e) {
      const int x = Column(exits_[e]), y = Row(exits_[e]);
      for (auto [nx, ny] : {std::pair{x, y}, {x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}}) {
        if (InsideCave(nx, ny) && from[CellAt(nx, ny)]) threats_[e][c] = true;
      }
    }
  }
}

// One tick of the player from cell a to cell b in the relaxed cave: walls
// that can never go block, tunnels are travelled only their own way, an exit
// is only walked into.
bool TTickBound::Step(int a, int b) const {
  if (permanent_[b] && startCode_[b] != kExit && startCode_[b] != kTunnelRight && startCode_[b] != kTunnelLeft) {
    return false;
  }
  const int dx = Column(b) - Column(a), dy = Row(b) - Row(a);
  const bool straight = dx == 0 || dy == 0;
  auto fixed = [&](int c, uint16_t code) { return permanent_[c] && startCode_[c] == code; };
  if (fixed(a, kExit)) return false;
  if (fixed(b, kExit)) return straight;
  const bool right = dx == 1 && dy == 0, left = dx == -1 && dy == 0;
  if ((fixed(a, kTunnelRight) && !right) || (fixed(a, kTunnelLeft) && !left)) return false;
  // A traveller leaves its run into the next cell, whatever piece is there.
  const bool travelling = fixed(a, kTunnelRight) || fixed(a, kTunnelLeft);
  if (!travelling && ((fixed(b, kTunnelRight) && !right) || (fixed(b, kTunnelLeft) && !left))) return false;
  return true;
}

uint32_t TTickBound::SetOf(const TCellSet& cells) {
  auto found = setIndex_.find(cells);
  if (found != setIndex_.end()) return found->second;
  TVisitSet set;
  for (int c = 0; c < kCells; ++c) {
    if (cells[c / 64] >> (c % 64) & 1) set.cells.push_back(c);
  }
  // Breadth-first from the set, forwards and backwards over the relaxed moves.
  auto spread = [&](bool forward) {
    std::vector<uint16_t> dist(kCells, kFar);
    std::deque<int> queue;
    for (int c : set.cells) {
      dist[c] = 0;
      queue.push_back(c);
    }
    while (!queue.empty()) {
      int c = queue.front();
      queue.pop_front();
      int x = Column(c), y = Row(c);
      for (int ny = y - 1; ny <= y + 1; ++ny) {
        for (int nx = x - 1; nx <= x + 1; ++nx) {
          if (!InsideCave(nx, ny) || (nx == x && ny == y)) continue;
          const bool diagonal = nx != x && ny != y;
          // A lift turns a sideways walk into a step up and across.
          if (diagonal && (!balloons_ || (forward ? ny > y : ny < y))) continue;
          int n = CellAt(nx, ny);
          if (dist[n] != kFar || !(forward ? Step(c, n) : Step(n, c))) continue;
          dist[n] = static_cast<uint16_t>(dist[c] + 1);
          queue.push_back(n);
        }
      }
    }
    return dist;
  };
  set.from = spread(true);
  set.to = spread(false);
  uint32_t id = static_cast<uint32_t>(sets_.size());
  sets_.push_back(std::move(set));
  setIndex_.emplace(cells, id);
  return id;
}

// Every cell a diamond at cell could ever reach on its own, whatever the
// player digs: down, sideways, and up where balloons are.
const std::vector<int>& TTickBound::ReachOf(int cell) {
  auto found = reach_.find(cell);
  if (found != reach_.end()) return found->second;
  const std::vector<bool> seen = Carried({cell}, [&](int c) { return permanent_[c]; });
  std::vector<int> cells;
  for (int c = 0; c < kCells; ++c) {
    if (seen[c]) cells.push_back(c);
  }
  return reach_.emplace(cell, std::move(cells)).first->second;
}

uint32_t TTickBound::DiamondSet(const uint8_t* state, int cell) {
  const int x = Column(cell), y = Row(cell);
  TCellSet set{};
  auto add = [&](int c) { set[c / 64] |= 1ull << (c % 64); };
  auto solid = [&](int cx, int cy) { return !InsideCave(cx, cy) || permanent_[CellAt(cx, cy)]; };
  // Sand nothing but the player can take away.
  auto lockedSand = [&](int cx, int cy) {
    return InsideCave(cx, cy) && !blast_[CellAt(cx, cy)] && CodeAt(state, CellAt(cx, cy)) == kSand;
  };
  add(cell);
  bool held = false;
  if (lockedSand(x, y + 1)) {
    add(CellAt(x, y + 1));
    held = true;
  } else if (solid(x, y + 1)) {
    held = true;
    if (!InsideCave(x, y + 1) || round_[CellAt(x, y + 1)]) {
      // It rolls off unless each side is closed by a wall or by sand.
      for (int s : {-1, 1}) {
        if (solid(x + s, y) || solid(x + s, y + 1)) continue;
        bool sand = false;
        for (int cy : {y, y + 1}) {
          if (lockedSand(x + s, cy)) {
            add(CellAt(x + s, cy));
            sand = true;
          }
        }
        held = held && sand;
      }
    }
  }
  if (!held) {
    set = {};
    for (int c : ReachOf(cell)) add(c);
  }
  return SetOf(set);
}

uint16_t TTickBound::Between(uint32_t a, uint32_t b) {
  uint64_t key = static_cast<uint64_t>(a) << 32 | b;
  auto found = between_.find(key);
  if (found != between_.end()) return found->second;
  uint16_t best = kFar;
  for (int c : sets_[b].cells) best = std::min(best, sets_[a].from[c]);
  between_.emplace(key, best);
  return best;
}

std::vector<uint8_t> TTickBound::Isolated(const uint8_t* state, bool withDiamond) const {
  std::vector<uint8_t> s(state, state + stateBytes_);
  const uint8_t wall = static_cast<uint8_t>(cave_.Index(kHardWall) << 3);
  std::vector<bool> exit(kCells, false);
  for (int e : exits_) exit[e] = true;
  for (int i = 0; i < kCells; ++i) {
    if (!exit[i]) s[TSearchCave::kCells + i] = wall;
  }
  const int p = isolatedPlayer_;
  s[TSearchCave::kCells + p] = static_cast<uint8_t>(cave_.Index(kPlayer) << 3);
  if (withDiamond) s[TSearchCave::kCells + p + 1] = static_cast<uint8_t>(cave_.Index(kDiamond) << 3);
  s[TSearchCave::kPlayerX] = static_cast<uint8_t>(Column(p));
  s[TSearchCave::kPlayerY] = static_cast<uint8_t>(Row(p));
  s[TSearchCave::kDiamonds] = withDiamond ? 1 : state[TSearchCave::kDiamonds];
  s[TSearchCave::kFlags] = 0;
  return s;
}

uint32_t TTickBound::TicksToEnter(const uint8_t* state, size_t exit, bool pickUpFirst) {
  if (isolatedPlayer_ < 0) return 1;
  const int cell = exits_[exit];
  const size_t record = TSearchCave::kCells + kCells + exit * TSearchCave::kSpriteBytes;
  key_.assign(1, static_cast<char>(exit));
  key_ += pickUpFirst ? 'p' : 'w';
  key_ += static_cast<char>(state[TSearchCave::kCells + cell]);
  key_.append(reinterpret_cast<const char*>(state + record), TSearchCave::kSpriteBytes);
  auto found = entering_.find(key_);
  if (found != entering_.end()) return found->second;
  const std::string key = key_;
  std::vector<uint8_t> s = Isolated(state, pickUpFirst), next(stateBytes_);
  uint32_t ticks = kNever;
  // The pickup's own tick counts to the walk that led to the diamond.
  if (pickUpFirst) {
    cave_.Step(s.data(), 'R', next.data());
    s = next;
  }
  for (int n = 0; n < kOpeningTicks; ++n) {
    if (cave_.Code(s[TSearchCave::kCells + cell]) == kExitOpen) {
      ticks = static_cast<uint32_t>(n + 1);
      break;
    }
    if (!cave_.Step(s.data(), '.', next.data())) break;
    s = next;
  }
  entering_.emplace(key, ticks);
  return ticks;
}

uint32_t TTickBound::TourBound(const std::vector<uint32_t>& sets, const std::vector<uint16_t>& finals, int player) {
  const size_t k = sets.size();
  if (k > kMaxTour) {
    uint32_t best = 0;
    for (size_t i = 0; i < k; ++i) best = std::max<uint32_t>(best, Add(sets_[sets[i]].to[player], finals[i]));
    return best;
  }
  key_.clear();
  for (uint32_t s : sets) key_.append(reinterpret_cast<const char*>(&s), sizeof s);
  for (uint16_t f : finals) key_.append(reinterpret_cast<const char*>(&f), sizeof f);
  auto found = tours_.find(key_);
  if (found == tours_.end()) {
    // rest[mask][i]: fewest ticks from set i through the other sets of mask,
    // then to an exit.
    const size_t masks = size_t{1} << k;
    std::vector<uint16_t> rest(masks * k, kFar);
    for (size_t i = 0; i < k; ++i) rest[(size_t{1} << i) * k + i] = finals[i];
    for (size_t mask = 1; mask < masks; ++mask) {
      for (size_t i = 0; i < k; ++i) {
        if (!(mask >> i & 1) || mask == (size_t{1} << i)) continue;
        const size_t others = mask & ~(size_t{1} << i);
        uint16_t best = kFar;
        for (size_t j = 0; j < k; ++j) {
          if (others >> j & 1) best = std::min(best, Add(Between(sets[i], sets[j]), rest[others * k + j]));
        }
        rest[mask * k + i] = best;
      }
    }
    std::vector<uint16_t> whole(rest.end() - static_cast<std::ptrdiff_t>(k), rest.end());
    found = tours_.emplace(key_, std::move(whole)).first;
  }
  uint16_t best = kFar;
  for (size_t i = 0; i < k; ++i) best = std::min(best, Add(sets_[sets[i]].to[player], found->second[i]));
  return best;
}

uint32_t TTickBound::Remaining(const uint8_t* tuple, size_t count) {
  if (tours_.size() > 200000) tours_.clear();
  if (entering_.size() > 200000) entering_.clear();
  uint32_t worst = 0;
  bool diamondsDone = false;
  for (size_t k = 0; k < count; ++k) {
    const uint8_t* state = tuple + k * stateBytes_;
    if (cave_.Completed(state)) continue;
    const int player = CellAt(state[TSearchCave::kPlayerX], state[TSearchCave::kPlayerY]);
    if (state[TSearchCave::kDiamonds] > 0) {
      if (diamondsDone) continue;  // the caves' cells are the same: one tour does for all
      diamondsDone = true;
      std::vector<uint32_t> sets;
      std::vector<bool> threatened(exits_.size(), false);
      for (int c = 0; c < kCells; ++c) {
        const uint8_t packed = state[TSearchCave::kCells + c];
        const uint16_t code = cave_.Code(packed);
        if (code == kDiamond) sets.push_back(DiamondSet(state, c));
        // A bomb, or one caught by a blast that will go off where it is.
        const bool caught = code >= kExplosion1 && code <= kExplosionLast && (packed & 7) >= kCaughtStates;
        if (code != kBomb && !caught) continue;
        for (size_t e = 0; e < exits_.size(); ++e) threatened[e] = threatened[e] || threats_[e][c];
      }
      std::sort(sets.begin(), sets.end());
      std::vector<uint16_t> finals(sets.size(), kFar);
      for (size_t i = 0; i < sets.size(); ++i) {
        for (size_t e = 0; e < exits_.size(); ++e) {
          const uint16_t code = CodeAt(state, exits_[e]);
          const bool sprite = state[TSearchCave::kCells + kCells + e * TSearchCave::kSpriteBytes] != 0;
          if (!sprite) continue;
          // A shut exit opens on its own clock; one blown up, now or before
          // the last pickup, may open sooner than that.
          const uint32_t opening = code == kExit && !threatened[e] ? opening_[e] : exploded_[e];
          if (opening >= kNever) continue;
          const uint16_t walk = sets_[sets[i]].from[exits_[e]];
          finals[i] = std::min(finals[i], std::max<uint16_t>(walk, static_cast<uint16_t>(opening)));
        }
      }
      // A diamond that could be met almost anywhere would let the tour jump
      // across the cave: it is bounded on its own instead.
      std::vector<uint32_t> tour;
      std::vector<uint16_t> tourFinals;
      for (size_t i = 0; i < sets.size(); ++i) {
        if (sets_[sets[i]].cells.size() <= kTourSetCells) {
          tour.push_back(sets[i]);
          tourFinals.push_back(finals[i]);
        } else {
          worst = std::max<uint32_t>(worst, Add(sets_[sets[i]].to[player], finals[i]));
        }
      }
      if (!tour.empty()) worst = std::max(worst, TourBound(tour, tourFinals, player));
      continue;
    }
    uint32_t best = kNever;
    for (size_t e = 0; e < exits_.size(); ++e) {
      if (state[TSearchCave::kCells + kCells + e * TSearchCave::kSpriteBytes] == 0 &&
          CodeAt(state, exits_[e]) != kExitOpen) {
        continue;
      }
      const uint32_t opening = TicksToEnter(state, e, false);
      if (opening >= kNever) continue;
      best = std::min<uint32_t>(best, std::max<uint32_t>(sets_[exitSets_[e]].to[player], opening));
    }
    worst = std::max(worst, best);
  }
  return worst >= kFar ? kNever : worst;
}

}  // namespace quarry
