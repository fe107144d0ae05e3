#include "game/screen/cave_picture.h"

#include <cstdlib>
#include <filesystem>

#include "archive/mad.h"
#include "game/cave.h"
#include "game/play_session.h"
#include "game/screen/color_text.h"
#include "game/screen/play_screen.h"
#include "graphics/bmp_font.h"
#include "graphics/image_collection.h"
#include "graphics/variant_table.h"
#include "graphics/zr_sdl.h"

namespace quarry {

struct TCavePainter::Parts {
  std::unique_ptr<TMad> archive;
  std::unique_ptr<TImageCollection> images;
  std::unique_ptr<TBMPFont> blue, orange;
  TImageTable table;
  GameContext context;
  std::unique_ptr<TPlayScreen> screen;
};

namespace {

// The back buffer's box (x, y) - (x + width - 1, y + height - 1) as RGB.
TRgbImage ReadBack(int x, int y, int width, int height) {
  TRgbImage image(width, height);
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) {
      uint8_t* pixel = image.At(column, row);
      GetPixelRGB(BackBuffer, x + column, y + row, pixel[0], pixel[1], pixel[2]);
    }
  return image;
}

}  // namespace

std::unique_ptr<TCavePainter> TCavePainter::Open(const std::string& dataDir, std::string& error) {
  const std::string mad = (std::filesystem::path(dataDir) / "quarry.mad").string();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(mad, ec)) {
    error = "no " + mad + " (the pictures are drawn with its images)";
    return nullptr;
  }
  // A tool draws off screen: never a window, whatever the environment says.
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (!OpenTestDisplay(640, 480, 32)) {
    error = std::string("cannot start the drawing surface (") + SDL_GetError() + ")";
    return nullptr;
  }
  auto parts = std::make_unique<Parts>();
  parts->archive = std::make_unique<TMad>(mad);
  // As the game loads a level pack's images.
  parts->images = std::make_unique<TImageCollection>(32);
  parts->images->LoadList("blocks.lst", *parts->archive);
  BuildVariantTable([&](const std::string& name) { return parts->images->Find(name) != nullptr; });
  parts->table = ImageTableOf(parts->images.get());
  parts->blue = std::make_unique<TBMPFont>("font", *parts->archive, 64, 192, 255);
  parts->orange = std::make_unique<TBMPFont>("font", *parts->archive, 255, 192, 64);
  parts->blue->SetColorKey(0, 0, 0);
  parts->orange->SetColorKey(0, 0, 0);
  parts->context.Images = parts->images.get();
  parts->context.ColorFonts[0] = parts->blue.get();
  parts->context.ColorFonts[1] = parts->orange.get();
  parts->screen = std::make_unique<TPlayScreen>(parts->context, parts->table);
  return std::unique_ptr<TCavePainter>(new TCavePainter(std::move(parts)));
}

TCavePainter::TCavePainter(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

TCavePainter::~TCavePainter() {
  // Every surface goes before the display does.
  parts_.reset();
  CloseTestDisplay();
}

const TImageTable& TCavePainter::Table() const { return parts_->table; }

TRgbImage TCavePainter::Cave(TPlaySession& session) {
  // The frame loop's drawing: the cells, then the player on top (FinishFrame).
  const int top = CellScreenY(0);
  FillBox(0, top, kCavePictureWidth - 1, top + kCavePictureHeight - 1, 0, 0, 0);
  parts_->screen->DrawCave(session);
  const TCave& cave = session.Cave();
  if (cave.PlayerImage != "  ") parts_->screen->DrawPlayer(cave, cave.PlayerImage);
  return ReadBack(0, top, kCavePictureWidth, kCavePictureHeight);
}

TRgbImage TCavePainter::Captioned(const TRgbImage& picture, const std::string& text) {
  // The text is drawn below the cave's rows, where no picture is read from.
  const int top = CellScreenY(kCaveRows);
  FillBox(0, top, picture.Width - 1, top + kCaptionHeight - 1, 0, 0, 0);
  const int height = parts_->blue->Height;
  DrawColorText(parts_->context.ColorFonts, std::string(1, '\0') + text, 8,
                top + std::max(0, (kCaptionHeight - height) / 2), kAlignLeft);
  TRgbImage captioned(picture.Width, picture.Height + kCaptionHeight);
  captioned.Paste(picture, 0, 0);
  captioned.Paste(ReadBack(0, top, picture.Width, kCaptionHeight), 0, picture.Height);
  return captioned;
}

}  // namespace quarry
