// The desktop icon: four of the game's own cave tiles, at the sizes desktop
// themes look for, as PNG files.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace datagen {

// The icon drawn at 64 x 64 from the cave artwork.
Image GameIcon();
// The image scaled to size x size: box-averaged when shrinking, repeated
// pixels when growing, so tile edges stay sharp.
Image ScaledSquare(const Image& image, int size);
// An 8-bit RGB PNG; throws std::runtime_error when it cannot be written.
void WritePng(const std::string& path, const Image& image);

constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

}  // namespace datagen
