#include <gtest/gtest.h>

#include "app/options.h"
#include "app/script.h"

namespace quarry {
namespace {

TEST(Script, ParsesActionsRelativePumpsAndComments) {
  std::vector<ScriptEvent> ev;
  std::string error;
  ASSERT_TRUE(ParseScript("# opening\n3 press return\n+2 down a shift   # capital A\n+0 up a\n10 type Hi\n"
                          "12 shot out.bmp\n20 quit\n",
                          "s", ev, error))
      << error;
  ASSERT_EQ(ev.size(), 10u);
  using K = ScriptEvent::Kind;
  // "press" releases the key at the next pump, after everything of pump 3.
  const struct { uint32_t pump; K kind; uint16_t key; bool shift; } want[] = {
      {3, K::Down, 13, false}, {4, K::Up, 13, false}, {5, K::Down, 'a', true}, {5, K::Up, 'a', false},
      // "type Hi": H with shift, i without, both down at 10, up at 11.
      {10, K::Down, 'h', true}, {10, K::Down, 'i', false}, {11, K::Up, 'h', true}, {11, K::Up, 'i', false}};
  for (size_t i = 0; i < std::size(want); ++i) {
    EXPECT_EQ(ev[i].pump, want[i].pump) << i;
    EXPECT_EQ(ev[i].kind, want[i].kind) << i;
    EXPECT_EQ(ev[i].key, want[i].key) << i;
    EXPECT_EQ(ev[i].shift, want[i].shift) << i;
  }
  EXPECT_EQ(ev[8].kind, K::Shot);
  EXPECT_EQ(ev[8].file, "out.bmp");
  EXPECT_EQ(ev[9].kind, K::Quit);
}

TEST(Script, BadLinesNameFileLineAndWhatWasExpected) {
  const struct { const char* text; const char* error; } cases[] = {
      {"1 quit\nx press a\n", "s.txt:2: expected a pump number or +N, got 'x'"},
      {"1 jump\n", "s.txt:1: unknown action 'jump' (expected down, up, press, type, quit or shot)"},
      {"1 press nokey\n", "s.txt:1: unknown key 'nokey'"},
      {"1 down\n", "s.txt:1: expected a key after 'down'"},
      {"0 quit\n", "s.txt:1: pump numbers start at 1"},
      {"1 up a shift\n", "s.txt:1: unexpected 'shift'"},
  };
  for (const auto& c : cases) {
    std::vector<ScriptEvent> ev;
    std::string error;
    EXPECT_FALSE(ParseScript(c.text, "s.txt", ev, error)) << c.text;
    EXPECT_EQ(error, c.error);
  }
}

TEST(Script, KeyNamesAndNumbers) {
  const std::pair<const char*, int> keys[] = {{"Return", 13}, {"f10", 291}, {"up", 273}, {"delete", 127},
                                              {"a", 97},      {"276", 276}, {"512", -1}};
  for (const auto& [name, key] : keys) EXPECT_EQ(KeyFromName(name), key) << name;
}

TEST(Options, SeamsAndBadValues) {
  const char* ok[] = {"quarry", "--windowed", "--virtual-clock", "--seed", "42", "--script", "s.txt"};
  Options o;
  std::string error;
  ASSERT_TRUE(ParseOptions(7, ok, o, error));
  EXPECT_TRUE(o.windowed);
  EXPECT_TRUE(o.virtualClock);
  EXPECT_EQ(o.seed, 42u);
  EXPECT_EQ(o.script, "s.txt");
  const char* bad[] = {"quarry", "--seed", "-1"};
  const char* unknown[] = {"quarry", "--fast"};
  Options b;
  EXPECT_FALSE(ParseOptions(3, bad, b, error));
  EXPECT_FALSE(ParseOptions(2, unknown, b, error));
  EXPECT_EQ(error, "unknown option '--fast'");
  for (const char* scale : {"0", "5", "2x", "", "-1"}) {
    const char* bad_scale[] = {"quarry", "--scale", scale};
    EXPECT_FALSE(ParseOptions(3, bad_scale, b, error)) << scale;
  }
  const char* scaled[] = {"quarry", "--scale", "3"};
  ASSERT_TRUE(ParseOptions(3, scaled, b, error));
  EXPECT_EQ(b.scale, 3);
}

TEST(Options, WindowScaleIsTheLargestThatFitsTheDesktop) {
  struct Case { int width, height, scale; };
  for (Case c : {Case{0, 0, 1}, Case{1024, 768, 1}, Case{1280, 959, 1}, Case{1280, 960, 2}, Case{1920, 1080, 2},
                 Case{2560, 1440, 3}, Case{3840, 2160, 4}, Case{7680, 4320, 4}, Case{1920, 480, 1}})
    EXPECT_EQ(WindowScaleFor(c.width, c.height), c.scale) << c.width << " x " << c.height;
}

}  // namespace
}  // namespace quarry
