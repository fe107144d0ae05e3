#include "players/crc32.h"

#include <array>
#include <cstdio>

namespace quarry {
namespace {

constexpr std::array<uint32_t, 256> kTable = [] {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}();

}  // namespace

uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc) {
  crc = ~crc;
  for (uint8_t b : bytes) crc = kTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

bool FileCrc32(const std::string& fileName, uint32_t& crc) {
  crc = 0;
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return false;
  std::array<uint8_t, 16384> block;
  size_t n;
  while ((n = std::fread(block.data(), 1, block.size(), f)) > 0) crc = Crc32({block.data(), n}, crc);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace quarry
