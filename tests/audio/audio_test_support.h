// Audio test helpers: made-up sounds, modules, lists and archives, and SDL's disk driver read back.
#pragma once

#include <chrono>
#include <stdexcept>
#include <thread>

#include "archive/mad_write.h"
#include "audio/wav_writer.h"
#include "audio/xm_writer.h"
#include "core/program.h"
#include "test_support.h"

namespace quarry::test {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

// StopMissingData throws "tag: message" while this lives.
struct StopCatcher {
  StopCatcher() { SetStopHandler([](auto& message, auto& tag) { throw std::runtime_error(tag + ": " + message); }); }
  ~StopCatcher() { SetStopHandler(nullptr); }
};

inline Bytes ToBytes(const std::string& text) { return {text.begin(), text.end()}; }
// List texts write "|" for each CRLF line end.
inline std::string Crlf(std::string text) {
  for (size_t at; (at = text.find('|')) != std::string::npos;) text.replace(at, 1, "\r\n");
  return text;
}
inline void WriteFile(const fs::path& path, const Bytes& bytes) { WriteFileBytes(path, {bytes.begin(), bytes.end()}); }
inline Bytes ConstantWav(int16_t value, size_t frames, uint32_t rate = 44100) { return WriteWav(std::vector<int16_t>(frames, value), 1, rate); }

// 4 channels, each a looping square note on row 0 and a note-off on row 1.
inline XmModule BeepModule(uint16_t rows = 4, uint16_t speed = 3, uint16_t bpm = 125) {
  XmModule m;
  m.name = "beep", m.speed = speed, m.bpm = bpm, m.orders = {0}, m.patterns = {XmPattern{rows, {}}}, m.instruments.resize(1);
  for (uint16_t ch = 0; ch < 4; ++ch) {
    m.patterns[0].At(0, ch, 4) = XmCell{XmNote(4, ch * 4), 1, 0, 0, 0};
    if (rows > 1) m.patterns[0].At(1, ch, 4).note = kXmNoteOff;
  }
  for (int i = 0; i < 64; ++i) m.instruments[0].sample.points.push_back(i < 32 ? 6000 : -6000);
  return m.instruments[0].sample.loopLength = 64, m;
}

inline std::string WriteArchive(const fs::path& path, const std::vector<std::pair<std::string, Bytes>>& members) {
  TMADWrite archive(path.string());
  for (const auto& [name, bytes] : members) archive.AddBytes(std::span<const uint8_t>(bytes), name);
  return archive.Done(), path.string();
}

// SDL's disk driver: 16-bit stereo at 44100 Hz into dir/mixed.raw, far faster than real time.
struct DiskAudio {
  explicit DiskAudio(const fs::path& dir) : file(dir / "mixed.raw") {
    setenv("SDL_AUDIODRIVER", "disk", 1), setenv("SDL_DISKAUDIOFILE", file.c_str(), 1), setenv("SDL_DISKAUDIODELAY", "1", 1);
  }
  ~DiskAudio() { unsetenv("SDL_DISKAUDIOFILE"), unsetenv("SDL_DISKAUDIODELAY"); }
  size_t Frames() const { std::error_code error; const auto size = fs::file_size(file, error); return error ? 0 : size / 4; }
  // False only after a deadline far beyond the expected fraction of a second (a stuck device).
  bool WaitFrames(size_t frames) const {
    const size_t target = Frames() + frames;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Frames() < target && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return Frames() >= target;
  }
  std::vector<int16_t> Samples() const {  // left, right, ...
    const std::string bytes = ReadFileBytes(file);
    std::vector<int16_t> samples(bytes.size() / 4 * 2);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
    return samples;
  }
  fs::path file;
};

// Frames [from, to) of stereo output: those with a non-zero sample and the largest magnitude per side.
struct Sound {
  size_t first = 0, last = 0, nonZero = 0;
  int maxLeft = 0, maxRight = 0;
  size_t Span() const { return nonZero ? last - first + 1 : 0; }
};
inline Sound Analyse(const std::vector<int16_t>& samples, size_t from = 0, size_t to = SIZE_MAX) {
  Sound s;
  for (size_t f = from; f < std::min(samples.size() / 2, to); ++f) {
    const int left = std::abs(samples[2 * f]), right = std::abs(samples[2 * f + 1]);
    if (left == 0 && right == 0) continue;
    if (s.nonZero++ == 0) s.first = f;
    s.last = f, s.maxLeft = std::max(s.maxLeft, left), s.maxRight = std::max(s.maxRight, right);
  }
  return s;
}

// Bursts of sound separated by at least gap silent frames.
inline size_t CountBursts(const std::vector<int16_t>& samples, size_t gap) {
  size_t bursts = 0, silent = gap;
  for (size_t f = 0; f < samples.size() / 2; ++f) {
    if (samples[2 * f] == 0 && samples[2 * f + 1] == 0) ++silent;
    else bursts += silent >= gap, silent = 0;
  }
  return bursts;
}

}  // namespace quarry::test
