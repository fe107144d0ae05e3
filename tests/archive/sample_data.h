// Seeded sample data for the archive tests, benchmark and fuzz seeds: the
// kinds of bytes the game's archives hold, the same on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarry::sample {

class Rng {  // splitmix64
public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }

private:
  uint64_t state_;
};

inline std::vector<uint8_t> Random(size_t n, uint64_t seed, uint32_t alphabet = 256) {
  Rng rng(seed);
  std::vector<uint8_t> out(n);
  for (auto& b : out) b = static_cast<uint8_t>(rng.Below(alphabet));
  return out;
}

// English-like text lines ended by CR LF, as in the game's list files.
inline std::vector<uint8_t> Text(size_t n, uint64_t seed) {
  static const char* words[] = {"the", "stone", "falls", "diamond", "cave", "exit", "player", "bomb", "rolls", "into",
                                "balloon", "rises", "wall", "sand", "of", "and", "a", "level", "pack", "tunnel",
                                "map", "quarry", "star", "dig"};
  Rng rng(seed);
  std::vector<uint8_t> out;
  for (size_t column = 0; out.size() < n;) {
    std::string w = words[rng.Below(sizeof words / sizeof *words)];
    if (rng.Below(9) == 0) w[0] = static_cast<char>(w[0] - 32);
    out.insert(out.end(), w.begin(), w.end());
    column += w.size();
    const bool end = column > 60 || rng.Below(14) == 0;
    if (end) out.insert(out.end(), {'\r', '\n'}), column = 0;
    else out.push_back(rng.Below(11) == 0 ? ',' : ' ');
  }
  out.resize(n);
  return out;
}

// 32-bit pixels from a small palette, in horizontal runs of one colour.
inline std::vector<uint8_t> Pixels(size_t n, uint64_t seed) {
  Rng rng(seed);
  uint32_t palette[16];
  for (auto& c : palette) c = static_cast<uint32_t>(rng.Next()) | 0xFF000000u;
  std::vector<uint8_t> out;
  while (out.size() < n) {
    const uint32_t colour = palette[rng.Below(16)];
    for (uint32_t i = 1 + rng.Below(24); i > 0; --i)
      for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(colour >> (8 * k)));
  }
  out.resize(n);
  return out;
}

// 20 x 12 text maps (a border of walls, then sand, stones, diamonds...), one
// after the other like the maps of a level pack.
inline std::vector<uint8_t> Maps(size_t n, uint64_t seed) {
  static const char cells[] = "....... @@$&0#%><=!";
  Rng rng(seed);
  std::vector<uint8_t> out;
  while (out.size() < n) {
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 20; ++x) {
        const char c = y == 0 || y == 11 || x == 0 || x == 19 ? '#' : cells[rng.Below(sizeof cells - 1)];
        out.push_back(static_cast<uint8_t>(y == 1 && x == 1 ? '*' : c));
      }
      out.insert(out.end(), {'\r', '\n'});
    }
  }
  out.resize(n);
  return out;
}

// Byte values with Fibonacci-like frequencies: Huffman codes far longer than
// a lookup table's width.
inline std::vector<uint8_t> Skewed(size_t n, uint64_t seed) {
  std::vector<uint8_t> pool;
  for (uint32_t v = 0, a = 1, b = 1; v < 22 && pool.size() < 40000; ++v, b += a, a = b - a)
    pool.insert(pool.end(), a, static_cast<uint8_t>(v * 7 + 3));
  Rng rng(seed);
  std::vector<uint8_t> out(n);
  for (auto& x : out) x = pool[rng.Below(static_cast<uint32_t>(pool.size()))];
  return out;
}

}  // namespace quarry::sample
