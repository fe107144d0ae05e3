// Seekable byte streams every loader works on: a growable memory stream and a
// buffered file stream. Reads past the end return fewer bytes, never garbage.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace quarry {

enum class SeekOrigin { Begin, Current, End };

class TStream {
public:
  virtual ~TStream() = default;
  // Returns the number of bytes actually read or written.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Returns the new position; positions are clamped at 0.
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  int64_t Position() { return Seek(0, SeekOrigin::Current); }
  int64_t Remaining() { return Size() - Position(); }

  // Copies count bytes from source's current position; count 0 copies the
  // whole source from its start. Returns the bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);

  // Little-endian helpers; false when the stream ended first.
  bool ReadByte(uint8_t& value);
  bool ReadU16(uint16_t& value);
  bool ReadU32(uint32_t& value);
  void WriteByte(uint8_t value);
  void WriteU16(uint16_t value);
  void WriteU32(uint32_t value);
  void WriteText(const std::string& text);
};

// Growable memory stream. The capacity starts at initialSize and grows in
// steps of growStep bytes (rounded up so that a big write needs one step).
class TMemoryStream : public TStream {
public:
  explicit TMemoryStream(size_t initialSize = 4096, size_t growStep = 1024);
  TMemoryStream(const void* data, size_t size);

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(size_); }

  uint8_t* Data() { return data_.data(); }
  const uint8_t* Data() const { return data_.data(); }
  void SetSize(size_t size);
  void Clear() { SetSize(0); position_ = 0; }
  // The stream's bytes as a vector (copy).
  std::vector<uint8_t> Bytes() const { return {data_.begin(), data_.begin() + size_}; }

private:
  void Reserve(size_t capacity);
  std::vector<uint8_t> data_;
  size_t size_ = 0;
  size_t position_ = 0;
  size_t growStep_;
};

// File stream with a 4096-byte buffer for reading and writing.
class TBufferedFileStream : public TStream {
public:
  enum class Mode { Read, Create, ReadWrite };
  static constexpr size_t kBufferSize = 4096;

  // Returns nullptr when the file cannot be opened.
  static std::unique_ptr<TBufferedFileStream> Open(const std::string& path, Mode mode);
  ~TBufferedFileStream() override;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override;
  bool Flush();

private:
  explicit TBufferedFileStream(std::FILE* file) : file_(file) {}
  bool FillBuffer();
  void DropReadBuffer();

  std::FILE* file_;
  std::vector<uint8_t> buffer_ = std::vector<uint8_t>(kBufferSize);
  size_t bufferStart_ = 0;  // read buffer: valid bytes are [bufferStart_, bufferEnd_)
  size_t bufferEnd_ = 0;
  size_t writeFill_ = 0;    // pending write bytes
  int64_t filePos_ = 0;     // logical position
};

}  // namespace quarry
