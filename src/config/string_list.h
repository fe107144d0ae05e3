// A bounded, append-only list of short texts (list-box rows).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarry {

class TStringList {
public:
  static constexpr uint16_t kCapacity = 1024;

  TStringList() { items_.reserve(kCapacity); }

  // Appends a copy (cut to 255 characters); beyond the capacity the text is
  // dropped with a warning.
  void Add(const std::string& text);
  // Copies row index into result; an index past the last row logs a warning
  // and leaves result unchanged.
  void GetItem(uint16_t index, std::string& result) const;

  uint16_t Count() const { return static_cast<uint16_t>(items_.size()); }

private:
  std::vector<std::string> items_;
};

}  // namespace quarry
