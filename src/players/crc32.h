// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320), as pack files are
// fingerprinted in the progress records.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quarry {

// Continues a CRC over more bytes; start with 0 (the final exclusive-or is
// undone and redone on every call, so pieces chain).
uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc = 0);

// The CRC of a whole file, read in blocks of 16384 bytes; false when the file
// cannot be read. An empty file gives 0.
bool FileCrc32(const std::string& fileName, uint32_t& crc);

}  // namespace quarry
