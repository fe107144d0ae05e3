// The authors' pictures, decoded back with libpng: each cell shows the tile
// image of quarry.mad that the game draws there, in the map's start, in a
// solution's strip and, at half size, on a pack's contact sheet.
#include <sys/wait.h>

#include <cstdlib>

#include "archive/mad.h"
#include "game/screen/cave_picture.h"
#include "graphics/image_collection.h"
#include "graphics/png_file.h"
#include "graphics/zr_sdl.h"
#include "test_support.h"

namespace quarry {
namespace {

namespace fs = std::filesystem;

const std::string kRunDir = QUARRY_RUN_DIR;

// Player (1,1) walking right onto a diamond, sand below, hard wall at the bottom.
std::string Source(const std::string& name, char top) {
  std::string rows = std::string(20, top) + "\n#*$  !.............#\n";
  for (int y = 2; y < 11; ++y) rows += "#" + std::string(18, '.') + "#\n";
  return "name: " + name + "\nauthor: Tests\n" + rows + std::string(20, '%') + "\nsolution: RRR..R\n";
}

class Pictures : public ::testing::Test {
protected:
  void SetUp() override {
    if (!fs::is_regular_file(kRunDir + "/quarry.mad")) GTEST_SKIP() << "no built quarry.mad";
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(OpenTestDisplay(640, 480, 32));
    mad = std::make_unique<TMad>(kRunDir + "/quarry.mad");
    images = std::make_unique<TImageCollection>(32);
    images->LoadList("blocks.lst", *mad);
    WriteFileBytes(dir / "tiny.map", Source("Tiny", '#'));
  }
  void TearDown() override {
    images.reset();  // the surfaces before the display
    CloseTestDisplay();
  }
  int Run(const std::string& command) {
    int status = std::system(("cd '" + dir.Path().string() + "' && " + command + " >out.txt 2>err.txt").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  TRgbImage Decoded(const std::string& name) {
    const std::string bytes = ReadFileBytes(dir / name);
    TRgbImage image;
    EXPECT_TRUE(DecodePng({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, image)) << name;
    return image;
  }
  // The first 32 x 32 frame of a tile, at half size when scale is 2 (the mean of each 2 x 2 block).
  TRgbImage Tile(const std::string& name, int scale = 1) {
    SDL_Surface* surface = images->Find(name);
    const int size = 32 / scale;
    TRgbImage tile(size, size);
    for (int y = 0; surface && y < size; ++y)
      for (int x = 0; x < size; ++x)
        for (int c = 0; c < 3; ++c) {
          int sum = 0;
          for (int i = 0; i < scale * scale; ++i) {
            uint8_t rgb[3];
            GetPixelRGB(surface, x * scale + i % scale, y * scale + i / scale, rgb[0], rgb[1], rgb[2]);
            sum += rgb[c];
          }
          tile.At(x, y)[c] = static_cast<uint8_t>((sum + scale * scale / 2) / (scale * scale));
        }
    return tile;
  }
  // Whether the cell (x, y) of the cave drawn at (left, top) shows one of the named tiles.
  bool Shows(const TRgbImage& picture, int left, int top, int x, int y, const std::vector<std::string>& names,
             int scale = 1) {
    const int size = 32 / scale;
    for (const std::string& name : names) {
      TRgbImage cell(size, size), tile = name.empty() ? TRgbImage(size, size) : Tile(name, scale);
      cell.Paste(picture, -(left + x * size), -(top + y * size));
      if (cell.Pixels == tile.Pixels) return true;
    }
    return false;
  }
  // Pixels that are not black in a box: the caption's text.
  static int Ink(const TRgbImage& picture, int left, int top, int width, int height) {
    int ink = 0;
    for (int y = top; y < top + height; ++y)
      for (int x = left; x < left + width; ++x) ink += picture.At(x, y)[0] | picture.At(x, y)[1] | picture.At(x, y)[2] ? 1 : 0;
    return ink;
  }

  TempDir dir;
  std::unique_ptr<TMad> mad;
  std::unique_ptr<TImageCollection> images;
  const std::vector<std::string> sand{".1", ".2", ".3"}, diamond{"$1", "$2", "$3"}, none{""};
};

TEST_F(Pictures, StartAndStripShowTheGamesTiles) {
  ASSERT_EQ(Run("'" QUARRY_REPLAY "' --png start.png --data '" + kRunDir + "' tiny.map"), 0) << ReadFileBytes(dir / "err.txt");
  TRgbImage start = Decoded("start.png");
  ASSERT_EQ(std::make_tuple(start.Width, start.Height), std::make_tuple(640, 384));
  const std::string bytes = ReadFileBytes(dir / "start.png");
  EXPECT_FALSE(DecodePng({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size() - 20}, start)) << "cut short";
  EXPECT_TRUE(Shows(start, 0, 0, 0, 0, {"#"}));
  EXPECT_TRUE(Shows(start, 0, 0, 19, 11, {"%"}));
  EXPECT_TRUE(Shows(start, 0, 0, 1, 1, {"*D"}));
  EXPECT_TRUE(Shows(start, 0, 0, 2, 1, diamond));
  EXPECT_TRUE(Shows(start, 0, 0, 3, 1, none));
  EXPECT_TRUE(Shows(start, 0, 0, 7, 5, sand));

  // Ticks 0, 2, 4 and 6 (the end) side by side, a caption band under each.
  ASSERT_EQ(Run("'" QUARRY_REPLAY "' --strip strip.png --every 2 --data '" + kRunDir + "' tiny.map"), 0);
  TRgbImage strip = Decoded("strip.png");
  const int step = 640 + kPictureGap;
  ASSERT_EQ(std::make_tuple(strip.Width, strip.Height), std::make_tuple(4 * step - kPictureGap, 384 + kCaptionHeight));
  EXPECT_TRUE(Shows(strip, 0, 0, 1, 1, {"*D"}));
  EXPECT_TRUE(Shows(strip, step, 0, 3, 1, {"*R"}));
  EXPECT_TRUE(Shows(strip, step, 0, 2, 1, none)) << "the diamond was collected, the cell left";
  EXPECT_TRUE(Shows(strip, 3 * step, 0, 5, 1, {"*R"})) << "on the exit";
  EXPECT_EQ(Ink(strip, 640, 0, kPictureGap, strip.Height), 0);
  for (int frame = 0; frame < 4; ++frame) EXPECT_GT(Ink(strip, frame * step, 384, 200, kCaptionHeight), 50) << frame;

  EXPECT_EQ(Run("'" QUARRY_REPLAY "' --png start.png --data nowhere tiny.map"), 2);
  EXPECT_EQ(Run("'" QUARRY_REPLAY "' --strip s.png --every 1 --data '" + kRunDir + "' tiny.map long.txt"), 2);
  WriteFileBytes(dir / "long.txt", std::string(63, '.'));
  EXPECT_EQ(Run("'" QUARRY_REPLAY "' --strip s.png --every 1 --data '" + kRunDir + "' tiny.map long.txt"), 2)
      << "65 frames";
}

TEST_F(Pictures, ContactSheetShowsEveryMapAtHalfSize) {
  fs::create_directories(dir.Path() / "src");
  WriteFileBytes(dir / "src/pack.txt", "title: T\nauthor: A\n");
  WriteFileBytes(dir / "src/1.map", Source("One", '#'));
  WriteFileBytes(dir / "src/2.map", Source("Two", '%'));
  ASSERT_EQ(Run("'" QUARRY_PACK "' src p.qs && '" QUARRY_PACK "' --contact-sheet sheet.png --data '" + kRunDir + "' p.qs"), 0)
      << ReadFileBytes(dir / "err.txt");
  TRgbImage sheet = Decoded("sheet.png");
  const int step = 320 + kPictureGap;
  ASSERT_EQ(std::make_tuple(sheet.Width, sheet.Height), std::make_tuple(2 * step - kPictureGap, 192 + kCaptionHeight));
  EXPECT_TRUE(Shows(sheet, 0, 0, 0, 0, {"#"}, 2));
  EXPECT_TRUE(Shows(sheet, step, 0, 0, 0, {"%"}, 2));
  EXPECT_TRUE(Shows(sheet, step, 0, 1, 1, {"*D"}, 2));
  EXPECT_TRUE(Shows(sheet, step, 0, 7, 5, sand, 2));
  for (int map = 0; map < 2; ++map) EXPECT_GT(Ink(sheet, map * step, 192, 150, kCaptionHeight), 50) << map;
  EXPECT_EQ(Run("'" QUARRY_PACK "' --contact-sheet s.png --data nowhere p.qs"), 1);
}

}  // namespace
}  // namespace quarry
