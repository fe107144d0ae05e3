// The cave's pictures told apart by brightness and shape, not by hue: what a
// player with red-green colour blindness, or on a dim screen, still sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "art.h"

using namespace datagen;

namespace {

double Luma(Rgb c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

const Image& Find(const std::vector<ArtFile>& art, const std::string& member) {
  auto it = std::find_if(art.begin(), art.end(), [&](const ArtFile& f) { return f.member == member; });
  if (it == art.end()) throw std::runtime_error("no picture " + member);
  return it->image;
}

struct LumaStats {
  double mean = 0, deviation = 0;
};
// Over the whole tile, or only over what is drawn (black is the empty cave around a round thing).
LumaStats Measure(const Image& img, bool drawnOnly) {
  std::vector<double> values;
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x)
      if (!drawnOnly || !(img.Get(x, y) == Rgb{})) values.push_back(Luma(img.Get(x, y)));
  LumaStats s;
  for (double v : values) s.mean += v / values.size();
  for (double v : values) s.deviation += (v - s.mean) * (v - s.mean) / values.size();
  s.deviation = std::sqrt(s.deviation);
  return s;
}

// Hue in degrees, or -1 for a colour too grey to have a trustworthy one.
double Hue(Rgb c) {
  const int hi = std::max({c.r, c.g, c.b}), lo = std::min({c.r, c.g, c.b}), chroma = hi - lo;
  if (chroma < 40) return -1;
  double h = hi == c.r ? double(c.g - c.b) / chroma : hi == c.g ? 2.0 + double(c.b - c.r) / chroma
                                                                : 4.0 + double(c.r - c.g) / chroma;
  return std::fmod(h * 60 + 360, 360);
}

}  // namespace

TEST(CaveArt, BoulderIsFarFromSandInBrightnessAndSandVariantsAreCalm) {
  const std::vector<ArtFile> art = CaveArt();
  double lowest = 255, highest = 0;
  for (const char* sand : {"sand1.bmp", "sand2.bmp", "sand3.bmp"}) {
    LumaStats s = Measure(Find(art, sand), false);
    EXPECT_LE(s.deviation, 8) << sand << " is blotchy";
    EXPECT_GE(s.mean, 48) << sand << " is hard to tell from a dug-out cell";
    lowest = std::min(lowest, s.mean), highest = std::max(highest, s.mean);
  }
  EXPECT_LE(highest - lowest, 4) << "sand variants of different brightness make a patchwork";
  for (const char* rock : {"rock1.bmp", "rock2.bmp", "rock3.bmp"}) {
    const double stone = Measure(Find(art, rock), true).mean;
    EXPECT_TRUE(stone - highest >= 50 || lowest - stone >= 50) << rock << " " << stone << " against sand "
                                                               << lowest << ".." << highest;
  }
}

TEST(CaveArt, EveryDiamondHasOneHueAndBombsABrightOutlineOnBlack) {
  const std::vector<ArtFile> cave = CaveArt(), outro = OutroArt();
  std::vector<const Image*> diamonds;
  for (const char* gem : {"gem1.bmp", "gem2.bmp", "gem3.bmp"}) diamonds.push_back(&Find(cave, gem));
  for (const char* gem : {"odiam1.bmp", "odiam2.bmp", "odiam3.bmp", "odiam4.bmp"}) diamonds.push_back(&Find(outro, gem));
  double reference = -1;
  int coloured = 0, otherHue = 0;
  for (const Image* img : diamonds)
    for (int y = 0; y < img->Height(); ++y)
      for (int x = 0; x < img->Width(); ++x) {
        const double h = Hue(img->Get(x, y));
        if (h < 0) continue;
        if (reference < 0) reference = h;
        const double off = std::abs(h - reference);
        ++coloured;
        otherHue += std::min(off, 360 - off) > 10;
      }
  EXPECT_GT(coloured, 7 * 100) << "the diamonds are coloured, not grey";
  EXPECT_EQ(otherHue, 0) << "pixels of another colour than the first diamond's";

  // The rim of a bomb: drawn pixels next to the black of the cave (or the frame's edge).
  for (const char* bomb : {"bomb1.bmp", "bomb2.bmp"}) {
    const Image& img = Find(cave, bomb);
    auto dark = [&](int x, int y, int frame) {
      return x < frame * 32 || x >= frame * 32 + 32 || Luma(img.Get(x, y)) < 16;
    };
    int rim = 0, bright = 0;
    for (int y = 0; y < img.Height(); ++y)
      for (int x = 0; x < img.Width(); ++x) {
        const int frame = x / 32;
        if (dark(x, y, frame)) continue;
        if (!dark(x - 1, y, frame) && !dark(x + 1, y, frame) && !dark(x, y - 1, frame) && !dark(x, y + 1, frame))
          continue;
        ++rim;
        bright += Luma(img.Get(x, y)) >= 120;
      }
    EXPECT_GT(rim, 60) << bomb;
    EXPECT_GE(bright, rim * 9 / 10) << bomb << ": the rim fades into the black";
  }
}
