#include "archive/zrcomp.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "archive/huffman.h"
#include "archive/lzw.h"
#include "archive/rle.h"
#include "core/bytes.h"
#include "core/log.h"
#include "core/stream.h"

namespace quarry {
namespace {

constexpr const char* kUnCompressTag = "ZRCOMP, ZRUnCompress";

// ZRCompress writes at most four layers; a chain much longer than that can
// only come from damaged or hostile data (a stream may even decode to
// itself), so peeling stops there and yields nothing.
constexpr int kMaxLayers = 16;

bool GetU32(std::span<const uint8_t> in, size_t pos, uint32_t& v) {
  if (in.size() < 4 || pos > in.size() - 4) return false;
  v = U32At(in.data() + pos);
  return true;
}

// The preparation layer: stored (method 0) or split into byte planes so that
// each byte position of 16- or 24-bit samples stays together.
std::vector<uint8_t> Prepare(std::span<const uint8_t> data, uint8_t stride) {
  std::vector<uint8_t> p;
  p.reserve(data.size() + 5);
  p.push_back(static_cast<uint8_t>(stride - 1));
  PutU32(p, static_cast<uint32_t>(data.size()));
  if (stride == 1) {
    p.insert(p.end(), data.begin(), data.end());
    return p;
  }
  for (size_t plane = 0; plane < stride; ++plane)
    for (size_t i = plane; i < data.size(); i += stride) p.push_back(data[i]);
  return p;
}

void Unsplit(std::span<const uint8_t> layer, size_t stride, std::vector<uint8_t>& out) {
  const size_t n = layer.size();
  const size_t base = out.size();
  out.resize(base + n);
  uint8_t* dst = out.data() + base;
  size_t j = 0;
  for (size_t plane = 0; plane < stride; ++plane)
    for (size_t i = plane; i < n; i += stride) dst[i] = layer[j++];
}

void Report(const char* label, size_t size) {
  std::printf("%s%zu bytes.\n", label, size);
}

std::string Hex2(uint8_t b) {
  static const char* digits = "0123456789ABCDEF";
  return {digits[b >> 4], digits[b & 15]};
}

}  // namespace

bool ZRCompress(std::span<const uint8_t> data, std::vector<uint8_t>& out, uint8_t stride,
                uint8_t flags) {
  // Stride 4 and up would give method bytes 3 to 6, which mean other layers.
  if (stride < 1 || stride > 3 || data.size() > kMaxCompressInput) return false;
  const bool lzw = (flags & kZrNoLzw) == 0;
  const std::vector<uint8_t> p = Prepare(data, stride);
  std::vector<uint8_t> r, z, rz, rzh, zh, h, rh;
  RleEncode(p, r);
  if (lzw) {
    LzwEncode(p, z);
    LzwEncode(r, rz);
    HuffEncode(rz, rzh);
    HuffEncode(z, zh);
  }
  HuffEncode(p, h);
  HuffEncode(r, rh);

  if (flags & kZrReport) {
    std::printf("Original size: %zu+5 bytes.\n", data.size());
    Report("RLE size: ", r.size());
    if (lzw) {
      Report("LZ size: ", z.size());
      Report("RLE+LZ size: ", rz.size());
      Report("RLE+LZ+Huffman size: ", rzh.size());
      Report("LZ+Huffman size: ", zh.size());
    }
    Report("Huffman size: ", h.size());
    Report("RLE+Huffman size: ", rh.size());
    std::fflush(stdout);
  }

  const std::vector<uint8_t>* candidates[8] = {&p, &r, &h, &rh, &rz, &z, &rzh, &zh};
  size_t sizes[8];
  for (int i = 0; i < 8; ++i) sizes[i] = candidates[i]->size();
  // Inner layers a decoder must rebuild whole: the RLE layer (from the
  // Huffman layer of RH, the LZW layer of RZ and RZH), the LZW layer under a
  // Huffman one (RZH, ZH). The prepared layer is within the cap above, so P
  // and R always remain.
  const auto tooLong = [](const std::vector<uint8_t>& layer) { return layer.size() > kMaxDecodedSize; };
  if (tooLong(r)) sizes[kCandRH] = sizes[kCandRZ] = sizes[kCandRZH] = SIZE_MAX;
  if (tooLong(rz)) sizes[kCandRZH] = SIZE_MAX;
  if (tooLong(z)) sizes[kCandZH] = SIZE_MAX;
  const std::vector<uint8_t>& best = *candidates[ZRChooseCandidate(sizes, lzw)];
  out.insert(out.end(), best.begin(), best.end());
  return true;
}

int ZRChooseCandidate(std::span<const size_t, 8> sizes, bool withLzw) {
  // Stored files depend on this exact order: a candidate wins only when it is
  // strictly smaller, so earlier ones win ties (and R beats an equal P).
  int best = sizes[kCandP] < sizes[kCandR] ? kCandP : kCandR;
  const int last = withLzw ? kCandZH : kCandRH;
  for (int c = kCandH; c <= last; ++c)
    if (sizes[c] < sizes[best]) best = c;
  return best;
}

std::vector<uint8_t> ZRCompress(std::span<const uint8_t> data, uint8_t stride, uint8_t flags) {
  std::vector<uint8_t> out;
  ZRCompress(data, out, stride, flags);
  return out;
}

bool ZRCompress(TStream& source, TStream& dest, uint32_t count, uint8_t stride, uint8_t flags) {
  std::vector<uint8_t> data(count);
  if (count > 0)
    data.resize(static_cast<size_t>(std::max<int64_t>(0, source.Read(data.data(), count))));
  std::vector<uint8_t> out;
  if (!ZRCompress(data, out, stride, flags)) return false;
  return dest.Write(out.data(), static_cast<int64_t>(out.size())) ==
         static_cast<int64_t>(out.size());
}

size_t ZRUnCompress(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit,
                    bool* intact) {
  bool whole = true;  // every layer so far decoded whole
  if (intact) *intact = false;
  std::vector<uint8_t> current;  // the decoded layer being read, after the first
  std::span<const uint8_t> src = in;
  size_t pos = 0;
  size_t outerUsed = 0;
  bool outer = true;
  int layers = 0;
  for (;;) {
    // The end of the input ends the search for a method byte.
    if (pos >= src.size()) break;
    const uint8_t method = src[pos++];
    if (method <= kMethodPlanar3) {
      uint32_t n = 0;
      if (!GetU32(src, pos, n)) {
        pos = src.size();
        whole = false;
        break;
      }
      pos += 4;
      // A layer that claims more than it holds gives what it holds.
      const size_t have = std::min<size_t>({n, src.size() - pos, limit});
      const auto body = src.subspan(pos, have);
      pos += have;
      if (have < n) whole = false;
      if (intact) *intact = whole;
      if (method == kMethodStored)
        out.insert(out.end(), body.begin(), body.end());
      else
        Unsplit(body, method + size_t{1}, out);
      break;
    }
    std::vector<uint8_t> decoded;
    bool layerWhole = false;
    NestedLzw nested;
    if (method == kMethodLzw) {
      pos += LzwDecode(src.subspan(pos), decoded, limit, &layerWhole);
    } else if (method == kMethodHuffman) {
      // An LZW layer under it is decoded along with it.
      pos += HuffDecode(src.subspan(pos), decoded, limit, &layerWhole, nested);
    } else if (method == kMethodRle8 || method == kMethodRle7) {
      // The RLE decoder reads its own method byte.
      pos = pos - 1 + RleDecode(src.subspan(pos - 1), decoded, limit, &layerWhole);
    } else {
      // Damaged data can hold many such bytes; the text is built in place
      // and only when the line goes somewhere.
      if (LogListening()) {
        static const std::string tag = kUnCompressTag;
        char text[] = "ZRUnCompress: Unknown compression method! (0x--)";
        const std::string hex = Hex2(method);
        text[sizeof text - 4] = hex[0];
        text[sizeof text - 3] = hex[1];
        LogWarning(text, tag);
      }
      whole = false;
      continue;
    }
    whole = whole && layerWhole;
    if (outer) {
      outerUsed = pos;
      outer = false;
    }
    if (++layers > kMaxLayers) break;
    if (nested.found) {
      // As if its method byte had been read from the Huffman layer's bytes.
      whole = whole && nested.intact;
      if (++layers > kMaxLayers) break;
      decoded = std::move(nested.bytes);
    }
    current = std::move(decoded);
    src = current;
    pos = 0;
  }
  if (outer) outerUsed = pos;
  return outerUsed;
}

std::vector<uint8_t> ZRUnCompress(std::span<const uint8_t> in) {
  std::vector<uint8_t> out;
  ZRUnCompress(in, out);
  return out;
}

void ZRUnCompress(TStream& source, TStream& dest) {
  const int64_t start = source.Position();
  std::vector<uint8_t> in(static_cast<size_t>(std::max<int64_t>(0, source.Size() - start)));
  if (!in.empty())
    in.resize(static_cast<size_t>(
        std::max<int64_t>(0, source.Read(in.data(), static_cast<int64_t>(in.size())))));
  std::vector<uint8_t> out;
  const size_t used = ZRUnCompress(in, out);
  source.Seek(start + static_cast<int64_t>(used), SeekOrigin::Begin);
  if (!out.empty()) dest.Write(out.data(), static_cast<int64_t>(out.size()));
}

}  // namespace quarry
