#include "core/random.h"

namespace quarry {

namespace {
uint32_t g_seed = 0;
uint64_t g_state = 0x853c49e6748fea9bULL;
}  // namespace

void Randomize(uint32_t seed) {
  g_seed = seed;
  g_state = 0x853c49e6748fea9bULL ^ (static_cast<uint64_t>(seed) * 0x9E3779B97F4A7C15ULL);
}

uint32_t RandomSeed() { return g_seed; }

uint32_t Random(uint32_t range) {
  if (range == 0) return 0;
  // splitmix64: small, fast and the same on every platform.
  uint64_t z = (g_state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  return static_cast<uint32_t>(((z >> 32) * range) >> 32);
}

}  // namespace quarry
