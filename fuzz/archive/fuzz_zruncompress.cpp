// Any bytes as a ZRCOMP stream: must decode within bounds and stop.
// The output cap is lowered to 64 KiB: the bounds logic is the same, and each
// run stays fast enough for millions of executions.
#include "archive/zrcomp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out;
  bool intact = false;
  const size_t used = quarry::ZRUnCompress({data, size}, out, size_t{64} << 10, &intact);
  if (used > size || out.size() > (size_t{64} << 10)) __builtin_trap();
  return 0;
}
