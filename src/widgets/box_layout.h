// What the list box and the edit box read alike from "controls.ini": the box
// position from a reference point and two alignment words, the text
// alignment, and the values they fetch from the control memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quarry {

class TIniFile;
class TMad;
class TStream;

constexpr uint32_t kNoFontReference = 0xFFFFFFFF;

// The inclusive edges of a box placed by "X", "Y", "Width", "Height",
// "AlignX" and "AlignY"; unknown alignment words are logged under tag.
struct BoxEdges {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};
BoxEdges ReadBoxEdges(TIniFile& ini, const std::string& section, int16_t defaultWidth, int16_t defaultHeight,
                      const std::string& tag);

// "AlignText": 0 left, 1 centre, 2 right.
uint8_t ReadAlignText(TIniFile& ini, const std::string& section, const std::string& tag);

// The four-byte font reference at "FontAddress"; kNoFontReference when the
// control memory cannot give it.
uint32_t ReadFontReference(TIniFile& ini, const std::string& section);

// While it lives, drawing on the BackBuffer stays inside the inclusive box
// (and inside any clipping already in force): a text longer than its box
// stops at the box's edge instead of running over its neighbours.
class TBoxClip {
public:
  TBoxClip(int left, int top, int right, int bottom);
  ~TBoxClip();
  TBoxClip(const TBoxClip&) = delete;
  TBoxClip& operator=(const TBoxClip&) = delete;

private:
  int x_ = 0, y_ = 0, w_ = 0, h_ = 0;  // the clipping it replaced
  bool set_ = false;
};

// A 16-bit word of the control memory; fallback when out of range.
uint16_t RetrieveWord(uint32_t address, uint16_t fallback);

// The layout member as a stream. A member of unknown packing reads as an
// empty file, so the box gets its defaults; a missing member stops the
// program in the archive reader.
std::unique_ptr<TStream> OpenLayout(const std::string& iniMember, TMad& archive);

}  // namespace quarry
