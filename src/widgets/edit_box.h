// The text-entry box of the new-player dialog. Its layout comes from the
// section "EditBox.<name>" of "controls.ini"; characters come from the typed
// character queue until Return confirms or Escape cancels. Only printable
// characters are taken, and only while the text and its cursor fit the box.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/surface_ptr.h"

namespace quarry {

class TMad;
class TStream;

struct TEditBoxLayout {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;  // inclusive edges
  int TextX = 0, TextY = 0;                      // where the text is drawn
  int MaxLength = 32;
  uint8_t TextCase = 0;   // 0 as typed, 1 upper case, 2 lower case
  uint8_t AlignText = 0;  // 0 left, 1 centre, 2 right
  bool Transparent = false;
  uint32_t Font = 0;                   // font reference (widget_fonts.h)
  std::array<uint16_t, 3> Background{};  // red, green, blue
};

class TEditBox {
public:
  // Opens iniMember of the archive and lays the box out from it.
  static std::unique_ptr<TEditBox> Create(const std::string& iniMember, const std::string& boxName, TMad& archive);
  // Init: reads section "EditBox." + boxName from the stream.
  TEditBox(TStream& ini, const std::string& boxName);
  TEditBox(const TEditBox&) = delete;
  TEditBox& operator=(const TEditBox&) = delete;

  // The edit loop; afterwards Text() holds the entry, empty when cancelled.
  // Another Run goes on from the text left by the last (a refused entry is
  // kept for correcting).
  void Run();
  const std::string& Text() const { return text_; }
  // Draws background, text and cursor on the BackBuffer (one pass of Run).
  void Draw() const;
  // Draws a message in the text's place, without the cursor.
  void DrawMessage(const std::string& message) const;
  const TEditBoxLayout& Layout() const { return layout_; }

private:
  void DrawText(const std::string& text) const;
  // Whether the text with its cursor fits between the box's edges.
  bool Fits(const std::string& text) const;
  void SaveBehind();
  void RestoreBehind() const;

  TEditBoxLayout layout_;
  std::string text_;
  // What a transparent box covers while Run shows it: the part of the box
  // that lies on the BackBuffer, with its top-left corner.
  SurfacePtr behind_;
  int behindX_ = 0, behindY_ = 0;
};

}  // namespace quarry
