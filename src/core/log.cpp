#include "core/log.h"

#include <fcntl.h>
#include <unistd.h>

#include <ctime>

namespace quarry {

namespace {

int g_file = -1;
bool g_running = false;
std::string g_path;
LogObserver g_observer;

const char* kSystemTag = "..system..";

std::string DateTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
  return text;
}

void WriteLine(const std::string& text) {
  if (g_observer) g_observer(text);
  if (g_file < 0) return;
  std::string line = text + "\r\n";
  if (line.size() > 255) line.resize(255);  // the cap may cut the line end off
  // Straight to the operating system: a crash loses nothing already logged.
  ssize_t ignored = ::write(g_file, line.data(), line.size());
  (void)ignored;
}

std::string Cut(const std::string& text) { return text.size() > 255 ? text.substr(0, 255) : text; }

void Compose(char open, char close, const std::string& message, const std::string& tag) {
  if (!LogListening()) return;
  WriteLine(std::string(1, open) + Cut(tag) + close + ' ' + Cut(message));
}

int CreateFile(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

}  // namespace

std::string LogFileNameFor(const std::string& executablePath) {
  size_t cut = executablePath.find_last_of("/:\\");
  std::string dir = cut == std::string::npos ? "" : executablePath.substr(0, cut + 1);
  std::string name = cut == std::string::npos ? executablePath : executablePath.substr(cut + 1);
  // "quarry.exe" -> "quarry.log"; a name without such an extension keeps all
  // of itself ("quarry" -> "quarry.log").
  if (name.size() >= 4 && name[name.size() - 4] == '.') name.resize(name.size() - 4);
  return dir + name + ".log";
}

void StartLogger(const std::string& executablePath) {
  if (g_running) return;
  g_path = LogFileNameFor(executablePath);
  g_file = CreateFile(g_path);
  if (g_file < 0) {
    // Beside the executable may be read-only; the working directory next.
    size_t cut = g_path.find_last_of('/');
    g_path = cut == std::string::npos ? g_path : g_path.substr(cut + 1);
    g_file = CreateFile(g_path);
    if (g_file < 0) g_path.clear();
  }
  g_running = true;
  LogStatus("Starting Application. " + DateTime(), kSystemTag);
  LogStatus("() carets -> Status message", kSystemTag);
  LogStatus("[] carets -> Warning message", kSystemTag);
  LogStatus("{} carets -> Error message", kSystemTag);
}

void StopLogger() {
  if (!g_running) return;
  LogStatus("Terminating Application. " + DateTime(), kSystemTag);
  if (g_file >= 0) ::close(g_file);
  g_file = -1;
  g_running = false;
}

bool LoggerRunning() { return g_running; }
bool LogListening() { return g_file >= 0 || static_cast<bool>(g_observer); }
std::string LogFilePath() { return g_path; }

void LogStatus(const std::string& message, const std::string& tag) { Compose('(', ')', message, tag); }
void LogWarning(const std::string& message, const std::string& tag) { Compose('[', ']', message, tag); }
void LogError(const std::string& message, const std::string& tag) { Compose('{', '}', message, tag); }

void LogTrace(const std::string& text) {
  WriteLine(std::string("\xFE Trace \xFE ") + Cut(text));
}

void LogTrace(int32_t number) { LogTrace(std::to_string(number)); }

void SetLogObserver(LogObserver observer) { g_observer = std::move(observer); }

}  // namespace quarry
