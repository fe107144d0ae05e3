// Writes small valid inputs for the graphics fuzz targets:
//   seeds_graphics OUT  ->  OUT/<fuzz target>/<files>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

bool Write(const std::filesystem::path& dir, const std::string& target, const std::string& name,
           const Bytes& bytes) {
  std::filesystem::create_directories(dir / target);
  std::ofstream out(dir / target / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

Bytes Cel(int w, int h) {
  Bytes b(800 + static_cast<size_t>(w * h), 0);
  Put16(b, 0, 0x9119);
  Put16(b, 2, static_cast<uint32_t>(w));
  Put16(b, 4, static_cast<uint32_t>(h));
  for (size_t i = 32; i < 800; ++i) b[i] = static_cast<uint8_t>(i % 64);
  for (size_t i = 800; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 7);
  return b;
}

Bytes Bmp(int w, int h, int bpp) {
  const uint32_t row = static_cast<uint32_t>(((w * bpp + 31) / 32) * 4);
  const uint32_t palette = bpp <= 8 ? (1u << bpp) * 4 : 0;
  Bytes b(54 + palette + row * h, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, 54 + palette);
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<uint32_t>(w));
  Put32(b, 22, static_cast<uint32_t>(h));
  Put16(b, 26, 1);
  Put16(b, 28, static_cast<uint32_t>(bpp));
  for (size_t i = 54; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 13);
  return b;
}

Bytes FontPair(int w, int h) {
  Bytes gsd(4 + static_cast<size_t>(w * h));
  Put16(gsd, 0, static_cast<uint32_t>(w));
  Put16(gsd, 2, static_cast<uint32_t>(h));
  for (size_t i = 4; i < gsd.size(); ++i) gsd[i] = static_cast<uint8_t>(i * 37);
  Bytes input(2);
  Put16(input, 0, static_cast<uint32_t>(gsd.size()));
  input.insert(input.end(), gsd.begin(), gsd.end());
  for (int c = 'A'; c <= 'Z'; ++c) {
    Bytes rec(9);
    rec[0] = static_cast<uint8_t>(c);
    const int x = ((c - 'A') * 3) % (w - 2);
    Put16(rec, 1, static_cast<uint32_t>(x));
    Put16(rec, 3, 0);
    Put16(rec, 5, static_cast<uint32_t>(x + 2));
    Put16(rec, 7, static_cast<uint32_t>(h - 1));
    input.insert(input.end(), rec.begin(), rec.end());
  }
  return input;
}

Bytes Zrar(uint8_t flags, uint8_t w, uint8_t h) {
  Bytes b = {'Z', 'R', 'A', 'R', flags, w, h};
  const size_t cells = 256u * h * ((w + 7u) / 8u);
  for (size_t i = 0; i < cells; ++i) b.push_back(static_cast<uint8_t>(i * 29 + 3));
  return b;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: seeds_graphics OUTPUT-DIR\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  bool ok = true;
  ok &= Write(out, "fuzz_load_cel", "cel_4x3", Cel(4, 3));
  ok &= Write(out, "fuzz_load_cel", "cel_16x16", Cel(16, 16));
  ok &= Write(out, "fuzz_bmp", "bmp24_5x3", Bmp(5, 3, 24));
  ok &= Write(out, "fuzz_bmp", "bmp8_4x4", Bmp(4, 4, 8));
  ok &= Write(out, "fuzz_bmp", "bmp32_2x2", Bmp(2, 2, 32));
  ok &= Write(out, "fuzz_bmp_font", "sheet_80x8", FontPair(80, 8));
  ok &= Write(out, "fuzz_zrar_font", "cells_8x8", Zrar(0, 8, 8));
  ok &= Write(out, "fuzz_zrar_font", "cells_6x9_descender", Zrar(1, 6, 9));
  ok &= Write(out, "fuzz_zrar_font", "cells_16x4", Zrar(0, 16, 4));
  ok &= Write(out, "fuzz_image_list", "blocks",
              Text("wall.bmp,#\r\n.dia1.cel,$1\r\n.dia2.cel,$2\r\nNoComma\r\n!END\r\n"));
  return ok ? 0 : 1;
}
