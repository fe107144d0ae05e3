// StartGame, EndGame and the intro: the archives, fonts, sounds and music the
// rest of the game reads, loaded behind a fading "Loading..." text.
#include <cstring>

#include "frame/control_memory.h"
#include "frame/frame.h"
#include "app/game_flow.h"
#include "app/game_objects.h"
#include "archive/mad.h"
#include "audio/music_collection.h"
#include "audio/wave_collection.h"
#include "audio/zr_sdl_a.h"
#include "core/clock.h"
#include "core/keys.h"
#include "game/screen/color_text.h"
#include "graphics/bmp_font.h"
#include "graphics/image_loader.h"
#include "graphics/zr_sdl.h"
#include "graphics/zrar_font.h"
#include "widgets/widget_fonts.h"

namespace quarry {

std::unique_ptr<TMad> MainArchive;
std::unique_ptr<TMad> MusicArchive;
std::unique_ptr<TMad> SoundArchive;
std::array<std::unique_ptr<TBMPFont>, kColorFontCount> ColorFonts;
std::unique_ptr<TZrarFont> AntiFont;
std::unique_ptr<TWaveCollection> WaveCollection;
std::unique_ptr<TMusicCollection> MusicCollection;

namespace {

struct Rgb {
  uint8_t r, g, b;
};
constexpr Rgb kFontColors[kColorFontCount] = {
    {64, 192, 255}, {255, 192, 64}, {64, 255, 192}, {255, 64, 192},
    {255, 64, 64},  {255, 255, 64}, {64, 255, 64},
};

// Read with the studio card above it: "Deepvein Games, in association with
// the Quarrystar team, presents", and the title follows on the next screen.
const char* kCreditLine = "the Quarrystar team presents";

void WaitFrame() { Delay(FrameWait()); }

// Up to `frames` frames of waiting; ends after a frame in which Space is held.
void HoldFrames(int frames) {
  for (int i = 0; i < frames; ++i) {
    WaitFrame();
    PumpEvents();
    if (KeyState[kKeySpace]) break;
  }
}

void LoadingFrame(TBMPFont& font, int c) {
  font.SetAlpha(static_cast<uint8_t>(c * 4));
  FillBox(0, 225, 639, 254, 0, 0, 0);
  font.DrawText("Loading...", 320, 225, 1);
  WaitFrame();
  Flip();
}

void IntroLogoFrame(SDL_Surface* image, int c) {
  SDL_SetAlpha(image, AlphaFlags, static_cast<uint8_t>(c * 4));
  FillBox(0, 100, 639, 379, 0, 0, 0);
  BlitWhole(0, 100, image);
  WaitFrame();
  AntiFont->SetAlpha(static_cast<uint8_t>(c * 4));
  AntiFont->DrawText("in association with", 320, 300, 1);
  ColorFonts[1]->SetAlpha(static_cast<uint8_t>(c * 4));
  ColorFonts[1]->DrawText(kCreditLine, 320, 350, 1);
  Flip();
}

void TitleLogoFrame(SDL_Surface* image, int c) {
  SDL_SetAlpha(image, AlphaFlags, static_cast<uint8_t>(c * 4));
  FillBox(0, 195, 639, 284, 0, 0, 0);
  BlitWhole(0, 195, image);
  WaitFrame();
  Flip();
}

}  // namespace

void DrawColorText(const std::string& text, int x, int y, int alignment) {
  ColorFontTable fonts{};
  for (int i = 0; i < kColorFontCount; ++i) fonts[i] = ColorFonts[i].get();
  DrawColorText(fonts, text, x, y, alignment);
}

void StartGame() {
  Init_Audio();
  SetFrameRate(60);
  MainArchive = std::make_unique<TMad>("quarry.mad");
  MusicArchive = std::make_unique<TMad>("qsmusic.mad");
  SoundArchive = std::make_unique<TMad>("qssound.mad");
  ClearScreen(0, 0, 0);
  for (int i = 0; i < 240; ++i) {
    WaitFrame();
    PumpEvents();
  }
  ClearKeys();

  auto loadingFont = std::make_unique<TBMPFont>("font", *MainArchive, 255, 255, 255);
  for (int c = 0; c <= 63; ++c) LoadingFrame(*loadingFont, c);
  Flip();

  for (int i = 0; i < kColorFontCount; ++i)
    ColorFonts[i] = std::make_unique<TBMPFont>("font", *MainArchive, kFontColors[i].r, kFontColors[i].g,
                                               kFontColors[i].b);
  for (auto& font : ColorFonts) font->SetColorKey(0, 0, 0);
  {
    ColorFontTable table{};
    for (int i = 0; i < kColorFontCount; ++i) table[i] = ColorFonts[i].get();
    SetWidgetFonts(table);
  }

  // Widgets find their fonts and keys at fixed addresses.
  for (uint32_t i = 0; i < 4; ++i) {
    uint32_t reference = i;  // a font is referenced by its colour index
    ControlMemory->Store(i * 4, &reference, 4);
  }
  const uint16_t keys[] = {kKeyUp, kKeyDown, kKeyReturn, kKeySpace, kKeyEscape, kKeyDelete};
  for (uint32_t i = 0; i < 6; ++i) ControlMemory->StoreWord(16 + 2 * i, keys[i]);
  FillBox(0, 0, 639, 479, 0, 0, 0);

  WaveCollection = std::make_unique<TWaveCollection>(16);
  WaveCollection->LoadList("waves.ini", *SoundArchive);
  MusicCollection = std::make_unique<TMusicCollection>(16);
  MusicCollection->LoadList("muzax.ini", *MusicArchive);

  for (int c = 63; c >= 0; --c) LoadingFrame(*loadingFont, c);
  loadingFont.reset();

  AntiFont = std::make_unique<TZrarFont>("anti.zrr", *MainArchive);
  AntiFont->Spacing = 1;
  AntiFont->Render(255, 255, 255);
  AntiFont->SetColorKey(0, 0, 0);
  ShowIntro();
}

void ShowIntro() {
  ClearScreen(0, 0, 0);
  Flip();
  HoldFrames(120);
  ClearKeys();

  if (SurfacePtr image = LoadImage("zrlogo.bmp", *MainArchive)) {
    for (int c = 0; c <= 63; ++c) IntroLogoFrame(image.get(), c);
    HoldFrames(420);
    for (int c = 63; c >= 0; --c) IntroLogoFrame(image.get(), c);
  }
  ClearKeys();
  AntiFont->SetAlpha(255);
  ColorFonts[1]->SetAlpha(255);

  if (SurfacePtr image = LoadImage("logo.bmp", *MainArchive)) {
    for (int c = 0; c <= 63; ++c) TitleLogoFrame(image.get(), c);
    HoldFrames(420);
    for (int c = 63; c >= 0; --c) TitleLogoFrame(image.get(), c);
  }
  ClearKeys();
  ClearScreen(0, 0, 0);
}

void EndGame() {
  SetWidgetFonts({});
  for (auto& font : ColorFonts) font.reset();
  AntiFont.reset();
  MusicCollection.reset();
  WaveCollection.reset();
  MusicArchive.reset();
  SoundArchive.reset();
  MainArchive.reset();
}

}  // namespace quarry
