#include "xm.h"

#include <stdexcept>

namespace datagen {
namespace {

class Writer {
public:
  std::vector<uint8_t> bytes;
  void U8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) { U8(v & 0xFF); U8((v >> 8) & 0xFF); }
  void U32(uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
  // Fixed-size text field, padded with the fill byte.
  void Text(const std::string& s, size_t size, uint8_t fill = 0) {
    for (size_t i = 0; i < size; ++i) U8(i < s.size() ? static_cast<uint8_t>(s[i]) : fill);
  }
  void Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

std::vector<uint8_t> PackPattern(const XmPattern& p) {
  std::vector<uint8_t> out;
  for (const XmCell& c : p.cells) {
    // Each cell is written packed: a flag byte (high bit set) says which of the
    // five fields follow; an empty cell is the single byte 0x80.
    uint8_t flags = 0x80;
    if (c.note) flags |= 1;
    if (c.instrument) flags |= 2;
    if (c.volume) flags |= 4;
    if (c.effect) flags |= 8;
    if (c.param) flags |= 16;
    if (flags == 0x9F) {
      out.insert(out.end(), {c.note, c.instrument, c.volume, c.effect, c.param});
      continue;
    }
    out.push_back(flags);
    if (c.note) out.push_back(c.note);
    if (c.instrument) out.push_back(c.instrument);
    if (c.volume) out.push_back(c.volume);
    if (c.effect) out.push_back(c.effect);
    if (c.param) out.push_back(c.param);
  }
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeXm(const XmModule& m) {
  if (m.channels < 1 || m.channels > 32) throw std::invalid_argument("XM channel count out of range");
  if (m.order.empty() || m.order.size() > 256) throw std::invalid_argument("XM order list size out of range");
  if (m.patterns.empty() || m.patterns.size() > 256) throw std::invalid_argument("XM pattern count out of range");
  if (m.instruments.size() > 128) throw std::invalid_argument("too many XM instruments");
  for (uint8_t o : m.order)
    if (o >= m.patterns.size()) throw std::invalid_argument("XM order names a missing pattern");
  Writer w;
  w.Text("Extended Module: ", 17);
  w.Text(m.name, 20);
  w.U8(0x1A);
  w.Text("quarry-datagen", 20, ' ');
  w.U16(0x0104);
  w.U32(276);  // header size, counted from this field
  w.U16(static_cast<uint32_t>(m.order.size()));
  w.U16(m.restart);
  w.U16(m.channels);
  w.U16(static_cast<uint32_t>(m.patterns.size()));
  w.U16(static_cast<uint32_t>(m.instruments.size()));
  w.U16(1);  // linear frequency table
  w.U16(m.speed);
  w.U16(m.bpm);
  for (size_t i = 0; i < 256; ++i) w.U8(i < m.order.size() ? m.order[i] : 0);

  for (const XmPattern& p : m.patterns) {
    if (p.rows < 1 || p.rows > 256 || p.cells.size() != static_cast<size_t>(p.rows) * m.channels)
      throw std::invalid_argument("XM pattern size does not match its rows and channels");
    std::vector<uint8_t> packed = PackPattern(p);
    if (packed.size() > 0xFFFF) throw std::invalid_argument("XM pattern too large");
    w.U32(9);
    w.U8(0);
    w.U16(p.rows);
    w.U16(static_cast<uint32_t>(packed.size()));
    w.bytes.insert(w.bytes.end(), packed.begin(), packed.end());
  }

  for (const XmInstrument& ins : m.instruments) {
    if (ins.volumeEnvelope.size() > 12) throw std::invalid_argument("XM envelope has more than 12 points");
    w.U32(263);
    w.Text(ins.name, 22);
    w.U8(0);
    w.U16(1);   // one sample
    w.U32(40);  // sample header size
    w.Zeros(96);  // every note uses sample 0
    for (size_t i = 0; i < 12; ++i) {
      if (i < ins.volumeEnvelope.size()) {
        w.U16(ins.volumeEnvelope[i].first);
        w.U16(ins.volumeEnvelope[i].second);
      } else {
        w.U32(0);
      }
    }
    w.Zeros(48);  // panning envelope
    w.U8(static_cast<uint32_t>(ins.volumeEnvelope.size()));
    w.U8(0);
    w.U8(ins.sustainPoint < 0 ? 0 : ins.sustainPoint);
    w.U8(0);
    w.U8(0);
    w.Zeros(3);  // panning sustain and loop points
    uint8_t type = 0;
    if (!ins.volumeEnvelope.empty()) type |= 1;
    if (ins.sustainPoint >= 0) type |= 2;
    w.U8(type);
    w.U8(0);
    w.U8(0);  // sine
    w.U8(ins.vibratoSweep);
    w.U8(ins.vibratoDepth);
    w.U8(ins.vibratoRate);
    w.U16(ins.fadeout);
    w.Zeros(22);

    const XmSample& s = ins.sample;
    if (s.loopLength && s.loopStart + s.loopLength > s.data.size())
      throw std::invalid_argument("XM sample loop runs past the sample");
    // Lengths and loop points are counted in bytes.
    w.U32(static_cast<uint32_t>(s.data.size() * 2));
    w.U32(s.loopStart * 2);
    w.U32(s.loopLength * 2);
    w.U8(s.volume);
    w.U8(0);  // finetune
    w.U8((s.loopLength ? 1 : 0) | 0x10);  // forward loop, 16-bit
    w.U8(s.panning);
    w.U8(static_cast<uint8_t>(s.relativeNote));
    w.U8(0);
    w.Text(ins.name, 22);
    int16_t previous = 0;
    for (int16_t v : s.data) {
      w.U16(static_cast<uint16_t>(v - previous));
      previous = v;
    }
  }
  return w.bytes;
}

}  // namespace datagen
