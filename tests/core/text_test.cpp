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

using Strings = std::vector<std::string>;

TEST(ReadLine, CrEndsALineAndSwallowsTheNextByteWhateverItIs) {
  EXPECT_EQ(Lines("ab\r\ncd\r\n"), (Strings{"ab", "cd"}));
  EXPECT_EQ(Lines("ab\rXcd"), (Strings{"ab", "cd"}));  // the byte after CR is skipped even when it is not LF
  EXPECT_EQ(Lines("ab\ncd"), (Strings{"ab\ncd"}));     // a bare LF is part of the line
  // The end of the stream ends the last line; an empty stream has none.
  EXPECT_EQ(Lines("last"), (Strings{"last"}));
  EXPECT_TRUE(Lines("").empty());
  EXPECT_EQ(Lines("\r\n\r\n"), (Strings{"", ""}));
  // At most 255 characters are kept, but the whole line is consumed.
  EXPECT_EQ(Lines(std::string(300, 'x') + "\r\nnext\r\n"), (Strings{std::string(255, 'x'), "next"}));
}

TEST(TextHelpers, TrimOnlyBlanksUpperCaseOnlyAsciiLetters) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\tab\t"), "\tab\t");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(UpperCase("abz{\xe4" "AZ1"), "ABZ{\xe4" "AZ1");
  EXPECT_EQ(ShortText(std::string(300, 'q')).size(), 255u);
}

// Catches hex past 7 digits, blanks and bytes 0 and 255 not read as the digit 0, more than 10 characters read.
TEST(Numbers, StrToNumRulesAndHexToNum) {
  const std::pair<std::string, int> cases[] = {
      {"42", 42}, {"-17", -17}, {"$1F", 31}, {"$FFFFFFF", 0xFFFFFFF}, {"$123456789", 0x1234567}, {"1 2", 102},
      {std::string("1\0" "3", 3), 103}, {"2\xff", 20}, {"$ 1", 1}, {"123456789012", 1234567890}, {"", 0}};
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToNum(text), value) << text;
  for (auto [text, value] : {std::pair{"ff", 255u}, {"9119", 0x9119u}, {"aB0", 0xAB0u}, {"", 0u}})
    EXPECT_EQ(HexToNum(text), value) << text;
}

}  // namespace
}  // namespace quarry
