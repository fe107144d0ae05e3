#include "audio/music_collection.h"

#include <memory>

#include "archive/mad.h"
#include "audio/list_header.h"
#include "audio/wave_collection.h"
#include "audio/zr_sdl_a.h"
#include "core/log.h"
#include "core/program.h"
#include "core/stream.h"
#include "core/text.h"

namespace quarry {

namespace {

const char* const kListTag = "ZR_SDL_M, LoadList";

// Drops text up to and including the first sep; all of it when there is none.
void DropThrough(std::string& text, char sep) {
  const size_t at = text.find(sep);
  text.erase(0, at == std::string::npos ? text.size() : at + 1);
}

}  // namespace

TMusicCollection::TMusicCollection(uint32_t capacity) : capacity_(capacity) {
  items_.reserve(capacity);
}

TMusicCollection::~TMusicCollection() {
  for (const TSong& song : items_) FreeMusic(song.handle);
}

void TMusicCollection::LoadList(const std::string& listName, TMad& archive) {
  std::unique_ptr<TMemoryStream> list = archive.OpenStream(listName);
  if (!list) return;  // the archive has reported the unreadable member
  LoadListFrom(*list, &archive);
}

void TMusicCollection::LoadListFrom(TStream& list, TMad* archive) {
  archive_ = archive;
  ExpectListHeader(list, "[MUSICCOLLECTION]", "Not a musiccollection file...", kListTag,
                   archive ? archive->FileName() : std::string());
  std::string line;

  orders_.clear();
  while (ReadLine(list, line)) {
    const std::string text = Trim(line);
    if (text.empty() || IsCommentLine(text)) continue;
    const std::string keyword = UpperCase(text);
    if (keyword == "!END") break;
    if (keyword == "SONGS") {
      ReadSongs(list);
    } else if (keyword == "ORDERS") {
      ReadOrders(list);
    } else {
      LogWarning("Unknown identifier! (" + text + ")", kListTag);
    }
  }
}

void TMusicCollection::ReadSongs(TStream& list) {
  std::string line;
  while (ReadLine(list, line)) {
    const std::string text = Trim(line);
    if (text.empty()) break;
    if (text[0] == ';') continue;
    const size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    const std::string file = equals == std::string::npos ? text : text.substr(equals + 1);
    const SoundHandle handle = archive_ ? LoadMusic(MemberNameOf(file), *archive_) : LoadMusic(file);
    AddSong(handle, name);
  }
}

void TMusicCollection::ReadOrders(TStream& list) {
  std::string line;
  while (ReadLine(list, line)) {
    const std::string text = Trim(line);
    if (text.empty()) {
      LogTrace(orders_);
      return;
    }
    if (text[0] == ';') continue;
    // Orders beyond 255 characters are lost; lists keep this section short.
    orders_ = ShortText(orders_ + text + "|");
  }
}

void TMusicCollection::AddSong(SoundHandle handle, const std::string& name) {
  if (items_.size() >= capacity_) return;
  items_.push_back(TSong{name.substr(0, kNameMax), handle});
}

std::string TMusicCollection::GetOrder(const std::string& orderName) const {
  std::string s = orders_;
  while (!s.empty()) {
    const size_t equals = s.find('=');
    if (equals != std::string::npos && s.compare(0, equals, orderName) == 0 &&
        equals == orderName.size()) {
      std::string entry = s.substr(0, s.find('|'));
      DropThrough(entry, '=');
      return entry;
    }
    DropThrough(s, '|');
  }
  return {};
}

void TMusicCollection::GetOrderItem(const std::string& orderName, uint16_t index,
                                    std::string& result) const {
  std::string list = GetOrder(orderName);
  if (list.empty()) {
    LogWarning("Order not found! (" + orderName + ")", "ZR_SDL_M, TMusicCollection.GetOrderItem");
    return;
  }
  list += ",";
  while (!list.empty() && index > 0) {
    --index;
    result = list.substr(0, list.find(','));
    DropThrough(list, ',');
  }
}

uint16_t TMusicCollection::OrderItemCount(const std::string& orderName) const {
  std::string list = GetOrder(orderName);
  if (list.empty()) return 0;
  list += ",";
  uint16_t count = 0;
  while (!list.empty()) {
    DropThrough(list, ',');
    ++count;
  }
  return count;
}

bool TMusicCollection::GetCycledOrderItem(const std::string& orderName, uint32_t number,
                                          std::string& result) const {
  const uint16_t count = OrderItemCount(orderName);
  if (count == 0) {
    // Without songs there is nothing to cycle through (and no count to
    // divide by): the caller plays nothing.
    LogWarning("Order has no songs! (" + orderName + ")",
               "ZR_SDL_M, TMusicCollection.GetCycledOrderItem");
    return false;
  }
  GetOrderItem(orderName, static_cast<uint16_t>(number % count + 1), result);
  return true;
}

const TMusicCollection::TSong* TMusicCollection::Find(const std::string& name) const {
  for (const TSong& song : items_) {
    if (song.name == name) return &song;
  }
  return nullptr;
}

void TMusicCollection::Play(const std::string& songName) {
  const TSong* song = AudioAvailable ? Find(songName) : nullptr;
  if (!song) {
    LogWarning("Music not found! (" + songName + ")", "ZR_SDL_M, TMusicCollection.Play");
    return;
  }
  PlayMusic(song->handle);
}

void TMusicCollection::Stop(const std::string& songName) {
  const TSong* song = AudioAvailable ? Find(songName) : nullptr;
  if (!song) {
    LogWarning("Music not found! (" + songName + ")", "ZR_SDL_M, TMusicCollection.Stop");
    return;
  }
  StopMusic(song->handle);
}

}  // namespace quarry
