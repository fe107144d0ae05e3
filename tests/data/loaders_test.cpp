// The built archives through the game's SDL loaders (dummy display, disk audio), so every picture,
// font, effect and module is decoded by the code that will show or play it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <stdexcept>

#include "archive/mad.h"
#include "audio/music_collection.h"
#include "audio/wave_collection.h"
#include "audio/zr_sdl_a.h"
#include "core/program.h"
#include "graphics/bmp_font.h"
#include "graphics/image_collection.h"
#include "graphics/zr_sdl.h"
#include "graphics/zrar_font.h"
#include "test_support.h"

using namespace quarry;

namespace {

const std::string kRun = QUARRY_TEST_RUN_DIR;

class Loaders : public ::testing::Test {
protected:
  void SetUp() override {
    SetStopHandler([](const std::string& m, const std::string& tag) { throw std::runtime_error(tag + ": " + m); });
    if (!std::filesystem::exists(kRun + "/quarry.mad")) GTEST_SKIP() << "build the gamedata target first";
  }
  // A loader's warning or error means the data does not fit it.
  void TearDown() override {
    SetStopHandler(nullptr);
    for (const std::string& line : log_.lines) EXPECT_TRUE(line[0] != '[' && line[0] != '{') << line;
  }
  LogCapture log_;
};

template <class Collection>
std::set<std::string> Names(const Collection& c) {
  std::set<std::string> names;
  for (uint32_t i = 0; i < c.Count(); ++i) names.insert(c.Name(i));
  return names;
}

}  // namespace

TEST_F(Loaders, ImagesAndFontsDecodeWithTheSizesTheScreensDraw) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ASSERT_TRUE(OpenTestDisplay(640, 480, 32));
  TMad mad(kRun + "/quarry.mad");
  // Sizes and names are checked headless; here every picture must decode.
  TImageCollection blocks(32), outro(64);
  blocks.LoadList("blocks.lst", mad);
  outro.LoadList("outro.lst", mad);
  // The closing scene's erase boxes: 36 x 36 for the guard, the walkers' 96-pixel band from 64 above her feet.
  ASSERT_TRUE(outro.Find("ElfBad4") && outro.Find("ElfMrs2") && outro.Find("ElfKidA2"));
  EXPECT_EQ(std::pair(outro.Find("ElfBad4")->w, outro.Find("ElfBad4")->h), std::pair(36, 36));
  EXPECT_LE(outro.Find("ElfMrs2")->h, 32);
  EXPECT_LE(outro.Find("ElfKidA2")->h, 24);
  TBMPFont font("font", mad, 255, 255, 255);
  ASSERT_NE(font.Surface.get(), nullptr);
  EXPECT_TRUE(font.Height >= 20 && font.Height <= 28) << font.Height;
  for (const char* text : {"Loading...", "Select player", "Really erase player?", "Enter new player name",
                           "Map Completed!", "-- New player --"})
    EXPECT_TRUE(font.TextWidth(text) > 40 && font.TextWidth(text) < 400) << text << ": " << font.TextWidth(text);
  TZrarFont anti("anti.zrr", mad);
  ASSERT_NE(anti.Surface.get(), nullptr);
  anti.Spacing = 1;
  // The longest speech bubble is centred on x = 368 and must stay on screen.
  const int bubble = anti.TextWidth("Do you have the diamonds?");
  EXPECT_TRUE(368 + bubble / 2 < 640 && 368 - bubble / 2 > 0) << bubble;
  CloseTestDisplay();
}

TEST_F(Loaders, EffectsAndSongsLoadInTheAudioDevice) {
  TempDir dir;  // the loaders write their temporary files in the working folder
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", (dir / "out.raw").c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  Init_Audio();
  const bool available = AudioAvailable;
  if (available) {
    TMad sound(kRun + "/qssound.mad"), music(kRun + "/qsmusic.mad");
    TWaveCollection waves(16);
    waves.LoadList("waves.ini", sound);
    // Each of the eleven names plays in SoundData.EveryEffectSoundsAsLongAndAsHighAsItWasGenerated.
    EXPECT_EQ(waves.Count(), 11u);
    TMusicCollection songs(16);
    songs.LoadList("muzax.ini", music);
    // A module the player cannot load switches all audio off.
    EXPECT_TRUE(AudioAvailable) << "a module failed to load";
    EXPECT_EQ(songs.Count(), 6u);
    const std::set<std::string> songNames = Names(songs);
    EXPECT_EQ(songs.OrderItemCount("INGAME"), 3);
    // Every order names loaded songs only; orders cut at 255 characters lose some.
    for (const char* order : {"LIST", "INGAME", "MAPEND", "GAMEEND"}) {
      EXPECT_GE(songs.OrderItemCount(order), 1) << order;
      for (uint16_t i = 1; i <= songs.OrderItemCount(order); ++i) {
        std::string song = "none";
        songs.GetOrderItem(order, i, song);
        EXPECT_TRUE(songNames.count(song)) << order << " names " << song;
      }
    }
  }
  SwitchAudioOff();
  std::filesystem::current_path(previous);
  if (!available) GTEST_SKIP() << "no audio device, not even SDL's disk driver";
}
