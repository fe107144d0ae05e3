// The sound device's own contract: what it refuses, what it keeps in range,
// and that freeing a sample ends its plays.
#include "audio/sound_device.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "audio_test_support.h"

namespace quarry {
namespace {

class SoundDeviceTest : public ::testing::Test {
protected:
  void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
  void TearDown() override {
    SoundFree();
    unsetenv("SDL_AUDIODRIVER");
  }
  SoundHandle LoadBoom() {
    const auto path = dir.Path() / "boom.wav";
    test::WriteFile(path, test::ConstantWav(1000, 64, 22050));
    return SoundSampleLoad(path.string(), 3, kSampleOverPos);
  }
  test::TempDir dir;
};

TEST_F(SoundDeviceTest, NothingWorksBeforeTheDeviceIsOpen) {
  const auto path = dir.Path() / "boom.wav";
  test::WriteFile(path, test::ConstantWav(1000, 64));
  EXPECT_EQ(SoundSampleLoad(path.string(), 3, 0), 0u);
  EXPECT_EQ(SoundMusicLoad(path.string(), 0), 0u);
  EXPECT_FALSE(SoundChannelPlay(1, true));
  EXPECT_FALSE(SoundChannelStop(1));
  EXPECT_FALSE(SoundSampleFree(1));
  SoundSample info;
  EXPECT_FALSE(SoundSampleGetInfo(1, info));
}

TEST_F(SoundDeviceTest, OpensOnceAndAgainAfterFree) {
  ASSERT_TRUE(SoundInit(1, 44100, 0));
  EXPECT_FALSE(SoundInit(1, 44100, 0));
  SoundFree();
  EXPECT_FALSE(SoundDeviceOpen());
  EXPECT_TRUE(SoundInit(1, 44100, 0));
}

TEST_F(SoundDeviceTest, SampleSettingsAreKeptInRange) {
  ASSERT_TRUE(SoundInit(1, 44100, 0));
  const SoundHandle boom = LoadBoom();
  ASSERT_NE(boom, 0u);
  SoundSample info;
  ASSERT_TRUE(SoundSampleGetInfo(boom, info));
  EXPECT_EQ(info.freq, 22050u);
  EXPECT_EQ(info.volume, 100u);
  EXPECT_EQ(info.pan, 0);
  EXPECT_EQ(info.max, 3u);
  info.freq = 5;
  info.volume = 250;
  info.pan = -300;
  info.max = 0;
  info.length = 1;
  ASSERT_TRUE(SoundSampleSetInfo(boom, info));
  ASSERT_TRUE(SoundSampleGetInfo(boom, info));
  EXPECT_EQ(info.freq, 100u);
  EXPECT_EQ(info.volume, 100u);
  EXPECT_EQ(info.pan, -100);
  EXPECT_EQ(info.max, 1u);
  EXPECT_EQ(info.length, 64u * 4);  // belongs to the data
  info.freq = 1000000;
  info.pan = 101;
  ASSERT_TRUE(SoundSampleSetInfo(boom, info));
  ASSERT_TRUE(SoundSampleGetInfo(boom, info));
  EXPECT_EQ(info.freq, 100000u);
  EXPECT_EQ(info.pan, 100);
}

TEST_F(SoundDeviceTest, ChannelsBelongToLiveSamplesAndPlayOnce) {
  ASSERT_TRUE(SoundInit(1, 44100, 0));
  const SoundHandle boom = LoadBoom();
  EXPECT_EQ(SoundSampleGetChannel(0), 0u);
  EXPECT_EQ(SoundSampleGetChannel(boom + 100), 0u);
  const SoundHandle first = SoundSampleGetChannel(boom);
  const SoundHandle second = SoundSampleGetChannel(boom);
  ASSERT_NE(first, 0u);
  EXPECT_NE(first, second);
  EXPECT_TRUE(SoundChannelPlay(first, false));
  EXPECT_FALSE(SoundChannelPlay(first, false));  // a channel is one play
  EXPECT_TRUE(SoundChannelStop(first));
  EXPECT_TRUE(SoundSampleFree(boom));
  EXPECT_FALSE(SoundChannelPlay(second, false));  // its sample is gone
  EXPECT_FALSE(SoundSampleFree(boom));
  EXPECT_FALSE(SoundChannelPlay(0, false));
}

TEST_F(SoundDeviceTest, FilesThatAreNotModulesOrWavesDoNotLoad) {
  ASSERT_TRUE(SoundInit(1, 44100, 0));
  const auto junk = dir.Path() / "junk";
  test::WriteFile(junk, std::vector<uint8_t>(300, 0xEE));
  EXPECT_EQ(SoundMusicLoad(junk.string(), kMusicLoop), 0u);
  EXPECT_EQ(SoundSampleLoad(junk.string(), 1, 0), 0u);
  EXPECT_EQ(SoundMusicLoad((dir.Path() / "missing.xm").string(), 0), 0u);
  EXPECT_EQ(SoundSampleLoad((dir.Path() / "missing.wav").string(), 1, 0), 0u);
  const auto empty = dir.Path() / "empty";
  test::WriteFile(empty, {});
  EXPECT_EQ(SoundMusicLoad(empty.string(), 0), 0u);
}

}  // namespace
}  // namespace quarry
