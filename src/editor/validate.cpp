#include "editor/validate.h"

#include <algorithm>
#include <array>

#include "maps/map_source.h"

namespace quarry {

namespace {

using Cells = std::vector<std::pair<int, int>>;

void Add(std::vector<TMapProblem>& problems, const std::string& message, Cells cells) {
  problems.push_back({message, std::move(cells)});
}

std::string Count(size_t n, const char* one) { return std::to_string(n) + " " + one + (n == 1 ? "" : "s"); }

// Cells the player can get to from the start at all: everything but hard
// walls, and walls too when a bomb could blast a way through them. This errs
// towards reachable, so a diamond reported here is lost for certain.
std::array<std::array<bool, kEditColumns>, kEditRows> Reachable(const TMapFile& file, int px, int py) {
  bool bombs = false;
  for (const auto& row : file.Rows) bombs = bombs || row.find('&') != std::string::npos;
  auto passable = [&](char c) { return c != '%' && (bombs || (c != '#' && c != '=')); };
  std::array<std::array<bool, kEditColumns>, kEditRows> seen{};
  std::vector<std::pair<int, int>> todo{{px, py}};
  seen[py][px] = true;
  while (!todo.empty()) {
    auto [x, y] = todo.back();
    todo.pop_back();
    const int dx[] = {1, -1, 0, 0}, dy[] = {0, 0, 1, -1};
    for (int d = 0; d < 4; ++d) {
      int nx = x + dx[d], ny = y + dy[d];
      if (nx < 0 || ny < 0 || nx >= kEditColumns || ny >= kEditRows || seen[ny][nx]) continue;
      if (!passable(file.Cell(nx, ny))) continue;
      seen[ny][nx] = true;
      todo.push_back({nx, ny});
    }
  }
  return seen;
}

}  // namespace

std::vector<TMapProblem> ValidateMap(const TMapFile& file) {
  std::vector<TMapProblem> problems;
  if (file.Name.empty()) Add(problems, "the map has no name (N)", {});
  if (file.Author.empty()) Add(problems, "the map has no author (A)", {});
  Cells border, players, exits, unknown, diamonds;
  for (int y = 0; y < kEditRows; ++y) {
    for (int x = 0; x < kEditColumns; ++x) {
      const char c = file.Cell(x, y);
      const bool edge = x == 0 || y == 0 || x == kEditColumns - 1 || y == kEditRows - 1;
      if (!IsElementCharacter(c)) unknown.push_back({x, y});
      else if (edge && c != '#' && c != '%') border.push_back({x, y});
      if (c == '*') players.push_back({x, y});
      if (c == '!') exits.push_back({x, y});
      if (c == '$') diamonds.push_back({x, y});
    }
  }
  for (int y = 0; y < kEditRows; ++y) {
    // Readers skip blank lines, so such a row would vanish from the saved file.
    if (file.Rows[y].find_first_not_of(" \t") != std::string::npos) continue;
    Cells row;
    for (int x = 0; x < kEditColumns; ++x) row.push_back({x, y});
    Add(problems, "row " + std::to_string(y + 1) + " is empty and would be read as a blank line", row);
  }
  if (!unknown.empty()) Add(problems, Count(unknown.size(), "unknown element character"), unknown);
  if (!border.empty()) Add(problems, "the border must be '#' or '%' (" + Count(border.size(), "gap") + ")", border);
  if (players.empty()) Add(problems, "the map has no player start '*'", {});
  if (players.size() > 1) Add(problems, Count(players.size(), "player start") + "; a map has exactly one", players);
  if (exits.empty()) Add(problems, "the map has no exit '!'", {});
  if (players.size() == 1) {
    auto reach = Reachable(file, players[0].first, players[0].second);
    Cells lost;
    for (auto [x, y] : diamonds)
      if (!reach[y][x]) lost.push_back({x, y});
    if (!lost.empty()) Add(problems, Count(lost.size(), "diamond") + " the player can never reach", lost);
    Cells closed;
    for (auto [x, y] : exits)
      if (!reach[y][x]) closed.push_back({x, y});
    if (!closed.empty() && closed.size() == exits.size()) Add(problems, "no exit can be reached", closed);
  }
  return problems;
}

}  // namespace quarry
