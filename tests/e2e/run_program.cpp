#include "run_program.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace quarry::e2e {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

fs::path FreshDir(const std::string& tag) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::temp_directory_path() /
                 ("quarry_e2e_" + tag + "_" + std::to_string(getpid()) + "_" + info->name());
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

RunResult RunProgram(const fs::path& executable, const fs::path& dir, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env) {
  fs::path copy = dir / executable.filename();
  if (!fs::exists(copy)) fs::copy_file(executable, copy);
  fs::path outFile = dir / ".stdout", errFile = dir / ".stderr";
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(125);
    FILE* o = std::freopen(outFile.c_str(), "wb", stdout);
    FILE* e = std::freopen(errFile.c_str(), "wb", stderr);
    (void)o;
    (void)e;
    for (const auto& [k, v] : env) {
      if (v == "\x01")
        unsetenv(k.c_str());
      else
        setenv(k.c_str(), v.c_str(), 1);
    }
    std::vector<char*> argv;
    std::string self = copy.string();
    argv.push_back(self.data());
    std::vector<std::string> owned = args;
    for (auto& a : owned) argv.push_back(a.data());
    argv.push_back(nullptr);
    // A program that hangs is killed rather than holding the suite up.
    alarm(120);
    execv(self.c_str(), argv.data());
    _exit(126);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  RunResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadFile(outFile);
  r.err = ReadFile(errFile);
  fs::remove(outFile);
  fs::remove(errFile);
  return r;
}

}  // namespace quarry::e2e
