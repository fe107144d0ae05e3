// The end-of-pack scene: its flight and walk stepped frame by frame, and the whole scene played on
// the dummy display with the built quarry.mad, a virtual clock, scripted keys and screenshots.
#include <SDL.h>

#include <cstdlib>
#include <map>
#include <set>

#include "frame/frame.h"
#include "frame/script.h"
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

TEST(EndOfPackFlight, HundredSeededDiamondsFlyFor492FramesEachRisingFrom279To184) {
  Randomize(5);
  auto diamonds = MakeFlyingDiamonds();
  Randomize(5);
  const auto again = MakeFlyingDiamonds();
  std::set<int> swings, variants;
  for (size_t i = 0; i < diamonds.size(); ++i) {
    const auto& d = diamonds[i];
    EXPECT_TRUE(d.S >= -50 && d.S <= 49 && d.Variant >= 1 && d.Variant <= 4 && d.S == again[i].S &&
                d.Variant == again[i].Variant) << "in range, same seed same flight " << i;
    swings.insert(d.S);
    variants.insert(d.Variant);
  }
  EXPECT_TRUE(variants.size() == 4 && swings.size() > 40) << "100 draws over 100 values";
  std::vector<std::vector<int>> heights;  // per frame, the heights drawn
  size_t draws = 0;
  for (bool flying = true; flying && heights.size() < 1000;) {
    heights.emplace_back();
    flying = StepFlight(diamonds, [&](int, int y, int) { heights.back().push_back(y), ++draws; });
  }
  ASSERT_EQ(heights.size(), 4u * 99 + 96);
  EXPECT_EQ(draws, 100u * 96);
  EXPECT_EQ(heights[0], std::vector<int>{279});
  EXPECT_EQ(heights[4], (std::vector<int>{275, 279})) << "the second starts on the fifth frame";
  EXPECT_TRUE(heights[95].size() == 24 && heights[95].front() == 184 && heights[96].size() == 24)
      << "the first has landed, the 25th starts";
  EXPECT_EQ(heights.back(), std::vector<int>{184});
}

TEST(EndOfPackFlight, SwingFollowsASymmetricArcWithFloorDivision) {
  const auto& a = FlightTable();
  // 255 * sin(pi * i / 96), rounded and mirrored: catches a wrong period, truncation or a lopsided arc.
  for (auto [i, v] : {std::pair{0, 0}, {1, 8}, {12, 98}, {24, 180}, {48, 255}, {96, 0}}) EXPECT_EQ(a[i], v) << i;
  for (int i = 0; i <= 96; ++i) EXPECT_EQ(a[i], a[96 - i]) << i;
  // {S, V, x}: x = 360 + floor(S * arc / 256); truncation would give 360 for S = -1.
  const int cases[][3] = {{0, 184, 360},  {0, 232, 360},  {0, 280, 360},   {-50, 232, 310},
                          {49, 232, 408}, {-1, 232, 359}, {-50, 184, 360}, {-50, 280, 360}};
  for (auto c : cases) EXPECT_EQ(DiamondX({.V = int16_t(c[1]), .S = int16_t(c[0])}), c[2]) << c[0] << " " << c[1];
}

TEST(EndOfPackFamily, WalkLasts494FramesAndEveryoneClimbs64PixelsStepByStep) {
  Randomize(9);
  auto walkers = MakeFamily();
  ASSERT_EQ(walkers.size(), 16u);
  auto floorY = [](size_t i) { return i == 0 ? 304 : 312; };
  EXPECT_TRUE(walkers[0].Image == "ElfMrs2" && walkers[0].Y == 304 && walkers[0].Delay == 0);
  for (int i = 1; i < 16; ++i) {
    const std::string& im = walkers[i].Image;
    EXPECT_TRUE(im.size() == 8 && im.starts_with("ElfKid") && im[6] >= 'A' && im[6] <= 'D' && im[7] == '2' &&
                walkers[i].Y == 312 && walkers[i].Delay == 10 * i + 8) << i << " " << im;
  }
  std::vector<int> steps(16, 0);
  std::vector<TWalker> last(16);
  int frames = 0;
  for (bool walking = true; walking && frames < 1000; ++frames) {
    walking = StepFamily(walkers, [&](const TWalker& w) {
      size_t i = static_cast<size_t>(&w - walkers.data());
      ++steps[i];
      // {x, climb}: past the door, on the guard's block, below the stairs, on the middle ground, at the left exit.
      for (auto [x, climb] : {std::pair{600, 0}, {576, 32}, {480, 0}, {320, 32}, {256, 64}})
        EXPECT_TRUE(w.X != x || w.Y == floorY(i) - climb) << i << " at " << w.X;
      last[i] = w;
    });
  }
  EXPECT_EQ(frames, 158 + 336);
  for (size_t i = 0; i < 16; ++i) {
    EXPECT_TRUE(steps[i] == 336 && last[i].X == -32 && last[i].Y == floorY(i) - 64) << "walked off, " << i;
  }
}

TEST(EndOfPackMove, PositionsReachTheEndWithoutWrappingAndTruncateTowardsZero) {
  // {from, to, step, steps, want}. 224 steps over 224 pixels: a 16-bit
  // product would wrap past step 146; 192 / 224 and -1.5 truncate to zero.
  const int cases[][5] = {{128, 352, 147, 224, 275}, {352, 128, 224, 224, 128}, {-32, 128, 1, 160, -31},
                          {240, 272, 7, 224, 241},   {240, 272, 6, 224, 240},   {0, -3, 1, 2, -1},
                          {414, 572, 158, 158, 572}};
  for (auto c : cases) EXPECT_EQ(MovePosition(c[0], c[1], c[2], c[3]), c[4]) << c[0] << "->" << c[1] << " " << c[2];
}

const int kFontOrder[7] = {1, 4, 0, 5, 2, 3, 6};  // neighbouring letters never share a font

TEST(EndOfPackText, CongratulationsCyclesSevenFonts) {
  std::string want;  // font number, letter, font number, letter...
  for (int i = 0; i < 16; ++i) want += {char(kFontOrder[i % 7]), "Congratulations!"[i]};
  EXPECT_EQ(CongratulationsText(), want);
}

const std::filesystem::path kRunDir = QUARRY_RUN_DIR;
// Colours (0xRRGGBB) whose set of non-zero channels tells the font apart even where a glyph's edge is dimmed.
constexpr uint32_t kFontColours[7] = {0x0000FF, 0xFF0000, 0x00FF00, 0xFF00FF, 0x00FFFF, 0xFFFF00, 0xFFFFFF};
constexpr uint32_t kWhite = 0xFFFFFF;
int ChannelPattern(uint32_t c) { return (c & 0xFF0000 ? 4 : 0) | (c & 0xFF00 ? 2 : 0) | (c & 0xFF ? 1 : 0); }
uint32_t Px(SDL_Surface* s, int x, int y) {
  uint8_t r, g, b;
  GetPixelRGB(s, x, y, r, g, b);
  return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

class EndOfPackScene : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kRunDir / "quarry.mad")) << "build the gamedata target first";
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    UseVirtualClock(true);
    ASSERT_TRUE(OpenTestDisplay());
    SetFrameRate(60);
    archive = std::make_unique<TMad>((kRunDir / "quarry.mad").string());
    for (int i = 0; i < 7; ++i) {
      const uint32_t c = kFontColours[i];
      fonts[i] = std::make_unique<TBMPFont>("font", *archive, c >> 16, (c >> 8) & 255, c & 255);
      fonts[i]->SetColorKey(0, 0, 0);
      context.ColorFonts[i] = fonts[i].get();
    }
    anti = std::make_unique<TZrarFont>("anti.zrr", *archive);
    anti->Spacing = 1;
    anti->Render(255, 255, 255);
    anti->SetColorKey(0, 0, 0);
    context.MainArchive = archive.get();
    context.AntiFont = anti.get();
    images.LoadList("outro.lst", *archive);
  }
  // Runs the scene on a script whose pumps count from its first frame, shots saved in dir; returns the
  // number of frames (event pumps) it took.
  uint32_t Play(const std::string& script) {
    std::vector<ScriptEvent> events;
    std::string error;
    EXPECT_TRUE(ParseScript(script, "scene", events, error)) << error;
    for (auto& event : events) {
      event.pump += base;
      if (!event.file.empty()) event.file = dir / event.file;
    }
    SetInputScript(std::move(events));
    PlayEndOfPack(context);
    return PumpCount() - std::exchange(base, PumpCount());
  }
  // The shot name.bmp in the BackBuffer's format, so pixels read back as drawn.
  SurfacePtr Load(const std::string& name) {
    SurfacePtr file(SDL_LoadBMP((dir / (name + ".bmp")).c_str()));
    return SurfacePtr(file ? SDL_ConvertSurface(file.get(), BackBuffer->format, 0) : nullptr);
  }
  // How often each colour shows in a box of the shot.
  static std::map<uint32_t, int> Colours(SDL_Surface* shot, int x0, int y0, int w, int h) {
    std::map<uint32_t, int> seen;
    for (int y = y0; y < y0 + h; ++y) {
      for (int x = x0; x < x0 + w; ++x) ++seen[Px(shot, x, y)];
    }
    return seen;
  }
  // Every non-black pixel of the image drawn at (x, y), within the box the
  // later drawings leave alone, shows on the shot unchanged.
  void ExpectImageAt(SDL_Surface* shot, const std::string& name, int x, int y, int maxX = 639, int maxY = 479) {
    SDL_Surface* image = images.Find(name);
    ASSERT_NE(image, nullptr) << name;
    int compared = 0;
    for (int iy = 0; iy < image->h; ++iy) {
      for (int ix = 0; ix < image->w; ++ix) {
        const int px = x + ix, py = y + iy;
        const uint32_t want = Px(image, ix, iy);
        if (want == 0 || px < 0 || py < 0 || px > maxX || py > maxY) continue;
        ASSERT_EQ(Px(shot, px, py), want) << name << " pixel " << ix << "," << iy << " at " << px << "," << py;
        ++compared;
      }
    }
    EXPECT_GT(compared, 0) << name;
  }

  // Declared first so it goes last, once every surface is freed.
  struct Display {
    ~Display() { SetInputScript({}), ClearKeys(), CloseTestDisplay(); }
  } display;
  TempDir dir;
  std::unique_ptr<TMad> archive;
  std::unique_ptr<TBMPFont> fonts[7];
  std::unique_ptr<TZrarFont> anti;
  TImageCollection images{64};
  GameContext context;
  uint32_t base = PumpCount();
};

// A figure's feet: the drawn pixels of its image's lowest drawn row.
struct Feet {
  int row = -1, left = 0, right = -1;
};
Feet FeetOf(SDL_Surface* image) {
  Feet f;
  for (int y = image->h - 1; y >= 0 && f.row < 0; --y)
    for (int x = 0; x < image->w; ++x)
      if (Px(image, x, y)) f.row = y, f.left = f.right < 0 ? x : f.left, f.right = x;
  return f;
}

// Space held from the first frame ends each of the 20 one-frame building blocks at once; the closing
// text starts at frame 21 and wants a new press. Without archive, fonts or music only the frame shows.
TEST_F(EndOfPackScene, SpaceHeldFromTheStartEndsEveryStepAtItsFirstFrameWithOrWithoutTheArchive) {
  for (bool bare : {false, true}) {
    if (bare) context = GameContext{};
    EXPECT_EQ(Play("1 down space\n2 shot second.bmp\n23 up space\n25 down space\n"), 25u) << bare;
    EXPECT_EQ(Px(BackBuffer, 320, 240), 0u) << "the scene clears the screen when it ends";
    SurfacePtr second = Load("second");
    ASSERT_TRUE(second);
    EXPECT_EQ(Px(second.get(), 100, 47), kWhite) << "the frame shows either way";
    EXPECT_EQ(Px(second.get(), 16, 64) == 0, bare) << "the wall needs the archive";
  }
}

TEST_F(EndOfPackScene, UntouchedSceneRunsItsScriptFrameByFrame) {
  // Frames of the script: walk in 384, pauses 30 and 60, the dialogue 1140, the flight 492 (frames 1615..2106), 120,
  // 420, 15, 300, the guard 158 + 30 and 15, the walk 494 (frames 3165..3658), 60, walk out 384, 120: 4222.
  const uint32_t seed = 77;
  Randomize(seed);
  ASSERT_EQ(Play("1 shot background.bmp\n480 shot bubble.bmp\n2106 shot last.bmp\n3400 shot family.bmp\n"
                 "4223 shot closing.bmp\n4230 down space\n"),
            4230u);
  std::map<std::string, SurfacePtr> shot;
  for (auto name : {"background", "bubble", "last", "family", "closing"}) ASSERT_TRUE(shot[name] = Load(name)) << name;

  // The background: bands, logo and the legend of every cell of outro.mpt.
  SDL_Surface* background = shot["background"].get();
  for (auto [row, level] : {std::pair{44, 63}, {45, 127}, {46, 191}, {47, 255},  //
                            {432, 255}, {433, 191}, {434, 127}, {435, 63}}) {
    for (int x : {0, 320, 639}) EXPECT_EQ(Px(background, x, row), level * 0x010101u) << row;
  }
  SurfacePtr logo = LoadImage("logolite.bmp", *archive);
  TXMap map;
  map.LoadFromMad("outro.mpt", *archive);
  ASSERT_TRUE(logo && map.Width >= 20 && map.Height >= 12);
  EXPECT_EQ(Px(background, 192 + logo->w / 2, 8 + logo->h / 2), Px(logo.get(), logo->w / 2, logo->h / 2));
  // {cell, image, offset, a figure}: a figure is checked within its own cell,
  // as cells drawn later (right and below) may cover its overhang.
  const std::map<char, std::tuple<const char*, int, int, bool>> legend = {
      {'#', {"Wall", 0, 0, false}},    {'.', {"Grass", 0, 0, false}},    {'1', {"ElfBad2", -4, -4, true}},
      {'2', {"ElfBad2", -4, 0, true}}, {'3', {"ElfBad1", -2, -4, true}}, {'b', {"ElfBoss1", 0, 0, true}}};
  int figures = 0;
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      const int cx = 32 * x, cy = 32 * y + 48;
      auto it = legend.find(map.FileCell(x, y));
      if (it == legend.end()) {
        EXPECT_EQ(Px(background, cx + 16, cy + 16), 0u) << x << "," << y;
        continue;
      }
      auto [image, dx, dy, figure] = it->second;
      ExpectImageAt(background, image, cx + dx, cy + dy, figure ? cx + 31 : 639, figure ? cy + 31 : 479);
      figures += figure;
    }
  }
  EXPECT_GE(figures, 3);

  // The first question: a white box with cut corners, dark text, an 8-row tail.
  const int w = anti->TextWidth("Do you have the diamonds?"), x = 368 - w / 2, y = 148;
  std::vector<std::tuple<int, int, bool>> points = {{x, y - 1, true},      {x + w - 1, y + 16, true},
                                                     {x - 1, y, true},      {x + w, y + 15, true},
                                                     {x - 1, y - 1, false}, {x + w, y + 16, false},  // corners cut
                                                     {368, y + 25, false}};
  for (int r = 0; r < 8; ++r) {
    points.insert(points.end(), {{368, y + 17 + r, true}, {376 - r, y + 17 + r, true}, {377 - r, y + 17 + r, false}});
  }
  for (auto [px, py, white] : points) EXPECT_EQ(Px(shot["bubble"].get(), px, py) == kWhite, white) << px << "," << py;
  EXPECT_GT(Colours(shot["bubble"].get(), x, y, w, 16)[0x141414], 50) << "the text in (20, 20, 20)";

  // The flight's last frame shows the last diamond at the top of its arc;
  // frame 236 of the walk has the mother 472 pixels on, past the slope.
  Randomize(seed);
  auto diamonds = MakeFlyingDiamonds();
  ExpectImageAt(shot["last"].get(), "Diam" + std::to_string(diamonds[99].Variant), 360, 184);
  ExpectImageAt(shot["family"].get(), MakeFamily()[0].Image, 640 - 472, 304 - 64, 640 - 472 + 31, 479);

  // The closing text: each letter of the first line in its own font, the
  // other lines yellow (font 5) and light blue (font 0).
  auto patterns = [&](int x0, int w, int row, int h) {
    std::set<int> found;
    for (auto [c, n] : Colours(shot["closing"].get(), x0, row, w, h)) found.insert(c ? ChannelPattern(c) : -1);
    found.erase(-1);
    return found;
  };
  const std::string word = "Congratulations!";
  int width = 0;
  for (char c : word) width += fonts[0]->TextWidth(std::string(1, c));
  for (int i = 0, left = 320 - width / 2; i < 16; ++i) {
    const int font = kFontOrder[i % 7], letterWidth = fonts[font]->TextWidth(std::string(1, word[i]));
    EXPECT_EQ(patterns(left, letterWidth, 180, fonts[font]->Height),
              std::set<int>{ChannelPattern(kFontColours[font])}) << "letter " << i;
    left += letterWidth;
  }
  for (auto [row, want] : {std::pair{240, 6}, {280, 6}, {430, 1}})
    EXPECT_EQ(patterns(0, 640, row, fonts[0]->Height), std::set<int>{want}) << row;
}

// Every figure's feet rest on the top of a wall or grass cell of outro.mpt, none inside one: the figures of the
// background, every frame of the walks' level stretches (a step between two levels lasts at most 16 frames),
// and every frame of the family's walk that is not a step.
TEST_F(EndOfPackScene, EveryFigureStandsOnTheGroundOfTheMap) {
  TXMap map;
  map.LoadFromMad("outro.mpt", *archive);
  ASSERT_TRUE(map.Width >= 20 && map.Height >= 12);
  auto solid = [&](int cx, int cy) {
    return cx >= 0 && cx < 20 && cy >= 0 && cy < 12 && std::string("#.").find(char(map.FileCell(cx, cy))) < 2;
  };
  auto expectStands = [&](const std::string& name, int x, int y) {
    SDL_Surface* image = images.Find(name);
    ASSERT_NE(image, nullptr) << name;
    const Feet f = FeetOf(image);
    const int ground = y + f.row + 1 - 48, row = ground / 32;
    int onGround = 0, inside = 0, shown = 0;
    for (int px = std::max(0, x + f.left); px <= std::min(639, x + f.right); ++px, ++shown) {
      onGround += ground % 32 == 0 && solid(px / 32, row);
      inside += solid(px / 32, (ground - 1) / 32);
    }
    if (shown) {
      EXPECT_TRUE(onGround > 0 && inside == 0) << name << " at " << x << "," << y;
    }
  };
  int figures = 0;
  for (int cy = 0; cy < 12; ++cy)
    for (int cx = 0; cx < 20; ++cx) {
      TLegendEntry e = LegendOf(map.FileCell(cx, cy));
      if (e.Image && std::string(e.Image).starts_with("Elf")) expectStands(e.Image, 32 * cx + e.Dx, 32 * cy + 48 + e.Dy), ++figures;
    }
  EXPECT_GE(figures, 3);

  const std::pair<const char*, std::vector<TLeg>> walks[] = {
      {"Elf4", {{-32, 240, 128, 240, 160}}}, {"Elf4", MessengerDescent()},       {"Elf3", {{352, 272, 352, 272, 1}}},
      {"ElfBoss4", {{352, 176, 352, 176, 1}}}, {"ElfBad4", GuardDescent()},     {"ElfBad2", {{572, 268, 572, 268, 1}}},
      {"Elf2", Reversed(MessengerDescent())}, {"Elf2", {{128, 240, -32, 240, 160}}}};
  for (const auto& [name, legs] : walks) {
    for (const TLeg& leg : legs) {
      if (leg.Y1 != leg.Y2) {
        EXPECT_LE(leg.Steps, 16) << name << " steps down from " << leg.X1 << "," << leg.Y1;
        continue;
      }
      for (int i = 1; i <= leg.Steps; ++i) expectStands(name, MovePosition(leg.X1, leg.X2, i, leg.Steps), leg.Y1);
    }
  }

  map.FileCells[19 + 8 * map.Width] = ' ';  // the door the guard opened
  Randomize(3);
  auto walkers = MakeFamily();
  std::vector<int> start, stepping(walkers.size());
  for (const TWalker& w : walkers) start.push_back(w.Y);
  for (int frame = 0; frame < 1000 && StepFamily(walkers, [&](const TWalker& w) {
         const size_t i = static_cast<size_t>(&w - walkers.data());
         if ((w.Y - start[i]) % 32) ++stepping[i];
         else expectStands(w.Image, w.X, w.Y);
       });
       ++frame) {
  }
  for (size_t i = 0; i < walkers.size(); ++i) EXPECT_LE(stepping[i], 4 * 8) << "four steps of 32 pixels, walker " << i;
}

}  // namespace
}  // namespace quarry
