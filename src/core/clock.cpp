#include "core/clock.h"

#include <chrono>
#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace quarry {

namespace {
bool g_virtual = false;
uint32_t g_virtualNow = 0;
const auto g_start = std::chrono::steady_clock::now();
}  // namespace

void UseVirtualClock(bool on) {
  g_virtual = on;
  g_virtualNow = 0;
}

bool VirtualClockOn() { return g_virtual; }

uint32_t GetTicks() {
  if (g_virtual) return g_virtualNow;
  auto elapsed = std::chrono::steady_clock::now() - g_start;
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void Delay(uint32_t milliseconds) {
  if (g_virtual) {
    g_virtualNow += milliseconds;
#ifdef __EMSCRIPTEN__
    emscripten_sleep(0);  // the page still gets its turn at every frame
#endif
    return;
  }
#ifdef __EMSCRIPTEN__
  emscripten_sleep(milliseconds);  // a blocking sleep would freeze the page
#else
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
#endif
}

}  // namespace quarry
