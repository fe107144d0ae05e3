// The drawn editor: the cave with the game's tiles, the palette below it and
// a status line, edited with the keyboard and the mouse; test play runs the
// map in the game's own play loop and records the moves.
#pragma once

#include <string>

namespace quarry {

struct TEditorSetup {
  std::string MapPath;
  std::string DataDir = ".";
  // The pump of the script's last event (0: no script). Some frames after
  // it the editor leaves with exit code 2, as if the window were closed.
  uint32_t ScriptEnd = 0;
  double SolverSeconds = 30;  // F6's time limit
};

// Needs the display, the BackBuffer and the control memory. Returns when
// the author leaves (after asking, when there are unsaved changes).
void RunEditor(const TEditorSetup& setup);

// Every status line message is also written to standard output, one line
// each, so scripted runs can be checked.
void ShowStatus(const std::string& message);

}  // namespace quarry
