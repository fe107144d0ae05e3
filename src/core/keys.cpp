#include "core/keys.h"

namespace quarry {

std::array<uint8_t, kKeyCount> KeyState{};

namespace {
// 255 slots: indices wrap from 254 to 0, so position 255 is never used.
uint8_t g_queue[255];
uint8_t g_write = 0;
uint8_t g_read = 0;

uint8_t Next(uint8_t index) { return index == 254 ? 0 : static_cast<uint8_t>(index + 1); }
}  // namespace

void ClearKeys() { KeyState.fill(0); }

void PushKey(uint8_t character) {
  g_queue[g_write] = character;
  g_write = Next(g_write);
  if (g_write == g_read) g_read = Next(g_read);  // full: the oldest is lost
}

uint8_t PopKey() {
  if (g_read == g_write) return kNoKey;
  uint8_t c = g_queue[g_read];
  g_read = Next(g_read);
  return c;
}

void ClearKeyQueue() { g_write = g_read = 0; }

}  // namespace quarry
