// Frame pacing and the event pump, with the virtual clock and real SDL
// events pushed through the dummy video driver.
#include <gtest/gtest.h>

#include <SDL.h>

#include "frame/frame.h"
#include "frame/script.h"
#include "frame/video.h"
#include "core/clock.h"
#include "core/keys.h"
#include "graphics/zr_sdl.h"

namespace quarry {
namespace {

// Every other frame at 60 Hz runs at once; time spent drawing is absorbed
// into the wait rather than added to it.
TEST(FrameWait, TwoFrameCadenceAndWorkTimeAbsorbed) {
  UseVirtualClock(true);
  SetFrameRate(60);
  EXPECT_EQ(FrameDelay, 16u) << "1000 div 60 truncates";
  NextFrameTick = 0;
  const uint32_t start = GetTicks();
  int waited = 0;
  for (int frame = 0; frame < 240; ++frame) {
    const uint32_t wait = FrameWait();
    waited += wait != 0;
    Delay(wait);
  }
  EXPECT_EQ(waited, 120);
  EXPECT_EQ(GetTicks() - start, 120u * 16);
  NextFrameTick = 0;
  EXPECT_EQ(FrameWait(), 0u);
  Delay(5);  // five ms of drawing
  EXPECT_EQ(FrameWait(), 11u) << "a call before the deadline returns the rest";
  EXPECT_EQ(FrameWait(), 11u) << "and does not move the deadline";
  Delay(11);
  EXPECT_EQ(FrameWait(), 0u);
  UseVirtualClock(false);
}

class PumpTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(OpenTestDisplay()) << SDL_GetError();
    ClearKeys();
    ClearKeyQueue();
  }
  void TearDown() override {
    SetInputScript({});
    CloseTestDisplay();
  }
  void Key(uint8_t type, int sym, SDLMod mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = e.key.type = type;
    e.key.keysym.sym = static_cast<SDLKey>(sym);
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
  }
};

// Shift makes capitals of letters only, Caps Lock none; Delete and arrows
// set KeyState but are never queued, control characters below 127 are.
TEST_F(PumpTest, KeyStateAndQueue) {
  Key(SDL_KEYDOWN, 'a', KMOD_LSHIFT);
  Key(SDL_KEYDOWN, 'b', KMOD_RSHIFT);
  Key(SDL_KEYDOWN, 'c', KMOD_CAPS);
  Key(SDL_KEYDOWN, '1', KMOD_LSHIFT);
  Key(SDL_KEYDOWN, kKeyDelete);
  Key(SDL_KEYDOWN, kKeyUp);
  Key(SDL_KEYDOWN, kKeyReturn);
  PumpEvents();
  for (int key : {int{'A'}, int{'B'}, int{'c'}, int{'1'}, 13, int{kNoKey}}) EXPECT_EQ(PopKey(), key);
  EXPECT_EQ(KeyState['a'], 1);
  EXPECT_EQ(KeyState[kKeyDelete], 1);
  EXPECT_EQ(KeyState[kKeyUp], 1);
  Key(SDL_KEYUP, kKeyUp);
  PumpEvents();
  EXPECT_EQ(KeyState[kKeyUp], 0);
  EXPECT_EQ(KeyState[kKeyDelete], 1);
}

TEST_F(PumpTest, ScriptedEventsArriveAtTheirPump) {
  std::vector<ScriptEvent> ev;
  std::string error;
  ASSERT_TRUE(ParseScript(std::to_string(PumpCount() + 2) + " press left\n+1 type Ok\n", "t", ev, error)) << error;
  SetInputScript(ev);
  for (int down : {0, 1, 0}) {  // a press is released at the next pump
    PumpEvents();
    EXPECT_EQ(KeyState[kKeyLeft], down);
  }
  for (int key : {int{'O'}, int{'k'}, int{kNoKey}}) EXPECT_EQ(ReadKey(false), key);
}

// The editor's clicks and drags go through SDL's queue like keys; the game's
// scripts refuse them and its loops, which keep no mouse events, see none.
TEST_F(PumpTest, ScriptedMouseEventsReachOnlyALoopThatKeepsThem) {
  std::vector<ScriptEvent> ev;
  std::string error;
  const std::string text = "+1 click 10 20 right\n+2 drag 33 34 100 200\n+5 click 1 2\n";
  EXPECT_FALSE(ParseScript(text, "g", ev, error));
  EXPECT_EQ(error, "g:1: unknown action 'click' (expected down, up, press, type, quit or shot)");
  EXPECT_FALSE(ParseScript("1 click 640 2\n", "e", ev, error, true));
  EXPECT_EQ(error, "e:1: expected X Y inside the 640 x 480 screen after 'click'");
  const uint32_t first = PumpCount();
  ev.clear();
  ASSERT_TRUE(ParseScript(std::to_string(first + 1) + " click 10 20 right\n+2 drag 33 34 100 200\n+5 click 1 2\n",
                          "e", ev, error, true))
      << error;
  SetInputScript(ev);
  KeepMouseEvents(true);
  std::string seen;
  for (int i = 0; i < 5; ++i) {
    PumpEvents();
    for (MouseEvent m; PopMouseEvent(m);)
      seen += std::to_string(PumpCount() - first) + ":" + "DUM"[static_cast<int>(m.kind)] + std::to_string(m.button) +
              "@" + std::to_string(m.x) + "," + std::to_string(m.y) + " ";
  }
  EXPECT_EQ(seen, "1:D3@10,20 2:U3@10,20 3:D1@33,34 4:M0@100,200 5:U1@100,200 ");
  KeepMouseEvents(false);
  for (int i = 0; i < 4; ++i) PumpEvents();
  MouseEvent m;
  EXPECT_FALSE(PopMouseEvent(m));
}

TEST(WindowScale, IsTheLargestThatFitsTheDesktop) {
  struct Case { int width, height, scale; };
  for (Case c : {Case{0, 0, 1}, Case{1024, 768, 1}, Case{1280, 959, 1}, Case{1280, 960, 2}, Case{1920, 1080, 2},
                 Case{2560, 1440, 3}, Case{3840, 2160, 4}, Case{7680, 4320, 4}, Case{1920, 480, 1}})
    EXPECT_EQ(WindowScaleFor(c.width, c.height), c.scale) << c.width << " x " << c.height;
}

}  // namespace
}  // namespace quarry
