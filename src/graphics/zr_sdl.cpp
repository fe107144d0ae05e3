#include "graphics/zr_sdl.h"

#include "core/log.h"
#ifdef __EMSCRIPTEN__
#include "core/browser.h"
#endif

namespace quarry {

SDL_Surface* ScreenSurface = nullptr;
SDL_Surface* BackBuffer = nullptr;
uint16_t ScreenDepth = 32;

SDL_Rect BoxRect(int x1, int y1, int x2, int y2) {
  SDL_Rect r;
  r.x = static_cast<Sint16>(x1);
  r.y = static_cast<Sint16>(y1);
  r.w = static_cast<Uint16>(x2 - x1 + 1);
  r.h = static_cast<Uint16>(y2 - y1 + 1);
  return r;
}

void ClearScreen(uint8_t r, uint8_t g, uint8_t b) {
  SDL_FillRect(BackBuffer, nullptr, SDL_MapRGB(BackBuffer->format, r, g, b));
}

void FillSurfaceBox(SDL_Surface* surface, int x1, int y1, int x2, int y2, uint8_t r, uint8_t g,
                    uint8_t b) {
  SDL_Rect rect = BoxRect(x1, y1, x2, y2);
  SDL_FillRect(surface, &rect, SDL_MapRGB(surface->format, r, g, b));
}

void FillBox(int x1, int y1, int x2, int y2, uint8_t r, uint8_t g, uint8_t b) {
  FillSurfaceBox(BackBuffer, x1, y1, x2, y2, r, g, b);
}

SDL_Surface* NewSurface(int width, int height) {
  SDL_Surface* s = SDL_CreateRGBSurface(0, width, height, ScreenDepth, 0, 0, 0, 0);
  if (s) FillSurfaceBox(s, 0, 0, width - 1, height - 1, 0, 0, 0);
  return s;
}

SDL_Surface* NewSurfaceForBox(int x1, int y1, int x2, int y2) {
  return NewSurface(x2 - x1 + 1, y2 - y1 + 1);
}

void FreeSurface(SDL_Surface* surface) { SDL_FreeSurface(surface); }

int BlitSurface(SDL_Surface* source, SDL_Rect* sourceRect, SDL_Surface* destination,
                SDL_Rect* destinationRect) {
  return SDL_UpperBlit(source, sourceRect, destination, destinationRect);
}

void BlitPart(int dx, int dy, int sx1, int sy1, int sx2, int sy2, SDL_Surface* source) {
  SDL_Rect from = BoxRect(sx1, sy1, sx2, sy2);
  SDL_Rect to = BoxRect(dx, dy, dx, dy);
  BlitSurface(source, &from, BackBuffer, &to);
}

void BlitOnto(SDL_Surface* destination, int x, int y, SDL_Surface* source) {
  SDL_Rect to = BoxRect(x, y, x, y);
  BlitSurface(source, nullptr, destination, &to);
}

void BlitWhole(int x, int y, SDL_Surface* source) { BlitOnto(BackBuffer, x, y, source); }

void PutPixel(SDL_Surface* surface, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  Uint32 value = SDL_MapRGB(surface->format, r, g, b);
  int n = surface->format->BytesPerPixel;
  auto* p = static_cast<Uint8*>(surface->pixels) + static_cast<Sint16>(y) * surface->pitch +
            static_cast<Sint16>(x) * n;
  switch (n) {
    case 1: *p = static_cast<Uint8>(value); break;
    case 2: *reinterpret_cast<Uint16*>(p) = static_cast<Uint16>(value); break;
    case 3:
      p[0] = static_cast<Uint8>(value >> 16);
      p[1] = static_cast<Uint8>(value >> 8);
      p[2] = static_cast<Uint8>(value);
      break;
    case 4: *reinterpret_cast<Uint32*>(p) = value; break;
    default: break;
  }
}

int Flip() {
  if (BlitSurface(BackBuffer, nullptr, ScreenSurface, nullptr) != 0)
    LogWarning("Flip Blit failed...", "ZR_SDL, Flip");
#ifdef __EMSCRIPTEN__
  // SDL's dummy display shows nothing: the page shows the screen.
  PresentToCanvas(ScreenSurface->pixels, ScreenSurface->w, ScreenSurface->h, ScreenSurface->pitch);
#endif
  return SDL_Flip(ScreenSurface);
}

void SaveSurfaceBMP(SDL_Surface* surface, const char* fileName) {
  SDL_RWops* file = SDL_RWFromFile(fileName, "wb");
  if (file) SDL_SaveBMP_RW(surface, file, 1);
}

void GetPixelRGB(SDL_Surface* surface, int x, int y, uint8_t& r, uint8_t& g, uint8_t& b) {
  r = g = b = 0;
  if (!surface || x < 0 || y < 0 || x >= surface->w || y >= surface->h) return;
  int n = surface->format->BytesPerPixel;
  const auto* p = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * n;
  Uint32 value = 0;
  switch (n) {
    case 1: value = *p; break;
    case 2: value = *reinterpret_cast<const Uint16*>(p); break;
    // Three bytes in the machine's byte order, as SDL stores them.
    case 3:
      value = SDL_BYTEORDER == SDL_LIL_ENDIAN ? p[0] | (p[1] << 8) | (p[2] << 16) : (p[0] << 16) | (p[1] << 8) | p[2];
      break;
    case 4: value = *reinterpret_cast<const Uint32*>(p); break;
    default: return;
  }
  SDL_GetRGB(value, surface->format, &r, &g, &b);
}

bool OpenTestDisplay(int width, int height, int bpp) {
  if (SDL_Init(SDL_INIT_VIDEO) < 0) return false;
  ScreenSurface = SDL_SetVideoMode(width, height, bpp, 0);
  if (!ScreenSurface) return false;
  ScreenDepth = static_cast<uint16_t>(bpp);
  BackBuffer = SDL_CreateRGBSurface(0, width, height, bpp, 0, 0, 0, 0);
  return BackBuffer != nullptr;
}

void CloseTestDisplay() {
  if (BackBuffer) SDL_FreeSurface(BackBuffer);
  BackBuffer = nullptr;
  ScreenSurface = nullptr;
  SDL_Quit();
}

}  // namespace quarry
