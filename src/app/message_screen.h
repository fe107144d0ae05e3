// A full-screen message in the program's own built-in font, readable even
// when the archives that hold the game's fonts are missing: the stops for
// missing or bad data, and notices about the progress file.
#pragma once

#include <cstdint>
#include <string>

namespace quarry {

// Shows text (wrapped to fit) in a red frame with "Press any key" below, and
// waits for a key, at most kMessageMillis of the program's clock (virtual or
// real), and not at all once a script has delivered its last event.
constexpr uint32_t kMessageMillis = 5000;
void ShowMessageScreen(const std::string& text);

// Under --script: the pump that delivers the script's last event.
void SetScriptEndPump(uint32_t pump);

// From now on a stop shows its error line on screen before the program ends.
void InstallStopScreen();

}  // namespace quarry
