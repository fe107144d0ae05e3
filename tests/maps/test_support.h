// Log capture, temporary folders and byte builders for the map tests.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/stream.h"

namespace quarry {

class LogCapture {
public:
  LogCapture() {
    SetLogObserver([this](const std::string& line) { lines.push_back(line); });
  }
  ~LogCapture() { SetLogObserver(nullptr); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  bool Has(const std::string& line) const {
    for (const std::string& l : lines)
      if (l == line) return true;
    return false;
  }

  std::vector<std::string> lines;
};

// A fresh folder per test (tests run in parallel), removed afterwards.
class TempDir {
public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("quarry-maps-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
             std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

private:
  std::filesystem::path path_;
};

inline std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

inline TMemoryStream StreamOf(const std::vector<uint8_t>& bytes) { return TMemoryStream(bytes.data(), bytes.size()); }

}  // namespace quarry
