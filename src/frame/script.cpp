#include "frame/script.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "core/keys.h"
#include "graphics/zr_sdl.h"

namespace quarry {

namespace {

std::vector<ScriptEvent> g_events;
size_t g_next = 0;

struct NamedKey {
  const char* name;
  int key;
};

constexpr NamedKey kNamedKeys[] = {
    {"backspace", 8}, {"tab", 9},      {"return", 13},  {"enter", 13},   {"escape", 27},
    {"esc", 27},      {"space", 32},   {"delete", 127}, {"up", 273},     {"down", 274},
    {"right", 275},   {"left", 276},   {"insert", 277}, {"home", 278},   {"end", 279},
    {"pageup", 280},  {"pagedown", 281}, {"f1", 282},   {"f2", 283},     {"f3", 284},
    {"f4", 285},      {"f5", 286},     {"f6", 287},     {"f7", 288},     {"f8", 289},
    {"f9", 290},      {"f10", 291},    {"f11", 292},    {"f12", 293},    {"rshift", 303},
    {"lshift", 304},  {"rctrl", 305},  {"lctrl", 306},
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool ParseUnsigned(const std::string& text, uint32_t& value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  value = static_cast<uint32_t>(std::stoul(text));
  return true;
}

// The key symbol and shift state that type a character on a US keyboard.
bool CharacterKey(char c, uint16_t& key, bool& shift) {
  shift = false;
  if (c >= 'A' && c <= 'Z') {
    key = static_cast<uint16_t>(c + 32);
    shift = true;
    return true;
  }
  auto u = static_cast<unsigned char>(c);
  if (u >= 32 && u < 127) {
    key = u;
    return true;
  }
  return false;
}

}  // namespace

int KeyFromName(const std::string& name) {
  std::string n = Lower(name);
  for (const auto& k : kNamedKeys)
    if (n == k.name) return k.key;
  if (n.size() == 1 && std::isgraph(static_cast<unsigned char>(n[0]))) return n[0];
  uint32_t value;
  if (ParseUnsigned(n, value) && value < static_cast<uint32_t>(kKeyCount)) return static_cast<int>(value);
  return -1;
}

bool ParseScript(const std::string& text, const std::string& name, std::vector<ScriptEvent>& events,
                 std::string& error, bool mouse) {
  std::istringstream in(text);
  std::string line;
  uint32_t previous = 0;
  int lineNumber = 0;
  auto fail = [&](const std::string& what) {
    error = name + ":" + std::to_string(lineNumber) + ": " + what;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t hash = line.find('#');
    std::string body = hash == std::string::npos ? line : line.substr(0, hash);
    std::istringstream words(body);
    std::string when, action;
    if (!(words >> when)) continue;
    uint32_t pump;
    if (when[0] == '+') {
      uint32_t delta;
      if (!ParseUnsigned(when.substr(1), delta)) return fail("expected a pump number or +N, got '" + when + "'");
      pump = previous + delta;
    } else if (!ParseUnsigned(when, pump)) {
      return fail("expected a pump number or +N, got '" + when + "'");
    }
    if (pump == 0) return fail("pump numbers start at 1");
    if (!(words >> action)) return fail("expected an action after the pump number");
    action = Lower(action);
    ScriptEvent ev;
    ev.pump = pump;
    if (action == "down" || action == "up" || action == "press") {
      std::string keyName, extra;
      if (!(words >> keyName)) return fail("expected a key after '" + action + "'");
      int key = KeyFromName(keyName);
      if (key < 0) return fail("unknown key '" + keyName + "'");
      ev.key = static_cast<uint16_t>(key);
      if (words >> extra) {
        if (Lower(extra) != "shift" || action == "up") return fail("unexpected '" + extra + "'");
        ev.shift = true;
      }
      if (action == "up") {
        ev.kind = ScriptEvent::Kind::Up;
        events.push_back(ev);
      } else {
        ev.kind = ScriptEvent::Kind::Down;
        events.push_back(ev);
        if (action == "press") {
          ScriptEvent up = ev;
          up.kind = ScriptEvent::Kind::Up;
          up.pump = pump + 1;
          events.push_back(up);
        }
      }
    } else if (action == "type") {
      size_t start = body.find_first_not_of(' ', Lower(body).find("type") + 4);
      if (start == std::string::npos) return fail("expected text after 'type'");
      std::string typed = body.substr(start);
      while (!typed.empty() && typed.back() == ' ') typed.pop_back();
      for (char c : typed) {
        ScriptEvent down;
        down.pump = pump;
        if (!CharacterKey(c, down.key, down.shift)) return fail("cannot type that character");
        events.push_back(down);
        ScriptEvent up = down;
        up.kind = ScriptEvent::Kind::Up;
        up.pump = pump + 1;
        events.push_back(up);
      }
    } else if (action == "quit") {
      ev.kind = ScriptEvent::Kind::Quit;
      events.push_back(ev);
    } else if (action == "shot") {
      if (!(words >> ev.file)) return fail("expected a file name after 'shot'");
      ev.kind = ScriptEvent::Kind::Shot;
      events.push_back(ev);
    } else if (mouse && (action == "click" || action == "drag")) {
      const int count = action == "click" ? 2 : 4;
      uint32_t at[4] = {};
      for (int i = 0; i < count; ++i) {
        std::string word;
        if (!(words >> word) || !ParseUnsigned(word, at[i]) || at[i] >= (i % 2 == 0 ? 640u : 480u))
          return fail("expected " + std::string(count == 2 ? "X Y" : "X1 Y1 X2 Y2") +
                      " inside the 640 x 480 screen after '" + action + "'");
      }
      std::string extra;
      if (words >> extra) {
        extra = Lower(extra);
        if (action != "click" || (extra != "left" && extra != "right")) return fail("unexpected '" + extra + "'");
        ev.button = extra == "left" ? 1 : 3;
      }
      auto add = [&](ScriptEvent::Kind kind, uint32_t when, uint32_t x, uint32_t y) {
        ScriptEvent e = ev;
        e.kind = kind, e.pump = when, e.x = static_cast<int>(x), e.y = static_cast<int>(y);
        events.push_back(e);
      };
      add(ScriptEvent::Kind::MouseDown, pump, at[0], at[1]);
      if (count == 4) add(ScriptEvent::Kind::MouseMove, pump + 1, at[2], at[3]);
      add(ScriptEvent::Kind::MouseUp, pump + count / 2, at[count - 2], at[count - 1]);
    } else {
      return fail("unknown action '" + action + "' (expected down, up, press, type, quit or shot" +
                  (mouse ? ", click or drag)" : ")"));
    }
    previous = pump;
  }
  // Delivery walks the script in pump order; lines keep their order within a pump.
  std::stable_sort(events.begin(), events.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.pump < b.pump; });
  return true;
}

bool LoadScript(const std::string& path, std::vector<ScriptEvent>& events, std::string& error, bool mouse) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = path + ": cannot open the script";
    return false;
  }
  std::stringstream text;
  text << file.rdbuf();
  return ParseScript(text.str(), path, events, error, mouse);
}

void SetInputScript(std::vector<ScriptEvent> events) {
  g_events = std::move(events);
  g_next = 0;
}

void DeliverScriptEvents(uint32_t pump) {
  while (g_next < g_events.size() && g_events[g_next].pump <= pump) {
    const ScriptEvent& ev = g_events[g_next++];
    SDL_Event event{};
    switch (ev.kind) {
      case ScriptEvent::Kind::Down:
      case ScriptEvent::Kind::Up:
        event.type = ev.kind == ScriptEvent::Kind::Down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.type = event.type;
        event.key.state = ev.kind == ScriptEvent::Kind::Down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = static_cast<SDLKey>(ev.key);
        event.key.keysym.mod = ev.shift ? KMOD_LSHIFT : KMOD_NONE;
        SDL_PushEvent(&event);
        break;
      case ScriptEvent::Kind::Quit:
        event.type = SDL_QUIT;
        SDL_PushEvent(&event);
        break;
      case ScriptEvent::Kind::Shot:
        if (BackBuffer) SaveSurfaceBMP(BackBuffer, ev.file.c_str());
        break;
      case ScriptEvent::Kind::MouseDown:
      case ScriptEvent::Kind::MouseUp:
        event.type = ev.kind == ScriptEvent::Kind::MouseDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.type = event.type;
        event.button.state = ev.kind == ScriptEvent::Kind::MouseDown ? SDL_PRESSED : SDL_RELEASED;
        event.button.button = ev.button;
        event.button.x = static_cast<Uint16>(ev.x);
        event.button.y = static_cast<Uint16>(ev.y);
        SDL_PushEvent(&event);
        break;
      case ScriptEvent::Kind::MouseMove:
        event.type = SDL_MOUSEMOTION;
        event.motion.type = event.type;
        event.motion.state = SDL_BUTTON(ev.button);
        event.motion.x = static_cast<Uint16>(ev.x);
        event.motion.y = static_cast<Uint16>(ev.y);
        SDL_PushEvent(&event);
        break;
    }
  }
}

}  // namespace quarry
