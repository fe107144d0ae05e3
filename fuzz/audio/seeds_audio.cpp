// Writes small valid inputs for the audio fuzz targets:
//   seeds_audio OUT  ->  OUT/<fuzz target>/<files>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

bool Write(const std::filesystem::path& dir, const std::string& target, const std::string& name,
           const std::string& text) {
  std::filesystem::create_directories(dir / target);
  std::ofstream out(dir / target / name, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: seeds_audio OUT\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  bool ok = true;
  ok &= Write(out, "fuzz_wave_list", "waves.ini",
              "; sound effects\r\n[WaveCollection]\r\n\r\nITEM\r\nFILE=sounds\\eatsand.wav\r\n"
              "NAME=EatSand\r\nVOLUME=80\r\nPAN=-20\r\nMAX=2\r\n\r\nITEM\r\nFILE=boom.wav\r\n"
              "NAME=Explosion\r\nLooped=yes\r\nFREQUENCY=$5622\r\n\r\n!END\r\n");
  ok &= Write(out, "fuzz_wave_list", "odd.ini",
              "[wavecollection]\r\nStray\r\nITEM\r\nNAME=A\r\nLOOPED = YES\r\n#x\r\n!END\r\n");
  ok &= Write(out, "fuzz_music_list", "muzax.ini",
              "[MusicCollection]\r\n# songs\r\nSONGS\r\nmenu=music\\menu.xm\r\ncave=cave.xm\r\n"
              "\r\nORDERS\r\nLIST=menu\r\nINGAME=cave,menu,,cave\r\nMAPEND=menu\r\n\r\n!END\r\n");
  ok &= Write(out, "fuzz_music_list", "odd.ini",
              "[musiccollection]\r\norders\r\njunk\r\ningame=a|b\r\nINGAME=\r\nsongs\r\nx\r\n");
  return ok ? 0 : 1;
}
