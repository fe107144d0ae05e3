#include "graphics/image_loader.h"

#include <vector>

#include "archive/mad.h"
#include "core/log.h"
#include "core/stream.h"
#include "graphics/image_list.h"
#include "graphics/zr_sdl.h"

namespace quarry {

namespace {

constexpr size_t kCelPaletteOffset = 32;
constexpr size_t kCelPixelOffset = 800;

// A 24-bit surface over bytes stored blue, green, red (all masks 0 let SDL
// pick its defaults, which put red in the third byte), copied onto a new
// surface of the screen's depth.
SurfacePtr SurfaceFromBGR(std::vector<uint8_t>& bgr, int width, int height) {
  SDL_Surface* source =
      SDL_CreateRGBSurfaceFrom(bgr.data(), width, height, 24, width * 3, 0, 0, 0, 0);
  if (!source) return nullptr;
  SurfacePtr result(NewSurface(width, height));
  if (result) BlitOnto(result.get(), 0, 0, source);
  SDL_FreeSurface(source);
  return result;
}

}  // namespace

SurfacePtr LoadCel(TStream& stream) {
  std::vector<uint8_t> data(static_cast<size_t>(std::max<int64_t>(stream.Remaining(), 0)));
  data.resize(static_cast<size_t>(stream.Read(data.data(), static_cast<int64_t>(data.size()))));
  if (data.size() < 2 || (data[0] | (data[1] << 8)) != 0x9119) return nullptr;
  int width = 0, height = 0;
  if (!ReadCelSize(data.data(), data.size(), width, height)) {
    LogWarning("Damaged CEL image! (" + std::to_string(data.size()) + " bytes)",
               "ZR_SDL_C, LoadCel");
    return nullptr;
  }
  uint8_t palette[768];
  for (size_t i = 0; i < 768; ++i)
    palette[i] = static_cast<uint8_t>(data[kCelPaletteOffset + i] << 2);
  for (size_t entry = 0; entry < 256; ++entry) std::swap(palette[entry * 3], palette[entry * 3 + 2]);

  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint8_t> bgr(pixels * 3);
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* colour = palette + data[kCelPixelOffset + i] * 3;
    bgr[i * 3] = colour[0];
    bgr[i * 3 + 1] = colour[1];
    bgr[i * 3 + 2] = colour[2];
  }
  return SurfaceFromBGR(bgr, width, height);
}

SurfacePtr LoadImage(const std::string& member, TMad& archive) {
  SurfacePtr loaded;
  if (IsCelMember(member)) {
    std::unique_ptr<TMemoryStream> stream = archive.OpenStream(member);
    if (stream) loaded = LoadCel(*stream);
  } else {
    std::vector<uint8_t> bytes = archive.OpenPointer(member);
    int width = 0, height = 0;
    // SDL is only given BMPs whose header and pixel rows fit the member, the
    // same test the headless size view applies, so both accept the same set.
    if (ReadBmpSize(bytes.data(), bytes.size(), width, height)) {
      SDL_RWops* rw = SDL_RWFromMem(bytes.data(), static_cast<int>(bytes.size()));
      if (rw) loaded.reset(SDL_LoadBMP_RW(rw, 1));
      if (loaded && (loaded->w != width || loaded->h != height)) loaded.reset();
    }
  }
  if (loaded) {
    SurfacePtr converted(SDL_DisplayFormat(loaded.get()));
    if (converted) return converted;
  }
  LogWarning("Image member could not be decoded! (" + member + ")", "ZR_SDL_C, LoadImage");
  return nullptr;
}

}  // namespace quarry
