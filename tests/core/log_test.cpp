#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/log.h"

namespace quarry {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

TEST(LogFileName, ReplacesAFourCharacterExtensionOrAppends) {
  EXPECT_EQ(LogFileNameFor("/opt/game/quarry.exe"), "/opt/game/quarry.log");
  EXPECT_EQ(LogFileNameFor("/opt/game/quarry"), "/opt/game/quarry.log");
  EXPECT_EQ(LogFileNameFor("C:\\games\\QUARRY.EXE"), "C:\\games\\QUARRY.log");
  EXPECT_EQ(LogFileNameFor("quarry"), "quarry.log");
  EXPECT_EQ(LogFileNameFor("/x/ab"), "/x/ab.log");
}

class LoggerTest : public ::testing::Test {
protected:
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("quarry_log_" + std::to_string(getpid()) + "_" +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override {
    StopLogger();
    std::filesystem::remove_all(dir);
  }
};

TEST_F(LoggerTest, LinesHaveTheirBracketsCrLfAndTheCap) {
  std::string exe = (dir / "game").string();
  StartLogger(exe);
  EXPECT_EQ(LogFilePath(), (dir / "game.log").string());
  LogStatus("a", "TAG");
  LogWarning("w", "T, R");
  LogError("e", "T, R");
  LogTrace(12);
  LogTrace(std::string("text"));
  LogStatus(std::string(400, 'm'), "TAG");
  StopLogger();
  std::string log = ReadAll((dir / "game.log").string());
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
}

TEST_F(LoggerTest, ASecondRunReplacesTheFirstLog) {
  std::string exe = (dir / "game.exe").string();
  StartLogger(exe);
  LogStatus("first run", "X");
  StopLogger();
  StartLogger(exe);
  StopLogger();
  std::string log = ReadAll((dir / "game.log").string());
  EXPECT_EQ(log.find("first run"), std::string::npos);
  EXPECT_NE(log.find("Terminating Application."), std::string::npos);
}

TEST_F(LoggerTest, UnwritableDirectoryFallsBackWithoutCrashing) {
  // A directory that does not exist cannot take the log: the working directory
  // gets it instead (or nothing), and logging goes on.
  auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  StartLogger((dir / "missing" / "sub" / "game").string());
  LogStatus("still here", "X");
  StopLogger();
  std::filesystem::current_path(cwd);
  EXPECT_NE(ReadAll((dir / "game.log").string()).find("(X) still here"), std::string::npos);
}

TEST_F(LoggerTest, ObserverSeesLinesWithoutAFile) {
  std::vector<std::string> seen;
  SetLogObserver([&](const std::string& l) { seen.push_back(l); });
  LogWarning("Access out of range! (Address: 61, Size: 4)", "CONTMEM, TControlMemory.Store");
  SetLogObserver(nullptr);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "[CONTMEM, TControlMemory.Store] Access out of range! (Address: 61, Size: 4)");
}

}  // namespace
}  // namespace quarry
