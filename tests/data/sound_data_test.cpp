// The built effects and songs played through the game's own collections and SDL's disk driver,
// measured on what came out: each effect as long and as high as the generator made it, and the
// loudest moment of a game (every effect at once over the music) still below full scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "archive/mad.h"
#include "audio/music_collection.h"
#include "audio/wave_collection.h"
#include "audio/zr_sdl_a.h"
#include "audio_test_support.h"
#include "sound.h"

using namespace quarry;

namespace {

const std::string kRun = QUARRY_TEST_RUN_DIR;
constexpr double kOutputRate = 44100;

// First and last index louder than 5% of the peak, and how often the wave swings across
// +-2% of the peak: a length and a pitch measure that do not depend on the volume played at.
struct Shape {
  double first = 0, last = 0, crossings = 0;
  double Seconds(double rate) const { return (last - first + 1) / rate; }
  double Rate(double rate) const { return crossings / Seconds(rate); }
};
template <class Get>
Shape Measure(size_t count, Get at) {
  double peak = 0;
  for (size_t i = 0; i < count; ++i) peak = std::max(peak, std::abs(at(i)));
  Shape s;
  bool seen = false;
  int side = 0;
  for (size_t i = 0; i < count; ++i) {
    const double v = at(i);
    if (std::abs(v) > 0.05 * peak) s.last = static_cast<double>(i), s.first = seen ? s.first : s.last, seen = true;
    const int now = v > 0.02 * peak ? 1 : (v < -0.02 * peak ? -1 : side);
    s.crossings += side != 0 && now != side, side = now;
  }
  return s;
}

class SoundData : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::filesystem::exists(kRun + "/qssound.mad")) GTEST_SKIP() << "build the gamedata target first";
    Init_Audio();
    if (!AudioAvailable) GTEST_SKIP() << "no audio device, not even SDL's disk driver";
    sound.emplace(kRun + "/qssound.mad"), songs.emplace(kRun + "/qsmusic.mad");
    waves.LoadList("waves.ini", *sound);
    music.LoadList("muzax.ini", *songs);
  }
  void TearDown() override { SwitchAudioOff(), unsetenv("SDL_AUDIODRIVER"); }

  TempDir dir;
  test::DiskAudio disk{dir.Path()};
  std::optional<TMad> sound, songs;
  TWaveCollection waves{16};
  TMusicCollection music{16};
};

TEST_F(SoundData, EveryEffectSoundsAsLongAndAsHighAsItWasGenerated) {
  const auto effects = datagen::SoundEffects();
  std::vector<size_t> marks{disk.Frames()};
  for (const auto& effect : effects) {
    waves.Play(effect.name);
    ASSERT_TRUE(disk.WaitFrames(static_cast<size_t>(effect.samples.size() * kOutputRate / datagen::kSampleRate) + 8192));
    marks.push_back(disk.Frames());
  }
  const auto out = (FreeAudioDevice(), disk.Samples());
  for (size_t e = 0; e < effects.size(); ++e) {
    const auto& samples = effects[e].samples;
    const Shape made = Measure(samples.size(), [&](size_t i) { return double(samples[i]); });
    const Shape heard = Measure(marks[e + 1] - marks[e], [&](size_t i) { return double(out[2 * (marks[e] + i)]); });
    const double madeSeconds = made.Seconds(datagen::kSampleRate), heardSeconds = heard.Seconds(kOutputRate);
    EXPECT_NEAR(heardSeconds, madeSeconds, 0.01 * madeSeconds + 0.002) << effects[e].name << " length";
    EXPECT_NEAR(heard.Rate(kOutputRate), made.Rate(datagen::kSampleRate), 0.05 * made.Rate(datagen::kSampleRate))
        << effects[e].name << " crossings per second";
  }
}

TEST_F(SoundData, EveryEffectAtOnceOverTheMusicStaysBelowFullScale) {
  std::string song;
  music.GetOrderItem("INGAME", 1, song), music.Play(song);
  ASSERT_TRUE(disk.WaitFrames(22050));
  const size_t start = disk.Frames();
  for (int play = 0; play < 3; ++play)  // the list allows up to three of one effect at once
    for (const auto& effect : datagen::SoundEffects()) waves.Play(effect.name);
  ASSERT_TRUE(disk.WaitFrames(44100));
  const auto out = (FreeAudioDevice(), disk.Samples());
  const auto [low, high] = std::minmax_element(out.begin(), out.end());
  EXPECT_TRUE(*low > -32768 && *high < 32767) << *low << ".." << *high;
  const auto mixed = test::Analyse(out, start);
  EXPECT_GT(std::max(mixed.maxLeft, mixed.maxRight), 24000);  // loud: the effects did sound over the music
}

}  // namespace
