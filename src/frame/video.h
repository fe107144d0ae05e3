// Display start and shutdown.
#pragma once

#include <cstdint>

namespace quarry {

// Opens SDL video, the display and the BackBuffer; on failure logs and ends
// the program with exit code 1.
void Initialize(uint16_t width, uint16_t height, uint16_t bpp, uint32_t flags);
// Releases the display and the audio device; shuts SDL down.
void Finalize();
// Registers a shutdown step that shuts SDL down on every way out, so a
// full-screen mode is given back even when the program stops early.
void QuitDisplayOnEveryExit();
// Windowed, closed, then full screen - unless windowed play was asked for.
void OpenVideo(uint16_t width, uint16_t height, uint16_t bpp);

// --windowed: stay in the window instead of re-opening full screen.
void SetWindowedOnly(bool on);
// --scale: the window's size as a multiple of the display (0: the largest
// that fits the desktop when windowed). The SDL 1.2 layer scales the window
// itself, so everything is still drawn, and saved, at 640 x 480.
void SetWindowScale(int scale);
// The largest whole scale (1 to 4) at which a 640 x 480 window fits a desktop
// of the given size; 1 when the size is unknown (0).
int WindowScaleFor(int desktopWidth, int desktopHeight);

}  // namespace quarry

#include <functional>

namespace quarry {
// How Finalize releases the audio device: returns true when sound was on
// (the device was freed), false when the game ran silently.
void SetAudioRelease(std::function<bool()> release);
}  // namespace quarry
