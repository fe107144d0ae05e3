#include "game/screen/end_of_pack.h"

#include <algorithm>
#include <string>
#include <vector>

#include "frame/frame.h"
#include "audio/music_collection.h"
#include "core/clock.h"
#include "core/keys.h"
#include "game/end_of_pack_state.h"
#include "game/screen/play_screen.h"
#include "graphics/image_collection.h"
#include "graphics/zr_sdl.h"
#include "graphics/zrar_font.h"
#include "maps/xmap.h"

namespace quarry {

namespace {

constexpr int kBackgroundColumns = 20;
constexpr int kBackgroundRows = 12;

bool SpaceHeld() { return KeyState[kKeySpace] != 0; }

// The script's building blocks. Figures are drawn on the BackBuffer and
// erased again from the snapshot, so the background is never redrawn.
class TEndOfPackScene {
public:
  explicit TEndOfPackScene(GameContext& context) : context_(context), images_(64) {}
  ~TEndOfPackScene() {
    if (snapshot_) FreeSurface(snapshot_);
  }
  TEndOfPackScene(const TEndOfPackScene&) = delete;
  TEndOfPackScene& operator=(const TEndOfPackScene&) = delete;

  void Run();

private:
  SDL_Surface* Image(const std::string& name) const { return images_.Find(name); }
  void Blit(const std::string& name, int x, int y) const {
    if (SDL_Surface* image = Image(name)) BlitWhole(x, y, image);
  }
  void EraseBox(int x1, int y1, int x2, int y2) const { BlitPart(x1, y1, x1, y1, x2, y2, snapshot_); }
  void SaveBackground() {
    SDL_Rect box = BoxRect(0, 0, 639, 479);
    BlitSurface(BackBuffer, &box, snapshot_, nullptr);
  }
  void RestoreBackground() const { BlitWhole(0, 0, snapshot_); }

  void DrawBackground();
  void Pause(int frames) const;
  void Move(const std::string& name, int16_t x1, int16_t y1, int16_t x2, int16_t y2, int steps) const;
  // A move along several legs; Space ends the whole walk.
  void Walk(const std::string& name, const std::vector<TLeg>& legs) const;
  void Bubble(const std::string& text, int x, int y, int tailX, int tailLength, int align) const;
  void Say(const std::string& text, int y, int frames);
  void DiamondFlight() const;
  void FamilyWalk() const;
  void ClosingText() const;

  GameContext& context_;
  TImageCollection images_;
  SDL_Surface* snapshot_ = nullptr;
};

void TEndOfPackScene::DrawBackground() {
  TXMap map;
  if (context_.MainArchive) map.LoadFromMad("outro.mpt", *context_.MainArchive);
  DrawPlayFrame(context_.MainArchive);
  // Only the top-left 20 x 12 cells count; a smaller or unloaded map leaves
  // the cells it lacks black instead of being read past its end.
  const int columns = std::min<int>(kBackgroundColumns, map.Width);
  const int rows = std::min<int>(kBackgroundRows, map.Height);
  if (map.FileCells.size() < static_cast<size_t>(map.Width) * map.Height) return;
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      TLegendEntry entry = LegendOf(map.FileCell(x, y));
      if (entry.Image) Blit(entry.Image, 32 * x + entry.Dx, 32 * y + 48 + entry.Dy);
    }
  }
}

void TEndOfPackScene::Pause(int frames) const {
  for (int i = 0; i < frames; ++i) {
    Delay(FrameWait());
    PumpEvents();
    if (SpaceHeld()) return;
  }
}

void TEndOfPackScene::Move(const std::string& name, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                           int steps) const {
  Walk(name, {{x1, y1, x2, y2, steps}});
}

void TEndOfPackScene::Walk(const std::string& name, const std::vector<TLeg>& legs) const {
  SDL_Surface* image = Image(name);
  for (const TLeg& leg : legs) {
    for (int i = 1; i <= leg.Steps; ++i) {
      int x = MovePosition(leg.X1, leg.X2, i, leg.Steps);
      int y = MovePosition(leg.Y1, leg.Y2, i, leg.Steps);
      if (image) BlitWhole(x, y, image);
      Delay(FrameWait());
      Flip();
      // Gone from the BackBuffer, still on the screen until the next Flip.
      if (image) EraseBox(x, y, x + image->w - 1, y + image->h - 1);
      PumpEvents();
      if (SpaceHeld()) return;
    }
  }
}

void TEndOfPackScene::Bubble(const std::string& text, int x, int y, int tailX, int tailLength,
                             int align) const {
  TZrarFont* font = context_.AntiFont;
  const int w = font ? font->TextWidth(text) : 0;
  if (align == kAlignCentre) x -= w / 2;
  if (align == kAlignRight) x = x - w + 1;
  // Two overlapping boxes leave the corners cut.
  FillBox(x, y - 1, x + w - 1, y + 16, 255, 255, 255);
  FillBox(x - 1, y, x + w, y + 15, 255, 255, 255);
  if (font) font->DrawText(text, x, y, kAlignLeft);
  for (int r = 0; r < tailLength; ++r) {
    FillBox(tailX, y + 17 + r, tailX + tailLength - r, y + 17 + r, 255, 255, 255);
  }
}

void TEndOfPackScene::Say(const std::string& text, int y, int frames) {
  Bubble(text, 368, y, 368, 8, kAlignCentre);
  Flip();
  Pause(frames);
  RestoreBackground();
}

void TEndOfPackScene::DiamondFlight() const {
  static const char* const kDiamonds[5] = {nullptr, "Diam1", "Diam2", "Diam3", "Diam4"};
  SDL_Surface* images[5] = {nullptr};
  for (int k = 1; k <= 4; ++k) images[k] = Image(kDiamonds[k]);
  std::vector<TFlyingDiamond> diamonds = MakeFlyingDiamonds();
  bool flying = true;
  while (flying) {
    flying = StepFlight(diamonds, [&](int x, int y, int variant) {
      if (variant >= 1 && variant <= 4 && images[variant]) BlitWhole(x, y, images[variant]);
    });
    Delay(FrameWait());
    Flip();
    PumpEvents();
    EraseBox(240, 184, 495, 295);
    if (SpaceHeld()) return;
  }
}

void TEndOfPackScene::FamilyWalk() const {
  std::vector<TWalker> walkers = MakeFamily();
  bool walking = true;
  while (walking) {
    walking = StepFamily(walkers, [&](const TWalker& w) { Blit(w.Image, w.X, w.Y); });
    Delay(FrameWait());
    Flip();
    PumpEvents();
    EraseBox(0, 240, 639, 336);
    if (SpaceHeld()) return;
  }
}

void TEndOfPackScene::ClosingText() const {
  const ColorFontTable& fonts = context_.ColorFonts;
  DrawColorText(fonts, CongratulationsText(), 320, 180, kAlignCentre);
  DrawColorText(fonts, "\5You completed all maps", 320, 240, kAlignCentre);
  DrawColorText(fonts, "\5in this level pack!", 320, 280, kAlignCentre);
  DrawColorText(fonts, std::string("\0Press Space!", 13), 320, 430, kAlignCentre);
}

void TEndOfPackScene::Run() {
  std::string song;
  if (context_.Music) {
    context_.Music->GetOrderItem("GAMEEND", 1, song);
    context_.Music->Play(song);
  }
  if (context_.MainArchive) images_.LoadList("outro.lst", *context_.MainArchive);
  DrawBackground();
  snapshot_ = NewSurface(640, 480);
  SaveBackground();
  if (context_.AntiFont) context_.AntiFont->Render(20, 20, 20);

  // The boss's messenger walks in.
  Move("Elf4", -32, 240, 128, 240, 160);
  Walk("Elf4", MessengerDescent());
  Pause(30);
  Blit("Elf3", 352, 272);
  Flip();
  SaveBackground();
  Pause(60);

  Say("Do you have the diamonds?", 148, 420);
  Say("Yes.", 244, 300);
  Say("Hand them over!", 148, 420);

  DiamondFlight();
  RestoreBackground();
  Flip();
  Pause(120);

  Say("And now my family!", 244, 420);
  Blit("ElfBoss4", 352, 176);
  Flip();
  Pause(15);
  Say("Let them go!", 148, 300);

  // The guard leaves his post and goes down the stairs to the door.
  FillBox(414, 172, 449, 207, 0, 0, 0);
  SaveBackground();
  Walk("ElfBad4", GuardDescent());
  Pause(30);
  Blit("ElfBad4", 572, 268);
  FillBox(608, 304, 639, 335, 0, 0, 0);
  Flip();
  RestoreBackground();
  Pause(15);
  FillBox(608, 304, 639, 335, 0, 0, 0);
  Blit("ElfBad2", 572, 268);
  SaveBackground();
  Flip();

  FamilyWalk();
  Pause(60);

  // The messenger goes home.
  FillBox(352, 272, 383, 303, 0, 0, 0);
  SaveBackground();
  Walk("Elf2", Reversed(MessengerDescent()));
  Move("Elf2", 128, 240, -32, 240, 160);
  Pause(120);

  ClearScreen(0, 0, 0);
  // The Space that hurried the scene along must not also close it.
  ClearKeys();
  ClosingText();
  Flip();
  do {
    PumpEvents();
  } while (!SpaceHeld());

  if (context_.Music) context_.Music->Stop(song);
}

}  // namespace

void PlayEndOfPack(GameContext& context) {
  {
    TEndOfPackScene scene(context);
    scene.Run();
  }
  // The snapshot and the scene's images are gone by now.
  ClearScreen(0, 0, 0);
}

}  // namespace quarry
