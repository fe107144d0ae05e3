#include "config/ini_file.h"

#include <cstdio>

#include "core/log.h"
#include "core/stream.h"
#include "core/text.h"

namespace quarry {

namespace {

std::string Hex2(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

bool SameName(const std::string& a, const std::string& b) { return UpperCase(a) == UpperCase(b); }

}  // namespace

TIniFile::TIniFile(TStream& stream) { Parse(stream); }

TIniFile::TIniFile(const std::string& fileName, bool noSave) {
  if (auto file = TBufferedFileStream::Open(fileName, TBufferedFileStream::Mode::Read)) Parse(*file);
  if (!noSave) fileName_ = ShortText(fileName);
}

TIniFile::~TIniFile() { Save(); }

void TIniFile::Parse(TStream& stream) {
  std::string raw;
  TIniFileSection* current = nullptr;
  while (ReadLine(stream, raw)) {
    std::string line = Trim(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      TIniFileSection section;
      section.Name = line.substr(1, line.size() - 2);
      // Only the character right after the bracket marks a list section.
      if (!section.Name.empty() && section.Name[0] == '*') {
        section.Kind = SectionKind::stList;
        section.Name.erase(0, 1);
      }
      sections_.push_back(std::move(section));
      current = &sections_.back();
      continue;
    }
    if (!current) continue;  // lines before the first section are ignored
    if (current->Kind == SectionKind::stList) {
      current->Keys.push_back({line, ""});
    } else {
      size_t eq = line.find('=');
      if (eq == std::string::npos) current->Keys.push_back({line, "1"});
      else current->Keys.push_back({line.substr(0, eq), line.substr(eq + 1)});
    }
  }
}

TIniFileSection* TIniFile::FindSection(const std::string& name) {
  for (TIniFileSection& section : sections_)
    if (SameName(section.Name, name)) return &section;
  return nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) {
  TIniFileSection* found = FindSection(section);
  if (!found || found->Kind != SectionKind::stNormal) return defaultValue;
  for (const TIniFileKey& entry : found->Keys)
    if (SameName(entry.Key, key)) return entry.Value;
  return defaultValue;
}

int16_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int16_t defaultValue) {
  std::string text = ReadString(section, key, "");
  if (text.empty()) return defaultValue;
  return static_cast<int16_t>(StrToNum(text));
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) {
  std::string text = ReadString(section, key, "");
  if (text.empty()) return defaultValue;
  std::string upper = UpperCase(text);
  return upper == "TRUE" || upper == "YES" || text == "1";
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) {
  return !ReadString(section, key, "").empty();
}

void TIniFile::ReadRGB(const std::string& section, const std::string& key, uint16_t defaultR, uint16_t defaultG,
                       uint16_t defaultB, uint16_t& r, uint16_t& g, uint16_t& b) {
  std::string defaultText = Hex2(defaultR) + Hex2(defaultG) + Hex2(defaultB);
  std::string text = ReadString(section, key, defaultText);
  if (text.size() == 6) {
    r = static_cast<uint16_t>(HexToNum(text.substr(0, 2)));
    g = static_cast<uint16_t>(HexToNum(text.substr(2, 2)));
    b = static_cast<uint16_t>(HexToNum(text.substr(4, 2)));
    return;
  }
  LogWarning("Invalid RGB value! (Section: " + section + ", Key: " + key + ", Value: " + text + ")",
             "ZRINIFILE, TIniFile.ReadRGB");
  r = defaultR;
  g = defaultG;
  b = defaultB;
}

TCoords TIniFile::ReadCoords(const std::string& section) {
  const char* const tag = "ZRINIFILE, TIniFile.ReadCoords";
  TCoords box;
  int x = ReadInteger(section, "X", 0);
  int w = ReadInteger(section, "Width", 640);
  std::string a = UpperCase(ReadString(section, "AlignX", "Left"));
  if (a == "CENTER") box.X1 = x - (w >> 1);
  else if (a == "RIGHT") box.X1 = x - w + 1;
  else if (a == "LEFT") box.X1 = x;
  else {
    LogWarning("Invalid ALIGNX value (" + a + "), using LEFT instead.", tag);
    box.X1 = x;
  }
  box.X2 = box.X1 + w - 1;

  int y = ReadInteger(section, "Y", 0);
  int h = ReadInteger(section, "Height", 640);  // 640 here too, as layouts rely on
  a = UpperCase(ReadString(section, "AlignY", "Top"));
  if (a == "CENTER") box.Y1 = y - (h >> 1);
  else if (a == "BOTTOM") box.Y1 = y - h + 1;
  else if (a == "TOP") box.Y1 = y;
  else {
    LogWarning("Invalid ALIGNY value (" + a + "), using TOP instead.", tag);
    box.Y1 = y;
  }
  box.Y2 = box.Y1 + h - 1;
  return box;
}

TIniFileSection* TIniFile::ListSection(const std::string& section, const std::string& operation,
                                       const std::string& tag) {
  TIniFileSection* found = FindSection(section);
  if (!found) {
    LogWarning("Section not found! (" + section + ")", tag);
    return nullptr;
  }
  if (found->Kind != SectionKind::stList) {
    LogWarning(operation + " is only allowed on stList type Sections! (" + section + ")", tag);
    return nullptr;
  }
  return found;
}

int16_t TIniFile::ListItemCount(const std::string& section) {
  TIniFileSection* found = ListSection(section, "ListItemCount", "ZRINIFILE, TIniFile.ListItemCount");
  return found ? static_cast<int16_t>(found->Keys.size()) : 0;
}

std::string TIniFile::GetFirstListItem(const std::string& section) {
  // The tag's spelling is kept: it is what existing logs show.
  const char* const tag = "ZRINIFILE, TIniFile.GetFirsListItem";
  TIniFileSection* found = ListSection(section, "GetFirstListItem", tag);
  if (!found) return {};
  if (found->Keys.empty()) {
    LogWarning("There are no items in Section! (" + section + ")", tag);
    return {};
  }
  found->Cursor = 1;
  return found->Keys[0].Key;
}

std::string TIniFile::GetNextListItem(const std::string& section) {
  const char* const tag = "ZRINIFILE, TIniFile.GetNextListItem";
  TIniFileSection* found = ListSection(section, "GetNextListItem", tag);
  if (!found) return {};
  if (found->Keys.empty()) {
    LogWarning("There are no items in Section! (" + section + ")", tag);
    return {};
  }
  if (found->Cursor < 0 || static_cast<size_t>(found->Cursor) >= found->Keys.size()) return {};
  return found->Keys[static_cast<size_t>(found->Cursor++)].Key;
}

std::string TIniFile::ReadListItem(const std::string& section, int index) {
  const char* const tag = "ZRINIFILE, TIniFile.ReadListItem";
  TIniFileSection* found = FindSection(section);
  if (!found) {
    LogWarning("Section is not found! (" + section + ")", tag);
    return {};
  }
  if (found->Kind != SectionKind::stList) {
    LogWarning("ReadListItem is not allowed on stNormal type Sections!", tag);
    LogWarning("Section: " + section + " Index: " + std::to_string(index), tag);
    return {};
  }
  if (index < 0 || static_cast<size_t>(index) >= found->Keys.size()) {
    LogWarning("Index is out of range! (" + std::to_string(index) + ")", tag);
    return {};
  }
  found->Cursor = static_cast<int16_t>(index + 1);
  return found->Keys[static_cast<size_t>(index)].Key;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  if (section.empty() || key.empty()) return;
  const char* const tag = "ZRINIFILE, TIniFile.WriteString";
  TIniFileSection* found = FindSection(section);
  if (found && found->Kind == SectionKind::stList) {
    LogWarning("WriteString is not allowed on List type Sections!", tag);
    LogWarning("Section: " + section + ", Key: " + key + ", Value: " + value, tag);
  } else if (!value.empty()) {
    if (!found) {
      sections_.push_back({ShortText(section), SectionKind::stNormal, 0, {}});
      found = &sections_.back();
    }
    bool replaced = false;
    for (TIniFileKey& entry : found->Keys) {
      if (SameName(entry.Key, key)) {
        entry.Value = ShortText(value);
        replaced = true;
        break;
      }
    }
    if (!replaced) found->Keys.push_back({ShortText(key), ShortText(value)});
  } else if (found) {
    for (auto it = found->Keys.begin(); it != found->Keys.end(); ++it) {
      if (SameName(it->Key, key)) {
        found->Keys.erase(it);
        break;
      }
    }
  }
  Save();
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) { WriteString(section, key, ""); }

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "Yes" : "No");
}

void TIniFile::WriteRGB(const std::string& section, const std::string& key, uint8_t r, uint8_t g, uint8_t b) {
  WriteString(section, key, Hex2(r) + Hex2(g) + Hex2(b));
}

void TIniFile::EraseSection(const std::string& section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (SameName(it->Name, section)) {
      sections_.erase(it);
      break;
    }
  }
  Save();
}

void TIniFile::WriteListItem(const std::string& section, const std::string& item) {
  if (section.empty() || item.empty()) return;
  const char* const tag = "ZRINIFILE, TIniFile.WriteListItem";
  TIniFileSection* found = FindSection(section);
  if (found && found->Kind != SectionKind::stList) {
    LogWarning("WriteListItem is not allowed on Normal type Sections!", tag);
    LogWarning("Section: " + section + ", Item: " + item, tag);
    return;
  }
  if (!found) {
    sections_.push_back({ShortText(section), SectionKind::stList, 0, {}});
    found = &sections_.back();
  }
  found->Keys.push_back({ShortText(item), ""});
}

TIniFileSection* TIniFile::ListSectionToDeleteFrom(const std::string& section, const char* tag) {
  TIniFileSection* found = FindSection(section);
  if (!found) {
    LogWarning("Section not found! (" + section + ")", tag);
    return nullptr;
  }
  if (found->Kind != SectionKind::stList) {
    LogWarning("DeleteListItem is not allowed on Normal type Sections!", tag);
    return nullptr;
  }
  return found;
}

void TIniFile::DeleteListItem(const std::string& section, const std::string& item) {
  const char* const tag = "ZRINIFILE, TIniFile.DeleteListItem";
  TIniFileSection* found = ListSectionToDeleteFrom(section, tag);
  if (!found) return;
  for (auto it = found->Keys.begin(); it != found->Keys.end(); ++it) {
    if (SameName(it->Key, item)) {
      found->Keys.erase(it);
      return;
    }
  }
  LogWarning("Item not found!", tag);
  LogWarning("Section: " + section + ", Item: " + item, tag);
}

void TIniFile::DeleteListItem(const std::string& section, int index) {
  const char* const tag = "ZRINIFILE, TIniFile.DeleteListItem";
  TIniFileSection* found = ListSectionToDeleteFrom(section, tag);
  if (!found) return;
  if (index < 0 || static_cast<size_t>(index) >= found->Keys.size()) {
    LogWarning("Index out of range! (Section: " + section + ", Index: " + std::to_string(index) + ")", tag);
    return;
  }
  found->Keys.erase(found->Keys.begin() + index);
}

std::string TIniFile::Text() const {
  std::string text;
  for (const TIniFileSection& section : sections_) {
    bool list = section.Kind == SectionKind::stList;
    text += (list ? "[*" : "[") + section.Name + "]\r\n";
    for (const TIniFileKey& entry : section.Keys) text += (list ? entry.Key : entry.Key + "=" + entry.Value) + "\r\n";
    text += "\r\n";
  }
  return text;
}

void TIniFile::Save() {
  if (fileName_.empty()) return;
  auto file = TBufferedFileStream::Open(fileName_, TBufferedFileStream::Mode::Create);
  if (!file) return;  // a file that cannot be written is left as it was
  file->WriteText(Text());
  file->Flush();
}

}  // namespace quarry
