#include "audio/wave_collection.h"

#include <algorithm>
#include <memory>

#include "archive/mad.h"
#include "audio/list_header.h"
#include "audio/zr_sdl_a.h"
#include "core/log.h"
#include "core/program.h"
#include "core/stream.h"
#include "core/text.h"

namespace quarry {

namespace {

const char* const kListTag = "ZR_SDL_W, LoadList";
const char* const kSetTag = "ZR_SDL_W, TWaveCollection.SetParameter";
const char* const kPlayTag = "ZR_SDL_W, TWaveCollection.Play";

}  // namespace

// One ITEM block as read; file and name carry over to the next item.
struct WaveItem {
  std::string file;
  std::string name;
  bool haveFile = false;
  bool haveName = false;
  bool looped = false;
  int32_t frequency = 44100;
  int32_t volume = 100;
  int32_t pan = 0;
  int32_t max = 1;
};

std::string MemberNameOf(const std::string& file) {
  std::string member = file;
  if (size_t slash = member.rfind('\\'); slash != std::string::npos) member.erase(0, slash + 1);
  if (size_t slash = member.rfind('/'); slash != std::string::npos) member.erase(0, slash + 1);
  return member;
}

TWaveCollection::TWaveCollection(uint32_t capacity) : capacity_(capacity) {
  items_.reserve(capacity);
}

TWaveCollection::~TWaveCollection() {
  for (const TWave& wave : items_) SoundSampleFree(wave.handle);
}

void TWaveCollection::LoadList(const std::string& listName, TMad& archive) {
  std::unique_ptr<TMemoryStream> list = archive.OpenStream(listName);
  if (!list) return;  // the archive has reported the unreadable member
  LoadListFrom(*list, &archive);
}

void TWaveCollection::LoadListFrom(TStream& list, TMad* archive) {
  archive_ = archive;
  ExpectListHeader(list, "[WAVECOLLECTION]", "Not a wavecollection file...", kListTag,
                   archive ? archive->FileName() : std::string());
  std::string line;

  WaveItem item;
  while (ReadLine(list, line)) {
    const std::string text = Trim(line);
    if (text.empty() || IsCommentLine(text)) continue;
    const std::string keyword = UpperCase(text);
    if (keyword == "!END") break;
    if (keyword == "ITEM") {
      ReadItem(list, item);
      LoadItem(item);
    } else {
      LogWarning("Unknown identifier! (" + text + ")", kListTag);
    }
  }
}

void TWaveCollection::ReadItem(TStream& list, WaveItem& item) {
  item.looped = false;
  item.frequency = 44100;
  item.volume = 100;
  item.pan = 0;
  item.max = 1;
  std::string line;
  while (ReadLine(list, line)) {
    const std::string text = Trim(line);
    if (text.empty()) break;
    if (text[0] == ';') continue;  // "#" is no comment inside an item
    const size_t equals = text.find('=');
    const std::string key = UpperCase(text.substr(0, equals));
    const std::string value = equals == std::string::npos ? text : text.substr(equals + 1);
    if (key == "FILE") {
      item.file = value;
      item.haveFile = true;
    } else if (key == "NAME") {
      item.name = value;
      item.haveName = true;
    } else if (key == "LOOPED") {
      if (UpperCase(value) == "YES") item.looped = true;
    } else if (key == "FREQUENCY") {
      item.frequency = StrToNum(value);
      if (item.frequency <= 0) item.frequency = 44100;
    } else if (key == "VOLUME") {
      item.volume = StrToNum(value);
      if (item.volume < 0 || item.volume > 100) item.volume = 100;
    } else if (key == "PAN") {
      item.pan = StrToNum(value);
      if (item.pan < -100 || item.pan > 100) item.pan = 0;
    } else if (key == "MAX") {
      item.max = StrToNum(value);
      if (item.max <= 0) item.max = 1;
    } else {
      LogWarning("Unknown identifier! (" + key + ")", kListTag);
    }
  }
}

void TWaveCollection::LoadItem(const WaveItem& item) {
  // Only the first items can lack these; later ones inherit them.
  if (!item.haveFile || !item.haveName) {
    LogWarning("Item without FILE or NAME skipped!", kListTag);
    return;
  }
  SoundHandle handle;
  if (archive_) {
    handle = LoadWave(MemberNameOf(item.file), item.looped, *archive_);
  } else {
    handle = LoadWave(item.file, item.looped);
  }
  Add(handle, item.name);
  // MAX replaces the 3 simultaneous plays the sample was loaded with.
  SetParameter(item.name, "VOL", item.volume);
  SetParameter(item.name, "FREQ", item.frequency);
  SetParameter(item.name, "PAN", item.pan);
  SetParameter(item.name, "MAX", item.max);
}

void TWaveCollection::Add(SoundHandle handle, const std::string& name) {
  if (items_.size() >= capacity_) return;
  items_.push_back(TWave{name.substr(0, kNameMax), handle});
}

const TWaveCollection::TWave* TWaveCollection::Find(const std::string& name) const {
  for (const TWave& wave : items_) {
    if (wave.name == name) return &wave;
  }
  return nullptr;
}

void TWaveCollection::SetParameter(const std::string& waveName, const std::string& parameter,
                                   int32_t value) {
  const TWave* wave = AudioAvailable ? Find(waveName) : nullptr;
  if (!wave) {
    LogWarning("Wave not found! (" + waveName + ")", kSetTag);
    return;
  }
  SoundSample info;
  if (!SoundSampleGetInfo(wave->handle, info)) {
    LogWarning("Cannot get wave info! (" + wave->name + ")", kSetTag);
    return;
  }
  const std::string which = UpperCase(parameter);
  if (which == "VOL") {
    info.volume = static_cast<uint32_t>(std::max(value, 0));
  } else if (which == "FREQ") {
    info.freq = static_cast<uint32_t>(std::max(value, 0));
  } else if (which == "PAN") {
    info.pan = value;
  } else if (which == "MAX") {
    info.max = static_cast<uint32_t>(std::max(value, 0));
  } else {
    LogWarning("Invalid parameter name! (" + which + ")", kSetTag);
  }
  if (!SoundSampleSetInfo(wave->handle, info)) {
    LogWarning("Cannot set wave info! (" + wave->name + ")", kSetTag);
  }
}

void TWaveCollection::Play(const std::string& waveName) {
  const TWave* wave = AudioAvailable ? Find(waveName) : nullptr;
  if (!wave) {
    LogWarning("Wave not found! (" + waveName + ")", kPlayTag);
    return;
  }
  const SoundHandle channel = SoundSampleGetChannel(wave->handle);
  if (!SoundChannelPlay(channel, false)) {
    LogError("Cannot play wave! (" + wave->name + ")", kPlayTag);
    SwitchAudioOff();
  }
}

}  // namespace quarry
