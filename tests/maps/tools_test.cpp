// quarry-pack and madtool map end to end: build a pack from sources, read it
// back through the game's loaders; every validation error names file and line
// and writes nothing.
#include <gtest/gtest.h>

#include <cstdio>

#include "archive/mad.h"
#include "maps/map_pack.h"
#include "maps/map_source.h"
#include "test_support.h"

namespace quarry {
namespace {

namespace fs = std::filesystem;

struct Output {
  int exitCode;
  std::string text;  // standard output and error together
};

Output RunTool(const std::string& program, const std::string& arguments) {
  Output result{-1, ""};
  std::FILE* pipe = ::popen((program + " " + arguments + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) result.text += buffer;
  int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

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
  EXPECT_EQ(maps.GetMapName(0), "First Steps");
  EXPECT_EQ(maps.GetMapAuthor(1), "Tester Two");

  TMad archive(pack);
  std::vector<uint8_t> info = archive.OpenPointer("info");
  EXPECT_EQ(std::string(info.begin(), info.end()),
            "Quarrystar level pack\r\nTest Quarry\r\nQuarrystar tests\r\n\r\n\r\n0\r\n1\r\n!END\r\n");
  std::vector<uint8_t> first = archive.OpenPointer("001.mpp");
  ASSERT_GE(first.size(), 6u);
  EXPECT_EQ(std::string(first.begin(), first.begin() + 6), std::string("MAPB\x14\x0C"));

  Output listed = RunTool(QUARRY_PACK_EXE, "--list " + pack);
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_EQ(listed.text, "title: Test Quarry\nauthor: Quarrystar tests\n1\tFirst Steps\tTester One\n2\tSecond\tTester Two\n");

  // madtool map shows the nth map of a pack and refuses a missing or bad number.
  Output shown = RunTool(MADTOOL_EXE, "map " + pack + " 2");
  EXPECT_EQ(shown.exitCode, 0);
  EXPECT_NE(shown.text.find("\"name\":\"Second\", \"author\":\"Tester Two\""), std::string::npos) << shown.text;
  EXPECT_NE(shown.text.find("\"cells\":[[37,37,37,37,37,37,37,37,37,37,37,37,37,37,37,37,37,37,37,37],[37,42,32"),
            std::string::npos) << shown.text;
  EXPECT_EQ(RunTool(MADTOOL_EXE, "map " + pack + " 3").exitCode, 2);
  EXPECT_EQ(RunTool(MADTOOL_EXE, "map " + pack + " x").exitCode, 2);
}

TEST(QuarryPack, EveryProblemIsReportedAndNothingIsWritten) {
  TempDir dir;
  fs::path source = dir.Path() / "src";
  fs::create_directories(source);
  for (const char* name : {"pack.txt", "01-first.map", "02-second.map"})
    fs::copy_file(fs::path(SAMPLE_PACK_DIR) / name, source / name);
  // Break map 2 in two ways and the pack description in one.
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
  WriteFileBytes(dir / "m.xmp", "MAPT\r\nWI3\r\nHE2\r\nMNa\"b\\\xE9\r\nGM\x01\x05\x08g\r\nEXx\r\nLW#200\r\nMP#*!\r\nMP\x01\r\nXX\r\n");
  Output out = RunTool(MADTOOL_EXE, "map " + dir / "m.xmp");
  EXPECT_EQ(out.exitCode, 0);
  EXPECT_EQ(out.text,
            "{\"status\":\"OK\", \"loaded\":true, \"width\":3, \"height\":2, \"name\":\"a\\\"b\\\\\\u00E9\", "
            "\"author\":\"Unknown\", \"gm\":\"g\", \"version\":5, \"gameid\":2, \"extras\":[\"x\"], "
            "\"translations\":[[35,200]], \"cells\":[[200,42,33],[1,32,32]]}\n");

  WriteFileBytes(dir / "c.xmp", "MAPC");
  out = RunTool(MADTOOL_EXE, "map " + dir / "c.xmp");
  EXPECT_EQ(out.exitCode, 0);
  EXPECT_NE(out.text.find("\"loaded\":false, \"width\":0"), std::string::npos) << out.text;
  EXPECT_NE(out.text.find("\"cells\":[]}"), std::string::npos) << out.text;
}

}  // namespace
}  // namespace quarry
