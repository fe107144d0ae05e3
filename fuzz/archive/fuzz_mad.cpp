// Any bytes as a MAD archive image: the index loads and every member reads
// by each route; a missing member is a stop, observed as an exception.
#include <stdexcept>

#include "archive/mad.h"
#include "core/program.h"
#include "core/stream.h"

namespace {
struct Stop {};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool installed = [] {
    quarry::SetStopHandler([](const std::string&, const std::string&) { throw Stop{}; });
    return true;
  }();
  (void)installed;
  try {
    quarry::TMad mad("fuzz.mad", std::vector<uint8_t>(data, data + size));
    mad.DecodeLimit = size_t{64} << 10;
    std::vector<uint8_t> bytes;
    for (const quarry::MadEntry& e : mad.Entries()) {
      mad.ReadEntry(e, bytes);
      try {
        if (auto stream = mad.OpenStream(e.name); stream && stream->Position() != 0) __builtin_trap();
        mad.OpenPointer(e.name);
      } catch (const Stop&) {
      }
    }
  } catch (const Stop&) {
  }
  return 0;
}
