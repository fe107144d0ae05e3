// Packs loose files into a MAD archive under their base names.
#pragma once

#include <string>
#include <vector>

namespace datagen {

// The list readers split lines at CR and skip the byte after it, so text
// members must use CR LF; sources keep plain LF in the repository.
std::vector<uint8_t> ToCrLf(const std::vector<uint8_t>& text);

// True for members the game reads as text lines (.ini, .lst, .mpt, "info").
bool IsTextMember(const std::string& name);

// Member name for a path: its base name, which must be 1 to 12 characters.
// Throws std::runtime_error otherwise.
std::string MemberName(const std::string& path);

// Writes the archive; throws std::runtime_error when a file cannot be read,
// two files share a member name, or the archive cannot be written.
void PackMad(const std::string& archive, const std::vector<std::string>& files);

}  // namespace datagen
