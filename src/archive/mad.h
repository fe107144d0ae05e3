// MAD archive reader. An archive is a 14-byte header ("ZEPHYRA", 0xFA 0xFE,
// flags, HeadStart), the member data, and at HeadStart the file list (plain
// when flags bit 0 is set, else a ZRCOMP stream): a u16 count and one 26-byte
// entry per member. Members are stored as is (marker 0) or as one ZRCOMP
// stream (marker 4).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/codec.h"

namespace quarry {

class TMemoryStream;

constexpr size_t kMadHeaderSize = 14;
constexpr size_t kMadEntrySize = 26;
constexpr size_t kMadNameMax = 12;
constexpr uint8_t kMadStored = 0;
constexpr uint8_t kMadZrcomp = 4;

struct MadEntry {
  std::string name;  // upper case, at most 12 characters
  uint32_t start = 0;
  uint32_t compressedSize = 0;
  uint32_t realSize = 0;
  uint8_t marker = 0;
};

// Where the archive's bytes come from: a disk file, opened anew for every
// read, or a block in memory (tests and fuzzing).
class MadSource {
public:
  virtual ~MadSource() = default;
  // Bytes [offset, offset + count) clipped to what exists. Returns false
  // when the archive cannot be opened at all.
  virtual bool ReadAt(uint64_t offset, uint64_t count, std::vector<uint8_t>& bytes) = 0;
  virtual uint64_t Size() = 0;
};

class TMad {
public:
  // Opens the archive file and loads its index. An archive that cannot be
  // opened stops the program (StopMissingData) with "Error accessing ".
  explicit TMad(const std::string& fileName);
  // The same over an archive image in memory; fileName only names it.
  TMad(const std::string& fileName, std::vector<uint8_t> image);
  ~TMad();
  TMad(const TMad&) = delete;
  TMad& operator=(const TMad&) = delete;

  // The member's decoded bytes as a stream at position 0; nullptr for an
  // unknown marker. A missing member stops the program.
  std::unique_ptr<TMemoryStream> OpenStream(const std::string& name);
  // The member's bytes: compressed-size bytes for marker 0, real-size bytes
  // for marker 4 (fewer when the data holds fewer); empty for an unknown marker.
  std::vector<uint8_t> OpenPointer(const std::string& name);
  // Writes the decoded member to a disk file (replaced). False when the
  // marker is unknown or the file cannot be written.
  bool SaveMadFileAs(const std::string& name, const std::string& diskFileName);
  bool HasFile(const std::string& name) const;

  const std::string& FileName() const { return fileName_; }
  uint16_t Count() const { return static_cast<uint16_t>(index_.size()); }
  const std::vector<MadEntry>& Entries() const { return index_; }
  // Index of the first entry of that name, or -1 (names of 13 or more
  // characters never match).
  int Find(const std::string& name) const;
  // The decoded bytes of one index entry, no lookup and no log lines; false
  // for an unknown marker. Used by tools that walk the whole index.
  // intact (when given) tells whether the member decoded whole to its real size.
  bool ReadEntry(const MadEntry& entry, std::vector<uint8_t>& bytes, bool* intact = nullptr);
  // False when the header or file list was cut short or damaged (the index
  // then holds what could be read).
  bool IndexIntact() const { return indexIntact_; }

  bool Verbose = false;
  // The most bytes one member may decode to; fuzzing lowers it to stay fast.
  size_t DecodeLimit = kMaxDecodedSize;

private:
  void LoadIndex();
  // Looks the name up for a member operation (logs, stops when absent).
  const MadEntry& Lookup(const std::string& name, const std::string& tag);
  bool ReadMember(const MadEntry& entry, const std::string& tag, std::vector<uint8_t>& bytes);

  std::string fileName_;
  std::unique_ptr<MadSource> source_;
  std::vector<MadEntry> index_;
  bool indexIntact_ = false;
};

}  // namespace quarry
