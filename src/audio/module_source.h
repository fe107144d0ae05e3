// A tracker module rendered by libopenmpt, fed to the mixer.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "audio/mixer.h"

namespace quarry {

struct ModuleOptions {
  bool loop = false;   // start over at the end instead of ending
  bool ramps = false;  // volume ramping (softens clicks at note starts)
};

// nullptr when the bytes are not a module libopenmpt can read.
std::shared_ptr<MusicSource> LoadModule(std::span<const uint8_t> bytes, uint32_t outputRate,
                                        const ModuleOptions& options);

}  // namespace quarry
