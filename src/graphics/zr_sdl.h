// The screen, the back buffer every picture is composed in, and the drawing
// primitives everything else is built from. Boxes are inclusive corners.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace quarry {

extern SDL_Surface* ScreenSurface;
extern SDL_Surface* BackBuffer;
extern uint16_t ScreenDepth;

// Flag words of every colour-key and alpha call of the program.
constexpr uint32_t ColorKeyFlags = 0x5100;  // SRCCOLORKEY | RLEACCEL | 0x0100
constexpr uint32_t AlphaFlags = 0x14000;    // SRCALPHA | RLEACCEL

// The SDL rectangle of an inclusive box; width and height are cut to 16 bits
// as the box arithmetic always was.
SDL_Rect BoxRect(int x1, int y1, int x2, int y2);

void ClearScreen(uint8_t r, uint8_t g, uint8_t b);
void FillBox(int x1, int y1, int x2, int y2, uint8_t r, uint8_t g, uint8_t b);
void FillSurfaceBox(SDL_Surface* surface, int x1, int y1, int x2, int y2, uint8_t r, uint8_t g,
                    uint8_t b);
// A black surface of the screen's depth; the caller frees it.
SDL_Surface* NewSurface(int width, int height);
SDL_Surface* NewSurfaceForBox(int x1, int y1, int x2, int y2);
void FreeSurface(SDL_Surface* surface);
int BlitSurface(SDL_Surface* source, SDL_Rect* sourceRect, SDL_Surface* destination,
                SDL_Rect* destinationRect);
void BlitPart(int dx, int dy, int sx1, int sy1, int sx2, int sy2, SDL_Surface* source);
void BlitWhole(int x, int y, SDL_Surface* source);
void BlitOnto(SDL_Surface* destination, int x, int y, SDL_Surface* source);
// Writes straight into a software surface; callers stay inside it.
void PutPixel(SDL_Surface* surface, int x, int y, uint8_t r, uint8_t g, uint8_t b);
int Flip();
void SaveSurfaceBMP(SDL_Surface* surface, const char* fileName);

// Reads one pixel back as r, g, b (tests and screenshots comparisons).
void GetPixelRGB(SDL_Surface* surface, int x, int y, uint8_t& r, uint8_t& g, uint8_t& b);

// Opens a display and back buffer for tests and tools that run without the
// program frame (dummy driver); returns false when SDL cannot start.
bool OpenTestDisplay(int width = 640, int height = 480, int bpp = 32);
void CloseTestDisplay();

}  // namespace quarry
