// Runs a built program as a child process in a directory of its own, with a
// chosen environment, and collects its exit code and output.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quarry::e2e {

struct RunResult {
  int exitCode = -1;  // -1: killed by a signal
  std::string out;
  std::string err;
};

// Copies the executable into dir (so its log lands there) and runs it with
// the working directory dir. env entries replace or add variables; a value
// of "\x01" removes one.
RunResult RunProgram(const std::filesystem::path& executable, const std::filesystem::path& dir,
                     const std::vector<std::string>& args, const std::map<std::string, std::string>& env);

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& text);

// A fresh empty directory under the temp dir, named after the running test.
std::filesystem::path FreshDir(const std::string& tag);

}  // namespace quarry::e2e
