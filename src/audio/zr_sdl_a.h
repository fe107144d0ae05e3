// The game's audio entry points: device start, loading samples and modules
// from files or archive members, and the music channel calls. Audio is
// optional: while AudioAvailable is false every call here does nothing.
#pragma once

#include <string>

#include "audio/sound_device.h"

namespace quarry {

class TMad;

// False before Init_Audio succeeds; cleared for good by a failed module load
// or a failed wave play, and by the shutdown.
extern bool AudioAvailable;

// Checks the sound device's version and opens the device.
void Init_Audio();
// Closes the device (for the shutdown, which writes its own log line).
void FreeAudioDevice();
// The shutdown's release: closes the device if sound was on, turns audio off
// for good and tells whether it was on.
bool ReleaseAudioDevice();
// Turns audio off for the rest of the run after a failure and closes the
// device, so nothing already playing keeps sounding.
void SwitchAudioOff();

// Samples keep at most 3 plays at once until their list sets another max;
// a further play replaces the oldest.
SoundHandle LoadWave(const std::string& memberName, bool looped, TMad& archive);
SoundHandle LoadWave(const std::string& fileName, bool looped);

// Modules loop and ramp their volume. A module that cannot be loaded turns
// audio off.
SoundHandle LoadMusic(const std::string& memberName, TMad& archive);
SoundHandle LoadMusic(const std::string& fileName);

void PlayMusic(SoundHandle music);
void StopMusic(SoundHandle music);
void FreeMusic(SoundHandle music);

}  // namespace quarry
