#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace quarry {
namespace {

namespace fs = std::filesystem;

// "NAME.tmp." and six random letters, in the target's folder.
std::string TempName(const std::string& target) {
  static std::mt19937 random{std::random_device{}()};
  static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = target + ".tmp.";
  for (int i = 0; i < 6; ++i) name += letters[random() % (sizeof letters - 1)];
  return name;
}

std::string Reason() { return std::strerror(errno); }

}  // namespace

bool WriteOutputFile(const std::string& path, std::span<const uint8_t> bytes, std::string& error) {
  std::string temp;
  int fd = -1;
  // O_EXCL fails on any existing name, a link included; a clash with another
  // run's random name just tries another.
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = TempName(path);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    error = path + ": cannot write (" + Reason() + ")";
    return false;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  const std::string writeError = done < bytes.size() ? Reason() : "";
  if (::close(fd) != 0 || done < bytes.size()) {
    ::unlink(temp.c_str());
    error = path + ": write failed (" + (writeError.empty() ? Reason() : writeError) + ")";
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = path + ": cannot rename into place (" + Reason() + ")";
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

TOutputFolder::TOutputFolder(const std::string& target) : target_(target) {
  std::string pattern = target + ".tmp.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!::mkdtemp(name.data())) {
    error_ = target + ": cannot write (" + Reason() + ")";
    return;
  }
  folder_ = name.data();
  file_ = (fs::path(folder_) / fs::path(target).filename()).string();
}

TOutputFolder::~TOutputFolder() {
  if (folder_.empty()) return;
  std::error_code ec;
  fs::remove_all(folder_, ec);
}

bool TOutputFolder::Commit() {
  if (file_.empty()) return false;
  if (std::rename(file_.c_str(), target_.c_str()) != 0) {
    error_ = target_ + ": cannot rename into place (" + Reason() + ")";
    return false;
  }
  return true;
}

int64_t RegularFileSize(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool ReadInputFile(const std::string& path, uint64_t maxBytes, std::string& bytes, std::string& error) {
  const int64_t size = RegularFileSize(path);
  if (size < 0) {
    error = path + ": no such file";
    return false;
  }
  if (static_cast<uint64_t>(size) > maxBytes) {
    error = path + ": " + std::to_string(size) + " bytes, more than " + std::to_string(maxBytes);
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    error = path + ": cannot read";
    return false;
  }
  return true;
}

}  // namespace quarry
