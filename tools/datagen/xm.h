// A small Extended Module (XM, version 0x0104) writer: linear frequency
// table, packed patterns, one sample per instrument, delta-coded 16-bit samples.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace datagen {

struct XmSample {
  std::vector<int16_t> data;
  uint32_t loopStart = 0;   // in sample points
  uint32_t loopLength = 0;  // 0: no loop
  uint8_t volume = 64;
  int8_t relativeNote = 0;  // 0: note C-4 plays the sample at 8363 Hz
  uint8_t panning = 128;    // 0 left .. 255 right, set again by every note with an instrument
};

struct XmInstrument {
  std::string name;
  XmSample sample;
  // (tick, level 0..64) points; empty for no envelope. At most 12 points.
  std::vector<std::pair<uint16_t, uint16_t>> volumeEnvelope;
  int sustainPoint = -1;  // -1: none
  uint16_t fadeout = 0;
  // Automatic vibrato: sine, reaching depth (1/16 semitone) after sweep ticks.
  uint8_t vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct XmCell {
  uint8_t note = 0;        // 1..96 (C-0 is 1, C-4 is 49), 97 key off, 0 none
  uint8_t instrument = 0;  // 1-based, 0 none
  uint8_t volume = 0;      // volume column, 0 none (0x10..0x50 sets 0..64)
  uint8_t effect = 0;
  uint8_t param = 0;
};

struct XmPattern {
  int rows = 64;
  std::vector<XmCell> cells;  // rows x channels, row-major
};

struct XmModule {
  std::string name;
  int channels = 4;
  int speed = 6;  // ticks per row
  int bpm = 125;
  std::vector<uint8_t> order;
  int restart = 0;
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;
};

// Throws std::invalid_argument for a module the format cannot hold (more
// than 32 channels, pattern sizes that do not match, too many envelope points).
std::vector<uint8_t> EncodeXm(const XmModule& module);

}  // namespace datagen
