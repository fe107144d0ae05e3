#include "config/string_list.h"

#include <gtest/gtest.h>

#include "log_capture.h"

namespace quarry {
namespace {

TEST(StringList, DropsTheRowPastCapacityWithWarning) {
  TStringList list;
  for (int i = 0; i < 1024; ++i) list.Add("row " + std::to_string(i));
  LogCapture log;
  list.Add("one too many");
  EXPECT_EQ(list.Count(), 1024);
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0], "[STRLIST, TStringList.Add] Too many elements (Max. 1024)");

  std::string row = "unchanged";
  list.GetItem(1023, row);
  EXPECT_EQ(row, "row 1023");
}

TEST(StringList, GetItemOutOfBoundsLeavesResult) {
  TStringList list;
  LogCapture log;
  std::string row = "kept";
  list.GetItem(0, row);
  EXPECT_EQ(row, "kept");
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0], "[STRLIST, TStringList.GetItem] Index out of bounds! (To get: 0 - MaxItem: -1)");

  list.Add("a");
  list.Add("b");
  list.GetItem(2, row);
  EXPECT_EQ(row, "kept");
  EXPECT_EQ(log.lines.back(), "[STRLIST, TStringList.GetItem] Index out of bounds! (To get: 2 - MaxItem: 1)");
  list.GetItem(1, row);
  EXPECT_EQ(row, "b");
}

TEST(StringList, CutsLongTextsToShortText) {
  TStringList list;
  list.Add(std::string(300, 'x'));
  std::string row;
  list.GetItem(0, row);
  EXPECT_EQ(row.size(), 255u);
}

}  // namespace
}  // namespace quarry
