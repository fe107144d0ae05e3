#include "maps/xmap_write.h"

#include <algorithm>
#include <string>

namespace quarry {

namespace {

void PutText(std::vector<uint8_t>& out, const std::string& text) {
  size_t length = std::min<size_t>(text.size(), 255);
  out.push_back(static_cast<uint8_t>(length));
  out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
}

void PutNumber(std::vector<uint8_t>& out, uint16_t value, bool wide) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  if (wide) out.push_back(static_cast<uint8_t>(value >> 8));
}

std::string Stored(const std::string& text) { return text == "Unknown" ? std::string() : text; }

}  // namespace

std::vector<uint8_t> WriteXMapBinary(const TXMap& map, bool wide) {
  std::vector<uint8_t> out = {'M', 'A', 'P', static_cast<uint8_t>(wide ? 'W' : 'B'), map.Width, map.Height};
  size_t cells = static_cast<size_t>(map.Width) * map.Height;
  for (size_t i = 0; i < cells; ++i) PutNumber(out, i < map.FileCells.size() ? map.FileCells[i] : 0, wide);
  PutText(out, Stored(map.Author));
  PutText(out, Stored(map.MapName));
  PutText(out, Stored(map.GmText));
  size_t pairs = std::min<size_t>(map.Translations.size(), wide ? 0xFFFF : 0xFF);
  PutNumber(out, static_cast<uint16_t>(pairs), wide);
  for (size_t i = 0; i < pairs; ++i) {
    PutNumber(out, map.Translations[i].From, wide);
    PutNumber(out, map.Translations[i].To, wide);
  }
  size_t written = 0;
  for (const std::string& line : map.Extras) {
    if (line.empty() || written == TXMap::kMaxExtras) continue;
    PutText(out, line);
    ++written;
  }
  out.push_back(0);
  return out;
}

}  // namespace quarry
