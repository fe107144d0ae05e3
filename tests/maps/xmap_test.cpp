// Map records: the text forms T and X, the binary forms B and W, their
// compressed forms P and Q, the writer, and damaged input of every form.
#include <gtest/gtest.h>

#include "archive/zrcomp.h"
#include "core/stream.h"
#include "maps/map_source.h"
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

// A text-form file: "MAP" + form, then each line ended by CR LF.
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
    if (run >= 4) s += "{" + std::to_string(c) + "*" + std::to_string(run) + "}";
    else for (size_t k = 0; k < run; ++k) s += c >= 32 && c < 127 && c != '{' ? std::string(1, char(c)) : "{" + std::to_string(c) + "}";
  }
  return s;
}

// The whole record on one line, so one comparison checks every field.
std::string Describe(const TXMap& m) {
  std::string s = m.Status + (m.Loaded ? " " + std::to_string(m.Width) + "x" + std::to_string(m.Height) : " unloaded") +
                  " v" + std::to_string(m.Version) + " g" + std::to_string(m.GameID) + " " + m.MapName + "|" + m.Author +
                  "|" + m.GmText + " ex:";
  for (const std::string& e : m.Extras) s += e + ",";
  s += m.HasTranslations ? " tr:" : " tr(off):";
  for (const TTranslation& t : m.Translations) s += std::to_string(t.From) + ">" + std::to_string(t.To) + ",";
  if (m.WorkingCells.size() != m.FileCells.size()) s += " working cells missing";
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
    2, 0, 0x34, 0x12, 0x00, 0x01, '@', 0, '#', 0,  // two pairs: 0x1234 -> 0x0100, "@" -> "#"
    0,
};
const std::string kRecordB = "OK 3x2 v0 g255 Map|Au|Unknown ex:e1,z, tr:46>120, #*$x@!";
const std::string kRecordW = "OK 3x2 v7 g1 Map|Au|G ex: tr:4660>256,64>35, #*{256}.#{65535}";

Bytes WithHeader(char form, const Bytes& body) {
  Bytes bytes = {'M', 'A', 'P', static_cast<uint8_t>(form)};
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

TEST(XMapLoad, EveryFormRecordAndWarnings) {
  const std::string T = "OK 3x2 v0 g255 Unknown|Unknown|Unknown ex: tr(off): ";
  const std::string widthLog = "[XMAP, TXMap.Load] Map width is not specified!";
  const std::string heightLog = "[XMAP, TXMap.Load] Map height is not specified!";
  const std::string endsEarly = "[XMAP, TXMap.Load] Map data ends early.";
  struct Case {
    Bytes bytes;
    std::string record;
    std::vector<std::string> log;
  } cases[] = {
      {WithHeader('B', kBodyB), kRecordB, {}},
      {WithHeader('W', kBodyW), kRecordW, {}},
      {WithHeader('P', ZRCompress(kBodyB)), kRecordB, {}},
      {WithHeader('Q', ZRCompress(kBodyW)), kRecordW, {}},
      // T: a missing row stays zero, a surplus row is ignored.
      {Text('T', {"WI3", "HE2", "MPabc", "XX"}), T + "abc{0}{0}{0}", {}},
      {Text('T', {"WI3", "HE2", "MPabc", "MPdef", "MPxyz", "XX"}), T + "abcdef",
       {"[XMAP, TXMap.Load] Too many map lines in MAPT mode."}},
      // Pairs apply once per cell in list order; groups of 4 while 4 characters remain.
      {Text('T', {"WI4", "HE1", "LW#200", "MP#.#@", "XX"}),
       "OK 4x1 v0 g255 Unknown|Unknown|Unknown ex: tr:35>200, {200}.{200}@", {}},
      {Text('T', {"WI4", "HE1", "LW.  7@ 12xyz", "MP#.#@", "XX"}),
       "OK 4x1 v0 g255 Unknown|Unknown|Unknown ex: tr:46>7,64>12, #{7}#{12}", {}},
      // Missing sizes give 32 x 20 with a warning each.
      {Text('T', {"HE2", "MPab", "XX"}),
       "Map width is not specified in file! 32x2 v0 g255 Unknown|Unknown|Unknown ex: tr(off): ab{32*30}{0*32}",
       {widthLog}},
      {Text('T', {"MPab", "XX"}),
       "Map width is not specified in file! 32x20 v0 g255 Unknown|Unknown|Unknown ex: tr(off): ab{32*30}{0*608}",
       {heightLog, widthLog}},
      {Text('T', {"WI2", "MPab", "XX"}),
       "Map height is not specified in file! 2x20 v0 g255 Unknown|Unknown|Unknown ex: tr(off): ab{0*38}", {heightLog}},
      // Hex sizes, the low 8 bits of 258; not a number reads as 0 and becomes the default.
      {Text('T', {"WI$10", "HE258", "ZZtop", "MPx", "XX"}),
       "OK 16x2 v0 g255 Unknown|Unknown|Unknown ex: tr(off): x{32*15}{0*16}",
       {"[XMAP, TXMap.Load] Unknown identifier in MAPT mode. (ZZ)"}},
      {Text('T', {"WI12a", "HE1", "MPx", "XX"}),
       "Map width is not specified in file! 32x1 v0 g255 Unknown|Unknown|Unknown ex: tr(off): x{32*31}", {widthLog}},
      {Text('T', {std::string("GM\x01\x05\x08") + "Quarry", "WI1", "HE1", "MP.", "XX"}),
       "OK 1x1 v5 g2 Unknown|Unknown|Quarry ex: tr(off): .", {}},
      {Text('T', {"WI2", "HE2", "MPab", "MNno end"}), "OK 2x2 v0 g255 no end|Unknown|Unknown ex: tr(off): ab{0}{0}", {}},
      // Size keys after the first row cannot grow the rows.
      {Text('T', {"WI2", "HE2", "MPab", "WI200", "HE200", "MPcdefgh", "MPij", "XX"}),
       "OK 2x2 v0 g255 Unknown|Unknown|Unknown ex: tr(off): abcd",
       {"[XMAP, TXMap.Load] Map size can't change after the first map line. (WI)",
        "[XMAP, TXMap.Load] Map size can't change after the first map line. (HE)",
        "[XMAP, TXMap.Load] Too many map lines in MAPT mode."}},
      // X: hex cells in any separators, numeric pairs chain only in list order, short rows padded.
      {Text('X', {"WI3", "HE2", "LW    1    2    2    3", "MP:::0001,0002,00C8", "MP---0123 ab", "MPzzzBEEF", "QQ", "XX"}),
       "OK 3x2 v0 g255 Unknown|Unknown|Unknown ex: tr:1>2,2>3, {2}{3}{200}{291}  ",
       {"[XMAP, TXMap.Load] Too many map lines in MAPX mode.", "[XMAP, TXMap.Load] Unknown identifier in MAPX mode. (QQ)"}},
      // Short binary bodies give what the data holds: a 255 x 255 body with two cells...
      {{'M', 'A', 'P', 'W', 255, 255, 'a', 0, 'b', 0, 'c'},
       "OK 255x255 v0 g255 Unknown|Unknown|Unknown ex: tr(off): ab{0*65023}", {endsEarly}},
      // ...a pair count of 500 with one pair present, which is applied...
      {{'M', 'A', 'P', 'W', 1, 1, 'a', 0, 0, 0, 0, 0xF4, 0x01, 'a', 0, 'q', 0, 'r'},
       "OK 1x1 v0 g255 Unknown|Unknown|Unknown ex: tr:97>113, q", {endsEarly}},
      // ...a text running past the end, and a header without a size.
      {{'M', 'A', 'P', 'B', 1, 1, '#', 200, 'x', 'y'}, "OK 1x1 v0 g255 Unknown|Unknown|Unknown ex: tr(off): #", {endsEarly}},
      {{'M', 'A', 'P', 'B', 7}, "OK unloaded v0 g255 Unknown|Unknown|Unknown ex: tr(off): ", {endsEarly}},
  };
  for (const Case& c : cases) {
    LogCapture log;
    EXPECT_EQ(Describe(LoadBytes(c.bytes)), c.record) << std::string(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(log.lines, c.log) << c.record;
  }
}

TEST(XMapLoad, FormTTwelveRowsAndTexts) {
  std::vector<std::string> lines = {"WI20", "HE12", "MNFirst Steps", "AUSomebody", "GMplain", "EXone", "EXtwo"};
  for (int y = 0; y < 12; ++y) lines.push_back("MP" + std::string(20, static_cast<char>('A' + y)));
  lines[7] = "MP#*  $";                    // short row: padded with code 32
  lines[8] = "MP" + std::string(25, '@');  // long row: cut to 20, the next row untouched
  lines.push_back("XX");
  LogCapture log;
  TXMap map = LoadBytes(Text('T', lines));
  EXPECT_TRUE(log.lines.empty());
  std::string rows = "#*  ${32*15}{64*20}";
  for (char c = 'C'; c <= 'L'; ++c) rows += "{" + std::to_string(c) + "*20}";
  EXPECT_EQ(Describe(map), "OK 20x12 v0 g255 First Steps|Somebody|plain ex:one,two, tr(off): " + rows);
  EXPECT_EQ(map.WorkingCells, std::vector<uint16_t>(240, 0));  // filled by activation, not by Load
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

TEST(XMapLoad, SignaturesAndReloadKeepOtherFields) {
  LogCapture log;
  TXMap map = LoadBytes(Text('T', {"WI2", "HE1", "LWa 98", "MPab", "EXx", "XX"}));
  EXPECT_EQ(Cells(map.FileCells), "bb");
  // A reload releases the cells and extras but keeps the pairs, which still apply.
  map = LoadBytes(Text('T', {"WI3", "HE1", "MPabc", "MNkept", "XX"}), std::move(map));
  EXPECT_EQ(Describe(map), "OK 3x1 v0 g255 kept|Unknown|Unknown ex: tr:97>98, bbc");
  map = LoadBytes({'M', 'O', 'P', '?'}, std::move(map));
  EXPECT_EQ(Describe(map), "Not an XMAP file! unloaded v0 g255 kept|Unknown|Unknown ex: tr:97>98, ");
  EXPECT_TRUE(log.lines.empty());
  EXPECT_EQ(LoadBytes({'M', 'A'}).Status, "Not an XMAP file!");
  map = LoadBytes({'M', 'A', 'P', 'C', 1, 2, 3});
  EXPECT_EQ(Describe(map), "OK unloaded v0 g255 Unknown|Unknown|Unknown ex: tr(off): ");
  EXPECT_EQ(LoadBytes({'M', 'A', 'P', 'Z'}).Status, "OK");
  EXPECT_EQ(log.lines, std::vector<std::string>(
                           {"[XMAP, TXMap.Load] The MAPC format no longer supported. Use MAPP for compressed maps.",
                            "[XMAP, TXMap.Load] XMAP.Load: Unknown DFS byte! (Z)"}));
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
  EXPECT_EQ(Describe(map), "OK 4x3 v0 g255 Map|Au|Unknown ex:e1,z, tr:46>120, #*$#x@!{35*5}");
}

TEST(XMapWriter, PinnedBytesAndReadBack) {
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
  TXMap original = LoadBytes(WithHeader('B', kBodyB));
  TXMap copy = LoadBytes(WriteXMapBinary(original, false));
  EXPECT_EQ(std::make_tuple(copy.FileCells, copy.MapName, copy.Author, copy.Extras),
            std::make_tuple(original.FileCells, original.MapName, original.Author, original.Extras));
}

// Damaged maps never crash, hang or read outside their buffers (run under the
// sanitizer build): every valid form cut at every length and mutated with a
// fixed-seed generator.
std::vector<Bytes> ValidMaps() {
  TXMap map;
  map.PadTo(20, 12, '#');
  map.FileCells[21] = '*';
  map.MapName = "damaged";
  map.Author = "tests";
  map.GmText = std::string("\x01\x05\x08") + "gm";
  map.Translations = {{'#', 200}, {'.', 0x1234}};
  map.Extras = {"one", "two"};
  std::vector<Bytes> maps = {WriteXMapBinary(map, false), WriteXMapBinary(map, true)};
  for (int wide = 0; wide < 2; ++wide)
    maps.push_back(WithHeader(wide ? 'Q' : 'P', ZRCompress(std::span<const uint8_t>(maps[wide]).subspan(4))));
  std::vector<std::string> rows = {"WI20", "HE3", "MNt", "LW#200.  1", "EXe", "GM\x01\x05\x08g"};
  for (int y = 0; y < 3; ++y) rows.push_back("MP" + std::string(20, '#'));
  rows.push_back("XX");
  maps.push_back(Text('T', rows));
  maps.push_back(Text('X', {"WI3", "HE2", "LW   35  200", "MP   0023 0024 0025", "MP   FFFF 0000 1234", "XX"}));
  return maps;
}

void ExpectConsistent(const TXMap& map) {
  ASSERT_EQ(map.FileCells.size(), map.Loaded ? static_cast<size_t>(map.Width) * map.Height : 0u);
  ASSERT_EQ(map.WorkingCells.size(), map.FileCells.size());
  ASSERT_LE(map.Extras.size(), TXMap::kMaxExtras);
  ASSERT_LE(map.MapName.size(), 255u);
  ASSERT_LT(map.Version, 1024);
}

TEST(DamagedInput, EveryTruncationOfEveryForm) {
  LogCapture quiet;
  for (const Bytes& valid : ValidMaps()) {
    ASSERT_TRUE(LoadBytes(valid).Loaded) << std::string(valid.begin(), valid.begin() + 4);
    for (size_t length = 0; length <= valid.size(); ++length)
      ExpectConsistent(LoadBytes(Bytes(valid.begin(), valid.begin() + length)));
  }
}

TEST(DamagedInput, SeededMutationsOfEveryForm) {
  LogCapture quiet;
  uint32_t state = 12345;
  auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 8; };
  for (const Bytes& valid : ValidMaps()) {
    for (int round = 0; round < 400; ++round) {
      Bytes bytes = valid;
      for (int i = 0, flips = 1 + static_cast<int>(next() % 6); i < flips; ++i) {
        size_t at = 4 + next() % (bytes.size() - 4);  // keep the form, damage the body
        bytes[at] = static_cast<uint8_t>(next());
      }
      if (next() % 4 == 0) bytes.resize(4 + next() % (bytes.size() - 4));
      TXMap map = LoadBytes(bytes);
      ExpectConsistent(map);
      ExpectConsistent(LoadBytes(bytes, std::move(map)));  // loading over a record stays consistent too
    }
  }
}

TEST(DamagedInput, MapSourceOfArbitraryBytes) {
  uint32_t state = 99;
  auto next = [&state] { return state = state * 1664525u + 1013904223u; };
  const char alphabet[] = "#%*!$ .\n\r:nameuthorsl";
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int i = 0, length = static_cast<int>(next() >> 22); i < length; ++i)
      text.push_back((next() >> 24) % 5 == 0 ? static_cast<char>(state >> 16) : alphabet[(state >> 16) % (sizeof alphabet - 1)]);
    TMapSource map;
    std::vector<TSourceProblem> problems;
    if (ParseMapSource(text, map, problems)) EXPECT_EQ(map.Rows.size(), 12u);
    else EXPECT_FALSE(problems.empty());
  }
}

}  // namespace
}  // namespace quarry
