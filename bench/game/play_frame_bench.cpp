// One drawn play frame on the dummy video driver: the 240 cells of a busy
// cave, the player and the Flip (no frame wait, no event pump).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "core/random.h"
#include "game/cave.h"
#include "game/play_session.h"
#include "game/screen/plain_images.h"
#include "game/screen/play_screen.h"
#include "graphics/image_collection.h"
#include "graphics/variant_table.h"
#include "graphics/zr_sdl.h"

namespace quarry {
namespace {

const char* const kRows[12] = {
    "####################", "#@$@$@$@$@$@$@$@$@$#", "#&@&@&@&@&@&@&@&@&@#",
    "#..................#", "#0.0.0.@.0.$.0.@.0.#", "#.@.$.&.@.$.&.@.$..#",
    "#...#...#...#...#..#", "#*>>>..=..0..&..$!.#", "#@..@..@..@..@..@..#",
    "#..&..$..&..$..&...#", "#..0..0..0..0..0...#", "####################",
};

enum Part { kWholeFrame, kCaveOnly, kFlipOnly };

void BM_DrawnPlayFrame(benchmark::State& state) {
  const Part part = static_cast<Part>(state.range(0));
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (!OpenTestDisplay()) {
    state.SkipWithError("no display");
    return;
  }
  {
    TImageCollection images(32);
    AddPlainImages(images);
    BuildVariantTable([&](const std::string& name) { return images.Find(name) != nullptr; });
    TMaps maps;
    auto map = std::make_unique<TXMap>();
    map->PadTo(20, 12, ' ');
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 20; ++x) map->FileCells[map->CellIndex(x, y)] = static_cast<uint8_t>(kRows[y][x]);
    }
    maps.Append(std::move(map));
    GameContext context;
    context.Images = &images;
    TImageTable table = ImageTableOf(&images);
    TSilentSink sounds;
    TCave cave(maps, table, sounds);
    TPlaySession session(cave, 0);
    Randomize(1);
    session.StartAttempt();
    TPlayScreen screen(context, table);
    screen.AttemptStarted(session);
    for (auto _ : state) {
      if (part != kFlipOnly) {
        screen.DrawCave(session);
        cave.StepSprites(1);
        screen.DrawPlayer(cave, cave.PlayerImage);
      }
      if (part != kCaveOnly) Flip();
    }
  }
  CloseTestDisplay();
}
// 0: the whole frame (the figure that counts); 1: cave and player only;
// 2: Flip only.
BENCHMARK(BM_DrawnPlayFrame)->Arg(kWholeFrame)->Arg(kCaveOnly)->Arg(kFlipOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quarry

BENCHMARK_MAIN();
