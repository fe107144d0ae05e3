#include "game/solution.h"

namespace quarry {

TSolution ParseSolution(const std::string& text) {
  TSolution solution;
  int line = 1;
  bool comment = false;
  for (char c : text) {
    if (c == '\n') {
      ++line;
      comment = false;
      continue;
    }
    if (comment) continue;
    switch (c) {
      case 'U': case 'D': case 'L': case 'R': case '.':
        solution.Moves += c;
        break;
      case '#':
        comment = true;
        break;
      case ' ': case '\t': case '\r': case '\v': case '\f':
        break;
      default:
        solution.Error = "line " + std::to_string(line) + ": unexpected character '" +
                         std::string(1, c) + "' (a solution uses U, D, L, R and .)";
        solution.Moves.clear();
        return solution;
    }
  }
  return solution;
}

}  // namespace quarry

namespace quarry {

std::string SolutionToScript(const std::string& moves, uint32_t firstPump) {
  std::string script;
  for (size_t i = 0; i < moves.size(); ++i) {
    const char* key = nullptr;
    switch (moves[i]) {
      case 'U': key = "up"; break;
      case 'D': key = "down"; break;
      case 'L': key = "left"; break;
      case 'R': key = "right"; break;
      default: continue;
    }
    uint64_t tickFrame = 7 * (static_cast<uint64_t>(i) + 1);
    uint64_t down = firstPump + tickFrame - 2;
    script += std::to_string(down) + " down " + key + "\n";
    script += std::to_string(down + 1) + " up " + key + "\n";
  }
  return script;
}

}  // namespace quarry
