#include "maps/pack_info.h"

#include "core/stream.h"
#include "core/text.h"

namespace quarry {

std::string WritePackInfo(const std::string& title, const std::string& author, int mapCount) {
  std::string text = "Quarrystar level pack\r\n" + ShortText(title) + "\r\n" + ShortText(author) + "\r\n\r\n\r\n";
  for (int i = 0; i < mapCount; ++i) text += std::to_string(i) + "\r\n";
  return text + "!END\r\n";
}

TPackInfo ReadPackInfo(TStream& stream) {
  TPackInfo info;
  std::string line;
  ReadLine(stream, line);
  ReadLine(stream, line);
  info.Title = Trim(line);
  ReadLine(stream, line);
  info.Author = Trim(line);
  ReadLine(stream, line);
  ReadLine(stream, line);
  while (ReadLine(stream, line)) {
    std::string entry = Trim(line);
    if (entry.empty() || UpperCase(entry) == "!END") break;
    info.MapNumbers.push_back(StrToNum(entry));
  }
  return info;
}

}  // namespace quarry
