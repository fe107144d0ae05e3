#include "graphics/image_list.h"

#include "core/log.h"
#include "core/stream.h"
#include "core/text.h"

namespace quarry {

namespace {

// Surfaces of the SDL 1.2 interface keep their pitch in 16 bits, so a
// 32-bit surface can be at most 16383 pixels wide; larger headers are
// refused here rather than half-made later.
constexpr int64_t kMaxImageSide = 16383;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool ParseImageListLine(const std::string& line, ImageListEntry& entry) {
  std::string text = line;
  entry.colorKeyed = !text.empty() && text[0] == '.';
  if (entry.colorKeyed) text.erase(0, 1);
  size_t comma = text.find(',');
  if (comma == std::string::npos) {
    entry.member.clear();
    entry.name = text.substr(0, kImageNameMax);
    return false;
  }
  entry.member = text.substr(0, comma);
  entry.name = text.substr(comma + 1, kImageNameMax);
  return !entry.member.empty();
}

std::vector<ImageListEntry> ReadImageList(TStream& list, const std::string& tag) {
  std::vector<ImageListEntry> entries;
  std::string line;
  while (ReadLine(list, line)) {
    if (line == "!END") break;
    ImageListEntry entry;
    if (!ParseImageListLine(line, entry)) {
      LogWarning("Image line names no member, skipped! (" + line + ")", tag);
      continue;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool IsCelMember(const std::string& member) {
  return member.size() >= 4 && UpperCase(member.substr(member.size() - 4)) == ".CEL";
}

bool ReadBmpSize(const uint8_t* data, size_t size, int& width, int& height) {
  if (!data || size < 26 || data[0] != 'B' || data[1] != 'M') return false;
  const uint64_t offBits = U32(data + 10);
  const uint64_t headerSize = U32(data + 14);
  int64_t w = 0, h = 0;
  uint32_t bpp = 0, compression = 0, colorsUsed = 0, paletteEntrySize = 4;
  if (headerSize == 12) {
    w = U16(data + 18);
    h = U16(data + 20);
    bpp = U16(data + 24);
    paletteEntrySize = 3;
  } else if (headerSize >= 40 && headerSize <= 124) {
    if (size < 14 + headerSize) return false;
    w = static_cast<int32_t>(U32(data + 18));
    h = static_cast<int32_t>(U32(data + 22));
    bpp = U16(data + 28);
    compression = U32(data + 30);
    colorsUsed = U32(data + 46);
  } else {
    return false;
  }
  if (h < 0) h = -h;  // top-down rows
  if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide) return false;
  switch (bpp) {
    case 1: case 4: case 8: case 24:
      if (compression != 0) return false;
      break;
    case 16: case 32:
      if (compression != 0 && compression != 3) return false;
      break;
    default:
      return false;
  }
  if (bpp <= 8) {
    uint64_t colors = colorsUsed == 0 ? (1u << bpp) : colorsUsed;
    if (colors > (1u << bpp)) return false;
    if (14 + headerSize + colors * paletteEntrySize > size) return false;
  }
  const uint64_t rowBytes = ((static_cast<uint64_t>(w) * bpp + 31) / 32) * 4;
  if (offBits + rowBytes * static_cast<uint64_t>(h) > size) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool ReadCelSize(const uint8_t* data, size_t size, int& width, int& height) {
  if (!data || size < 6 || U16(data) != 0x9119) return false;
  const int64_t w = U16(data + 2), h = U16(data + 4);
  if (w == 0 || h == 0 || w > kMaxImageSide || h > kMaxImageSide) return false;
  if (800 + static_cast<uint64_t>(w * h) > size) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

}  // namespace quarry
