#include "mad_pack.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

#include "archive/mad_write.h"
#include "core/text.h"
#include "output_file.h"

namespace datagen {

std::vector<uint8_t> ToCrLf(const std::vector<uint8_t>& text) {
  std::vector<uint8_t> out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

bool IsTextMember(const std::string& name) {
  std::string upper = quarry::UpperCase(name);
  auto endsWith = [&](const std::string& ext) {
    return upper.size() >= ext.size() && upper.compare(upper.size() - ext.size(), ext.size(), ext) == 0;
  };
  return endsWith(".INI") || endsWith(".LST") || endsWith(".MPT") || upper == "INFO";
}

std::string MemberName(const std::string& path) {
  std::string name = std::filesystem::path(path).filename().string();
  // The archive keeps 12 characters; a longer name would be found under a
  // different, cut name, so it is refused here rather than stored.
  if (name.empty() || name.size() > 12) throw std::runtime_error("member name must be 1 to 12 characters: " + path);
  return name;
}

void PackMad(const std::string& archive, const std::vector<std::string>& files) {
  std::set<std::string> seen;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> members;
  for (const std::string& path : files) {
    std::string name = MemberName(path);
    if (!seen.insert(quarry::UpperCase(name)).second) throw std::runtime_error("two members named " + name);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    members.emplace_back(name, IsTextMember(name) ? ToCrLf(bytes) : bytes);
  }
  // Written in a private folder and renamed into place only when complete,
  // so an interrupted build never leaves a half-written archive that looks up
  // to date, and nothing planted beside the archive is followed.
  quarry::TOutputFolder output(archive);
  if (output.FilePath().empty()) throw std::runtime_error(output.Error());
  {
    quarry::TMADWrite writer(output.FilePath());
    for (const auto& [name, bytes] : members) writer.AddBytes(bytes, name);
    if (!writer.Done()) throw std::runtime_error("cannot write " + archive);
  }
  if (!output.Commit()) throw std::runtime_error(output.Error());
}

}  // namespace datagen
