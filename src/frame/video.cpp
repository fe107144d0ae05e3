#include "frame/video.h"

#include <SDL.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "core/log.h"
#include "core/program.h"
#include "graphics/zr_sdl.h"

namespace quarry {

namespace {
bool g_windowedOnly = false;
int g_windowScale = 0;
std::function<bool()> g_freeAudio;

// The compatibility layer reads its scaling variable when the mode is set; a
// value the player set in the environment wins over the automatic choice.
void ApplyWindowScale() {
  int scale = g_windowScale;
  if (scale == 0) {
    if (!g_windowedOnly || std::getenv("SDL12COMPAT_WINDOW_SCALING")) return;
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    scale = info ? WindowScaleFor(info->current_w, info->current_h) : 1;
  }
  setenv("SDL12COMPAT_WINDOW_SCALING", std::to_string(scale).c_str(), 1);
}

[[noreturn]] void VideoFailed(const std::string& message) {
  LogError(message, "ZR_SDL, Initialize");
  SDL_Quit();
  ExitProgram(kExitVideoFailed);
}
}  // namespace

void SetWindowedOnly(bool on) { g_windowedOnly = on; }
void SetWindowScale(int scale) { g_windowScale = scale; }

int WindowScaleFor(int desktopWidth, int desktopHeight) {
  int scale = 1;
  while (scale < 4 && 640 * (scale + 1) <= desktopWidth && 480 * (scale + 1) <= desktopHeight) ++scale;
  return scale;
}
void SetAudioRelease(std::function<bool()> release) { g_freeAudio = std::move(release); }

void Initialize(uint16_t width, uint16_t height, uint16_t bpp, uint32_t flags) {
#ifdef __EMSCRIPTEN__
  // SDL draws into memory; the page shows it (Flip).
  setenv("SDL_VIDEODRIVER", "dummy", 1);
#endif
  if (SDL_Init(SDL_INIT_VIDEO) == -1) VideoFailed(std::string("Could not initialize SDL : ") + SDL_GetError());
  ApplyWindowScale();
  ScreenSurface = SDL_SetVideoMode(width, height, bpp, flags);
  if (!ScreenSurface)
    VideoFailed("Couldn't set " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                std::to_string(bpp) + " video mode : " + SDL_GetError());
  BackBuffer = SDL_CreateRGBSurface(0, width, height, bpp, 0, 0, 0, 0);
  if (!BackBuffer) {
    std::string message = std::string("Couldn't create secondary surface: ") + SDL_GetError();
    SDL_FreeSurface(ScreenSurface);
    VideoFailed(message);
  }
  ScreenDepth = bpp;
  SDL_WM_SetCaption("ZEPHYRA SDL Application", nullptr);
}

void Finalize() {
  SDL_FreeSurface(ScreenSurface);
  SDL_FreeSurface(BackBuffer);
  ScreenSurface = nullptr;
  BackBuffer = nullptr;
  // The audio device goes with the display; the release reports whether
  // sound was on.
  if (g_freeAudio && g_freeAudio()) LogStatus("BASS: Shutdown...", "ZR_SDL, Finalize");
  SDL_Quit();
}

void QuitDisplayOnEveryExit() {
  RegisterShutdown([] {
    if (SDL_WasInit(0) != 0) SDL_Quit();
  });
}

void OpenVideo(uint16_t width, uint16_t height, uint16_t bpp) {
  Initialize(width, height, bpp, 0);
  if (g_windowedOnly) return;
  Finalize();
  Initialize(width, height, bpp, SDL_FULLSCREEN);
}

}  // namespace quarry
