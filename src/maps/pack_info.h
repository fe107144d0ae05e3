// The member "info" of a level pack: line 1 unused, the title, the author,
// two unused lines, then one map number per line in menu order, ended by
// "!END"; lines end with CR LF.
#pragma once

#include <string>
#include <vector>

namespace quarry {

class TStream;

struct TPackInfo {
  std::string Title;
  std::string Author;
  std::vector<int> MapNumbers;  // 0-based map numbers, in menu order
};

// The member text for maps 0 .. mapCount - 1 in order.
std::string WritePackInfo(const std::string& title, const std::string& author, int mapCount);

// Reads the member as the map menu does: title and author trimmed, numbers up
// to "!END" (after trimming and upper-casing) or an empty line.
TPackInfo ReadPackInfo(TStream& stream);

}  // namespace quarry
