// madtool end to end: the built binary run on files in a private folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "archive/mad.h"
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

// A link planted where a temporary file would go with a guessable name
// (the target's name and the process id) must not be followed.
TEST_F(MadtoolTest, TemporaryFilesNeverFollowPlantedLinks) {
  MakeArchive("a.mad", {{{'n', 'e', 'w'}, "m"}});
  WriteBytes(Path("px"), sample::Pixels(300, 1));
  WriteBytes(Path("victim"), {'k', 'e', 'e', 'p'});
  fs::create_directories(dir.Path() / "out");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"extract", "a.mad", "-C", "out"}, {"compress", "px", "out/M"}, {"create", "out/M", "px"}}) {
    fs::remove(Path("out/M"));
    std::vector<std::string> argv{MADTOOL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    EXPECT_EQ(RunWithPlantedFiles(dir.Path(), argv, [&](pid_t pid) {
                fs::create_symlink(Path("victim"), Path("out/M.madtool-" + std::to_string(pid) + ".tmp"));
              }), 0) << args[0];
    EXPECT_EQ(ReadBytes(Path("victim")), Bytes({'k', 'e', 'e', 'p'})) << args[0];
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Path("out/M")))) << args[0];
    for (const auto& entry : fs::directory_iterator(dir.Path() / "out")) fs::remove(entry.path());
  }
}

// A plain-list archive whose count claims more entries than the list holds.
Bytes ShortListArchive() {
  Bytes image = {'Z', 'E', 'P', 'H', 'Y', 'R', 'A', 0xFA, 0xFE, 0x01, 19, 0, 0, 0, 'h', 'e', 'l', 'l', 'o', 0xFF, 0xFF, 5};
  const std::string name = "HELLO       ";
  image.insert(image.end(), name.begin(), name.end());
  for (uint8_t field : {14, 5, 5}) image = image + Bytes{field, 0, 0, 0};
  image.push_back(kMadStored);
  return image;
}

TEST_F(MadtoolTest, DamageIsReportedAlikeAndNamesAreEscaped) {
  MakeArchive("esc.mad", {{{'x'}, "a\x1b[2J\\b"}});
  const RunResult list = Expect(0, "list esc.mad");
  EXPECT_EQ(list.out.find('\x1b'), std::string::npos);
  EXPECT_EQ(list.out.rfind("A\\x1B[2J\\\\B ", 0), 0u) << list.out;

  WriteBytes(Path("short.mad"), ShortListArchive());
  for (const char* command : {"list short.mad", "verify short.mad", "extract short.mad -C out"})
    EXPECT_NE(Expect(1, command).err.find("short.mad: the file list is damaged (1 entry readable)"),
              std::string::npos) << command;
  EXPECT_FALSE(fs::exists(Path("out/HELLO")));

  // The second of three members is damaged: the first was written, and the message says so.
  const Bytes text = sample::Text(5000, 5);
  MakeArchive("mid.mad", {{{1, 2, 3}, "one"}, {text, "two"}, {{4}, "three"}});
  Bytes damaged = ReadBytes(Path("mid.mad"));
  damaged[TMad(Path("mid.mad")).Entries()[1].start + 40] ^= 0x5A;
  WriteBytes(Path("mid.mad"), damaged);
  const RunResult extract = Expect(1, "extract mid.mad -C part");
  EXPECT_NE(extract.err.find("member TWO is damaged"), std::string::npos) << extract.err;
  EXPECT_NE(extract.err.find("1 of 3 members written: part/ONE\n"), std::string::npos) << extract.err;
  EXPECT_EQ(ReadBytes(Path("part/ONE")), Bytes({1, 2, 3}));
  EXPECT_FALSE(fs::exists(Path("part/TWO")));
}

// An input whose first layer would be longer than a decoder may produce is
// refused before it is read.
TEST_F(MadtoolTest, CompressRefusesWhatItCouldNotReadBack) {
  {
    std::ofstream big(Path("big"), std::ios::binary);
  }
  fs::resize_file(Path("big"), kMaxDecodedSize - 4);
  EXPECT_NE(Expect(1, "compress big big.z").err.find("big: 268435452 bytes; one stream holds at most 268435451"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(Path("big.z")));
}

}  // namespace
}  // namespace quarry
