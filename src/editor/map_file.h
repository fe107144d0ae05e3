// A text map as the editor holds it: the name, the author, the 12 x 20 grid,
// and every other line of the file (comments, blank lines, solution lines,
// keys the editor does not know) kept where it stood, so saving changes only
// what was edited.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace quarry {

constexpr int kEditColumns = 20;
constexpr int kEditRows = 12;

struct TMapFile {
  enum class LineKind { Name, Author, Row, Solution, Other };
  struct Line {
    LineKind Kind = LineKind::Other;
    std::string Text;  // Other and Solution lines: as read, without the line end
    bool operator==(const Line&) const = default;
  };

  std::string Name;
  std::string Author;
  std::array<std::string, kEditRows> Rows;  // always 20 characters each
  std::string Solution;                     // the solution lines' values, joined by "\n"
  std::vector<Line> Lines;                  // the file's order
  bool CrLf = false;                        // the file's line ends are kept

  char Cell(int x, int y) const { return Rows[y][x]; }
  bool operator==(const TMapFile&) const = default;
};

// A framed empty cave of hard walls with the player at the top left and an
// exit at the bottom right.
TMapFile NewMapFile();

// Reads any text: rows shorter or longer than 20 are padded with spaces or
// cut, missing rows are added, rows after the 12th are kept as other lines.
// Each such repair is one note ("line 5: row is 19 characters wide, padded").
TMapFile ParseMapFile(const std::string& text, std::vector<std::string>& notes);

// The text quarry-pack reads: the edited lines in their places, the others
// as they were.
std::string MapFileText(const TMapFile& file);

// Replaces the solution lines with the moves (in lines of at most 60 moves)
// where the first of them stood, or after the rows.
void SetMapSolution(TMapFile& file, const std::string& moves);

// Writes text as path through a temporary file renamed into place; false
// with the reason when it could not be written (the old file is untouched).
bool SaveMapFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace quarry
