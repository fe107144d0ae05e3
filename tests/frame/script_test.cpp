#include <gtest/gtest.h>

#include "frame/script.h"

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

}  // namespace
}  // namespace quarry
