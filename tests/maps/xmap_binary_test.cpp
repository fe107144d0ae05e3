// The binary forms B and W, their compressed forms P and Q, and the writer.
#include <gtest/gtest.h>

#include "archive/zrcomp.h"
#include "maps/xmap.h"
#include "maps/xmap_write.h"
#include "test_support.h"

namespace quarry {
namespace {

TXMap LoadBytes(const std::vector<uint8_t>& bytes) {
  TXMap map;
  TMemoryStream stream = StreamOf(bytes);
  map.Load(stream);
  return map;
}

// A 3 x 2 byte-cell body with texts, one pair and two extra lines.
const std::vector<uint8_t> kBodyB = {
    3, 2,                          // width, height
    '#', '*', '$', '.', '@', '!',  // cells
    2, 'A', 'u',                   // author
    3, 'M', 'a', 'p',              // name
    0,                             // gm: empty keeps "Unknown"
    1, '.', 'x',                   // one pair: "." -> "x"
    2, 'e', '1', 1, 'z', 0,        // extras "e1", "z", end
};

// The same map with 16-bit cells and counts.
const std::vector<uint8_t> kBodyW = {
    3, 2,
    '#', 0, '*', 0, 0x34, 0x12, '.', 0, '@', 0, 0xFF, 0xFF,
    2, 'A', 'u',
    3, 'M', 'a', 'p',
    4, 1, 0x07, 0x04, 'G',         // packed version 0x0407: version 7, game id 1
    2, 0,                          // two pairs
    0x34, 0x12, 0x00, 0x01,        // 0x1234 -> 0x0100
    '@', 0, '#', 0,                // "@" -> "#"
    0,
};

std::vector<uint8_t> WithHeader(char form, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> bytes(4 + body.size());
  bytes[0] = 'M';
  bytes[1] = 'A';
  bytes[2] = 'P';
  bytes[3] = static_cast<uint8_t>(form);
  std::copy(body.begin(), body.end(), bytes.begin() + 4);
  return bytes;
}

void ExpectBodyB(const TXMap& map) {
  EXPECT_EQ(map.Status, "OK");
  ASSERT_TRUE(map.Loaded);
  EXPECT_EQ(map.Width, 3);
  EXPECT_EQ(map.Height, 2);
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({'#', '*', '$', 'x', '@', '!'}));
  EXPECT_EQ(map.WorkingCells.size(), 6u);
  EXPECT_EQ(map.Author, "Au");
  EXPECT_EQ(map.MapName, "Map");
  EXPECT_EQ(map.GmText, "Unknown");
  EXPECT_EQ(map.Extras, std::vector<std::string>({"e1", "z"}));
  ASSERT_EQ(map.Translations.size(), 1u);
  EXPECT_EQ(map.Translations[0].From, '.');
  EXPECT_EQ(map.Translations[0].To, 'x');
}

void ExpectBodyW(const TXMap& map) {
  EXPECT_EQ(map.Status, "OK");
  ASSERT_TRUE(map.Loaded);
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({'#', '*', 0x100, '.', '#', 0xFFFF}));
  EXPECT_EQ(map.GmText, "G");
  EXPECT_EQ(map.Version, 7);
  EXPECT_EQ(map.GameID, 1);
  EXPECT_TRUE(map.Extras.empty());
}

TEST(XMapBinary, FormBFromBytes) {
  LogCapture log;
  ExpectBodyB(LoadBytes(WithHeader('B', kBodyB)));
  EXPECT_TRUE(log.lines.empty());
}

TEST(XMapBinary, FormWFromBytes) {
  LogCapture log;
  ExpectBodyW(LoadBytes(WithHeader('W', kBodyW)));
  EXPECT_TRUE(log.lines.empty());
}

TEST(XMapBinary, CompressedFormsPAndQ) {
  ExpectBodyB(LoadBytes(WithHeader('P', ZRCompress(kBodyB))));
  ExpectBodyW(LoadBytes(WithHeader('Q', ZRCompress(kBodyW))));
}

TEST(XMapBinary, ShortBodiesGiveWhatTheDataHolds) {
  // A 255 x 255 W body with two cells in it.
  LogCapture log;
  TXMap map = LoadBytes({'M', 'A', 'P', 'W', 255, 255, 'a', 0, 'b', 0, 'c'});
  ASSERT_TRUE(map.Loaded);
  ASSERT_EQ(map.FileCells.size(), 255u * 255u);
  EXPECT_EQ(map.FileCells[0], 'a');
  EXPECT_EQ(map.FileCells[1], 'b');
  EXPECT_EQ(map.FileCells[2], 0);
  EXPECT_EQ(map.MapName, "Unknown");
  EXPECT_EQ(log.lines, std::vector<std::string>({"[XMAP, TXMap.Load] Map data ends early."}));

  // A pair count of 500 with one pair present: that pair is read and applied.
  log.lines.clear();
  map = LoadBytes({'M', 'A', 'P', 'W', 1, 1, 'a', 0, 0, 0, 0, 0xF4, 0x01, 'a', 0, 'q', 0, 'r'});
  EXPECT_EQ(map.Translations.size(), 1u);
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({'q'}));
  EXPECT_EQ(log.lines.size(), 1u);

  // A text whose length runs past the end.
  map = LoadBytes({'M', 'A', 'P', 'B', 1, 1, '#', 200, 'x', 'y'});
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({'#'}));
  EXPECT_EQ(map.Author, "Unknown");

  // Header only: no size, no cells.
  map = LoadBytes({'M', 'A', 'P', 'B', 7});
  EXPECT_FALSE(map.Loaded);
}

TEST(XMapBinary, ExtraLinesStopAt256) {
  std::vector<uint8_t> bytes = {'M', 'A', 'P', 'B', 1, 1, '.', 0, 0, 0, 0};
  for (int i = 0; i < 300; ++i) bytes.insert(bytes.end(), {1, static_cast<uint8_t>('a' + i % 26)});
  bytes.push_back(0);
  LogCapture log;
  TXMap map = LoadBytes(bytes);
  EXPECT_EQ(map.ExtraCount(), 256);
  EXPECT_TRUE(log.lines.empty());  // the rest of the file is simply not read
}

TEST(XMapWriter, FormBBytesArePinned) {
  TXMap map;
  map.PadTo(2, 1, '#');
  map.FileCells[1] = 0x1224;  // byte form keeps the low byte
  map.MapName = "N";
  map.Translations.push_back({'#', '%'});
  map.Extras = {"", "ex"};
  EXPECT_EQ(WriteXMapBinary(map, false),
            std::vector<uint8_t>({'M', 'A', 'P', 'B', 2, 1, '#', 0x24, 0, 1, 'N', 0, 1, '#', '%', 2, 'e', 'x', 0}));
  EXPECT_EQ(WriteXMapBinary(map, true),
            std::vector<uint8_t>({'M', 'A', 'P', 'W', 2, 1, '#', 0, 0x24, 0x12, 0, 1, 'N', 0, 1, 0, '#', 0, '%', 0,
                                  2, 'e', 'x', 0}));
}

TEST(XMapWriter, ReadsBackThroughLoad) {
  TXMap original = LoadBytes(WithHeader('B', kBodyB));
  TXMap copy = LoadBytes(WriteXMapBinary(original, false));
  EXPECT_EQ(copy.FileCells, original.FileCells);
  EXPECT_EQ(copy.MapName, original.MapName);
  EXPECT_EQ(copy.Author, original.Author);
  EXPECT_EQ(copy.Extras, original.Extras);
}

TEST(XMapRecord, PadToKeepsCellsInPlace) {
  TXMap map = LoadBytes(WithHeader('B', kBodyB));
  map.PadTo(4, 3, '#');
  EXPECT_EQ(map.Width, 4);
  EXPECT_EQ(map.Height, 3);
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({'#', '*', '$', '#', 'x', '@', '!', '#', '#', '#', '#', '#'}));
  EXPECT_EQ(map.WorkingCells.size(), 12u);
}

}  // namespace
}  // namespace quarry
