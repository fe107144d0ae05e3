// Text drawing, sprite blits of a whole cave, and loading a 32-image
// collection from an archive, all under the dummy video driver.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "core/stream.h"
#include "graphics/bmp_font.h"
#include "graphics/image_collection.h"
#include "graphics/zr_sdl.h"

namespace quarry {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A 95-glyph sheet of 10 x 16 cells, like the game's text fonts.
std::unique_ptr<TBMPFont> MakeFont(uint8_t r, uint8_t g, uint8_t b) {
  const int cells = 95, cw = 10, ch = 16, w = cells * cw;
  TMemoryStream gsd;
  gsd.WriteU16(w);
  gsd.WriteU16(ch);
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < w; ++x) gsd.WriteByte(static_cast<uint8_t>(((x * 7 + y * 3) % 5) ? 255 : 0));
  TMemoryStream bmf;
  for (int c = 0; c < cells; ++c) {
    bmf.WriteByte(static_cast<uint8_t>(32 + c));
    bmf.WriteU16(c * cw);
    bmf.WriteU16(0);
    bmf.WriteU16(c * cw + cw - 2);
    bmf.WriteU16(ch - 1);
  }
  gsd.Seek(0, SeekOrigin::Begin);
  bmf.Seek(0, SeekOrigin::Begin);
  auto font = std::make_unique<TBMPFont>("bench", gsd, bmf, r, g, b);
  font->SetColorKey(0, 0, 0);
  return font;
}

const std::string kLine = "Collect every diamond, then find the way";  // 40 characters

void BM_DrawText40(benchmark::State& state) {
  auto font = MakeFont(255, 255, 64);
  for (auto _ : state) font->DrawText(kLine, 320, 200, kAlignCentre);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kLine.size()));
}
BENCHMARK(BM_DrawText40);

// Bytes 0..6 switch between seven tinted fonts, each character drawn alone.
void BM_DrawColorTextStyle(benchmark::State& state) {
  const uint8_t tints[7][3] = {{64, 192, 255}, {255, 192, 64}, {64, 255, 192}, {255, 64, 192},
                               {255, 64, 64},  {255, 255, 64}, {64, 255, 64}};
  std::array<std::unique_ptr<TBMPFont>, 7> fonts;
  for (int i = 0; i < 7; ++i) fonts[i] = MakeFont(tints[i][0], tints[i][1], tints[i][2]);
  std::string text;
  for (size_t i = 0; i < kLine.size(); ++i) {
    if (i % 8 == 0) text.push_back(static_cast<char>(i / 8 % 7));
    text.push_back(kLine[i]);
  }
  for (auto _ : state) {
    int font = 0, x = 40;
    for (unsigned char c : text) {
      if (c <= 6) {
        font = c;
        continue;
      }
      const std::string one(1, static_cast<char>(c));
      fonts[font]->DrawText(one, x, 240, kAlignLeft);
      x += fonts[font]->TextWidth(one) + fonts[font]->Spacing;
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kLine.size()));
}
BENCHMARK(BM_DrawColorTextStyle);

// A full cave: 20 x 12 cells of 32 x 32 keyed sprites cut from strips.
void BM_CaveBlits240(benchmark::State& state) {
  SDL_Surface* strip = NewSurface(128, 32);
  FillSurfaceBox(strip, 4, 4, 27, 27, 200, 150, 50);
  SDL_SetColorKey(strip, ColorKeyFlags, 0);
  for (auto _ : state) {
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 20; ++x) {
        const int frame = (x + y) % 4;
        BlitPart(x * 32, y * 32 + 32, frame * 32, 0, frame * 32 + 31, 31, strip);
      }
  }
  state.SetItemsProcessed(state.iterations() * 240);
  FreeSurface(strip);
}
BENCHMARK(BM_CaveBlits240);

Bytes Bmp32x32(int seed) {
  const uint32_t row = 32 * 3;
  Bytes b(54 + row * 32, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, 54);
  Put32(b, 14, 40);
  Put32(b, 18, 32);
  Put32(b, 22, 32);
  Put16(b, 26, 1);
  Put16(b, 28, 24);
  for (size_t i = 54; i < b.size(); ++i) b[i] = static_cast<uint8_t>((i / 3 + seed) % 7 * 30);
  return b;
}

void BM_LoadCollection32(benchmark::State& state) {
  std::string dir = (std::filesystem::temp_directory_path() / "qsbench-XXXXXX").string();
  if (!mkdtemp(dir.data())) {
    state.SkipWithError("no temp dir");
    return;
  }
  const std::string path = dir + "/bench.mad";
  {
    TMADWrite writer(path);
    std::string list;
    for (int i = 0; i < 32; ++i) {
      const std::string member = "img" + std::to_string(i) + ".bmp";
      Bytes bmp = Bmp32x32(i);
      writer.AddBytes(bmp, member);
      list += (i % 2 ? "." : "") + member + ",Image" + std::to_string(i) + "\r\n";
    }
    writer.AddBytes(Bytes(list.begin(), list.end()), "blocks.lst");
    writer.Done();
  }
  TMad archive(path);
  for (auto _ : state) {
    TImageCollection images(32);
    images.LoadList("blocks.lst", archive);
    benchmark::DoNotOptimize(images.Count());
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoadCollection32)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarry

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (!quarry::OpenTestDisplay(640, 480, 32)) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  quarry::CloseTestDisplay();
  return 0;
}
