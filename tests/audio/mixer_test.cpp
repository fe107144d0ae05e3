// The mixer on one thread: what a play puts into the output, how plays of one
// sample share their voices, and how modules start, stop and end.
#include "audio/mixer.h"

#include <gtest/gtest.h>

#include "audio_test_support.h"

namespace quarry {
namespace {

using test::Analyse;

constexpr uint32_t kRate = 44100;

std::shared_ptr<const PcmData> Constant(int16_t left, int16_t right, size_t frames) {
  auto pcm = std::make_shared<PcmData>();
  pcm->rate = kRate;
  for (size_t i = 0; i < frames; ++i) {
    pcm->frames.push_back(left);
    pcm->frames.push_back(right);
  }
  return pcm;
}

// Mixes frames in buffers of 1024, as the device does.
std::vector<int16_t> MixFor(TMixer& mixer, size_t frames) {
  std::vector<int16_t> out(frames * 2);
  for (size_t done = 0; done < frames;) {
    const size_t n = std::min<size_t>(1024, frames - done);
    mixer.Mix(out.data() + done * 2, n);
    done += n;
  }
  return out;
}

VoiceParams Params(uint32_t volume = 100, int32_t pan = 0, uint32_t max = 1) {
  VoiceParams p;
  p.volume = volume;
  p.pan = pan;
  p.max = max;
  return p;
}

TEST(Mixer, PlaysASampleOnceWithItsLengthAndLevel) {
  TMixer mixer(kRate);
  mixer.PlaySample(1, 10, Constant(10000, -10000, 3000), Params());
  const auto out = MixFor(mixer, 8192);
  const auto s = Analyse(out);
  EXPECT_EQ(s.first, 0u);
  EXPECT_EQ(s.nonZero, 3000u);
  EXPECT_EQ(s.Span(), 3000u);
  EXPECT_EQ(out[0], 10000);
  EXPECT_EQ(out[1], -10000);
  EXPECT_EQ(mixer.ActiveVoices(), 0u);
}

TEST(Mixer, VolumeAndPanScaleEachSide) {
  struct Case { uint32_t volume; int32_t pan; int left; int right; };
  for (const Case c : {Case{50, 0, 5000, 5000}, Case{100, -100, 10000, 0}, Case{100, 100, 0, 10000},
                       Case{100, 60, 4000, 10000}, Case{80, -25, 8000, 6000}, Case{0, 0, 0, 0}}) {
    TMixer mixer(kRate);
    mixer.PlaySample(1, 10, Constant(10000, 10000, 100), Params(c.volume, c.pan));
    const auto out = MixFor(mixer, 200);
    EXPECT_EQ(out[0], c.left) << "volume " << c.volume << " pan " << c.pan;
    EXPECT_EQ(out[1], c.right) << "volume " << c.volume << " pan " << c.pan;
  }
}

TEST(Mixer, OnePlayAtATimeReplacesInsteadOfStacking) {
  TMixer mixer(kRate);
  auto pcm = Constant(10000, 10000, 4000);
  mixer.PlaySample(1, 10, pcm, Params());
  mixer.PlaySample(1, 11, pcm, Params());  // same buffer: the first is taken over at once
  auto out = MixFor(mixer, 2048);
  mixer.PlaySample(1, 12, pcm, Params());  // half way through: starts over
  const auto rest = MixFor(mixer, 8192);
  out.insert(out.end(), rest.begin(), rest.end());
  const auto s = Analyse(out);
  EXPECT_EQ(s.maxLeft, 10000);  // never two plays summed
  EXPECT_EQ(s.Span(), 2048u + 4000u);
}

TEST(Mixer, ThePlayThatSoundedLongestIsTheOneReplaced) {
  for (bool overrideOldest : {true, false}) {
    TMixer mixer(kRate);
    auto pcm = Constant(1000, 1000, 3000);
    VoiceParams p = Params(100, 0, 2);
    p.overrideOldest = overrideOldest;
    std::vector<int16_t> out;
    for (uint32_t play = 0; play < 3; ++play) {
      mixer.PlaySample(7, 20 + play, pcm, p);
      const auto part = MixFor(mixer, 1024);
      out.insert(out.end(), part.begin(), part.end());
    }
    const auto rest = MixFor(mixer, 8192);
    out.insert(out.end(), rest.begin(), rest.end());
    if (overrideOldest) {
      // Plays 2 and 3 sound together after play 1 was taken over.
      EXPECT_EQ(out[2 * 3500], 2000);
      EXPECT_EQ(Analyse(out).last, 2048u + 3000u - 1);
    } else {
      // Without override the third play is dropped.
      EXPECT_EQ(out[2 * 3500], 1000);
      EXPECT_EQ(Analyse(out).last, 1024u + 3000u - 1);
    }
  }
}

TEST(Mixer, DifferentSamplesSoundTogetherAndClipInsteadOfWrapping) {
  TMixer mixer(kRate);
  for (uint32_t id = 1; id <= 4; ++id) mixer.PlaySample(id, 100 + id, Constant(30000, -30000, 50), Params());
  const auto out = MixFor(mixer, 64);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], -32768);
}

TEST(Mixer, AFullVoicePoolGivesTheOldestVoiceToANewPlay) {
  TMixer mixer(kRate);
  for (uint32_t id = 1; id <= TMixer::kVoices; ++id) {
    mixer.PlaySample(id, 100 + id, Constant(1, 1, 5000), Params());
  }
  MixFor(mixer, 16);
  EXPECT_EQ(mixer.ActiveVoices(), TMixer::kVoices);
  mixer.PlaySample(999, 5000, Constant(1, 1, 5000), Params());
  mixer.StopSample(1);  // the oldest: already gone, so this stops nothing
  const auto out = MixFor(mixer, 16);
  EXPECT_EQ(mixer.ActiveVoices(), TMixer::kVoices);
  EXPECT_EQ(out[0], static_cast<int16_t>(TMixer::kVoices));
}

TEST(Mixer, LoopingVoicesRunUntilStoppedByChannelOrSample) {
  TMixer mixer(kRate);
  VoiceParams p = Params(100, 0, 4);
  p.loop = true;
  mixer.PlaySample(1, 10, Constant(500, 500, 100), p);
  mixer.PlaySample(2, 11, Constant(700, 700, 100), p);
  EXPECT_EQ(Analyse(MixFor(mixer, 4096)).nonZero, 4096u);
  mixer.StopChannel(10);
  auto out = MixFor(mixer, 1024);
  EXPECT_EQ(out[0], 700);
  mixer.StopSample(2);
  EXPECT_EQ(Analyse(MixFor(mixer, 1024)).nonZero, 0u);
}

TEST(Mixer, FrequencySetsThePlaybackRate) {
  TMixer mixer(kRate);
  VoiceParams p = Params();
  p.freq = kRate / 2;
  mixer.PlaySample(1, 10, Constant(1000, 1000, 1000), p);
  EXPECT_EQ(Analyse(MixFor(mixer, 4096)).nonZero, 2000u);
  p.freq = kRate * 2;
  mixer.PlaySample(1, 11, Constant(1000, 1000, 1000), p);
  EXPECT_EQ(Analyse(MixFor(mixer, 4096)).nonZero, 500u);
}

class FakeModule : public MusicSource {
public:
  explicit FakeModule(size_t length) : length_(length) {}
  void Restart() override { ++restarts; position_ = 0; }
  size_t Render(int16_t* out, size_t frames) override {
    const size_t n = std::min(frames, length_ - position_);
    for (size_t i = 0; i < n * 2; ++i) out[i] = 300;
    position_ += n;
    return n;
  }
  int restarts = 0;

private:
  size_t length_;
  size_t position_ = 0;
};

TEST(Mixer, ModulesStartStopRestartAndEnd) {
  TMixer mixer(kRate);
  auto module = std::make_shared<FakeModule>(3000);
  mixer.PlayMusic(5, module, true);
  auto out = MixFor(mixer, 1024);
  EXPECT_EQ(module->restarts, 1);
  EXPECT_EQ(out[0], 300);
  mixer.StopMusic(5);
  EXPECT_EQ(Analyse(MixFor(mixer, 1024)).nonZero, 0u);
  EXPECT_EQ(mixer.ActiveMusic(), 0u);

  mixer.PlayMusic(5, module, true);  // from the start again: 3000 frames, then it ends
  mixer.PlayMusic(5, module, true);  // a second start does not double it
  out = MixFor(mixer, 8192);
  EXPECT_EQ(module->restarts, 3);
  EXPECT_EQ(Analyse(out).nonZero, 3000u);
  EXPECT_EQ(Analyse(out).maxLeft, 300);
  EXPECT_EQ(mixer.ActiveMusic(), 0u);
}

TEST(Mixer, StopAllSilencesEverything) {
  TMixer mixer(kRate);
  VoiceParams p = Params();
  p.loop = true;
  mixer.PlaySample(1, 10, Constant(500, 500, 100), p);
  mixer.PlayMusic(2, std::make_shared<FakeModule>(1000000), true);
  MixFor(mixer, 512);
  mixer.StopAll();
  EXPECT_EQ(Analyse(MixFor(mixer, 1024)).nonZero, 0u);
}

}  // namespace
}  // namespace quarry
