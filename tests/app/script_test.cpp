#include <gtest/gtest.h>

#include "app/options.h"
#include "app/script.h"

namespace quarry {
namespace {

TEST(Script, ParsesActionsRelativePumpsAndComments) {
  std::vector<ScriptEvent> ev;
  std::string error;
  ASSERT_TRUE(ParseScript("# opening\n"
                          "3 press return\n"
                          "+2 down a shift   # capital A\n"
                          "+0 up a\n"
                          "10 type Hi\n"
                          "12 shot out.bmp\n"
                          "20 quit\n",
                          "s", ev, error))
      << error;
  ASSERT_EQ(ev.size(), 10u);
  EXPECT_EQ(ev[0].pump, 3u);
  EXPECT_EQ(ev[0].key, 13);
  EXPECT_EQ(ev[0].kind, ScriptEvent::Kind::Down);
  // "press" releases the key at the next pump, after everything of pump 3.
  EXPECT_EQ(ev[1].pump, 4u);
  EXPECT_EQ(ev[1].kind, ScriptEvent::Kind::Up);
  EXPECT_EQ(ev[2].pump, 5u);
  EXPECT_EQ(ev[2].key, 'a');
  EXPECT_TRUE(ev[2].shift);
  EXPECT_EQ(ev[3].pump, 5u);
  EXPECT_EQ(ev[3].kind, ScriptEvent::Kind::Up);
  // "type Hi": H with shift, i without, both down at 10, up at 11.
  EXPECT_EQ(ev[4].key, 'h');
  EXPECT_TRUE(ev[4].shift);
  EXPECT_EQ(ev[5].key, 'i');
  EXPECT_FALSE(ev[5].shift);
  EXPECT_EQ(ev[6].pump, 11u);
  EXPECT_EQ(ev[8].kind, ScriptEvent::Kind::Shot);
  EXPECT_EQ(ev[8].file, "out.bmp");
  EXPECT_EQ(ev[9].kind, ScriptEvent::Kind::Quit);
}

TEST(Script, BadLinesNameFileLineAndWhatWasExpected) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
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
  EXPECT_EQ(KeyFromName("Return"), 13);
  EXPECT_EQ(KeyFromName("f10"), 291);
  EXPECT_EQ(KeyFromName("up"), 273);
  EXPECT_EQ(KeyFromName("delete"), 127);
  EXPECT_EQ(KeyFromName("a"), 97);
  EXPECT_EQ(KeyFromName("276"), 276);
  EXPECT_EQ(KeyFromName("512"), -1);
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
  Options b;
  EXPECT_FALSE(ParseOptions(3, bad, b, error));
  const char* unknown[] = {"quarry", "--fast"};
  EXPECT_FALSE(ParseOptions(2, unknown, b, error));
  EXPECT_EQ(error, "unknown option '--fast'");
}

}  // namespace
}  // namespace quarry
