// The program's INI dialect: ordinary sections of key=value pairs and list
// sections ("[*Name]") whose lines are ordered items. Lookups of section and
// key names ignore ASCII case; the first match wins.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarry {

class TStream;

enum class SectionKind : uint8_t { stNormal = 0, stList = 1 };

struct TIniFileKey {
  std::string Key;    // in a list section: the whole item line
  std::string Value;  // in a list section: empty
};

struct TIniFileSection {
  std::string Name;
  SectionKind Kind = SectionKind::stNormal;
  int16_t Cursor = 0;  // next item for GetNextListItem
  std::vector<TIniFileKey> Keys;
};

struct TCoords {
  int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

class TIniFile {
public:
  // InitStream: parses the stream from its position to its end; never saved.
  explicit TIniFile(TStream& stream);
  // Init: parses the named file when it exists (else starts empty); saved on
  // destruction and after writes unless noSave is set.
  TIniFile(const std::string& fileName, bool noSave);
  ~TIniFile();  // Done: saves when there is a file name
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue);
  int16_t ReadInteger(const std::string& section, const std::string& key, int16_t defaultValue);
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue);
  void ReadRGB(const std::string& section, const std::string& key, uint16_t defaultR, uint16_t defaultG,
               uint16_t defaultB, uint16_t& r, uint16_t& g, uint16_t& b);
  TCoords ReadCoords(const std::string& section);
  bool ValueExists(const std::string& section, const std::string& key);

  int16_t ListItemCount(const std::string& section);
  std::string GetFirstListItem(const std::string& section);
  std::string GetNextListItem(const std::string& section);
  std::string ReadListItem(const std::string& section, int index);

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void DeleteKey(const std::string& section, const std::string& key);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void WriteRGB(const std::string& section, const std::string& key, uint8_t r, uint8_t g, uint8_t b);
  void EraseSection(const std::string& section);
  void WriteListItem(const std::string& section, const std::string& item);
  void DeleteListItem(const std::string& section, const std::string& item);
  void DeleteListItem(const std::string& section, int index);

  // Rewrites the whole file in the written form; no-op without a file name.
  void Save();
  // The written form (what Save writes).
  std::string Text() const;

  const std::string& FileName() const { return fileName_; }
  const std::vector<TIniFileSection>& Sections() const { return sections_; }

private:
  void Parse(TStream& stream);
  TIniFileSection* FindSection(const std::string& name);
  // The list section both DeleteListItem forms work on; logs and gives null
  // when it is missing or not a list.
  TIniFileSection* ListSectionToDeleteFrom(const std::string& section, const char* tag);
  // The list section for a list operation, or nullptr after the warning.
  TIniFileSection* ListSection(const std::string& section, const std::string& operation, const std::string& tag);

  std::string fileName_;
  std::vector<TIniFileSection> sections_;
};

}  // namespace quarry
