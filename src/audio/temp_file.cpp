#include "audio/temp_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace quarry {

std::unique_ptr<TPrivateTempFile> TPrivateTempFile::Create(std::span<const uint8_t> bytes) {
  std::error_code error;
  std::filesystem::path dir = std::filesystem::temp_directory_path(error);
  if (error) dir = "/tmp";
  std::string pattern = (dir / "quarry-sound-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // mkstemp creates the file exclusively, so nothing that already exists is
  // ever opened or replaced.
  const int fd = mkstemp(name.data());
  if (fd < 0) return nullptr;
  std::unique_ptr<TPrivateTempFile> file(new TPrivateTempFile(name.data()));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      close(fd);
      return nullptr;  // the destructor removes the partial file
    }
    done += static_cast<size_t>(wrote);
  }
  if (close(fd) != 0) return nullptr;
  return file;
}

TPrivateTempFile::~TPrivateTempFile() { std::remove(path_.c_str()); }

}  // namespace quarry
