// quarry-pack end to end: build a pack from sources, read it back through the
// game's loaders; every validation error names file and line and writes nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "archive/mad.h"
#include "maps/map_pack.h"
#include "maps/map_source.h"
#include "maps/pack_info.h"
#include "test_support.h"

namespace quarry {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int exitCode;
  std::string output;  // standard output and error together
};

RunResult RunPack(const std::string& arguments) {
  std::string command = std::string(QUARRY_PACK_EXE) + " " + arguments + " 2>&1";
  RunResult result{-1, ""};
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) result.output += buffer;
  int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(QuarryPack, BuildsAPackTheLoadersReadBack) {
  TempDir dir;
  std::string pack = dir.File("sample.qs");
  RunResult built = RunPack(std::string(SAMPLE_PACK_DIR) + " " + pack);
  ASSERT_EQ(built.exitCode, 0) << built.output;

  TMaps maps;
  ASSERT_TRUE(maps.Load(pack));
  ASSERT_EQ(maps.Count(), 2);
  const char* files[] = {"01-first.map", "02-second.map"};
  for (int i = 0; i < 2; ++i) {
    TMapSource source;
    std::vector<TSourceProblem> problems;
    ASSERT_TRUE(ParseMapSource(ReadText(fs::path(SAMPLE_PACK_DIR) / files[i]), source, problems));
    const TXMap& map = maps.Map(i);
    EXPECT_EQ(map.Status, "OK");
    EXPECT_EQ(map.MapName, source.Name);
    EXPECT_EQ(map.Author, source.Author);
    EXPECT_EQ(map.FileCells, MapSourceToXMap(source).FileCells);
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

  RunResult listed = RunPack("--list " + pack);
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_EQ(listed.output,
            "title: Test Quarry\nauthor: Quarrystar tests\n1\tFirst Steps\tTester One\n2\tSecond\tTester Two\n");
}

TEST(QuarryPack, EveryProblemIsReportedAndNothingIsWritten) {
  TempDir dir;
  fs::path source = dir.Path() / "src";
  fs::create_directories(source);
  for (const char* name : {"pack.txt", "01-first.map", "02-second.map"})
    fs::copy_file(fs::path(SAMPLE_PACK_DIR) / name, source / name);
  // Break map 2 in two ways and the pack description in one.
  std::string second = ReadText(source / "02-second.map");
  second.replace(second.find("$"), 1, "Q");
  second.replace(second.find("!"), 1, " ");
  WriteText(source / "02-second.map", second);
  WriteText(source / "pack.txt", "title: T\n");

  std::string pack = dir.File("out.qs");
  RunResult result = RunPack(source.string() + " " + pack);
  EXPECT_EQ(result.exitCode, 1);
  std::string map2 = (source / "02-second.map").string();
  EXPECT_NE(result.output.find((source / "pack.txt").string() + ":1: missing 'author:' line"), std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find(map2 + ":8: unknown element character 'Q' in column 10"), std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find(map2 + ":14: the map has no exit '!'"), std::string::npos) << result.output;
  EXPECT_FALSE(fs::exists(pack));
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.Path()))
    EXPECT_NE(entry.path().extension(), ".qs") << entry.path();
}

TEST(QuarryPack, EmptyFolderAndBadArguments) {
  TempDir dir;
  WriteText(dir.Path() / "pack.txt", "title: T\nauthor: A\n");
  RunResult result = RunPack(dir.Path().string() + " " + dir.File("x.qs"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.output.find("no map files (*.map)"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.File("x.qs")));
  EXPECT_EQ(RunPack("").exitCode, 2);
  EXPECT_EQ(RunPack("--list " + dir.File("none.qs")).exitCode, 1);
  EXPECT_EQ(RunPack("--help").exitCode, 0);
}

}  // namespace
}  // namespace quarry
