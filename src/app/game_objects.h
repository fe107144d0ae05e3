// The game-wide objects that StartGame creates and EndGame releases.
#pragma once

#include <array>
#include <memory>
#include <string>

namespace quarry {

class TMad;
class TBMPFont;
class TZrarFont;
class TWaveCollection;
class TMusicCollection;

extern std::unique_ptr<TMad> MainArchive;
extern std::unique_ptr<TMad> MusicArchive;
extern std::unique_ptr<TMad> SoundArchive;

// 0 light blue, 1 orange, 2 mint, 3 pink, 4 red, 5 yellow, 6 green.
constexpr int kColorFontCount = 7;
extern std::array<std::unique_ptr<TBMPFont>, kColorFontCount> ColorFonts;
extern std::unique_ptr<TZrarFont> AntiFont;
extern std::unique_ptr<TWaveCollection> WaveCollection;
extern std::unique_ptr<TMusicCollection> MusicCollection;

// Draws a text in which the bytes below 16 switch between the colour fonts
// (0 to 6); alignment 0 left, 1 centred, 2 right.
void DrawColorText(const std::string& text, int x, int y, int alignment);

// The intro: logos fading in and out; Space cuts the holds short.
void ShowIntro();

}  // namespace quarry
