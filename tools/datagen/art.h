// Procedural artwork: the cave's cells, the closing scene's figures and the
// logos. Every picture is drawn in code from fixed seeds, so builds are
// byte-for-byte repeatable.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace datagen {

struct ArtFile {
  std::string member;  // archive member name, at most 12 characters
  Image image;
};

// Cell pictures for the game's image list (32 x 32 cells, animation strips
// of 32 x 32 frames side by side).
std::vector<ArtFile> CaveArt();
// Figures and tiles of the closing scene.
std::vector<ArtFile> OutroArt();
// The play-screen logo and the two intro pictures; they need a title font.
std::vector<ArtFile> LogoArt(const std::string& fontPath);

}  // namespace datagen
