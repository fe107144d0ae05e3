// Any bytes as a MAD archive image: the index loads and the first members
// read by each route; a missing member is a stop, observed as an exception.
// A damaged list can name 65535 members, each pointing at the whole image;
// reading them all would cost seconds per input and find nothing new.
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
    const auto& entries = mad.Entries();
    for (size_t i = 0; i < entries.size() && i < 16; ++i) {
      const quarry::MadEntry& e = entries[i];
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
