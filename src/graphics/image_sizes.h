// Image sizes without SDL: name -> width, height, filled from the same image
// list as the drawn collection by reading only the BMP/CEL headers. The cave
// rules need the frame counts of animation strips but must run headless.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarry {

class TMad;

struct ImageSize {
  int width = 0;
  int height = 0;
};

class TImageSizes {
public:
  explicit TImageSizes(uint32_t capacity);

  // Same rules as TImageCollection.Add: the name is cut to 16 characters and
  // entries beyond the capacity are dropped.
  void Add(const std::string& name, int width, int height);

  // First entry of exactly this name. Logs the collection's
  // "Image not found! (" status line when there is none, so a headless run
  // logs what a drawn run logs.
  const ImageSize* Find(const std::string& name) const;
  // Same lookup without a log line.
  bool Has(const std::string& name) const;

  // Reads the list member and adds every image the drawn collection would
  // add, in the same order. Members are fetched as the collection fetches
  // them, so a missing one stops the program the same way.
  void LoadList(const std::string& listName, TMad& archive);

  uint32_t Capacity() const { return capacity_; }
  uint32_t Count() const { return static_cast<uint32_t>(entries_.size()); }
  const std::string& NameAt(uint32_t index) const { return entries_[index].name; }

private:
  struct Entry {
    std::string name;
    ImageSize size;
  };
  uint32_t capacity_;
  std::vector<Entry> entries_;
};

}  // namespace quarry
