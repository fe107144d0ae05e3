// Archive commands: list, extract, create, verify.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "archive/zrcomp.h"
#include "commands.h"
#include "output_file.h"

namespace madtool {
namespace {

namespace fs = std::filesystem;
using quarry::MadEntry;
using quarry::TMad;

// Opens an archive after checking that it is a readable MAD file at all;
// the library itself reads only the flags and HeadStart.
std::unique_ptr<TMad> OpenArchive(const std::string& path) {
  // Member offsets are 32 bits wide.
  const std::vector<uint8_t> image = ReadWholeFile(path, UINT32_MAX, "larger than any MAD archive");
  static const uint8_t signature[9] = {'Z', 'E', 'P', 'H', 'Y', 'R', 'A', 0xFA, 0xFE};
  if (image.size() < quarry::kMadHeaderSize ||
      !std::equal(std::begin(signature), std::end(signature), image.begin()))
    throw ToolError(kDamaged, path + ": not a MAD archive (bad header)");
  return std::make_unique<TMad>(path, image);
}

std::string Describe(const MadEntry& e, const std::vector<uint8_t>& bytes, bool known) {
  if (!known) return "unknown marker " + std::to_string(e.marker);
  return "decoded " + std::to_string(bytes.size()) + " of " + std::to_string(e.realSize) +
         " bytes";
}

// list, verify and extract all stop on a damaged file list, with this text.
void CheckFileList(const TMad& mad, const std::string& path) {
  if (mad.IndexIntact()) return;
  const size_t n = mad.Count();
  throw ToolError(kDamaged, path + ": the file list is damaged (" + std::to_string(n) +
                                (n == 1 ? " entry" : " entries") + " readable)");
}

int RunList(const ToolArgs& args) {
  const std::string& path = args.files[0];
  auto mad = OpenArchive(path);
  for (const MadEntry& e : mad->Entries())
    std::printf("%-12s %u %10u %10u %10u\n", Escaped(e.name).c_str(), e.marker, e.compressedSize,
                e.realSize, e.start);
  CheckFileList(*mad, path);
  return kOk;
}

// A member name becomes a file name inside DIR only when it cannot point
// anywhere else.
bool SafeName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.find("..") != std::string::npos) return false;
  for (unsigned char c : name)
    if (c == '/' || c == '\\' || c == ':' || c < 0x20 || c == 0x7F) return false;
  return true;
}

int RunExtract(const ToolArgs& args) {
  const std::string& path = args.files[0];
  const std::string dir = args.values.count("-C") ? args.values.at("-C") : ".";
  const bool force = args.Has("--force");
  auto mad = OpenArchive(path);
  // Members beyond a damaged list are unknown; extracting "all" would not be.
  CheckFileList(*mad, path);

  std::vector<const MadEntry*> chosen;
  if (args.files.size() > 1) {
    for (size_t i = 1; i < args.files.size(); ++i) {
      const int at = mad->Find(args.files[i]);
      if (at < 0) throw ToolError(kDamaged, path + ": no member named " + Escaped(args.files[i]));
      chosen.push_back(&mad->Entries()[static_cast<size_t>(at)]);
    }
  } else {
    // The reader always finds the first of equal names; so does extract.
    std::set<std::string> seen;
    for (const MadEntry& e : mad->Entries())
      if (seen.insert(e.name).second) chosen.push_back(&e);
  }
  for (const MadEntry* e : chosen)
    if (!SafeName(e->name))
      throw ToolError(kDamaged, path + ": refusing member name '" + Escaped(e->name) +
                                    "': it would not stay inside " + dir);

  std::error_code ec;
  fs::create_directories(dir, ec);
  if (!fs::is_directory(dir)) throw ToolError(kDamaged, dir + ": not a directory");
  auto outPath = [&](const MadEntry* e) { return (fs::path(dir) / e->name).string(); };
  for (const MadEntry* e : chosen)
    if (fs::exists(outPath(e)) && !force)
      throw ToolError(kDamaged, Escaped(outPath(e)) + " exists (use --force to overwrite)");
  std::vector<std::string> written;
  try {
    for (const MadEntry* e : chosen) {
      std::vector<uint8_t> bytes;
      bool intact = false;
      const bool known = mad->ReadEntry(*e, bytes, &intact);
      if (!intact)
        throw ToolError(kDamaged, path + ": member " + Escaped(e->name) + " is damaged (" +
                                      Describe(*e, bytes, known) + ")");
      WriteFileAtomic(outPath(e), bytes);
      written.push_back(Escaped(outPath(e)));
      std::printf("%s\n", written.back().c_str());
    }
  } catch (const ToolError& error) {
    // A run that stops part way says what it has already written.
    if (chosen.size() < 2) throw;
    std::string report = std::string(error.what()) + "\n" + std::to_string(written.size()) + " of " +
                         std::to_string(chosen.size()) + " members written";
    for (size_t i = 0; i < written.size(); ++i) report += (i ? ", " : ": ") + written[i];
    throw ToolError(error.code, report);
  }
  return kOk;
}

int RunCreate(const ToolArgs& args) {
  const std::string& path = args.files[0];
  // Everything is read first so an unreadable input leaves nothing behind.
  std::vector<std::pair<std::string, std::vector<uint8_t>>> members;
  for (size_t i = 1; i < args.files.size(); ++i) {
    const std::string name = fs::path(args.files[i]).filename().string();
    members.emplace_back(name, ReadWholeFile(args.files[i], quarry::kMaxCompressInput,
                                             "a MAD member holds at most " +
                                                 std::to_string(quarry::kMaxCompressInput)));
  }
  // The archive writer opens its file by name, so it writes inside a private
  // folder of its own.
  quarry::TOutputFolder output(path);
  if (output.FilePath().empty()) throw ToolError(kDamaged, output.Error());
  bool ok;
  {
    quarry::TMADWrite writer(output.FilePath());
    for (const auto& [name, bytes] : members) writer.AddBytes(bytes, name);
    ok = writer.Done();
  }
  if (!ok) throw ToolError(kDamaged, path + ": cannot write the archive");
  if (!output.Commit()) throw ToolError(kDamaged, output.Error());
  return kOk;
}

int RunVerify(const ToolArgs& args) {
  const std::string& path = args.files[0];
  auto mad = OpenArchive(path);
  size_t bad = 0;
  for (const MadEntry& e : mad->Entries()) {
    std::vector<uint8_t> bytes;
    bool intact = false;
    const bool known = mad->ReadEntry(e, bytes, &intact);
    std::printf("%-12s %s\n", Escaped(e.name).c_str(),
                intact ? "ok" : ("damaged: " + Describe(e, bytes, known)).c_str());
    bad += intact ? 0 : 1;
  }
  CheckFileList(*mad, path);
  if (bad > 0)
    throw ToolError(kDamaged, path + ": " + std::to_string(bad) + " of " +
                                  std::to_string(mad->Count()) + " members damaged");
  return kOk;
}

const MadtoolCommand kList{{"list", "list ARCHIVE",
                            "One line per member: name, marker, compressed size, real size, start.",
                            {}, 1, 1, RunList}};
const MadtoolCommand kExtract{
    {"extract", "extract ARCHIVE [MEMBER...] [-C DIR] [--force]",
     "Writes decoded members (all by default) as files into DIR (default: the current "
     "directory);\n      existing files are replaced only with --force.",
     {{"-C", true}, {"--force", false}}, 1, SIZE_MAX, RunExtract}};
const MadtoolCommand kCreate{
    {"create", "create ARCHIVE FILE...",
     "Writes a new archive of the files, named by their base names (upper case, at most 12\n"
     "      characters), in the given order, each packed with ZRCOMP.",
     {}, 1, SIZE_MAX, RunCreate}};
const MadtoolCommand kVerify{
    {"verify", "verify ARCHIVE",
     "Decodes every member and checks it against its real size; exit 0 only if all agree.", {}, 1,
     1, RunVerify}};

}  // namespace
}  // namespace madtool
