#include "audio/sound_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

#include "audio/mixer.h"
#include "audio/module_source.h"
#ifdef __EMSCRIPTEN__
#include "core/browser.h"
#endif

namespace quarry {

namespace {

struct SampleRecord {
  std::shared_ptr<const PcmData> pcm;
  SoundSample info;
};

struct Device {
  explicit Device(uint32_t rate) : mixer(rate), rate(rate) {}
  TMixer mixer;
  uint32_t rate;
  std::map<SoundHandle, SampleRecord> samples;
  std::map<SoundHandle, std::shared_ptr<MusicSource>> music;
  std::map<SoundHandle, SoundHandle> channels;  // channel -> its sample, until played
  SoundHandle nextHandle = 1;

  SoundHandle NewHandle() { return nextHandle++; }
};

std::unique_ptr<Device> g_device;
std::optional<uint32_t> g_versionOverride;

void FillAudio(void* user, Uint8* stream, int length) {
  auto* mixer = static_cast<TMixer*>(user);
  mixer->Mix(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(length) / 4);
}

// SDL_LoadWAV plus a conversion to 16-bit stereo; the rate stays the file's,
// the mixer resamples at play time because the rate is a per-sample setting.
std::shared_ptr<PcmData> LoadWaveFile(const std::string& fileName) {
  SDL_AudioSpec wavFormat;
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV(fileName.c_str(), &wavFormat, &buffer, &length)) return nullptr;

  std::shared_ptr<PcmData> pcm;
  SDL_AudioCVT cvt;
  const int build = wavFormat.freq > 0 ? SDL_BuildAudioCVT(&cvt, wavFormat.format, wavFormat.channels, wavFormat.freq,
                                                      AUDIO_S16SYS, 2, wavFormat.freq)
                                  : -1;
  if (build >= 0) {
    const bool convert = build > 0;
    std::vector<Uint8> work(static_cast<size_t>(length) * (convert ? std::max(cvt.len_mult, 1) : 1));
    if (length > 0) std::memcpy(work.data(), buffer, length);
    bool ok = true;
    size_t bytes = length;
    if (convert) {
      cvt.buf = work.data();
      cvt.len = static_cast<int>(length);
      ok = SDL_ConvertAudio(&cvt) == 0;
      bytes = static_cast<size_t>(std::max(cvt.len_cvt, 0));
    }
    if (ok) {
      pcm = std::make_shared<PcmData>();
      pcm->rate = static_cast<uint32_t>(wavFormat.freq);
      pcm->frames.resize(std::min(bytes, work.size()) / 4 * 2);
      std::memcpy(pcm->frames.data(), work.data(), pcm->frames.size() * sizeof(int16_t));
    }
  }
  SDL_FreeWAV(buffer);
  return pcm;
}

bool ReadWholeFile(const std::string& fileName, std::vector<uint8_t>& bytes) {
  std::ifstream file(fileName, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

}  // namespace

uint32_t SoundGetVersion() {
  if (g_versionOverride) return *g_versionOverride;
  if (const char* text = std::getenv("QUARRY_SOUND_VERSION"); text && *text) {
    return static_cast<uint32_t>(std::strtoul(text, nullptr, 0));
  }
  return kSoundVersion;
}

void SetSoundVersionOverride(std::optional<uint32_t> version) { g_versionOverride = version; }

bool SoundInit(int /*device*/, uint32_t rate, uint32_t /*flags*/) {
  if (g_device) return false;
  if (rate == 0) rate = 44100;
#ifdef __EMSCRIPTEN__
  // SDL without threads cannot run its audio callback: Web Audio pulls it.
  auto webDevice = std::make_unique<Device>(rate);
  if (!OpenBrowserAudio(FillAudio, &webDevice->mixer, rate)) return false;
  g_device = std::move(webDevice);
  return true;
#endif
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) return false;
  auto device = std::make_unique<Device>(rate);
  SDL_AudioSpec desired;
  std::memset(&desired, 0, sizeof desired);
  desired.freq = static_cast<int>(rate);
  desired.format = AUDIO_S16SYS;
  desired.channels = 2;
  desired.samples = 1024;  // about 23 ms: short enough for effects to feel immediate
  desired.callback = FillAudio;
  desired.userdata = &device->mixer;
  // No obtained format: SDL converts to the device's format behind our back,
  // so the mixer always works in 16-bit stereo at our rate.
  if (SDL_OpenAudio(&desired, nullptr) < 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  g_device = std::move(device);
  SDL_PauseAudio(0);
  return true;
}

void SoundFree() {
  if (!g_device) return;
#ifdef __EMSCRIPTEN__
  CloseBrowserAudio();
  g_device.reset();
  return;
#endif
  SDL_CloseAudio();  // waits for the callback to return; only at shutdown
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  g_device.reset();
}

bool SoundDeviceOpen() { return g_device != nullptr; }

SoundHandle SoundSampleLoad(const std::string& fileName, uint32_t max, uint32_t flags) {
  if (!g_device) return 0;
  std::shared_ptr<PcmData> pcm = LoadWaveFile(fileName);
  if (!pcm) return 0;
  SampleRecord record;
  record.info.freq = pcm->rate;
  record.info.flags = flags;
  record.info.length = static_cast<uint32_t>(pcm->frames.size() * sizeof(int16_t));
  record.info.max = std::max<uint32_t>(max, 1);
  record.pcm = std::move(pcm);
  const SoundHandle handle = g_device->NewHandle();
  g_device->samples.emplace(handle, std::move(record));
  return handle;
}

bool SoundSampleGetInfo(SoundHandle sample, SoundSample& info) {
  if (!g_device) return false;
  auto it = g_device->samples.find(sample);
  if (it == g_device->samples.end()) return false;
  info = it->second.info;
  return true;
}

bool SoundSampleSetInfo(SoundHandle sample, const SoundSample& info) {
  if (!g_device) return false;
  auto it = g_device->samples.find(sample);
  if (it == g_device->samples.end()) return false;
  SoundSample& kept = it->second.info;
  kept.freq = std::clamp<uint32_t>(info.freq, 100, 100000);
  kept.volume = std::min<uint32_t>(info.volume, 100);
  kept.pan = std::clamp<int32_t>(info.pan, -100, 100);
  kept.max = std::max<uint32_t>(info.max, 1);
  kept.flags = info.flags;  // the length belongs to the data and stays
  return true;
}

SoundHandle SoundSampleGetChannel(SoundHandle sample) {
  if (!g_device || !g_device->samples.contains(sample)) return 0;
  const SoundHandle channel = g_device->NewHandle();
  g_device->channels.emplace(channel, sample);
  return channel;
}

bool SoundSampleFree(SoundHandle sample) {
  if (!g_device) return false;
  auto it = g_device->samples.find(sample);
  if (it == g_device->samples.end()) return false;
  g_device->mixer.StopSample(sample);
  g_device->samples.erase(it);
  std::erase_if(g_device->channels, [&](const auto& entry) { return entry.second == sample; });
  return true;
}

SoundHandle SoundMusicLoad(const std::string& fileName, uint32_t flags) {
  if (!g_device) return 0;
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(fileName, bytes)) return 0;
  ModuleOptions options;
  options.loop = (flags & kMusicLoop) != 0;
  options.ramps = (flags & kMusicRamps) != 0;
  std::shared_ptr<MusicSource> module = LoadModule(bytes, g_device->rate, options);
  if (!module) return 0;
  const SoundHandle handle = g_device->NewHandle();
  g_device->music.emplace(handle, std::move(module));
  return handle;
}

bool SoundMusicFree(SoundHandle music) {
  if (!g_device) return false;
  auto it = g_device->music.find(music);
  if (it == g_device->music.end()) return false;
  // The mixer may still hold the module for a moment; the shared pointer
  // lets whichever side lets go last destroy it.
  g_device->mixer.StopMusic(music);
  g_device->music.erase(it);
  return true;
}

bool SoundChannelPlay(SoundHandle channel, bool restart) {
  if (!g_device || channel == 0) return false;
  if (auto m = g_device->music.find(channel); m != g_device->music.end()) {
    g_device->mixer.PlayMusic(channel, m->second, restart);
    return true;
  }
  auto c = g_device->channels.find(channel);
  if (c == g_device->channels.end()) return false;
  const SoundHandle sample = c->second;
  g_device->channels.erase(c);  // one play per channel: the table never grows with plays
  auto s = g_device->samples.find(sample);
  if (s == g_device->samples.end()) return false;
  const SoundSample& info = s->second.info;
  VoiceParams params;
  params.freq = info.freq;
  params.volume = info.volume;
  params.pan = info.pan;
  params.max = info.max;
  params.loop = (info.flags & kSampleLoop) != 0;
  params.overrideOldest = (info.flags & kSampleOverPos) != 0;
  g_device->mixer.PlaySample(sample, channel, s->second.pcm, params);
  return true;
}

bool SoundChannelStop(SoundHandle channel) {
  if (!g_device || channel == 0 || channel >= g_device->nextHandle) return false;
  if (g_device->music.contains(channel)) {
    g_device->mixer.StopMusic(channel);
  } else {
    g_device->mixer.StopChannel(channel);
  }
  return true;
}

}  // namespace quarry
