// Collects log lines for the duration of a test.
#pragma once

#include <string>
#include <vector>

#include "core/log.h"

namespace quarry {

class LogCapture {
public:
  LogCapture() {
    SetLogObserver([this](const std::string& line) { lines.push_back(line); });
  }
  ~LogCapture() { SetLogObserver(nullptr); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::string> lines;
};

}  // namespace quarry
