// The running cave: the 20 x 12 grid of element codes (the working layer of
// the active map record), a state byte and at most one sprite per cell, and
// the player's state. CaveTick and the explosion rules are in cave_physics.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "game/elements.h"
#include "game/images.h"
#include "game/sound_sink.h"
#include "game/sprite.h"
#include "maps/map_pack.h"
#include "maps/xmap.h"

namespace quarry {

class TCave {
public:
  TCave(TMaps& maps, const TImageTable& images, TSoundSink& sounds);
  ~TCave();
  TCave(const TCave&) = delete;
  TCave& operator=(const TCave&) = delete;

  // Makes map n (0-based) the running cave: working layer from the file
  // layer, states cleared, a sprite for every cell. An n out of range plays
  // map 0; false when the pack holds no map at all (the cave is then empty).
  bool SetActive(int n);
  int ActiveMap() const { return activeMap_; }

  // Cells outside the grid read as a wall and are never written: maps without
  // a frame of walls must not let the rules read or write beyond the grid.
  uint16_t GetCell(int x, int y) const {
    return InsideCave(x, y) ? cells_[x + width_ * y] : static_cast<uint16_t>(kWall);
  }
  void SetCell(int x, int y, uint16_t code) {
    if (InsideCave(x, y)) cells_[x + width_ * y] = code;
  }
  uint8_t GetFileCell(int x, int y) const;

  void FindPlayer();
  uint16_t CountDiamonds() const;
  void FreeSprites();
  void RemoveSprite(int x, int y);
  bool CanEnter(int x, int y) const;
  bool TunnelExitFree(int x, int y, int d) const;

  void CaveTick();
  void Explode(int x, int y);
  void ExplodeCell(int x, int y);
  void OpenExits();

  // What DrawCave does to the sprites' state over the given number of frames:
  // every cell that is not empty, vacated or the player steps its sprite.
  void StepSprites(int draws);

  TSprite* Sprite(int x, int y) const { return Sprites[x][y].get(); }
  void PlaySound(const char* name) { sounds_.Play(name); }
  const TImageTable& Images() const { return images_; }
  TXMap* CurrentMap = nullptr;

  std::array<std::array<uint8_t, kCaveRows>, kCaveColumns> CellState{};
  std::array<std::array<std::unique_ptr<TSprite>, kCaveRows>, kCaveColumns> Sprites;

  uint16_t PlayerX = 0;
  uint16_t PlayerY = 0;
  uint16_t DiamondsLeft = 0;
  uint16_t DeathCounter = 0;
  std::string PlayerImage = "*D";
  uint16_t TickCountdown = 0;

private:
  uint16_t& Cell(int x, int y) { return cells_[x + width_ * y]; }
  void MoveSprite(int fromX, int fromY, int toX, int toY);
  void ShowImage(int x, int y, const TImageInfo* image);
  std::unique_ptr<TSprite> MakeAnimated(int x, int y, uint8_t options, const TImageInfo* image,
                                        uint16_t frameDelay) const;
  void Landing();
  void Countdown();
  void Balloons();
  void FallAndTravel();
  void Transitions();
  void TravelStep(int x, int y, int d);

  TMaps& maps_;
  const TImageTable& images_;
  TSoundSink& sounds_;
  TXMap blank_;  // the cave of a pack without maps
  uint16_t* cells_ = nullptr;
  int width_ = kCaveColumns;
  int activeMap_ = 0;
  const TImageInfo* explosionImage_ = nullptr;
  const TImageInfo* exitOpeningImage_ = nullptr;
  const TImageInfo* exitOpenImage_ = nullptr;
  const TImageInfo* tunnelImage_[2] = {};     // ">", "<"
  const TImageInfo* travelImage_[2] = {};     // ">2", "<2"
};

// Screen position of a cell's top-left corner.
inline int CellScreenX(int x) { return kCellSize * x; }
inline int CellScreenY(int y) { return kCellSize * y + kCaveTop; }

}  // namespace quarry
