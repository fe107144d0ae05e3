// quarry-pack: builds a level pack (.qs) from a folder of text maps, or lists
// the maps of a pack. The source format is described in maps/map_source.h.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "core/stream.h"
#include "maps/map_pack.h"
#include "maps/map_source.h"
#include "maps/pack_info.h"
#include "maps/xmap_write.h"

namespace fs = std::filesystem;
using namespace quarry;

namespace {

// The progress record of a player holds 256 maps per pack.
constexpr size_t kMaxPackMaps = 256;

void Usage(std::FILE* out) {
  std::fputs(
      "usage: quarry-pack SOURCE_DIR OUTPUT.qs   build a level pack\n"
      "       quarry-pack --list PACK.qs         print title, author and each map's name and author\n"
      "\n"
      "SOURCE_DIR holds pack.txt (lines 'title: ...' and 'author: ...') and one\n"
      "file per map named *.map, taken in name order. A map file has 'name:' and\n"
      "'author:' lines, 12 rows of 20 element characters ( *$@&0.#%!><=) framed\n"
      "by '#' or '%', exactly one '*', at least one '!', and optional 'solution:'\n"
      "lines. Blank lines and lines starting with ';' are ignored. Problems are\n"
      "reported as FILE:LINE: message and nothing is written.\n",
      out);
}

bool ReadFile(const fs::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

int Report(const std::string& file, const std::vector<TSourceProblem>& problems) {
  for (const TSourceProblem& p : problems) std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), p.Line, p.Message.c_str());
  return static_cast<int>(problems.size());
}

int Build(const fs::path& sourceDir, const std::string& output) {
  int errors = 0;
  std::error_code ec;
  if (!fs::is_directory(sourceDir, ec)) {
    std::fprintf(stderr, "%s: not a folder\n", sourceDir.string().c_str());
    return 1;
  }

  TPackSource pack;
  fs::path packFile = sourceDir / "pack.txt";
  std::string text;
  if (!ReadFile(packFile, text)) {
    std::fprintf(stderr, "%s:1: missing pack description (title: and author: lines)\n", packFile.string().c_str());
    ++errors;
  } else {
    std::vector<TSourceProblem> problems;
    ParsePackSource(text, pack, problems);
    errors += Report(packFile.string(), problems);
  }

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
  for (const fs::path& file : mapFiles) {
    std::vector<TSourceProblem> problems;
    TMapSource source;
    if (!ReadFile(file, text)) problems.push_back({1, "cannot be read"});
    else if (ParseMapSource(text, source, problems)) maps.push_back(MapSourceToXMap(source));
    errors += Report(file.string(), problems);
  }
  if (errors > 0) {
    std::fprintf(stderr, "%d problem(s); %s not written\n", errors, output.c_str());
    return 1;
  }

  // Written beside the target and renamed at the end, so a failed write
  // leaves no half pack behind.
  std::string partial = output + ".part" + std::to_string(::getpid());
  bool written;
  {
    TMADWrite writer(partial);
    for (size_t i = 0; i < maps.size(); ++i)
      writer.AddBytes(WriteXMapBinary(maps[i], false), MapMemberName(static_cast<int>(i) + 1));
    std::string info = WritePackInfo(pack.Title, pack.Author, static_cast<int>(maps.size()));
    writer.AddBytes(std::vector<uint8_t>(info.begin(), info.end()), "info");
    written = writer.Done();
  }
  if (!written || (fs::rename(partial, output, ec), ec)) {
    fs::remove(partial, ec);
    std::fprintf(stderr, "%s: cannot be written\n", output.c_str());
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

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    Usage(stdout);
    return 0;
  }
  if (args.size() == 2 && args[0] == "--list") return List(args[1]);
  if (args.size() == 2 && args[0].rfind("--", 0) != 0) return Build(args[0], args[1]);
  Usage(stderr);
  return 2;
}
