// Synthesized sound effects and their PCM WAV form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

// The rate the wave collection plays a sample at unless its list says
// otherwise, so the effects are made at it and need no FREQUENCY line.
constexpr int kSampleRate = 44100;

// Mono 16-bit PCM WAV ("RIFF", "WAVE", "fmt " of 16 bytes, "data").
// Samples are -1..1 and are clipped.
std::vector<uint8_t> EncodeWav16(const std::vector<float>& samples, int rate = kSampleRate);

struct SoundFile {
  std::string member;  // archive member name
  std::string name;    // the name the game plays it by
  std::vector<float> samples;
};

// Every effect the game plays, one per name.
std::vector<SoundFile> SoundEffects();

}  // namespace datagen
