// Writes the seed corpora for the archive fuzz targets, made from the same
// seeded sample data as the tests: seeds_archive OUT writes
// OUT/fuzz_<target>/seed<N> for every target in this folder.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "archive/huffman.h"
#include "archive/lzw.h"
#include "archive/mad_write.h"
#include "archive/rle.h"
#include "archive/zrcomp.h"
#include "sample_data.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

std::vector<Bytes> Samples() {
  namespace s = quarry::sample;
  return {s::Text(300, 1),   s::Text(2000, 2),  s::Pixels(400, 3), s::Pixels(3000, 4),
          s::Maps(264, 5),   s::Random(64, 6),  s::Skewed(900, 7), Bytes(500, 0),
          Bytes{'A'},        Bytes{'A', 'B'},   s::Random(5, 8, 2), s::Text(33000, 9)};
}

class Writer {
public:
  Writer(const fs::path& out, const std::string& target) : dir_(out / target) {
    fs::create_directories(dir_);
  }
  void Put(const Bytes& bytes) {
    std::ofstream f(Next(), std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::string Next() { return (dir_ / ("seed" + std::to_string(++count_))).string(); }

private:
  fs::path dir_;
  int count_ = 0;
};

Bytes Body(const Bytes& layer) { return Bytes(layer.begin() + 1, layer.end()); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: seeds_archive OUT\n";
    return 2;
  }
  const fs::path out = argv[1];
  Writer zr(out, "fuzz_zruncompress"), huff(out, "fuzz_huffdecode"), lzw(out, "fuzz_lzwdecode"),
      rle(out, "fuzz_rledecode"), mad(out, "fuzz_mad"), round(out, "fuzz_roundtrip");
  for (const Bytes& s : Samples()) {
    if (s.size() > 4000) continue;
    for (uint8_t stride = 1; stride <= 3; ++stride) zr.Put(quarry::ZRCompress(s, stride));
    Bytes layer;
    quarry::HuffEncode(s, layer);
    layer[0] = 0;  // the Huffman target reads its output cap from the first byte
    huff.Put(layer);
    layer[0] = quarry::kMethodHuffman;
    zr.Put(layer);
    layer.clear();
    quarry::LzwEncode(s, layer);
    lzw.Put(Body(layer));
    Bytes nested;  // a Huffman layer holding an LZW layer
    quarry::HuffEncode(layer, nested);
    nested[0] = static_cast<uint8_t>(s.size() % 2 ? 0 : 40);
    huff.Put(nested);
    layer.clear();
    quarry::RleEncode(s, layer);
    rle.Put(layer);
    Bytes prefixed{static_cast<uint8_t>(s.size() % 3)};
    prefixed.insert(prefixed.end(), s.begin(), s.end());
    round.Put(prefixed);
  }
  // Archives: empty, one member, several members.
  { quarry::TMADWrite(mad.Next()).Done(); }
  {
    quarry::TMADWrite w(mad.Next());
    w.AddBytes(Bytes{'h', 'i'}, "p");
  }
  {
    quarry::TMADWrite w(mad.Next());
    const auto samples = Samples();
    for (size_t i = 0; i < 4; ++i) w.AddBytes(samples[i], "m" + std::to_string(i));
  }
  // A plain file list with a stored member.
  mad.Put({'Z', 'E', 'P', 'H', 'Y', 'R', 'A', 0xFA, 0xFE, 0x01, 16, 0, 0, 0, 'o', 'k', 1, 0,
           2,   'O', 'K', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 14,  0,  0, 0,
           2,   0,   0,   0,   2,   0,   0,   0,   0});
  std::cout << "seeds written to " << out.string() << "\n";
  return 0;
}
