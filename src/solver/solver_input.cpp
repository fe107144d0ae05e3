#include "solver/solver_input.h"

#include <filesystem>
#include <memory>
#include <vector>

#include "archive/mad.h"
#include "core/stream.h"
#include "graphics/image_sizes.h"
#include "graphics/variant_table.h"
#include "maps/map_source.h"
#include "maps/xmap.h"
#include "output_file.h"

namespace quarry {

TImageTable LoadSolverImages(const std::string& dataDir, std::string& note) {
  std::filesystem::path mad = std::filesystem::path(dataDir) / "quarry.mad";
  if (!std::filesystem::is_regular_file(mad)) {
    note = "no " + mad.string() + "; assuming 32 x 32 images with 4-frame strips for \"!\", \"!1\" and \"!2\"";
    return TImageTable::Fallback();
  }
  note.clear();
  TMad archive(mad.string());
  TImageSizes sizes(32);
  sizes.LoadList("blocks.lst", archive);
  BuildVariantTable([&](const std::string& name) { return sizes.Find(name) != nullptr; });
  return TImageTable::FromSizes(sizes, VariantTable);
}

bool LoadMapFile(const std::string& path, TMaps& maps, std::string& solution, std::string& error) {
  std::string text;
  if (!ReadInputFile(path, kMaxMapSourceSize, text, error)) return false;
  auto map = std::make_unique<TXMap>();
  if (text.compare(0, 3, "MAP") == 0) {
    TMemoryStream stream(text.data(), text.size());
    map->Load(stream);
    if (!map->Loaded) {
      error = path + ": no map cells (" + map->Status + ")";
      return false;
    }
  } else {
    TMapSource source;
    std::vector<TSourceProblem> problems;
    ParseMapSource(text, source, problems);
    bool complete = source.Rows.size() == kCaveHeight;
    for (const auto& row : source.Rows) complete = complete && row.size() == kCaveWidth;
    if (!complete) {
      error = path + ": not a map of 12 rows of 20 cells";
      return false;
    }
    *map = MapSourceToXMap(source);
    solution = source.Solution;
  }
  if (map->Width < kCaveWidth || map->Height < kCaveHeight) map->PadTo(kCaveWidth, kCaveHeight, '#');
  maps.Append(std::move(map));
  return true;
}

}  // namespace quarry
