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
  std::string row = "kept";
  list.GetItem(0, row);
  EXPECT_EQ(row, "kept");
  list.Add(std::string(300, 'x'));
  list.Add("b");
  list.GetItem(2, row);
  EXPECT_EQ(row, "kept");
  list.GetItem(0, row);
  EXPECT_EQ(row, std::string(255, 'x'));
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
  list.GetItem(1023, row);
  EXPECT_EQ(row, "row 1023");
  list.GetItem(1, row);
  EXPECT_EQ(row, "b");
}

}  // namespace
}  // namespace quarry
