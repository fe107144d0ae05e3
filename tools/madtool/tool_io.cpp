#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "commands.h"

namespace madtool {

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    throw ToolError(kDamaged, path + ": no such file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError(kDamaged, path + ": cannot open (" + std::strerror(errno) + ")");
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ToolError(kDamaged, path + ": read error");
  return bytes;
}

std::string TempNameFor(const std::string& path) {
  return path + ".madtool-" + std::to_string(::getpid()) + ".tmp";
}

void WriteFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string temp = TempNameFor(path);
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) throw ToolError(kDamaged, path + ": cannot write (" + std::strerror(errno) + ")");
  const bool wrote = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !wrote) {
    std::remove(temp.c_str());
    throw ToolError(kDamaged, path + ": write failed");
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::remove(temp.c_str());
    throw ToolError(kDamaged, path + ": cannot rename into place (" + ec.message() + ")");
  }
}

}  // namespace madtool
