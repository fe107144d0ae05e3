#include "audio_test_support.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <span>
#include <thread>

#include "archive/mad_write.h"
#include "audio/wav_writer.h"
#include "core/log.h"
#include "core/program.h"

namespace quarry::test {

namespace fs = std::filesystem;

LogCapture::LogCapture() {
  SetLogObserver([this](const std::string& line) { lines_.push_back(line); });
}

LogCapture::~LogCapture() { SetLogObserver(nullptr); }

size_t LogCapture::Count(const std::string& line) const {
  return static_cast<size_t>(std::count(lines_.begin(), lines_.end(), line));
}

size_t LogCapture::CountContaining(const std::string& part) const {
  return static_cast<size_t>(std::count_if(lines_.begin(), lines_.end(), [&](const std::string& l) {
    return l.find(part) != std::string::npos;
  }));
}

StopCatcher::StopCatcher() {
  SetStopHandler([](const std::string& message, const std::string& tag) {
    throw Stopped(message, tag);
  });
}

StopCatcher::~StopCatcher() { SetStopHandler(nullptr); }

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "quarry-audio-test-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
  path_ = name.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::Entries() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename());
  return names;
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> ConstantWav(int16_t value, size_t frames, uint32_t rate) {
  return WriteWav(std::vector<int16_t>(frames, value), 1, rate);
}

XmModule BeepModule(uint16_t rows, uint16_t speed, uint16_t bpm) {
  XmModule module;
  module.name = "beep";
  module.channels = 4;
  module.speed = speed;
  module.bpm = bpm;
  module.orders = {0};
  XmPattern pattern;
  pattern.rows = rows;
  for (uint16_t ch = 0; ch < 4; ++ch) {
    pattern.At(0, ch, 4) = XmCell{XmNote(4, ch * 4), 1, 0, 0, 0};
    if (rows > 1) pattern.At(1, ch, 4).note = kXmNoteOff;
  }
  module.patterns.push_back(pattern);
  XmInstrument square;
  square.name = "square";
  for (int i = 0; i < 64; ++i) square.sample.points.push_back(i < 32 ? 6000 : -6000);
  square.sample.loopStart = 0;
  square.sample.loopLength = 64;
  module.instruments.push_back(square);
  return module;
}

void WriteArchive(const fs::path& path,
                  const std::vector<std::pair<std::string, std::vector<uint8_t>>>& members) {
  TMADWrite archive(path.string());
  for (const auto& [name, bytes] : members) archive.AddBytes(std::span<const uint8_t>(bytes), name);
  archive.Done();
}

DiskAudio::DiskAudio(const fs::path& dir) : file_(dir / "mixed.raw") {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);
}

DiskAudio::~DiskAudio() {
  unsetenv("SDL_DISKAUDIOFILE");
  unsetenv("SDL_DISKAUDIODELAY");
}

bool DiskAudio::Exists() const { return fs::exists(file_); }

uintmax_t DiskAudio::Size() const {
  std::error_code error;
  const uintmax_t size = fs::file_size(file_, error);
  return error ? 0 : size;
}

bool DiskAudio::WaitFrames(size_t frames) const {
  // The driver runs on its own thread; this waits for its progress, with a
  // deadline far beyond the expected fraction of a second.
  const uintmax_t target = Size() + frames * 4;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (Size() < target) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::vector<int16_t> DiskAudio::Samples() const {
  const std::vector<uint8_t> bytes = ReadFile(file_);
  std::vector<int16_t> samples(bytes.size() / 4 * 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return samples;
}

Sound Analyse(const std::vector<int16_t>& samples, size_t fromFrame, size_t toFrame) {
  Sound s;
  const size_t frames = std::min(samples.size() / 2, toFrame);
  for (size_t f = fromFrame; f < frames; ++f) {
    const int left = samples[2 * f];
    const int right = samples[2 * f + 1];
    if (left == 0 && right == 0) continue;
    if (s.nonZero == 0) s.first = f;
    s.last = f;
    ++s.nonZero;
    s.maxLeft = std::max(s.maxLeft, std::abs(left));
    s.maxRight = std::max(s.maxRight, std::abs(right));
    s.energyLeft += static_cast<double>(left) * left;
    s.energyRight += static_cast<double>(right) * right;
  }
  return s;
}

size_t CountBursts(const std::vector<int16_t>& samples, size_t gapFrames) {
  size_t bursts = 0;
  size_t silent = gapFrames;  // the start counts as after a gap
  for (size_t f = 0; f < samples.size() / 2; ++f) {
    if (samples[2 * f] == 0 && samples[2 * f + 1] == 0) {
      ++silent;
      continue;
    }
    if (silent >= gapFrames) ++bursts;
    silent = 0;
  }
  return bursts;
}

}  // namespace quarry::test
