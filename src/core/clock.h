// The one clock of the program. Real mode counts milliseconds since start and
// sleeps; virtual mode never sleeps: Delay(n) advances virtual time by n.
#pragma once

#include <cstdint>

namespace quarry {

void UseVirtualClock(bool on);
bool VirtualClockOn();
uint32_t GetTicks();
void Delay(uint32_t milliseconds);

}  // namespace quarry
