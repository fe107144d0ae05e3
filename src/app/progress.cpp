#include "app/progress.h"

#include "app/message_screen.h"
#include "players/players.h"
#ifdef __EMSCRIPTEN__
#include "core/browser.h"
#endif

namespace quarry {
namespace {
bool g_failureShown = false;
}

void LoadRoster(TPlayers& players, const std::string& fileName) {
  const ProgressLoad load = players.LoadProgress(fileName);
  const std::string damaged = fileName + " was damaged and has been kept as " + load.movedTo + ". ";
  if (load.outcome == ProgressLoad::kFromBackup)
    ShowMessageScreen(damaged + "The progress saved before the last change (" + fileName + ".bak) was loaded.");
  if (load.outcome == ProgressLoad::kStartedEmpty)
    ShowMessageScreen(damaged + "There was no sound backup: the game starts with no players.");
}

void SaveRoster(const TPlayers& players, const std::string& fileName) {
  std::string error;
  if (players.Save(fileName, &error)) {
    g_failureShown = false;
#ifdef __EMSCRIPTEN__
    SaveBrowserStorage();
#endif
  } else if (!g_failureShown) {
    g_failureShown = true;
    ShowMessageScreen("Progress could not be saved to " + fileName + " (" + error +
                      "). The file keeps the progress saved before.");
  }
}

}  // namespace quarry
