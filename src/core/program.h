// Ways out of the program. Every way out runs the registered shutdown steps
// (control memory, then the log) so the log always ends with its closing lines.
#pragma once

#include <functional>
#include <string>

namespace quarry {

enum ExitCode : int {
  kExitNormal = 0,
  kExitVideoFailed = 1,
  kExitWindowClosed = 2,
  kExitMissingData = 3,
};

// The running program's own path (the log is written beside it); argv0 when
// the system cannot tell.
std::string ExecutablePath(const char* argv0);

// Shutdown steps run last-registered first, once.
void RegisterShutdown(std::function<void()> step);
void RunShutdown();

// Runs the shutdown steps and ends the process with the code.
[[noreturn]] void ExitProgram(int code);

// A stop for missing or bad data (an archive, a member, a list header, the
// progress file): logs the error line under the tag, prints it on standard
// error, shows it on screen when a stop screen is installed, and exits with
// code 3. file names the archive a member was looked for in: it is added in
// front of the message everywhere but in the log line.
// Tools and tests may install a handler instead (it may throw); when the
// handler returns, the program still exits.
[[noreturn]] void StopMissingData(const std::string& message, const std::string& tag,
                                  const std::string& file = {});
using StopHandler = std::function<void(const std::string& message, const std::string& tag)>;
void SetStopHandler(StopHandler handler);

// Shows a stop's text to the player and returns when it has been seen; the
// program installs one while its display is up.
using StopScreen = std::function<void(const std::string& text)>;
void SetStopScreen(StopScreen screen);

}  // namespace quarry
