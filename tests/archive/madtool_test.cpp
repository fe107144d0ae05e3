// madtool end to end: the built binary run on files in a private folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "archive/mad_write.h"
#include "archive/zrcomp.h"
#include "archive_fixture.h"
#include "sample_data.h"

namespace quarry {
namespace {

namespace fs = std::filesystem;

struct RunResult { int code = -1; std::string out, err; };

class MadtoolTest : public ArchiveTest {
protected:
  RunResult Run(const std::string& args) {
    const std::string errFile = Path("stderr.txt");
    RunResult result;
    std::FILE* pipe = ::popen(("cd '" + dir.Path().string() + "' && '" MADTOOL_PATH "' " + args + " 2>'" + errFile + "'").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = ReadFileBytes(errFile);
    fs::remove(errFile);
    return result;
  }
  RunResult Expect(int code, const std::string& args) {  // runs and checks the exit code
    RunResult result = Run(args);
    EXPECT_EQ(result.code, code) << args << ": " << result.err;
    return result;
  }
  void ExpectNoTempFiles() {  // nor partial files
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
      EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
  }
  void MakeArchive(const std::string& name, const std::vector<std::pair<Bytes, std::string>>& members) {
    TMADWrite writer(Path(name));
    for (const auto& [bytes, member] : members) writer.AddBytes(bytes, member);
  }
};

TEST_F(MadtoolTest, CreateListVerifyExtract) {
  const Bytes text = sample::Text(9000, 1), pixels = sample::Pixels(12000, 2);
  WriteBytes(Path("story.txt"), text);
  fs::create_directories(dir.Path() / "in");
  WriteBytes(Path("in/a_very_long_name.bin"), pixels);
  WriteBytes(Path("empty"), {});
  ASSERT_EQ(Run("create pack.mad story.txt in/a_very_long_name.bin empty").code, 0);
  // Exactly what the library writer produces for the same members.
  MakeArchive("ref.mad", {{text, "story.txt"}, {pixels, "a_very_long_name.bin"}, {{}, "empty"}});
  EXPECT_EQ(ReadBytes(Path("pack.mad")), ReadBytes(Path("ref.mad")));

  const RunResult list = Run("list pack.mad");
  ASSERT_EQ(list.code, 0) << list.err;
  char line[128];
  std::snprintf(line, sizeof line, "%-12s %u %10zu %10u %10u\n", "STORY.TXT", 4, ZRCompress(text).size(), 9000u, 14u);
  EXPECT_EQ(list.out.substr(0, list.out.find('\n') + 1), line);
  EXPECT_NE(list.out.find("A_VERY_LONG_ 4"), std::string::npos);
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 3);
  Expect(0, "verify pack.mad");

  ASSERT_EQ(Run("extract pack.mad -C out").code, 0);
  EXPECT_EQ(ReadBytes(Path("out/STORY.TXT")), text);
  EXPECT_EQ(ReadBytes(Path("out/A_VERY_LONG_")), pixels);
  EXPECT_EQ(fs::file_size(Path("out/EMPTY")), 0u);

  // An existing file is kept unless --force; options may come first.
  WriteBytes(Path("out/STORY.TXT"), {'o', 'l', 'd'});
  EXPECT_NE(Expect(1, "extract -C out pack.mad story.txt").err.find("--force"), std::string::npos);
  EXPECT_EQ(ReadBytes(Path("out/STORY.TXT")), Bytes({'o', 'l', 'd'}));
  Expect(0, "extract --force pack.mad Story.Txt -C out");
  EXPECT_EQ(ReadBytes(Path("out/STORY.TXT")), text);
  Expect(1, "extract pack.mad nosuch -C out");
  ExpectNoTempFiles();
}

TEST_F(MadtoolTest, ExtractRefusesNamesThatLeaveTheDirectory) {
  for (const std::string evil : {"../EVIL", "A/B", "..", "\\WIN", "/ABS", "C:X", "."}) {
    MakeArchive("evil.mad", {{{'o', 'k'}, "fine"}, {{'x'}, evil}});
    fs::remove_all(dir.Path() / "out");
    EXPECT_NE(Expect(1, "extract evil.mad -C out").err.find("refusing member name"), std::string::npos) << evil;
    EXPECT_FALSE(fs::exists(dir.Path() / "EVIL"));
    EXPECT_FALSE(fs::exists(dir.Path() / "out" / "A"));
    // Nothing is written when any chosen name is unsafe; the safe one alone extracts.
    EXPECT_FALSE(fs::exists(dir.Path() / "out" / "FINE"));
    Expect(0, "extract evil.mad fine -C out");
    EXPECT_EQ(ReadBytes(Path("out/FINE")), Bytes({'o', 'k'}));
  }
  EXPECT_FALSE(fs::exists(dir.Path().parent_path() / "EVIL"));
}

TEST_F(MadtoolTest, CompressOptionsAnywhereDecompressAndUsageErrors) {
  const Bytes data = sample::Pixels(7777, 3);
  WriteBytes(Path("px"), data);
  for (const char* args : {"compress --stride 2 px a.z", "compress px b.z --stride 2", "compress px c.z --stride=2"}) {
    ASSERT_EQ(Run(args).code, 0) << args;
    EXPECT_EQ(ReadBytes(Path(std::string(1, args[std::string(args).find(".z") - 1]) + ".z")), ZRCompress(data, 2)) << args;
  }
  ASSERT_EQ(Run("compress px d.z --no-lzw").code, 0);
  EXPECT_EQ(ReadBytes(Path("d.z")), ZRCompress(data, 1, kZrNoLzw));
  EXPECT_EQ(Expect(0, "compress --report px e.z").out.rfind("Original size: 7777+5 bytes.\n", 0), 0u);
  ASSERT_EQ(Run("decompress a.z back").code, 0);
  EXPECT_EQ(ReadBytes(Path("back")), data);
  ExpectNoTempFiles();

  for (const char* args : {"", "frobnicate x", "compress onlyone", "compress a b --stride 4", "compress a b --bogus",
                           "list", "extract x.mad -C"})
    Expect(2, args);
  const RunResult help = Expect(0, "--help");
  for (const char* command : {"list", "extract", "create", "compress", "decompress", "verify"})
    EXPECT_NE(help.out.find(std::string("  ") + command + " "), std::string::npos) << command;
  Expect(0, "verify --help");
}

TEST_F(MadtoolTest, DamagedOrMissingInputsExitOneAndWriteNothing) {
  EXPECT_NE(Expect(1, "list nothere.mad").err.find("nothere.mad"), std::string::npos);
  Expect(1, "create new.mad nothere.txt");
  EXPECT_FALSE(fs::exists(Path("new.mad")));

  WriteBytes(Path("junk.mad"), sample::Random(100, 4));
  EXPECT_NE(Expect(1, "verify junk.mad").err.find("junk.mad"), std::string::npos);

  const Bytes text = sample::Text(5000, 5);
  MakeArchive("good.mad", {{text, "text"}, {{1, 2, 3}, "small"}});
  Bytes damaged = ReadBytes(Path("good.mad"));
  damaged[40] ^= 0x5A;  // inside the first member's packed data
  WriteBytes(Path("bad.mad"), damaged);
  const RunResult verify = Expect(1, "verify bad.mad");
  EXPECT_NE(verify.out.find("TEXT         damaged"), std::string::npos) << verify.out;
  EXPECT_NE(verify.out.find("SMALL        ok"), std::string::npos) << verify.out;
  Expect(1, "extract bad.mad text -C out");
  EXPECT_FALSE(fs::exists(Path("out/TEXT")));

  damaged = ReadBytes(Path("good.mad"));
  damaged.resize(damaged.size() - 3);
  WriteBytes(Path("cut.mad"), damaged);
  Expect(1, "verify cut.mad");
  Expect(1, "list cut.mad");

  Bytes stream = ZRCompress(text);
  stream.resize(stream.size() / 2);
  WriteBytes(Path("half.z"), stream);
  EXPECT_NE(Expect(1, "decompress half.z out.txt").err.find("half.z"), std::string::npos);
  EXPECT_FALSE(fs::exists(Path("out.txt")));
  ExpectNoTempFiles();
}

}  // namespace
}  // namespace quarry
