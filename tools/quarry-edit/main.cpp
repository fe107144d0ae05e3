// quarry-edit: the level editor. The options and the program frame are
// here; the editor itself is the editor_screen library.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/zr_sdl_a.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/program.h"
#include "core/random.h"
#include "editor/screen/editor_screen.h"
#include "frame/control_memory.h"
#include "frame/script.h"
#include "frame/video.h"

using namespace quarry;

namespace {

const char* const kUsage =
    "usage: quarry-edit [--windowed] [--scale N] [--data DIR] [--virtual-clock] [--seed N] [--script FILE]\n"
    "                   [--solve-time S] MAP.map\n"
    "A MAP.map that does not exist yet starts as a framed empty cave.\n";

bool Number(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && value >= low && value <= high;
}

int Usage(const std::string& error) {
  std::fprintf(stderr, "quarry-edit: %s\n%s", error.c_str(), kUsage);
  return kExitMissingData;
}

}  // namespace

int main(int argc, char** argv) {
  TEditorSetup setup;
  std::string script;
  bool windowed = false, virtualClock = false;
  long scale = 1, seed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool valued = arg == "--scale" || arg == "--data" || arg == "--script" || arg == "--seed" ||
                        arg == "--solve-time";
    if (valued && i + 1 >= argc) return Usage(arg + " needs a value");
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kExitNormal;
    } else if (arg == "--windowed") {
      windowed = true;
    } else if (arg == "--virtual-clock") {
      virtualClock = true;
    } else if (arg == "--scale") {
      if (!Number(argv[++i], 1, 4, scale)) return Usage("--scale takes 1 to 4");
    } else if (arg == "--seed") {
      if (!Number(argv[++i], 0, 0x7FFFFFFF, seed)) return Usage("--seed takes a number");
    } else if (arg == "--solve-time") {
      long seconds = 0;
      if (!Number(argv[++i], 1, 86400, seconds)) return Usage("--solve-time takes 1 to 86400 seconds");
      setup.SolverSeconds = static_cast<double>(seconds);
    } else if (arg == "--data") {
      setup.DataDir = argv[++i];
    } else if (arg == "--script") {
      script = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option " + arg);
    } else if (setup.MapPath.empty()) {
      setup.MapPath = arg;
    } else {
      return Usage("one map at a time");
    }
  }
  if (setup.MapPath.empty()) return Usage("name the map to edit");
  if (!script.empty()) {
    std::vector<ScriptEvent> events;
    std::string error;
    if (!LoadScript(script, events, error, true)) {
      std::fprintf(stderr, "quarry-edit: %s\n", error.c_str());
      return kExitMissingData;
    }
    for (const ScriptEvent& event : events) setup.ScriptEnd = std::max(setup.ScriptEnd, event.pump);
    SetInputScript(std::move(events));
  }
  UseVirtualClock(virtualClock);
  SetWindowedOnly(windowed);
  SetWindowScale(static_cast<int>(scale));
  StartLogger(ExecutablePath(argv[0]));
  RegisterShutdown(StopLogger);
  StartControlMemory();
  Randomize(static_cast<uint32_t>(seed));
  SetAudioRelease(ReleaseAudioDevice);
  QuitDisplayOnEveryExit();
  OpenVideo(640, 480, 32);
  SDL_WM_SetCaption("quarry-edit", "quarry-edit");
  RunEditor(setup);
  Finalize();
  ExitProgram(kExitNormal);
}
