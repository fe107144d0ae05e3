// The authors' text map format and the pack description.
#include <gtest/gtest.h>

#include "maps/map_source.h"
#include "maps/pack_info.h"
#include "test_support.h"

namespace quarry {
namespace {

std::vector<std::string> GoodRows() {
  return {"####################", "#*   $        @    #", "#                  #", "#                  #",
          "#                  #", "#                  #", "#                  #", "#                  #",
          "#                  #", "#                  #", "#                 !#", "%%%%%%%%%%%%%%%%%%%%"};
}

std::string Source(const std::vector<std::string>& rows, const std::string& header = "name: N\nauthor: A\n",
                   const std::string& footer = "") {
  std::string text = header;
  for (const std::string& row : rows) text += row + "\n";
  return text + footer;
}

std::vector<TSourceProblem> Problems(const std::string& text) {
  TMapSource map;
  std::vector<TSourceProblem> problems;
  EXPECT_FALSE(ParseMapSource(text, map, problems));
  return problems;
}

std::string Only(const std::vector<TSourceProblem>& problems) {
  if (problems.size() != 1) return "expected one problem, got " + std::to_string(problems.size());
  return std::to_string(problems[0].Line) + ": " + problems[0].Message;
}

TEST(MapSource, GoodMapWithSolutionAndComments) {
  TMapSource map;
  std::vector<TSourceProblem> problems;
  ASSERT_TRUE(ParseMapSource(Source(GoodRows(), "; c\nname:  The Map \r\nAuthor: Me\n\n", "\nsolution: RR\nsolution:DD\n"),
                             map, problems));
  EXPECT_EQ(map.Name, "The Map");
  EXPECT_EQ(map.Author, "Me");
  EXPECT_EQ(map.Solution, "RR\nDD");
  EXPECT_EQ(map.RowLines.front(), 5);
  TXMap record = MapSourceToXMap(map);
  EXPECT_EQ(record.Width, 20);
  EXPECT_EQ(record.Height, 12);
  EXPECT_EQ(record.FileCell(1, 1), '*');
  EXPECT_EQ(record.FileCell(14, 1), '@');
  EXPECT_EQ(record.FileCell(0, 11), '%');
  EXPECT_EQ(record.MapName, "The Map");
}

TEST(MapSource, EachProblemNamesItsLine) {
  auto rows = GoodRows();
  rows[3] = "#                 #";  // line 6, 19 wide
  EXPECT_EQ(Only(Problems(Source(rows))), "6: row is 19 characters wide, expected 20");

  rows = GoodRows();
  rows[4][3] = 'x';
  EXPECT_EQ(Only(Problems(Source(rows))), "7: unknown element character 'x' in column 4");
  rows[4][3] = '\t';
  EXPECT_EQ(Only(Problems(Source(rows))), "7: unknown element character byte 0x09 in column 4");

  rows = GoodRows();
  rows[5][19] = ' ';
  EXPECT_EQ(Only(Problems(Source(rows))), "8: the border must be '#' or '%', found ' ' in column 20");
  rows = GoodRows();
  rows[0][7] = '!';
  EXPECT_EQ(Only(Problems(Source(rows))), "3: the border must be '#' or '%', found '!' in column 8");

  rows = GoodRows();
  rows[6][5] = '*';
  EXPECT_EQ(Only(Problems(Source(rows))), "9: a second player start '*' in column 6 (the first is on line 4)");
  rows = GoodRows();
  rows[1][1] = ' ';
  EXPECT_EQ(Only(Problems(Source(rows))), "14: the map has no player start '*'");
  rows = GoodRows();
  rows[10][18] = ' ';
  EXPECT_EQ(Only(Problems(Source(rows))), "14: the map has no exit '!'");

  rows = GoodRows();
  rows.pop_back();
  EXPECT_EQ(Problems(Source(rows))[0].Message, "expected 12 map rows, found 11");
  rows = GoodRows();
  rows.push_back(rows.back());
  EXPECT_EQ(Only(Problems(Source(rows))), "15: more than 12 map rows");

  EXPECT_EQ(Only(Problems(Source(GoodRows(), "author: A\n"))), "13: missing 'name:' line");
  EXPECT_EQ(Only(Problems(Source(GoodRows(), "name: N\nname: M\nauthor: A\n"))), "2: duplicate 'name:' line");
  EXPECT_EQ(Only(Problems(Source(GoodRows(), "name: N\nauthor:\n"))), "2: 'author:' has no text");
  EXPECT_EQ(Only(Problems(Source(GoodRows(), "name: N\nauthor: A\ntitle: T\n"))), "3: unknown key 'title:'");
}

TEST(MapSource, PackDescription) {
  TPackSource pack;
  std::vector<TSourceProblem> problems;
  ASSERT_TRUE(ParsePackSource("title: Big One\r\n; note\nauthor: Me\n", pack, problems));
  EXPECT_EQ(pack.Title, "Big One");
  EXPECT_EQ(pack.Author, "Me");
  EXPECT_FALSE(ParsePackSource("title: X\nsome text\n", pack, problems));
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].Line, 2);
  EXPECT_EQ(problems[1].Message, "missing 'author:' line");
}

TEST(PackInfo, WrittenBytesAndReadBack) {
  std::string text = WritePackInfo("T", "A", 3);
  EXPECT_EQ(text, "Quarrystar level pack\r\nT\r\nA\r\n\r\n\r\n0\r\n1\r\n2\r\n!END\r\n");
  TMemoryStream stream(text.data(), text.size());
  TPackInfo info = ReadPackInfo(stream);
  EXPECT_EQ(info.Title, "T");
  EXPECT_EQ(info.Author, "A");
  EXPECT_EQ(info.MapNumbers, std::vector<int>({0, 1, 2}));

  std::string other = "x\r\n Title \r\nBy\r\n\r\n\r\n 4 \r\n1\r\n\r\n9\r\n";  // an empty line ends the list
  TMemoryStream otherStream(other.data(), other.size());
  info = ReadPackInfo(otherStream);
  EXPECT_EQ(info.Title, "Title");
  EXPECT_EQ(info.MapNumbers, std::vector<int>({4, 1}));
}

}  // namespace
}  // namespace quarry
