// The built archives through the game's SDL loaders (dummy display, disk
// audio), so every picture, font, effect and module is decoded by the code
// that will show or play it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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
    SetStopHandler([](const std::string& message, const std::string& tag) {
      throw std::runtime_error(tag + ": " + message);
    });
    if (!std::filesystem::exists(kRun + "/quarry.mad")) GTEST_SKIP() << "build the gamedata target first";
  }
  // A loader's warning or error means the data does not fit it.
  void TearDown() override {
    SetStopHandler(nullptr);
    for (const std::string& line : log_.lines) EXPECT_TRUE(line[0] != '[' && line[0] != '{') << line;
  }
  LogCapture log_;
};

class GraphicsLoaders : public Loaders {
protected:
  void SetUp() override {
    Loaders::SetUp();
    if (IsSkipped()) return;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(OpenTestDisplay(640, 480, 32));
  }
  void TearDown() override {
    if (!IsSkipped()) CloseTestDisplay();
    Loaders::TearDown();
  }
};

}  // namespace

TEST_F(GraphicsLoaders, ImageListsDecodeWithTheSizesTheScenesDraw) {
  TMad mad(kRun + "/quarry.mad");
  TImageCollection blocks(32), outro(64);
  blocks.LoadList("blocks.lst", mad);
  for (uint32_t i = 0; i < blocks.Count(); ++i) EXPECT_EQ(blocks.SurfaceAt(i)->h, 32) << blocks.NameAt(i);
  ASSERT_NE(blocks.Find("!"), nullptr);
  EXPECT_EQ(blocks.Find("!")->w, 128);
  outro.LoadList("outro.lst", mad);
  EXPECT_EQ(outro.Count(), 19u);
  // The closing scene's erase boxes: 36 x 36 for the guard, 32 rows for the
  // walkers' band of 96 pixels starting 64 above the mother's feet.
  ASSERT_TRUE(outro.Find("ElfBad4") && outro.Find("ElfMrs2") && outro.Find("ElfKidA2"));
  EXPECT_EQ(outro.Find("ElfBad4")->w, 36);
  EXPECT_EQ(outro.Find("ElfBad4")->h, 36);
  EXPECT_LE(outro.Find("ElfMrs2")->h, 32);
  EXPECT_LE(outro.Find("ElfKidA2")->h, 24);
}

TEST_F(GraphicsLoaders, FontsMeasureTheProgramsTexts) {
  TMad mad(kRun + "/quarry.mad");
  TBMPFont font("font", mad, 255, 255, 255);
  ASSERT_NE(font.Surface.get(), nullptr);
  EXPECT_GE(font.Height, 20);
  EXPECT_LE(font.Height, 28);
  for (const char* text : {"Loading...", "Select player", "Really erase player?", "Enter new player name",
                           "Map Completed!", "-- New player --"}) {
    EXPECT_GT(font.TextWidth(text), 40) << text;
    EXPECT_LT(font.TextWidth(text), 400) << text;
  }
  TZrarFont anti("anti.zrr", mad);
  ASSERT_NE(anti.Surface.get(), nullptr);
  EXPECT_EQ(anti.Magic, "ZRAR");
  anti.Spacing = 1;
  // The longest speech bubble is centred on x = 368 and must stay on screen.
  int bubble = anti.TextWidth("Do you have the diamonds?");
  EXPECT_LT(368 + bubble / 2, 640);
  EXPECT_GT(368 - bubble / 2, 0);
}

TEST_F(Loaders, EffectsAndSongsLoadInTheAudioDevice) {
  TempDir dir;
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", (dir / "out.raw").c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());  // the loaders write their temporary files here
  Init_Audio();
  const bool available = AudioAvailable;
  if (available) {
    TMad sound(kRun + "/qssound.mad"), music(kRun + "/qsmusic.mad");
    TWaveCollection waves(16);
    waves.LoadList("waves.ini", sound);
    std::set<std::string> waveNames;
    for (uint32_t i = 0; i < waves.Count(); ++i) waveNames.insert(waves.Name(i));
    EXPECT_EQ(waves.Count(), 11u);
    EXPECT_EQ(waveNames.size(), 11u);
    for (const char* played : {"EatSand", "DiamondPickup", "DiamondDown", "BoulderDown", "Pushing", "BalloonUp",
                               "TunnelStart", "TunnelItem", "TunnelEnd", "Explosion", "ExitOpen"})
      EXPECT_TRUE(waveNames.count(played)) << played;
    TMusicCollection songs(16);
    songs.LoadList("muzax.ini", music);
    // A module the player cannot load switches all audio off.
    EXPECT_TRUE(AudioAvailable) << "a module failed to load";
    EXPECT_EQ(songs.Count(), 5u);
    std::set<std::string> songNames;
    for (uint32_t i = 0; i < songs.Count(); ++i) songNames.insert(songs.Name(i));
    EXPECT_EQ(songs.OrderItemCount("INGAME"), 2);
    // Every order names loaded songs only; orders cut at 255 characters lose some.
    for (const char* order : {"LIST", "INGAME", "MAPEND", "GAMEEND"}) {
      ASSERT_GE(songs.OrderItemCount(order), 1) << order;
      for (uint16_t i = 1; i <= songs.OrderItemCount(order); ++i) {
        std::string song = "none";
        songs.GetOrderItem(order, i, song);
        EXPECT_TRUE(songNames.count(song)) << order << " names " << song;
      }
    }
    waves.Play("Explosion");
    EXPECT_TRUE(AudioAvailable) << "a wave failed to play";
  }
  SwitchAudioOff();
  std::filesystem::current_path(previous);
  unsetenv("SDL_DISKAUDIOFILE");
  unsetenv("SDL_DISKAUDIODELAY");
  if (!available) GTEST_SKIP() << "no audio device, not even SDL's disk driver";
}
