// Scripted input: events delivered as real SDL events just before a given
// PumpEvents call polls, so the whole event path runs as with a keyboard.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarry {

struct ScriptEvent {
  enum class Kind { Down, Up, Quit, Shot, MouseDown, MouseUp, MouseMove };
  uint32_t pump = 0;  // the PumpEvents call (from 1) that delivers it
  Kind kind = Kind::Down;
  uint16_t key = 0;
  bool shift = false;
  std::string file;  // Shot
  int x = 0, y = 0;   // Mouse*: the screen pixel
  uint8_t button = 1; // Mouse*: 1 left, 3 right
};

// Parses a script text; on a bad line returns false with "NAME:LINE: what".
// With mouse, the editor's actions are taken too: "click X Y [left|right]"
// (down now, up at the next pump) and "drag X1 Y1 X2 Y2" (left button down
// at the first point, moved to the second at the next pump, up at the one
// after); the game's scripts know no mouse.
bool ParseScript(const std::string& text, const std::string& name, std::vector<ScriptEvent>& events,
                 std::string& error, bool mouse = false);
bool LoadScript(const std::string& path, std::vector<ScriptEvent>& events, std::string& error,
                bool mouse = false);

// A key name ("return", "f10", "a") or a number; -1 when unknown.
int KeyFromName(const std::string& name);

// The script the event pump delivers from.
void SetInputScript(std::vector<ScriptEvent> events);
// Delivers the events of this pump (SDL video must be running).
void DeliverScriptEvents(uint32_t pump);

}  // namespace quarry
