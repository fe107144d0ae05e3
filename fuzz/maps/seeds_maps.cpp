// Writes the seed corpora of the map fuzz targets: seeds_maps OUT makes
// OUT/fuzz_xmap, OUT/fuzz_inifile and OUT/fuzz_map_source.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/zrcomp.h"
#include "maps/xmap.h"
#include "maps/xmap_write.h"

namespace fs = std::filesystem;
using namespace quarry;

namespace {

void Write(const fs::path& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary) << bytes;
}

std::string Text(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

std::string Compressed(char form, const std::vector<uint8_t>& binary) {
  std::vector<uint8_t> body(binary.begin() + 4, binary.end());
  return std::string("MAP") + form + Text(ZRCompress(body));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: seeds_maps OUT\n");
    return 2;
  }
  fs::path out = argv[1];

  TXMap map;
  map.PadTo(20, 12, '#');
  map.FileCells[21] = '*';
  map.FileCells[40] = '!';
  map.MapName = "seed";
  map.Author = "fuzz";
  map.GmText = std::string("\x01\x05\x08") + "gm";
  map.Translations = {{'#', 200}, {'.', 0x1234}};
  map.Extras = {"extra"};
  std::vector<uint8_t> b = WriteXMapBinary(map, false);
  std::vector<uint8_t> w = WriteXMapBinary(map, true);
  fs::path xmap = out / "fuzz_xmap";
  Write(xmap, "seed_b", Text(b));
  Write(xmap, "seed_w", Text(w));
  Write(xmap, "seed_p", Compressed('P', b));
  Write(xmap, "seed_q", Compressed('Q', w));
  std::string t = "MAPT\r\nWI20\r\nHE3\r\nMNname\r\nAUauthor\r\nGM\x01\x05\x08g\r\nEXe\r\nLW#200.  1\r\n";
  for (int y = 0; y < 4; ++y) t += "MP#*  $ .@&0!<>=%  #\r\n";
  Write(xmap, "seed_t", t + "ZZ\r\nXX\r\n");
  Write(xmap, "seed_x", "MAPX\r\nWI3\r\nHE2\r\nLW   35  200    1    2\r\nMP   0023 0024 0025\r\nMP   FFFF 0000\r\nXX\r\n");
  Write(xmap, "seed_c", "MAPC");

  fs::path ini = out / "fuzz_inifile";
  Write(ini, "seed_controls",
        "; layout\r\n[Box]\r\nX=320\r\nY=$20\r\nWidth=100\r\nHeight=70000\r\nAlignX=Center\r\nAlignY=bottom\r\n"
        "Color=ffc040\r\nVisible\r\n[*Items]\r\none\r\ntwo\r\n[ *odd]\r\nk=v=w\r\n");
  Write(ini, "seed_empty_list", "[*Empty]\r\n[Plain]\r\nColor=12345\r\nAlignX=middle\r\n");

  fs::path source = out / "fuzz_map_source";
  std::string rows;
  for (int y = 0; y < 12; ++y) {
    if (y == 0 || y == 11) rows += "####################\n";
    else if (y == 1) rows += "#*  $   @   &  0  !#\n";
    else rows += "%.  ><   =   .     %\n";
  }
  Write(source, "seed_map", "name: Seed\nauthor: Fuzz\n; note\n" + rows + "solution: RRDD\n");
  Write(source, "seed_pack", "title: Seeds\r\nauthor: Fuzz\r\n");
  Write(source, "seed_bad", "name: x\nname: y\ntitle: z\n#*#\n");
  return 0;
}
