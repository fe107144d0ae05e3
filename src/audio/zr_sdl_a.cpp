#include "audio/zr_sdl_a.h"

#include <span>

#include "archive/mad.h"
#include "audio/temp_file.h"
#include "core/log.h"
#include "core/stream.h"

namespace quarry {

bool AudioAvailable = false;

namespace {

constexpr uint32_t kWaveMax = 3;
constexpr uint32_t kMusicFlags = kMusicLoop | kMusicRamps;

uint32_t WaveFlags(bool looped) { return kSampleOverPos | (looped ? kSampleLoop : 0); }

// The member's bytes in a private temporary file (never a name in the
// working directory, where a file of the player's might live).
std::unique_ptr<TPrivateTempFile> MemberToTempFile(const std::string& memberName, TMad& archive) {
  std::unique_ptr<TMemoryStream> stream = archive.OpenStream(memberName);
  if (!stream) return nullptr;
  return TPrivateTempFile::Create(
      std::span<const uint8_t>(stream->Data(), static_cast<size_t>(stream->Size())));
}

SoundHandle LoadMusicFile(const std::string& fileName, const std::string& reportedName) {
  const SoundHandle handle = SoundMusicLoad(fileName, kMusicFlags);
  if (handle == 0) {
    LogError("BASS: Loading " + reportedName + " failed", "ZR_SDL_A, LoadMusic");
    SwitchAudioOff();
    return 0;
  }
  LogStatus("BASS: Loading " + reportedName + " was successful", "ZR_SDL_A, LoadMusic");
  return handle;
}

}  // namespace

void Init_Audio() {
  const std::string tag = "ZR_SDL_A, Init_Audio";
  if (SoundGetVersion() != kSoundVersion) {
    LogError("BASS V2.1 was not loaded.", tag);
    AudioAvailable = false;
    return;
  }
  LogStatus("BASS V2.1 loaded.", tag);
  if (!SoundInit(1, 44100, 0)) {
    LogError("BASS: Can't initialize device!", tag);
    AudioAvailable = false;
    return;
  }
  LogStatus("BASS: Device initialized.", tag);
  AudioAvailable = true;
}

void FreeAudioDevice() { SoundFree(); }

bool ReleaseAudioDevice() {
  bool wasOn = AudioAvailable;
  if (wasOn) FreeAudioDevice();
  AudioAvailable = false;
  return wasOn;
}

void SwitchAudioOff() {
  AudioAvailable = false;
  SoundFree();
}

SoundHandle LoadWave(const std::string& memberName, bool looped, TMad& archive) {
  if (!AudioAvailable) return 0;
  std::unique_ptr<TPrivateTempFile> file = MemberToTempFile(memberName, archive);
  if (!file) return 0;
  return SoundSampleLoad(file->Path(), kWaveMax, WaveFlags(looped));
}

SoundHandle LoadWave(const std::string& fileName, bool looped) {
  if (!AudioAvailable) return 0;
  const SoundHandle handle = SoundSampleLoad(fileName, kWaveMax, WaveFlags(looped));
  if (handle == 0) {
    // A sample that did not load is not a reason to go silent; the list
    // reports it again when it sets the sample's defaults.
    LogWarning("BASS: Loading " + fileName + " failed", "ZR_SDL_A, LoadWave");
    return 0;
  }
  LogStatus("BASS: Loading " + fileName + " was successful", "ZR_SDL_A, LoadWave");
  return handle;
}

SoundHandle LoadMusic(const std::string& memberName, TMad& archive) {
  if (!AudioAvailable) return 0;
  std::unique_ptr<TPrivateTempFile> file = MemberToTempFile(memberName, archive);
  // A member that cannot be written out is a failed load like any other.
  return LoadMusicFile(file ? file->Path() : std::string(), memberName);
}

SoundHandle LoadMusic(const std::string& fileName) {
  if (!AudioAvailable) return 0;
  return LoadMusicFile(fileName, fileName);
}

void PlayMusic(SoundHandle music) {
  if (!AudioAvailable) return;
  SoundChannelPlay(music, true);
  LogStatus("BASS: Music started.", "ZR_SDL_A, PlayMusic");
}

void StopMusic(SoundHandle music) {
  if (!AudioAvailable) return;
  SoundChannelStop(music);
  LogStatus("BASS: Music stopped.", "ZR_SDL_A, StopMusic");
}

void FreeMusic(SoundHandle music) {
  if (!AudioAvailable) return;
  SoundMusicFree(music);
  LogStatus("BASS: Music freed.", "ZR_SDL_A, FreeMusic");
}

}  // namespace quarry
