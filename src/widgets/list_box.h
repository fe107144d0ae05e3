// The menu list box: rows of entries with a pulsing highlight bar moved by
// two keys and closed by four others. Its whole look comes from the section
// "Listbox.<name>" of "controls.ini"; font and keys come through the control
// memory addresses that section names.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "config/string_list.h"

namespace quarry {

class TMad;
class TStream;

// Everything TListBox reads from its section, after the derived values.
struct TListBoxLayout {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;  // inclusive edges
  uint32_t Font = 0;                             // font reference (widget_fonts.h)
  uint8_t AlignText = 0;                         // 0 left, 1 centre, 2 right
  uint16_t RowHeight = 16;
  int TextX = 0;
  int TextOffsetY = 0;  // text y within a row, font centring included
  uint16_t VisibleRows = 0;
  std::array<uint16_t, 3> Background{}, Color1{}, Color2{};  // red, green, blue
  std::array<uint16_t, 6> Keys{};                            // up, down, then four closing keys
};

class TListBox {
public:
  // Opens iniMember of the archive and lays the box out from it.
  static std::unique_ptr<TListBox> Create(const std::string& iniMember, const std::string& boxName, TMad& archive);
  // Init: reads section "Listbox." + boxName (and its ".Items" list) from the stream.
  TListBox(TStream& ini, const std::string& boxName);
  TListBox(const TListBox&) = delete;
  TListBox& operator=(const TListBox&) = delete;

  void AddItem(const std::string& text);
  // The entry's text; an invalid position logs a warning and gives "".
  std::string GetItem(uint16_t position) const;
  uint16_t Count() const { return items_.Count(); }
  uint16_t ItemIndex() const { return itemIndex_; }
  // Highlights the position and shows it in the first row.
  void SetItemIndex(uint16_t position);
  // The key that closed RunModal; 0 while it runs.
  uint16_t LastKey() const { return lastKey_; }

  // Draws box, bar and rows on the BackBuffer with the box's font.
  void Draw() const;
  // The same with the colour-switching text of the colour fonts.
  void DrawColored() const;
  // One frame: the bar's pulse and the held movement keys.
  void HandleKeys();
  // Frame loop until one of the four closing keys is held.
  void RunModal();

  uint16_t TopIndex() const { return topIndex_; }
  uint16_t Blend() const { return blend_; }
  uint16_t RepeatDelay() const { return repeatDelay_; }
  const TListBoxLayout& Layout() const { return layout_; }

private:
  void DrawRows(bool colored) const;

  TListBoxLayout layout_;
  TStringList items_;
  uint16_t lastKey_ = 0;
  uint16_t itemIndex_ = 0;
  uint16_t topIndex_ = 0;
  uint16_t blend_ = 0;
  uint16_t blendUp_ = 1;
  uint16_t repeatDelay_ = 255;
};

}  // namespace quarry
