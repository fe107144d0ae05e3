#include "core/browser.h"

#include <emscripten.h>

#include <cstdio>
#include <vector>

extern "C" {
// web/library.js
void quarry_web_storage_start();
void quarry_web_storage_save();
void quarry_web_download(const char* path);
void quarry_web_present(const void* pixels, int width, int height, int pitch);
int quarry_web_next_key(int* down, int* sym, int* mod);
int quarry_web_audio_open(int rate);
void quarry_web_audio_close();
}

namespace quarry {

namespace {
AudioFill g_fill = nullptr;
void* g_fillUser = nullptr;
std::vector<int16_t> g_audio;
}  // namespace

void StartBrowserStorage() { quarry_web_storage_start(); }
void SaveBrowserStorage() { quarry_web_storage_save(); }

void OfferDownload(const std::string& path) {
  quarry_web_download(path.c_str());
  std::remove(path.c_str());
}

void PresentToCanvas(const void* pixels, int width, int height, int pitch) {
  quarry_web_present(pixels, width, height, pitch);
}

bool NextBrowserKey(BrowserKey& key) {
  int down = 0;
  if (!quarry_web_next_key(&down, &key.sym, &key.mod)) return false;
  key.down = down != 0;
  return true;
}

bool OpenBrowserAudio(AudioFill fill, void* user, uint32_t rate) {
  g_fill = fill;
  g_fillUser = user;
  if (quarry_web_audio_open(static_cast<int>(rate))) return true;
  g_fill = nullptr;
  return false;
}

void CloseBrowserAudio() {
  quarry_web_audio_close();
  g_fill = nullptr;
}

}  // namespace quarry

// Called by the page's audio output for each buffer it plays: the frames
// stay valid until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE int16_t* quarry_fill_audio(int frames) {
  using namespace quarry;
  g_audio.assign(static_cast<size_t>(frames) * 2, 0);
  if (g_fill) g_fill(g_fillUser, reinterpret_cast<uint8_t*>(g_audio.data()), frames * 4);
  return g_audio.data();
}
