// Shared by the test folders: log capture and a private temporary folder.
#pragma once

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/log.h"

namespace quarry {

// Collects the log lines written while it lives.
class LogCapture {
public:
  LogCapture() {
    SetLogObserver([this](const std::string& line) { lines.push_back(line); });
  }
  ~LogCapture() { SetLogObserver(nullptr); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  bool Has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
  // Lines containing the text.
  int Count(const std::string& text) const {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.find(text) != std::string::npos;
    }));
  }

  std::vector<std::string> lines;
};

// A fresh folder per test (tests run in parallel), removed afterwards.
class TempDir {
public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("quarry-" + std::string(info ? info->test_suite_name() : "x") + "-" +
             (info ? info->name() : "x") + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

// Runs program (argv[0] = program) in folder dir with its output thrown away,
// after plant(pid) has run with the child's process id and before the child
// starts: tests use it to put a symbolic link where a tool that names its
// temporary files after its process id would write. Returns the exit code.
inline int RunWithPlantedFiles(const std::filesystem::path& dir, const std::vector<std::string>& argv,
                               const std::function<void(pid_t)>& plant) {
  int go[2];
  if (::pipe(go) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(go[1]);
    char byte;
    if (::read(go[0], &byte, 1) != 1 || ::chdir(dir.c_str()) != 0) ::_exit(127);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(go[0]);
  if (child > 0) plant(child);
  const bool started = ::write(go[1], "x", 1) == 1;
  ::close(go[1]);
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !started) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace quarry
