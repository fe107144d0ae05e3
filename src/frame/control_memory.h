// A small byte block addressed by number, through which the program hands
// fonts and key codes to the widgets. Every access is range-checked.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace quarry {

class TControlMemory {
public:
  explicit TControlMemory(int32_t size);
  void Store(uint32_t address, const void* source, uint32_t count);
  void StoreWord(uint32_t address, uint16_t value);
  void Retrieve(uint32_t address, void* destination, uint32_t count) const;
  uint32_t Size() const { return size_; }

private:
  bool InRange(uint32_t address, uint32_t count, const char* tag) const;
  uint32_t size_;
  std::vector<uint8_t> data_;
};

// The single instance, from program start to program end.
extern std::unique_ptr<TControlMemory> ControlMemory;
// Creates ControlMemory with its status lines and registers its shutdown.
void StartControlMemory();

}  // namespace quarry
