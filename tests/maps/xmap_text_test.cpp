// The text forms T and X.
#include <gtest/gtest.h>

#include "maps/xmap.h"
#include "test_support.h"

namespace quarry {
namespace {

// Builds a text-form file: "MAP" + form, the line break, then each line with CR LF.
std::vector<uint8_t> TextMap(char form, const std::vector<std::string>& lines, bool endLine = true) {
  std::string text = std::string("MAP") + form + "\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  if (endLine) text += "XX\r\n";
  return Bytes(text);
}

TXMap LoadBytes(const std::vector<uint8_t>& bytes) {
  TXMap map;
  TMemoryStream stream = StreamOf(bytes);
  map.Load(stream);
  return map;
}

std::vector<std::string> TwelveRows() {
  std::vector<std::string> rows;
  for (int y = 0; y < 12; ++y) rows.push_back("MP" + std::string(20, static_cast<char>('A' + y)));
  return rows;
}

TEST(XMapFormT, WidthHeightTwelveRowsAndTexts) {
  std::vector<std::string> lines = {"WI20", "HE12", "MNFirst Steps", "AUSomebody", "GMplain", "EXone", "EXtwo"};
  for (const std::string& row : TwelveRows()) lines.push_back(row);
  lines[7] = "MP#*  $";                              // short row: padded with code 32
  lines[8] = "MP" + std::string(25, '@');            // long row: cut to 20
  LogCapture log;
  TXMap map = LoadBytes(TextMap('T', lines));
  EXPECT_TRUE(log.lines.empty());
  EXPECT_EQ(map.Status, "OK");
  ASSERT_TRUE(map.Loaded);
  ASSERT_EQ(map.Width, 20);
  ASSERT_EQ(map.Height, 12);
  ASSERT_EQ(map.FileCells.size(), 240u);
  ASSERT_EQ(map.WorkingCells.size(), 240u);
  EXPECT_EQ(map.FileCell(0, 0), '#');
  EXPECT_EQ(map.FileCell(1, 0), '*');
  EXPECT_EQ(map.FileCell(4, 0), '$');
  EXPECT_EQ(map.FileCell(5, 0), 32);
  EXPECT_EQ(map.FileCell(19, 0), 32);
  EXPECT_EQ(map.FileCell(19, 1), '@');
  EXPECT_EQ(map.FileCell(0, 2), 'C');  // the third row is untouched by the long one
  EXPECT_EQ(map.FileCell(19, 11), 'L');
  EXPECT_EQ(map.WorkingCells[0], 0);   // filled by activation, not by Load
  EXPECT_EQ(map.MapName, "First Steps");
  EXPECT_EQ(map.Author, "Somebody");
  EXPECT_EQ(map.GmText, "plain");
  EXPECT_EQ(map.Extras, std::vector<std::string>({"one", "two"}));
  EXPECT_EQ(map.Version, 0);
  EXPECT_EQ(map.GameID, 255);
}

TEST(XMapFormT, MissingRowStaysZeroAndSurplusRowIsIgnored) {
  std::vector<std::string> lines = {"WI3", "HE2", "MPabc"};
  TXMap map = LoadBytes(TextMap('T', lines));
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({'a', 'b', 'c', 0, 0, 0}));

  lines = {"WI3", "HE2", "MPabc", "MPdef", "MPxyz"};
  LogCapture log;
  map = LoadBytes(TextMap('T', lines));
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({'a', 'b', 'c', 'd', 'e', 'f'}));
  EXPECT_EQ(log.lines, std::vector<std::string>({"[XMAP, TXMap.Load] Too many map lines in MAPT mode."}));
}

TEST(XMapFormT, TranslationsAreAppliedOncePerCellInListOrder) {
  TXMap map = LoadBytes(TextMap('T', {"WI4", "HE1", "LW#200", "MP#.#@"}));
  EXPECT_TRUE(map.HasTranslations);
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({200, '.', 200, '@'}));

  // Groups of 4 while 4 characters remain; a 3-character tail is dropped.
  map = LoadBytes(TextMap('T', {"WI4", "HE1", "LW.  7@ 12xyz", "MP#.#@"}));
  ASSERT_EQ(map.Translations.size(), 2u);
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({'#', 7, '#', 12}));
}

TEST(XMapFormT, MissingSizesGiveDefaultsWithWarnings) {
  LogCapture log;
  TXMap map = LoadBytes(TextMap('T', {"HE2", "MPab"}));
  EXPECT_EQ(map.Width, 32);
  EXPECT_EQ(map.Status, "Map width is not specified in file!");
  EXPECT_EQ(map.FileCells.size(), 64u);
  EXPECT_EQ(map.FileCell(2, 0), 32);
  EXPECT_EQ(map.FileCell(0, 1), 0);
  EXPECT_EQ(log.lines, std::vector<std::string>({"[XMAP, TXMap.Load] Map width is not specified!"}));

  log.lines.clear();
  map = LoadBytes(TextMap('T', {"MPab"}));
  EXPECT_EQ(map.Width, 32);
  EXPECT_EQ(map.Height, 20);
  EXPECT_EQ(map.Status, "Map width is not specified in file!");
  EXPECT_EQ(log.lines, std::vector<std::string>({"[XMAP, TXMap.Load] Map height is not specified!",
                                                 "[XMAP, TXMap.Load] Map width is not specified!"}));

  map = LoadBytes(TextMap('T', {"WI2", "MPab"}));
  EXPECT_EQ(map.Height, 20);
  EXPECT_EQ(map.Status, "Map height is not specified in file!");
}

TEST(XMapFormT, SizeNumbersAndUnknownKeys) {
  LogCapture log;
  TXMap map = LoadBytes(TextMap('T', {"WI$10", "HE258", "ZZtop", "MPx"}));
  EXPECT_EQ(map.Width, 16);
  EXPECT_EQ(map.Height, 2);  // low 8 bits of 258
  EXPECT_EQ(log.lines, std::vector<std::string>({"[XMAP, TXMap.Load] Unknown identifier in MAPT mode. (ZZ)"}));
  // Not a number reads as 0, which the first row turns into the default.
  map = LoadBytes(TextMap('T', {"WI12a", "HE1", "MPx"}));
  EXPECT_EQ(map.Width, 32);
}

TEST(XMapFormT, PackedVersionInGmText) {
  TXMap map = LoadBytes(TextMap('T', {std::string("GM\x01\x05\x08") + "Quarry", "WI1", "HE1", "MP."}));
  EXPECT_EQ(map.Version, 5);
  EXPECT_EQ(map.GameID, 2);
  EXPECT_EQ(map.GmText, "Quarry");
}

TEST(XMapFormT, EndOfInputWithoutEndLine) {
  TXMap map = LoadBytes(TextMap('T', {"WI2", "HE2", "MPab", "MNno end"}, false));
  EXPECT_EQ(map.Status, "OK");
  EXPECT_EQ(map.MapName, "no end");
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({'a', 'b', 0, 0}));
}

TEST(XMapFormT, SizeKeysAfterTheFirstRowCannotGrowTheRows) {
  LogCapture log;
  TXMap map = LoadBytes(TextMap('T', {"WI2", "HE2", "MPab", "WI200", "HE200", "MPcdefgh", "MPij"}));
  EXPECT_EQ(map.Width, 2);
  EXPECT_EQ(map.Height, 2);
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({'a', 'b', 'c', 'd'}));
  EXPECT_EQ(log.lines.size(), 3u);  // two refused size keys, one surplus row
}

TEST(XMapFormT, TooManyExtrasAreNotStored) {
  std::vector<std::string> lines = {"WI1", "HE1", "MP."};
  for (int i = 0; i < 300; ++i) lines.push_back("EX" + std::to_string(i));
  TXMap map = LoadBytes(TextMap('T', lines));
  ASSERT_EQ(map.ExtraCount(), 256);
  EXPECT_EQ(map.Extras.back(), "255");
}

TEST(XMapFormX, HexCellsNumericPairsAndShortRows) {
  LogCapture log;
  TXMap map = LoadBytes(TextMap('X', {"WI3", "HE2", "LW    1    2    2    3", "MP:::0001,0002,00C8",
                                      "MP---0123 ab", "MPzzzBEEF", "QQ"}));
  ASSERT_TRUE(map.Loaded);
  // (1,2),(2,3): 1 becomes 2 and stops there; the original 2 becomes 3.
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({2, 3, 200, 0x123, 32, 32}));
  EXPECT_EQ(log.lines, std::vector<std::string>({"[XMAP, TXMap.Load] Too many map lines in MAPX mode.",
                                                 "[XMAP, TXMap.Load] Unknown identifier in MAPX mode. (QQ)"}));
}

TEST(XMapSignature, NotAnXMapCAndUnknownForms) {
  LogCapture log;
  TXMap map = LoadBytes(TextMap('T', {"WI1", "HE1", "MP#", "MNkept"}));
  ASSERT_TRUE(map.Loaded);
  TMemoryStream notMap = StreamOf(Bytes("MOP?"));
  map.Load(notMap);
  EXPECT_EQ(map.Status, "Not an XMAP file!");
  EXPECT_FALSE(map.Loaded);
  EXPECT_TRUE(map.FileCells.empty());
  EXPECT_EQ(map.MapName, "kept");  // other fields keep their values
  EXPECT_TRUE(log.lines.empty());

  TMemoryStream tooShort = StreamOf(Bytes("MA"));
  map.Load(tooShort);
  EXPECT_EQ(map.Status, "Not an XMAP file!");

  TMemoryStream mapc = StreamOf(Bytes("MAPC\x01\x02\x03"));
  map.Load(mapc);
  EXPECT_EQ(map.Status, "OK");
  EXPECT_FALSE(map.Loaded);
  EXPECT_EQ(map.MapName, "Unknown");
  TMemoryStream mapz = StreamOf(Bytes("MAPZ"));
  map.Load(mapz);
  EXPECT_EQ(map.Status, "OK");
  EXPECT_EQ(log.lines,
            std::vector<std::string>(
                {"[XMAP, TXMap.Load] The MAPC format no longer supported. Use MAPP for compressed maps.",
                 "[XMAP, TXMap.Load] XMAP.Load: Unknown DFS byte! (Z)"}));
}

TEST(XMapRecord, VersionAndGameIdLimits) {
  TXMap map;
  LogCapture log;
  map.SetVersion(1023);
  map.SetVersion(1024);
  map.SetGameID(63);
  map.SetGameID(64);
  EXPECT_EQ(map.Version, 1023);
  EXPECT_EQ(map.GameID, 63);
  EXPECT_EQ(log.lines, std::vector<std::string>({"{XMAP, TXMap.SetVersion} Can't set this version number (1024). Max: 1023",
                                                 "{XMAP, TXMap.SetGameID} Invalid gameID! (64, Max: 63)"}));
}

TEST(XMapRecord, ReloadReleasesCellsAndKeepsTranslations) {
  TXMap map;
  TMemoryStream first = StreamOf(TextMap('T', {"WI2", "HE1", "LWa 98", "MPab", "EXx"}));
  map.Load(first);
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({98, 'b'}));
  TMemoryStream second = StreamOf(TextMap('T', {"WI3", "HE1", "MPabc"}));
  map.Load(second);
  // The earlier pairs stay in the list and still apply.
  EXPECT_EQ(map.Translations.size(), 1u);
  EXPECT_EQ(map.FileCells, std::vector<uint16_t>({98, 'b', 'c'}));
  EXPECT_EQ(map.ExtraCount(), 0);
}

}  // namespace
}  // namespace quarry
