// One XMAP map: the file forms (text T/X, binary B/W, compressed P/Q) read into
// a record with a file layer and a working layer of 16-bit cells.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarry {

class TMad;
class TStream;

struct TTranslation {
  uint16_t From = 0;
  uint16_t To = 0;
};

class TXMap {
public:
  static constexpr size_t kMaxExtras = 256;

  TXMap() = default;  // an empty record: no cells, texts "Unknown"

  // Reads one XMAP file from the stream's current position; the outcome is in
  // Status (and Loaded says whether cells exist).
  void Load(TStream& stream);
  // Loads the named member of an open archive.
  void LoadFromMad(const std::string& name, TMad& archive);
  // Values out of range are logged as errors and leave the field unchanged.
  void SetVersion(uint32_t value);
  void SetGameID(uint32_t value);

  // Cell (x, y) of a layer; callers keep x < Width and y < Height.
  size_t CellIndex(int x, int y) const { return static_cast<size_t>(x) + static_cast<size_t>(Width) * static_cast<size_t>(y); }
  uint16_t FileCell(int x, int y) const { return FileCells[CellIndex(x, y)]; }

  bool Loaded = false;
  uint8_t Width = 0;
  uint8_t Height = 0;
  std::vector<uint16_t> WorkingCells;  // filled by activation, not by Load
  std::vector<uint16_t> FileCells;     // the cells as loaded, after translation
  std::string Status;
  std::vector<std::string> Extras;     // the EX lines; ExtraCount is Extras.size()
  std::vector<TTranslation> Translations;
  bool HasTranslations = false;
  std::string MapName = "Unknown";
  std::string Author = "Unknown";
  std::string GmText = "Unknown";
  uint16_t Version = 0;
  uint16_t GameID = 255;

  uint16_t ExtraCount() const { return static_cast<uint16_t>(Extras.size()); }

  // Grows a record smaller than width x height to that size; new cells get
  // fill. Existing cells keep their (x, y). Both layers are (re)allocated and
  // Loaded is set.
  void PadTo(uint8_t width, uint8_t height, uint16_t fill);

private:
  void ReleaseCells();
  void AllocateCells();
  void LoadText(TStream& stream, bool numeric);
  void LoadBinary(TStream& stream, bool wide);
  void LoadCompressed(TStream& stream, bool wide);
  void AddExtra(const std::string& line);
  void ApplyTranslations();
  void UnpackVersion();
};

}  // namespace quarry
