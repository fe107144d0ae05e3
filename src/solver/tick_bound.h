// A lower bound on the ticks a cave state still needs before its map is
// completed, for the best-first search. It never overestimates, so the
// first completed state taken from the queue is a shortest solution.
//
// The player moves at most one cell a tick (a balloon lift can add an upward
// step to a sideways walk). Every diamond left must be collected and every
// diamond is first met at a cell of a "visit set": its own cell when nothing
// can move it before the player comes by, together with the sand under or
// beside it that only the player can dig away; where the diamond could move
// on its own, every cell it could ever reach (such a set is bounded on its
// own: in a tour it would let the player jump across the cave). The bound is
// the shortest tour through the small visit sets, then to an exit, no shorter
// than the time an exit needs to open after the last pickup.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "solver/search_cave.h"

namespace quarry {

class TTickBound {
public:
  static constexpr uint32_t kNever = 0xFFFF;

  // cave must have been started on the map; roots are the count packed start
  // states of the caves searched together (one per exit start frame).
  TTickBound(TSearchCave& cave, const uint8_t* roots, size_t count);

  // Ticks the tuple of count caves (each cave.StateBytes() long) still needs
  // until every one of them is completed; kNever when one never can be.
  uint32_t Remaining(const uint8_t* tuple, size_t count);

private:
  static constexpr int kCells = TSearchCave::kCellCount;
  using TCellSet = std::array<uint64_t, 4>;
  struct TSetHash {
    size_t operator()(const TCellSet& s) const;
  };
  struct TVisitSet {
    std::vector<int> cells;
    std::vector<uint16_t> to;    // from any cell to the nearest cell of the set
    std::vector<uint16_t> from;  // from the nearest cell of the set to any cell
  };

  uint16_t CodeAt(const uint8_t* state, int cell) const { return cave_.Code(state[TSearchCave::kCells + cell]); }
  bool Step(int from, int to) const;
  std::vector<bool> Carried(const std::vector<int>& from, const std::function<bool(int)>& blocked) const;
  void FindBlastZone();
  uint32_t SetOf(const TCellSet& cells);
  uint32_t DiamondSet(const uint8_t* state, int cell);
  const std::vector<int>& ReachOf(int cell);
  uint16_t Between(uint32_t a, uint32_t b);
  // Ticks from a state's tick until an exit can be walked into, found by
  // running the exit alone in an otherwise walled cave.
  uint32_t TicksToEnter(const uint8_t* state, size_t exit, bool pickUpFirst);
  std::vector<uint8_t> Isolated(const uint8_t* state, bool withDiamond) const;
  uint32_t TourBound(const std::vector<uint32_t>& sets, const std::vector<uint16_t>& finals, int player);

  TSearchCave& cave_;
  size_t stateBytes_;
  bool balloons_ = false;
  std::vector<bool> permanent_;  // solid at the start and out of every blast's reach
  std::vector<bool> round_;      // permanent and round
  std::vector<bool> blast_;      // cells an explosion could ever reach
  std::vector<std::vector<bool>> threats_;  // per exit: where a bomb could still blow it up
  std::vector<uint16_t> startCode_;
  std::vector<int> exits_;
  std::vector<uint32_t> exitSets_;
  std::vector<uint32_t> opening_;  // per exit: fewest ticks from the last pickup to entering
  std::vector<uint32_t> exploded_;  // the same for an exit blown up before it
  int isolatedPlayer_ = -1;        // two free cells for the walled runs
  std::vector<TVisitSet> sets_;
  std::unordered_map<TCellSet, uint32_t, TSetHash> setIndex_;
  std::unordered_map<int, std::vector<int>> reach_;
  std::unordered_map<uint64_t, uint16_t> between_;
  std::unordered_map<std::string, uint32_t> entering_;
  std::unordered_map<std::string, std::vector<uint16_t>> tours_;
  std::string key_;
};

}  // namespace quarry
