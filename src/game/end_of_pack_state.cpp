#include "game/end_of_pack_state.h"

#include <cmath>
#include <iterator>
#include <numbers>

#include "core/random.h"

namespace quarry {

const std::array<int16_t, kFlightSteps + 1>& FlightTable() {
  static const std::array<int16_t, kFlightSteps + 1> table = [] {
    std::array<int16_t, kFlightSteps + 1> a{};
    for (int i = 0; i <= kFlightSteps; ++i) {
      a[static_cast<size_t>(i)] =
          static_cast<int16_t>(std::lround(255.0 * std::sin(std::numbers::pi * i / kFlightSteps)));
    }
    return a;
  }();
  return table;
}

std::vector<TFlyingDiamond> MakeFlyingDiamonds() {
  std::vector<TFlyingDiamond> diamonds(kFlyingDiamondCount);
  for (int i = 0; i < kFlyingDiamondCount; ++i) {
    TFlyingDiamond& d = diamonds[static_cast<size_t>(i)];
    d.S = static_cast<int16_t>(static_cast<int>(Random(100)) - 50);
    d.Variant = static_cast<uint8_t>(Random(4) + 1);
    d.Delay = static_cast<int16_t>(4 * i);
  }
  return diamonds;
}

int DiamondX(const TFlyingDiamond& diamond) {
  int index = diamond.V - 184;
  // Only heights on the flight path have a swing; anything else flies straight.
  int swing = index >= 0 && index <= kFlightSteps ? FlightTable()[static_cast<size_t>(index)] : 0;
  // Floor, not truncation: a leftward swing rounds further left.
  int product = diamond.S * swing;
  int offset = product >= 0 ? product / 256 : -((-product + 255) / 256);
  return 360 + offset;
}

bool StepFlight(std::vector<TFlyingDiamond>& diamonds,
                const std::function<void(int x, int y, int variant)>& draw) {
  bool anyActive = false;
  for (TFlyingDiamond& d : diamonds) {
    if (!d.Active) continue;
    if (d.Delay > 0) {
      --d.Delay;
    } else {
      --d.V;
      draw(DiamondX(d), d.V, d.Variant);
      if (d.V <= 184) d.Active = false;
    }
    anyActive = anyActive || d.Active;
  }
  return anyActive;
}

std::vector<TWalker> MakeFamily() {
  std::vector<TWalker> walkers(kFamilySize);
  walkers[0].Y = 304;
  walkers[0].Image = "ElfMrs2";
  for (int i = 1; i < kFamilySize; ++i) {
    TWalker& w = walkers[static_cast<size_t>(i)];
    w.Y = 312;
    w.Delay = static_cast<int16_t>(10 * i + 8);
    w.Image = std::string("ElfKid") + static_cast<char>('A' + Random(4)) + "2";
  }
  return walkers;
}

int FamilyClimb(int x) {
  // {x, climb} from the door leftwards; straight between the points. The
  // steps lie where a walker's feet leave one cell and reach the next.
  static const int kPoints[][2] = {{600, 0},  {584, 32}, {568, 32}, {552, 0},
                                   {408, 0},  {392, 32}, {280, 32}, {264, 64}};
  if (x >= kPoints[0][0]) return 0;
  for (size_t i = 1; i < std::size(kPoints); ++i) {
    const int* a = kPoints[i - 1];
    const int* b = kPoints[i];
    if (x >= b[0]) return a[1] + (b[1] - a[1]) * (a[0] - x) / (a[0] - b[0]);
  }
  return 64;
}

bool StepFamily(std::vector<TWalker>& walkers, const std::function<void(const TWalker&)>& draw) {
  bool anyActive = false;
  for (TWalker& w : walkers) {
    if (!w.Active) continue;
    if (w.Delay > 0) {
      --w.Delay;
    } else {
      w.Y = static_cast<int16_t>(w.Y + FamilyClimb(w.X) - FamilyClimb(w.X - 2));
      w.X = static_cast<int16_t>(w.X - 2);
      draw(w);
      if (w.X <= -32) w.Active = false;
    }
    anyActive = anyActive || w.Active;
  }
  return anyActive;
}

int16_t MovePosition(int16_t from, int16_t to, int i, int steps) {
  if (steps <= 0) return to;
  // The product is formed in 32 bits: 224 steps over 224 pixels would wrap a
  // 16-bit product and throw the figure back across the screen mid-walk.
  int32_t offset = static_cast<int32_t>(i) * (static_cast<int32_t>(to) - from) / steps;
  return static_cast<int16_t>(from + offset);
}

const std::vector<TLeg>& MessengerDescent() {
  // The step down lies where his feet leave the grass of column 8.
  static const std::vector<TLeg> legs = {
      {128, 240, 277, 240, 149}, {277, 240, 293, 272, 16}, {293, 272, 352, 272, 59}};
  return legs;
}

const std::vector<TLeg>& GuardDescent() {
  // Off the ledge and down three stairs, one cell each.
  static const std::vector<TLeg> legs = {{414, 172, 500, 172, 86}, {500, 172, 508, 204, 8},
                                         {508, 204, 532, 204, 24}, {532, 204, 540, 236, 8},
                                         {540, 236, 564, 236, 24}, {564, 236, 572, 268, 8}};
  return legs;
}

std::vector<TLeg> Reversed(const std::vector<TLeg>& legs) {
  std::vector<TLeg> back;
  for (auto it = legs.rbegin(); it != legs.rend(); ++it) back.push_back({it->X2, it->Y2, it->X1, it->Y1, it->Steps});
  return back;
}

TLegendEntry LegendOf(uint16_t cell) {
  switch (cell) {
    case '#': return {"Wall", 0, 0};
    case '.': return {"Grass", 0, 0};
    case '1': return {"ElfBad2", -4, -4};
    case '2': return {"ElfBad2", -4, 0};
    case '3': return {"ElfBad1", -2, -4};
    case 'b': return {"ElfBoss1", 0, 0};
    default: return {};
  }
}

std::string CongratulationsText() {
  static const char kFonts[7] = {1, 4, 0, 5, 2, 3, 6};
  const std::string word = "Congratulations!";
  std::string text;
  for (size_t i = 0; i < word.size(); ++i) {
    text += kFonts[i % 7];
    text += word[i];
  }
  return text;
}

}  // namespace quarry
