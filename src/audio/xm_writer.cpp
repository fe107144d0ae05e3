#include "audio/xm_writer.h"

#include <algorithm>

namespace quarry {

namespace {

constexpr uint32_t kHeaderSize = 276;      // from the size field to the end of the order table
constexpr uint32_t kPatternHeaderSize = 9;
constexpr uint32_t kInstrumentHeaderSize = 263;
constexpr uint32_t kSampleHeaderSize = 40;

class Writer {
public:
  void U8(uint32_t v) { out.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) { U8(v & 0xFF); U8((v >> 8) & 0xFF); }
  void U32(uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
  void Zeros(size_t n) { out.insert(out.end(), n, 0); }
  // Text cut or padded with zeros to width.
  void Text(const std::string& s, size_t width) {
    const size_t n = std::min(s.size(), width);
    out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    Zeros(width - n);
  }
  std::vector<uint8_t> out;
};

std::vector<uint8_t> PackPattern(const XmPattern& pattern, uint16_t channels) {
  Writer w;
  const XmCell empty{};
  for (uint32_t row = 0; row < pattern.rows; ++row) {
    for (uint32_t ch = 0; ch < channels; ++ch) {
      const size_t at = row * channels + ch;
      const XmCell& c = at < pattern.cells.size() ? pattern.cells[at] : empty;
      // Packed form: a flag byte with bit 7 set says which fields follow.
      uint8_t flags = 0x80;
      if (c.note) flags |= 0x01;
      if (c.instrument) flags |= 0x02;
      if (c.volume) flags |= 0x04;
      if (c.effect) flags |= 0x08;
      if (c.param) flags |= 0x10;
      w.U8(flags);
      if (c.note) w.U8(c.note);
      if (c.instrument) w.U8(c.instrument);
      if (c.volume) w.U8(c.volume);
      if (c.effect) w.U8(c.effect);
      if (c.param) w.U8(c.param);
    }
  }
  return w.out;
}

}  // namespace

XmCell& XmPattern::At(uint16_t row, uint16_t channel, uint16_t channels) {
  const size_t at = static_cast<size_t>(row) * channels + channel;
  if (cells.size() <= at) cells.resize(static_cast<size_t>(rows) * channels);
  return cells.at(at);
}

std::vector<uint8_t> WriteXm(const XmModule& module) {
  Writer w;
  const uint16_t channels = std::clamp<uint16_t>(module.channels, 1, 32);
  const size_t orderCount = std::min<size_t>(module.orders.size(), 256);

  w.Text("Extended Module: ", 17);
  w.Text(module.name, 20);
  w.U8(0x1A);
  w.Text("Quarrystar", 20);
  w.U16(0x0104);
  w.U32(kHeaderSize);
  w.U16(static_cast<uint32_t>(orderCount));
  w.U16(module.restart);
  w.U16(channels);
  w.U16(static_cast<uint32_t>(module.patterns.size()));
  w.U16(static_cast<uint32_t>(module.instruments.size()));
  w.U16(1);  // linear frequency table
  w.U16(module.speed);
  w.U16(module.bpm);
  for (size_t i = 0; i < 256; ++i) w.U8(i < orderCount ? module.orders[i] : 0);

  for (const XmPattern& pattern : module.patterns) {
    const std::vector<uint8_t> packed = PackPattern(pattern, channels);
    w.U32(kPatternHeaderSize);
    w.U8(0);  // packing type
    w.U16(pattern.rows);
    w.U16(static_cast<uint32_t>(packed.size()));
    w.out.insert(w.out.end(), packed.begin(), packed.end());
  }

  for (const XmInstrument& instrument : module.instruments) {
    const XmSample& s = instrument.sample;
    w.U32(kInstrumentHeaderSize);
    w.Text(instrument.name, 22);
    w.U8(0);
    w.U16(1);  // samples
    w.U32(kSampleHeaderSize);
    w.Zeros(96);  // every note plays sample 0
    w.Zeros(48 + 48);  // no envelopes
    w.Zeros(8);  // envelope point counts, sustain and loop points
    w.U8(0);  // volume envelope off
    w.U8(0);  // panning envelope off
    w.Zeros(4);  // no vibrato
    w.U16(instrument.fadeout);
    w.Zeros(22);

    const uint32_t bytesPerPoint = s.eightBit ? 1 : 2;
    const uint32_t points = static_cast<uint32_t>(s.points.size());
    const uint32_t loopStart = std::min(s.loopStart, points);
    const uint32_t loopLength = std::min(s.loopLength, points - loopStart);
    uint8_t type = loopLength == 0 ? 0 : (s.pingPong ? 2 : 1);
    if (!s.eightBit) type |= 0x10;
    w.U32(points * bytesPerPoint);
    w.U32(loopStart * bytesPerPoint);
    w.U32(loopLength * bytesPerPoint);
    w.U8(std::min<uint8_t>(s.volume, 64));
    w.U8(static_cast<uint8_t>(s.finetune));
    w.U8(type);
    w.U8(s.panning);
    w.U8(static_cast<uint8_t>(s.relativeNote));
    w.U8(0);  // delta-coded data
    w.Text(s.name, 22);

    // Sample points are stored as differences from the previous point.
    int16_t previous = 0;
    for (int16_t point : s.points) {
      if (s.eightBit) {
        const int8_t value = static_cast<int8_t>(point >> 8);
        w.U8(static_cast<uint8_t>(value - static_cast<int8_t>(previous)));
        previous = value;
      } else {
        w.U16(static_cast<uint16_t>(point - previous));
        previous = point;
      }
    }
  }
  return w.out;
}

}  // namespace quarry
