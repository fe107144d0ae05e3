#include "solver/solver.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "solver/search_cave.h"
#include "solver/state_codec.h"

namespace quarry {

namespace {

// Waiting first: a key that changes nothing then merges into the wait.
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

}  // namespace

TSolveResult Solve(TMaps& maps, int mapIndex, const TImageTable& images, const TSolveOptions& options) {
  using Clock = std::chrono::steady_clock;
  const auto started = Clock::now();
  TSolveResult result;
  TSearchCave cave(maps, mapIndex, images);
  if (!cave.Start(options.Seed)) {
    result.Status = SolveStatus::BadMap;
    result.Error = cave.Error;
    return result;
  }

  // One cave per combination of exit start frames (one for a single seed).
  const size_t sub = cave.StateBytes();
  std::vector<uint16_t> choices = options.AllSeeds ? cave.StartFrameChoices() : std::vector<uint16_t>();
  uint64_t combinations = 1;
  for (uint16_t c : choices) {
    combinations *= c;
    if (combinations > kMaxCombinations) {
      result.Status = SolveStatus::BadMap;
      result.Error = "the exits' start frames make more than " + std::to_string(kMaxCombinations) +
                     " combinations";
      return result;
    }
  }
  const size_t count = static_cast<size_t>(combinations);
  result.StartFrameCombinations = static_cast<uint32_t>(count);
  const size_t size = count * sub;
  std::vector<uint8_t> root(size);
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

  TFingerprintSet seen;
  TNodeStore nodes;
  TRecordArena current, next;
  std::vector<uint8_t> state(size), child(size), encoded;
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
  seen.Insert(Fingerprint(root.data(), size));
  nodes.Push(0, 0);
  encode(root);
  current.Append(0, encoded);

  TSolveProgress& figures = result.Figures;
  auto bytes = [&]() { return seen.Bytes() + nodes.Bytes() + current.Bytes() + next.Bytes(); };
  auto update = [&](uint32_t depth) {
    figures.Stored = nodes.Size();
    figures.Queued = current.Count() + next.Count();
    figures.Depth = depth;
    figures.Seconds = std::chrono::duration<double>(Clock::now() - started).count();
    figures.Bytes = bytes();
    result.PeakBytes = std::max(result.PeakBytes, figures.Bytes);
  };
  auto overTime = [&]() { return options.TimeLimit >= 0 && figures.Seconds >= options.TimeLimit; };

  for (uint32_t depth = 0; depth < options.MaxTicks && current.Count() > 0; ++depth) {
    update(depth);
    if (options.Progress) options.Progress(figures);
    if (overTime()) {
      result.Status = SolveStatus::TimeLimit;
      return result;
    }
    bool found = false;
    bool stopped = false;
    current.ForEach([&](uint32_t node, const uint8_t* data, uint32_t) {
      decode(data, state);
      size_t active = 0;
      while (cave.Completed(state.data() + active * sub)) ++active;
      // Hidden in a tunnel, the player's keys do nothing.
      const char* moves = cave.Hidden(state.data() + active * sub) ? "." : kMoves;
      for (const char* m = moves; *m; ++m) {
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
        uint32_t move = static_cast<uint32_t>(m - moves);
        if (done) {
          result.Moves = PathTo(nodes, node) + kMoves[move];
          found = true;
          return false;
        }
        // Waiting while nothing moves leads nowhere new.
        if (idle) continue;
        if (seen.NeedsGrowth() && bytes() + seen.BytesAfterGrowth() > options.MemoryLimit) {
          stopped = true;
          result.Status = SolveStatus::MemoryLimit;
          return false;
        }
        if (!seen.Insert(Fingerprint(child.data(), size))) continue;
        if (nodes.Full()) {
          stopped = true;
          result.Status = SolveStatus::MemoryLimit;
          return false;
        }
        uint32_t id = nodes.Push(node, move);
        encode(child);
        next.Append(id, encoded);
      }
      ++figures.Expanded;
      if (figures.Expanded % 4096 == 0) {
        update(depth);
        if (overTime()) {
          stopped = true;
          result.Status = SolveStatus::TimeLimit;
        } else if (figures.Bytes > options.MemoryLimit) {
          stopped = true;
          result.Status = SolveStatus::MemoryLimit;
        } else if (options.Progress && figures.Expanded % 65536 == 0) {
          options.Progress(figures);
        }
      }
      return !stopped;
    });
    update(depth);
    if (found) {
      result.Status = SolveStatus::Solved;
      figures.Depth = depth + 1;
      return result;
    }
    if (stopped) return result;
    std::swap(current, next);
    next.Clear();
  }
  update(figures.Depth);
  result.Status = SolveStatus::Unsolvable;
  return result;
}

}  // namespace quarry
