// The mixer on one thread: what plays put into the output, how they share voices, how modules run.
#include "audio/mixer.h"

#include <gtest/gtest.h>

#include "audio_test_support.h"

namespace quarry {
namespace {

using test::Analyse;
constexpr uint32_t kRate = 44100;

std::shared_ptr<const PcmData> Constant(int16_t left, int16_t right, size_t frames) {
  auto pcm = std::make_shared<PcmData>();  // at kRate
  for (size_t i = 0; i < frames; ++i) pcm->frames.insert(pcm->frames.end(), {left, right});
  return pcm;
}

// Mixes in buffers of 1024, as the device does.
std::vector<int16_t> MixFor(TMixer& mixer, size_t frames, std::vector<int16_t> out = {}) {
  const size_t start = out.size() / 2;
  out.resize(out.size() + frames * 2);
  for (size_t done = 0; done < frames; done += 1024)
    mixer.Mix(out.data() + (start + done) * 2, std::min<size_t>(1024, frames - done));
  return out;
}

TEST(Mixer, PlaysASampleOnceScaledByVolumeAndPanPerSideAtItsFrequency) {
  struct Case { uint32_t volume; int32_t pan; int left, right; uint32_t freq = kRate; size_t frames = 3000; };
  for (const Case c : {Case{100, 0, 10000, -10000}, Case{50, 0, 5000, -5000}, Case{100, -100, 10000, 0},
                       Case{100, 100, 0, -10000}, Case{100, 60, 4000, -10000}, Case{80, -25, 8000, -6000},
                       Case{0, 0, 0, 0, kRate, 0}, Case{100, 0, 10000, -10000, kRate / 2, 6000},
                       Case{100, 0, 10000, -10000, kRate * 2, 1500}}) {
    SCOPED_TRACE(testing::Message() << "volume " << c.volume << " pan " << c.pan << " freq " << c.freq);
    TMixer mixer(kRate);
    mixer.PlaySample(1, 10, Constant(10000, -10000, 3000), VoiceParams{.freq = c.freq, .volume = c.volume, .pan = c.pan});
    const auto out = MixFor(mixer, 8192);
    const auto s = Analyse(out);
    EXPECT_EQ(std::tie(out[0], out[1]), std::make_tuple(int16_t(c.left), int16_t(c.right)));
    EXPECT_EQ(std::tie(s.first, s.nonZero, s.last), std::make_tuple(size_t{0}, c.frames, c.frames ? c.frames - 1 : 0));
    EXPECT_EQ(mixer.ActiveVoices(), 0u);
  }
}

// Three plays of one sample, 1024 frames apart: how many sound together and for how long.
TEST(Mixer, PlaysOfOneSampleShareMaxVoicesReplacingTheLongestSoundingOnlyWithOverride) {
  struct Case { uint32_t max; bool overrideOldest; int maxLeft, at3500; size_t last; };
  for (const Case c : {Case{1, true, 1000, 1000, 2048 + 2999}, Case{2, true, 2000, 2000, 2048 + 2999},
                       Case{2, false, 2000, 1000, 1024 + 2999}}) {
    TMixer mixer(kRate);
    std::vector<int16_t> out;
    for (uint32_t play = 0; play < 3; ++play) {
      mixer.PlaySample(7, 20 + play, Constant(1000, 1000, 3000), VoiceParams{.max = c.max, .overrideOldest = c.overrideOldest});
      out = MixFor(mixer, 1024, out);
    }
    out = MixFor(mixer, 8192, out);
    const auto s = Analyse(out);
    EXPECT_EQ(std::tie(s.maxLeft, out[2 * 3500], s.first, s.last), std::make_tuple(c.maxLeft, int16_t(c.at3500), size_t{0}, c.last))
        << c.max << c.overrideOldest;
  }
}

TEST(Mixer, DifferentSamplesSoundTogetherAndGiveTheOldestVoiceOfAFullPoolToANewPlay) {
  TMixer mixer(kRate);
  for (uint32_t id = 1; id <= TMixer::kVoices; ++id) mixer.PlaySample(id, 200 + id, Constant(1, 1, 5000), {});
  EXPECT_EQ((MixFor(mixer, 16), mixer.ActiveVoices()), TMixer::kVoices);
  mixer.PlaySample(999, 5000, Constant(1, 1, 5000), {}), mixer.StopSample(1);  // the oldest: already gone, so this stops nothing
  const auto out = MixFor(mixer, 16);
  EXPECT_EQ(std::make_tuple(mixer.ActiveVoices(), out[0]), std::make_tuple(TMixer::kVoices, int16_t(TMixer::kVoices)));
}

struct FakeModule : MusicSource {  // length frames of value (300), then the end
  explicit FakeModule(size_t length, int16_t value = 300) : length(length), value(value) {}
  void Restart() override { ++restarts, position = 0; }
  size_t Render(int16_t* out, size_t frames) override {
    const size_t n = std::min(frames, length - position);
    return std::fill(out, out + n * 2, value), position += n, n;
  }
  size_t length;
  int16_t value;
  size_t position = 0, restarts = 0;
};

TEST(Mixer, LoopingVoicesAndModulesRunUntilStoppedAndModulesRestartAndEnd) {
  TMixer mixer(kRate);
  mixer.PlaySample(1, 10, Constant(500, 500, 100), {.max = 4, .loop = true});
  mixer.PlaySample(2, 11, Constant(700, 700, 100), {.max = 4, .loop = true});
  EXPECT_EQ(Analyse(MixFor(mixer, 4096)).nonZero, 4096u);
  EXPECT_EQ((mixer.StopChannel(10), MixFor(mixer, 1024))[0], 700);
  EXPECT_EQ((mixer.StopSample(2), Analyse(MixFor(mixer, 1024))).nonZero, 0u);
  auto module = std::make_shared<FakeModule>(3000);
  mixer.PlayMusic(5, module, true);
  EXPECT_EQ(MixFor(mixer, 1024)[0], 300);
  EXPECT_EQ(module->restarts, 1u);
  EXPECT_EQ((mixer.StopMusic(5), Analyse(MixFor(mixer, 1024))).nonZero, 0u);
  EXPECT_EQ(mixer.ActiveMusic(), 0u);
  mixer.PlayMusic(5, module, true), mixer.PlayMusic(5, module, true);  // from the start again, and a second start does not double it
  const auto s = Analyse(MixFor(mixer, 8192));  // 3000 frames, then it ends
  EXPECT_EQ(std::tie(module->restarts, s.nonZero, s.maxLeft), std::make_tuple(size_t{3}, size_t{3000}, 300));
  EXPECT_EQ(mixer.ActiveMusic(), 0u);
  mixer.PlaySample(1, 10, Constant(500, 500, 100), {.loop = true});
  mixer.PlayMusic(2, std::make_shared<FakeModule>(1000000), true);
  MixFor(mixer, 512), mixer.StopAll();
  EXPECT_EQ(Analyse(MixFor(mixer, 1024)).nonZero, 0u);
}

// Every voice at full scale over full-scale music: the limiter keeps all of it below full scale yet loud, and a
// quiet sound after it comes back at its exact level, also when the loud part begins in the middle of a buffer.
TEST(Mixer, NoNumberOfVoicesClipsAndTheLevelRecoversAfterwards) {
  TMixer mixer(kRate);
  mixer.PlaySample(500, 1, Constant(10000, 10000, 3 * kRate), {});
  mixer.Mix(std::vector<int16_t>(2 * 300).data(), 300);  // buffers now end 300 frames into the ones below
  for (uint32_t id = 1; id < TMixer::kVoices; ++id)
    mixer.PlaySample(id, 100 + id, Constant(32767, -32768, kRate / 2), {});
  mixer.PlayMusic(9, std::make_shared<FakeModule>(kRate / 2, 32767), true);
  const auto out = MixFor(mixer, 2 * kRate);
  const auto loud = Analyse(out, 0, kRate / 2);
  EXPECT_TRUE(loud.maxLeft <= TMixer::kCeiling && loud.maxRight <= TMixer::kCeiling) << loud.maxLeft << " " << loud.maxRight;
  EXPECT_GT(std::max(loud.maxLeft, loud.maxRight), TMixer::kCeiling - 100);  // limited, not muted
  EXPECT_EQ(std::make_tuple(out[2 * (2 * kRate - 1)], out[2 * (2 * kRate - 1) + 1]), std::make_tuple(int16_t{10000}, int16_t{10000}));
}

}  // namespace
}  // namespace quarry
