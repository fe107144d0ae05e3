// The progress file as the menus use it: loaded with recovery from damage,
// saved with a notice on screen when saving fails.
#pragma once

#include <string>

namespace quarry {

class TPlayers;

// Loads the roster; a damaged file moved aside is told on screen.
void LoadRoster(TPlayers& players, const std::string& fileName);
// Saves the roster. A failure is told on screen once, not again until a save
// has succeeded, so a full disk does not interrupt every menu.
void SaveRoster(const TPlayers& players, const std::string& fileName);

}  // namespace quarry
