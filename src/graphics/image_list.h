// The image list files ("blocks.lst", "outro.lst"): one "member,name" line per
// image, a leading dot asking for the black colour key, "!END" or the end of
// the member ending the list. The drawn collection and the headless size view
// both read lists through this one parser so they can never disagree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarry {

class TStream;

// Image names are kept to 16 characters; a longer name is cut when stored.
constexpr size_t kImageNameMax = 16;

struct ImageListEntry {
  std::string member;     // archive member of the picture, dot removed
  std::string name;       // name in the collection, already cut to 16
  bool colorKeyed = false;
};

// Parses one literal list line (no trimming). Returns false for a line that
// names no member (no comma, or nothing before it): such a line is skipped.
bool ParseImageListLine(const std::string& line, ImageListEntry& entry);

// Reads the whole list from the stream's position. Lines without a member
// are logged as warnings under the caller's tag and skipped.
std::vector<ImageListEntry> ReadImageList(TStream& list, const std::string& tag);

// Width and height from the header of a BMP or CEL member, chosen by the
// member name's ".CEL" ending as the loader chooses. False when the header is
// damaged or promises more pixel bytes than the member holds; the drawn
// collection refuses such members too.
bool IsCelMember(const std::string& member);
bool ReadBmpSize(const uint8_t* data, size_t size, int& width, int& height);
bool ReadCelSize(const uint8_t* data, size_t size, int& width, int& height);

}  // namespace quarry
