// The "muzax.ini" reader and the order lookups on arbitrary bytes, audio off
// and no archive.
#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/music_collection.h"
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
  TMusicCollection music(4);
  try {
    music.LoadListFrom(list, nullptr);
  } catch (const Stopped&) {
    return 0;
  }
  if (music.Count() > music.Capacity() || music.Orders().size() > 255) __builtin_trap();

  // Ask for the orders the game uses and for every name the orders text holds.
  std::vector<std::string> names = {"LIST", "INGAME", "MAPEND", "GAMEEND", ""};
  const std::string& orders = music.Orders();
  for (size_t start = 0; start < orders.size();) {
    const size_t bar = orders.find('|', start);
    const std::string entry = orders.substr(start, bar == std::string::npos ? bar : bar - start);
    names.push_back(entry.substr(0, entry.find('=')));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  for (const std::string& name : names) {
    const uint16_t count = music.OrderItemCount(name);
    std::string song;
    for (uint16_t index = 0; index <= count + 1 && index < 300; ++index) {
      music.GetOrderItem(name, index, song);
      if (song.size() > orders.size()) __builtin_trap();
    }
    if (music.GetCycledOrderItem(name, static_cast<uint32_t>(size), song) != (count > 0)) {
      __builtin_trap();
    }
    music.Play(song);
    music.Stop(song);
  }
  return 0;
}
