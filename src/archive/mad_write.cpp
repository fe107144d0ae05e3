#include "archive/mad_write.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "archive/mad.h"
#include "archive/zrcomp.h"
#include "core/bytes.h"
#include "core/log.h"
#include "core/stream.h"
#include "core/text.h"

namespace quarry {
namespace {

constexpr const char* kInitTag = "MADWRITE, TMADWrite.Init";
constexpr const char* kAddTag = "MADWRITE, TMADWrite.AddStream";
constexpr const char* kDoneTag = "MADWRITE, TMADWrite.Done";

}  // namespace

TMADWrite::TMADWrite(const std::string& fileName) : fileName_(fileName) {
  LogStatus("(" + fileName_ + ")", kInitTag);
  std::remove(fileName_.c_str());
  ownFile_ = TBufferedFileStream::Open(fileName_, TBufferedFileStream::Mode::Create);
  file_ = ownFile_.get();
  WriteHeader();
}

TMADWrite::TMADWrite(const std::string& name, TStream& target) : fileName_(name), file_(&target) {
  LogStatus("(" + fileName_ + ")", kInitTag);
  WriteHeader();
}

void TMADWrite::WriteHeader() {
  ok_ = file_ != nullptr;
  // Signature, flags 0x9E (bit 0 clear: the file list is packed) and room
  // for HeadStart, filled in by Done.
  static const uint8_t header[kMadHeaderSize] = {'Z', 'E', 'P', 'H', 'Y', 'R', 'A', 0xFA,
                                                 0xFE, 0x9E, 0, 0, 0, 0};
  if (file_ && file_->Write(header, sizeof header) != sizeof header) ok_ = false;
  list_ = {0, 0};
}

TMADWrite::~TMADWrite() { Done(); }

void TMADWrite::AddStream(TStream& stream, const std::string& name) {
  const int64_t saved = stream.Position();
  stream.Seek(0, SeekOrigin::Begin);
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(0, stream.Size())));
  if (!bytes.empty())
    bytes.resize(static_cast<size_t>(
        std::max<int64_t>(0, stream.Read(bytes.data(), static_cast<int64_t>(bytes.size())))));
  stream.Seek(saved, SeekOrigin::Begin);
  AddBytes(bytes, name);
}

void TMADWrite::AddBytes(std::span<const uint8_t> bytes, const std::string& name) {
  if (done_) return;
  // The count is 16 bits wide; members beyond it are dropped like any other
  // addition past a fixed capacity.
  if (count_ == 0xFFFF) return;
  // Packed first: a member the codec cannot take fails the archive instead
  // of going in empty.
  std::vector<uint8_t> packed;
  if (!ZRCompress(bytes, packed)) {
    LogError("Could not pack '" + name + "' (" + std::to_string(bytes.size()) + " bytes)", kAddTag);
    ok_ = false;
    return;
  }
  std::string upper = UpperCase(name);
  if (Verbose) LogStatus("Adding stream as '" + upper + "'", kAddTag);
  upper = upper.substr(0, kMadNameMax);
  while (!upper.empty() && upper.back() == ' ') upper.pop_back();
  list_.push_back(static_cast<uint8_t>(upper.size()));
  list_.insert(list_.end(), upper.begin(), upper.end());
  list_.insert(list_.end(), kMadNameMax - upper.size(), ' ');

  const uint32_t start = file_ ? static_cast<uint32_t>(file_->Position()) : 0;
  PutU32(list_, start);
  if (Verbose) LogStatus("File start: " + std::to_string(start), kAddTag);

  if (file_ && file_->Write(packed.data(), static_cast<int64_t>(packed.size())) !=
                   static_cast<int64_t>(packed.size()))
    ok_ = false;
  PutU32(list_, static_cast<uint32_t>(packed.size()));
  if (Verbose) LogStatus("File size : " + std::to_string(packed.size()), kAddTag);
  PutU32(list_, static_cast<uint32_t>(bytes.size()));
  if (Verbose) LogStatus("Real size : " + std::to_string(bytes.size()), kAddTag);
  list_.push_back(kMadZrcomp);
  ++count_;
}

bool TMADWrite::Done() {
  if (done_) return ok_;
  done_ = true;
  LogStatus("(" + fileName_ + ")", kDoneTag);
  if (!file_) return ok_ = false;
  const uint32_t headStart = static_cast<uint32_t>(file_->Position());
  list_[0] = static_cast<uint8_t>(count_);
  list_[1] = static_cast<uint8_t>(count_ >> 8);
  std::vector<uint8_t> packed;
  ZRCompress(list_, packed);
  if (file_->Write(packed.data(), static_cast<int64_t>(packed.size())) !=
      static_cast<int64_t>(packed.size()))
    ok_ = false;
  const uint8_t field[4] = {static_cast<uint8_t>(headStart), static_cast<uint8_t>(headStart >> 8),
                            static_cast<uint8_t>(headStart >> 16),
                            static_cast<uint8_t>(headStart >> 24)};
  if (file_->Seek(10, SeekOrigin::Begin) != 10 || file_->Write(field, 4) != 4) ok_ = false;
  if (ownFile_ && !ownFile_->Flush()) ok_ = false;
  ownFile_.reset();
  file_ = nullptr;
  list_.clear();
  return ok_;
}

}  // namespace quarry
