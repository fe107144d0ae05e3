// Held keys and the queue of typed characters. Filled by the event pump,
// read by every interactive loop; no SDL here so game logic can use it.
#pragma once

#include <array>
#include <cstdint>

namespace quarry {

constexpr int kKeyCount = 512;
// SDL 1.2 key symbols the program uses.
enum Key : uint16_t {
  kKeyBackspace = 8, kKeyTab = 9, kKeyReturn = 13, kKeyEscape = 27, kKeySpace = 32,
  kKeyA = 97, kKeyDelete = 127,
  kKeyUp = 273, kKeyDown = 274, kKeyRight = 275, kKeyLeft = 276,
  kKeyF1 = 282, kKeyF2 = 283, kKeyF10 = 291,
};

extern std::array<uint8_t, kKeyCount> KeyState;
void ClearKeys();

constexpr uint8_t kNoKey = 255;
// Ring of 255 slots: holds at most 254 characters; when full the oldest goes.
void PushKey(uint8_t character);
uint8_t PopKey();
void ClearKeyQueue();

}  // namespace quarry
