// Where the cave sends its sound requests: the wave collection in the game,
// a recorder in tests and in the verifier's trace.
#pragma once

#include <string>
#include <vector>

namespace quarry {

class TSoundSink {
public:
  virtual ~TSoundSink() = default;
  virtual void Play(const char* name) = 0;
};

class TSilentSink : public TSoundSink {
public:
  void Play(const char*) override {}
};

class TSoundRecorder : public TSoundSink {
public:
  void Play(const char* name) override { Sounds.emplace_back(name); }
  std::vector<std::string> Sounds;
};

}  // namespace quarry
