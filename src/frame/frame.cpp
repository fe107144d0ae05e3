#include "frame/frame.h"

#include <SDL.h>

#include <deque>

#include "frame/script.h"
#include "core/clock.h"
#include "core/keys.h"
#include "core/program.h"
#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include "core/browser.h"
#endif

namespace quarry {

uint32_t FrameDelay = 25;
uint32_t NextFrameTick = 0;

namespace {
uint32_t g_pumps = 0;
bool g_keepMouse = false;
std::deque<MouseEvent> g_mouse;
// A loop that stops reading (a long test play) must not grow the queue.
constexpr size_t kMouseQueueMax = 256;

void QueueMouse(MouseEvent::Kind kind, int x, int y, uint8_t button) {
  if (!g_keepMouse || g_mouse.size() >= kMouseQueueMax) return;
  g_mouse.push_back({kind, x, y, button});
}

#ifdef __EMSCRIPTEN__
// SDL's dummy display has no keyboard: the page's keys join SDL's queue.
void QueueBrowserKeys() {
  BrowserKey key;
  while (NextBrowserKey(key)) {
    SDL_Event event{};
    event.type = key.down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = key.down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = static_cast<SDLKey>(key.sym);
    event.key.keysym.mod = static_cast<SDLMod>(key.mod);
    SDL_PushEvent(&event);
  }
}
#endif
}  // namespace

void KeepMouseEvents(bool on) {
  g_keepMouse = on;
  g_mouse.clear();
}

bool PopMouseEvent(MouseEvent& event) {
  if (g_mouse.empty()) return false;
  event = g_mouse.front();
  g_mouse.pop_front();
  return true;
}

void SetFrameRate(uint32_t framesPerSecond) {
  if (framesPerSecond != 0) FrameDelay = 1000 / framesPerSecond;
}

uint32_t FrameWait() {
  uint32_t now = GetTicks();
  // A call that finds the deadline passed schedules the next one and returns
  // at once; a call before it waits without moving it. Two frames therefore
  // take one FrameDelay plus one frame's work: the speed of play rests on it.
  if (NextFrameTick <= now) {
    NextFrameTick = now + FrameDelay;
    return 0;
  }
  return NextFrameTick - now;
}

void PumpEvents() {
  ++g_pumps;
  DeliverScriptEvents(g_pumps);
#ifdef __EMSCRIPTEN__
  QueueBrowserKeys();
#endif
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN: {
        unsigned sym = event.key.keysym.sym;
        if (sym >= static_cast<unsigned>(kKeyCount)) break;
        KeyState[sym] = 1;
        if (sym >= 'a' && sym <= 'z') {
          // Only the shift keys change the case; caps lock does not.
          bool shift = (event.key.keysym.mod & (KMOD_LSHIFT | KMOD_RSHIFT)) != 0;
          PushKey(static_cast<uint8_t>(shift ? sym - 32 : sym));
        } else if (sym < 127) {
          PushKey(static_cast<uint8_t>(sym));
        }
        break;
      }
      case SDL_KEYUP: {
        const unsigned sym = event.key.keysym.sym;
        if (sym < static_cast<unsigned>(kKeyCount)) KeyState[sym] = 0;
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        QueueMouse(event.type == SDL_MOUSEBUTTONDOWN ? MouseEvent::Kind::Down : MouseEvent::Kind::Up, event.button.x,
                   event.button.y, event.button.button);
        break;
      case SDL_MOUSEMOTION:
        QueueMouse(MouseEvent::Kind::Move, event.motion.x, event.motion.y, 0);
        break;
      case SDL_QUIT:
        SDL_Quit();
        ExitProgram(kExitWindowClosed);
      default:
        break;
    }
  }
}

uint8_t ReadKey(bool wait) {
  PumpEvents();
  uint8_t c = PopKey();
  while (wait && c == kNoKey) {
#ifdef __EMSCRIPTEN__
    emscripten_sleep(10);  // keys arrive only while the page has its turn
#endif
    PumpEvents();
    c = PopKey();
  }
  return c;
}

uint32_t PumpCount() { return g_pumps; }

}  // namespace quarry
