// The cave's view of the game's images: names and sizes only, so the rules
// run without a display. The drawn game keeps a surface per Index.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>

namespace quarry {

class TImageSizes;

struct TImageInfo {
  std::string Name;
  uint16_t Width = 0;
  uint16_t Height = 0;
  int Index = 0;  // position in the table (and in the collection it mirrors)
};

class TImageTable {
public:
  static constexpr size_t kNameMax = 16;

  // Names longer than 16 characters are stored cut, as the collection does.
  void Add(const std::string& name, uint16_t width, uint16_t height);
  // First image of exactly this name, or nullptr with the collection's
  // "Image not found! (" status line, so headless and drawn runs log alike.
  const TImageInfo* Find(const std::string& name) const;
  size_t Count() const { return images_.size(); }
  const TImageInfo& At(size_t index) const { return images_[index]; }

  // Pairs of (element character, variant count 0..9) for "$", "@", ".", "&", "0".
  const std::string& VariantTable() const { return variantTable_; }
  void SetVariantTable(std::string table) { variantTable_ = std::move(table); }
  // Variant count of a character, or -1 when the table does not name it.
  int VariantCount(uint8_t character) const;

  // The same names, sizes and order as a loaded collection's size view, with
  // the variant table built from it.
  static TImageTable FromSizes(const TImageSizes& sizes, const std::string& variantTable);

  // Stand-in when no image data is at hand: every one-character name, one
  // numbered variant of each variant element and the player and tunnel
  // images as 32 x 32, and "!", "!1", "!2" as 4-frame strips.
  static TImageTable Fallback();

private:
  std::deque<TImageInfo> images_;  // deque: Find hands out stable pointers
  std::unordered_map<std::string, int> firstByName_;
  std::string variantTable_;
};

}  // namespace quarry
