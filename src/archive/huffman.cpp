#include "archive/huffman.h"

#include <algorithm>
#include <array>
#include <queue>

namespace quarry {
namespace {

constexpr uint16_t kNoNode = 512;     // "no child" in both node tables
constexpr uint16_t kTakenNode = 513;  // decoder: allocated, not yet filled
constexpr int kNodeCount = 512;

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

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
      const uint32_t word = static_cast<uint32_t>(acc_ >> count_);
      out_[0] = static_cast<uint8_t>(word >> 24);
      out_[1] = static_cast<uint8_t>(word >> 16);
      out_[2] = static_cast<uint8_t>(word >> 8);
      out_[3] = static_cast<uint8_t>(word);
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

// Builds the block's tree and returns its root. The picks must match the
// stored files exactly: smallest weight first, the lower node number on equal
// weights, and each new internal node takes the lowest-numbered node whose
// weight is 0 (unused byte values included). A (weight, number) min-heap makes
// exactly those picks.
int BuildTree(std::array<EncNode, kNodeCount>& nodes, std::span<const uint8_t> block,
              std::array<uint32_t, 256>& counts) {
  counts.fill(0);
  for (uint8_t b : block) ++counts[b];
  using Key = uint32_t;  // weight << 16 | node
  std::priority_queue<Key, std::vector<Key>, std::greater<Key>> active;
  for (int i = 0; i < 256; ++i) {
    if (counts[i] > 0) {
      nodes[i].weight = static_cast<uint16_t>(counts[i]);
      nodes[i].value = static_cast<uint16_t>(i);
      active.push((counts[i] << 16) | static_cast<uint32_t>(i));
    }
  }
  if (active.empty()) {
    // An empty block is coded like a block of byte 0 so the tree stays valid.
    nodes[0].weight = 1;
    nodes[0].value = 0;
    active.push((1u << 16) | 0u);
  }
  int nextFree = 0;
  do {
    const int first = static_cast<int>(active.top() & 0xFFFF);
    active.pop();
    // A lone value is paired with itself: the root then has two children and
    // every byte costs the single bit 1 (its second path is the one kept).
    int second = first;
    if (!active.empty()) {
      second = static_cast<int>(active.top() & 0xFFFF);
      active.pop();
    }
    while (nextFree < kNodeCount && nodes[nextFree].weight != 0) ++nextFree;
    // 256 values never need more than 511 nodes, so a free node always exists.
    EncNode& parent = nodes[nextFree];
    parent.weight = static_cast<uint16_t>(nodes[first].weight + nodes[second].weight);
    parent.left = static_cast<uint16_t>(first);
    parent.right = static_cast<uint16_t>(second);
    active.push((static_cast<uint32_t>(parent.weight) << 16) | static_cast<uint32_t>(nextFree));
  } while (active.size() > 1);
  return static_cast<int>(active.top() & 0xFFFF);
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

struct DecNode {
  uint16_t left = kNoNode;
  uint16_t right = kNoNode;
  uint8_t value = 0;
};

// MSB-first bit reader over a byte span. Whole bytes are loaded into a 64-bit
// window; the bits of a partly used byte are dropped by Align.
class BitReader {
public:
  explicit BitReader(std::span<const uint8_t> in) : in_(in) {}
  void Refill() {
    if (in_.size() - pos_ >= 8) {
      // Eight bytes at once; only the whole bytes that fit are kept, and the
      // bits below them stay zero.
      const int take = (64 - count_) >> 3;
      if (take == 0) return;
      uint64_t word = 0;
      for (int i = 0; i < 8; ++i) word = (word << 8) | in_[pos_ + i];
      buf_ |= (word >> count_) & (~uint64_t{0} << (64 - count_ - 8 * take));
      pos_ += static_cast<size_t>(take);
      count_ += 8 * take;
      return;
    }
    while (count_ <= 56 && pos_ < in_.size()) {
      buf_ |= uint64_t{in_[pos_++]} << (56 - count_);
      count_ += 8;
    }
  }
  bool Bit(int& bit) {
    if (count_ == 0) {
      Refill();
      if (count_ == 0) return false;
    }
    bit = static_cast<int>(buf_ >> 63);
    buf_ <<= 1;
    --count_;
    return true;
  }
  bool Bits(int n, uint32_t& value) {
    value = 0;
    for (int i = 0; i < n; ++i) {
      int b;
      if (!Bit(b)) return false;
      value = (value << 1) | static_cast<uint32_t>(b);
    }
    return true;
  }
  // The next bit comes from a fresh byte.
  void Align() {
    const int drop = count_ % 8;
    buf_ <<= drop;
    count_ -= drop;
  }
  bool Byte(uint8_t& value) {
    Align();
    uint32_t v;
    if (!Bits(8, v)) return false;
    value = static_cast<uint8_t>(v);
    return true;
  }
  int Count() const { return count_; }
  uint64_t Peek() const { return buf_; }
  void Skip(int n) {
    buf_ <<= n;
    count_ -= n;
  }
  // Bytes used so far; a partly read byte counts as used.
  size_t Consumed() const { return pos_ - static_cast<size_t>(count_ / 8); }

private:
  std::span<const uint8_t> in_;
  size_t pos_ = 0;
  uint64_t buf_ = 0;
  int count_ = 0;
};

// Reads a pre-order tree into node 0. Children are allocated in pairs from
// node 1 upward; a tree that needs more than 512 nodes or runs out of bits is
// damaged and yields false.
bool ReadTree(BitReader& reader, std::array<DecNode, kNodeCount>& nodes) {
  int nextFree = 1;
  std::array<uint16_t, kNodeCount> stack;
  int top = 0;
  stack[top++] = 0;
  while (top > 0) {
    const int node = stack[--top];
    int bit;
    if (!reader.Bit(bit)) return false;
    if (bit == 1) {
      uint32_t v;
      if (!reader.Bits(8, v)) return false;
      nodes[node].value = static_cast<uint8_t>(v);
      continue;
    }
    if (nextFree + 2 > kNodeCount) return false;
    const int left = nextFree++;
    const int right = nextFree++;
    nodes[left].left = kTakenNode;
    nodes[right].left = kTakenNode;
    nodes[node].left = static_cast<uint16_t>(left);
    nodes[node].right = static_cast<uint16_t>(right);
    stack[top++] = static_cast<uint16_t>(right);
    stack[top++] = static_cast<uint16_t>(left);
  }
  return true;
}

bool IsLeaf(const DecNode& n) { return n.left >= kNoNode; }

// Lookup of the next kTableBits bits: either a leaf reached within them
// (value and code length) or the internal node reached after all of them.
constexpr int kTableBits = 11;
struct TableEntry {
  uint16_t target;  // leaf value, or internal node number
  uint8_t length;   // code length for a leaf; 0 for "continue at target"
};

void FillTable(const std::array<DecNode, kNodeCount>& nodes, int node, uint32_t prefix, int depth,
               std::vector<TableEntry>& table) {
  const DecNode& n = nodes[node];
  if (depth > 0 && IsLeaf(n)) {
    const uint32_t span = 1u << (kTableBits - depth);
    std::fill_n(table.begin() + (prefix << (kTableBits - depth)), span,
                TableEntry{n.value, static_cast<uint8_t>(depth)});
    return;
  }
  if (depth == kTableBits) {
    table[prefix] = TableEntry{static_cast<uint16_t>(node), 0};
    return;
  }
  FillTable(nodes, n.left, prefix << 1, depth + 1, table);
  FillTable(nodes, n.right, (prefix << 1) | 1u, depth + 1, table);
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
    for (uint8_t b : block) writer.Put(codes[b].bits, codes[b].length);
    out.resize(static_cast<size_t>(writer.Flush() - out.data()));
    done += n;
  } while (done < data.size());
}

size_t HuffDecode(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit,
                  bool* intact) {
  if (intact) *intact = false;
  BitReader reader(in);
  uint32_t total = 0;
  for (int i = 0; i < 4; ++i) {
    uint8_t b;
    if (!reader.Byte(b)) return reader.Consumed();
    total |= static_cast<uint32_t>(b) << (8 * i);
  }
  const size_t start = out.size();
  std::vector<TableEntry> table(size_t{1} << kTableBits);
  while (total > 0) {
    uint8_t lo, hi;
    if (!reader.Byte(lo) || !reader.Byte(hi)) break;
    const uint32_t length = lo | (static_cast<uint32_t>(hi) << 8);
    reader.Align();
    std::array<DecNode, kNodeCount> nodes{};
    if (!ReadTree(reader, nodes)) break;
    // A root leaf has no code to follow: the block is damaged.
    if (IsLeaf(nodes[0])) break;
    // A block longer than what total still allows is cut, as is the output cap.
    size_t want = std::min<size_t>(length, total);
    const size_t room = limit - std::min(limit, out.size() - start);
    const bool capped = want > room;
    want = std::min(want, room);
    FillTable(nodes, 0, 0, 0, table);

    const size_t base = out.size();
    out.resize(base + want);
    uint8_t* dst = out.data() + base;
    size_t made = 0;
    bool ended = false;
    while (made < want) {
      if (reader.Count() < kTableBits) reader.Refill();
      int node = 0;
      if (reader.Count() >= kTableBits) {
        const TableEntry& e = table[reader.Peek() >> (64 - kTableBits)];
        if (e.length != 0) {
          dst[made++] = static_cast<uint8_t>(e.target);
          reader.Skip(e.length);
          continue;
        }
        reader.Skip(kTableBits);
        node = e.target;
      }
      // Bit by bit: long codes, and the last bits of the input.
      for (;;) {
        int bit;
        if (!reader.Bit(bit)) {
          ended = true;
          break;
        }
        node = bit ? nodes[node].right : nodes[node].left;
        if (IsLeaf(nodes[node])) break;
      }
      if (ended) break;
      dst[made++] = nodes[node].value;
    }
    out.resize(base + made);
    if (ended || capped) break;
    total -= std::min<uint32_t>(total, length);
  }
  if (intact) *intact = total == 0;
  return reader.Consumed();
}

}  // namespace quarry
