// The built archives read through the game's own loaders: image collections
// and fonts on SDL's dummy display, the wave and music lists on SDL's disk
// audio driver, so every picture, font, effect and module is decoded by the
// code that will show or play it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "archive/mad.h"
#include "audio/music_collection.h"
#include "audio/wave_collection.h"
#include "audio/zr_sdl_a.h"
#include "core/log.h"
#include "core/program.h"
#include "graphics/bmp_font.h"
#include "graphics/image_collection.h"
#include "graphics/variant_table.h"
#include "graphics/zr_sdl.h"
#include "graphics/zrar_font.h"

using namespace quarry;

namespace {

namespace fs = std::filesystem;
const std::string kRun = QUARRY_TEST_RUN_DIR;

class Loaders : public ::testing::Test {
protected:
  void SetUp() override {
    SetStopHandler([](const std::string& message, const std::string& tag) {
      throw std::runtime_error(tag + ": " + message);
    });
    // Warnings and errors from the loaders mean the data does not fit them.
    SetLogObserver([this](const std::string& line) {
      if (!line.empty() && (line[0] == '[' || line[0] == '{')) problems_.push_back(line);
    });
    if (!fs::exists(kRun + "/quarry.mad")) GTEST_SKIP() << "build the gamedata target first";
  }
  void TearDown() override {
    SetLogObserver(nullptr);
    SetStopHandler(nullptr);
  }
  std::vector<std::string> problems_;
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

TEST_F(GraphicsLoaders, GameImagesLoadWithTheirVariants) {
  TMad mad(kRun + "/quarry.mad");
  TImageCollection images(32);
  images.LoadList("blocks.lst", mad);
  for (const char* name : {"#", "%", "!", "!1", "!2", ">", "<", ">2", "<2", "=", "X", "*U", "*D", "*L", "*R", "$1",
                           "@1", ".1", "&1", "01"}) {
    SDL_Surface* s = images.Find(name);
    ASSERT_NE(s, nullptr) << name;
    EXPECT_EQ(s->h, 32) << name;
  }
  EXPECT_EQ(images.Find("!")->w, 128);
  BuildVariantTable([&](const std::string& name) { return images.Find(name) != nullptr; });
  EXPECT_EQ(VariantCount('$'), 3);
  EXPECT_EQ(VariantCount('@'), 3);
  EXPECT_EQ(VariantCount('.'), 3);
  EXPECT_EQ(VariantCount('&'), 2);
  EXPECT_EQ(VariantCount('0'), 2);
  EXPECT_TRUE(problems_.empty()) << problems_.front();
}

TEST_F(GraphicsLoaders, ClosingSceneImagesLoad) {
  TMad mad(kRun + "/quarry.mad");
  TImageCollection images(64);
  images.LoadList("outro.lst", mad);
  EXPECT_EQ(images.Count(), 19u);
  for (const char* name : {"Wall", "Grass", "ElfBad1", "ElfBad2", "ElfBad4", "ElfBoss1", "ElfBoss4", "Elf2", "Elf3",
                           "Elf4", "ElfMrs2", "ElfKidA2", "ElfKidB2", "ElfKidC2", "ElfKidD2", "Diam1", "Diam2",
                           "Diam3", "Diam4"})
    EXPECT_NE(images.Find(name), nullptr) << name;
  // The erase boxes of the scene: 36 x 36 for the guard, 32 rows for the
  // walkers' band of 96 pixels starting 64 above the mother's feet.
  EXPECT_EQ(images.Find("ElfBad4")->w, 36);
  EXPECT_EQ(images.Find("ElfBad4")->h, 36);
  EXPECT_LE(images.Find("ElfMrs2")->h, 32);
  EXPECT_LE(images.Find("ElfKidA2")->h, 24);
  EXPECT_TRUE(problems_.empty()) << problems_.front();
}

TEST_F(GraphicsLoaders, FontsMeasureTheProgramsTexts) {
  TMad mad(kRun + "/quarry.mad");
  TBMPFont font("font", mad, 255, 255, 255);
  ASSERT_NE(font.Surface.get(), nullptr);
  EXPECT_GE(font.Height, 20);
  EXPECT_LE(font.Height, 28);
  for (const char* text : {"Loading...", "Select player", "Really erase player?", "Enter new player name",
                           "Map Completed!", "-- New player --"}) {
    int width = font.TextWidth(text);
    EXPECT_GT(width, 40) << text;
    EXPECT_LT(width, 400) << text;
  }
  TZrarFont anti("anti.zrr", mad);
  ASSERT_NE(anti.Surface.get(), nullptr);
  EXPECT_EQ(anti.Magic, "ZRAR");
  anti.Spacing = 1;
  // The longest speech bubble is centred on x = 368 and must stay on screen.
  int bubble = anti.TextWidth("Do you have the diamonds?");
  EXPECT_LT(368 + bubble / 2, 640);
  EXPECT_GT(368 - bubble / 2, 0);
  EXPECT_TRUE(problems_.empty()) << problems_.front();
}

TEST_F(Loaders, EffectsAndSongsLoadInTheAudioDevice) {
  fs::path dir = fs::temp_directory_path() / ("quarry-data-audio-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", (dir / "out.raw").c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);
  fs::path previous = fs::current_path();
  fs::current_path(dir);  // the loaders write their temporary files here
  Init_Audio();
  if (!AudioAvailable) {
    fs::current_path(previous);
    fs::remove_all(dir);
    GTEST_SKIP() << "no audio device, not even SDL's disk driver";
  }
  {
    TMad sound(kRun + "/qssound.mad");
    TMad music(kRun + "/qsmusic.mad");
    TWaveCollection waves(16);
    waves.LoadList("waves.ini", sound);
    EXPECT_EQ(waves.Count(), 11u);
    TMusicCollection songs(16);
    songs.LoadList("muzax.ini", music);
    // A module the player cannot load switches all audio off.
    EXPECT_TRUE(AudioAvailable) << "a module failed to load";
    EXPECT_EQ(songs.Count(), 5u);
    EXPECT_EQ(songs.OrderItemCount("INGAME"), 2);
    for (const char* order : {"LIST", "INGAME", "MAPEND", "GAMEEND"}) {
      std::string song = "none";
      songs.GetOrderItem(order, 1, song);
      EXPECT_NE(song, "none") << order;
    }
    waves.Play("Explosion");
    EXPECT_TRUE(AudioAvailable) << "a wave failed to play";
  }
  SwitchAudioOff();
  fs::current_path(previous);
  fs::remove_all(dir);
  unsetenv("SDL_DISKAUDIOFILE");
  unsetenv("SDL_DISKAUDIODELAY");
  EXPECT_TRUE(problems_.empty()) << problems_.front();
}
