// The game's command line: the seams, --scale and bad values.
#include <gtest/gtest.h>

#include "app/options.h"

namespace quarry {
namespace {

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

}  // namespace
}  // namespace quarry
