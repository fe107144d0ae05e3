#include "audio/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace quarry {

namespace {

constexpr int32_t kGainUnit = 10000;  // volume 100 at centre pan
// The gain falls towards a loud frame along this slope (per frame) ahead of it,
// about 1.5 ms from full gain to none, so a peak is met without a click.
constexpr float kAttackSlope = 1.0f / 64;
// After a peak the gain returns to 1 with this time constant.
constexpr double kReleaseSeconds = 0.12;

}  // namespace

TMixer::TMixer(uint32_t outputRate) : outputRate_(outputRate == 0 ? 44100 : outputRate) {
  release_ = 1.0 - std::exp(-1.0 / (kReleaseSeconds * outputRate_));
  // Reserved up front so that swapping queues on the audio thread does not
  // allocate in the common case.
  pending_.reserve(64);
  working_.reserve(64);
  music_.reserve(8);
}

void TMixer::Push(Command command) {
  std::lock_guard<std::mutex> lock(mutex_);
  pending_.push_back(std::move(command));
}

void TMixer::PlaySample(uint32_t sampleId, uint32_t channelId, std::shared_ptr<const PcmData> pcm,
                        const VoiceParams& params) {
  Command command;
  command.op = Op::PlaySample;
  command.id = sampleId;
  command.channelId = channelId;
  command.pcm = std::move(pcm);
  command.params = params;
  Push(std::move(command));
}

void TMixer::StopChannel(uint32_t channelId) {
  Command command;
  command.op = Op::StopChannel;
  command.channelId = channelId;
  Push(std::move(command));
}

void TMixer::StopSample(uint32_t sampleId) {
  Command command;
  command.op = Op::StopSample;
  command.id = sampleId;
  Push(std::move(command));
}

void TMixer::PlayMusic(uint32_t musicId, std::shared_ptr<MusicSource> music, bool restart) {
  Command command;
  command.op = Op::PlayMusic;
  command.id = musicId;
  command.music = std::move(music);
  command.restart = restart;
  Push(std::move(command));
}

void TMixer::StopMusic(uint32_t musicId) {
  Command command;
  command.op = Op::StopMusic;
  command.id = musicId;
  Push(std::move(command));
}

void TMixer::StopAll() {
  Command command;
  command.op = Op::StopAll;
  Push(std::move(command));
}

size_t TMixer::ActiveVoices() const {
  return static_cast<size_t>(
      std::count_if(voices_.begin(), voices_.end(), [](const Voice& v) { return v.active; }));
}

void TMixer::StartVoice(Command& command) {
  if (!command.pcm || command.pcm->FrameCount() == 0) return;
  const VoiceParams& p = command.params;
  const uint32_t max = std::max<uint32_t>(p.max, 1);

  // Plays of this sample beyond its maximum take over the one that has
  // sounded longest, so a burst of the same effect never stacks up.
  Voice* target = nullptr;
  uint32_t playing = 0;
  Voice* oldestOfSample = nullptr;
  for (Voice& v : voices_) {
    if (!v.active || v.sampleId != command.id) continue;
    ++playing;
    if (!oldestOfSample || v.started < oldestOfSample->started) oldestOfSample = &v;
  }
  if (playing >= max) {
    if (!p.overrideOldest) return;
    target = oldestOfSample;
  }
  if (!target) {
    for (Voice& v : voices_) {
      if (!v.active) { target = &v; break; }
    }
  }
  if (!target) {
    target = &*std::min_element(voices_.begin(), voices_.end(),
                                [](const Voice& a, const Voice& b) { return a.started < b.started; });
  }

  const int32_t volume = static_cast<int32_t>(std::min<uint32_t>(p.volume, 100));
  const int32_t pan = std::clamp<int32_t>(p.pan, -100, 100);
  Voice& v = *target;
  v.active = true;
  v.sampleId = command.id;
  v.channelId = command.channelId;
  v.pcm = std::move(command.pcm);
  v.position = 0;
  v.step = (static_cast<uint64_t>(p.freq) << 32) / outputRate_;
  if (v.step == 0) v.step = 1;
  v.gainLeft = volume * (pan > 0 ? 100 - pan : 100);
  v.gainRight = volume * (pan < 0 ? 100 + pan : 100);
  v.loop = p.loop;
  v.started = ++sequence_;
}

void TMixer::Apply(Command& command) {
  switch (command.op) {
    case Op::PlaySample:
      StartVoice(command);
      break;
    case Op::StopChannel:
      for (Voice& v : voices_) {
        if (v.active && v.channelId == command.channelId) v = Voice{};
      }
      break;
    case Op::StopSample:
      for (Voice& v : voices_) {
        if (v.active && v.sampleId == command.id) v = Voice{};
      }
      break;
    case Op::PlayMusic: {
      if (!command.music) break;
      auto it = std::find_if(music_.begin(), music_.end(),
                             [&](const Playing& m) { return m.id == command.id; });
      if (command.restart) command.music->Restart();
      if (it == music_.end()) music_.push_back(Playing{command.id, std::move(command.music)});
      break;
    }
    case Op::StopMusic:
      std::erase_if(music_, [&](const Playing& m) { return m.id == command.id; });
      break;
    case Op::StopAll:
      voices_.fill(Voice{});
      music_.clear();
      break;
  }
}

void TMixer::MixVoice(Voice& v, int32_t* acc, size_t frames) {
  const int16_t* data = v.pcm->frames.data();
  const uint64_t count = v.pcm->FrameCount();
  const uint64_t end = count << 32;
  for (size_t i = 0; i < frames; ++i) {
    if (v.position >= end) {
      if (!v.loop) { v = Voice{}; return; }
      v.position %= end;
    }
    const uint64_t index = v.position >> 32;
    int32_t left = data[2 * index];
    int32_t right = data[2 * index + 1];
    const uint32_t frac = static_cast<uint32_t>(v.position) >> 16;
    if (frac != 0) {
      // Linear interpolation towards the next frame (the first one when looping).
      uint64_t next = index + 1;
      if (next >= count) next = v.loop ? 0 : index;
      left += static_cast<int32_t>((static_cast<int64_t>(data[2 * next] - left) * frac) >> 16);
      right += static_cast<int32_t>((static_cast<int64_t>(data[2 * next + 1] - right) * frac) >> 16);
    }
    acc[2 * i] += left * v.gainLeft / kGainUnit;
    acc[2 * i + 1] += right * v.gainRight / kGainUnit;
    v.position += v.step;
  }
}

void TMixer::Mix(int16_t* out, size_t frames) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    working_.swap(pending_);
  }
  for (Command& command : working_) Apply(command);
  working_.clear();

  if (accumulator_.size() < frames * 2) accumulator_.resize(frames * 2);
  std::fill(accumulator_.begin(), accumulator_.begin() + frames * 2, 0);
  int32_t* acc = accumulator_.data();

  for (Voice& v : voices_) {
    if (v.active) MixVoice(v, acc, frames);
  }

  if (!music_.empty()) {
    if (musicBuffer_.size() < frames * 2) musicBuffer_.resize(frames * 2);
    for (auto it = music_.begin(); it != music_.end();) {
      const size_t made = it->music->Render(musicBuffer_.data(), frames);
      for (size_t i = 0; i < made * 2; ++i) acc[i] += musicBuffer_[i];
      if (made < frames) {
        it = music_.erase(it);  // the module ended (it was not looping)
      } else {
        ++it;
      }
    }
  }

  Limit(acc, out, frames);
}

// A limiter that looks ahead as far as the buffer reaches: each frame allows
// at most the gain that keeps it within kCeiling, a backward pass lowers the
// frames before a loud one so the gain slides down in time, and the carried
// gain follows those limits, rising slowly again once they allow it. Sums that
// stay within the ceiling pass unchanged once the gain is back at 1.
void TMixer::Limit(const int32_t* acc, int16_t* out, size_t frames) {
  if (gainLimit_.size() < frames) gainLimit_.resize(frames);
  float next = 1.0f;
  for (size_t i = frames; i-- > 0;) {
    const int32_t peak = std::max(std::abs(acc[2 * i]), std::abs(acc[2 * i + 1]));
    const float allowed = peak > kCeiling ? static_cast<float>(kCeiling) / static_cast<float>(peak) : 1.0f;
    next = std::min(allowed, next + kAttackSlope);
    gainLimit_[i] = next;
  }
  // In double: in float the slow rise near 1 would round away and the gain stall just below it.
  double gain = gain_;
  for (size_t i = 0; i < frames; ++i) {
    gain = std::min<double>(gainLimit_[i], gain + (1.0 - gain) * release_);
    if (gain > 0.99999 && gainLimit_[i] >= 1.0f) gain = 1.0;  // settle exactly, so quiet mixes are bit-exact
    for (size_t side = 0; side < 2; ++side) {
      const int32_t value = static_cast<int32_t>(acc[2 * i + side] * gain);  // towards zero
      out[2 * i + side] = static_cast<int16_t>(std::clamp(value, -kCeiling, kCeiling));
    }
  }
  gain_ = gain;
}

}  // namespace quarry
