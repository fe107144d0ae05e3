#include "widgets/box_layout.h"

#include "app/control_memory.h"
#include "archive/mad.h"
#include "config/ini_file.h"
#include "core/log.h"
#include "core/stream.h"
#include "core/text.h"

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
