// Helpers for the archive tests: captured log lines, a stop handler that
// throws, and a private temporary directory per test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/log.h"
#include "core/program.h"

namespace quarry::testing_support {

struct Stopped : std::runtime_error {
  Stopped(const std::string& message, const std::string& tag)
      : std::runtime_error(message), tag(tag) {}
  std::string tag;
};

// Captures log lines and turns missing-data stops into exceptions.
class ArchiveTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetLogObserver([this](const std::string& line) { lines.push_back(line); });
    SetStopHandler([](const std::string& message, const std::string& tag) {
      throw Stopped(message, tag);
    });
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::temp_directory_path() /
          ("quarry-archive-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" +
           info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    SetLogObserver(nullptr);
    SetStopHandler(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  std::string Path(const std::string& name) const { return (dir / name).string(); }

  std::vector<std::string> lines;
  std::filesystem::path dir;
};

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline std::vector<uint8_t> TextBytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace quarry::testing_support
