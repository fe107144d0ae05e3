// The software mixer behind the sound device: sample voices and modules are
// summed, then a limiter brings any sum that would pass kCeiling down to it, so
// no number of voices ever clips the 16-bit stereo output. The game thread only queues commands; Mix runs on
// the audio thread and owns every voice, so the two share nothing but the
// queue, and the game never waits longer than one push.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace quarry {

// Sample data in the output format (interleaved 16-bit stereo) at the rate
// of the file it came from; the playback rate is chosen per play.
struct PcmData {
  std::vector<int16_t> frames;  // left, right, left, right ...
  uint32_t rate = 44100;
  size_t FrameCount() const { return frames.size() / 2; }
};

// A rendering module. Only the audio thread calls Restart and Render once the
// module has been handed to the mixer.
class MusicSource {
public:
  virtual ~MusicSource() = default;
  virtual void Restart() = 0;
  // Writes up to frames interleaved stereo frames at the output rate; fewer
  // means the module has ended.
  virtual size_t Render(int16_t* out, size_t frames) = 0;
};

struct VoiceParams {
  uint32_t freq = 44100;  // playback rate of the sample data
  uint32_t volume = 100;  // 0..100
  int32_t pan = 0;        // -100 left .. 100 right
  uint32_t max = 1;       // simultaneous plays of this sample
  bool loop = false;
  bool overrideOldest = true;  // when max plays sound: replace the oldest, else drop
};

class TMixer {
public:
  static constexpr size_t kVoices = 32;
  // The limiter's ceiling, about -0.2 dBFS: the output never goes beyond it.
  static constexpr int32_t kCeiling = 32000;

  explicit TMixer(uint32_t outputRate);

  // Game thread: each call is one queue push.
  void PlaySample(uint32_t sampleId, uint32_t channelId, std::shared_ptr<const PcmData> pcm,
                  const VoiceParams& params);
  void StopChannel(uint32_t channelId);
  void StopSample(uint32_t sampleId);
  void PlayMusic(uint32_t musicId, std::shared_ptr<MusicSource> music, bool restart);
  void StopMusic(uint32_t musicId);
  void StopAll();

  // Audio thread: fills frames interleaved stereo frames.
  void Mix(int16_t* out, size_t frames);

  // Audio-thread view for tests run on one thread.
  size_t ActiveVoices() const;
  size_t ActiveMusic() const { return music_.size(); }

private:
  enum class Op { PlaySample, StopChannel, StopSample, PlayMusic, StopMusic, StopAll };
  struct Command {
    Op op = Op::StopAll;
    uint32_t id = 0;
    uint32_t channelId = 0;
    std::shared_ptr<const PcmData> pcm;
    std::shared_ptr<MusicSource> music;
    VoiceParams params;
    bool restart = false;
  };
  struct Voice {
    bool active = false;
    uint32_t sampleId = 0;
    uint32_t channelId = 0;
    std::shared_ptr<const PcmData> pcm;
    uint64_t position = 0;  // 32.32 fixed point, in source frames
    uint64_t step = 0;
    int32_t gainLeft = 0;   // in 1/10000
    int32_t gainRight = 0;
    bool loop = false;
    uint64_t started = 0;   // play sequence number: lower played longer
  };
  struct Playing {
    uint32_t id;
    std::shared_ptr<MusicSource> music;
  };

  void Push(Command command);
  void Apply(Command& command);
  void StartVoice(Command& command);
  void MixVoice(Voice& voice, int32_t* acc, size_t frames);
  void Limit(const int32_t* acc, int16_t* out, size_t frames);

  const uint32_t outputRate_;
  std::mutex mutex_;
  std::vector<Command> pending_;  // guarded by mutex_
  // Everything below belongs to the audio thread.
  std::vector<Command> working_;
  std::array<Voice, kVoices> voices_;
  std::vector<Playing> music_;
  std::vector<int32_t> accumulator_;
  std::vector<int16_t> musicBuffer_;
  std::vector<float> gainLimit_;  // per frame of a buffer: the most gain it allows
  double gain_ = 1.0;             // the limiter's gain, carried across buffers
  double release_ = 0.0;          // how fast the gain returns to 1, per frame
  uint64_t sequence_ = 0;
};

}  // namespace quarry
