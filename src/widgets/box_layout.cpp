#include "widgets/box_layout.h"

#include <algorithm>

#include "frame/control_memory.h"
#include "archive/mad.h"
#include "config/ini_file.h"
#include "core/log.h"
#include "core/stream.h"
#include "core/text.h"
#include "graphics/zr_sdl.h"

namespace quarry {

namespace {

std::string Word(TIniFile& ini, const std::string& section, const std::string& key, const std::string& fallback) {
  return UpperCase(ini.ReadString(section, key, fallback));
}

}  // namespace

BoxEdges ReadBoxEdges(TIniFile& ini, const std::string& section, int16_t defaultWidth, int16_t defaultHeight,
                      const std::string& tag) {
  const int x = ini.ReadInteger(section, "X", 0);
  const int y = ini.ReadInteger(section, "Y", 0);
  const int width = ini.ReadInteger(section, "Width", defaultWidth);
  const int height = ini.ReadInteger(section, "Height", defaultHeight);
  BoxEdges box;

  const std::string alignX = Word(ini, section, "AlignX", "Left");
  if (alignX == "CENTER") {
    box.Left = x - width / 2;
  } else if (alignX == "RIGHT") {
    box.Left = x - width;
  } else {
    if (alignX != "LEFT") LogWarning("Invalid ALIGNX value (" + alignX + "), using LEFT instead.", tag);
    box.Left = x;
  }
  box.Right = box.Left + width - 1;

  const std::string alignY = Word(ini, section, "AlignY", "Top");
  if (alignY == "CENTER") {
    box.Top = y - height / 2;
  } else if (alignY == "BOTTOM") {
    box.Top = y - height;
  } else {
    if (alignY != "TOP") LogWarning("Invalid ALIGNY value (" + alignY + "), using TOP instead.", tag);
    box.Top = y;
  }
  box.Bottom = box.Top + height - 1;
  return box;
}

uint8_t ReadAlignText(TIniFile& ini, const std::string& section, const std::string& tag) {
  const std::string align = Word(ini, section, "AlignText", "Left");
  if (align == "CENTER") return 1;
  if (align == "RIGHT") return 2;
  if (align != "LEFT") LogWarning("Unknown ALIGNTEXT value (" + align + "), using LEFT instead.", tag);
  return 0;
}

uint32_t ReadFontReference(TIniFile& ini, const std::string& section) {
  // A negative address becomes a huge one, which the range check refuses.
  const auto address = static_cast<uint32_t>(static_cast<int32_t>(ini.ReadInteger(section, "FontAddress", 0)));
  uint32_t reference = kNoFontReference;
  if (ControlMemory) ControlMemory->Retrieve(address, &reference, 4);
  return reference;
}

TBoxClip::TBoxClip(int left, int top, int right, int bottom) {
  if (!BackBuffer) return;
  SDL_Rect old;
  SDL_GetClipRect(BackBuffer, &old);
  x_ = old.x, y_ = old.y, w_ = old.w, h_ = old.h;
  const int x1 = std::max(left, x_), y1 = std::max(top, y_);
  const int x2 = std::min(right, x_ + w_ - 1), y2 = std::min(bottom, y_ + h_ - 1);
  // A box wholly outside gives an empty clip rather than SDL's "no clipping".
  SDL_Rect box{static_cast<Sint16>(x1), static_cast<Sint16>(y1), 0, 0};
  if (x2 >= x1 && y2 >= y1) {
    box.w = static_cast<Uint16>(x2 - x1 + 1);
    box.h = static_cast<Uint16>(y2 - y1 + 1);
  }
  SDL_SetClipRect(BackBuffer, &box);
  set_ = true;
}

TBoxClip::~TBoxClip() {
  if (!set_ || !BackBuffer) return;
  SDL_Rect old{static_cast<Sint16>(x_), static_cast<Sint16>(y_), static_cast<Uint16>(w_), static_cast<Uint16>(h_)};
  SDL_SetClipRect(BackBuffer, &old);
}

uint16_t RetrieveWord(uint32_t address, uint16_t fallback) {
  uint16_t word = fallback;
  if (ControlMemory) ControlMemory->Retrieve(address, &word, 2);
  return word;
}

std::unique_ptr<TStream> OpenLayout(const std::string& iniMember, TMad& archive) {
  std::unique_ptr<TMemoryStream> stream = archive.OpenStream(iniMember);
  if (!stream) return std::make_unique<TMemoryStream>();
  return stream;
}

}  // namespace quarry
