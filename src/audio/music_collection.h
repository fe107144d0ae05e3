// The music: modules named in the SONGS section of "muzax.ini" and the play
// orders of its ORDERS section ("LIST=menu", "INGAME=a,b,c" ...). Callers ask
// for the n-th song of an order and play or stop it by name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_device.h"

namespace quarry {

class TMad;
class TStream;

class TMusicCollection {
public:
  static constexpr size_t kNameMax = 24;

  explicit TMusicCollection(uint32_t capacity);
  // Frees every module (FreeMusic, silent while audio is off).
  ~TMusicCollection();
  TMusicCollection(const TMusicCollection&) = delete;
  TMusicCollection& operator=(const TMusicCollection&) = delete;

  // A list without its header stops the program (StopMissingData).
  void LoadList(const std::string& listName, TMad& archive);
  // With no archive, song files are disk files.
  void LoadListFrom(TStream& list, TMad* archive);

  void AddSong(SoundHandle handle, const std::string& name);
  // The song list of the order ("a,b,c"), or "" when there is none.
  std::string GetOrder(const std::string& orderName) const;
  // Song index (1 = first) of the order into result; past the end gives the
  // last song; 0 leaves result as it was, and so does an unknown order
  // (with a warning).
  void GetOrderItem(const std::string& orderName, uint16_t index, std::string& result) const;
  // Songs in the order, empty ones between two commas included.
  uint16_t OrderItemCount(const std::string& orderName) const;
  // The song for the number-th use of an order, cycling through its songs:
  // item (number mod count) + 1. An order with no songs gives false and one
  // warning, and result stays as it was.
  bool GetCycledOrderItem(const std::string& orderName, uint32_t number, std::string& result) const;

  void Play(const std::string& songName);
  void Stop(const std::string& songName);

  const std::string& Orders() const { return orders_; }
  uint32_t Count() const { return static_cast<uint32_t>(items_.size()); }
  uint32_t Capacity() const { return capacity_; }
  const std::string& Name(uint32_t index) const { return items_.at(index).name; }
  SoundHandle Handle(uint32_t index) const { return items_.at(index).handle; }

private:
  struct TSong {
    std::string name;
    SoundHandle handle;
  };
  const TSong* Find(const std::string& name) const;
  void ReadSongs(TStream& list);
  void ReadOrders(TStream& list);

  uint32_t capacity_;
  std::vector<TSong> items_;
  std::string orders_;  // "NAME=a,b|NAME2=c|", at most 255 characters
  TMad* archive_ = nullptr;
};

}  // namespace quarry
