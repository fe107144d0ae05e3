#include "players/progress_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace quarry {
namespace {

ProgressFault g_fault;
bool g_faultSet = false;
int g_step = 0;
int g_save = 0;

ProgressFault& Fault() {
  if (!g_faultSet) {
    g_faultSet = true;
    if (const char* text = std::getenv("QUARRY_FAULT")) {
      const std::string s = text;
      if (s == "unreadable") g_fault.unreadable = true;
      if (s.rfind("nospace=", 0) == 0) g_fault.spaceLeft = std::atoll(s.c_str() + 8);
      if (s.rfind("kill=", 0) == 0) g_fault.killAtStep = std::atoi(s.c_str() + 5);
    }
  }
  return g_fault;
}

// A point of the save at which a kill is simulated; the test learns from
// standard error which save it cut short.
void Step() {
  if (Fault().killAtStep > 0 && ++g_step == Fault().killAtStep) {
    std::fprintf(stderr, "QUARRY_FAULT: killed in save %d\n", g_save);
    std::fflush(stderr);
    raise(SIGKILL);
  }
}

std::string Reason(int error) { return std::strerror(error); }

std::string FolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

bool WriteAll(int fd, const uint8_t* data, size_t size, std::string& error) {
  ProgressFault& fault = Fault();
  while (size > 0) {
    size_t chunk = size;
    if (fault.spaceLeft >= 0) {
      if (fault.spaceLeft == 0) {
        error = Reason(ENOSPC);
        return false;
      }
      chunk = std::min<size_t>(chunk, static_cast<size_t>(fault.spaceLeft));
    }
    const ssize_t n = ::write(fd, data, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = Reason(n < 0 ? errno : ENOSPC);
      return false;
    }
    if (fault.spaceLeft >= 0) fault.spaceLeft -= n;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool WriteAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error,
                     bool keepBackup);

// Makes path + ".bak" the previous file. A hard link keeps the old file
// under both names until the rename, so a kill at any point leaves a whole
// progress file; where links are not supported the bytes are copied.
void KeepBackup(const std::string& path) {
  const std::string backup = path + ".bak";
  ::unlink(backup.c_str());
  Step();
  if (::link(path.c_str(), backup.c_str()) == 0) return;
  std::vector<uint8_t> old;
  std::string ignored;
  if (ReadWholeFile(path, old, ignored, UINT64_MAX) == FileRead::kOk) WriteAtomically(backup, old, ignored, false);
}

}  // namespace

void SetProgressFault(const ProgressFault& fault) {
  g_fault = fault;
  g_faultSet = true;
  g_step = 0;
  g_save = 0;
}

FileRead ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error,
                       uint64_t maxSize) {
  bytes.clear();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return FileRead::kMissing;
    error = Reason(errno);
    return FileRead::kUnreadable;
  }
  if (S_ISDIR(st.st_mode)) {
    error = Reason(EISDIR);
    return FileRead::kUnreadable;
  }
  if (!S_ISREG(st.st_mode)) {
    error = "not a regular file";
    return FileRead::kUnreadable;
  }
  const int fd = Fault().unreadable ? (errno = EACCES, -1) : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = Reason(errno);
    return FileRead::kUnreadable;
  }
  const uint64_t want = std::min<uint64_t>(static_cast<uint64_t>(st.st_size), maxSize + 1);
  bytes.resize(static_cast<size_t>(want));
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = Reason(errno);
      ::close(fd);
      return FileRead::kUnreadable;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  ::close(fd);
  return FileRead::kOk;
}

namespace {

bool WriteAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error,
                     bool keepBackup) {
  struct stat old {};
  const bool replacing = ::stat(path.c_str(), &old) == 0;
  if (replacing && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0)) {
    error = S_ISREG(old.st_mode) ? "the file is read-only" : "not a regular file";
    return false;
  }
  // Same folder, so the rename cannot cross file systems.
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    error = Reason(errno);
    return false;
  }
  Step();
  // The first failure's reason is the one reported.
  bool ok = WriteAll(fd, bytes.data(), bytes.size(), error);
  auto check = [&](bool done) {
    if (ok && !done) {
      ok = false;
      error = Reason(errno);
    }
  };
  Step();
  if (replacing) {
    // Ownership can only be given back by root; the mode always can.
    [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);
    check(::fchmod(fd, old.st_mode & 07777) == 0);
  }
  check(::fsync(fd) == 0);
  check(::close(fd) == 0);
  Step();
  if (ok && replacing && keepBackup) {
    KeepBackup(path);
    Step();
  }
  if (ok) check(::rename(temp.c_str(), path.c_str()) == 0);
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  Step();
  const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  ++g_save;
  return WriteAtomically(path, bytes, error, true);
}

std::string MoveAside(const std::string& path, std::string& error) {
  for (int n = 0; n < 10000; ++n) {
    const std::string target = path + ".damaged" + (n == 0 ? "" : "." + std::to_string(n));
    // A link fails on an existing name, so nothing is ever replaced.
    if (::link(path.c_str(), target.c_str()) == 0) {
      ::unlink(path.c_str());
      return target;
    }
    if (errno == EEXIST) continue;
    // Without hard links: rename, but only to a name that is free.
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) continue;
    if (::rename(path.c_str(), target.c_str()) == 0) return target;
    error = Reason(errno);
    return {};
  }
  error = "no free name";
  return {};
}

void RemoveStaleTemporaries(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path p(path);
  const std::string prefix = p.filename().string() + ".tmp-";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(FolderOf(path), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0 && entry.is_regular_file(ec)) fs::remove(entry.path(), ec);
  }
}

bool LockFolder(const std::string& folder, std::string& error) {
  // Kept open for the whole run: closing it would drop the lock.
  static int held = -1;
  if (held >= 0) return true;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    error = Reason(errno);
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK ? "" : Reason(errno);
    ::close(fd);
    return false;
  }
  held = fd;
  return true;
}

}  // namespace quarry
