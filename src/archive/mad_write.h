// MAD archive writer: members are added one by one, each packed with
// ZRCompress (marker 4); Done writes the packed file list and HeadStart.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quarry {

class TStream;
class TBufferedFileStream;

class TMADWrite {
public:
  // Starts a new archive, replacing any file of that name.
  explicit TMADWrite(const std::string& fileName);
  // The same into a stream the caller owns (an image built in memory, to be
  // written to disk in one piece); name only appears in the log.
  TMADWrite(const std::string& name, TStream& target);
  // Finishes the archive when Done was not called.
  ~TMADWrite();
  TMADWrite(const TMADWrite&) = delete;
  TMADWrite& operator=(const TMADWrite&) = delete;

  // Adds all of stream (from position 0) as member name; the stream keeps
  // its position. Names are upper-cased and cut to 12 characters.
  void AddStream(TStream& stream, const std::string& name);
  void AddBytes(std::span<const uint8_t> bytes, const std::string& name);

  // Writes the file list and HeadStart and closes the file. Returns true when
  // every byte of the archive was written. Later calls return the same.
  bool Done();

  uint16_t Count() const { return count_; }
  bool Verbose = false;

private:
  void WriteHeader();

  std::string fileName_;
  std::unique_ptr<TBufferedFileStream> ownFile_;
  TStream* file_ = nullptr;
  std::vector<uint8_t> list_;  // u16 count, then one 26-byte entry per member
  uint16_t count_ = 0;
  bool ok_ = true;
  bool done_ = false;
};

}  // namespace quarry
