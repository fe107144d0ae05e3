// Runs the built programs as child processes, each in a test's own folder.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>

#include "test_support.h"

namespace quarry::e2e {

namespace fs = std::filesystem;

const std::map<std::string, std::string> kHeadless = {{"SDL_VIDEODRIVER", "dummy"},
                                                      {"SDL_AUDIODRIVER", "dummy"}};

struct RunResult {
  int exitCode = -1;  // -1: killed by a signal
  std::string out, err;
};

// Runs a copy of the executable inside dir, so its log lands there.
inline RunResult RunProgram(const fs::path& executable, const fs::path& dir, std::vector<std::string> args,
                            const std::map<std::string, std::string>& env = kHeadless) {
  const std::string self = (dir / executable.filename()).string();
  if (!fs::exists(self)) fs::copy_file(executable, self);
  const fs::path outFile = dir / ".stdout", errFile = dir / ".stderr";
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0 || !std::freopen(outFile.c_str(), "wb", stdout) ||
        !std::freopen(errFile.c_str(), "wb", stderr))
      _exit(125);
    for (const auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(self.c_str())};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    alarm(120);  // a hung program is killed rather than holding the suite up
    execv(self.c_str(), argv.data());
    _exit(126);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  RunResult r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(outFile), ReadFileBytes(errFile)};
  fs::remove(outFile);
  fs::remove(errFile);
  return r;
}

// The game's real data from the data build, with only the named level packs:
// the pack menu lists them sorted, and the scripts count its rows.
inline void GameData(const fs::path& dir, const std::set<std::string>& packs = {"first.qs"}) {
  for (const auto& entry : fs::directory_iterator(QUARRY_RUN_DIR)) {
    const fs::path name = entry.path().filename();
    if (name.extension() == ".qs" && !packs.count(name.string())) continue;
    fs::create_symlink(entry.path(), dir / name);
  }
}

// The game on a script under the virtual clock.
inline RunResult RunScript(const fs::path& dir, const std::string& script, std::vector<std::string> args) {
  WriteFileBytes(dir / "s.txt", script);
  args.insert(args.end(), {"--virtual-clock", "--script", "s.txt"});
  return RunProgram(QUARRY_EXE, dir, args);
}

// The intro and loading waits pump 240 + 120 + 420 + 420 times, so the player
// menu's first frame is pump 1201. From there, ten pumps apart: Return on
// "-- New player --", the name, Return, then Return on the player, the pack
// ("first.qs") and, at 1260, the first open map, whose game pumps from 1261.
constexpr int kFirstMapPump = 1261;

// The script lines that play the first map's recorded solution from its first
// frame, made by quarry-replay --to-script (the verifier and the game agree on
// the frame of every tick).
inline std::string FirstMapSolutionScript(const fs::path& dir) {
  std::ifstream source(fs::path(QUARRY_LEVELS) / "01-first-steps.map");
  std::string line, solution;
  while (std::getline(source, line))
    if (line.rfind("solution:", 0) == 0) solution += line.substr(9) + "\n";
  WriteFileBytes(dir / "sol.txt", solution);
  auto moves = RunProgram(QUARRY_REPLAY, dir, {"--to-script", "--first-pump", std::to_string(kFirstMapPump), "sol.txt"});
  EXPECT_EQ(moves.exitCode, 0) << moves.err;
  return moves.out;
}
inline std::string MenuToFirstMap() {
  return "1210 press return\n1220 type Ann\n1230 press return\n1240 press return\n1250 press return\n"
         "1260 press return\n";
}

}  // namespace quarry::e2e
