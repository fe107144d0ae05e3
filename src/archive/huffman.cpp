#include "archive/huffman.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include "archive/lzw_decoder.h"
#include "core/bytes.h"

namespace quarry {
namespace {

constexpr uint16_t kNoNode = 512;     // "no child" in both node tables
constexpr uint16_t kTakenNode = 513;  // decoder: allocated, not yet filled
constexpr int kNodeCount = 512;

// MSB-first bit writer into a buffer sized beforehand. A code is at most 31
// bits and fewer than 32 bits wait in the accumulator, so 64 bits never
// overflow; whole 32-bit words are stored as they fill.
class BitWriter {
public:
  explicit BitWriter(uint8_t* out) : out_(out) {}
  void Put(uint32_t bits, int length) {
    acc_ = (acc_ << length) | bits;
    count_ += length;
    if (count_ >= 32) {
      count_ -= 32;
      uint32_t word = static_cast<uint32_t>(acc_ >> count_);
      if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
      std::memcpy(out_, &word, 4);
      out_ += 4;
      acc_ &= (uint64_t{1} << count_) - 1;
    }
  }
  // Writes the bits left, the last byte filled up with 0 bits; returns the
  // end of the written bytes.
  uint8_t* Flush() {
    while (count_ >= 8) {
      count_ -= 8;
      *out_++ = static_cast<uint8_t>(acc_ >> count_);
    }
    if (count_ > 0) *out_++ = static_cast<uint8_t>(acc_ << (8 - count_));
    acc_ = 0;
    count_ = 0;
    return out_;
  }

private:
  uint8_t* out_;
  uint64_t acc_ = 0;
  int count_ = 0;
};

struct EncNode {
  uint16_t value = 256;
  uint16_t weight = 0;
  uint16_t left = kNoNode;
  uint16_t right = kNoNode;
};

struct Code {
  uint32_t bits = 0;
  int length = 0;
};

// Counts the block's bytes into four tables at once, so runs of one value
// do not wait on a single counter.
void CountBytes(std::span<const uint8_t> block, std::array<uint32_t, 256>& counts) {
  uint32_t part[4][256] = {};
  const uint8_t* b = block.data();
  const size_t n = block.size();
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    ++part[0][b[i]];
    ++part[1][b[i + 1]];
    ++part[2][b[i + 2]];
    ++part[3][b[i + 3]];
  }
  for (; i < n; ++i) ++part[0][b[i]];
  for (int v = 0; v < 256; ++v) counts[v] = part[0][v] + part[1][v] + part[2][v] + part[3][v];
}

// Builds the block's tree and returns its root. The picks must match the
// stored files exactly: smallest weight first, the lower node number on equal
// weights, and each new internal node takes the lowest-numbered node whose
// weight is 0 (unused byte values included). Internal nodes are made with
// rising weights and rising numbers, so two sorted queues (leaves, internal
// nodes) keyed by (weight, number) make exactly those picks.
int BuildTree(std::array<EncNode, kNodeCount>& nodes, std::span<const uint8_t> block,
              std::array<uint32_t, 256>& counts) {
  CountBytes(block, counts);
  using Key = uint32_t;  // weight << 16 | node; weights stay below 32768
  std::array<Key, 256> leaves;
  int leafCount = 0;
  for (int i = 0; i < 256; ++i) {
    if (counts[i] > 0) {
      nodes[i].weight = static_cast<uint16_t>(counts[i]);
      nodes[i].value = static_cast<uint16_t>(i);
      leaves[leafCount++] = (counts[i] << 16) | static_cast<uint32_t>(i);
    }
  }
  if (leafCount == 0) {
    // An empty block is coded like a block of byte 0 so the tree stays valid.
    nodes[0].weight = 1;
    nodes[0].value = 0;
    leaves[leafCount++] = (1u << 16) | 0u;
  }
  std::sort(leaves.begin(), leaves.begin() + leafCount);
  std::array<Key, 256> inner;
  int leafHead = 0, innerHead = 0, innerTail = 0;
  auto pick = [&]() -> int {
    if (leafHead < leafCount && (innerHead == innerTail || leaves[leafHead] < inner[innerHead]))
      return static_cast<int>(leaves[leafHead++] & 0xFFFF);
    return static_cast<int>(inner[innerHead++] & 0xFFFF);
  };
  int active = leafCount;
  int nextFree = 0;
  do {
    const int first = pick();
    --active;
    // A lone value is paired with itself: the root then has two children and
    // every byte costs the single bit 1 (its second path is the one kept).
    int second = first;
    if (active > 0) {
      second = pick();
      --active;
    }
    while (nextFree < kNodeCount && nodes[nextFree].weight != 0) ++nextFree;
    // 256 values never need more than 511 nodes, so a free node always exists.
    EncNode& parent = nodes[nextFree];
    parent.weight = static_cast<uint16_t>(nodes[first].weight + nodes[second].weight);
    parent.left = static_cast<uint16_t>(first);
    parent.right = static_cast<uint16_t>(second);
    inner[innerTail++] = (static_cast<uint32_t>(parent.weight) << 16) | static_cast<uint32_t>(nextFree);
    ++active;
  } while (active > 1);
  return pick();
}

// Records each leaf's code (a value met twice keeps its second path) and
// returns the number of bits the tree takes.
size_t AssignCodes(const std::array<EncNode, kNodeCount>& nodes, int node, uint32_t path, int depth,
                   std::array<Code, 256>& codes) {
  const EncNode& n = nodes[node];
  if (n.left == kNoNode) {
    codes[n.value] = {path, depth};
    return 9;
  }
  return 1 + AssignCodes(nodes, n.left, path << 1, depth + 1, codes) +
         AssignCodes(nodes, n.right, (path << 1) | 1u, depth + 1, codes);
}

// The writer is taken and returned by value so its fields stay in registers
// through the loop; the bytes it stores could otherwise alias them.
BitWriter PutCodes(BitWriter writer, std::span<const uint8_t> block, const std::array<Code, 256>& codes) {
  for (uint8_t b : block) writer.Put(codes[b].bits, codes[b].length);
  return writer;
}

void WriteTree(const std::array<EncNode, kNodeCount>& nodes, int node, BitWriter& writer) {
  const EncNode& n = nodes[node];
  if (n.left == kNoNode) {
    writer.Put(0x100u | n.value, 9);
    return;
  }
  writer.Put(0, 1);
  WriteTree(nodes, n.left, writer);
  WriteTree(nodes, n.right, writer);
}

// ---- decoding ----

// No initial values: the tree reader writes every field that is read later
// as it allocates nodes, so the 512 nodes are not cleared for every block.
struct DecNode {
  uint16_t left;
  uint16_t right;
  uint8_t value;
};

// MSB-first bit reader over a byte span. Whole bytes are loaded into a 64-bit
// window, the first bit at the top; the bits of a partly used byte are
// dropped by Align. The decode loop copies the window into locals, so its
// fields are open.
struct BitReader {
  explicit BitReader(std::span<const uint8_t> in) : data(in.data()), size(in.size()) {}

  // Tops the window up with whole bytes: at least 57 bits unless the input
  // is nearly used up.
  static void Refill(const uint8_t* data, size_t size, size_t& pos, uint64_t& buf, int& count) {
    if (size - pos >= 8) {
      const int take = (64 - count) >> 3;
      if (take == 0) return;
      uint64_t word;
      std::memcpy(&word, data + pos, 8);
      word = __builtin_bswap64(word);
      // Only the whole bytes that fit are kept; the bits below them stay zero.
      buf |= (word >> count) & (~uint64_t{0} << (64 - count - 8 * take));
      pos += static_cast<size_t>(take);
      count += 8 * take;
      return;
    }
    while (count <= 56 && pos < size) {
      buf |= uint64_t{data[pos++]} << (56 - count);
      count += 8;
    }
  }
  void Refill() { Refill(data, size, pos, buf, count); }
  // n bits (1 to 32) as a number; false when the input has fewer.
  bool Bits(int n, uint32_t& value) {
    if (count < n) {
      Refill();
      if (count < n) return false;
    }
    value = static_cast<uint32_t>(buf >> (64 - n));
    buf <<= n;
    count -= n;
    return true;
  }
  bool Bit(int& bit) {
    uint32_t v;
    if (!Bits(1, v)) return false;
    bit = static_cast<int>(v);
    return true;
  }
  // The next bit comes from a fresh byte.
  void Align() {
    const int drop = count % 8;
    buf <<= drop;
    count -= drop;
  }
  bool Byte(uint8_t& value) {
    Align();
    uint32_t v;
    if (!Bits(8, v)) return false;
    value = static_cast<uint8_t>(v);
    return true;
  }
  // Bytes used so far; a partly read byte counts as used.
  size_t Consumed() const { return pos - static_cast<size_t>(count / 8); }

  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  uint64_t buf = 0;
  int count = 0;
};

bool IsLeaf(const DecNode& n) { return n.left >= kNoNode; }

// Lookup of the next kTableBits bits: either a leaf reached within them
// (value and code length) or the internal node reached after all of them.
constexpr int kTableBits = 11;
// One 16-bit entry: the bits it takes in the low 6 (the code length for a
// leaf, all kTableBits for "continue at that node"), so the entry itself is
// the shift count; kInternal for the second kind; the leaf value or the node
// number above them.
using TableEntry = uint16_t;
constexpr uint32_t kInternal = 64;
constexpr int kEntryShift = 7;
constexpr TableEntry MakeLeafEntry(uint32_t value, uint32_t length) {
  return static_cast<TableEntry>((value << kEntryShift) | length);
}
constexpr TableEntry MakeNodeEntry(uint32_t node) {
  return static_cast<TableEntry>((node << kEntryShift) | kInternal | kTableBits);
}

// Sets count entries (a power of two) to e, four at a time where it can.
inline void Fill(TableEntry* t, uint32_t count, TableEntry e) {
  if (count < 4) {
    for (uint32_t i = 0; i < count; ++i) t[i] = e;
    return;
  }
  const uint64_t four = e * uint64_t{0x0001000100010001};
  for (uint32_t i = 0; i < count; i += 4) std::memcpy(t + i, &four, sizeof four);
}

// Reads a pre-order tree into node 0 and fills the lookup table on the way.
// Children are allocated in pairs from node 1 upward; a tree that needs more
// than 512 nodes or runs out of bits is damaged and yields false. Only nodes
// that are allocated are written, so the table need not be cleared first.
bool ReadTree(BitReader& reader, std::array<DecNode, kNodeCount>& nodes, TableEntry* table) {
  // A pending right child packed in one word: node (9 bits), the path while
  // it fits the table (11 bits), depth (above them).
  auto pack = [](uint32_t node, uint32_t prefix, uint32_t depth) {
    return node | (prefix << 9) | (depth << 20);
  };
  // The window lives in locals: the byte stores into the nodes may alias
  // anything, so fields reached through the reader would be read again
  // after each of them.
  const uint8_t* const data = reader.data;
  const size_t size = reader.size;
  size_t pos = reader.pos;
  uint64_t buf = reader.buf;
  int count = reader.count;
  auto finish = [&](bool whole) {
    reader.pos = pos;
    reader.buf = buf;
    reader.count = count;
    return whole;
  };
  int nextFree = 1;
  std::array<uint32_t, kNodeCount> stack;
  int top = 0;
  nodes[0].left = kNoNode;
  uint32_t node = 0, prefix = 0, depth = 0;
  for (;;) {
    if (count < 9) {
      BitReader::Refill(data, size, pos, buf, count);
      if (count < 1) return finish(false);
    }
    if (buf >> 63) {
      // A leaf: the bit 1 and eight value bits. Past a refill, fewer than 9
      // bits means the input has no more.
      if (count < 9) return finish(false);
      const uint32_t v = static_cast<uint32_t>(buf >> 55) & 0xFF;
      buf <<= 9;
      count -= 9;
      nodes[node].value = static_cast<uint8_t>(v);
      if (depth > 0 && depth <= kTableBits) {
        const uint32_t free = kTableBits - depth;
        Fill(table + (prefix << free), uint32_t{1} << free, MakeLeafEntry(v, depth));
      }
      if (top == 0) return finish(true);
      const uint32_t p = stack[--top];
      node = p & 0x1FF;
      prefix = (p >> 9) & 0x7FF;
      depth = p >> 20;
      continue;
    }
    buf <<= 1;
    --count;
    if (nextFree + 2 > kNodeCount) return finish(false);
    const uint32_t left = static_cast<uint32_t>(nextFree++);
    const uint32_t right = static_cast<uint32_t>(nextFree++);
    nodes[left].left = kTakenNode;
    nodes[right].left = kTakenNode;
    nodes[node].left = static_cast<uint16_t>(left);
    nodes[node].right = static_cast<uint16_t>(right);
    if (depth == kTableBits) table[prefix] = MakeNodeEntry(node);
    prefix = depth < kTableBits ? prefix << 1 : 0;
    ++depth;
    stack[top++] = pack(right, prefix | (depth <= kTableBits ? 1u : 0u), depth);
    node = left;
  }
}

}  // namespace

void HuffEncode(std::span<const uint8_t> data, std::vector<uint8_t>& out) {
  out.push_back(kMethodHuffman);
  PutU32(out, static_cast<uint32_t>(data.size()));
  size_t done = 0;
  do {
    const size_t n = std::min(data.size() - done, kHuffBlockSize);
    const auto block = data.subspan(done, n);
    std::array<EncNode, kNodeCount> nodes{};
    std::array<uint32_t, 256> counts;
    const int root = BuildTree(nodes, block, counts);
    std::array<Code, 256> codes{};
    size_t bits = AssignCodes(nodes, root, 0, 0, codes);
    for (int v = 0; v < 256; ++v) bits += size_t{counts[v]} * static_cast<size_t>(codes[v].length);
    // The exact size is known, plus room for the writer's last whole word.
    const size_t at = out.size();
    out.resize(at + 2 + (bits + 7) / 8 + 4);
    out[at] = static_cast<uint8_t>(n);
    out[at + 1] = static_cast<uint8_t>(n >> 8);
    BitWriter writer(out.data() + at + 2);
    WriteTree(nodes, root, writer);
    writer = PutCodes(writer, block, codes);
    out.resize(static_cast<size_t>(writer.Flush() - out.data()));
    done += n;
  } while (done < data.size());
}

namespace {

// A block's bit window and output, handed to a feed's loop and back.
struct Window {
  const uint8_t* data;
  size_t size;
  size_t pos;
  uint64_t buf;
  int count;
  uint8_t* dst;
  size_t made;
  size_t want;
};

// Decodes to nothing else.
struct NoFeed {
  static constexpr bool kActive = false;
  NoFeed(NestedLzw*, size_t, size_t, uint32_t) {}
  bool Put(uint32_t) { return false; }
  void Finish() {}
};

// Hands the decoded bytes to an LZW decoder when they form an LZW layer:
// the method byte first, then each code's two bytes.
class LzwFeed {
public:
  static constexpr bool kActive = true;
  // The layer holds at most total bytes, and at most eight per input byte
  // (every code is at least one bit), which bounds its codes.
  LzwFeed(NestedLzw* nested, size_t limit, size_t inputSize, uint32_t total)
      : nested_(*nested),
        decoder_(nested->bytes, limit,
                 std::min<size_t>({total, limit, 8 * inputSize}) / 2,
                 std::min<size_t>(total, inputSize)) {}
  // Returns false once no more bytes are wanted.
  bool Put(uint32_t b) {
    if (phase_ == Phase::kLow) {
      low_ = b;
      phase_ = Phase::kHigh;
      return true;
    }
    if (phase_ == Phase::kHigh) {
      phase_ = Phase::kLow;
      const uint32_t code = low_ | (b << 8);
      if (started_) return decoder_.Step(code);
      started_ = true;
      return decoder_.First(code);
    }
    nested_.found = b == kMethodLzw;
    phase_ = Phase::kLow;
    return nested_.found;
  }
  // Whether the next byte starts a code after the first.
  bool Pairing() const { return phase_ == Phase::kLow && started_; }
  // Whole codes, two table hits each, straight into the LZW decoder, while
  // both symbols are in the table and the block has room for them. Returns
  // false once the LZW layer has ended. A function of its own, so its few
  // values get the registers.
  [[gnu::noinline]] bool Pairs(Window& window, const TableEntry* lookup) {
    Window w = window;
    LzwDecoder::State state = decoder_.Save();
    bool going = true;
    while (w.want - w.made >= 2) {
      if (w.count < 2 * kTableBits) {
        BitReader::Refill(w.data, w.size, w.pos, w.buf, w.count);
        if (w.count < 2 * kTableBits) break;
      }
      const uint32_t e1 = lookup[w.buf >> (64 - kTableBits)];
      if (e1 & kInternal) break;
      const uint32_t e2 = lookup[(w.buf << (e1 & 63)) >> (64 - kTableBits)];
      if (e2 & kInternal) break;
      w.buf <<= (e1 & 63);
      w.buf <<= (e2 & 63);
      w.count -= static_cast<int>((e1 & 63) + (e2 & 63));
      const uint32_t low = (e1 >> kEntryShift) & 0xFF;
      const uint32_t high = (e2 >> kEntryShift) & 0xFF;
      w.dst[w.made] = static_cast<uint8_t>(low);
      w.dst[w.made + 1] = static_cast<uint8_t>(high);
      w.made += 2;
      if (!decoder_.Step(state, low | (high << 8))) {
        going = false;
        break;
      }
    }
    decoder_.Restore(state);
    window = w;
    return going;
  }
  void Finish() {
    decoder_.Finish();
    nested_.intact = decoder_.Intact();
  }

private:
  enum class Phase : uint8_t { kMethod, kLow, kHigh };
  NestedLzw& nested_;
  LzwDecoder decoder_;
  Phase phase_ = Phase::kMethod;
  bool started_ = false;
  uint32_t low_ = 0;
};

template <class Feed>
size_t Decode(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit, bool* intact,
              NestedLzw* nested) {
  if (intact) *intact = false;
  BitReader reader(in);
  uint32_t total = 0;
  for (int i = 0; i < 4; ++i) {
    uint8_t b;
    if (!reader.Byte(b)) return reader.Consumed();
    total |= static_cast<uint32_t>(b) << (8 * i);
  }
  const size_t start = out.size();
  Feed feed(nested, limit, in.size(), total);
  bool feeding = Feed::kActive;
  std::unique_ptr<TableEntry[]> table(new TableEntry[size_t{1} << kTableBits]);
  // The encoder always writes at least one block, even for an empty layer,
  // so one block is read before total is looked at.
  do {
    uint8_t lo, hi;
    if (!reader.Byte(lo) || !reader.Byte(hi)) break;
    const uint32_t length = lo | (static_cast<uint32_t>(hi) << 8);
    reader.Align();
    std::array<DecNode, kNodeCount> nodes;
    if (!ReadTree(reader, nodes, table.get())) break;
    // A root leaf has no code to follow: the block is damaged.
    if (IsLeaf(nodes[0])) break;
    // A block longer than what total still allows is cut, as is the output cap.
    size_t want = std::min<size_t>(length, total);
    const size_t room = limit - std::min(limit, out.size() - start);
    const bool capped = want > room;
    want = std::min(want, room);

    const size_t base = out.size();
    out.resize(base + want);
    uint8_t* dst = out.data() + base;
    size_t made = 0;
    bool ended = false;
    // The window lives in locals through the hot loop.
    const uint8_t* data = reader.data;
    const size_t size = reader.size;
    size_t pos = reader.pos;
    uint64_t buf = reader.buf;
    int count = reader.count;
    const TableEntry* lookup = table.get();
    auto emit = [&](uint32_t symbol) {
      dst[made++] = static_cast<uint8_t>(symbol);
      if constexpr (Feed::kActive) {
        if (feeding) feeding = feed.Put(symbol);
      }
    };
    while (made < want) {
      if constexpr (Feed::kActive) {
        // Whole codes, two table hits each, straight into the LZW decoder;
        // anything else (long codes, the last bits, a block's end) is left
        // to the byte-by-byte path below.
        if (feeding && feed.Pairing()) {
          Window w{data, size, pos, buf, count, dst, made, want};
          feeding = feed.Pairs(w, lookup);
          pos = w.pos;
          buf = w.buf;
          count = w.count;
          made = w.made;
          if (made == want) break;
        }
      }
      if (count < kTableBits) BitReader::Refill(data, size, pos, buf, count);
      int node = 0;
      if (count >= kTableBits) {
        const uint32_t e = lookup[buf >> (64 - kTableBits)];
        buf <<= (e & 63);
        count -= static_cast<int>(e & 63);
        if ((e & kInternal) == 0) {
          emit(e >> kEntryShift);
          continue;
        }
        node = static_cast<int>(e >> kEntryShift);
      }
      // Bit by bit: long codes, and the last bits of the input.
      for (;;) {
        if (count == 0) {
          BitReader::Refill(data, size, pos, buf, count);
          if (count == 0) {
            ended = true;
            break;
          }
        }
        const int bit = static_cast<int>(buf >> 63);
        buf <<= 1;
        --count;
        node = bit ? nodes[node].right : nodes[node].left;
        if (IsLeaf(nodes[node])) break;
      }
      if (ended) break;
      emit(nodes[node].value);
    }
    reader.pos = pos;
    reader.buf = buf;
    reader.count = count;
    out.resize(base + made);
    if (ended || capped) break;
    total -= std::min<uint32_t>(total, length);
  } while (total > 0);
  feed.Finish();
  if (intact) *intact = total == 0;
  return reader.Consumed();
}

}  // namespace

size_t HuffDecode(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit,
                  bool* intact) {
  return Decode<NoFeed>(in, out, limit, intact, nullptr);
}

size_t HuffDecode(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit,
                  bool* intact, NestedLzw& nested) {
  nested = NestedLzw{};
  return Decode<LzwFeed>(in, out, limit, intact, &nested);
}


}  // namespace quarry
