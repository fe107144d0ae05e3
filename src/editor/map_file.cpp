#include "editor/map_file.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <sstream>

#include "output_file.h"

namespace quarry {

namespace {

constexpr size_t kSolutionLineMoves = 60;

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Lower-case key of a "word:" line, empty for any other line (the same test
// the pack builder makes, so both read a file alike).
std::string KeyOf(const std::string& line, std::string& value) {
  size_t i = 0;
  while (i < line.size() && ((line[i] >= 'a' && line[i] <= 'z') || (line[i] >= 'A' && line[i] <= 'Z'))) ++i;
  if (i == 0 || i >= line.size() || line[i] != ':') return {};
  std::string key;
  for (size_t k = 0; k < i; ++k) key.push_back(static_cast<char>(line[k] | 0x20));
  value = Trim(line.substr(i + 1));
  return key;
}

void AddLine(TMapFile& file, TMapFile::LineKind kind, std::string text = {}) {
  file.Lines.push_back({kind, std::move(text)});
}

}  // namespace

TMapFile NewMapFile() {
  TMapFile file;
  file.Name = "New Map";
  file.Author = "Unknown";
  for (int y = 0; y < kEditRows; ++y) {
    bool edge = y == 0 || y == kEditRows - 1;
    file.Rows[y] = edge ? std::string(kEditColumns, '%') : "%" + std::string(kEditColumns - 2, ' ') + "%";
  }
  file.Rows[1][1] = '*';
  file.Rows[kEditRows - 2][kEditColumns - 2] = '!';
  AddLine(file, TMapFile::LineKind::Name);
  AddLine(file, TMapFile::LineKind::Author);
  for (int y = 0; y < kEditRows; ++y) AddLine(file, TMapFile::LineKind::Row);
  return file;
}

TMapFile ParseMapFile(const std::string& text, std::vector<std::string>& notes) {
  TMapFile file;
  std::istringstream in(text);
  std::string line;
  int number = 0, rows = 0;
  bool haveName = false, haveAuthor = false;
  auto note = [&](const std::string& what) { notes.push_back("line " + std::to_string(number) + ": " + what); };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
      file.CrLf = true;
    }
    std::string value;
    const std::string key = KeyOf(line, value);
    if (line.find_first_not_of(" \t") == std::string::npos || line[0] == ';') {
      AddLine(file, TMapFile::LineKind::Other, line);
    } else if (key == "name" && !haveName) {
      file.Name = value, haveName = true;
      AddLine(file, TMapFile::LineKind::Name);
    } else if (key == "author" && !haveAuthor) {
      file.Author = value, haveAuthor = true;
      AddLine(file, TMapFile::LineKind::Author);
    } else if (key == "solution") {
      file.Solution += (file.Solution.empty() ? "" : "\n") + value;
      AddLine(file, TMapFile::LineKind::Solution, line);
    } else if (!key.empty() || rows == kEditRows) {
      if (key.empty()) note("more than 12 map rows; kept as it is");
      AddLine(file, TMapFile::LineKind::Other, line);
    } else {
      std::string row = line;
      if (row.size() != kEditColumns)
        note("row is " + std::to_string(row.size()) + " characters wide, " +
             (row.size() < kEditColumns ? "padded" : "cut") + " to 20");
      row.resize(kEditColumns, ' ');
      file.Rows[rows++] = row;
      AddLine(file, TMapFile::LineKind::Row);
    }
  }
  if (rows < kEditRows && rows > 0) note("only " + std::to_string(rows) + " map rows; the rest are empty");
  for (; rows < kEditRows; ++rows) {
    file.Rows[rows] = std::string(kEditColumns, ' ');
    AddLine(file, TMapFile::LineKind::Row);
  }
  // The name and author lead the file when it had none.
  if (!haveAuthor) file.Lines.insert(file.Lines.begin(), {TMapFile::LineKind::Author, {}});
  if (!haveName) file.Lines.insert(file.Lines.begin(), {TMapFile::LineKind::Name, {}});
  return file;
}

std::string MapFileText(const TMapFile& file) {
  const std::string end = file.CrLf ? "\r\n" : "\n";
  std::string text;
  int row = 0;
  for (const auto& line : file.Lines) {
    switch (line.Kind) {
      case TMapFile::LineKind::Name: text += "name: " + file.Name + end; break;
      case TMapFile::LineKind::Author: text += "author: " + file.Author + end; break;
      case TMapFile::LineKind::Row: text += file.Rows[row++] + end; break;
      case TMapFile::LineKind::Other:
      case TMapFile::LineKind::Solution: text += line.Text + end; break;
    }
  }
  return text;
}

void SetMapSolution(TMapFile& file, const std::string& moves) {
  // The new lines go where the first old one stood, else after the last row.
  size_t at = file.Lines.size(), afterRows = 0;
  std::vector<TMapFile::Line> kept;
  for (const auto& line : file.Lines) {
    if (line.Kind == TMapFile::LineKind::Solution) {
      at = std::min(at, kept.size());
      continue;
    }
    kept.push_back(line);
    if (line.Kind == TMapFile::LineKind::Row) afterRows = kept.size();
  }
  if (at > kept.size()) at = afterRows;
  std::vector<TMapFile::Line> fresh;
  file.Solution.clear();
  for (size_t i = 0; i < moves.size(); i += kSolutionLineMoves) {
    const std::string part = moves.substr(i, kSolutionLineMoves);
    fresh.push_back({TMapFile::LineKind::Solution, "solution: " + part});
    file.Solution += (file.Solution.empty() ? "" : "\n") + part;
  }
  kept.insert(kept.begin() + static_cast<long>(at), fresh.begin(), fresh.end());
  file.Lines = std::move(kept);
}

bool SaveMapFile(const std::string& path, const std::string& text, std::string& error) {
  std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  return WriteOutputFile(path, bytes, error);
}

}  // namespace quarry
