// A file of our own in the system temporary directory, under a fresh name
// that no player's file can have, removed again when the object goes.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace quarry {

class TPrivateTempFile {
public:
  // Writes bytes to a new file (mkstemp); nullptr when that is impossible.
  static std::unique_ptr<TPrivateTempFile> Create(std::span<const uint8_t> bytes);
  ~TPrivateTempFile();
  TPrivateTempFile(const TPrivateTempFile&) = delete;
  TPrivateTempFile& operator=(const TPrivateTempFile&) = delete;

  const std::string& Path() const { return path_; }

private:
  explicit TPrivateTempFile(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

}  // namespace quarry
