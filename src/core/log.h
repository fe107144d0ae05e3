// The run's log: status "(tag) msg", warning "[tag] msg", error "{tag} msg",
// trace lines; every line ends with CR LF and is at most 255 bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quarry {

// Log file name for an executable path: beside the executable, its name with
// a four-character extension (".exe") replaced, or ".log" appended.
std::string LogFileNameFor(const std::string& executablePath);

// Starts the logger on the given file (replaced if it exists) and writes the
// four opening lines. Falls back to the working directory, then to no file.
void StartLogger(const std::string& executablePath);
// Writes the closing line and closes the file. Safe to call twice.
void StopLogger();
bool LoggerRunning();
// The file actually written, or "" when there is none.
std::string LogFilePath();

// True when a line written now goes somewhere (a file or an observer); hot
// paths that meet many damaged bytes check it before building a message.
bool LogListening();

void LogStatus(const std::string& message, const std::string& tag);
void LogWarning(const std::string& message, const std::string& tag);
void LogError(const std::string& message, const std::string& tag);
void LogTrace(int32_t number);
void LogTrace(const std::string& text);

// Tests observe log lines (without CR LF) through this hook, whether or not a
// file is open. Pass nullptr to remove it.
using LogObserver = std::function<void(const std::string& line)>;
void SetLogObserver(LogObserver observer);

}  // namespace quarry
