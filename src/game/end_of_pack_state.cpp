#include "game/end_of_pack_state.h"

#include <cmath>
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

bool StepFamily(std::vector<TWalker>& walkers, const std::function<void(const TWalker&)>& draw) {
  bool anyActive = false;
  for (TWalker& w : walkers) {
    if (!w.Active) continue;
    if (w.Delay > 0) {
      --w.Delay;
    } else {
      w.X = static_cast<int16_t>(w.X - 2);
      if (w.X >= 256 && w.X < 320) w.Y = static_cast<int16_t>(w.Y - 2);
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
