#include "config/string_list.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace quarry {
namespace {

// Out-of-range reads and the row past capacity warn and leave things as they were;
// long texts are cut to a short text.
TEST(StringList, BoundsCapacityAndLength) {
  TStringList list;
  LogCapture log;
  auto get = [&list](int index) {
    std::string row = "kept";
    list.GetItem(index, row);
    return row;
  };
  EXPECT_EQ(get(0), "kept");
  list.Add(std::string(300, 'x'));
  list.Add("b");
  EXPECT_EQ(std::vector<std::string>({get(2), get(0), get(1)}), std::vector<std::string>({"kept", std::string(255, 'x'), "b"}));
  EXPECT_EQ(log.lines, std::vector<std::string>({
                           "[STRLIST, TStringList.GetItem] Index out of bounds! (To get: 0 - MaxItem: -1)",
                           "[STRLIST, TStringList.GetItem] Index out of bounds! (To get: 2 - MaxItem: 1)",
                       }));

  log.lines.clear();
  for (int i = 2; i < 1024; ++i) list.Add("row " + std::to_string(i));
  EXPECT_TRUE(log.lines.empty());
  list.Add("one too many");
  EXPECT_EQ(list.Count(), 1024);
  EXPECT_EQ(log.lines, std::vector<std::string>({"[STRLIST, TStringList.Add] Too many elements (Max. 1024)"}));
  EXPECT_EQ(std::vector<std::string>({get(1023), get(1)}), std::vector<std::string>({"row 1023", "b"}));
}

}  // namespace
}  // namespace quarry
