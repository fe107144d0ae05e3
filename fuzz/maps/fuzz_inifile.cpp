// TIniFile over arbitrary text, then every read operation on what it parsed.
#include <cstdint>
#include <string>

#include "config/ini_file.h"
#include "core/stream.h"

using namespace quarry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream(data, size);
  TIniFile ini(stream);
  std::vector<std::string> names;
  for (const TIniFileSection& section : ini.Sections()) names.push_back(section.Name);
  names.push_back("missing");
  for (const std::string& name : names) {
    ini.ReadString(name, "X", "d");
    ini.ReadInteger(name, "Width", 3);
    ini.ReadBool(name, "Visible", false);
    uint16_t r, g, b;
    ini.ReadRGB(name, "Color", 1, 2, 3, r, g, b);
    ini.ReadCoords(name);
    int16_t count = ini.ListItemCount(name);
    ini.GetFirstListItem(name);
    for (int i = 0; i <= count; ++i) ini.GetNextListItem(name);
    ini.ReadListItem(name, count - 1);
    ini.ReadListItem(name, count);
  }
  (void)ini.Text();
  return 0;
}
