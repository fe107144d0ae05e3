// The per-frame cost of presenting: one full BackBuffer -> screen Flip and a
// cave-sized pass of 240 tile blits, on the dummy video driver.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "graphics/zr_sdl.h"

using namespace quarry;

namespace {

struct Display {
  Display() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (!OpenTestDisplay()) std::abort();
    tile = NewSurface(32, 32);
    FillSurfaceBox(tile, 4, 4, 27, 27, 200, 120, 40);
    SDL_Surface* keyed = SDL_DisplayFormat(tile);
    SDL_FreeSurface(tile);
    tile = keyed;
    SDL_SetColorKey(tile, ColorKeyFlags, 0);
  }
  ~Display() {
    FreeSurface(tile);
    CloseTestDisplay();
  }
  SDL_Surface* tile;
};

Display& TheDisplay() {
  static Display d;
  return d;
}

void BM_Flip(benchmark::State& state) {
  TheDisplay();
  ClearScreen(10, 20, 30);
  for (auto _ : state) benchmark::DoNotOptimize(Flip());
}
BENCHMARK(BM_Flip);

void BM_CaveBlitPass(benchmark::State& state) {
  SDL_Surface* tile = TheDisplay().tile;
  for (auto _ : state) {
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 20; ++x) BlitWhole(x * 32, 96 + y * 32, tile);
  }
  state.SetItemsProcessed(state.iterations() * 240);
}
BENCHMARK(BM_CaveBlitPass);

void BM_PlayFrameShape(benchmark::State& state) {
  // 240 cells, the player and the flip: the shape of one drawn play frame.
  SDL_Surface* tile = TheDisplay().tile;
  for (auto _ : state) {
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 20; ++x) BlitPart(x * 32, 96 + y * 32, 0, 0, 31, 31, tile);
    BlitWhole(320, 200, tile);
    benchmark::DoNotOptimize(Flip());
  }
}
BENCHMARK(BM_PlayFrameShape);

}  // namespace

BENCHMARK_MAIN();
