// madtool's subcommands. Each command lives in its own source file and
// registers itself with a static MadtoolCommand object, so a new command is
// one new file in this folder (the folder's sources are globbed):
//
//   static int RunMap(const ToolArgs& args) { ...; return 0; }
//   static const MadtoolCommand kMap{{"map", "map ARCHIVE MEMBER", "Shows a map.",
//                                     {{"--width", true}}, 2, 2, RunMap}};
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace madtool {

enum ExitCode { kOk = 0, kDamaged = 1, kUsage = 2 };

// Thrown by a command to end with a message on standard error.
struct ToolError : std::runtime_error {
  ToolError(int code, const std::string& message) : std::runtime_error(message), code(code) {}
  int code;
};

struct OptionSpec {
  std::string name;  // "--stride", "-C"
  bool takesValue = false;
};

struct ToolArgs {
  std::vector<std::string> files;             // positional arguments, in order
  std::map<std::string, std::string> values;  // options with a value
  std::set<std::string> flags;                // options without one
  bool Has(const std::string& flag) const { return flags.count(flag) > 0; }
};

struct CommandInfo {
  std::string name;
  std::string synopsis;
  std::string summary;
  std::vector<OptionSpec> options;
  size_t minFiles = 0;
  size_t maxFiles = SIZE_MAX;
  int (*run)(const ToolArgs& args) = nullptr;
};

// Registers a command for the dispatcher (static objects only).
struct MadtoolCommand {
  explicit MadtoolCommand(CommandInfo info);
};
const std::vector<CommandInfo>& Commands();

// File helpers shared by the commands.
// The whole file; one larger than maxSize is refused unread, with limitText
// saying what the limit is.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxSize, const std::string& limitText);
// Writes to a temporary file created exclusively beside path, then renames it
// over path, so a failed or interrupted run never leaves a partly written
// file and a link planted in advance is never followed.
void WriteFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes);
// A member name for the terminal: control and non-ASCII bytes as \xHH, a
// backslash doubled.
std::string Escaped(const std::string& name);

}  // namespace madtool
