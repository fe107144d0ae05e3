// ZRCOMP streams: a chain of layers, each starting with a method byte, that
// ends in a stored or planar layer. The compressor tries eight chains of RLE,
// LZW and Huffman and keeps the smallest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "archive/codec.h"

namespace quarry {

class TStream;

// Flags of ZRCompress.
constexpr uint8_t kZrNoLzw = 1;   // leave out every chain with LZW
constexpr uint8_t kZrReport = 2;  // print the candidate sizes on standard output

// The most data one stream may hold: its prepared layer (5 bytes more) must
// stay within what a decoder yields for one layer, or the stream could not be
// read back.
constexpr size_t kMaxCompressInput = kMaxDecodedSize - 5;

// Appends the smallest candidate chain for data to out. Stride 1 stores the
// data as is, 2 and 3 split it into byte planes first. Returns false (and
// writes nothing) for any other stride or data over kMaxCompressInput. A
// candidate with an inner layer longer than a decoder yields is never chosen.
bool ZRCompress(std::span<const uint8_t> data, std::vector<uint8_t>& out,
                uint8_t stride = 1, uint8_t flags = 0);
std::vector<uint8_t> ZRCompress(std::span<const uint8_t> data, uint8_t stride = 1,
                                uint8_t flags = 0);

// Stream form: compresses count bytes of source from its current position and
// writes the chain to dest at its current position.
bool ZRCompress(TStream& source, TStream& dest, uint32_t count, uint8_t stride = 1,
                uint8_t flags = 0);

// Decodes one stream from the front of in and appends the data to out.
// Unknown method bytes are logged and skipped; the end of the input ends the
// search. Returns the input bytes consumed by the outermost layer. Damage is
// not an error (the data decoded so far is the result), but intact, when
// given, tells tools whether every layer decoded whole with no unknown method
// byte on the way.
size_t ZRUnCompress(std::span<const uint8_t> in, std::vector<uint8_t>& out,
                    size_t limit = kMaxDecodedSize, bool* intact = nullptr);
std::vector<uint8_t> ZRUnCompress(std::span<const uint8_t> in);

// Stream form: reads one stream from source at its current position (leaving
// it just after the stream) and writes the data to dest at its position.
void ZRUnCompress(TStream& source, TStream& dest);

// The compressor's choice among its candidates, given their layer sizes in
// the order P (prepared), R, H, RH, RZ, Z, RZH, ZH. The first two and the
// last four take part only when withLzw. Returns the winner's position.
enum ZrCandidate { kCandP, kCandR, kCandH, kCandRH, kCandRZ, kCandZ, kCandRZH, kCandZH };
int ZRChooseCandidate(std::span<const size_t, 8> sizes, bool withLzw);

}  // namespace quarry
