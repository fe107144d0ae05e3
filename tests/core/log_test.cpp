#include <gtest/gtest.h>

#include <filesystem>

#include "core/log.h"
#include "test_support.h"

namespace quarry {
namespace {

TEST(LogFileName, ReplacesAFourCharacterExtensionOrAppends) {
  EXPECT_EQ(LogFileNameFor("/opt/game/quarry.exe"), "/opt/game/quarry.log");
  EXPECT_EQ(LogFileNameFor("/opt/game/quarry"), "/opt/game/quarry.log");
  EXPECT_EQ(LogFileNameFor("C:\\games\\QUARRY.EXE"), "C:\\games\\QUARRY.log");
  EXPECT_EQ(LogFileNameFor("quarry"), "quarry.log");
  EXPECT_EQ(LogFileNameFor("/x/ab"), "/x/ab.log");
}

class LoggerTest : public ::testing::Test {
protected:
  void TearDown() override { StopLogger(); }
  TempDir dir;
};

// Catches wrong brackets or line ends, an over-long line not cut at 255 bytes, a second run appending.
TEST_F(LoggerTest, LinesHaveTheirBracketsCrLfAndTheCap) {
  std::string exe = dir / "game";
  StartLogger(exe);
  EXPECT_EQ(LogFilePath(), dir / "game.log");
  LogStatus("a", "TAG");
  LogWarning("w", "T, R");
  LogError("e", "T, R");
  LogTrace(12);
  LogTrace(std::string("text"));
  LogStatus(std::string(400, 'm'), "TAG");
  StopLogger();
  std::string log = ReadFileBytes(dir / "game.log");
  EXPECT_EQ(log.rfind("(..system..) Starting Application. ", 0), 0u);
  EXPECT_NE(log.find("\r\n(..system..) () carets -> Status message\r\n"
                     "(..system..) [] carets -> Warning message\r\n"
                     "(..system..) {} carets -> Error message\r\n"
                     "(TAG) a\r\n"  // eight bytes for a one-letter message and three-letter tag
                     "[T, R] w\r\n{T, R} e\r\n\xFE Trace \xFE 12\r\n\xFE Trace \xFE text\r\n"),
            std::string::npos);
  // The over-long line is cut at 255 bytes, its CR LF with it.
  std::string longLine = "(TAG) " + std::string(249, 'm');
  EXPECT_NE(log.find("\xFE text\r\n" + longLine + "(..system..) Terminating Application. "), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
  StartLogger(exe);  // a second run replaces the first log
  StopLogger();
  log = ReadFileBytes(dir / "game.log");
  EXPECT_EQ(log.find("(TAG) a"), std::string::npos);
  EXPECT_NE(log.find("Terminating Application."), std::string::npos);
}

// A folder that does not exist cannot take the log: the working folder gets it, and logging goes on.
TEST_F(LoggerTest, UnwritableDirectoryFallsBackWithoutCrashing) {
  auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  StartLogger(dir / "missing/sub/game");
  LogStatus("still here", "X");
  StopLogger();
  std::filesystem::current_path(cwd);
  EXPECT_NE(ReadFileBytes(dir / "game.log").find("(X) still here"), std::string::npos);
}

}  // namespace
}  // namespace quarry
