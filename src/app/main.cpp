// The program run: log, control memory, seed, video, then the game.
#include <SDL.h>

#include <cstdio>
#include <ctime>

#include <algorithm>

#include "frame/control_memory.h"
#include "app/message_screen.h"
#include "app/game_flow.h"
#include "app/options.h"
#include "frame/script.h"
#include "frame/video.h"
#include "audio/zr_sdl_a.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/program.h"
#include "core/random.h"
#include "players/progress_file.h"
#ifdef __EMSCRIPTEN__
#include "core/browser.h"
#endif

using namespace quarry;

namespace {
// Milliseconds since the machine started, like the system tick count.
uint32_t SystemTickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}
}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "quarry: %s\n%s", error.c_str(), UsageText().c_str());
    return kExitMissingData;
  }
  if (options.help) {
    std::fputs(UsageText().c_str(), stdout);
    return kExitNormal;
  }
  if (options.version) {
    std::printf("%s\n", kVersionLine);
    return kExitNormal;
  }
  if (!options.script.empty()) {
    std::vector<ScriptEvent> events;
    if (!LoadScript(options.script, events, error)) {
      std::fprintf(stderr, "quarry: %s\n", error.c_str());
      return kExitMissingData;
    }
    uint32_t last = 0;
    for (const ScriptEvent& event : events) last = std::max(last, event.pump);
    SetScriptEndPump(last);
    SetInputScript(std::move(events));
  }
#ifdef __EMSCRIPTEN__
  StartBrowserStorage();  // the working folder, before anything reads it
#endif
  UseVirtualClock(options.virtualClock);
  SetWindowedOnly(options.windowed);
  SetWindowScale(options.scale);

  StartLogger(ExecutablePath(argv[0]));
  RegisterShutdown(StopLogger);
  StartControlMemory();

  Randomize(options.seed ? *options.seed : SystemTickCount());
  LogStatus(kVersionLine, "QUARRY");
  SetAudioRelease(ReleaseAudioDevice);
  QuitDisplayOnEveryExit();
  OpenVideo(640, 480, 32);
  SDL_ShowCursor(0);
  InstallStopScreen();
  // Two games in one folder would write over each other's progress.
  if (std::string why; !LockFolder(".", why))
    StopMissingData(why.empty() ? "Another game is running in this folder"
                                : "Cannot lock the game's folder (" + why + ")",
                    "QUARRY");
  StartGame();
  RunMenus();
  EndGame();
  Finalize();
  ExitProgram(kExitNormal);
}
