// Frame pacing and the event pump shared by every interactive loop:
// draw into the BackBuffer, Delay(FrameWait()), Flip, PumpEvents, react.
#pragma once

#include <cstdint>

namespace quarry {

extern uint32_t FrameDelay;     // milliseconds per frame
extern uint32_t NextFrameTick;  // tick of the next frame deadline

void SetFrameRate(uint32_t framesPerSecond);
uint32_t FrameWait();
// Drains the SDL event queue into KeyState and the KeyQueue; a quit event
// ends the program with exit code 2.
void PumpEvents();
// PumpEvents then PopKey; with wait, polls until a character arrives.
uint8_t ReadKey(bool wait);
// How many times PumpEvents has run (scripted input counts pumps).
uint32_t PumpCount();

// Mouse buttons and motion, for the loops that use the mouse (the editor).
// PumpEvents queues them only after KeepMouseEvents(true); the game's loops
// never ask, so the mouse cannot change a played run.
struct MouseEvent {
  enum class Kind { Down, Up, Move };
  Kind kind = Kind::Move;
  int x = 0, y = 0;
  uint8_t button = 0;  // Down and Up: 1 left, 2 middle, 3 right
};
void KeepMouseEvents(bool on);
bool PopMouseEvent(MouseEvent& event);

}  // namespace quarry
