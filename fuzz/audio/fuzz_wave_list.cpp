// The "waves.ini" reader on arbitrary bytes, audio off and no archive: the
// list is parsed and reported exactly as it would be with sound.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "audio/wave_collection.h"
#include "audio/zr_sdl_a.h"
#include "core/program.h"
#include "core/stream.h"

namespace {
struct Stopped {};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarry;
  static const bool once = [] {
    SetStopHandler([](const std::string&, const std::string&) { throw Stopped{}; });
    return true;
  }();
  (void)once;
  AudioAvailable = false;
  TMemoryStream list(data, size);
  TWaveCollection waves(4);
  try {
    waves.LoadListFrom(list, nullptr);
  } catch (const Stopped&) {
    return 0;  // no header: the program would stop here
  }
  if (waves.Count() > waves.Capacity()) __builtin_trap();
  for (uint32_t i = 0; i < waves.Count(); ++i) {
    if (waves.Name(i).size() > TWaveCollection::kNameMax) __builtin_trap();
    waves.Play(waves.Name(i));
  }
  return 0;
}
