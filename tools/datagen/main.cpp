// quarry-datagen: builds the game's data files from the sources in data/.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "art.h"
#include "font.h"
#include "icon.h"
#include "mad_pack.h"
#include "song.h"
#include "sound.h"

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

int Usage(std::ostream& out, int code) {
  out << "Usage:\n"
         "  quarry-datagen images FONT.ttf OUTDIR        cell, scene and logo pictures (BMP)\n"
         "  quarry-datagen fonts SHEET.ttf CELL.ttf OUTDIR\n"
         "                                               font.gsd, font.bmf and anti.zrr\n"
         "  quarry-datagen sounds OUTDIR                 sound effects (WAV)\n"
         "  quarry-datagen song SOURCE.song OUT.xm       compile a song to an XM module\n"
         "  quarry-datagen icon OUTDIR                   the desktop icon, quarrystar-SIZE.png\n"
         "  quarry-datagen mad ARCHIVE FILE...           pack files under their base names;\n"
         "                                               .ini/.lst/.mpt/info get CR LF lines\n";
  return code;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h") return Usage(std::cout, args.empty() ? 2 : 0);
  const std::string& cmd = args[0];
  if (cmd == "images" && args.size() == 3) {
    fs::create_directories(args[2]);
    for (auto list : {datagen::CaveArt(), datagen::OutroArt(), datagen::LogoArt(args[1])})
      for (const auto& f : list) WriteFile(fs::path(args[2]) / f.member, datagen::EncodeBmp24(f.image));
    return 0;
  }
  if (cmd == "fonts" && args.size() == 4) {
    fs::create_directories(args[3]);
    datagen::SheetFont sheet = datagen::BuildSheetFont(args[1], 20);
    WriteFile(fs::path(args[3]) / "font.gsd", sheet.gsd);
    WriteFile(fs::path(args[3]) / "font.bmf", sheet.bmf);
    // 8 x 16 cells: 13-pixel monospace glyphs on a baseline at row 12 leave
    // room for descenders inside the cell.
    WriteFile(fs::path(args[3]) / "anti.zrr", datagen::BuildZrarFont(args[2], 13, 8, 16, 12));
    return 0;
  }
  if (cmd == "icon" && args.size() == 2) {
    fs::create_directories(args[1]);
    datagen::Image icon = datagen::GameIcon();
    for (int size : datagen::kIconSizes)
      WriteFile(fs::path(args[1]) / ("quarrystar-" + std::to_string(size) + ".png"),
                datagen::EncodeIconPng(datagen::ScaledSquare(icon, size)));
    return 0;
  }
  if (cmd == "sounds" && args.size() == 2) {
    fs::create_directories(args[1]);
    for (const auto& s : datagen::SoundEffects())
      WriteFile(fs::path(args[1]) / s.member, datagen::EncodeWav16(s.samples));
    return 0;
  }
  if (cmd == "song" && args.size() == 3) {
    std::ifstream in(args[1], std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + args[1]);
    std::stringstream text;
    text << in.rdbuf();
    try {
      WriteFile(args[2], datagen::EncodeXm(datagen::CompileSong(text.str())));
    } catch (const datagen::SongError& e) {
      throw std::runtime_error(args[1] + ": " + e.what());
    }
    return 0;
  }
  if (cmd == "mad" && args.size() >= 2) {
    datagen::PackMad(args[1], {args.begin() + 2, args.end()});
    return 0;
  }
  return Usage(std::cerr, 2);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run({argv + 1, argv + argc});
  } catch (const std::exception& e) {
    std::cerr << "quarry-datagen: " << e.what() << "\n";
    return 1;
  }
}
