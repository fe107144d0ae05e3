// Helpers for the audio tests: captured log lines, a throwing stop handler,
// private temporary folders, synthesized sounds and modules, archives built
// in the test, and the output of SDL's disk audio driver.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "audio/xm_writer.h"

namespace quarry::test {

// Collects log lines while alive.
class LogCapture {
public:
  LogCapture();
  ~LogCapture();
  const std::vector<std::string>& Lines() const { return lines_; }
  size_t Count(const std::string& line) const;
  size_t CountContaining(const std::string& part) const;
  void Clear() { lines_.clear(); }

private:
  std::vector<std::string> lines_;
};

// What StopMissingData throws while a StopCatcher is alive.
struct Stopped : std::runtime_error {
  Stopped(const std::string& message, const std::string& tag)
      : std::runtime_error(message), tag(tag) {}
  std::string tag;
};

class StopCatcher {
public:
  StopCatcher();
  ~StopCatcher();
};

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& Path() const { return path_; }
  std::vector<std::string> Entries() const;  // file names inside

private:
  std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::filesystem::path& path);

// A mono 16-bit WAV at rate holding frames points of the constant value.
std::vector<uint8_t> ConstantWav(int16_t value, size_t frames, uint32_t rate = 44100);

// A 4-channel module: every pattern-length beat one note on channel 1 (a
// looping square wave), a note-off one row later, then silent rows; rows x
// speed ticks at bpm. It repeats when played with looping on.
XmModule BeepModule(uint16_t rows = 4, uint16_t speed = 3, uint16_t bpm = 125);

// A MAD archive file with the members (name, bytes) at path.
void WriteArchive(const std::filesystem::path& path,
                  const std::vector<std::pair<std::string, std::vector<uint8_t>>>& members);

// Routes SDL's audio to the disk driver writing into dir; the output is then
// 16-bit stereo frames at 44100 Hz, written about twenty times faster than
// real time.
class DiskAudio {
public:
  explicit DiskAudio(const std::filesystem::path& dir);
  ~DiskAudio();
  const std::filesystem::path& File() const { return file_; }
  bool Exists() const;
  uintmax_t Size() const;
  // Waits until the driver has written at least frames more frames than now.
  // False after a generous deadline (a stuck device).
  bool WaitFrames(size_t frames) const;
  // The frames written so far (left, right, ...).
  std::vector<int16_t> Samples() const;

private:
  std::filesystem::path file_;
};

// Statistics of a captured stretch of stereo output.
struct Sound {
  size_t first = 0;      // first frame with a non-zero sample
  size_t last = 0;       // last such frame
  size_t nonZero = 0;    // frames with a non-zero sample
  int maxLeft = 0;       // largest magnitude per side
  int maxRight = 0;
  double energyLeft = 0;
  double energyRight = 0;
  size_t Span() const { return nonZero ? last - first + 1 : 0; }
};
Sound Analyse(const std::vector<int16_t>& samples, size_t fromFrame = 0,
              size_t toFrame = SIZE_MAX);
// Number of bursts of sound separated by at least gapFrames silent frames.
size_t CountBursts(const std::vector<int16_t>& samples, size_t gapFrames);

}  // namespace quarry::test
