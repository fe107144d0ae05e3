#include "widgets/edit_box.h"

#include <algorithm>

#include "frame/frame.h"
#include "config/ini_file.h"
#include "core/keys.h"
#include "core/log.h"
#include "core/stream.h"
#include "core/text.h"
#include "graphics/bmp_font.h"
#include "graphics/zr_sdl.h"
#include "widgets/box_layout.h"
#include "widgets/widget_fonts.h"

namespace quarry {

namespace {

const char* const kInitTag = "EDITBOX, TEditBox.Init";
constexpr uint8_t kBackspace = 8;
constexpr uint8_t kReturn = 13;
constexpr uint8_t kEscape = 27;
constexpr uint8_t kFirstPrintable = 32;
constexpr uint8_t kLastPrintable = 126;

}  // namespace

std::unique_ptr<TEditBox> TEditBox::Create(const std::string& iniMember, const std::string& boxName,
                                           TMad& archive) {
  std::unique_ptr<TStream> ini = OpenLayout(iniMember, archive);
  return std::make_unique<TEditBox>(*ini, boxName);
}

TEditBox::TEditBox(TStream& stream, const std::string& boxName) {
  TIniFile ini(stream);
  const std::string section = "EditBox." + boxName;
  TEditBoxLayout& l = layout_;

  const BoxEdges edges = ReadBoxEdges(ini, section, 320, 20, kInitTag);
  l.Left = edges.Left;
  l.Top = edges.Top;
  l.Right = edges.Right;
  l.Bottom = edges.Bottom;
  l.Font = ReadFontReference(ini, section);
  l.AlignText = ReadAlignText(ini, section, kInitTag);
  // Centred in the box, then moved by the configured offset. A font taller
  // than the box starts above the box's top by half the difference.
  l.TextY = l.Top + (l.Bottom - l.Top + 1 - WidgetFontHeight(l.Font)) / 2 +
            ini.ReadInteger(section, "TextOffsetY", 0);

  const std::string textCase = UpperCase(ini.ReadString(section, "TextCase", "Normal"));
  if (textCase == "UPPER") {
    l.TextCase = 1;
  } else if (textCase == "LOWER") {
    l.TextCase = 2;
  } else {
    if (textCase != "NORMAL")
      LogWarning("Unknown TEXTCASE value (" + textCase + "), using NORMAL instead.", kInitTag);
    l.TextCase = 0;
  }

  l.MaxLength = ini.ReadInteger(section, "MaxLength", 32);
  ini.ReadRGB(section, "Background", 32, 32, 32, l.Background[0], l.Background[1], l.Background[2]);
  l.Transparent = ini.ReadInteger(section, "Transparent", 0) == 1;

  if (l.AlignText == 1)
    l.TextX = l.Left + (l.Right - l.Left + 1) / 2;
  else
    l.TextX = l.AlignText == 2 ? l.Right : l.Left;
}

void TEditBox::Draw() const {
  // The cursor follows the last character.
  DrawText(text_ + "_");
}

void TEditBox::DrawMessage(const std::string& message) const { DrawText(message); }

void TEditBox::DrawText(const std::string& text) const {
  const TEditBoxLayout& l = layout_;
  if (l.Transparent)
    RestoreBehind();
  else
    FillBox(l.Left, l.Top, l.Right, l.Bottom, static_cast<uint8_t>(l.Background[0]),
            static_cast<uint8_t>(l.Background[1]), static_cast<uint8_t>(l.Background[2]));
  const TBoxClip clip(l.Left, l.Top, l.Right, l.Bottom);
  if (const TBMPFont* font = WidgetFont(l.Font)) font->DrawText(text, l.TextX, l.TextY, l.AlignText);
}

bool TEditBox::Fits(const std::string& text) const {
  const TBMPFont* font = WidgetFont(layout_.Font);
  return !font || font->TextWidth(text + "_") <= layout_.Right - layout_.Left + 1;
}

void TEditBox::Run() {
  const TEditBoxLayout& l = layout_;
  if (l.Transparent) SaveBehind();
  ClearKeyQueue();  // keys typed before the box appeared are not part of the entry

  // Texts are short texts, whatever "MaxLength" says.
  const size_t room = static_cast<size_t>(std::clamp(l.MaxLength, 0, static_cast<int>(kShortTextMax)));
  uint8_t c = 0;
  do {
    Draw();
    Flip();
    c = ReadKey(true);
    if (l.TextCase == 1 && c >= 'a' && c <= 'z') c = static_cast<uint8_t>(c - 32);
    if (l.TextCase == 2 && c >= 'A' && c <= 'Z') c = static_cast<uint8_t>(c + 32);
    if (c == 0) {
      // Only ends the loop if it is Return or Escape; never typed.
      c = ReadKey(true);
    } else if (c == kBackspace) {
      if (!text_.empty()) text_.pop_back();
    } else if (c >= kFirstPrintable && c <= kLastPrintable) {
      // Control characters would switch colours where the text is drawn in
      // colour; a character that would not fit could not be seen.
      const std::string longer = text_ + static_cast<char>(c);
      if (text_.size() < room && Fits(longer)) text_ = longer;
    }
  } while (c != kReturn && c != kEscape);
  if (c == kEscape) text_.clear();

  if (l.Transparent) {
    RestoreBehind();
    behind_.reset();
    Flip();
  }
}

void TEditBox::SaveBehind() {
  behind_.reset();
  if (!BackBuffer) return;
  // Only the part on the BackBuffer can be saved; the rest was never drawn.
  const TEditBoxLayout& l = layout_;
  const int x1 = std::max(l.Left, 0), y1 = std::max(l.Top, 0);
  const int x2 = std::min(l.Right, BackBuffer->w - 1), y2 = std::min(l.Bottom, BackBuffer->h - 1);
  if (x1 > x2 || y1 > y2) return;
  behind_.reset(NewSurfaceForBox(x1, y1, x2, y2));
  if (!behind_) return;
  SDL_Rect from = BoxRect(x1, y1, x2, y2);
  BlitSurface(BackBuffer, &from, behind_.get(), nullptr);
  behindX_ = x1;
  behindY_ = y1;
}

void TEditBox::RestoreBehind() const {
  if (behind_) BlitWhole(behindX_, behindY_, behind_.get());
}

}  // namespace quarry
