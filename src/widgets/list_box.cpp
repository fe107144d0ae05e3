#include "widgets/list_box.h"

#include "frame/frame.h"
#include "config/ini_file.h"
#include "core/clock.h"
#include "core/keys.h"
#include "core/stream.h"
#include "graphics/bmp_font.h"
#include "graphics/zr_sdl.h"
#include "widgets/box_layout.h"
#include "widgets/widget_fonts.h"

namespace quarry {

namespace {

const char* const kInitTag = "LISTBOX, TListBox.Init";
constexpr uint16_t kRepeatIdle = 255;
constexpr uint16_t kFirstRepeat = 15;  // frames before a held key moves again
constexpr uint16_t kNextRepeat = 2;    // then every third frame
constexpr uint16_t kBlendSteps = 32;

// A key code from the control memory may lie past the key table.
bool Held(uint16_t key) { return key < kKeyCount && KeyState[key] != 0; }

}  // namespace

std::unique_ptr<TListBox> TListBox::Create(const std::string& iniMember, const std::string& boxName,
                                           TMad& archive) {
  std::unique_ptr<TStream> ini = OpenLayout(iniMember, archive);
  return std::make_unique<TListBox>(*ini, boxName);
}

TListBox::TListBox(TStream& stream, const std::string& boxName) {
  TIniFile ini(stream);
  const std::string section = "Listbox." + boxName;
  TListBoxLayout& l = layout_;

  const BoxEdges edges = ReadBoxEdges(ini, section, 320, 200, kInitTag);
  l.Left = edges.Left;
  l.Top = edges.Top;
  l.Right = edges.Right;
  l.Bottom = edges.Bottom;
  l.Font = ReadFontReference(ini, section);
  l.AlignText = ReadAlignText(ini, section, kInitTag);
  const int textOffsetY = ini.ReadInteger(section, "TextOffsetY", 0);
  l.RowHeight = static_cast<uint16_t>(ini.ReadInteger(section, "RowHeight", 16));
  ini.ReadRGB(section, "Background", 32, 32, 32, l.Background[0], l.Background[1], l.Background[2]);
  ini.ReadRGB(section, "Color1", 96, 32, 32, l.Color1[0], l.Color1[1], l.Color1[2]);
  ini.ReadRGB(section, "Color2", 32, 48, 96, l.Color2[0], l.Color2[1], l.Color2[2]);

  // A key list the control memory cannot give leaves the usual keys, so the
  // box can still be moved and closed.
  const uint16_t usual[6] = {kKeyUp, kKeyDown, kKeyReturn, kKeySpace, kKeyEscape, kKeyDelete};
  const int32_t keyList = ini.ReadInteger(section, "KeylistAddress", 4);
  for (int k = 0; k < 6; ++k) l.Keys[k] = RetrieveWord(static_cast<uint32_t>(keyList + 2 * k), usual[k]);

  const std::string itemSection = section + ".Items";
  if (ini.ListItemCount(itemSection) > 0) {
    for (std::string item = ini.GetFirstListItem(itemSection); !item.empty(); item = ini.GetNextListItem(itemSection))
      items_.Add(item);
  }

  if (l.AlignText == 1)
    l.TextX = (l.Left + l.Right + 1) / 2;
  else
    l.TextX = l.AlignText == 2 ? l.Right : l.Left;
  // Centred in its row, then moved by the configured offset.
  l.TextOffsetY = textOffsetY + (static_cast<int>(l.RowHeight) - WidgetFontHeight(l.Font)) / 2;
  // A row height of 0 or a box of no height shows no rows rather than dividing by zero.
  const int boxHeight = l.Bottom - l.Top + 1;
  l.VisibleRows = (l.RowHeight == 0 || boxHeight <= 0) ? 0 : static_cast<uint16_t>(boxHeight / l.RowHeight);
}

void TListBox::AddItem(const std::string& text) { items_.Add(text); }

std::string TListBox::GetItem(uint16_t position) const {
  std::string text;
  items_.GetItem(position, text);
  return text;
}

void TListBox::SetItemIndex(uint16_t position) {
  itemIndex_ = position;
  topIndex_ = position;
}

void TListBox::Draw() const { DrawRows(false); }

void TListBox::DrawColored() const { DrawRows(true); }

void TListBox::DrawRows(bool colored) const {
  const TListBoxLayout& l = layout_;
  FillBox(l.Left, l.Top, l.Right, l.Bottom, static_cast<uint8_t>(l.Background[0]),
          static_cast<uint8_t>(l.Background[1]), static_cast<uint8_t>(l.Background[2]));
  const TBMPFont* font = WidgetFont(l.Font);
  const TBoxClip clip(l.Left, l.Top, l.Right, l.Bottom);
  for (int r = 0; r < l.VisibleRows && topIndex_ + r < Count(); ++r) {
    const int y = l.Top + r * l.RowHeight;
    const uint16_t position = static_cast<uint16_t>(topIndex_ + r);
    if (position == itemIndex_) {
      uint8_t bar[3];
      for (int i = 0; i < 3; ++i)
        bar[i] = static_cast<uint8_t>(l.Color1[i] + blend_ * (l.Color2[i] - l.Color1[i]) / kBlendSteps);
      FillBox(l.Left, y, l.Right, y + l.RowHeight - 1, bar[0], bar[1], bar[2]);
    }
    const std::string text = GetItem(position);
    if (colored)
      DrawColorText(WidgetFonts(), text, l.TextX, y + l.TextOffsetY, l.AlignText);
    else if (font)
      font->DrawText(text, l.TextX, y + l.TextOffsetY, l.AlignText);
  }
}

void TListBox::HandleKeys() {
  // The bar sweeps Color1 -> Color2 -> Color1 every 64 frames.
  blend_ = blendUp_ == 1 ? blend_ + 1 : blend_ - 1;
  if (blend_ == kBlendSteps || blend_ == 0) blendUp_ = 1 - blendUp_;

  if (repeatDelay_ != 0 && repeatDelay_ != kRepeatIdle) {
    --repeatDelay_;
    return;
  }
  const TListBoxLayout& l = layout_;
  if (Held(l.Keys[0]) && itemIndex_ > 0) {
    --itemIndex_;
    if (itemIndex_ < topIndex_) topIndex_ = itemIndex_;
    repeatDelay_ = repeatDelay_ == kRepeatIdle ? kFirstRepeat : kNextRepeat;
  }
  if (Held(l.Keys[1]) && itemIndex_ + 1 < Count()) {
    ++itemIndex_;
    if (l.VisibleRows == 0)
      topIndex_ = itemIndex_;
    else if (itemIndex_ > topIndex_ + l.VisibleRows - 1)
      topIndex_ = static_cast<uint16_t>(itemIndex_ - l.VisibleRows + 1);
    repeatDelay_ = repeatDelay_ == kRepeatIdle ? kFirstRepeat : kNextRepeat;
  }
  if (repeatDelay_ == 0) repeatDelay_ = kRepeatIdle;
}

void TListBox::RunModal() {
  lastKey_ = 0;
  do {
    Draw();
    Delay(FrameWait());
    Flip();
    PumpEvents();
    HandleKeys();
    // With several closing keys held, the last in list order wins.
    for (int k = 2; k < 6; ++k)
      if (Held(layout_.Keys[k])) lastKey_ = layout_.Keys[k];
  } while (lastKey_ == 0);
}

}  // namespace quarry
