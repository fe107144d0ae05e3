// Archive test fixture: captured log lines, missing-data stops thrown as
// exceptions, and a private folder per test.
#pragma once

#include <stdexcept>

#include "core/program.h"
#include "test_support.h"

namespace quarry {

using Bytes = std::vector<uint8_t>;
inline Bytes operator+(Bytes a, const Bytes& b) { a.insert(a.end(), b.begin(), b.end()); return a; }

struct Stopped : std::runtime_error {
  Stopped(const std::string& message, const std::string& tag) : std::runtime_error(message), tag(tag) {}
  std::string tag;
};

class ArchiveTest : public ::testing::Test {
protected:
  ArchiveTest() {
    SetStopHandler([](const std::string& message, const std::string& tag) { throw Stopped(message, tag); });
  }
  ~ArchiveTest() override { SetStopHandler(nullptr); }
  std::string Path(const std::string& name) const { return dir / name; }

  LogCapture log;
  TempDir dir;
};

inline Bytes ReadBytes(const std::string& path) {
  const std::string s = ReadFileBytes(path);
  return {s.begin(), s.end()};
}
inline void WriteBytes(const std::string& path, const Bytes& b) { WriteFileBytes(path, std::string(b.begin(), b.end())); }

}  // namespace quarry
