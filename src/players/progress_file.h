// The progress file on disk: read whole, written atomically with a backup of
// the previous file, damaged files moved aside under names never used
// before, and a lock on the folder so two games cannot write over each other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarry {

enum class FileRead { kOk, kMissing, kUnreadable };

// Reads the whole file. kMissing only when nothing exists at the path; a
// directory, a special file or a file that cannot be opened or read is
// kUnreadable with the reason in error. Files above maxSize are read as the
// first maxSize + 1 bytes, enough to tell they are too big.
FileRead ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error,
                       uint64_t maxSize);

// Replaces path with bytes: a new file in the same folder (created
// exclusively), written, flushed to disk, then renamed over path; the
// previous file becomes path + ".bak". The file keeps the mode of the one it
// replaces. A file without write permission is not replaced. On failure the
// old file is untouched, the temporary file removed, and error says why.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// Renames path to path + ".damaged", or ".damaged.1", ".damaged.2", ...: the
// first name not in use, so no earlier damaged file is ever replaced.
// Returns the new name, or "" with error set.
std::string MoveAside(const std::string& path, std::string& error);

// Removes temporary files that a killed save left beside path.
void RemoveStaleTemporaries(const std::string& path);

// Takes an advisory lock on the folder, held until the process ends. False
// when another process holds it (error empty) or the folder cannot be opened.
bool LockFolder(const std::string& folder, std::string& error);

// Test seam, never set in normal use. Tests set it directly; the game reads
// the environment variable QUARRY_FAULT once ("unreadable", "nospace=N",
// "kill=N") so end-to-end tests can run as root, where permissions do not
// stop reads, and without filling a real disk.
struct ProgressFault {
  bool unreadable = false;   // opening a file for reading fails (EACCES)
  int64_t spaceLeft = -1;    // bytes the writer may still write; then ENOSPC
  int killAtStep = 0;        // SIGKILL at this step of saving (counted from 1 over the run)
};
void SetProgressFault(const ProgressFault& fault);

}  // namespace quarry
