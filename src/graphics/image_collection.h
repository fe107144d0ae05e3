// A fixed-capacity list of named display-format surfaces, filled from an
// image list member of an archive and searched by exact name when drawing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/image_loader.h"
#include "graphics/surface_ptr.h"

namespace quarry {

class TMad;

class TImageCollection {
public:
  explicit TImageCollection(uint32_t capacity);
  TImageCollection(const TImageCollection&) = delete;
  TImageCollection& operator=(const TImageCollection&) = delete;

  // Takes the surface under the name cut to 16 characters. A full
  // collection (or a missing surface) adds nothing; the surface is freed.
  void Add(SurfacePtr surface, const std::string& name);
  // First record of exactly this name, or nullptr with the
  // "Image not found! (" status line. The collection keeps ownership.
  SDL_Surface* Find(const std::string& name) const;

  // Adds every image the list member names (see image_list.h). Lines that
  // name no member and members that cannot be decoded are logged and skipped.
  void LoadList(const std::string& listName, TMad& archive);

  uint32_t Capacity() const { return capacity_; }
  uint32_t Count() const { return static_cast<uint32_t>(records_.size()); }
  const std::string& NameAt(uint32_t index) const { return records_[index].name; }
  SDL_Surface* SurfaceAt(uint32_t index) const { return records_[index].surface.get(); }

private:
  struct ImageRecord {
    std::string name;
    SurfacePtr surface;
  };
  uint32_t capacity_;
  std::vector<ImageRecord> records_;
};

}  // namespace quarry
