#include "audio/mixer.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace quarry {

namespace {

constexpr int32_t kGainUnit = 10000;  // volume 100 at centre pan

int16_t Clip(int32_t value) {
  return static_cast<int16_t>(std::clamp<int32_t>(value, std::numeric_limits<int16_t>::min(),
                                                  std::numeric_limits<int16_t>::max()));
}

}  // namespace

TMixer::TMixer(uint32_t outputRate) : outputRate_(outputRate == 0 ? 44100 : outputRate) {
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

  for (size_t i = 0; i < frames * 2; ++i) out[i] = Clip(acc[i]);
}

}  // namespace quarry
