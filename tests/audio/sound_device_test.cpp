// The sound device's own contract: what it refuses, what it keeps in range,
// and that freeing a sample ends its plays.
#include "audio/sound_device.h"

#include <gtest/gtest.h>

#include "audio_test_support.h"

namespace quarry {
namespace {

class SoundDeviceTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    test::WriteFile(boom, test::ConstantWav(1000, 64, 22050));
  }
  void TearDown() override {
    SoundFree();
    unsetenv("SDL_AUDIODRIVER");
  }
  TempDir dir;
  const std::string boom = dir / "boom.wav";
};

TEST_F(SoundDeviceTest, NothingWorksBeforeTheDeviceIsOpenAndItOpensOnceUntilFreed) {
  EXPECT_EQ(SoundSampleLoad(boom, 3, 0), 0u);
  EXPECT_EQ(SoundMusicLoad(boom, 0), 0u);
  EXPECT_FALSE(SoundChannelPlay(1, true));
  EXPECT_FALSE(SoundChannelStop(1));
  EXPECT_FALSE(SoundSampleFree(1));
  SoundSample info;
  EXPECT_FALSE(SoundSampleGetInfo(1, info));
  ASSERT_TRUE(SoundInit(1, 44100, 0));
  EXPECT_FALSE(SoundInit(1, 44100, 0));
  SoundFree();
  EXPECT_FALSE(SoundDeviceOpen());
  EXPECT_TRUE(SoundInit(1, 44100, 0));
}

TEST_F(SoundDeviceTest, SampleSettingsAreKeptInRange) {
  ASSERT_TRUE(SoundInit(1, 44100, 0));
  const SoundHandle sample = SoundSampleLoad(boom, 3, kSampleOverPos);
  SoundSample info;
  ASSERT_TRUE(SoundSampleGetInfo(sample, info));
  EXPECT_EQ(std::tie(info.freq, info.volume, info.pan, info.max), std::make_tuple(22050u, 100u, 0, 3u));
  info.freq = 5, info.volume = 250, info.pan = -300, info.max = 0, info.length = 1;
  ASSERT_TRUE(SoundSampleSetInfo(sample, info));
  ASSERT_TRUE(SoundSampleGetInfo(sample, info));
  EXPECT_EQ(std::tie(info.freq, info.volume, info.pan, info.max), std::make_tuple(100u, 100u, -100, 1u));
  EXPECT_EQ(info.length, 64u * 4);  // belongs to the data
  info.freq = 1000000, info.pan = 101;
  ASSERT_TRUE(SoundSampleSetInfo(sample, info));
  ASSERT_TRUE(SoundSampleGetInfo(sample, info));
  EXPECT_EQ(std::tie(info.freq, info.pan), std::make_tuple(100000u, 100));
}

TEST_F(SoundDeviceTest, ChannelsBelongToLiveSamplesAndPlayOnce) {
  ASSERT_TRUE(SoundInit(1, 44100, 0));
  const SoundHandle sample = SoundSampleLoad(boom, 3, kSampleOverPos);
  EXPECT_EQ(SoundSampleGetChannel(0), 0u);
  EXPECT_EQ(SoundSampleGetChannel(sample + 100), 0u);
  const SoundHandle first = SoundSampleGetChannel(sample), second = SoundSampleGetChannel(sample);
  ASSERT_NE(first, 0u);
  EXPECT_NE(first, second);
  EXPECT_TRUE(SoundChannelPlay(first, false));
  EXPECT_FALSE(SoundChannelPlay(first, false));  // a channel is one play
  EXPECT_TRUE(SoundChannelStop(first));
  EXPECT_TRUE(SoundSampleFree(sample));
  EXPECT_FALSE(SoundChannelPlay(second, false));  // its sample is gone
  EXPECT_FALSE(SoundSampleFree(sample));
  EXPECT_FALSE(SoundChannelPlay(0, false));
}

TEST_F(SoundDeviceTest, FilesThatAreNotModulesOrWavesDoNotLoad) {
  ASSERT_TRUE(SoundInit(1, 44100, 0));
  test::WriteFile(dir / "junk", test::Bytes(300, 0xEE));
  test::WriteFile(dir / "empty", {});
  for (const std::string name : {"junk", "missing", "empty"}) {
    EXPECT_EQ(SoundMusicLoad(dir / name, kMusicLoop), 0u) << name;
    EXPECT_EQ(SoundSampleLoad(dir / name, 1, 0), 0u) << name;
  }
}

}  // namespace
}  // namespace quarry
