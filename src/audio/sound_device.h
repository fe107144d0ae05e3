// Our sound device: sample and module playback on SDL audio with a software
// mixer. Its calls follow the shape the game's audio code was written
// against (a version query, device start and free, samples loaded from a
// file with get/set of their playing defaults, channels, modules), so that
// code reads the same on top of it. All calls are made from the game thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quarry {

using SoundHandle = uint32_t;  // 0 = no handle

// The version the game expects: 2.1, low word major, high word minor.
constexpr uint32_t kSoundVersion = 0x00010002;

constexpr uint32_t kSampleLoop = 0x4;
constexpr uint32_t kSampleOverPos = 0x20000;  // a play beyond max replaces the oldest
constexpr uint32_t kMusicLoop = 0x4;
constexpr uint32_t kMusicRamps = 0x400;

// A sample's playing defaults, read and written as one record.
struct SoundSample {
  uint32_t freq = 44100;  // playback rate of the sample data
  uint32_t volume = 100;  // 0..100
  int32_t pan = 0;        // -100 left .. 100 right
  uint32_t flags = 0;
  uint32_t length = 0;    // bytes of sample data in the output format
  uint32_t max = 1;       // simultaneous plays
};

// The reported version: kSoundVersion unless overridden, by the environment
// variable QUARRY_SOUND_VERSION (a number, "0x" for hexadecimal) or by the
// hook below, so the mismatch path can be exercised.
uint32_t SoundGetVersion();
void SetSoundVersionOverride(std::optional<uint32_t> version);

// Opens the default output device (16-bit stereo at rate). device is kept
// for the call's shape; SDL picks the output. False when no device can be
// opened or the device is already open.
bool SoundInit(int device, uint32_t rate, uint32_t flags);
// Stops everything, closes the device and forgets every handle.
void SoundFree();
bool SoundDeviceOpen();

// Loads a WAV file, converted once to the output format. 0 on failure or
// when the device is not open.
SoundHandle SoundSampleLoad(const std::string& fileName, uint32_t max, uint32_t flags);
bool SoundSampleGetInfo(SoundHandle sample, SoundSample& info);
// Values are kept in range: volume 0..100, pan -100..100, max >= 1,
// freq 100..100000.
bool SoundSampleSetInfo(SoundHandle sample, const SoundSample& info);
// A channel for one play of the sample; 0 for an unknown sample.
SoundHandle SoundSampleGetChannel(SoundHandle sample);
bool SoundSampleFree(SoundHandle sample);

// Loads a tracker module file through libopenmpt. 0 on failure.
SoundHandle SoundMusicLoad(const std::string& fileName, uint32_t flags);
bool SoundMusicFree(SoundHandle music);

// A module handle is its own channel; restart plays it from the beginning.
// A sample channel plays once with the sample's current defaults.
bool SoundChannelPlay(SoundHandle channel, bool restart);
bool SoundChannelStop(SoundHandle channel);

}  // namespace quarry
