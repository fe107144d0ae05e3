// Map records: the text forms T and X, the binary forms B and W, their
// compressed forms P and Q, the writer, and damaged input of every form.
#include <gtest/gtest.h>

#include "archive/zrcomp.h"
#include "core/stream.h"
#include "maps/xmap.h"
#include "maps/xmap_write.h"
#include "test_support.h"

namespace quarry {
namespace {

using Bytes = std::vector<uint8_t>;

TXMap LoadBytes(const Bytes& bytes, TXMap map = {}) {
  TMemoryStream stream(bytes.data(), bytes.size());
  map.Load(stream);
  return map;
}

Bytes Text(char form, const std::vector<std::string>& lines) {
  std::string text = std::string("MAP") + form + "\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return {text.begin(), text.end()};
}

// The cells as text; other codes and runs of 4 or more as {code} and {code*run}.
std::string Cells(const std::vector<uint16_t>& cells) {
  std::string s;
  for (size_t i = 0, run = 1; i < cells.size(); i += run) {
    uint16_t c = cells[i];
    for (run = 1; i + run < cells.size() && cells[i + run] == c;) ++run;
    std::string one = c >= 32 && c < 127 && c != '{' ? std::string(1, char(c)) : "{" + std::to_string(c) + "}";
    for (size_t k = 0; run < 4 && k < run; ++k) s += one;
    if (run >= 4) s += "{" + std::to_string(c) + "*" + std::to_string(run) + "}";
  }
  return s;
}

// The record on one line, leaving out fields at their defaults, so one comparison checks every field.
std::string Describe(const TXMap& m) {
  std::string s = m.Status + (m.Loaded ? " " + std::to_string(m.Width) + "x" + std::to_string(m.Height) : " unloaded");
  if (m.Version != 0 || m.GameID != 255) s += " v" + std::to_string(m.Version) + "/" + std::to_string(m.GameID);
  for (auto [key, text] : {std::pair{" name:", &m.MapName}, {" author:", &m.Author}, {" gm:", &m.GmText}})
    if (*text != "Unknown") s += key + *text;
  for (const std::string& e : m.Extras) s += " ex:" + e;
  for (const TTranslation& t : m.Translations) s += " " + std::to_string(t.From) + ">" + std::to_string(t.To);
  if (m.HasTranslations == m.Translations.empty()) s += " (pair flag wrong)";
  // Activation fills the working cells, not Load.
  bool blank = m.WorkingCells.size() == m.FileCells.size();
  for (uint16_t cell : m.WorkingCells) blank = blank && cell == 0;
  if (!blank) s += " (working cells not blank)";
  return s + " " + Cells(m.FileCells);
}

// A 3 x 2 byte-cell body with texts, one pair and two extra lines.
const Bytes kBodyB = {
    3, 2, '#', '*', '$', '.', '@', '!',  // size, cells
    2, 'A', 'u', 3, 'M', 'a', 'p', 0,    // author, name, empty gm keeps "Unknown"
    1, '.', 'x',                         // one pair: "." -> "x"
    2, 'e', '1', 1, 'z', 0,              // extras "e1", "z", end
};
// The same map with 16-bit cells and counts.
const Bytes kBodyW = {
    3, 2, '#', 0, '*', 0, 0x34, 0x12, '.', 0, '@', 0, 0xFF, 0xFF, 2, 'A', 'u', 3, 'M', 'a', 'p',
    4, 1, 0x07, 0x04, 'G',                       // packed version 0x0407: version 7, game id 1
    2, 0, 0x34, 0x12, 0x00, 0x01, '@', 0, '#', 0, 0,  // two pairs: 0x1234 -> 0x0100, "@" -> "#"; no extras
};
const std::string kRecordB = "OK 3x2 name:Map author:Au ex:e1 ex:z 46>120 #*$x@!";
const std::string kRecordW = "OK 3x2 v7/1 name:Map author:Au gm:G 4660>256 64>35 #*{256}.#{65535}";

Bytes WithHeader(char form, Bytes body) {
  body.insert(body.begin(), {'M', 'A', 'P', static_cast<uint8_t>(form)});
  return body;
}

TEST(XMapLoad, EveryFormRecordAndWarnings) {
  const std::string width = "[XMAP, TXMap.Load] Map width is not specified!", noWidth = "Map width is not specified in file!";
  const std::string height = "[XMAP, TXMap.Load] Map height is not specified!";
  const std::string early = "[XMAP, TXMap.Load] Map data ends early.";
  const std::string sizeLog = "[XMAP, TXMap.Load] Map size can't change after the first map line. (";
  struct Case {
    Bytes bytes;
    std::string record;
    std::vector<std::string> log;
  } cases[] = {
      {WithHeader('B', kBodyB), kRecordB, {}},
      {WithHeader('W', kBodyW), kRecordW, {}},
      {WithHeader('P', ZRCompress(kBodyB)), kRecordB, {}},
      {WithHeader('Q', ZRCompress(kBodyW)), kRecordW, {}},
      // T: a short row padded with code 32, a long row cut without touching the next.
      {Text('T', {"WI5", "HE3", "MNFirst Steps", "AUSomebody", "GMplain", "EXone", "EXtwo", "MP#*", "MP@@@@@@@",
                  "MPCCCCC", "XX"}),
       "OK 5x3 name:First Steps author:Somebody gm:plain ex:one ex:two #*   {64*5}{67*5}", {}},
      // T: a missing row stays zero, a surplus row is ignored.
      {Text('T', {"WI3", "HE2", "MPabc", "XX"}), "OK 3x2 abc{0}{0}{0}", {}},
      {Text('T', {"WI3", "HE2", "MPabc", "MPdef", "MPxyz", "XX"}), "OK 3x2 abcdef",
       {"[XMAP, TXMap.Load] Too many map lines in MAPT mode."}},
      // Pairs apply once per cell in list order; groups of 4 while 4 characters remain.
      {Text('T', {"WI4", "HE1", "LW#200", "MP#.#@", "XX"}), "OK 4x1 35>200 {200}.{200}@", {}},
      {Text('T', {"WI4", "HE1", "LW.  7@ 12xyz", "MP#.#@", "XX"}), "OK 4x1 46>7 64>12 #{7}#{12}", {}},
      // Missing sizes give 32 x 20 with a warning each; not a number reads as 0, the default.
      {Text('T', {"HE2", "MPab", "XX"}), noWidth + " 32x2 ab{32*30}{0*32}", {width}},
      {Text('T', {"MPab", "XX"}), noWidth + " 32x20 ab{32*30}{0*608}", {height, width}},
      {Text('T', {"WI2", "MPab", "XX"}), "Map height is not specified in file! 2x20 ab{0*38}", {height}},
      {Text('T', {"WI12a", "HE1", "MPx", "XX"}), noWidth + " 32x1 x{32*31}", {width}},
      // Hex sizes and the low 8 bits of 258.
      {Text('T', {"WI$10", "HE258", "ZZtop", "MPx", "XX"}), "OK 16x2 x{32*15}{0*16}",
       {"[XMAP, TXMap.Load] Unknown identifier in MAPT mode. (ZZ)"}},
      {Text('T', {std::string("GM\x01\x05\x08") + "Quarry", "WI1", "HE1", "MP.", "XX"}), "OK 1x1 v5/2 gm:Quarry .", {}},
      {Text('T', {"WI2", "HE2", "MPab", "MNno end"}), "OK 2x2 name:no end ab{0}{0}", {}},
      {Text('T', {"WI2", "HE2", "MPab", "WI200", "HE200", "MPcdefgh", "MPij", "XX"}), "OK 2x2 abcd",
       {sizeLog + "WI)", sizeLog + "HE)", "[XMAP, TXMap.Load] Too many map lines in MAPT mode."}},
      // X: hex cells in any separators, numeric pairs chain only in list order, short rows padded.
      {Text('X', {"WI3", "HE2", "LW    1    2    2    3", "MP:::0001,0002,00C8", "MP---0123 ab", "MPzzzBEEF", "QQ", "XX"}),
       "OK 3x2 1>2 2>3 {2}{3}{200}{291}  ",
       {"[XMAP, TXMap.Load] Too many map lines in MAPX mode.", "[XMAP, TXMap.Load] Unknown identifier in MAPX mode. (QQ)"}},
      // Short binary bodies give what the data holds: a 255 x 255 body with two cells, a pair count
      // of 500 with one pair present (applied), a text running past the end, a header without a size,
      // a compressed form without a body.
      {{'M', 'A', 'P', 'W', 255, 255, 'a', 0, 'b', 0, 'c'}, "OK 255x255 ab{0*65023}", {early}},
      {{'M', 'A', 'P', 'W', 1, 1, 'a', 0, 0, 0, 0, 0xF4, 0x01, 'a', 0, 'q', 0, 'r'}, "OK 1x1 97>113 q", {early}},
      {{'M', 'A', 'P', 'B', 1, 1, '#', 200, 'x', 'y'}, "OK 1x1 #", {early}},
      {{'M', 'A', 'P', 'B', 7}, "OK unloaded ", {early}},
      {{'M', 'A', 'P', 'Q'}, "OK unloaded ", {early}},
      // A short signature, the retired MAPC form, an unknown form letter.
      {{'M', 'A'}, "Not an XMAP file! unloaded ", {}},
      {{'M', 'A', 'P', 'C', 1, 2, 3}, "OK unloaded ",
       {"[XMAP, TXMap.Load] The MAPC format no longer supported. Use MAPP for compressed maps."}},
      {{'M', 'A', 'P', 'Z'}, "OK unloaded ", {"[XMAP, TXMap.Load] XMAP.Load: Unknown DFS byte! (Z)"}},
  };
  for (const Case& c : cases) {
    LogCapture log;
    EXPECT_EQ(Describe(LoadBytes(c.bytes)), c.record) << std::string(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(log.lines, c.log) << c.record;
  }
}

TEST(XMapLoad, ExtraLinesStopAt256InTextAndBinary) {
  std::vector<std::string> lines = {"WI1", "HE1", "MP."};
  for (int i = 0; i < 300; ++i) lines.push_back("EX" + std::to_string(i));
  TXMap map = LoadBytes(Text('T', lines));
  ASSERT_EQ(map.ExtraCount(), 256);
  EXPECT_EQ(map.Extras.back(), "255");

  Bytes bytes = {'M', 'A', 'P', 'B', 1, 1, '.', 0, 0, 0, 0};
  for (int i = 0; i < 300; ++i) bytes.insert(bytes.end(), {1, static_cast<uint8_t>('a' + i % 26)});
  bytes.push_back(0);
  LogCapture log;
  EXPECT_EQ(LoadBytes(bytes).ExtraCount(), 256);
  EXPECT_TRUE(log.lines.empty());  // the rest of the file is simply not read
}

TEST(XMapLoad, ReloadKeepsPairsAndNames) {
  LogCapture log;
  TXMap map = LoadBytes(Text('T', {"WI2", "HE1", "LWa 98", "MPab", "EXx", "XX"}));
  // A reload releases the cells and extras but keeps the pairs, which still apply.
  map = LoadBytes(Text('T', {"WI3", "HE1", "MPabc", "MNkept", "XX"}), std::move(map));
  EXPECT_EQ(Describe(map), "OK 3x1 name:kept 97>98 bbc");
  map = LoadBytes({'M', 'O', 'P', '?'}, std::move(map));
  EXPECT_EQ(Describe(map), "Not an XMAP file! unloaded name:kept 97>98 ");
  EXPECT_TRUE(log.lines.empty());
}

TEST(XMapRecord, VersionLimitsAndPadding) {
  TXMap map;
  LogCapture log;
  map.SetVersion(1023);
  map.SetVersion(1024);
  map.SetGameID(63);
  map.SetGameID(64);
  EXPECT_EQ(std::make_tuple(map.Version, map.GameID), std::make_tuple(1023, 63));
  EXPECT_EQ(log.lines, std::vector<std::string>({"{XMAP, TXMap.SetVersion} Can't set this version number (1024). Max: 1023",
                                                 "{XMAP, TXMap.SetGameID} Invalid gameID! (64, Max: 63)"}));
  map = LoadBytes(WithHeader('B', kBodyB));
  map.PadTo(4, 3, '#');  // cells keep their places
  EXPECT_EQ(Describe(map), "OK 4x3 name:Map author:Au ex:e1 ex:z 46>120 #*$#x@!{35*5}");
}

// Read back through Load by the pack test.
TEST(XMapWriter, PinnedBytes) {
  TXMap map;
  map.PadTo(2, 1, '#');
  map.FileCells[1] = 0x1224;  // the byte form keeps the low byte
  map.MapName = "N";
  map.Translations.push_back({'#', '%'});
  map.Extras = {"", "ex"};
  EXPECT_EQ(WriteXMapBinary(map, false),
            Bytes({'M', 'A', 'P', 'B', 2, 1, '#', 0x24, 0, 1, 'N', 0, 1, '#', '%', 2, 'e', 'x', 0}));
  EXPECT_EQ(WriteXMapBinary(map, true), Bytes({'M', 'A', 'P', 'W', 2, 1, '#', 0, 0x24, 0x12, 0, 1, 'N', 0, 1, 0, '#',
                                               0, '%', 0, 2, 'e', 'x', 0}));
}

}  // namespace
}  // namespace quarry
