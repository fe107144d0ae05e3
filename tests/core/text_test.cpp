#include <gtest/gtest.h>

#include "core/stream.h"
#include "core/text.h"

namespace quarry {
namespace {

std::vector<std::string> Lines(const std::string& bytes) {
  TMemoryStream s(bytes.data(), bytes.size());
  std::vector<std::string> out;
  std::string line;
  while (ReadLine(s, line)) out.push_back(line);
  return out;
}

TEST(ReadLine, CrEndsALineAndSwallowsTheNextByteWhateverItIs) {
  EXPECT_EQ(Lines("ab\r\ncd\r\n"), (std::vector<std::string>{"ab", "cd"}));
  // The byte after CR is skipped even when it is not LF.
  EXPECT_EQ(Lines("ab\rXcd"), (std::vector<std::string>{"ab", "cd"}));
  // A bare LF is part of the line; only CR ends one.
  EXPECT_EQ(Lines("ab\ncd"), (std::vector<std::string>{"ab\ncd"}));
  // The end of the stream ends the last line; an empty stream has none.
  EXPECT_EQ(Lines("last"), (std::vector<std::string>{"last"}));
  EXPECT_TRUE(Lines("").empty());
  EXPECT_EQ(Lines("\r\n\r\n"), (std::vector<std::string>{"", ""}));
}

TEST(ReadLine, KeepsAtMost255CharactersButConsumesTheWholeLine) {
  std::string longLine(300, 'x');
  auto lines = Lines(longLine + "\r\nnext\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 255u);
  EXPECT_EQ(lines[1], "next");
}

TEST(TextHelpers, TrimOnlyBlanksUpperCaseOnlyAsciiLetters) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\tab\t"), "\tab\t");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(UpperCase("abz{\xe4" "AZ1"), "ABZ{\xe4" "AZ1");
  EXPECT_EQ(ShortText(std::string(300, 'q')).size(), 255u);
}

TEST(StrToNum, DecimalHexAndTheOddRules) {
  EXPECT_EQ(StrToNum("42"), 42);
  EXPECT_EQ(StrToNum("-17"), -17);
  EXPECT_EQ(StrToNum("$1F"), 31);
  EXPECT_EQ(StrToNum("$FFFFFFF"), 0xFFFFFFF);
  // Hex takes at most 7 digits after the "$".
  EXPECT_EQ(StrToNum("$123456789"), 0x1234567);
  // Blanks, byte 0 and byte 255 count as the digit 0.
  EXPECT_EQ(StrToNum("1 2"), 102);
  EXPECT_EQ(StrToNum(std::string("1\0" "3", 3)), 103);
  EXPECT_EQ(StrToNum("2\xff"), 20);
  EXPECT_EQ(StrToNum("$ 1"), 1);
  // At most 10 characters are read.
  EXPECT_EQ(StrToNum("123456789012"), 1234567890);
  EXPECT_EQ(StrToNum(""), 0);
}

TEST(HexToNum, UpperCasesAndSumsFromTheRight) {
  EXPECT_EQ(HexToNum("ff"), 255u);
  EXPECT_EQ(HexToNum("9119"), 0x9119u);
  EXPECT_EQ(HexToNum("aB0"), 0xAB0u);
  EXPECT_EQ(HexToNum(""), 0u);
}

}  // namespace
}  // namespace quarry
