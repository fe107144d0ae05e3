// The image list parser shared by the drawn and the headless collection.
#include <cstddef>
#include <cstdint>

#include "core/stream.h"
#include "graphics/image_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarry;
  TMemoryStream list(data, size);
  for (const ImageListEntry& entry : ReadImageList(list, "FUZZ")) {
    if (entry.member.empty() || entry.name.size() > kImageNameMax) __builtin_trap();
    IsCelMember(entry.member);
  }
  return 0;
}
