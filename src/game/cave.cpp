#include "game/cave.h"

#include "core/log.h"
#include "core/random.h"

namespace quarry {

namespace {
const char* const kActivateTag = "MAP, TMaps.SetActive";
}

TCave::TCave(TMaps& maps, const TImageTable& images, TSoundSink& sounds)
    : maps_(maps), images_(images), sounds_(sounds) {
  explosionImage_ = images_.Find("X");
  exitOpeningImage_ = images_.Find("!1");
  exitOpenImage_ = images_.Find("!2");
  tunnelImage_[0] = images_.Find(">");
  tunnelImage_[1] = images_.Find("<");
  travelImage_[0] = images_.Find(">2");
  travelImage_[1] = images_.Find("<2");
  blank_.PadTo(kCaveColumns, kCaveRows, kEmpty);
  blank_.WorkingCells = blank_.FileCells;
  CurrentMap = &blank_;
  cells_ = blank_.WorkingCells.data();
}

TCave::~TCave() = default;

bool TCave::SetActive(int n) {
  bool haveMap = maps_.Count() > 0;
  if (n < 0 || n >= maps_.Count()) {
    LogWarning("Invalid map number! (" + std::to_string(n) + ")", kActivateTag);
    LogWarning("Using 0 instead...", kActivateTag);
    n = 0;
  }
  activeMap_ = n;
  CurrentMap = haveMap ? &maps_.Map(n) : &blank_;
  TXMap& map = *CurrentMap;
  // A record whose layer does not match its size is treated as empty rather
  // than read past its end.
  if (map.FileCells.size() != static_cast<size_t>(map.Width) * map.Height) {
    map.Loaded = false;
    map.Width = 0;
    map.Height = 0;
  }
  // The pack pads short records; a record that slipped through (or never
  // loaded) is padded here so that every cell of the grid exists.
  if (!map.Loaded || map.Width < kCaveColumns || map.Height < kCaveRows) {
    map.PadTo(kCaveColumns, kCaveRows, kWall);
  }
  FreeSprites();
  map.WorkingCells.resize(map.FileCells.size());
  for (size_t i = 0; i < map.FileCells.size(); ++i) map.WorkingCells[i] = map.FileCells[i] & 0xFF;
  cells_ = map.WorkingCells.data();
  width_ = map.Width;
  for (auto& column : CellState) column.fill(kStateRest);

  for (int x = 0; x < kCaveColumns; ++x) {
    for (int y = 0; y < kCaveRows; ++y) {
      uint16_t code = Cell(x, y);
      if (code == kEmpty || code == kPlayer) continue;
      std::string name(1, static_cast<char>(code));
      int variants = images_.VariantCount(static_cast<uint8_t>(code));
      if (variants >= 0) name += std::to_string(Random(static_cast<uint32_t>(variants)) + 1);
      const TImageInfo* image = images_.Find(name);
      std::unique_ptr<TSprite> sprite;
      if (image && image->Width > kCellSize) {
        uint8_t options = TSprite::kLooping;
        // Every "=" starts on frame 0 so that neighbouring blocks animate in step.
        if (code != kSyncBlock) options |= TSprite::kRandomStart;
        sprite = MakeAnimated(x, y, options, image, 2);
      } else {
        sprite = std::make_unique<TSprite>(CellScreenX(x), CellScreenY(y), image);
        sprite->FrameDelay = 2;
      }
      Sprites[x][y] = std::move(sprite);
    }
  }
  return haveMap;
}

std::unique_ptr<TSprite> TCave::MakeAnimated(int x, int y, uint8_t options,
                                             const TImageInfo* image, uint16_t frameDelay) const {
  auto sprite =
      std::make_unique<TSprite>(CellScreenX(x), CellScreenY(y), kCellSize, options, image);
  sprite->FrameDelay = frameDelay;
  return sprite;
}

uint8_t TCave::GetFileCell(int x, int y) const {
  if (!InsideCave(x, y)) return kWall;
  return static_cast<uint8_t>(CurrentMap->FileCells[static_cast<size_t>(x + width_ * y)] & 0xFF);
}

void TCave::FindPlayer() {
  PlayerX = 0;
  PlayerY = 0;
  for (int x = 0; x < kCaveColumns; ++x) {
    for (int y = 0; y < kCaveRows; ++y) {
      if (GetFileCell(x, y) == kPlayer) {
        PlayerX = static_cast<uint16_t>(x);
        PlayerY = static_cast<uint16_t>(y);
        return;
      }
    }
  }
}

uint16_t TCave::CountDiamonds() const {
  uint16_t count = 0;
  for (int y = 0; y < kCaveRows; ++y) {
    for (int x = 0; x < kCaveColumns; ++x) count += GetFileCell(x, y) == kDiamond;
  }
  return count;
}

void TCave::FreeSprites() {
  for (auto& column : Sprites) {
    for (auto& sprite : column) sprite.reset();
  }
}

void TCave::RemoveSprite(int x, int y) {
  if (!InsideCave(x, y) || !Sprites[x][y]) return;
  Sprites[x][y].reset();
  Cell(x, y) = kEmpty;
}

bool TCave::CanEnter(int x, int y) const {
  uint16_t c = GetCell(x, y);
  return c == kEmpty || c == kDiamond || c == kSand || c == kExitOpen;
}

bool TCave::TunnelExitFree(int x, int y, int d) const {
  // A run of tunnel pieces that reaches the edge has no exit cell: refused.
  for (x += d; x >= 0 && x < kCaveColumns; x += d) {
    uint16_t c = GetCell(x, y);
    if (c == kEmpty || c == kDiamond || c == kSand) return true;
    if (c != kTunnelLeft && c != kTunnelRight) return false;
  }
  return false;
}

void TCave::MoveSprite(int fromX, int fromY, int toX, int toY) {
  Sprites[toX][toY] = std::move(Sprites[fromX][fromY]);
}

void TCave::ShowImage(int x, int y, const TImageInfo* image) {
  if (TSprite* sprite = Sprites[x][y].get()) sprite->Image = image;
}

void TCave::StepSprites(int draws) {
  for (int y = 0; y < kCaveRows; ++y) {
    const uint16_t* row = cells_ + width_ * y;
    for (int x = 0; x < kCaveColumns; ++x) {
      uint16_t c = row[x];
      if (c == kEmpty || c == kVacated || c == kPlayer) continue;
      if (TSprite* sprite = Sprites[x][y].get()) sprite->Step(draws);
    }
  }
}

}  // namespace quarry
