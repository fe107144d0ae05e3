// Writes sound effects as plain RIFF WAV files (16-bit PCM), for the data
// generators and the tests.
#pragma once

#include <cstdint>
#include <vector>

namespace quarry {

// samples: interleaved, channels per frame. The 44-byte header is followed
// by the samples, little-endian.
std::vector<uint8_t> WriteWav(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate);

}  // namespace quarry
