#include "commands.h"
#include "output_file.h"

namespace madtool {

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxSize, const std::string& limitText) {
  const int64_t size = quarry::RegularFileSize(path);
  if (size < 0) throw ToolError(kDamaged, path + ": no such file");
  // Checked before reading, so a huge input costs no memory.
  if (static_cast<uint64_t>(size) > maxSize)
    throw ToolError(kDamaged, path + ": " + std::to_string(size) + " bytes; " + limitText);
  std::string bytes, error;
  if (!quarry::ReadInputFile(path, maxSize, bytes, error)) throw ToolError(kDamaged, error);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void WriteFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string error;
  if (!quarry::WriteOutputFile(path, bytes, error)) throw ToolError(kDamaged, error);
}

std::string Escaped(const std::string& name) {
  std::string shown;
  for (unsigned char c : name) {
    if (c == '\\') {
      shown += "\\\\";
    } else if (c >= 0x20 && c < 0x7F) {
      shown += static_cast<char>(c);
    } else {
      static const char digits[] = "0123456789ABCDEF";
      shown += {'\\', 'x', digits[c >> 4], digits[c & 15]};
    }
  }
  return shown;
}

}  // namespace madtool
