// Damaged maps never crash, hang or read outside their buffers; run this
// under the sanitizer build. Every valid form is cut at every length and
// mutated with a fixed-seed generator.
#include <gtest/gtest.h>

#include "archive/zrcomp.h"
#include "maps/map_source.h"
#include "maps/xmap.h"
#include "maps/xmap_write.h"
#include "test_support.h"

namespace quarry {
namespace {

std::vector<std::vector<uint8_t>> ValidMaps() {
  TXMap map;
  map.PadTo(20, 12, '#');
  map.FileCells[21] = '*';
  map.MapName = "damaged";
  map.Author = "tests";
  map.GmText = std::string("\x01\x05\x08") + "gm";
  map.Translations = {{'#', 200}, {'.', 0x1234}};
  map.Extras = {"one", "two"};
  std::vector<uint8_t> b = WriteXMapBinary(map, false);
  std::vector<uint8_t> w = WriteXMapBinary(map, true);
  std::vector<uint8_t> p = {'M', 'A', 'P', 'P'};
  std::vector<uint8_t> packed = ZRCompress(std::span<const uint8_t>(b).subspan(4));
  p.insert(p.end(), packed.begin(), packed.end());
  std::vector<uint8_t> q = {'M', 'A', 'P', 'Q'};
  packed = ZRCompress(std::span<const uint8_t>(w).subspan(4));
  q.insert(q.end(), packed.begin(), packed.end());
  std::string t = "MAPT\r\nWI20\r\nHE3\r\nMNt\r\nLW#200.  1\r\nEXe\r\nGM\x01\x05\x08g\r\n";
  for (int y = 0; y < 3; ++y) t += "MP####################\r\n";
  t += "XX\r\n";
  std::string x = "MAPX\r\nWI3\r\nHE2\r\nLW   35  200\r\nMP   0023 0024 0025\r\nMP   FFFF 0000 1234\r\nXX\r\n";
  return {Bytes(t), Bytes(x), b, w, p, q};
}

void ExpectConsistent(const TXMap& map) {
  if (map.Loaded) {
    ASSERT_EQ(map.FileCells.size(), static_cast<size_t>(map.Width) * map.Height);
    ASSERT_EQ(map.WorkingCells.size(), map.FileCells.size());
  } else {
    ASSERT_TRUE(map.FileCells.empty());
  }
  ASSERT_LE(map.Extras.size(), TXMap::kMaxExtras);
  ASSERT_LE(map.MapName.size(), 255u);
  ASSERT_LT(map.Version, 1024);
}

TEST(DamagedInput, EveryTruncationOfEveryForm) {
  LogCapture quiet;
  for (const std::vector<uint8_t>& valid : ValidMaps()) {
    {
      TXMap whole;
      TMemoryStream stream = StreamOf(valid);
      whole.Load(stream);
      ASSERT_TRUE(whole.Loaded) << std::string(valid.begin(), valid.begin() + 4);
    }
    for (size_t length = 0; length <= valid.size(); ++length) {
      TXMap map;
      TMemoryStream stream(valid.data(), length);
      map.Load(stream);
      ExpectConsistent(map);
    }
  }
}

TEST(DamagedInput, SeededMutationsOfEveryForm) {
  LogCapture quiet;
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  for (const std::vector<uint8_t>& valid : ValidMaps()) {
    for (int round = 0; round < 400; ++round) {
      std::vector<uint8_t> bytes = valid;
      int flips = 1 + static_cast<int>(next() % 6);
      for (int i = 0; i < flips; ++i) {
        size_t at = 4 + next() % (bytes.size() - 4);  // keep the form, damage the body
        bytes[at] = static_cast<uint8_t>(next());
      }
      if (next() % 4 == 0) bytes.resize(4 + next() % (bytes.size() - 4));
      TXMap map;
      TMemoryStream stream = StreamOf(bytes);
      map.Load(stream);
      ExpectConsistent(map);
      // The same record loaded twice must stay consistent too.
      TMemoryStream again = StreamOf(bytes);
      map.Load(again);
      ExpectConsistent(map);
    }
  }
}

TEST(DamagedInput, MapSourceOfArbitraryBytes) {
  uint32_t state = 99;
  for (int round = 0; round < 300; ++round) {
    std::string text;
    int length = static_cast<int>((state = state * 1664525u + 1013904223u) >> 22);
    for (int i = 0; i < length; ++i) {
      state = state * 1664525u + 1013904223u;
      const char alphabet[] = "#%*!$ .\n\r:nameuthorsl";
      text.push_back((state >> 24) % 5 == 0 ? static_cast<char>(state >> 16) : alphabet[(state >> 16) % (sizeof alphabet - 1)]);
    }
    TMapSource map;
    std::vector<TSourceProblem> problems;
    if (ParseMapSource(text, map, problems)) {
      EXPECT_EQ(map.Rows.size(), 12u);
    } else {
      EXPECT_FALSE(problems.empty());
    }
  }
}

}  // namespace
}  // namespace quarry
