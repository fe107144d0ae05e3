// The game's own cave and play session, driven one tick at a time from a
// packed state. A state holds what decides the future: cell codes and cell
// states, the player's cell, whether the player is hidden in a tunnel, the
// diamonds left and the animation state of every sprite on an exit's cell
// (that decides the tick an exit opens). Other sprites only matter to the
// rules once they reach an exit's cell; the search drops them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/cave.h"
#include "game/play_session.h"
#include "game/sound_sink.h"

namespace quarry {

class TSearchCave {
public:
  // Byte layout of a packed state.
  static constexpr size_t kPlayerX = 0, kPlayerY = 1, kDiamonds = 2, kFlags = 3, kCells = 4;
  static constexpr size_t kSpriteBytes = 16;
  static constexpr uint8_t kHidden = 1, kCompleted = 2;
  static constexpr int kCellCount = kCaveColumns * kCaveRows;

  TSearchCave(TMaps& maps, int mapIndex, const TImageTable& images);

  // Starts the map's first attempt under the seed. False (with Error set)
  // when the map holds a cell code the packed form cannot hold.
  bool Start(uint32_t seed);
  std::string Error;
  // Off, every cell's sand is kept as it is, even where nothing could ever
  // care (the plain search that checks the merging).
  bool MergeSand = true;

  // The exits' cells and how many start frames each exit's animation can
  // have (1 for an exit without an animated sprite).
  const std::vector<int>& ExitCells() const { return exitCells_; }
  std::vector<uint16_t> StartFrameChoices() const;
  // Puts exit i's sprite on the given frame (after Start).
  void SetStartFrame(size_t exit, uint16_t frame);

  size_t StateBytes() const { return kCells + kCellCount + exitCells_.size() * kSpriteBytes; }
  void Save(uint8_t* state) const;
  // Runs one tick with the move ("UDLR.") held, from state into next. Returns
  // false when the player died in it (next is then undefined).
  bool Step(const uint8_t* state, char move, uint8_t* next);

  // Tests on a packed state.
  bool Hidden(const uint8_t* state) const { return (state[kFlags] & kHidden) != 0; }
  bool Completed(const uint8_t* state) const { return (state[kFlags] & kCompleted) != 0; }
  // No way left to finish: fewer diamonds on the grid than still needed, or
  // no exit cell that can still open.
  bool Hopeless(const uint8_t* state) const;
  // The tick from before to after changed nothing but a shut exit's
  // animation phase: nothing moved, counted down, exploded or opened.
  bool NothingHappened(const uint8_t* before, const uint8_t* after) const;

  // Another start frame's cave beside the one just stepped (before0 to
  // after0 with the same move): when both are the same apart from shut exits,
  // after is made from after0 without running the tick. False otherwise.
  bool StepLike(const uint8_t* before0, const uint8_t* after0, const uint8_t* before, uint8_t* after) const;

  TCave& Cave() { return cave_; }
  uint16_t Code(uint8_t packed) const { return codes_[packed >> 3]; }
  // The packed code index of a cell code, 0xFF when the map cannot hold it.
  uint8_t Index(uint16_t code) const { return code < 256 ? codeIndex_[code] : 0xFF; }
  size_t CodeCount() const { return codes_.size(); }

private:
  void Load(const uint8_t* state);
  void StepExitSprites(int draws);
  void PutSprite(const TSprite* sprite, uint8_t* record) const;
  void GetSprite(const uint8_t* record, TSprite& sprite) const;
  void FindRelevantCells();

  TSilentSink sounds_;
  TCave cave_;
  TPlaySession session_;
  const TImageTable& images_;
  std::vector<int> exitCells_;     // x + 20 * y of every "!" of the map
  std::vector<bool> isExitCell_;
  std::vector<uint16_t> codes_;    // packed code index -> cell code
  uint8_t codeIndex_[256] = {};
  uint8_t diamondIndex_ = 0;
  uint8_t sandIndex_ = 0;
  uint8_t exitIndex_ = 0;
  uint8_t emptyIndex_ = 0;
  // Cells where sand and empty can make a difference to the rules while a
  // thing of a kind is at a cell.
  using TCellMask = std::array<uint64_t, 4>;
  static int KindSlot(uint16_t kind) { return kind == kDiamond ? 0 : kind == kBoulder ? 1 : kind == kBomb ? 2 : 3; }
  std::vector<TCellMask> masks_[4];
  bool openingIndex_[32] = {};
};

}  // namespace quarry
