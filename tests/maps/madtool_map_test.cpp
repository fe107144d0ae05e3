// madtool map: the JSON view of a map file and of a pack's map.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "test_support.h"

namespace quarry {
namespace {

struct Output {
  int exitCode;
  std::string text;
};

Output Capture(const std::string& command) {
  Output result{-1, ""};
  std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) result.text += buffer;
  int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

TEST(MadtoolMap, MapFileAsJson) {
  TempDir dir;
  std::string file = dir.File("m.xmp");
  std::ofstream(file, std::ios::binary) << std::string("MAPT\r\nWI3\r\nHE2\r\nMNa\"b\\\xE9\r\nGM\x01\x05\x08g\r\n"
                                                       "EXx\r\nLW#200\r\nMP#*!\r\nMP\x01\r\nXX\r\n");
  Output out = Capture(std::string(MADTOOL_EXE) + " map " + file);
  EXPECT_EQ(out.exitCode, 0);
  EXPECT_EQ(out.text,
            "{\"status\":\"OK\", \"loaded\":true, \"width\":3, \"height\":2, \"name\":\"a\\\"b\\\\\\u00E9\", "
            "\"author\":\"Unknown\", \"gm\":\"g\", \"version\":5, \"gameid\":2, \"extras\":[\"x\"], "
            "\"translations\":[[35,200]], \"cells\":[[200,42,33],[1,32,32]]}\n");

  std::ofstream(dir.File("c.xmp"), std::ios::binary) << "MAPC";
  out = Capture(std::string(MADTOOL_EXE) + " map " + dir.File("c.xmp"));
  EXPECT_EQ(out.exitCode, 0);
  EXPECT_NE(out.text.find("\"loaded\":false, \"width\":0"), std::string::npos) << out.text;
  EXPECT_NE(out.text.find("\"cells\":[]}"), std::string::npos) << out.text;
}

TEST(MadtoolMap, NthMapOfAPack) {
  TempDir dir;
  std::string pack = dir.File("p.qs");
  ASSERT_EQ(Capture(std::string(QUARRY_PACK_EXE) + " " + SAMPLE_PACK_DIR + " " + pack).exitCode, 0);
  Output out = Capture(std::string(MADTOOL_EXE) + " map " + pack + " 2");
  EXPECT_EQ(out.exitCode, 0);
  EXPECT_NE(out.text.find("\"name\":\"Second\", \"author\":\"Tester Two\""), std::string::npos) << out.text;
  EXPECT_NE(out.text.find("\"cells\":[[37,37,37,37,37,37,37,37,37,37,37,37,37,37,37,37,37,37,37,37],[37,42,32"),
            std::string::npos)
      << out.text;
  EXPECT_EQ(Capture(std::string(MADTOOL_EXE) + " map " + pack + " 3").exitCode, 2);
  EXPECT_EQ(Capture(std::string(MADTOOL_EXE) + " map " + pack + " x").exitCode, 2);
}

}  // namespace
}  // namespace quarry
