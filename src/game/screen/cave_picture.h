// Pictures of caves for the authors' tools: the play screen's own drawing of
// the cells, sprites and player on the back buffer, read back as RGB. Runs on
// the dummy video driver; nothing is shown.
#pragma once

#include <memory>
#include <string>

#include "game/images.h"
#include "graphics/png_file.h"

namespace quarry {

class TPlaySession;

constexpr int kCavePictureWidth = 640;   // 20 cells of 32 pixels
constexpr int kCavePictureHeight = 384;  // 12 rows
constexpr int kCaptionHeight = 32;       // the text band under a picture
constexpr int kPictureGap = 8;           // black between pictures of a strip or sheet

class TCavePainter {
public:
  // Opens the dummy display and loads from DIR/quarry.mad what the game loads
  // for a level pack: the "blocks.lst" images with their variant table, and
  // the font in light blue and orange. Null with error set when there is no
  // quarry.mad or no display; a member missing inside it stops as in the game.
  static std::unique_ptr<TCavePainter> Open(const std::string& dataDir, std::string& error);
  ~TCavePainter();

  // The names and sizes the cave must be built with, in the images' order.
  const TImageTable& Table() const;
  // The 20 x 12 cave as the play screen draws it at this point of the session.
  TRgbImage Cave(TPlaySession& session);
  // picture with a black band of kCaptionHeight under it and text in it from
  // the left, in light blue; byte 1 switches to orange, byte 0 back.
  TRgbImage Captioned(const TRgbImage& picture, const std::string& text);

  struct Parts;

private:
  explicit TCavePainter(std::unique_ptr<Parts> parts);
  std::unique_ptr<Parts> parts_;
};

}  // namespace quarry
