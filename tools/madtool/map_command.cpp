// map: prints one XMAP record as JSON, from a map file or from a level pack.
#include <cstdio>
#include <iostream>
#include <string>

#include "commands.h"
#include "core/stream.h"
#include "maps/map_pack.h"
#include "maps/map_source.h"
#include "maps/xmap.h"

namespace madtool {
namespace {

// Texts are bytes, not UTF-8: anything outside printable ASCII is written as
// \u00XX so every map name survives the trip through JSON.
std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    auto b = static_cast<uint8_t>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b >= 0x20 && b < 0x7F) {
      out += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", b);
      out += escaped;
    }
  }
  return out + "\"";
}

std::string MapJson(const quarry::TXMap& map) {
  std::string json = "{\"status\":" + JsonText(map.Status) + ", \"loaded\":" + (map.Loaded ? "true" : "false") +
                     ", \"width\":" + std::to_string(map.Width) + ", \"height\":" + std::to_string(map.Height) +
                     ", \"name\":" + JsonText(map.MapName) + ", \"author\":" + JsonText(map.Author) +
                     ", \"gm\":" + JsonText(map.GmText) + ", \"version\":" + std::to_string(map.Version) +
                     ", \"gameid\":" + std::to_string(map.GameID) + ", \"extras\":[";
  for (size_t i = 0; i < map.Extras.size(); ++i) json += (i ? "," : "") + JsonText(map.Extras[i]);
  json += "], \"translations\":[";
  for (size_t i = 0; i < map.Translations.size(); ++i)
    json += std::string(i ? "," : "") + "[" + std::to_string(map.Translations[i].From) + "," +
            std::to_string(map.Translations[i].To) + "]";
  json += "], \"cells\":[";
  if (map.Loaded) {
    for (int y = 0; y < map.Height; ++y) {
      json += y ? ",[" : "[";
      for (int x = 0; x < map.Width; ++x) json += (x ? "," : "") + std::to_string(map.FileCell(x, y));
      json += "]";
    }
  }
  return json + "]}";
}

int RunMap(const ToolArgs& args) {
  if (args.files.size() == 1) {
    std::vector<uint8_t> bytes = ReadWholeFile(args.files[0], quarry::kMaxMapSourceSize, "larger than any map");
    quarry::TMemoryStream stream(bytes.data(), bytes.size());
    quarry::TXMap map;
    map.Load(stream);
    std::cout << MapJson(map) << "\n";
    return kOk;
  }
  const std::string& number = args.files[1];
  if (number.empty() || number.size() > 5 || number.find_first_not_of("0123456789") != std::string::npos)
    throw ToolError(kUsage, "map: N must be a map number from 1");
  int n = std::stoi(number);
  quarry::TMaps maps;
  if (!maps.Load(args.files[0])) throw ToolError(kDamaged, args.files[0] + ": cannot be opened");
  if (n < 1 || n > maps.Count())
    throw ToolError(kUsage, args.files[0] + " holds " + std::to_string(maps.Count()) + " maps; no map " + number);
  std::cout << MapJson(maps.Map(n - 1)) << "\n";
  return kOk;
}

const MadtoolCommand kMap{{"map", "map FILE | map PACK.qs N",
                           "Prints an XMAP record as JSON: a map file, or map N (from 1) of a level pack\n"
                           "      as the game holds it (records smaller than 20 x 12 padded with walls).",
                           {}, 1, 2, RunMap}};

}  // namespace
}  // namespace madtool
