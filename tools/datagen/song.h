// Song sources: a small text notation compiled into an XM module with the
// generator's own synthesized instruments.
//
//   title NAME             module name (up to 20 characters)
//   speed N / bpm N        ticks per row and tempo
//   channel NAME INSTRUMENT [pan P] [vol V] [echo SOURCE TICKS]
//                          the next channel: its instrument (or "drums"), its
//                          place from pan -100 (left) to 100 (right) and its
//                          volume 0..64 (default 0 and 64); an echo channel
//                          plays SOURCE's notes again TICKS ticks later
//   order A B A C          pattern names in play order; the song then loops
//   pattern A              starts a pattern; then one line per channel:
//   lead | C5 . E5 . ^ . |    channel name, then one token per row
//   end                    ends the pattern; a channel without a line rests
//
// Tokens: "." nothing, "^" key off, a note such as C5, F#3 or Bb4; on a drums
// channel the letters k (kick), s (snare), h (hat), o (open hat), t (tom).
// "|" separates bars; a bar that is only "%" repeats the bar before it. "#"
// at the start of a line is a comment.
//
// Every channel gets copies of its instruments with its pan and volume set in
// their samples, because an XM note with an instrument resets the channel's
// pan and volume to the sample's own.
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

// The instruments a channel can name, then the drum kit (kick, snare, hat,
// openhat, tom).
std::vector<XmInstrument> SongInstruments();

}  // namespace datagen
