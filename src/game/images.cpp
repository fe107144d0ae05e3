#include "game/images.h"

#include "core/log.h"
#include "graphics/image_sizes.h"

namespace quarry {

void TImageTable::Add(const std::string& name, uint16_t width, uint16_t height) {
  TImageInfo info;
  info.Name = name.substr(0, kNameMax);
  info.Width = width;
  info.Height = height;
  info.Index = static_cast<int>(images_.size());
  firstByName_.emplace(info.Name, info.Index);  // keeps the first of equal names
  images_.push_back(std::move(info));
}

const TImageInfo* TImageTable::Find(const std::string& name) const {
  auto it = firstByName_.find(name);
  if (it == firstByName_.end()) {
    LogStatus("Image not found! (" + name + ").", "ZR_SDL_C, TImageCollection.Find");
    return nullptr;
  }
  return &images_[static_cast<size_t>(it->second)];
}

int TImageTable::VariantCount(uint8_t character) const {
  for (size_t i = 0; i + 1 < variantTable_.size(); i += 2) {
    if (static_cast<uint8_t>(variantTable_[i]) == character) {
      return static_cast<uint8_t>(variantTable_[i + 1]);
    }
  }
  return -1;
}

TImageTable TImageTable::FromSizes(const TImageSizes& sizes, const std::string& variantTable) {
  TImageTable table;
  for (uint32_t i = 0; i < sizes.Count(); ++i) {
    const std::string& name = sizes.NameAt(i);
    const ImageSize* size = sizes.Find(name);
    table.Add(name, static_cast<uint16_t>(size ? size->width : 0),
              static_cast<uint16_t>(size ? size->height : 0));
  }
  table.SetVariantTable(variantTable);
  return table;
}

TImageTable TImageTable::Fallback() {
  TImageTable table;
  for (const char* strip : {"!", "!1", "!2"}) table.Add(strip, 4 * 32, 32);
  for (int c = 1; c < 256; ++c) table.Add(std::string(1, static_cast<char>(c)), 32, 32);
  for (const char* name : {"*U", "*D", "*L", "*R", ">2", "<2", "$1", "@1", ".1", "&1", "01"}) {
    table.Add(name, 32, 32);
  }
  // One variant each: activation then draws one random number per such cell,
  // as it does with any real variant count, so the stream of random numbers
  // (and with it the exits' start frames) matches the drawn game's.
  table.SetVariantTable(std::string("$\1@\1.\1&\1" "0\1", 10));
  return table;
}

}  // namespace quarry
