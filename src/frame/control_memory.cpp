#include "frame/control_memory.h"

#include <cstring>

#include "core/log.h"
#include "core/program.h"

namespace quarry {

std::unique_ptr<TControlMemory> ControlMemory;

TControlMemory::TControlMemory(int32_t size) {
  if (size < 1) {
    LogWarning("Illegal size! Replacing with 64. (" + std::to_string(size) + ")",
               "CONTMEM, TControlMemory.Init");
    size = 64;
  }
  size_ = static_cast<uint32_t>(size);
  data_.assign(size_, 0);
}

bool TControlMemory::InRange(uint32_t address, uint32_t count, const char* tag) const {
  // address + count <= size without letting the sum wrap past 32 bits.
  if (count <= size_ && address <= size_ - count) return true;
  LogWarning("Access out of range! (Address: " + std::to_string(address) +
                 ", Size: " + std::to_string(count) + ")",
             tag);
  return false;
}

void TControlMemory::Store(uint32_t address, const void* source, uint32_t count) {
  if (InRange(address, count, "CONTMEM, TControlMemory.Store"))
    std::memcpy(data_.data() + address, source, count);
}

void TControlMemory::StoreWord(uint32_t address, uint16_t value) {
  if (InRange(address, 2, "CONTMEM, TControlMemory.StoreWord"))
    std::memcpy(data_.data() + address, &value, 2);
}

void TControlMemory::Retrieve(uint32_t address, void* destination, uint32_t count) const {
  if (InRange(address, count, "CONTMEM, TControlMemory.Retrieve"))
    std::memcpy(destination, data_.data() + address, count);
}

void StartControlMemory() {
  LogStatus("ControlMemory initializing...", "..system..");
  ControlMemory = std::make_unique<TControlMemory>(64);
  LogStatus("ControlMemory initializing successful.", "..system..");
  RegisterShutdown([] {
    LogStatus("ControlMemory finalizing...", "..system..");
    ControlMemory.reset();
    LogStatus("ControlMemory finalizing successful.", "..system..");
  });
}

}  // namespace quarry
