// The browser's side of the web build (scripts/web), compiled only there.
// The page (web/quarry-web.js) draws, listens and plays; these calls reach it
// through web/library.js.
#pragma once

#include <cstdint>
#include <string>

namespace quarry {

// Mounts the browser's storage at the working folder, loads the progress
// saved there and adds the data shipped with the page.
void StartBrowserStorage();
// Writes the working folder's own files (players.dat, its backup, packs the
// player added) to the browser's storage; after every save.
void SaveBrowserStorage();
// Offers the file as a download; the file itself is removed.
void OfferDownload(const std::string& path);

// Copies a 32-bit picture (red in bits 16-23) to the page's canvas.
void PresentToCanvas(const void* pixels, int width, int height, int pitch);

// A key the page saw, as an SDL 1.2 key symbol and modifier mask.
struct BrowserKey {
  bool down = false;
  int sym = 0;
  int mod = 0;
};
bool NextBrowserKey(BrowserKey& key);

// The page's Web Audio output asks the fill function for 16-bit stereo
// frames at the given rate, like an SDL audio callback.
using AudioFill = void (*)(void* user, uint8_t* stream, int length);
bool OpenBrowserAudio(AudioFill fill, void* user, uint32_t rate);
void CloseBrowserAudio();

}  // namespace quarry
