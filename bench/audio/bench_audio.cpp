// Audio costs: the mixer callback with the load of a busy moment of play, and
// loading the sound and music archives at start-up.
//
//   bench_audio                        synthetic archives of the game's size
//   QUARRY_DATA=DIR bench_audio        DIR/qssound.mad and DIR/qsmusic.mad
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "audio/mixer.h"
#include "audio/module_source.h"
#include "audio/music_collection.h"
#include "audio/sound_device.h"
#include "audio/wav_writer.h"
#include "audio/wave_collection.h"
#include "audio/xm_writer.h"
#include "audio/zr_sdl_a.h"
#include "core/random.h"

namespace quarry {
namespace {

constexpr uint32_t kRate = 44100;
constexpr size_t kBuffer = 1024;  // the device's buffer

// A decaying noise burst, like the game's effects.
std::vector<int16_t> Effect(size_t frames, uint32_t seed) {
  std::vector<int16_t> points(frames);
  uint32_t state = seed * 2654435761u + 1;
  for (size_t i = 0; i < frames; ++i) {
    state = state * 1664525u + 1013904223u;
    const double envelope = 1.0 - static_cast<double>(i) / static_cast<double>(frames);
    points[i] = static_cast<int16_t>(static_cast<int32_t>(state >> 16) % 12000 * envelope);
  }
  return points;
}

// Four channels busy on every row for 8 patterns of 64 rows: more than any
// song of the game asks of the player.
XmModule BusySong(int instruments) {
  XmModule m;
  m.name = "busy";
  m.channels = 4;
  m.speed = 4;
  m.bpm = 140;
  for (int p = 0; p < 8; ++p) {
    XmPattern pattern;
    pattern.rows = 64;
    for (uint16_t row = 0; row < 64; ++row) {
      for (uint16_t ch = 0; ch < 4; ++ch) {
        if ((row + ch) % 2 == 0) {
          pattern.At(row, ch, 4) = XmCell{XmNote(3 + ch % 2, (row * 5 + ch * 7) % 12),
                                          static_cast<uint8_t>(1 + ch % instruments), 0, 0, 0};
        }
      }
    }
    m.patterns.push_back(pattern);
    m.orders.push_back(static_cast<uint8_t>(p));
  }
  for (int i = 0; i < instruments; ++i) {
    XmInstrument instrument;
    instrument.name = "inst" + std::to_string(i);
    for (int k = 0; k < 8192; ++k) {
      instrument.sample.points.push_back(
          static_cast<int16_t>(9000 * std::sin(k * (0.05 + 0.02 * i)) * (k % 97 < 60 ? 1 : 0.7)));
    }
    instrument.sample.loopStart = 4096;
    instrument.sample.loopLength = 4096;
    m.instruments.push_back(instrument);
  }
  return m;
}

void BM_MixerCallback(benchmark::State& state) {
  TMixer mixer(kRate);
  for (uint32_t id = 1; id <= 8; ++id) {
    auto pcm = std::make_shared<PcmData>();
    for (int16_t v : Effect(kRate, id)) {
      pcm->frames.push_back(v);
      pcm->frames.push_back(v);
    }
    VoiceParams p;
    p.loop = true;  // all eight keep sounding for the whole run
    p.volume = 80;
    p.pan = static_cast<int32_t>(id * 25) - 100;
    p.freq = id % 2 ? kRate : 33075;  // half of them resampled
    mixer.PlaySample(id, 100 + id, pcm, p);
  }
  const std::vector<uint8_t> xm = WriteXm(BusySong(4));
  ModuleOptions options;
  options.loop = true;
  options.ramps = true;
  mixer.PlayMusic(50, LoadModule(xm, kRate, options), true);

  std::vector<int16_t> out(kBuffer * 2);
  for (auto _ : state) {
    mixer.Mix(out.data(), kBuffer);
    benchmark::DoNotOptimize(out.data());
  }
  if (mixer.ActiveVoices() != 8 || mixer.ActiveMusic() != 1) state.SkipWithError("voices ended");
  // CPU time per buffer as a share of the buffer's playing time.
  const double audioSecondsPerIteration = static_cast<double>(kBuffer) / kRate;
  state.counters["core_percent"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * audioSecondsPerIteration / 100.0,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixerCallback);

struct Archives {
  std::string sound;
  std::string music;
};

// The two archives of a game: 11 effects of 0.3 s and 5 four-channel songs.
Archives SyntheticArchives() {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "quarry-bench-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    return std::filesystem::path(mkdtemp(name.data()) ? name.data() : "/tmp");
  }();
  const Archives archives{(dir / "qssound.mad").string(), (dir / "qsmusic.mad").string()};
  if (std::filesystem::exists(archives.music)) return archives;

  const char* waveNames[] = {"EatSand", "DiamondPickup", "DiamondDown", "BoulderDown",
                             "Pushing", "BalloonUp", "TunnelStart", "TunnelItem",
                             "TunnelEnd", "Explosion", "ExitOpen"};
  std::string waves = "[WaveCollection]\r\n";
  TMADWrite sound(archives.sound);
  for (uint32_t i = 0; i < 11; ++i) {
    const std::string file = "fx" + std::to_string(i) + ".wav";
    waves += "ITEM\r\nFILE=" + file + "\r\nNAME=" + waveNames[i] + "\r\nMAX=2\r\n\r\n";
    sound.AddBytes(WriteWav(Effect(kRate * 3 / 10, i + 1), 1, kRate), file);
  }
  waves += "!END\r\n";
  sound.AddBytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(waves.data()), waves.size()),
                 "waves.ini");
  sound.Done();

  std::string songs = "[MusicCollection]\r\nSONGS\r\n";
  TMADWrite music(archives.music);
  for (int i = 0; i < 5; ++i) {
    const std::string file = "song" + std::to_string(i) + ".xm";
    songs += "Song" + std::to_string(i) + "=" + file + "\r\n";
    music.AddBytes(WriteXm(BusySong(2 + i % 3)), file);
  }
  songs += "\r\nORDERS\r\nLIST=Song0\r\nINGAME=Song1,Song2\r\nMAPEND=Song3\r\nGAMEEND=Song4\r\n\r\n!END\r\n";
  music.AddBytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(songs.data()), songs.size()),
                 "muzax.ini");
  music.Done();
  return archives;
}

void BM_LoadSoundAndMusicArchives(benchmark::State& state) {
  Archives archives;
  if (const char* data = std::getenv("QUARRY_DATA")) {
    archives = {std::string(data) + "/qssound.mad", std::string(data) + "/qsmusic.mad"};
  } else {
    archives = SyntheticArchives();
  }
  setenv("SDL_AUDIODRIVER", "dummy", 0);  // a device that plays nothing, unless one is named
  Init_Audio();
  if (!AudioAvailable) {
    state.SkipWithError("no audio device");
    return;
  }
  for (auto _ : state) {
    TMad sound(archives.sound);
    TMad music(archives.music);
    auto waves = std::make_unique<TWaveCollection>(16);
    auto songs = std::make_unique<TMusicCollection>(16);
    waves->LoadList("waves.ini", sound);
    songs->LoadList("muzax.ini", music);
    if (!AudioAvailable) state.SkipWithError("a module did not load");
    state.PauseTiming();
    state.counters["waves"] = waves->Count();
    state.counters["songs"] = songs->Count();
    waves.reset();
    songs.reset();
    state.ResumeTiming();
  }
  FreeAudioDevice();
  AudioAvailable = false;
}
BENCHMARK(BM_LoadSoundAndMusicArchives)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarry

BENCHMARK_MAIN();
