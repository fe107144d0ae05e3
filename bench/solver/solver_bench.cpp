// The solver's cost: one expanded state (five moves, each a packed state
// loaded into the cave, one tick and packed again, then bounded, hashed and
// diff-encoded) on a busy map; and the time and memory of solving each map
// of first.qs.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "solver/search_cave.h"
#include "solver/solver.h"
#include "solver/solver_input.h"
#include "solver/state_codec.h"
#include "solver/tick_bound.h"

namespace quarry {
namespace {

// Falling, rolling, rising and exploding things all over the cave.
const char* const kBusyRows[12] = {
    "####################",
    "#@$@$@$@$@$@$@$@$@$#",
    "#&@&@&@&@&@&@&@&@&@#",
    "#                  #",
    "#0 0 0 @ 0 $ 0 @ 0 #",
    "# @ $ & @ $ & @ $  #",
    "#   #   #   #   #  #",
    "#  .>>>*.. 0  &  $!#",
    "#@  @  @  @  @  @  #",
    "#  &  $  &  $  &   #",
    "#  0  0  0  0  0   #",
    "####################",
};

void BM_ExpandState(benchmark::State& state) {
  TMaps maps;
  auto map = std::make_unique<TXMap>();
  map->PadTo(20, 12, ' ');
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) map->FileCells[map->CellIndex(x, y)] = static_cast<uint8_t>(kBusyRows[y][x]);
  }
  maps.Append(std::move(map));
  TImageTable images = TImageTable::Fallback();
  TSearchCave cave(maps, 0, images);
  cave.Start(7);
  const size_t size = cave.StateBytes();
  std::vector<uint8_t> root(size), from(size), next(size), encoded;
  cave.Save(root.data());
  // A few ticks in, so that things are on the move.
  from = root;
  for (int i = 0; i < 3; ++i) {
    cave.Step(from.data(), '.', next.data());
    from = next;
  }
  TTickBound bound(cave, root.data(), 1);
  uint64_t sink = 0;
  for (auto _ : state) {
    for (char move : {'.', 'U', 'D', 'L', 'R'}) {
      if (!cave.Step(from.data(), move, next.data())) continue;
      sink += bound.Remaining(next.data(), 1);
      sink += Fingerprint(next.data(), size);
      encoded.clear();
      EncodeDiff(next.data(), root.data(), size, encoded);
    }
  }
  benchmark::DoNotOptimize(sink);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExpandState);

std::string RunDir() {
  const char* data = std::getenv("QUARRY_DATA");
  return data ? data : QUARRY_RUN_DIR;
}

// One solve per map of first.qs under every start frame, stopped after 60 s.
// Counters: solved (1) or stopped (0), the answer's ticks, states explored
// and stored, expanded per second, and search memory per million stored
// states.
void BM_SolveFirstPack(benchmark::State& state) {
  const std::string run = RunDir();
  std::string note;
  TImageTable images = LoadSolverImages(run, note);
  TMaps maps;
  if (!maps.Load(run + "/first.qs") || state.range(0) > maps.Count()) {
    state.SkipWithError(("no map " + std::to_string(state.range(0)) + " in " + run + "/first.qs").c_str());
    return;
  }
  TSolveOptions options;
  options.AllSeeds = true;
  options.TimeLimit = 60;
  TSolveResult result;
  for (auto _ : state) result = Solve(maps, static_cast<int>(state.range(0)) - 1, images, options);
  const TSolveProgress& f = result.Figures;
  state.counters["solved"] = result.Status == SolveStatus::Solved;
  state.counters["ticks"] = static_cast<double>(result.Moves.size());
  state.counters["explored"] = static_cast<double>(f.Expanded);
  state.counters["stored"] = static_cast<double>(f.Stored);
  state.counters["expanded_per_s"] = f.Seconds > 0 ? f.Expanded / f.Seconds : 0;
  state.counters["MiB_per_M_states"] =
      f.Stored > 0 ? static_cast<double>(result.PeakBytes) / (1 << 20) / (f.Stored / 1e6) : 0;
}
BENCHMARK(BM_SolveFirstPack)->DenseRange(1, 10)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace quarry

BENCHMARK_MAIN();
