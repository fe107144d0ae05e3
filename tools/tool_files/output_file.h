// How the authors' tools write their outputs: never in place, never through a
// name someone else could have prepared. A temporary file or folder beside
// the target is created exclusively under a random name, filled, then renamed
// over the target, so a failed run leaves the old file and a planted link is
// never followed.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quarry {

// Writes bytes as path. False with a message naming path when anything failed
// (nothing is left behind then).
bool WriteOutputFile(const std::string& path, std::span<const uint8_t> bytes, std::string& error);

// For writers that open their file by name (the archive writer): a private
// folder (mode 0700) beside the target, and in it the file to write.
class TOutputFolder {
public:
  explicit TOutputFolder(const std::string& target);
  ~TOutputFolder();  // removes whatever was not committed
  TOutputFolder(const TOutputFolder&) = delete;
  TOutputFolder& operator=(const TOutputFolder&) = delete;

  // Empty when the folder could not be made (Error() says why).
  const std::string& FilePath() const { return file_; }
  // Renames the written file over the target; false with Error() set.
  bool Commit();
  const std::string& Error() const { return error_; }

private:
  std::string target_, folder_, file_, error_;
};

// The size of path when it is a regular file; -1 otherwise (missing, a folder).
int64_t RegularFileSize(const std::string& path);

// Reads an input the user named, whole, when it is a regular file of at most
// maxBytes: the size is checked before reading, so a huge file costs no
// memory. False with error set ("PATH: ...") otherwise.
bool ReadInputFile(const std::string& path, uint64_t maxBytes, std::string& bytes, std::string& error);

}  // namespace quarry
