#include "maps/map_source.h"

#include <cstdio>
#include <cstring>

#include "maps/map_pack.h"

namespace quarry {

namespace {

struct SourceLine {
  int number;
  std::string text;
};

std::vector<SourceLine> SplitLines(const std::string& text) {
  std::vector<SourceLine> lines;
  size_t start = 0;
  int number = 1;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back({number++, line});
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

// Collects a source's problems. Rule problems are few by nature (the border
// and the cells of one grid); the others are bounded, and "too many errors"
// ends the list and the reading: Full() is then true.
class ProblemList {
public:
  explicit ProblemList(std::vector<TSourceProblem>& problems) : problems_(problems), before_(problems.size()) {}
  void Add(int line, const std::string& message, bool rule = false) {
    if (full_) return;
    if (!rule && unreadable_++ == kMaxSourceProblems) {
      problems_.push_back({line, "too many errors"});
      full_ = true;
      return;
    }
    problems_.push_back({line, message, rule});
  }
  bool Full() const { return full_; }
  bool None() const { return problems_.size() == before_; }

private:
  std::vector<TSourceProblem>& problems_;
  size_t before_;
  size_t unreadable_ = 0;
  bool full_ = false;
};

bool TooLarge(const std::string& text, ProblemList& problems) {
  if (text.size() <= kMaxMapSourceSize) return false;
  problems.Add(1, std::to_string(text.size()) + " bytes, larger than any map source (at most " +
                      std::to_string(kMaxMapSourceSize) + ")");
  return true;
}

bool IsBlank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A key line is a word of letters followed by ":"; element characters hold
// no letters and no ":", so no map row can look like one.
bool SplitKey(const std::string& line, std::string& key, std::string& value) {
  size_t i = 0;
  while (i < line.size() && ((line[i] >= 'a' && line[i] <= 'z') || (line[i] >= 'A' && line[i] <= 'Z'))) ++i;
  if (i == 0 || i >= line.size() || line[i] != ':') return false;
  key.clear();
  for (size_t k = 0; k < i; ++k) key.push_back(static_cast<char>(line[k] | 0x20));
  value = TrimBlanks(line.substr(i + 1));
  return true;
}

std::string Shown(char c) {
  auto b = static_cast<uint8_t>(c);
  if (b >= 32 && b < 127) return std::string("'") + c + "'";
  char text[16];
  std::snprintf(text, sizeof text, "byte 0x%02X", b);
  return text;
}

bool IsBorder(char c) { return c == '#' || c == '%'; }

void SetText(const SourceLine& line, const std::string& key, const std::string& value, std::string& field, bool& seen,
             ProblemList& problems) {
  if (seen) problems.Add(line.number, "duplicate '" + key + ":' line");
  else if (value.empty()) problems.Add(line.number, "'" + key + ":' has no text");
  else if (value.size() > 255) problems.Add(line.number, "'" + key + ":' text is longer than 255 bytes");
  seen = true;
  field = value;
}

}  // namespace

bool IsElementCharacter(char c) { return c != '\0' && std::strchr(" *$@&0.#%!><=", c) != nullptr; }

bool ParseMapSource(const std::string& text, TMapSource& map, std::vector<TSourceProblem>& out) {
  map = TMapSource();
  ProblemList problems(out);
  if (TooLarge(text, problems)) return false;
  std::vector<SourceLine> lines = SplitLines(text);
  int lastLine = lines.empty() ? 1 : lines.back().number;
  bool haveName = false, haveAuthor = false;
  for (const SourceLine& line : lines) {
    if (problems.Full()) return false;
    if (IsBlank(line.text) || line.text[0] == ';') continue;
    std::string key, value;
    if (SplitKey(line.text, key, value)) {
      if (key == "name") SetText(line, key, value, map.Name, haveName, problems);
      else if (key == "author") SetText(line, key, value, map.Author, haveAuthor, problems);
      else if (key == "solution") map.Solution += (map.Solution.empty() ? "" : "\n") + value;
      else problems.Add(line.number, "unknown key '" + key + ":'");
      continue;
    }
    if (map.Rows.size() == kCaveHeight) {
      problems.Add(line.number, "more than 12 map rows");
      continue;
    }
    map.Rows.push_back(line.text);
    map.RowLines.push_back(line.number);
  }
  if (!haveName) problems.Add(lastLine, "missing 'name:' line", true);
  if (!haveAuthor) problems.Add(lastLine, "missing 'author:' line", true);
  if (map.Rows.size() < kCaveHeight)
    problems.Add(lastLine, "expected 12 map rows, found " + std::to_string(map.Rows.size()));

  int players = 0, firstPlayerLine = 0, exits = 0;
  for (size_t y = 0; y < map.Rows.size() && !problems.Full(); ++y) {
    const std::string& row = map.Rows[y];
    int number = map.RowLines[y];
    if (row.size() != kCaveWidth)
      problems.Add(number, "row is " + std::to_string(row.size()) + " characters wide, expected 20");
    bool edgeRow = y == 0 || y + 1 == kCaveHeight;
    for (size_t x = 0; x < row.size() && !problems.Full(); ++x) {
      char c = row[x];
      std::string column = " in column " + std::to_string(x + 1);
      if (!IsElementCharacter(c)) {
        problems.Add(number, "unknown element character " + Shown(c) + column);
        continue;
      }
      bool edge = edgeRow || x == 0 || x + 1 == kCaveWidth;
      if (edge && x < kCaveWidth && !IsBorder(c))
        problems.Add(number, "the border must be '#' or '%', found " + Shown(c) + column, true);
      if (c == '*') {
        if (++players == 1) firstPlayerLine = number;
        else problems.Add(number, "a second player start '*'" + column + " (the first is on line " + std::to_string(firstPlayerLine) + ")", true);
      }
      if (c == '!') ++exits;
    }
  }
  if (map.Rows.size() == kCaveHeight) {
    if (players == 0) problems.Add(lastLine, "the map has no player start '*'", true);
    if (exits == 0) problems.Add(lastLine, "the map has no exit '!'", true);
  }
  return problems.None();
}

TXMap MapSourceToXMap(const TMapSource& source) {
  TXMap map;
  map.Status = "OK";
  map.MapName = source.Name;
  map.Author = source.Author;
  map.PadTo(kCaveWidth, kCaveHeight, ' ');
  for (size_t y = 0; y < source.Rows.size() && y < kCaveHeight; ++y)
    for (size_t x = 0; x < source.Rows[y].size() && x < kCaveWidth; ++x)
      map.FileCells[map.CellIndex(static_cast<int>(x), static_cast<int>(y))] = static_cast<uint8_t>(source.Rows[y][x]);
  return map;
}

bool ParsePackSource(const std::string& text, TPackSource& pack, std::vector<TSourceProblem>& out) {
  pack = TPackSource();
  ProblemList problems(out);
  if (TooLarge(text, problems)) return false;
  std::vector<SourceLine> lines = SplitLines(text);
  int lastLine = lines.empty() ? 1 : lines.back().number;
  bool haveTitle = false, haveAuthor = false;
  for (const SourceLine& line : lines) {
    if (problems.Full()) return false;
    if (IsBlank(line.text) || line.text[0] == ';') continue;
    std::string key, value;
    if (!SplitKey(line.text, key, value)) problems.Add(line.number, "expected 'title:' or 'author:'");
    else if (key == "title") SetText(line, key, value, pack.Title, haveTitle, problems);
    else if (key == "author") SetText(line, key, value, pack.Author, haveAuthor, problems);
    else problems.Add(line.number, "unknown key '" + key + ":'");
  }
  if (!haveTitle) problems.Add(lastLine, "missing 'title:' line");
  if (!haveAuthor) problems.Add(lastLine, "missing 'author:' line");
  return problems.None();
}

}  // namespace quarry
