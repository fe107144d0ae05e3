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

}  // namespace quarry
