#include "graphics/image_collection.h"

#include "archive/mad.h"
#include "core/log.h"
#include "core/stream.h"
#include "graphics/image_list.h"
#include "graphics/zr_sdl.h"

namespace quarry {

TImageCollection::TImageCollection(uint32_t capacity) : capacity_(capacity) {
  records_.reserve(capacity);
}

void TImageCollection::Add(SurfacePtr surface, const std::string& name) {
  if (!surface || records_.size() >= capacity_) return;
  records_.push_back({name.substr(0, kImageNameMax), std::move(surface)});
}

SDL_Surface* TImageCollection::Find(const std::string& name) const {
  for (const ImageRecord& record : records_)
    if (record.name == name) return record.surface.get();
  LogStatus("Image not found! (" + name + ").", "ZR_SDL_C, TImageCollection.Find");
  return nullptr;
}

void TImageCollection::LoadList(const std::string& listName, TMad& archive) {
  std::unique_ptr<TMemoryStream> list = archive.OpenStream(listName);
  if (!list) return;
  for (const ImageListEntry& entry : ReadImageList(*list, "ZR_SDL_C, TImageCollection.LoadList")) {
    SurfacePtr surface = LoadImage(entry.member, archive);
    if (!surface) continue;
    // Raw pixel 0 is black in the display format.
    if (entry.colorKeyed) SDL_SetColorKey(surface.get(), ColorKeyFlags, 0);
    Add(std::move(surface), entry.name);
  }
}

}  // namespace quarry
