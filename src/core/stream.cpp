#include "core/stream.h"

#include <algorithm>
#include <cstring>

namespace quarry {

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.Seek(0, SeekOrigin::Begin);
    count = source.Size();
  }
  uint8_t chunk[4096];
  int64_t copied = 0;
  while (copied < count) {
    int64_t want = std::min<int64_t>(sizeof chunk, count - copied);
    int64_t got = source.Read(chunk, want);
    if (got <= 0) break;
    int64_t put = Write(chunk, got);
    copied += put;
    if (put < got) break;
  }
  return copied;
}

bool TStream::ReadByte(uint8_t& value) { return Read(&value, 1) == 1; }

bool TStream::ReadU16(uint16_t& value) {
  uint8_t b[2];
  if (Read(b, 2) != 2) return false;
  value = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool TStream::ReadU32(uint32_t& value) {
  uint8_t b[4];
  if (Read(b, 4) != 4) return false;
  value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  return true;
}

void TStream::WriteByte(uint8_t value) { Write(&value, 1); }

void TStream::WriteU16(uint16_t value) {
  uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  Write(b, 2);
}

void TStream::WriteU32(uint32_t value) {
  uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                  static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  Write(b, 4);
}

void TStream::WriteText(const std::string& text) { Write(text.data(), static_cast<int64_t>(text.size())); }

// --- memory stream ---------------------------------------------------------

TMemoryStream::TMemoryStream(size_t initialSize, size_t growStep)
    : growStep_(growStep == 0 ? 1024 : growStep) {
  data_.reserve(initialSize);
}

TMemoryStream::TMemoryStream(const void* data, size_t size) : growStep_(1024) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  data_.assign(bytes, bytes + size);
  size_ = size;
}

void TMemoryStream::Reserve(size_t capacity) {
  if (capacity <= data_.size()) return;
  // Grow by whole steps so that many small writes do not reallocate each time;
  // once large, grow geometrically to keep big members linear.
  size_t target = data_.size() + growStep_;
  while (target < capacity) target += std::max(growStep_, target / 2);
  data_.resize(target);
}

void TMemoryStream::SetSize(size_t size) {
  Reserve(size);
  size_ = size;
  if (position_ > size_) position_ = size_;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  size_t n = std::min<size_t>(static_cast<size_t>(count), size_ - position_);
  std::memcpy(buffer, data_.data() + position_, n);
  position_ += n;
  return static_cast<int64_t>(n);
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  size_t end = position_ + static_cast<size_t>(count);
  Reserve(end);
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  if (end > size_) size_ = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  int64_t base = origin == SeekOrigin::Begin ? 0
                 : origin == SeekOrigin::Current ? static_cast<int64_t>(position_)
                                                 : static_cast<int64_t>(size_);
  int64_t target = std::max<int64_t>(0, base + offset);
  position_ = static_cast<size_t>(target);
  return target;
}

// --- buffered file stream --------------------------------------------------

std::unique_ptr<TBufferedFileStream> TBufferedFileStream::Open(const std::string& path, Mode mode) {
  const char* how = mode == Mode::Read ? "rb" : mode == Mode::Create ? "w+b" : "r+b";
  std::FILE* file = std::fopen(path.c_str(), how);
  if (!file) return nullptr;
  return std::unique_ptr<TBufferedFileStream>(new TBufferedFileStream(file));
}

TBufferedFileStream::~TBufferedFileStream() {
  Flush();
  std::fclose(file_);
}

bool TBufferedFileStream::Flush() {
  if (writeFill_ == 0) return true;
  bool ok = std::fseek(file_, filePos_ - static_cast<int64_t>(writeFill_), SEEK_SET) == 0 &&
            std::fwrite(buffer_.data(), 1, writeFill_, file_) == writeFill_;
  writeFill_ = 0;
  return ok;
}

void TBufferedFileStream::DropReadBuffer() { bufferStart_ = bufferEnd_ = 0; }

bool TBufferedFileStream::FillBuffer() {
  if (std::fseek(file_, filePos_, SEEK_SET) != 0) return false;
  size_t got = std::fread(buffer_.data(), 1, kBufferSize, file_);
  bufferStart_ = 0;
  bufferEnd_ = got;
  return got > 0;
}

int64_t TBufferedFileStream::Read(void* buffer, int64_t count) {
  if (count <= 0) return 0;
  Flush();
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  while (done < count) {
    if (bufferStart_ == bufferEnd_) {
      if (count - done >= static_cast<int64_t>(kBufferSize)) {
        // Large reads bypass the buffer.
        if (std::fseek(file_, filePos_, SEEK_SET) != 0) break;
        size_t got = std::fread(out + done, 1, static_cast<size_t>(count - done), file_);
        done += static_cast<int64_t>(got);
        filePos_ += static_cast<int64_t>(got);
        break;
      }
      if (!FillBuffer()) break;
    }
    size_t n = std::min<size_t>(bufferEnd_ - bufferStart_, static_cast<size_t>(count - done));
    std::memcpy(out + done, buffer_.data() + bufferStart_, n);
    bufferStart_ += n;
    done += static_cast<int64_t>(n);
    filePos_ += static_cast<int64_t>(n);
  }
  return done;
}

int64_t TBufferedFileStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  DropReadBuffer();
  const auto* in = static_cast<const uint8_t*>(buffer);
  int64_t done = 0;
  while (done < count) {
    if (writeFill_ == kBufferSize && !Flush()) break;
    size_t n = std::min<size_t>(kBufferSize - writeFill_, static_cast<size_t>(count - done));
    std::memcpy(buffer_.data() + writeFill_, in + done, n);
    writeFill_ += n;
    done += static_cast<int64_t>(n);
    filePos_ += static_cast<int64_t>(n);
  }
  return done;
}

int64_t TBufferedFileStream::Seek(int64_t offset, SeekOrigin origin) {
  if (origin == SeekOrigin::Current && offset == 0) return filePos_;
  Flush();
  int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? filePos_ : Size();
  int64_t target = std::max<int64_t>(0, base + offset);
  // Keep the read buffer when the target lies inside it.
  int64_t bufferFileStart = filePos_ - static_cast<int64_t>(bufferStart_);
  if (bufferEnd_ > 0 && target >= bufferFileStart &&
      target <= bufferFileStart + static_cast<int64_t>(bufferEnd_)) {
    bufferStart_ = static_cast<size_t>(target - bufferFileStart);
  } else {
    DropReadBuffer();
  }
  filePos_ = target;
  return filePos_;
}

int64_t TBufferedFileStream::Size() {
  Flush();
  long here = std::ftell(file_);
  std::fseek(file_, 0, SEEK_END);
  int64_t size = std::ftell(file_);
  std::fseek(file_, here, SEEK_SET);
  return std::max(size, filePos_);
}

}  // namespace quarry
