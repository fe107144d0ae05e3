// Song sources: a small text notation compiled into an XM module with the
// generator's own synthesized instruments.
//
//   title NAME             module name (up to 20 characters)
//   speed N / bpm N        ticks per row and tempo
//   order A B A C          pattern names in play order
//   pattern A              starts a pattern; then one line per channel:
//   lead | C5 . E5 . ^ . |    instrument name, then one token per row
//   end                    ends the pattern
//
// Tokens: "." nothing, "^" key off, a note such as C5, F#3 or Bb4; on the
// "drums" channel the letters k (kick), s (snare) and h (hat). "|" marks bars
// and is ignored; "#" at the start of a line is a comment.
#pragma once

#include <stdexcept>
#include <string>

#include "xm.h"

namespace datagen {

struct SongError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Throws SongError naming the line for anything it cannot read.
XmModule CompileSong(const std::string& text);

// The instrument set every song can use, in instrument-number order.
std::vector<XmInstrument> SongInstruments();

}  // namespace datagen
