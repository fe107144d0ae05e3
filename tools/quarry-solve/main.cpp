// quarry-solve: finds a shortest solution of a map (in ticks) on the game's
// own rules, or proves there is none within a number of ticks.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/random.h"
#include "game/cave.h"
#include "game/replay.h"
#include "solver/solver.h"
#include "solver/solver_input.h"

namespace quarry {
namespace {

constexpr int kExitSolved = 0;
constexpr int kExitUnsolvable = 1;
constexpr int kExitUsage = 2;
constexpr int kExitStopped = 3;

const char* const kUsage =
    "usage: quarry-solve [--seed N | --all-seeds] [--max-ticks T] [--time-limit S]\n"
    "                    [--memory-limit MIB] [--jobs J] [--data DIR] [--stats] [--quiet]\n"
    "                    (PACK.qs MAPNUMBER | MAPFILE)\n"
    "Prints a shortest solution in ticks (the solution-file format of quarry-replay)\n"
    "and '# completed at tick T'. --all-seeds (the default) finds one that completes\n"
    "under every exit start frame; --seed N under that seed only. Defaults: --max-ticks\n"
    "1000, no time limit, --memory-limit 2048, --data . (for quarry.mad).\n"
    "--jobs is accepted for scripts, but the search runs on one thread.\n"
    "Exit codes: 0 solved, 1 no solution within --max-ticks, 2 bad usage or files,\n"
    "3 stopped by the time or memory limit.\n";

bool ParseCount(const char* text, uint64_t& value) {
  char* end = nullptr;
  if (text[0] < '0' || text[0] > '9') return false;
  unsigned long long parsed = std::strtoull(text, &end, 10);
  if (*end != '\0' || parsed > 0xFFFFFFFFull) return false;
  value = parsed;
  return true;
}

bool ParseSeconds(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(value) && value >= 0;
}

std::string Wrap(const std::string& moves) {
  std::string text;
  for (size_t i = 0; i < moves.size(); i += 60) text += moves.substr(i, 60) + "\n";
  return text.empty() ? "\n" : text;
}

std::string ProgressText(const TSolveProgress& p) {
  char line[160];
  double rate = p.Seconds > 0 ? p.Expanded / p.Seconds : 0;
  std::snprintf(line, sizeof line, "tick %u: %llu states explored, %llu queued, %.0f states/s, %llu MiB",
                p.Depth, static_cast<unsigned long long>(p.Expanded),
                static_cast<unsigned long long>(p.Queued), rate,
                static_cast<unsigned long long>(p.Bytes >> 20));
  return line;
}

int Run(int argc, char** argv) {
  TSolveOptions options;
  options.AllSeeds = true;
  bool seedGiven = false, allSeedsGiven = false, stats = false, quiet = false;
  std::string dataDir = ".";
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool takesValue = arg == "--seed" || arg == "--max-ticks" || arg == "--time-limit" ||
                      arg == "--memory-limit" || arg == "--jobs" || arg == "--data";
    if (takesValue) {
      if (i + 1 >= argc) {
        std::cerr << "quarry-solve: " << arg << " needs a value\n" << kUsage;
        return kExitUsage;
      }
      const char* value = argv[++i];
      uint64_t number = 0;
      bool ok = true;
      if (arg == "--data") {
        dataDir = value;
      } else if (arg == "--time-limit") {
        ok = ParseSeconds(value, options.TimeLimit);
      } else {
        ok = ParseCount(value, number);
        if (arg == "--seed") {
          options.Seed = static_cast<uint32_t>(number);
          seedGiven = true;
        } else if (arg == "--max-ticks") {
          options.MaxTicks = static_cast<uint32_t>(number);
        } else if (arg == "--memory-limit") {
          options.MemoryLimit = number << 20;
        } else {
          ok = ok && number >= 1;  // --jobs: accepted, one thread
        }
      }
      if (!ok) {
        std::cerr << "quarry-solve: bad value for " << arg << ": " << value << "\n" << kUsage;
        return kExitUsage;
      }
    } else if (arg == "--all-seeds") {
      allSeedsGiven = true;
    } else if (arg == "--stats") {
      stats = true;
    } else if (arg == "--quiet") {
      quiet = true;
    } else if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return kExitSolved;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "quarry-solve: unknown option " << arg << "\n" << kUsage;
      return kExitUsage;
    } else {
      positional.push_back(arg);
    }
  }
  if (seedGiven && allSeedsGiven) {
    std::cerr << "quarry-solve: --seed and --all-seeds exclude each other\n" << kUsage;
    return kExitUsage;
  }
  options.AllSeeds = !seedGiven;
  if (positional.empty() || positional.size() > 2) {
    std::cerr << kUsage;
    return kExitUsage;
  }

  TMaps maps;
  int mapIndex = 0;
  std::string error, embedded;
  if (positional.size() == 2) {
    uint64_t number = 0;
    if (!ParseCount(positional[1].c_str(), number) || number == 0) {
      std::cerr << "quarry-solve: MAPNUMBER counts from 1\n";
      return kExitUsage;
    }
    if (!std::filesystem::is_regular_file(positional[0]) || !maps.Load(positional[0])) {
      std::cerr << "quarry-solve: cannot open the pack " << positional[0] << "\n";
      return kExitUsage;
    }
    if (number > static_cast<uint64_t>(maps.Count())) {
      std::cerr << "quarry-solve: the pack holds " << maps.Count() << " maps\n";
      return kExitUsage;
    }
    mapIndex = static_cast<int>(number - 1);
  } else if (!LoadMapFile(positional[0], maps, embedded, error)) {
    std::cerr << "quarry-solve: " << error << "\n";
    return kExitUsage;
  }
  std::string note;
  TImageTable images = LoadSolverImages(dataDir, note);
  if (!note.empty() && !quiet) std::cerr << "quarry-solve: " << note << "\n";

  const bool terminal = isatty(STDERR_FILENO) != 0;
  double lastShown = 0;
  if (!quiet) {
    options.Progress = [&](const TSolveProgress& p) {
      if (terminal) {
        if (p.Seconds - lastShown < 0.2 && lastShown > 0) return;
        std::cerr << "\r" << ProgressText(p) << "\x1b[K" << std::flush;
      } else {
        if (p.Seconds - lastShown < 5) return;
        std::cerr << "quarry-solve: " << ProgressText(p) << "\n";
      }
      lastShown = p.Seconds;
    };
  }
  TSolveResult result = Solve(maps, mapIndex, images, options);
  if (!quiet && terminal && lastShown > 0) std::cerr << "\r\x1b[K" << std::flush;
  const TSolveProgress& f = result.Figures;

  switch (result.Status) {
    case SolveStatus::BadMap:
      std::cerr << "quarry-solve: " << result.Error << "\n";
      return kExitUsage;
    case SolveStatus::TimeLimit:
    case SolveStatus::MemoryLimit:
      std::cerr << "quarry-solve: stopped by the "
                << (result.Status == SolveStatus::TimeLimit ? "time" : "memory")
                << " limit at tick " << f.Depth << " (" << f.Expanded << " states explored, " << f.Stored
                << " stored, " << (result.PeakBytes >> 20) << " MiB of search memory at most)\n";
      return kExitStopped;
    case SolveStatus::Unsolvable:
      std::cout << "no solution within " << options.MaxTicks << " ticks (" << f.Expanded
                << " states explored)\n";
      return kExitUnsolvable;
    case SolveStatus::Solved:
      break;
  }

  std::cout << "# " << maps.GetMapName(mapIndex) << ": "
            << (options.AllSeeds ? "every exit start frame" : "seed " + std::to_string(options.Seed))
            << "\n"
            << Wrap(result.Moves) << "# completed at tick " << result.Moves.size() << "\n";
  if (stats) {
    // Moves and pushes as the game counts them, from a replay of the answer.
    TSilentSink sounds;
    TCave cave(maps, images, sounds);
    TPlaySession session(cave, mapIndex);
    Randomize(options.Seed);
    uint32_t moves = 0, pushes = 0;
    RunSolution(session, result.Moves, [&](uint32_t, PlayerAction action, bool) {
      moves += action != PlayerAction::None;
      pushes += action == PlayerAction::PushLeft || action == PlayerAction::PushRight;
    });
    double branching = f.Expanded > 0 ? static_cast<double>(f.Stored - 1) / f.Expanded : 0;
    char line[64];
    std::snprintf(line, sizeof line, "%.2f", branching);
    std::cout << "# shortest: " << result.Moves.size() << " ticks\n"
              << "# player moves: " << moves << "\n"
              << "# pushes: " << pushes << "\n"
              << "# diamonds: " << cave.CountDiamonds() << "\n"
              << "# states explored: " << f.Expanded << "\n"
              << "# states stored: " << f.Stored << "\n"
              << "# branching factor: " << line << "\n"
              << "# start frame combinations: " << result.StartFrameCombinations << "\n";
    std::snprintf(line, sizeof line, "%.2f", f.Seconds);
    std::cout << "# seconds: " << line << "\n";
  }
  return kExitSolved;
}

}  // namespace
}  // namespace quarry

int main(int argc, char** argv) { return quarry::Run(argc, argv); }
