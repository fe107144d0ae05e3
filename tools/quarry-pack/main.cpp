// quarry-pack: builds a level pack (.qs) from a folder of text maps, lists
// the maps of a pack, or draws them all on one PNG contact sheet. The source
// format is described in maps/map_source.h.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "core/random.h"
#include "core/stream.h"
#include "game/cave.h"
#include "game/replay.h"
#include "game/screen/cave_picture.h"
#include "maps/map_pack.h"
#include "maps/map_source.h"
#include "maps/pack_info.h"
#include "maps/xmap_write.h"
#include "output_file.h"

namespace fs = std::filesystem;
using namespace quarry;

namespace {

// The progress record of a player holds 256 maps per pack.
constexpr size_t kMaxPackMaps = 256;
constexpr int kSheetColumns = 4;

void Usage(std::FILE* out) {
  std::fputs(
      "usage: quarry-pack SOURCE_DIR OUTPUT.qs   build a level pack\n"
      "       quarry-pack --list PACK.qs         print title, author and each map's name and author\n"
      "       quarry-pack --contact-sheet OUT.png [--data DIR] PACK.qs\n"
      "                                          every map's start, half size, with its number and name;\n"
      "                                          drawn with DIR/quarry.mad (default: the working directory)\n"
      "\n"
      "SOURCE_DIR holds pack.txt (lines 'title: ...' and 'author: ...') and one\n"
      "file per map named *.map, taken in name order. A map file has 'name:' and\n"
      "'author:' lines, 12 rows of 20 element characters ( *$@&0.#%!><=) framed\n"
      "by '#' or '%', exactly one '*', at least one '!', and optional 'solution:'\n"
      "lines. Blank lines and lines starting with ';' are ignored. Problems are\n"
      "reported as FILE:LINE: message and nothing is written.\n",
      out);
}

// A file larger than any source is refused before it is read.
bool ReadSource(const fs::path& path, std::string& text, std::vector<TSourceProblem>& problems) {
  const int64_t size = RegularFileSize(path.string());
  if (size > static_cast<int64_t>(kMaxMapSourceSize)) {
    problems.push_back({1, std::to_string(size) + " bytes, larger than any map source (at most " +
                               std::to_string(kMaxMapSourceSize) + ")"});
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (size < 0 || !in) {
    problems.push_back({1, "cannot be read"});
    return false;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

// Prints problems until the run has shown kMaxSourceProblems of them; false
// (after "too many errors") once there are more.
bool Report(const std::string& file, const std::vector<TSourceProblem>& problems, size_t& errors) {
  for (const TSourceProblem& p : problems) {
    if (errors == kMaxSourceProblems) {
      std::fputs("too many errors\n", stderr);
      return false;
    }
    std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), p.Line, p.Message.c_str());
    ++errors;
  }
  return true;
}

int Build(const fs::path& sourceDir, const std::string& output) {
  size_t errors = 0;
  std::error_code ec;
  if (!fs::is_directory(sourceDir, ec)) {
    std::fprintf(stderr, "%s: not a folder\n", sourceDir.string().c_str());
    return 1;
  }

  TPackSource pack;
  fs::path packFile = sourceDir / "pack.txt";
  std::string text;
  std::vector<TSourceProblem> packProblems;
  if (!fs::exists(packFile, ec)) {
    std::fprintf(stderr, "%s:1: missing pack description (title: and author: lines)\n", packFile.string().c_str());
    ++errors;
  } else if (ReadSource(packFile, text, packProblems)) {
    ParsePackSource(text, pack, packProblems);
  }
  bool more = Report(packFile.string(), packProblems, errors);

  std::vector<fs::path> mapFiles;
  for (const fs::directory_entry& entry : fs::directory_iterator(sourceDir, ec))
    if (entry.path().extension() == ".map" && entry.is_regular_file(ec)) mapFiles.push_back(entry.path());
  std::sort(mapFiles.begin(), mapFiles.end());
  if (mapFiles.empty()) {
    std::fprintf(stderr, "%s: no map files (*.map)\n", sourceDir.string().c_str());
    ++errors;
  } else if (mapFiles.size() > kMaxPackMaps) {
    std::fprintf(stderr, "%s: %zu map files, a pack holds at most 256\n", sourceDir.string().c_str(), mapFiles.size());
    ++errors;
  }

  std::vector<TXMap> maps;
  for (size_t i = 0; i < mapFiles.size() && more; ++i) {
    std::vector<TSourceProblem> problems;
    TMapSource source;
    if (ReadSource(mapFiles[i], text, problems) && ParseMapSource(text, source, problems))
      maps.push_back(MapSourceToXMap(source));
    more = Report(mapFiles[i].string(), problems, errors);
  }
  if (!more) {
    std::fprintf(stderr, "%s not written\n", output.c_str());
    return 1;
  }
  if (errors > 0) {
    std::fprintf(stderr, "%zu problem(s); %s not written\n", errors, output.c_str());
    return 1;
  }

  // Written in a private folder beside the target and renamed at the end, so
  // a failed write leaves no half pack behind and nothing planted is followed.
  TOutputFolder partial(output);
  if (partial.FilePath().empty()) {
    std::fprintf(stderr, "%s\n", partial.Error().c_str());
    return 1;
  }
  bool written;
  {
    TMADWrite writer(partial.FilePath());
    for (size_t i = 0; i < maps.size(); ++i)
      writer.AddBytes(WriteXMapBinary(maps[i], false), MapMemberName(static_cast<int>(i) + 1));
    std::string info = WritePackInfo(pack.Title, pack.Author, static_cast<int>(maps.size()));
    writer.AddBytes(std::vector<uint8_t>(info.begin(), info.end()), "info");
    written = writer.Done();
  }
  if (!written || !partial.Commit()) {
    std::fprintf(stderr, "%s: cannot be written%s%s\n", output.c_str(), partial.Error().empty() ? "" : ": ",
                 partial.Error().c_str());
    return 1;
  }
  std::printf("%s: %zu maps, \"%s\" by %s\n", output.c_str(), maps.size(), pack.Title.c_str(), pack.Author.c_str());
  return 0;
}

int List(const std::string& packFile) {
  TMaps maps;
  if (!maps.Load(packFile)) {
    std::fprintf(stderr, "%s: cannot be opened\n", packFile.c_str());
    return 1;
  }
  TMad archive(packFile);
  if (archive.HasFile("info")) {
    TPackInfo info = ReadPackInfo(*archive.OpenStream("info"));
    std::printf("title: %s\nauthor: %s\n", info.Title.c_str(), info.Author.c_str());
  } else {
    std::printf("title: (no info member)\nauthor: (no info member)\n");
  }
  for (int i = 0; i < maps.Count(); ++i)
    std::printf("%d\t%s\t%s\n", i + 1, maps.GetMapName(i).c_str(), maps.GetMapAuthor(i).c_str());
  return 0;
}

// Font switch bytes (0 to 6) in a name would change the caption's colour.
std::string Printable(std::string text) {
  for (char& c : text)
    if (static_cast<uint8_t>(c) < 7) c = '?';
  return text;
}

int ContactSheet(const std::string& output, const std::string& dataDir, const std::string& packFile) {
  TMaps maps;
  if (!maps.Load(packFile) || maps.Count() == 0) {
    std::fprintf(stderr, "%s: %s\n", packFile.c_str(), maps.Count() == 0 ? "holds no maps" : "cannot be opened");
    return 1;
  }
  std::string error;
  std::unique_ptr<TCavePainter> painter = TCavePainter::Open(dataDir, error);
  if (!painter) {
    std::fprintf(stderr, "quarry-pack: %s\n", error.c_str());
    return 1;
  }
  TSoundRecorder sounds;
  TCave cave(maps, painter->Table(), sounds);
  Randomize(0);  // the same variants on every run
  std::vector<TRgbImage> cells;
  for (int i = 0; i < maps.Count(); ++i) {
    TPlaySession session(cave, i);
    TRgbImage start;
    RunSolution(session, "", nullptr, [&](uint32_t) { start = painter->Cave(session).Half(); });
    cells.push_back(painter->Captioned(start, std::to_string(i + 1) + "  \1" + Printable(maps.GetMapName(i))));
  }
  const TRgbImage sheet = Grid(cells, kSheetColumns, kPictureGap);
  const std::vector<uint8_t> png = EncodePng(sheet);
  error = output + ": cannot encode the picture";
  if (png.empty() || !WriteOutputFile(output, png, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %d maps, %d x %d\n", output.c_str(), maps.Count(), sheet.Width, sheet.Height);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--contact-sheet") {
    std::string dataDir = ".";
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--data" && i + 1 < args.size()) dataDir = args[++i];
      else files.push_back(args[i]);
    }
    if (files.size() == 2 && files[0].rfind("--", 0) != 0 && files[1].rfind("--", 0) != 0)
      return ContactSheet(files[0], dataDir, files[1]);
    Usage(stderr);
    return 2;
  }
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    Usage(stdout);
    return 0;
  }
  if (args.size() == 2 && args[0] == "--list") return List(args[1]);
  if (args.size() == 2 && args[0].rfind("--", 0) != 0) return Build(args[0], args[1]);
  Usage(stderr);
  return 2;
}
