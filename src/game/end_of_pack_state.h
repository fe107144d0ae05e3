// The moving parts of the end-of-pack scene as plain state: the diamonds'
// flight, the family's walk, the straight-line moves, the background legend
// and the closing text. The scene (game/screen/end_of_pack.cpp) steps these
// once per frame and draws what they report; nothing here draws.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quarry {

constexpr int kFlightSteps = 96;         // frames a diamond needs from v = 280 to 184
constexpr int kFlyingDiamondCount = 100;
constexpr int kFamilySize = 16;          // the mother and fifteen children

// Sideways swing along the flight: round(255 * sin(pi * i / 96)), i = 0..96.
const std::array<int16_t, kFlightSteps + 1>& FlightTable();

struct TFlyingDiamond {
  int16_t V = 280;     // vertical position; the flight ends at 184
  int16_t S = 0;       // swing, -50..49
  int16_t Delay = 0;   // frames before it starts
  bool Active = true;
  uint8_t Variant = 1;  // "Diam1".."Diam4"
};

// Diamond i starts after 4 * i frames; swing and variant come from the
// seeded generator (swing first, then variant, diamond by diamond).
std::vector<TFlyingDiamond> MakeFlyingDiamonds();
// 360 + floor(S * a[V - 184] / 256): the arc of a diamond at its height.
int DiamondX(const TFlyingDiamond& diamond);
// One frame of the flight: every active diamond waits or rises one pixel and
// is reported to draw(x, y, variant). Returns false once all have landed.
bool StepFlight(std::vector<TFlyingDiamond>& diamonds,
                const std::function<void(int x, int y, int variant)>& draw);

struct TWalker {
  int16_t X = 640;
  int16_t Y = 0;
  int16_t Delay = 0;
  bool Active = true;
  std::string Image;
};

// The mother ("ElfMrs2" at y 304) and fifteen children ("ElfKid" + a random
// letter A..D + "2" at y 312), child i starting after 10 * i + 8 frames.
std::vector<TWalker> MakeFamily();
// How far above the doorway's floor the family walks at x: they step up onto
// the guard's block, down past the stairs, and up twice more to the cave's
// left exit, 64 pixels in all; each step takes 16 pixels of the walk.
int FamilyClimb(int x);
// One frame of the walk: two pixels left, following FamilyClimb; a walker that
// reaches x = -32 leaves. Each walker that moved is reported to draw. Returns
// false once all have left.
bool StepFamily(std::vector<TWalker>& walkers, const std::function<void(const TWalker&)>& draw);

// Position at step i of steps on the line from `from` to `to`, truncating
// towards zero.
int16_t MovePosition(int16_t from, int16_t to, int i, int steps);

// One straight stretch of a figure's walk, `Steps` frames long.
struct TLeg {
  int16_t X1, Y1, X2, Y2;
  int Steps;
};
// Walks that change height follow the steps of the scene's ground: level
// stretches joined by short steps at the edges of the cells.
// The messenger from the cave's entrance down to the boss, (128, 240) to
// (352, 272) in 224 frames.
const std::vector<TLeg>& MessengerDescent();
// The guard from his post down the stairs to the door, (414, 172) to
// (572, 268) in 158 frames.
const std::vector<TLeg>& GuardDescent();
// The same walk backwards.
std::vector<TLeg> Reversed(const std::vector<TLeg>& legs);

// What a background cell shows: the image (null for nothing) and the offset
// of its top-left corner from the cell's top-left corner on the screen.
struct TLegendEntry {
  const char* Image = nullptr;
  int Dx = 0;
  int Dy = 0;
};
TLegendEntry LegendOf(uint16_t cell);

// "Congratulations!" with each letter behind its own font-select byte, the
// fonts 1, 4, 0, 5, 2, 3, 6 in turn.
std::string CongratulationsText();

}  // namespace quarry
