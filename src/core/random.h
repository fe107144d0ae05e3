// The seeded generator for gameplay-visible choices. Nothing cosmetic draws
// from it, so a seed and an input script replay the same run.
#pragma once

#include <cstdint>

namespace quarry {

void Randomize(uint32_t seed);
uint32_t RandomSeed();
// 0 <= result < range; 0 when range is 0.
uint32_t Random(uint32_t range);

}  // namespace quarry
