// Decoders of the two image kinds an image list may name: BMP and Autodesk
// Animator CEL members.
#pragma once

#include <string>

#include "graphics/surface_ptr.h"

namespace quarry {

class TMad;
class TStream;

// Decodes a CEL (magic 0x9119, 6-bit palette) from the stream's position
// into a new surface of the screen's depth. None for a wrong magic
// (silently) or for a damaged member (with a warning).
SurfacePtr LoadCel(TStream& stream);

// A new display-format surface from one archive member: ".CEL" members
// through LoadCel, everything else as a BMP. None, with a warning naming the
// member, when the member cannot be decoded.
SurfacePtr LoadImage(const std::string& member, TMad& archive);

}  // namespace quarry
