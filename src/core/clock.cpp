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
    // The page gets its turn every 10 ms of real time: never frozen, and a
    // yield each frame would cost the browser's minimum timer delay each.
    static auto lastYield = std::chrono::steady_clock::now();
    if (std::chrono::steady_clock::now() - lastYield >= std::chrono::milliseconds(10)) {
      emscripten_sleep(0);
      lastYield = std::chrono::steady_clock::now();
    }
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
