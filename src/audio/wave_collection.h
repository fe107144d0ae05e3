// The named sound effects, filled from the list "waves.ini" and played by
// name. The list is a line format of its own: a "[WaveCollection]" header,
// ITEM blocks of KEY=value lines closed by an empty line, and "!END".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_device.h"

namespace quarry {

class TMad;
class TStream;
struct WaveItem;

class TWaveCollection {
public:
  static constexpr size_t kNameMax = 24;

  explicit TWaveCollection(uint32_t capacity);
  // Frees every sample, whether or not audio is on.
  ~TWaveCollection();
  TWaveCollection(const TWaveCollection&) = delete;
  TWaveCollection& operator=(const TWaveCollection&) = delete;

  // Reads the list member from the archive; FILE entries name members of it.
  // A list without its header stops the program (StopMissingData).
  void LoadList(const std::string& listName, TMad& archive);
  // Reads a list from a stream; with no archive FILE entries are disk files.
  void LoadListFrom(TStream& list, TMad* archive);

  // Beyond the capacity the record is dropped (the handle is not freed).
  void Add(SoundHandle handle, const std::string& name);
  // parameter: "VOL", "FREQ", "PAN" or "MAX", any case.
  void SetParameter(const std::string& waveName, const std::string& parameter, int32_t value);
  void Play(const std::string& waveName);

  uint32_t Count() const { return static_cast<uint32_t>(items_.size()); }
  uint32_t Capacity() const { return capacity_; }
  const std::string& Name(uint32_t index) const { return items_.at(index).name; }
  SoundHandle Handle(uint32_t index) const { return items_.at(index).handle; }

private:
  struct TWave {
    std::string name;
    SoundHandle handle;
  };
  // First record of exactly that name, or nullptr.
  const TWave* Find(const std::string& name) const;
  void ReadItem(TStream& list, WaveItem& item);
  void LoadItem(const WaveItem& item);

  uint32_t capacity_;
  std::vector<TWave> items_;
  TMad* archive_ = nullptr;
};

// Strips the folders of a FILE entry: up to the last "\", then the last "/".
std::string MemberNameOf(const std::string& file);

}  // namespace quarry
