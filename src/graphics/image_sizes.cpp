#include "graphics/image_sizes.h"

#include "archive/mad.h"
#include "core/log.h"
#include "core/stream.h"
#include "graphics/image_list.h"

namespace quarry {

TImageSizes::TImageSizes(uint32_t capacity) : capacity_(capacity) { entries_.reserve(capacity); }

void TImageSizes::Add(const std::string& name, int width, int height) {
  if (entries_.size() >= capacity_) return;
  entries_.push_back({name.substr(0, kImageNameMax), {width, height}});
}

const ImageSize* TImageSizes::Find(const std::string& name) const {
  for (const Entry& entry : entries_)
    if (entry.name == name) return &entry.size;
  LogStatus("Image not found! (" + name + ").", "ZR_SDL_C, TImageCollection.Find");
  return nullptr;
}

bool TImageSizes::Has(const std::string& name) const {
  for (const Entry& entry : entries_)
    if (entry.name == name) return true;
  return false;
}

void TImageSizes::LoadList(const std::string& listName, TMad& archive) {
  const std::string tag = "ZR_SDL_C, TImageSizes.LoadList";
  std::unique_ptr<TMemoryStream> list = archive.OpenStream(listName);
  if (!list) return;
  for (const ImageListEntry& entry : ReadImageList(*list, tag)) {
    std::vector<uint8_t> bytes = archive.OpenPointer(entry.member);
    int width = 0, height = 0;
    bool ok = IsCelMember(entry.member) ? ReadCelSize(bytes.data(), bytes.size(), width, height)
                                        : ReadBmpSize(bytes.data(), bytes.size(), width, height);
    if (!ok) {
      LogWarning("Image member could not be decoded! (" + entry.member + ")", tag);
      continue;
    }
    Add(entry.name, width, height);
  }
}

}  // namespace quarry
