#include <gtest/gtest.h>

#include "game/solution.h"

namespace quarry {
namespace {

TEST(Solution, OneCharacterPerTickWithWhitespaceAndCommentsIgnored) {
  auto solution = ParseSolution("RR.L # go round the boulder\n\tU D\r\n#whole line ...\n..");
  EXPECT_EQ(solution.Error, "");
  EXPECT_EQ(solution.Moves, "RR.LUD..");
}

TEST(Solution, UnknownCharacterIsAnErrorNamingItsLine) {
  auto solution = ParseSolution("RRR\nLx\n");
  EXPECT_EQ(solution.Moves, "");
  EXPECT_EQ(solution.Error, "line 2: unexpected character 'x' (a solution uses U, D, L, R and .)");
  EXPECT_NE(ParseSolution("r").Error, "");  // lower case is not a move
}

TEST(Solution, EmptyTextIsAnEmptySolution) {
  EXPECT_EQ(ParseSolution("").Moves, "");
  EXPECT_EQ(ParseSolution("# nothing\n").Error, "");
}

TEST(Script, EachArrowIsHeldFromThePumpBeforeItsTickToTheTickFrame) {
  // Tick k runs in frame 7k; with the map's first frame at pump 1, the key
  // goes down at pump 7k - 1 and up at pump 7k.
  EXPECT_EQ(SolutionToScript("R.U", 1), "6 down right\n7 up right\n20 down up\n21 up up\n");
  EXPECT_EQ(SolutionToScript("L", 101), "106 down left\n107 up left\n");
  EXPECT_EQ(SolutionToScript("...", 1), "");
}

}  // namespace
}  // namespace quarry
