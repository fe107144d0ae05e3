// The cave's sound requests played through the wave collection (or dropped
// when the game runs without one).
#pragma once

#include "audio/wave_collection.h"
#include "game/sound_sink.h"

namespace quarry {

class TWaveSink : public TSoundSink {
public:
  explicit TWaveSink(TWaveCollection* waves) : waves_(waves) {}
  void Play(const char* name) override {
    if (waves_) waves_->Play(name);
  }

private:
  TWaveCollection* waves_;
};

}  // namespace quarry
