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
// The image as an 8-bit RGB PNG.
std::vector<uint8_t> EncodeIconPng(const Image& image);

constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

}  // namespace datagen
