// The middle of the run: what StartGame loads, the menus, and EndGame's release.
#pragma once

namespace quarry {

void StartGame();
void RunMenus();
void EndGame();

}  // namespace quarry
