// The end-of-pack scene: its flight and walk state stepped frame by frame,
// and the whole scene played on the dummy video driver with the built
// quarry.mad, a virtual clock and scripted keys, its frames saved as
// screenshots at chosen frames.
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

#include "app/frame.h"
#include "app/script.h"
#include "archive/mad.h"
#include "core/clock.h"
#include "core/keys.h"
#include "core/random.h"
#include "game/end_of_pack_state.h"
#include "game/screen/end_of_pack.h"
#include "graphics/bmp_font.h"
#include "graphics/image_collection.h"
#include "graphics/image_loader.h"
#include "graphics/zr_sdl.h"
#include "graphics/zrar_font.h"
#include "maps/xmap.h"
#include "test_support.h"

namespace quarry {
namespace {

// ---- The state, stepped without a display ----

TEST(EndOfPackFlight, TableRisesFromZeroToFullSwingAndBackSymmetrically) {
  const auto& a = FlightTable();
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(a[96], 0);
  EXPECT_EQ(a[48], 255);
  EXPECT_EQ(a[1], 8);     // 255 * sin(pi / 96) = 8.34
  EXPECT_EQ(a[24], 180);  // 255 * sin(pi / 4) = 180.3
  EXPECT_EQ(a[12], 98);   // 255 * sin(pi / 8) = 97.6
  for (int i = 0; i <= 96; ++i) EXPECT_EQ(a[i], a[96 - i]) << i;
  for (int i = 0; i < 48; ++i) EXPECT_LE(a[i], a[i + 1]) << i;
}

TEST(EndOfPackFlight, HundredDiamondsFlyFor492FramesEachRisingFrom279To184) {
  Randomize(5);
  auto diamonds = MakeFlyingDiamonds();
  ASSERT_EQ(diamonds.size(), 100u);
  std::vector<std::vector<int>> heights;  // per frame, the heights drawn
  bool flying = true;
  while (flying && heights.size() < 1000) {
    heights.emplace_back();
    flying = StepFlight(diamonds, [&](int, int y, int) { heights.back().push_back(y); });
  }
  ASSERT_EQ(heights.size(), 4u * 99 + 96);
  size_t draws = 0;
  for (const auto& frame : heights) draws += frame.size();
  EXPECT_EQ(draws, 100u * 96);
  EXPECT_EQ(heights[0], std::vector<int>{279});
  EXPECT_EQ(heights[4], (std::vector<int>{275, 279})) << "the second starts on the fifth frame";
  EXPECT_EQ(heights[95].size(), 24u);
  EXPECT_EQ(heights[95].front(), 184);
  EXPECT_EQ(heights[96].size(), 24u) << "the first has landed, the 25th starts";
  EXPECT_EQ(heights.back(), std::vector<int>{184});
  for (const auto& d : diamonds) EXPECT_FALSE(d.Active);
}

TEST(EndOfPackFlight, SwingFollowsTheArcWithFloorDivision) {
  TFlyingDiamond d;
  for (int v = 184; v <= 280; ++v) {
    d.V = static_cast<int16_t>(v);
    d.S = 0;
    EXPECT_EQ(DiamondX(d), 360) << "s = 0 rises straight up";
  }
  d.S = -50;
  d.V = 232;
  EXPECT_EQ(DiamondX(d), 310);  // floor(-50 * 255 / 256) = -50
  d.S = 49;
  EXPECT_EQ(DiamondX(d), 408);  // floor(49 * 255 / 256) = 48
  d.S = -1;
  EXPECT_EQ(DiamondX(d), 359) << "truncation would give 360";
  d.S = -50;
  for (int v : {184, 280}) {
    d.V = static_cast<int16_t>(v);
    EXPECT_EQ(DiamondX(d), 360) << v;
  }
}

TEST(EndOfPackFlight, SwingsVariantsAndDelaysComeFromTheSeed) {
  std::set<int> swings, variants;
  Randomize(3);
  auto first = MakeFlyingDiamonds();
  Randomize(3);
  auto again = MakeFlyingDiamonds();
  for (size_t i = 0; i < first.size(); ++i) {
    const auto& d = first[i];
    EXPECT_TRUE(d.V == 280 && d.Active && d.Delay == static_cast<int16_t>(4 * i)) << i;
    EXPECT_TRUE(d.S >= -50 && d.S <= 49 && d.Variant >= 1 && d.Variant <= 4) << i;
    EXPECT_TRUE(d.S == again[i].S && d.Variant == again[i].Variant) << i;
    swings.insert(d.S);
    variants.insert(d.Variant);
  }
  EXPECT_EQ(variants.size(), 4u);
  EXPECT_GT(swings.size(), 40u);  // 100 draws over 100 values
}

TEST(EndOfPackFamily, WalkLasts494FramesAndEveryoneClimbs64PixelsOnTheSlope) {
  Randomize(9);
  auto walkers = MakeFamily();
  ASSERT_EQ(walkers.size(), 16u);
  EXPECT_EQ(walkers[0].Image, "ElfMrs2");
  EXPECT_EQ(walkers[0].Y, 304);
  EXPECT_EQ(walkers[0].Delay, 0);
  for (int i = 1; i < 16; ++i) {
    const std::string& image = walkers[i].Image;
    ASSERT_EQ(image.size(), 8u) << image;
    EXPECT_EQ(image.substr(0, 6), "ElfKid");
    EXPECT_TRUE(image[6] >= 'A' && image[6] <= 'D') << image;
    EXPECT_EQ(image[7], '2');
    EXPECT_EQ(walkers[i].Y, 312);
    EXPECT_EQ(walkers[i].Delay, 10 * i + 8);
  }
  std::vector<int> steps(16, 0);
  std::vector<TWalker> last(16);
  int frames = 0;
  bool walking = true;
  while (walking && frames < 1000) {
    ++frames;
    walking = StepFamily(walkers, [&](const TWalker& w) {
      size_t i = static_cast<size_t>(&w - walkers.data());
      ++steps[i];
      if (w.X == 256) {
        EXPECT_EQ(w.Y, (i == 0 ? 304 : 312) - 64) << "top of the slope, walker " << i;
      }
      if (w.X == 320) {
        EXPECT_EQ(w.Y, i == 0 ? 304 : 312) << "foot of the slope, walker " << i;
      }
      last[i] = w;
    });
  }
  EXPECT_EQ(frames, 158 + 336);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(steps[i], 336) << i;
    EXPECT_EQ(last[i].X, -32) << i;
    EXPECT_EQ(last[i].Y, (i == 0 ? 304 : 312) - 64) << i;
  }
}

TEST(EndOfPackMove, PositionsReachTheEndWithoutWrappingAndTruncateTowardsZero) {
  // 224 steps over 224 pixels: a 16-bit product would wrap past step 146.
  EXPECT_EQ(MovePosition(128, 352, 147, 224), 275);
  EXPECT_EQ(MovePosition(352, 128, 224, 224), 128);
  EXPECT_EQ(MovePosition(-32, 128, 1, 160), -31);
  EXPECT_EQ(MovePosition(240, 272, 7, 224), 240 + 224 / 224);  // 7 * 32 / 224 = 1
  EXPECT_EQ(MovePosition(240, 272, 6, 224), 240);              // 192 / 224 truncates to 0
  EXPECT_EQ(MovePosition(0, -3, 1, 2), -1);                    // -1.5 towards zero
  EXPECT_EQ(MovePosition(414, 572, 158, 158), 572);
}

TEST(EndOfPackText, CongratulationsCyclesSevenFontsSoNeighboursDiffer) {
  const std::string text = CongratulationsText();
  ASSERT_EQ(text.size(), 32u);
  const int expected[7] = {1, 4, 0, 5, 2, 3, 6};
  std::string letters;
  for (size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(text[2 * i], expected[i % 7]) << i;
    if (i > 0) {
      EXPECT_NE(text[2 * i], text[2 * i - 2]);
    }
    letters += text[2 * i + 1];
  }
  EXPECT_EQ(letters, "Congratulations!");
}

// ---- The whole scene on the dummy display ----

const std::filesystem::path kRunDir = QUARRY_RUN_DIR;

// Colours whose set of non-zero channels tells the font apart even where a
// glyph's edge is dimmed.
constexpr uint8_t kFontColours[7][3] = {{0, 0, 255},   {255, 0, 0},     {0, 255, 0},    {255, 0, 255},
                                        {0, 255, 255}, {255, 255, 0}, {255, 255, 255}};
int ChannelPattern(uint8_t r, uint8_t g, uint8_t b) { return (r ? 4 : 0) | (g ? 2 : 0) | (b ? 1 : 0); }

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
  bool Black() const { return r == 0 && g == 0 && b == 0; }
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}
Rgb PixelOf(SDL_Surface* s, int x, int y) {
  Rgb c;
  GetPixelRGB(s, x, y, c.r, c.g, c.b);
  return c;
}

class EndOfPackScene : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kRunDir / "quarry.mad")) << "build the gamedata target first";
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    UseVirtualClock(true);
    ASSERT_TRUE(OpenTestDisplay());
    SetFrameRate(60);
    ClearKeys();
    archive = std::make_unique<TMad>((kRunDir / "quarry.mad").string());
    for (int i = 0; i < 7; ++i) {
      fonts[i] = std::make_unique<TBMPFont>("font", *archive, kFontColours[i][0], kFontColours[i][1],
                                            kFontColours[i][2]);
      fonts[i]->SetColorKey(0, 0, 0);
      context.ColorFonts[i] = fonts[i].get();
    }
    anti = std::make_unique<TZrarFont>("anti.zrr", *archive);
    anti->Spacing = 1;
    anti->Render(255, 255, 255);
    anti->SetColorKey(0, 0, 0);
    context.MainArchive = archive.get();
    context.AntiFont = anti.get();
    images = std::make_unique<TImageCollection>(64);
    images->LoadList("outro.lst", *archive);
  }
  void TearDown() override {
    SetInputScript({});
    ClearKeys();
    images.reset();
    anti.reset();
    for (auto& f : fonts) f.reset();
    archive.reset();
    CloseTestDisplay();
  }

  // Pumps are counted from the scene's first frame.
  void Key(uint32_t pump, ScriptEvent::Kind kind) {
    ScriptEvent e;
    e.pump = base + pump;
    e.kind = kind;
    e.key = kKeySpace;
    events.push_back(e);
  }
  void Shot(uint32_t pump, const std::string& name) {
    ScriptEvent e;
    e.pump = base + pump;
    e.kind = ScriptEvent::Kind::Shot;
    e.file = dir / name;
    events.push_back(e);
  }
  // Runs the scene; returns the number of frames (event pumps) it took.
  uint32_t Play() {
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.pump < b.pump; });
    SetInputScript(events);
    PlayEndOfPack(context);
    return PumpCount() - base;
  }
  // The shot in the BackBuffer's format, so pixels read back as drawn.
  SurfacePtr Load(const std::string& name) {
    SurfacePtr file(SDL_LoadBMP((dir / name).c_str()));
    EXPECT_TRUE(file) << name;
    if (!file) return file;
    SurfacePtr s(SDL_ConvertSurface(file.get(), BackBuffer->format, 0));
    EXPECT_TRUE(s) << name;
    return s;
  }
  // Every non-black pixel of the image drawn at (x, y), within the box the
  // later drawings leave alone, shows on the shot unchanged.
  void ExpectImageAt(SDL_Surface* shot, const std::string& name, int x, int y, int maxX = 639,
                     int maxY = 479) {
    SDL_Surface* image = images->Find(name);
    ASSERT_NE(image, nullptr) << name;
    int compared = 0;
    for (int iy = 0; iy < image->h; ++iy) {
      for (int ix = 0; ix < image->w; ++ix) {
        int px = x + ix, py = y + iy;
        Rgb want = PixelOf(image, ix, iy);
        if (want.Black() || px < 0 || py < 0 || px > maxX || py > maxY) continue;
        ASSERT_EQ(PixelOf(shot, px, py), want) << name << " pixel " << ix << "," << iy << " at " << px << "," << py;
        ++compared;
      }
    }
    EXPECT_GT(compared, 0) << name;
  }

  TempDir dir;
  std::unique_ptr<TMad> archive;
  std::unique_ptr<TBMPFont> fonts[7];
  std::unique_ptr<TZrarFont> anti;
  std::unique_ptr<TImageCollection> images;
  GameContext context;
  std::vector<ScriptEvent> events;
  uint32_t base = PumpCount();
};

TEST_F(EndOfPackScene, SpaceHeldFromTheStartEndsEveryStepAtItsFirstFrameAndTheTextWantsANewPress) {
  // 20 building blocks of one frame each; the closing text starts at frame 21.
  Key(1, ScriptEvent::Kind::Down);
  Key(23, ScriptEvent::Kind::Up);
  Key(25, ScriptEvent::Kind::Down);
  EXPECT_EQ(Play(), 25u);
  EXPECT_EQ(PixelOf(BackBuffer, 320, 240), Rgb{}) << "the scene clears the screen when it ends";
}

TEST_F(EndOfPackScene, WithoutArchiveFontsOrMusicTheScriptStillRunsDrawingOnlyTheFrame) {
  context = GameContext{};
  Shot(2, "bare.bmp");
  Key(1, ScriptEvent::Kind::Down);
  Key(23, ScriptEvent::Kind::Up);
  Key(25, ScriptEvent::Kind::Down);
  EXPECT_EQ(Play(), 25u);
  SurfacePtr bare = Load("bare.bmp");
  ASSERT_TRUE(bare);
  EXPECT_EQ(PixelOf(bare.get(), 100, 47), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelOf(bare.get(), 16, 64), Rgb{}) << "no wall without the archive";
}

TEST_F(EndOfPackScene, UntouchedSceneRunsItsScriptFrameByFrame) {
  // Frames of the script: walk in 384, pauses 30 and 60, the dialogue 1140,
  // the flight 492 (frames 1615..2106), 120, 420, 15, 300, the guard 158 + 30
  // and 15, the walk 494 (frames 3165..3658), 60, walk out 384, 120: 4222.
  const uint32_t seed = 77;
  Shot(1, "background.bmp");
  Shot(480, "bubble.bmp");
  Shot(2106, "lastdiamond.bmp");
  Shot(3164 + 236, "family.bmp");
  Shot(4223, "closing.bmp");
  Key(4230, ScriptEvent::Kind::Down);
  Randomize(seed);
  ASSERT_EQ(Play(), 4230u);

  // The background: bands, logo and the legend of every cell of outro.mpt.
  SurfacePtr background = Load("background.bmp");
  ASSERT_TRUE(background);
  const std::pair<int, uint8_t> bands[] = {{44, 63}, {45, 127}, {46, 191}, {47, 255},
                                           {432, 255}, {433, 191}, {434, 127}, {435, 63}};
  for (auto [row, level] : bands) {
    for (int x : {0, 320, 639}) EXPECT_EQ(PixelOf(background.get(), x, row), (Rgb{level, level, level})) << row;
  }
  SurfacePtr logo = LoadImage("logolite.bmp", *archive);
  ASSERT_TRUE(logo);
  EXPECT_EQ(PixelOf(background.get(), 192 + logo->w / 2, 8 + logo->h / 2), PixelOf(logo.get(), logo->w / 2, logo->h / 2));
  TXMap map;
  map.LoadFromMad("outro.mpt", *archive);
  ASSERT_GE(map.Width, 20);
  ASSERT_GE(map.Height, 12);
  int figures = 0;
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      int cx = 32 * x, cy = 32 * y + 48;
      // Cells drawn later (right and below) may cover a figure's overhang.
      switch (map.FileCell(x, y)) {
        case '#': ExpectImageAt(background.get(), "Wall", cx, cy); break;
        case '.': ExpectImageAt(background.get(), "Grass", cx, cy); break;
        case '1': ExpectImageAt(background.get(), "ElfBad2", cx - 4, cy - 4, cx + 31, cy + 31); ++figures; break;
        case '2': ExpectImageAt(background.get(), "ElfBad2", cx - 4, cy, cx + 31, cy + 31); ++figures; break;
        case '3': ExpectImageAt(background.get(), "ElfBad1", cx - 2, cy - 4, cx + 31, cy + 31); ++figures; break;
        case 'b': ExpectImageAt(background.get(), "ElfBoss1", cx, cy, cx + 31, cy + 31); ++figures; break;
        default: EXPECT_EQ(PixelOf(background.get(), cx + 16, cy + 16), Rgb{}) << x << "," << y; break;
      }
    }
  }
  EXPECT_GE(figures, 3);

  // The first question: a white box with cut corners, dark text, a tail.
  SurfacePtr bubble = Load("bubble.bmp");
  ASSERT_TRUE(bubble);
  const std::string question = "Do you have the diamonds?";
  const int w = anti->TextWidth(question), x = 368 - w / 2, y = 148;
  const Rgb white{255, 255, 255};
  EXPECT_EQ(PixelOf(bubble.get(), x, y - 1), white);
  EXPECT_EQ(PixelOf(bubble.get(), x + w - 1, y + 16), white);
  EXPECT_EQ(PixelOf(bubble.get(), x - 1, y), white);
  EXPECT_EQ(PixelOf(bubble.get(), x + w, y + 15), white);
  EXPECT_NE(PixelOf(bubble.get(), x - 1, y - 1), white) << "corner cut";
  EXPECT_NE(PixelOf(bubble.get(), x + w, y + 16), white) << "corner cut";
  for (int r = 0; r < 8; ++r) {
    EXPECT_EQ(PixelOf(bubble.get(), 368, y + 17 + r), white) << r;
    EXPECT_EQ(PixelOf(bubble.get(), 368 + 8 - r, y + 17 + r), white) << r;
    EXPECT_NE(PixelOf(bubble.get(), 368 + 9 - r, y + 17 + r), white) << r;
  }
  EXPECT_NE(PixelOf(bubble.get(), 368, y + 25), white) << "the tail is 8 rows";
  int dark = 0;
  for (int py = y; py <= y + 15; ++py) {
    for (int px = x; px < x + w; ++px) dark += PixelOf(bubble.get(), px, py) == Rgb{20, 20, 20};
  }
  EXPECT_GT(dark, 50) << "the text in (20, 20, 20)";

  // The flight's last frame shows the last diamond at the top of its arc.
  Randomize(seed);
  auto diamonds = MakeFlyingDiamonds();
  SurfacePtr flight = Load("lastdiamond.bmp");
  ASSERT_TRUE(flight);
  ExpectImageAt(flight.get(), "Diam" + std::to_string(diamonds[99].Variant), 360, 184);

  // Frame 236 of the walk: the mother is 472 pixels on, past the slope.
  auto family = MakeFamily();
  SurfacePtr walk = Load("family.bmp");
  ASSERT_TRUE(walk);
  ExpectImageAt(walk.get(), family[0].Image, 640 - 472, 304 - 64, 640 - 472 + 31, 479);

  // The closing text: each letter of the first line in its own font.
  SurfacePtr closing = Load("closing.bmp");
  ASSERT_TRUE(closing);
  const std::string word = "Congratulations!";
  int width = 0;
  for (char c : word) width += fonts[0]->TextWidth(std::string(1, c));
  int left = 320 - width / 2;
  const int order[7] = {1, 4, 0, 5, 2, 3, 6};
  for (size_t i = 0; i < word.size(); ++i) {
    const int font = order[i % 7];
    const int letterWidth = fonts[font]->TextWidth(std::string(1, word[i]));
    const int want = ChannelPattern(kFontColours[font][0], kFontColours[font][1], kFontColours[font][2]);
    int lit = 0;
    for (int py = 180; py < 180 + fonts[font]->Height; ++py) {
      for (int px = left; px < left + letterWidth; ++px) {
        Rgb c = PixelOf(closing.get(), px, py);
        if (c.Black()) continue;
        ++lit;
        ASSERT_EQ(ChannelPattern(c.r, c.g, c.b), want) << "letter " << i << " at " << px << "," << py;
      }
    }
    EXPECT_GT(lit, 0) << "letter " << i;
    left += letterWidth;
  }
  // The other lines: yellow (5) and light blue (0).
  auto rowPattern = [&](int row) {
    std::set<int> patterns;
    for (int py = row; py < row + fonts[0]->Height; ++py) {
      for (int px = 0; px < 640; ++px) {
        Rgb c = PixelOf(closing.get(), px, py);
        if (!c.Black()) patterns.insert(ChannelPattern(c.r, c.g, c.b));
      }
    }
    return patterns;
  };
  EXPECT_EQ(rowPattern(240), std::set<int>{6});
  EXPECT_EQ(rowPattern(280), std::set<int>{6});
  EXPECT_EQ(rowPattern(430), std::set<int>{1});
}

}  // namespace
}  // namespace quarry
