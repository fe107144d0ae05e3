// The text source of a level-pack map, as authors write it:
//
//   name: The First Steps
//   author: Somebody
//   ####################
//   #*  .  $     @    !#
//   ... (12 rows of 20 element characters in all) ...
//   solution: RRRDD..L   (optional, any number of lines; not part of the map)
//
// Lines end with LF or CR LF. Blank lines and lines starting with ";" are
// ignored. A line starting with a word and ":" is a key line; every other
// line is a map row. The map must have exactly one "*", at least one "!",
// only known element characters, and "#" or "%" all around its border.
//
// The pack description "pack.txt" has "title:" and "author:" lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maps/xmap.h"

namespace quarry {

// The characters a map may hold: " *$@&0.#%!><=".
bool IsElementCharacter(char c);

// Far more than any map source needs (12 rows, two texts of 255 bytes, long
// solutions, comments): a larger file is refused before it is read whole.
constexpr size_t kMaxMapSourceSize = size_t{1} << 20;
// A source is read no further after this many problems with its text (rule
// problems aside); one more, "too many errors", ends the list.
constexpr size_t kMaxSourceProblems = 20;

struct TSourceProblem {
  int Line = 0;  // 1-based; the last line of the file for what is missing
  std::string Message;
  // A rule of the pack (the name and author lines, the framed border, one
  // player start, an exit) rather than text that cannot be read as a map:
  // the grid is whole and can still be played.
  bool Rule = false;
};

struct TMapSource {
  std::string Name;
  std::string Author;
  std::vector<std::string> Rows;  // 12 rows of 20 characters when valid
  std::vector<int> RowLines;      // source line of each row
  std::string Solution;           // the solution: lines' values, joined by '\n'
};

// Parses and checks one map source; true when there were no problems. A text
// over kMaxMapSourceSize is one problem and is not parsed.
bool ParseMapSource(const std::string& text, TMapSource& map, std::vector<TSourceProblem>& problems);

// A 20 x 12 record with the source's cells, name and author.
TXMap MapSourceToXMap(const TMapSource& map);

struct TPackSource {
  std::string Title;
  std::string Author;
};

bool ParsePackSource(const std::string& text, TPackSource& pack, std::vector<TSourceProblem>& problems);

}  // namespace quarry
