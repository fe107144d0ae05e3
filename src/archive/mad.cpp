#include "archive/mad.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "archive/zrcomp.h"
#include "core/bytes.h"
#include "core/log.h"
#include "core/program.h"
#include "core/stream.h"
#include "core/text.h"

namespace quarry {
namespace {

constexpr const char* kInitTag = "MADREAD, TMad.Init";
constexpr const char* kOpenStreamTag = "MADREAD, TMad.OpenStream";
constexpr const char* kOpenPointerTag = "MADREAD, TMad.OpenPointer";
constexpr const char* kSaveTag = "MADREAD, TMad.SaveMadFileAs";
constexpr const char* kDoneTag = "MADREAD, TMad.Done";

// A file list never holds more than 65535 entries, so its decoded form is
// never longer than this; a longer decode is damage and is cut.
constexpr size_t kMaxListSize = 2 + size_t{0xFFFF} * kMadEntrySize;

// The archive file is opened anew for every read so no handle stays open
// between member reads. Only a readable regular file is an archive: the size
// of a directory or a device says nothing about its bytes.
class FileSource : public MadSource {
public:
  explicit FileSource(std::string path) : path_(std::move(path)) {}
  bool ReadAt(uint64_t offset, uint64_t count, std::vector<uint8_t>& bytes) override {
    bytes.clear();
    uint64_t size = 0;
    const int fd = Open(size);
    if (fd < 0) return false;
    // Entries can point anywhere; only what the file holds is read.
    if (offset < size && count > 0) {
      bytes.resize(static_cast<size_t>(std::min(count, size - offset)));
      size_t got = 0;
      while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got,
                                  static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
      }
      bytes.resize(got);
    }
    ::close(fd);
    return true;
  }
  uint64_t Size() override {
    uint64_t size = 0;
    const int fd = Open(size);
    if (fd >= 0) ::close(fd);
    return size;
  }
  bool Exists() {
    uint64_t size = 0;
    const int fd = Open(size);
    if (fd < 0) return false;
    ::close(fd);
    return true;
  }

private:
  int Open(uint64_t& size) {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return -1;
    }
    size = static_cast<uint64_t>(st.st_size);
    return fd;
  }

  std::string path_;
};

class MemorySource : public MadSource {
public:
  explicit MemorySource(std::vector<uint8_t> image) : image_(std::move(image)) {}
  bool ReadAt(uint64_t offset, uint64_t count, std::vector<uint8_t>& bytes) override {
    bytes.clear();
    if (offset < image_.size()) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(count, image_.size() - offset));
      bytes.assign(image_.begin() + static_cast<std::ptrdiff_t>(offset),
                   image_.begin() + static_cast<std::ptrdiff_t>(offset + n));
    }
    return true;
  }
  uint64_t Size() override { return image_.size(); }

private:
  std::vector<uint8_t> image_;
};

}  // namespace

TMad::TMad(const std::string& fileName) : fileName_(fileName) {
  LogStatus("(" + fileName_ + ")", kInitTag);
  auto file = std::make_unique<FileSource>(fileName_);
  if (!file->Exists()) StopMissingData("Error accessing " + fileName_, kInitTag);
  source_ = std::move(file);
  LoadIndex();
}

TMad::TMad(const std::string& fileName, std::vector<uint8_t> image)
    : fileName_(fileName), source_(std::make_unique<MemorySource>(std::move(image))) {
  LogStatus("(" + fileName_ + ")", kInitTag);
  LoadIndex();
}

TMad::~TMad() { LogStatus("(" + fileName_ + ")", kDoneTag); }

void TMad::LoadIndex() {
  std::vector<uint8_t> header;
  if (!source_->ReadAt(0, kMadHeaderSize, header))
    StopMissingData("Error accessing " + fileName_, kInitTag);
  // Only the flags and HeadStart are read; a header cut short reads as zeros.
  bool whole = header.size() == kMadHeaderSize;
  header.resize(kMadHeaderSize, 0);
  const uint8_t flags = header[9];
  const uint32_t headStart = U32At(header.data() + 10);
  LogStatus("HeadStart=" + std::to_string(headStart), kInitTag);

  std::vector<uint8_t> raw;
  source_->ReadAt(headStart, source_->Size(), raw);
  std::vector<uint8_t> list;
  if ((flags & 1) == 0) {
    LogStatus("Compressed filelist...", kInitTag);
    bool listWhole = false;
    ZRUnCompress(raw, list, kMaxListSize, &listWhole);
    whole = whole && listWhole;
    LogStatus("Filelist unpacked into memory.", kInitTag);
  } else {
    LogStatus("Uncompressed filelist...", kInitTag);
    list = std::move(raw);
  }
  const uint16_t count = list.size() >= 2 ? static_cast<uint16_t>(list[0] | (list[1] << 8)) : 0;
  LogStatus("Datafile contains " + std::to_string(count) + " file(s).", kInitTag);
  // A list cut short keeps only its whole entries.
  index_.clear();
  for (size_t i = 0, pos = 2; i < count && pos + kMadEntrySize <= list.size();
       ++i, pos += kMadEntrySize) {
    MadEntry e;
    const size_t length = std::min<size_t>(list[pos], kMadNameMax);
    e.name = UpperCase(std::string(list.begin() + static_cast<std::ptrdiff_t>(pos + 1),
                                   list.begin() + static_cast<std::ptrdiff_t>(pos + 1 + length)));
    e.start = U32At(list.data() + pos + 13);
    e.compressedSize = U32At(list.data() + pos + 17);
    e.realSize = U32At(list.data() + pos + 21);
    e.marker = list[pos + 25];
    index_.push_back(std::move(e));
  }
  indexIntact_ = whole && list.size() >= 2 && index_.size() == count;
  LogStatus("Filelist loaded...", kInitTag);
}

int TMad::Find(const std::string& name) const {
  if (name.size() > kMadNameMax) return -1;
  const std::string upper = UpperCase(name);
  for (size_t i = 0; i < index_.size(); ++i)
    if (index_[i].name == upper) return static_cast<int>(i);
  return -1;
}

bool TMad::HasFile(const std::string& name) const { return Find(name) >= 0; }

const MadEntry& TMad::Lookup(const std::string& name, const std::string& tag) {
  const std::string upper = UpperCase(name);
  if (Verbose) LogStatus("(" + upper + ")", tag);
  const int at = Find(upper);
  if (at < 0) StopMissingData("File not found in MAD! (" + upper + ")", tag, fileName_);
  const MadEntry& e = index_[static_cast<size_t>(at)];
  if (Verbose) {
    LogStatus("Start in file: " + std::to_string(e.start), tag);
    LogStatus("Compression marker: " + std::to_string(e.marker), tag);
    LogStatus("Compressed size: " + std::to_string(e.compressedSize), tag);
    LogStatus("Uncompressed size: " + std::to_string(e.realSize), tag);
  }
  return e;
}

bool TMad::ReadEntry(const MadEntry& entry, std::vector<uint8_t>& bytes, bool* intact) {
  bytes.clear();
  if (intact) *intact = false;
  if (entry.marker != kMadStored && entry.marker != kMadZrcomp) return false;
  std::vector<uint8_t> raw;
  if (!source_->ReadAt(entry.start, entry.compressedSize, raw)) return false;
  bool whole = raw.size() == entry.compressedSize;
  if (entry.marker == kMadStored) {
    bytes = std::move(raw);
  } else {
    bool streamWhole = false;
    ZRUnCompress(raw, bytes, DecodeLimit, &streamWhole);
    whole = whole && streamWhole;
  }
  if (intact) *intact = whole && bytes.size() == entry.realSize;
  return true;
}

bool TMad::ReadMember(const MadEntry& entry, const std::string& tag, std::vector<uint8_t>& bytes) {
  if (entry.marker != kMadStored && entry.marker != kMadZrcomp) {
    LogWarning("Unknown MAD compression type!", tag);
    return false;
  }
  // The archive was there at Init; if it has gone since, that is the same
  // missing-data stop.
  if (!ReadEntry(entry, bytes)) StopMissingData("Error accessing " + fileName_, tag);
  return true;
}

std::unique_ptr<TMemoryStream> TMad::OpenStream(const std::string& name) {
  const MadEntry& e = Lookup(name, kOpenStreamTag);
  std::vector<uint8_t> bytes;
  if (!ReadMember(e, kOpenStreamTag, bytes)) return nullptr;
  auto stream = std::make_unique<TMemoryStream>(std::max<size_t>(bytes.size(), 4096), 1024);
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream->Seek(0, SeekOrigin::Begin);
  return stream;
}

std::vector<uint8_t> TMad::OpenPointer(const std::string& name) {
  const MadEntry& e = Lookup(name, kOpenPointerTag);
  std::vector<uint8_t> bytes;
  if (!ReadMember(e, kOpenPointerTag, bytes)) return {};
  // A packed member is handed out at its real size; never padded with bytes
  // the data did not hold.
  if (e.marker == kMadZrcomp && bytes.size() > e.realSize) bytes.resize(e.realSize);
  return bytes;
}

bool TMad::SaveMadFileAs(const std::string& name, const std::string& diskFileName) {
  const MadEntry& e = Lookup(name, kSaveTag);
  std::vector<uint8_t> bytes;
  if (!ReadMember(e, kSaveTag, bytes)) return false;
  std::FILE* f = std::fopen(diskFileName.c_str(), "wb");
  if (!f) return false;
  const bool wrote = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && wrote;
}

}  // namespace quarry
