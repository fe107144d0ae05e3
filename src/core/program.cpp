#include "core/program.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/log.h"
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace quarry {

std::string ExecutablePath(const char* argv0) {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return argv0;
  path[n] = 0;
  return path;
}

namespace {
std::vector<std::function<void()>>& Steps() {
  static std::vector<std::function<void()>> steps;
  return steps;
}
StopHandler g_stopHandler;
StopScreen g_stopScreen;
// Set once a stop is under way: however its screen is left (a key, the
// window closed), the program ends with the stop's code.
bool g_stopping = false;
}  // namespace

void RegisterShutdown(std::function<void()> step) { Steps().push_back(std::move(step)); }

void RunShutdown() {
  auto& steps = Steps();
  while (!steps.empty()) {
    auto step = std::move(steps.back());
    steps.pop_back();
    step();
  }
}

void ExitProgram(int code) {
  if (g_stopping) code = kExitMissingData;
  RunShutdown();
  std::fflush(stdout);
#ifdef __EMSCRIPTEN__
  // The game may be running on from a storage callback of the page, which
  // cannot take the exit: end from a timer's turn instead.
  emscripten_sleep(0);
#endif
  std::_Exit(code);
}

void SetStopHandler(StopHandler handler) { g_stopHandler = std::move(handler); }

void SetStopScreen(StopScreen screen) { g_stopScreen = std::move(screen); }

void StopMissingData(const std::string& message, const std::string& tag, const std::string& file) {
  if (g_stopHandler) g_stopHandler(message, tag);
  LogError(message, tag);
  const std::string text = file.empty() ? message : file + ": " + message;
  // The player who started the game from a terminal sees why it closed.
  std::fprintf(stderr, "{%s} %s\n", tag.c_str(), text.c_str());
  std::fflush(stderr);
  g_stopping = true;
  // A stop met while the stop screen runs must not show it again.
  StopScreen screen;
  screen.swap(g_stopScreen);
  if (screen) screen(text);
  ExitProgram(kExitMissingData);
}

}  // namespace quarry
