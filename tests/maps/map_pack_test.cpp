// Map packs: member numbering, gaps, padding of small records.
#include <gtest/gtest.h>

#include "archive/mad_write.h"
#include "maps/map_pack.h"
#include "maps/xmap_write.h"
#include "test_support.h"

namespace quarry {
namespace {

// A text-form map of the given size whose first cell is mark.
std::vector<uint8_t> TextMap(int width, int height, char mark, const std::string& name) {
  std::string text = "MAPT\r\nWI" + std::to_string(width) + "\r\nHE" + std::to_string(height) + "\r\nMN" + name +
                     "\r\nAUby " + name + "\r\n";
  for (int y = 0; y < height; ++y) text += "MP" + std::string(1, y == 0 ? mark : '.') + std::string(width - 1, '#') + "\r\n";
  return Bytes(text + "XX\r\n");
}

void WritePack(const std::string& path, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& members) {
  TMADWrite writer(path);
  for (const auto& [name, bytes] : members) writer.AddBytes(bytes, name);
  ASSERT_TRUE(writer.Done());
}

TEST(MapPack, MemberNames) {
  EXPECT_EQ(MapMemberName(1), "001.mpp");
  EXPECT_EQ(MapMemberName(100), "100.mpp");
  EXPECT_EQ(MapMemberName(1000), "1000.mpp");
}

TEST(MapPack, AGapEndsThePack) {
  TempDir dir;
  std::string pack = dir.File("gap.qs");
  WritePack(pack, {{"001.mpp", TextMap(20, 12, 'a', "one")},
                   {"002.MPP", TextMap(20, 12, 'b', "two")},
                   {"004.mpp", TextMap(20, 12, 'd', "four")}});
  LogCapture log;
  TMaps maps;
  ASSERT_TRUE(maps.Load(pack));
  ASSERT_EQ(maps.Count(), 2);
  EXPECT_EQ(maps.GetMapName(0), "one");
  EXPECT_EQ(maps.GetMapAuthor(1), "by two");
  EXPECT_EQ(maps.Map(1).FileCell(0, 0), 'b');
  EXPECT_EQ(maps.GetMapName(2), "");
  EXPECT_EQ(maps.GetMapName(-1), "");
  EXPECT_TRUE(log.Has("(MAP, TMaps.Load) Loading map file (" + pack + ")"));
  EXPECT_EQ(log.lines.back(), "(MAP, TMaps.Load) 2 maps loaded.");
}

TEST(MapPack, PackWithoutTheFirstMapLoadsNone) {
  TempDir dir;
  std::string pack = dir.File("nofirst.qs");
  WritePack(pack, {{"002.mpp", TextMap(20, 12, 'b', "two")}, {"info", Bytes("x")}});
  LogCapture log;
  TMaps maps;
  EXPECT_TRUE(maps.Load(pack));
  EXPECT_EQ(maps.Count(), 0);
  EXPECT_EQ(log.lines.back(), "(MAP, TMaps.Load) 0 maps loaded.");
}

TEST(MapPack, MissingFileReturnsFalse) {
  TempDir dir;
  std::string pack = dir.File("absent.qs");
  LogCapture log;
  TMaps maps;
  EXPECT_FALSE(maps.Load(pack));
  EXPECT_EQ(maps.Count(), 0);
  EXPECT_EQ(log.lines, std::vector<std::string>({"{MAP, TMaps.Load} Can't open map file! (" + pack + ")"}));
}

TEST(MapPack, HundredTwentyMapsInOrder) {
  TempDir dir;
  std::string pack = dir.File("big.qs");
  std::vector<std::pair<std::string, std::vector<uint8_t>>> members;
  // Stored out of order: the numbers, not the archive order, give the order.
  for (int n = 120; n >= 1; --n) members.push_back({MapMemberName(n), TextMap(20, 12, '.', "map " + std::to_string(n))});
  WritePack(pack, members);
  TMaps maps;
  ASSERT_TRUE(maps.Load(pack));
  ASSERT_EQ(maps.Count(), 120);
  for (int i = 0; i < 120; ++i) EXPECT_EQ(maps.GetMapName(i), "map " + std::to_string(i + 1));
}

TEST(MapPack, SmallAndBrokenRecordsArePaddedWithWalls) {
  TempDir dir;
  std::string pack = dir.File("small.qs");
  WritePack(pack, {{"001.mpp", TextMap(5, 3, '*', "small")}, {"002.mpp", Bytes("not a map")},
                   {"003.mpp", TextMap(30, 14, '*', "big")}});
  LogCapture log;
  TMaps maps;
  ASSERT_TRUE(maps.Load(pack));
  ASSERT_EQ(maps.Count(), 3);

  const TXMap& small = maps.Map(0);
  EXPECT_EQ(small.Width, 20);
  EXPECT_EQ(small.Height, 12);
  EXPECT_EQ(small.FileCell(0, 0), '*');
  EXPECT_EQ(small.FileCell(1, 0), '#');
  EXPECT_EQ(small.FileCell(0, 2), '.');
  EXPECT_EQ(small.FileCell(5, 0), '#');
  EXPECT_EQ(small.FileCell(19, 11), '#');
  EXPECT_EQ(small.WorkingCells.size(), 240u);
  EXPECT_TRUE(log.Has("[MAP, TMaps.Load] Map 1 is smaller than 20 x 12 (5 x 3), padded with walls."));

  const TXMap& broken = maps.Map(1);
  EXPECT_EQ(broken.Status, "Not an XMAP file!");  // the status is kept for the caller
  EXPECT_EQ(broken.FileCells, std::vector<uint16_t>(240, '#'));

  EXPECT_EQ(maps.Map(2).Width, 30);  // larger records stay as they are
  EXPECT_EQ(maps.Map(2).Height, 14);
}

TEST(MapPack, EveryFormLoadsFromAPack) {
  TempDir dir;
  std::string pack = dir.File("forms.qs");
  TXMap source;
  source.PadTo(20, 12, '.');
  source.FileCells[0] = '*';
  source.MapName = "binary";
  WritePack(pack, {{"001.mpp", WriteXMapBinary(source, false)}, {"002.mpp", WriteXMapBinary(source, true)}});
  TMaps maps;
  ASSERT_TRUE(maps.Load(pack));
  ASSERT_EQ(maps.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(maps.Map(i).FileCells, source.FileCells);
    EXPECT_EQ(maps.GetMapName(i), "binary");
  }
}

}  // namespace
}  // namespace quarry
