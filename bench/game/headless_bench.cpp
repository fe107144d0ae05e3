// Headless ticks per second on a busy map: falling and rolling boulders and
// diamonds, rising and lifting balloons, bombs going off, tunnel travel. The
// attempt restarts every 48 ticks (as after a death) so the cave stays busy;
// the restarts are part of the measured time.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/keys.h"
#include "core/random.h"
#include "game/cave.h"
#include "game/play_session.h"

namespace quarry {
namespace {

const char* const kBusyRows[12] = {
    "####################",
    "#@$@$@$@$@$@$@$@$@$#",
    "#&@&@&@&@&@&@&@&@&@#",
    "#                  #",
    "#0 0 0 @ 0 $ 0 @ 0 #",
    "# @ $ & @ $ & @ $  #",
    "#   #   #   #   #  #",
    "#*>>>  .. 0  &  $! #",
    "#@  @  @  @  @  @  #",
    "#  &  $  &  $  &   #",
    "#  0  0  0  0  0   #",
    "####################",
};

std::unique_ptr<TXMap> BusyMap() {
  auto map = std::make_unique<TXMap>();
  map->PadTo(20, 12, ' ');
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) map->FileCells[map->CellIndex(x, y)] = static_cast<uint8_t>(kBusyRows[y][x]);
  }
  return map;
}

void BM_HeadlessTicks(benchmark::State& state) {
  TMaps maps;
  maps.Append(BusyMap());
  TImageTable images = TImageTable::Fallback();
  TSilentSink sounds;
  TCave cave(maps, images, sounds);
  TPlaySession session(cave, 0);
  Randomize(7);
  session.StartAttempt();
  ClearKeys();
  KeyState[kKeyRight] = 1;  // into the tunnel, then on along the row
  uint32_t ticks = 0;
  for (auto _ : state) {
    if (ticks % 48 == 47) session.StartAttempt();
    session.RunToNextTick();
    ++ticks;
  }
  ClearKeys();
  state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HeadlessTicks);

}  // namespace
}  // namespace quarry

BENCHMARK_MAIN();
