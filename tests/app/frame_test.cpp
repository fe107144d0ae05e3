// Frame pacing and the event pump, with the virtual clock and real SDL
// events pushed through the dummy video driver.
#include <gtest/gtest.h>

#include <SDL.h>

#include "app/frame.h"
#include "app/script.h"
#include "core/clock.h"
#include "core/keys.h"
#include "graphics/zr_sdl.h"

namespace quarry {
namespace {

TEST(FrameWait, TwoFrameCadenceGivesHalfTheFrameDelays) {
  UseVirtualClock(true);
  SetFrameRate(60);
  EXPECT_EQ(FrameDelay, 16u) << "1000 div 60 truncates";
  NextFrameTick = 0;
  uint32_t start = GetTicks();
  int waited = 0;
  for (int frame = 0; frame < 240; ++frame) {
    uint32_t wait = FrameWait();
    if (wait) ++waited;
    Delay(wait);
  }
  // Every other frame runs at once: 120 waits of 16 ms.
  EXPECT_EQ(waited, 120);
  EXPECT_EQ(GetTicks() - start, 120u * 16);
  UseVirtualClock(false);
}

TEST(FrameWait, WorkTimeIsAbsorbedNotAdded) {
  UseVirtualClock(true);
  SetFrameRate(60);
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
    e.type = type;
    e.key.type = type;
    e.key.keysym.sym = static_cast<SDLKey>(sym);
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
  }
};

TEST_F(PumpTest, ShiftMakesCapitalsCapsLockDoesNot) {
  Key(SDL_KEYDOWN, 'a', KMOD_LSHIFT);
  Key(SDL_KEYDOWN, 'b', KMOD_RSHIFT);
  Key(SDL_KEYDOWN, 'c', KMOD_CAPS);
  Key(SDL_KEYDOWN, '1', KMOD_LSHIFT);
  PumpEvents();
  EXPECT_EQ(PopKey(), 'A');
  EXPECT_EQ(PopKey(), 'B');
  EXPECT_EQ(PopKey(), 'c');
  EXPECT_EQ(PopKey(), '1') << "shift changes letters only";
  EXPECT_EQ(PopKey(), kNoKey);
  EXPECT_EQ(KeyState['a'], 1);
}

TEST_F(PumpTest, DeleteAndArrowsSetKeyStateButAreNeverQueued) {
  Key(SDL_KEYDOWN, kKeyDelete);
  Key(SDL_KEYDOWN, kKeyUp);
  Key(SDL_KEYDOWN, kKeyReturn);
  PumpEvents();
  EXPECT_EQ(KeyState[kKeyDelete], 1);
  EXPECT_EQ(KeyState[kKeyUp], 1);
  EXPECT_EQ(PopKey(), 13) << "control characters below 127 are queued";
  EXPECT_EQ(PopKey(), kNoKey);
  Key(SDL_KEYUP, kKeyUp);
  PumpEvents();
  EXPECT_EQ(KeyState[kKeyUp], 0);
  EXPECT_EQ(KeyState[kKeyDelete], 1);
}

TEST_F(PumpTest, ScriptedEventsArriveAtTheirPump) {
  std::vector<ScriptEvent> ev;
  std::string error;
  uint32_t base = PumpCount();
  std::string text = std::to_string(base + 2) + " press left\n+1 type Ok\n";
  ASSERT_TRUE(ParseScript(text, "t", ev, error)) << error;
  SetInputScript(ev);
  PumpEvents();
  EXPECT_EQ(KeyState[kKeyLeft], 0);
  PumpEvents();
  EXPECT_EQ(KeyState[kKeyLeft], 1);
  PumpEvents();
  EXPECT_EQ(KeyState[kKeyLeft], 0) << "a press is released at the next pump";
  EXPECT_EQ(ReadKey(false), 'O');
  EXPECT_EQ(ReadKey(false), 'k');
  EXPECT_EQ(ReadKey(false), kNoKey);
}

}  // namespace
}  // namespace quarry
