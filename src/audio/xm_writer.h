// Writes small FastTracker 2 (XM) modules: the music generators and the tests
// compose songs in code and store them with this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarry {

constexpr uint8_t kXmNoteOff = 97;
// Note numbers: 1 = C-0 ... 49 = C-4 (plays a sample of relative note 0 at
// 8363 Hz) ... 96 = B-7.
constexpr uint8_t XmNote(int octave, int semitone) {
  return static_cast<uint8_t>(1 + octave * 12 + semitone);
}

struct XmSample {
  std::string name;
  // 16-bit sample points; stored as 8-bit when eightBit is set (the high byte).
  std::vector<int16_t> points;
  bool eightBit = false;
  uint32_t loopStart = 0;   // in sample points
  uint32_t loopLength = 0;  // 0 = no loop
  bool pingPong = false;
  uint8_t volume = 64;      // 0..64
  int8_t finetune = 0;
  uint8_t panning = 128;
  int8_t relativeNote = 0;
};

struct XmInstrument {
  std::string name;
  XmSample sample;  // one sample per instrument, used for every note
  uint16_t fadeout = 0;
};

struct XmCell {
  uint8_t note = 0;  // 0 = none, 1..96, kXmNoteOff
  uint8_t instrument = 0;
  uint8_t volume = 0;  // volume column: 0 = none, 0x10..0x50 set volume 0..64
  uint8_t effect = 0;
  uint8_t param = 0;
};

struct XmPattern {
  uint16_t rows = 64;
  std::vector<XmCell> cells;  // rows x channels, row by row; missing cells are empty

  XmCell& At(uint16_t row, uint16_t channel, uint16_t channels);
};

struct XmModule {
  std::string name;
  uint16_t channels = 4;  // 1..32
  uint16_t speed = 6;     // ticks per row
  uint16_t bpm = 125;
  uint16_t restart = 0;
  std::vector<uint8_t> orders;  // pattern numbers; at most 256
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;
};

// The module as an XM file (version 1.04, linear frequencies, patterns packed).
std::vector<uint8_t> WriteXm(const XmModule& module);

}  // namespace quarry
