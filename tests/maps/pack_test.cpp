// Map packs (member numbering, gaps, padding of small records), the authors'
// text map format, the pack description, and quarry-pack and madtool map end to end.
#include <gtest/gtest.h>

#include <cstdio>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "core/stream.h"
#include "maps/map_pack.h"
#include "maps/map_source.h"
#include "maps/pack_info.h"
#include "maps/xmap_write.h"
#include "test_support.h"

namespace quarry {
namespace {

using Bytes = std::vector<uint8_t>;

// A text-form map of the given size whose first cell is mark.
Bytes TextMap(int width, int height, char mark, const std::string& name) {
  std::string text = "MAPT\r\nWI" + std::to_string(width) + "\r\nHE" + std::to_string(height) + "\r\nMN" + name +
                     "\r\nAUby " + name + "\r\n";
  for (int y = 0; y < height; ++y) text += "MP" + std::string(1, y == 0 ? mark : '.') + std::string(width - 1, '#') + "\r\n";
  text += "XX\r\n";
  return {text.begin(), text.end()};
}

void WritePack(const std::string& path, const std::vector<std::pair<std::string, Bytes>>& members) {
  TMADWrite writer(path);
  for (const auto& [name, bytes] : members) writer.AddBytes(bytes, name);
  ASSERT_TRUE(writer.Done());
}

TEST(MapPack, NumberingGapsMissingFilesAndPadding) {
  EXPECT_EQ(std::vector<std::string>({MapMemberName(1), MapMemberName(100), MapMemberName(1000)}),
            std::vector<std::string>({"001.mpp", "100.mpp", "1000.mpp"}));
  TempDir dir;
  std::string pack = dir / "gap.qs";
  std::vector<std::pair<std::string, Bytes>> members;
  // Stored out of order: the numbers, not the archive order, give the order; the gap at 118 ends the pack.
  for (int n = 120; n >= 1; --n)
    if (n != 118)
      members.push_back({n == 2 ? "002.MPP" : MapMemberName(n), TextMap(20, 12, n == 2 ? 'b' : '.', "map " + std::to_string(n))});
  WritePack(pack, members);
  LogCapture log;
  TMaps maps;
  ASSERT_TRUE(maps.Load(pack));
  ASSERT_EQ(maps.Count(), 117);
  for (int i = 0; i < 117; ++i) EXPECT_EQ(maps.GetMapName(i), "map " + std::to_string(i + 1));
  EXPECT_EQ(std::vector<std::string>({maps.GetMapAuthor(1), maps.GetMapName(117), maps.GetMapName(-1)}),
            std::vector<std::string>({"by map 2", "", ""}));
  EXPECT_EQ(maps.Map(1).FileCell(0, 0), 'b');
  EXPECT_TRUE(log.Has("(MAP, TMaps.Load) Loading map file (" + pack + ")"));
  EXPECT_EQ(log.lines.back(), "(MAP, TMaps.Load) 117 maps loaded.");

  // Without 001 the pack is empty; a missing file fails.
  WritePack(pack = dir / "nofirst.qs", {{"002.mpp", TextMap(20, 12, 'b', "two")}, {"info", {'x'}}});
  TMaps none, missing;
  EXPECT_TRUE(none.Load(pack));
  EXPECT_EQ(std::make_tuple(none.Count(), log.lines.back()), std::make_tuple(0, "(MAP, TMaps.Load) 0 maps loaded."));
  log.lines.clear();
  EXPECT_FALSE(missing.Load(dir / "absent.qs"));
  EXPECT_EQ(std::make_tuple(missing.Count(), log.lines),
            std::make_tuple(0, std::vector<std::string>({"{MAP, TMaps.Load} Can't open map file! (" + dir / "absent.qs" + ")"})));

  // Every form; small and broken records padded with walls.
  TXMap source;
  source.PadTo(20, 12, '.');
  source.FileCells[0] = '*';
  source.MapName = "binary";
  WritePack(dir / "p.qs", {{"001.mpp", TextMap(5, 3, '*', "small")}, {"002.mpp", {'n', 'o', 't'}},
                           {"003.mpp", TextMap(30, 14, '*', "big")}, {"004.mpp", WriteXMapBinary(source, false)},
                           {"005.mpp", WriteXMapBinary(source, true)}});
  TMaps five;
  ASSERT_TRUE(five.Load(dir / "p.qs"));
  ASSERT_EQ(five.Count(), 5);
  std::vector<uint16_t> small(240, '#');  // the 5 x 3 cells in the corner, walls around
  small[0] = '*';
  small[20] = small[40] = '.';
  EXPECT_EQ(std::make_tuple(five.Map(0).Width, five.Map(0).Height, five.Map(0).FileCells, five.Map(0).WorkingCells.size()),
            std::make_tuple(20, 12, small, 240u));
  EXPECT_TRUE(log.Has("[MAP, TMaps.Load] Map 1 is smaller than 20 x 12 (5 x 3), padded with walls."));
  EXPECT_EQ(five.Map(1).Status, "Not an XMAP file!");  // the status is kept for the caller
  EXPECT_EQ(five.Map(1).FileCells, std::vector<uint16_t>(240, '#'));
  EXPECT_EQ(std::make_tuple(five.Map(2).Width, five.Map(2).Height), std::make_tuple(30, 14));  // larger ones stay
  for (int i = 3; i < 5; ++i)
    EXPECT_EQ(std::make_tuple(five.Map(i).FileCells, five.GetMapName(i)), std::make_tuple(source.FileCells, "binary"));
}

std::string Source(const std::vector<std::string>& rows, const std::string& header = "name: N\nauthor: A\n",
                   const std::string& footer = "") {
  std::string text = header;
  for (const std::string& row : rows) text += row + "\n";
  return text + footer;
}

std::vector<std::string> GoodRows() {
  std::vector<std::string> rows(12, "#" + std::string(18, ' ') + "#");
  rows[0] = std::string(20, '#');
  rows[1] = "#*   $        @    #";
  rows[10] = "#                 !#";
  rows[11] = std::string(20, '%');
  return rows;
}

// The problems of a map source (or of a pack description), as "line: message" joined by " / ".
std::string Problems(const std::string& text, bool pack = false) {
  TMapSource map;
  TPackSource info;
  std::vector<TSourceProblem> problems;
  EXPECT_FALSE(pack ? ParsePackSource(text, info, problems) : ParseMapSource(text, map, problems));
  std::string s;
  for (const TSourceProblem& p : problems) s += (s.empty() ? "" : " / ") + std::to_string(p.Line) + ": " + p.Message;
  return s;
}

// The good map with one character changed; row 0 is on line 3.
std::string Changed(int row, int column, char c) {
  std::vector<std::string> rows = GoodRows();
  rows[row][column] = c;
  return Source(rows);
}

TEST(MapSource, GoodMapWithSolutionAndComments) {
  TMapSource map;
  std::vector<TSourceProblem> problems;
  ASSERT_TRUE(ParseMapSource(Source(GoodRows(), "; c\nname:  The Map \r\nAuthor: Me\n\n", "\nsolution: RR\nsolution:DD\n"),
                             map, problems));
  EXPECT_EQ(std::make_tuple(map.Name, map.Author, map.Solution, map.RowLines.front()),
            std::make_tuple("The Map", "Me", "RR\nDD", 5));
  TXMap record = MapSourceToXMap(map);
  EXPECT_EQ(std::make_tuple(record.Width, record.Height, record.MapName, record.FileCell(1, 1), record.FileCell(14, 1),
                            record.FileCell(0, 11)),
            std::make_tuple(20, 12, "The Map", '*', '@', '%'));
}

TEST(MapSource, EachProblemNamesItsLine) {
  std::vector<std::string> rows = GoodRows();
  rows[3].pop_back();
  rows.resize(11);
  EXPECT_EQ(Problems(Source(rows)), "13: expected 12 map rows, found 11 / 6: row is 19 characters wide, expected 20");
  EXPECT_EQ(Problems(Changed(4, 3, 'x')), "7: unknown element character 'x' in column 4");
  EXPECT_EQ(Problems(Changed(4, 3, '\t')), "7: unknown element character byte 0x09 in column 4");
  EXPECT_EQ(Problems(Changed(5, 19, ' ')), "8: the border must be '#' or '%', found ' ' in column 20");
  EXPECT_EQ(Problems(Changed(0, 7, '!')), "3: the border must be '#' or '%', found '!' in column 8");
  EXPECT_EQ(Problems(Changed(6, 5, '*')), "9: a second player start '*' in column 6 (the first is on line 4)");
  EXPECT_EQ(Problems(Changed(1, 1, ' ')), "14: the map has no player start '*'");
  EXPECT_EQ(Problems(Changed(10, 18, ' ')), "14: the map has no exit '!'");
  EXPECT_EQ(Problems(Source(GoodRows()) + std::string(20, '%')), "15: more than 12 map rows");

  EXPECT_EQ(Problems(Source(GoodRows(), "author: A\n")), "13: missing 'name:' line");
  EXPECT_EQ(Problems(Source(GoodRows(), "name: N\nname: M\nauthor: A\n")), "2: duplicate 'name:' line");
  EXPECT_EQ(Problems(Source(GoodRows(), "name: N\nauthor:\n")), "2: 'author:' has no text");
  EXPECT_EQ(Problems(Source(GoodRows(), "name: N\nauthor: A\ntitle: T\n")), "3: unknown key 'title:'");

  // Bounded: twenty problems and "too many errors", or one for a text larger than any map.
  std::vector<std::string> bad = GoodRows();
  bad[2] = "#" + std::string(18, 'x') + "#";
  bad[3] = bad[2];
  std::string many = Problems(Source(bad));
  EXPECT_EQ(std::count(many.begin(), many.end(), '/'), 20) << many;
  EXPECT_EQ(many.substr(many.size() - 21), " / 6: too many errors") << many;
  EXPECT_EQ(Problems(std::string((1 << 20) + 1, '\n')), "1: 1048577 bytes, larger than any map source (at most 1048576)");
}

TEST(PackInfo, DescriptionSourceAndWrittenBytes) {
  TPackSource pack;
  std::vector<TSourceProblem> problems;
  ASSERT_TRUE(ParsePackSource("title: Big One\r\n; note\nauthor: Me\n", pack, problems));
  EXPECT_EQ(std::make_tuple(pack.Title, pack.Author), std::make_tuple("Big One", "Me"));
  EXPECT_EQ(Problems("title: X\nsome text\n", true), "2: expected 'title:' or 'author:' / 2: missing 'author:' line");

  std::string text = WritePackInfo("T", "A", 3);
  EXPECT_EQ(text, "Quarrystar level pack\r\nT\r\nA\r\n\r\n\r\n0\r\n1\r\n2\r\n!END\r\n");
  TMemoryStream stream(text.data(), text.size());
  TPackInfo info = ReadPackInfo(stream);
  EXPECT_EQ(std::make_tuple(info.Title, info.Author, info.MapNumbers),
            std::make_tuple("T", "A", std::vector<int>({0, 1, 2})));
  text = "x\r\n Title \r\nBy\r\n\r\n\r\n 4 \r\n1\r\n\r\n9\r\n";  // an empty line ends the list
  TMemoryStream other(text.data(), text.size());
  info = ReadPackInfo(other);
  EXPECT_EQ(std::make_tuple(info.Title, info.MapNumbers), std::make_tuple(std::string("Title"), std::vector<int>({4, 1})));
}

namespace fs = std::filesystem;

struct Output {
  int exitCode;
  std::string text;  // standard output and error together
};

Output RunTool(const std::string& program, const std::string& arguments) {
  Output result{-1, ""};
  char buffer[512];
  if (std::FILE* pipe = ::popen((program + " " + arguments + " 2>&1").c_str(), "r")) {
    while (std::fgets(buffer, sizeof buffer, pipe)) result.text += buffer;
    int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return result;
}

// A pack built from sources, read back through the game's loaders, quarry-pack --list and madtool.
TEST(QuarryPack, BuildsAPackTheLoadersAndMadtoolReadBack) {
  TempDir dir;
  std::string pack = dir / "sample.qs";
  Output built = RunTool(QUARRY_PACK_EXE, std::string(SAMPLE_PACK_DIR) + " " + pack);
  ASSERT_EQ(built.exitCode, 0) << built.text;

  TMaps maps;
  ASSERT_TRUE(maps.Load(pack));
  ASSERT_EQ(maps.Count(), 2);
  const char* files[] = {"01-first.map", "02-second.map"};
  for (int i = 0; i < 2; ++i) {
    TMapSource source;
    std::vector<TSourceProblem> problems;
    ASSERT_TRUE(ParseMapSource(ReadFileBytes(fs::path(SAMPLE_PACK_DIR) / files[i]), source, problems));
    const TXMap& map = maps.Map(i);
    EXPECT_EQ(std::make_tuple(map.Status, map.MapName, map.Author, map.FileCells),
              std::make_tuple("OK", source.Name, source.Author, MapSourceToXMap(source).FileCells));
  }

  TMad archive(pack);
  std::vector<uint8_t> info = archive.OpenPointer("info");
  EXPECT_EQ(std::string(info.begin(), info.end()),
            "Quarrystar level pack\r\nTest Quarry\r\nQuarrystar tests\r\n\r\n\r\n0\r\n1\r\n!END\r\n");
  std::vector<uint8_t> first = archive.OpenPointer("001.mpp");
  first.resize(6);  // a shorter member compares with its zero padding
  EXPECT_EQ(std::string(first.begin(), first.end()), std::string("MAPB\x14\x0C"));

  Output listed = RunTool(QUARRY_PACK_EXE, "--list " + pack);
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_EQ(listed.text, "title: Test Quarry\nauthor: Quarrystar tests\n1\tFirst Steps\tTester One\n2\tSecond\tTester Two\n");

  // madtool map shows the nth map of a pack and refuses a missing or bad number.
  Output shown = RunTool(MADTOOL_EXE, "map " + pack + " 2");
  EXPECT_EQ(shown.exitCode, 0);
  EXPECT_NE(shown.text.find("\"name\":\"Second\", \"author\":\"Tester Two\""), std::string::npos) << shown.text;
  EXPECT_EQ(RunTool(MADTOOL_EXE, "map " + pack + " 3").exitCode, 2);
  EXPECT_EQ(RunTool(MADTOOL_EXE, "map " + pack + " x").exitCode, 2);
}

TEST(QuarryPack, EveryProblemIsReportedAndNothingIsWritten) {
  TempDir dir;
  fs::path source = dir.Path() / "src";
  fs::copy(SAMPLE_PACK_DIR, source);
  std::string second = ReadFileBytes(source / "02-second.map");
  second.replace(second.find("$"), 1, "Q");
  second.replace(second.find("!"), 1, " ");
  WriteFileBytes(source / "02-second.map", second);
  WriteFileBytes(source / "pack.txt", "title: T\n");

  Output result = RunTool(QUARRY_PACK_EXE, source.string() + " " + dir / "out.qs");
  EXPECT_EQ(result.exitCode, 1);
  std::string map2 = (source / "02-second.map").string();
  for (const std::string& line : {(source / "pack.txt").string() + ":1: missing 'author:' line",
                                  map2 + ":8: unknown element character 'Q' in column 10",
                                  map2 + ":14: the map has no exit '!'"})
    EXPECT_NE(result.text.find(line), std::string::npos) << result.text;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.Path()))
    EXPECT_NE(entry.path().extension(), ".qs") << entry.path();

  // An empty folder and bad arguments.
  fs::create_directories(dir.Path() / "empty");
  WriteFileBytes(dir.Path() / "empty" / "pack.txt", "title: T\nauthor: A\n");
  result = RunTool(QUARRY_PACK_EXE, (dir.Path() / "empty").string() + " " + dir / "x.qs");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.text.find("no map files (*.map)"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "x.qs"));
  EXPECT_EQ(RunTool(QUARRY_PACK_EXE, "").exitCode, 2);
  EXPECT_EQ(RunTool(QUARRY_PACK_EXE, "--list " + dir / "none.qs").exitCode, 1);
  EXPECT_EQ(RunTool(QUARRY_PACK_EXE, "--help").exitCode, 0);
}

TEST(MadtoolMap, MapFileAsJson) {
  TempDir dir;
  WriteFileBytes(dir / "m.xmp",
                 "MAPT\r\nWI3\r\nHE2\r\nMNa\"b\\\xE9\r\nGM\x01\x05\x08g\r\nEXx\r\nLW#200\r\nMP#*!\r\nMP\x01\r\nXX\r\n");
  Output out = RunTool(MADTOOL_EXE, "map " + dir / "m.xmp");
  EXPECT_EQ(out.exitCode, 0);
  EXPECT_EQ(out.text,
            "{\"status\":\"OK\", \"loaded\":true, \"width\":3, \"height\":2, \"name\":\"a\\\"b\\\\\\u00E9\", "
            "\"author\":\"Unknown\", \"gm\":\"g\", \"version\":5, \"gameid\":2, \"extras\":[\"x\"], "
            "\"translations\":[[35,200]], \"cells\":[[200,42,33],[1,32,32]]}\n");

  WriteFileBytes(dir / "c.xmp", "MAPC");  // an unloaded record still prints, with no cells
  out = RunTool(MADTOOL_EXE, "map " + dir / "c.xmp");
  EXPECT_EQ(out.exitCode, 0);
  EXPECT_NE(out.text.find("\"loaded\":false, \"width\":0"), std::string::npos) << out.text;
  EXPECT_NE(out.text.find("\"cells\":[]}"), std::string::npos) << out.text;
}

TEST(QuarryPack, HostileSourcesAreBoundedAndLinksNotFollowed) {
  TempDir dir;
  fs::path source = dir.Path() / "src";
  fs::copy(SAMPLE_PACK_DIR, source);
  // 100000 rows too many: twenty lines, then "too many errors".
  std::string rows;
  for (int i = 0; i < 100000; ++i) rows += "#\n";
  WriteFileBytes(source / "03-long.map", ReadFileBytes(source / "01-first.map") + rows);
  Output result = RunTool(QUARRY_PACK_EXE, source.string() + " " + dir / "out.qs");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(std::count(result.text.begin(), result.text.end(), '\n'), 22) << result.text.substr(0, 2000);
  EXPECT_NE(result.text.find("\ntoo many errors\n"), std::string::npos) << result.text.substr(0, 2000);

  // A 2 MiB file is refused unread (a hole: no disk space taken).
  fs::remove(source / "03-long.map");
  { std::ofstream big(source / "03-big.map"); }
  fs::resize_file(source / "03-big.map", 2 << 20);
  result = RunTool(QUARRY_PACK_EXE, source.string() + " " + dir / "out.qs");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.text.find("03-big.map:1: 2097152 bytes, larger than any map source (at most 1048576)\n1 problem"),
            std::string::npos) << result.text.substr(0, 2000);

  fs::remove(source / "03-big.map");
  WriteFileBytes(dir / "victim", "keep");
  EXPECT_EQ(RunWithPlantedFiles(dir.Path(), {QUARRY_PACK_EXE, source.string(), "out.qs"}, [&](pid_t pid) {
              fs::create_symlink(dir / "victim", dir / ("out.qs.part" + std::to_string(pid)));
            }), 0);
  EXPECT_EQ(ReadFileBytes(dir / "victim"), "keep");
  EXPECT_TRUE(TMaps().Load(dir / "out.qs"));
}

}  // namespace
}  // namespace quarry
