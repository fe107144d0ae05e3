#include "maps/xmap.h"

#include <algorithm>

#include "archive/mad.h"
#include "archive/zrcomp.h"
#include "core/log.h"
#include "core/stream.h"
#include "core/text.h"

namespace quarry {

namespace {

const char* const kLoadTag = "XMAP, TXMap.Load";

// The largest W body (458 499 bytes: 255 x 255 16-bit cells, three 255-byte
// texts, 65535 pairs, 256 extra lines), rounded up.
constexpr size_t kMaxBodySize = size_t{512} << 10;

// The size keys take a plain number: decimal with an optional sign, or
// hexadecimal after "$"; anything that is not a number reads as 0.
int32_t ParseSizeNumber(const std::string& text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return 0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  bool hex = i < text.size() && text[i] == '$';
  if (hex) ++i;
  if (i >= text.size()) return 0;
  uint32_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    uint32_t digit;
    if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
    else if (hex && c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
    else if (hex && c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
    else return 0;
    value = value * (hex ? 16u : 10u) + digit;
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}

// Reads a binary body field by field; the first field the data does not hold
// in full logs one warning and every later read fails, so a damaged body
// gives what it holds and never more.
class BodyReader {
public:
  explicit BodyReader(TStream& stream) : stream_(stream) {}

  bool Bytes(void* buffer, int64_t count) {
    if (failed_) return false;
    if (count == 0) return true;
    if (stream_.Read(buffer, count) != count) return Fail();
    return true;
  }
  bool U8(uint8_t& value) { return Bytes(&value, 1); }
  bool U16(uint16_t& value) {
    uint8_t b[2];
    if (!Bytes(b, 2)) return false;
    value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
  }
  bool Text(std::string& text) {
    uint8_t length;
    if (!U8(length)) return false;
    text.assign(length, '\0');
    return Bytes(text.data(), length);
  }
  bool Failed() const { return failed_; }
  bool Fail() {
    if (!failed_) LogWarning("Map data ends early.", kLoadTag);
    failed_ = true;
    return false;
  }

private:
  TStream& stream_;
  bool failed_ = false;
};

}  // namespace

void TXMap::ReleaseCells() {
  FileCells.clear();
  FileCells.shrink_to_fit();
  WorkingCells.clear();
  WorkingCells.shrink_to_fit();
  Loaded = false;
}

void TXMap::AllocateCells() {
  size_t cells = static_cast<size_t>(Width) * Height;
  FileCells.assign(cells, 0);
  WorkingCells.assign(cells, 0);
  Loaded = true;
}

void TXMap::AddExtra(const std::string& line) {
  if (Extras.size() < kMaxExtras) Extras.push_back(ShortText(line));
}

void TXMap::Load(TStream& stream) {
  Status = "OK";
  if (Loaded) ReleaseCells();

  char signature[4] = {0, 0, 0, 0};
  stream.Read(signature, 4);
  if (signature[0] != 'M' || signature[1] != 'A' || signature[2] != 'P') {
    Status = "Not an XMAP file!";
    return;
  }
  MapName = Author = GmText = "Unknown";
  Width = Height = 0;

  switch (signature[3]) {
    case 'T': LoadText(stream, false); break;
    case 'X': LoadText(stream, true); break;
    case 'B': LoadBinary(stream, false); break;
    case 'W': LoadBinary(stream, true); break;
    case 'P': LoadCompressed(stream, false); break;
    case 'Q': LoadCompressed(stream, true); break;
    case 'C':
      LogWarning("The MAPC format no longer supported. Use MAPP for compressed maps.", kLoadTag);
      break;
    default:
      LogWarning(std::string("XMAP.Load: Unknown DFS byte! (") + signature[3] + ")", kLoadTag);
      break;
  }
  UnpackVersion();
}

void TXMap::LoadText(TStream& stream, bool numeric) {
  const std::string mode = numeric ? "MAPX" : "MAPT";
  stream.Seek(2, SeekOrigin::Current);
  Extras.clear();
  int rowsRead = 0;
  std::string line;
  // A file without its XX line ends at the end of the input.
  while (ReadLine(stream, line)) {
    std::string key = line.substr(0, 2);
    std::string value = line.size() > 2 ? line.substr(2) : std::string();
    if (key == "XX") break;
    if (key == "WI" || key == "HE") {
      // Once the layers exist their size is fixed: a later size key would
      // make the rows run past them.
      if (Loaded) {
        LogWarning("Map size can't change after the first map line. (" + key + ")", kLoadTag);
        continue;
      }
      auto size = static_cast<uint8_t>(ParseSizeNumber(value) & 0xFF);
      (key == "WI" ? Width : Height) = size;
    } else if (key == "MN") {
      MapName = value;
    } else if (key == "AU") {
      Author = value;
    } else if (key == "GM") {
      GmText = value;
    } else if (key == "EX") {
      AddExtra(value);
    } else if (key == "LW") {
      // An empty value holds no group at all, so there is no pair to read.
      const size_t group = numeric ? 10 : 4;
      for (size_t p = 0; p < value.size() && (p == 0 || value.size() - p >= group); p += group) {
        TTranslation pair;
        if (numeric) {
          pair.From = static_cast<uint16_t>(StrToNum(value.substr(p, 5)));
          pair.To = static_cast<uint16_t>(StrToNum(p + 5 < value.size() ? value.substr(p + 5, 5) : std::string()));
        } else {
          pair.From = static_cast<uint8_t>(value[p]);
          pair.To = static_cast<uint16_t>(StrToNum(value.substr(p + 1, 3)));
        }
        Translations.push_back(pair);
        HasTranslations = true;
      }
    } else if (key == "MP") {
      if (Height == 0) {
        Status = "Map height is not specified in file!";
        LogWarning("Map height is not specified!", kLoadTag);
        Height = 20;
      }
      if (Width == 0) {
        Status = "Map width is not specified in file!";
        LogWarning("Map width is not specified!", kLoadTag);
        Width = 32;
      }
      if (rowsRead >= Height) {
        LogWarning("Too many map lines in " + mode + " mode.", kLoadTag);
        continue;
      }
      if (!Loaded) AllocateCells();
      uint16_t* row = FileCells.data() + static_cast<size_t>(rowsRead) * Width;
      if (numeric) {
        size_t p = 3;
        int x = 0;
        for (; x < Width && p < value.size() && value.size() - p > 3; ++x, p += 5)
          row[x] = static_cast<uint16_t>(HexToNum(value.substr(p, 4)));
        for (; x < Width; ++x) row[x] = 32;
      } else {
        for (int x = 0; x < Width; ++x)
          row[x] = x < static_cast<int>(value.size()) ? static_cast<uint8_t>(value[static_cast<size_t>(x)]) : 32;
      }
      ++rowsRead;
    } else {
      LogWarning("Unknown identifier in " + mode + " mode. (" + key + ")", kLoadTag);
    }
  }
  if (HasTranslations) ApplyTranslations();
}

void TXMap::LoadBinary(TStream& stream, bool wide) {
  BodyReader body(stream);
  Extras.clear();
  if (!body.U8(Width) || !body.U8(Height)) return;
  AllocateCells();
  if (wide) {
    for (uint16_t& cell : FileCells)
      if (!body.U16(cell)) break;
  } else {
    std::vector<uint8_t> bytes(FileCells.size());
    int64_t got = stream.Read(bytes.data(), static_cast<int64_t>(bytes.size()));
    for (int64_t i = 0; i < got; ++i) FileCells[static_cast<size_t>(i)] = bytes[static_cast<size_t>(i)];
    if (got != static_cast<int64_t>(bytes.size())) body.Fail();
  }

  std::string text;
  for (std::string* field : {&Author, &MapName, &GmText}) {
    if (!body.Text(text)) break;
    if (!text.empty()) *field = text;
  }

  uint16_t pairCount = 0;
  if (wide) {
    body.U16(pairCount);
  } else {
    uint8_t count8 = 0;
    body.U8(count8);
    pairCount = count8;
  }
  int pairsRead = 0;
  for (; pairsRead < pairCount; ++pairsRead) {
    TTranslation pair;
    if (wide) {
      if (!body.U16(pair.From) || !body.U16(pair.To)) break;
    } else {
      uint8_t from, to;
      if (!body.U8(from) || !body.U8(to)) break;
      pair = {from, to};
    }
    Translations.push_back(pair);
    HasTranslations = true;
  }
  if (pairsRead > 0) ApplyTranslations();

  while (Extras.size() < kMaxExtras) {
    if (!body.Text(text) || text.empty()) break;
    Extras.push_back(text);
  }
}

void TXMap::LoadCompressed(TStream& stream, bool wide) {
  std::vector<uint8_t> packed(static_cast<size_t>(std::max<int64_t>(0, stream.Remaining())));
  if (!packed.empty())
    packed.resize(static_cast<size_t>(std::max<int64_t>(0, stream.Read(packed.data(), static_cast<int64_t>(packed.size())))));
  // No map body decodes to more than this, so damaged data cannot make the
  // decoder produce (and then scan) hundreds of megabytes.
  std::vector<uint8_t> body;
  ZRUnCompress(packed, body, kMaxBodySize);
  TMemoryStream decoded(body.data(), body.size());
  LoadBinary(decoded, wide);
}

void TXMap::ApplyTranslations() {
  // First matching pair wins and each cell is translated once: (1,2),(2,3)
  // turns 1 into 2, not 3. A table of the first pair per code keeps a damaged
  // map with thousands of pairs linear in its cells.
  std::vector<int32_t> to(65536, -1);
  for (const TTranslation& pair : Translations)
    if (to[pair.From] < 0) to[pair.From] = pair.To;
  for (uint16_t& cell : FileCells)
    if (to[cell] >= 0) cell = static_cast<uint16_t>(to[cell]);
}

void TXMap::UnpackVersion() {
  // A GM text starting with byte 1 carries the version and game id in its
  // next two bytes (low byte first). A text cut short reads the missing bytes
  // as 0.
  if (GmText.empty() || static_cast<uint8_t>(GmText[0]) != 1) return;
  uint32_t low = GmText.size() > 1 ? static_cast<uint8_t>(GmText[1]) : 0;
  uint32_t high = GmText.size() > 2 ? static_cast<uint8_t>(GmText[2]) : 0;
  uint32_t v = low | (high << 8);
  SetVersion(v & 0x3FF);
  SetGameID(v >> 10);
  GmText.erase(0, std::min<size_t>(3, GmText.size()));
}

void TXMap::SetVersion(uint32_t value) {
  if (value >= 1024) {
    LogError("Can't set this version number (" + std::to_string(value) + "). Max: 1023", "XMAP, TXMap.SetVersion");
    return;
  }
  Version = static_cast<uint16_t>(value);
}

void TXMap::SetGameID(uint32_t value) {
  if (value >= 64) {
    LogError("Invalid gameID! (" + std::to_string(value) + ", Max: 63)", "XMAP, TXMap.SetGameID");
    return;
  }
  GameID = static_cast<uint16_t>(value);
}

void TXMap::LoadFromMad(const std::string& name, TMad& archive) {
  std::unique_ptr<TStream> member = archive.OpenStream(name);
  if (member) {
    Load(*member);
  } else {
    // A member the archive cannot decode reads like an empty file.
    TMemoryStream empty(0);
    Load(empty);
  }
}

void TXMap::PadTo(uint8_t width, uint8_t height, uint16_t fill) {
  uint8_t newWidth = std::max(Width, width);
  uint8_t newHeight = std::max(Height, height);
  std::vector<uint16_t> cells(static_cast<size_t>(newWidth) * newHeight, fill);
  if (Loaded) {
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x)
        cells[static_cast<size_t>(x) + static_cast<size_t>(newWidth) * y] = FileCells[CellIndex(x, y)];
  }
  Width = newWidth;
  Height = newHeight;
  FileCells = std::move(cells);
  WorkingCells.assign(FileCells.size(), 0);
  Loaded = true;
}

}  // namespace quarry
