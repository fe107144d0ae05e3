#include "solver/solver.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "solver/search_cave.h"
#include "solver/state_codec.h"
#include "solver/tick_bound.h"

namespace quarry {

namespace {

constexpr char kMoves[] = ".UDLR";
constexpr uint32_t kMoveShift = 29;
constexpr uint32_t kParentMask = (1u << kMoveShift) - 1;
constexpr uint32_t kMaxCombinations = 256;

// Parent link and move of every stored state, in chunks so that growing never
// copies (the memory limit is checked against what is really held).
class TNodeStore {
public:
  static constexpr size_t kChunk = 1 << 20;
  size_t Size() const { return size_; }
  size_t Bytes() const { return chunks_.size() * kChunk * sizeof(uint32_t); }
  bool Full() const { return size_ > kParentMask; }
  uint32_t Push(uint32_t parent, uint32_t move) {
    if (size_ % kChunk == 0) chunks_.push_back(std::make_unique<uint32_t[]>(kChunk));
    chunks_[size_ / kChunk][size_ % kChunk] = parent | move << kMoveShift;
    return static_cast<uint32_t>(size_++);
  }
  uint32_t At(uint32_t id) const { return chunks_[id / kChunk][id % kChunk]; }

private:
  std::vector<std::unique_ptr<uint32_t[]>> chunks_;
  size_t size_ = 0;
};

std::string PathTo(const TNodeStore& nodes, uint32_t id) {
  std::string moves;
  while (id != 0) {
    uint32_t entry = nodes.At(id);
    moves += kMoves[entry >> kMoveShift];
    id = entry & kParentMask;
  }
  std::reverse(moves.begin(), moves.end());
  return moves;
}

// The start of every cave searched together: one per combination of exit
// start frames (one for a single seed). False with result's error set.
bool StartCaves(TSearchCave& cave, const TSolveOptions& options, std::vector<uint8_t>& root, size_t& count,
                TSolveResult& result) {
  cave.MergeSand = !options.Plain;
  if (!cave.Start(options.Seed)) {
    result.Status = SolveStatus::BadMap;
    result.Error = cave.Error;
    return false;
  }
  const size_t sub = cave.StateBytes();
  std::vector<uint16_t> choices = options.AllSeeds ? cave.StartFrameChoices() : std::vector<uint16_t>();
  uint64_t combinations = 1;
  for (uint16_t c : choices) {
    combinations *= c;
    if (combinations > kMaxCombinations) {
      result.Status = SolveStatus::BadMap;
      result.Error = "the exits' start frames make more than " + std::to_string(kMaxCombinations) +
                     " combinations";
      return false;
    }
  }
  count = static_cast<size_t>(combinations);
  result.StartFrameCombinations = static_cast<uint32_t>(count);
  root.assign(count * sub, 0);
  for (size_t k = 0; k < count; ++k) {
    if (options.AllSeeds) {
      cave.Start(options.Seed);
      size_t rest = k;
      for (size_t e = 0; e < choices.size(); ++e) {
        cave.SetStartFrame(e, static_cast<uint16_t>(rest % choices[e]));
        rest /= choices[e];
      }
    }
    cave.Save(root.data() + k * sub);
  }
  return true;
}

}  // namespace

std::vector<uint32_t> BoundsAlong(TMaps& maps, int mapIndex, const TImageTable& images, const TSolveOptions& options,
                                  const std::string& moves) {
  TSearchCave cave(maps, mapIndex, images);
  TSolveResult result;
  std::vector<uint8_t> state;
  size_t count = 0;
  std::vector<uint32_t> bounds;
  if (!StartCaves(cave, options, state, count, result)) return bounds;
  TTickBound bound(cave, state.data(), count);
  const size_t sub = cave.StateBytes();
  std::vector<uint8_t> next(state.size());
  for (char move : moves) {
    bounds.push_back(bound.Remaining(state.data(), count));
    for (size_t k = 0; k < count; ++k) {
      if (cave.Completed(state.data() + k * sub) || !cave.Step(state.data() + k * sub, move, next.data() + k * sub)) {
        std::memcpy(next.data() + k * sub, state.data() + k * sub, sub);
      }
    }
    state.swap(next);
  }
  bounds.push_back(bound.Remaining(state.data(), count));
  return bounds;
}

TSolveResult Solve(TMaps& maps, int mapIndex, const TImageTable& images, const TSolveOptions& options) {
  using Clock = std::chrono::steady_clock;
  const auto started = Clock::now();
  TSolveResult result;
  TSearchCave cave(maps, mapIndex, images);
  std::vector<uint8_t> root;
  size_t count = 1;
  if (!StartCaves(cave, options, root, count, result)) return result;
  const size_t sub = cave.StateBytes();
  const size_t size = count * sub;

  TTickBound bound(cave, root.data(), count);
  TFingerprintSet seen;
  TNodeStore nodes;
  TOpenList open;
  std::vector<uint8_t> state(size), child(size), encoded, record;
  struct TChild {
    uint32_t f, id;
    std::vector<uint8_t> bytes;
  };
  std::vector<TChild> children;
  // Cave 0 is stored against the start, the others against cave 0: they
  // differ only where the exits' animations do.
  auto encode = [&](const std::vector<uint8_t>& s) {
    encoded.clear();
    EncodeDiff(s.data(), root.data(), sub, encoded);
    for (size_t k = 1; k < count; ++k) EncodeDiff(s.data() + k * sub, s.data(), sub, encoded);
  };
  auto decode = [&](const uint8_t* in, std::vector<uint8_t>& s) {
    size_t at = DecodeDiff(in, root.data(), sub, s.data());
    for (size_t k = 1; k < count; ++k) at += DecodeDiff(in + at, s.data(), sub, s.data() + k * sub);
  };

  TSolveProgress& figures = result.Figures;
  auto bytes = [&]() { return seen.Bytes() + nodes.Bytes() + open.Bytes(); };
  auto update = [&](uint32_t depth) {
    figures.Stored = nodes.Size();
    figures.Queued = open.Count();
    figures.Depth = depth;
    figures.Seconds = std::chrono::duration<double>(Clock::now() - started).count();
    figures.Bytes = bytes();
    result.PeakBytes = std::max(result.PeakBytes, figures.Bytes);
  };
  auto solved = [&](uint32_t node, uint32_t ticks) {
    result.Status = SolveStatus::Solved;
    result.Moves = PathTo(nodes, node);
    update(ticks);
    return result;
  };

  const uint32_t rootBound = options.Plain ? 0 : bound.Remaining(root.data(), count);
  if (rootBound > options.MaxTicks) {
    update(0);
    result.Status = SolveStatus::Unsolvable;
    return result;
  }
  // The encoded form stands for the whole tuple (it is a function of it and
  // the start) and is a tenth of its size: that is what is hashed.
  encode(root);
  seen.Visit(Fingerprint(encoded.data(), encoded.size()), 0);
  nodes.Push(0, 0);
  open.Push(rootBound, 0, 0, encoded);

  // Best first: lowest ticks-so-far plus bound. The bound never
  // overestimates, so the first completed state taken is a shortest one.
  constexpr uint32_t kGoal = 1u << 31;
  uint32_t f = 0, g = 0, tag = 0, shown = 0;
  while (open.Pop(f, g, tag, record)) {
    if (tag & kGoal) return solved(tag & ~kGoal, g);
    // A state met again in fewer ticks was queued again: this copy is spent.
    if (seen.TicksOf(Fingerprint(record.data(), record.size())) < g) continue;
    decode(record.data(), state);
    const uint32_t node = tag;
    size_t active = 0;
    while (cave.Completed(state.data() + active * sub)) ++active;
    // Hidden in a tunnel, the player's keys do nothing.
    const size_t choices = cave.Hidden(state.data() + active * sub) ? 1 : sizeof kMoves - 1;
    bool stopped = false;
    // Waiting first: a key that changes nothing then merges into the wait.
    for (size_t choice = 0; choice < choices; ++choice) {
      const char* m = kMoves + choice;
      bool alive = true, done = true, idle = true;
      for (size_t k = 0; k < count && alive; ++k) {
        const uint8_t* before = state.data() + k * sub;
        uint8_t* after = child.data() + k * sub;
        if (cave.Completed(before)) {
          std::memcpy(after, before, sub);
          continue;
        }
        if (k > 0 && cave.StepLike(state.data(), child.data(), before, after)) {
          done = false;
          idle = idle && cave.NothingHappened(before, after);
          continue;
        }
        alive = cave.Step(before, *m, after) && !cave.Hopeless(after);
        done = done && alive && cave.Completed(after);
        idle = idle && alive && cave.NothingHappened(before, after);
      }
      if (!alive) continue;
      const uint32_t move = static_cast<uint32_t>(choice);
      const uint32_t ticks = g + 1;
      // Waiting while nothing moves leads nowhere new.
      if (!done && idle) continue;
      const uint32_t remaining = done || options.Plain ? 0 : bound.Remaining(child.data(), count);
      if (remaining >= TTickBound::kNever) continue;
      const uint32_t childF = std::max(f, ticks + remaining);
      if (childF > options.MaxTicks) continue;
      if (nodes.Full() || (seen.NeedsGrowth() && bytes() + seen.BytesAfterGrowth() > options.MemoryLimit)) {
        result.Status = SolveStatus::MemoryLimit;
        stopped = true;
        break;
      }
      if (done) {
        const uint32_t id = nodes.Push(node, move);
        if (childF == f) return solved(id, ticks);
        encoded.clear();
        open.Push(childF, ticks, id | kGoal, encoded);
        continue;
      }
      encode(child);
      if (!seen.Visit(Fingerprint(encoded.data(), encoded.size()), static_cast<uint16_t>(ticks))) continue;
      const uint32_t id = nodes.Push(node, move);
      children.push_back({childF, id, encoded});
    }
    // Last in, first out: the wait goes in last so that it is tried first.
    for (auto c = children.rbegin(); c != children.rend(); ++c) open.Push(c->f, g + 1, c->id, c->bytes);
    children.clear();
    if (stopped) break;
    ++figures.Expanded;
    if (figures.Expanded % 4096 == 0 || f != shown) {
      update(f);
      if (options.TimeLimit >= 0 && figures.Seconds >= options.TimeLimit) {
        result.Status = SolveStatus::TimeLimit;
        break;
      }
      if (figures.Bytes > options.MemoryLimit) {
        result.Status = SolveStatus::MemoryLimit;
        break;
      }
      if (options.Progress && (figures.Expanded % 65536 == 0 || f != shown)) options.Progress(figures);
      shown = f;
    }
  }
  update(f);
  if (result.Status != SolveStatus::TimeLimit && result.Status != SolveStatus::MemoryLimit) {
    result.Status = SolveStatus::Unsolvable;
  }
  return result;
}

}  // namespace quarry
