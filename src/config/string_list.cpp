#include "config/string_list.h"

#include "core/log.h"
#include "core/text.h"

namespace quarry {

void TStringList::Add(const std::string& text) {
  if (items_.size() >= kCapacity) {
    LogWarning("Too many elements (Max. 1024)", "STRLIST, TStringList.Add");
    return;
  }
  items_.push_back(ShortText(text));
}

void TStringList::GetItem(uint16_t index, std::string& result) const {
  // Compared as signed numbers, so an empty list reports a last row of -1.
  int lastRow = static_cast<int>(items_.size()) - 1;
  if (static_cast<int>(index) > lastRow) {
    LogWarning("Index out of bounds! (To get: " + std::to_string(index) + " - MaxItem: " + std::to_string(lastRow) + ")",
               "STRLIST, TStringList.GetItem");
    return;
  }
  result = items_[index];
}

}  // namespace quarry
