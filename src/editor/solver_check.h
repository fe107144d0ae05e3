// The solver run on the edited grid as a background job: every exit start
// frame, within a time limit, with its progress as a status text.
#pragma once

#include <cstdint>

#include "editor/background_job.h"
#include "editor/map_file.h"
#include "game/images.h"

namespace quarry {

constexpr double kSolverSeconds = 30;

// The job's work; its result message is one of "shortest solution: N ticks",
// "cannot be completed within N ticks", "gave up after S s", "gave up: out
// of search memory after S s" or "cannot check: ...", and its moves the
// solution found.
TBackgroundJob::Work SolverWork(const TMapFile& file, const TImageTable& images, double seconds,
                                uint32_t maxTicks = 1000);

}  // namespace quarry
