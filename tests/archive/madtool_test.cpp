// madtool end to end: the built binary run on files in a private directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

#include "archive/mad_write.h"
#include "archive/zrcomp.h"
#include "sample_data.h"
#include "test_support.h"

namespace quarry {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using testing_support::ReadFile;
using testing_support::WriteFile;

struct RunResult {
  int code = -1;
  std::string out;
  std::string err;
};

class MadtoolTest : public testing_support::ArchiveTest {
protected:
  RunResult Run(const std::string& args) {
    const std::string errFile = Path("stderr.txt");
    const std::string command = "cd '" + dir.string() + "' && '" MADTOOL_PATH "' " + args +
                                " 2>'" + errFile + "'";
    RunResult result;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const Bytes err = ReadFile(errFile);
    result.err.assign(err.begin(), err.end());
    fs::remove(errFile);
    return result;
  }
  // No temporary or partial files may be left behind.
  void ExpectNoTempFiles() {
    for (const auto& entry : fs::recursive_directory_iterator(dir))
      EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
  }
};

TEST_F(MadtoolTest, CreateListVerifyExtract) {
  const Bytes text = sample::Text(9000, 1);
  const Bytes pixels = sample::Pixels(12000, 2);
  WriteFile(Path("story.txt"), text);
  fs::create_directories(dir / "in");
  WriteFile(Path("in/a_very_long_name.bin"), pixels);
  WriteFile(Path("empty"), {});

  ASSERT_EQ(Run("create pack.mad story.txt in/a_very_long_name.bin empty").code, 0);
  // Exactly what the library writer produces for the same members.
  {
    TMADWrite writer(Path("ref.mad"));
    writer.AddBytes(text, "story.txt");
    writer.AddBytes(pixels, "a_very_long_name.bin");
    writer.AddBytes({}, "empty");
  }
  EXPECT_EQ(ReadFile(Path("pack.mad")), ReadFile(Path("ref.mad")));

  const RunResult list = Run("list pack.mad");
  ASSERT_EQ(list.code, 0) << list.err;
  const size_t packedText = ZRCompress(text).size();
  char line[128];
  std::snprintf(line, sizeof line, "%-12s %u %10zu %10u %10u\n", "STORY.TXT", 4, packedText, 9000u, 14u);
  EXPECT_EQ(list.out.substr(0, list.out.find('\n') + 1), line);
  EXPECT_NE(list.out.find("A_VERY_LONG_ 4"), std::string::npos);
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 3);

  const RunResult verify = Run("verify pack.mad");
  EXPECT_EQ(verify.code, 0) << verify.err;

  ASSERT_EQ(Run("extract pack.mad -C out").code, 0);
  EXPECT_EQ(ReadFile(Path("out/STORY.TXT")), text);
  EXPECT_EQ(ReadFile(Path("out/A_VERY_LONG_")), pixels);
  EXPECT_TRUE(fs::exists(Path("out/EMPTY")));
  EXPECT_EQ(fs::file_size(Path("out/EMPTY")), 0u);

  // An existing file is kept unless --force; options may come first.
  WriteFile(Path("out/STORY.TXT"), {'o', 'l', 'd'});
  const RunResult refused = Run("extract -C out pack.mad story.txt");
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("--force"), std::string::npos);
  EXPECT_EQ(ReadFile(Path("out/STORY.TXT")), Bytes({'o', 'l', 'd'}));
  EXPECT_EQ(Run("extract --force pack.mad Story.Txt -C out").code, 0);
  EXPECT_EQ(ReadFile(Path("out/STORY.TXT")), text);
  EXPECT_EQ(Run("extract pack.mad nosuch -C out").code, 1);
  ExpectNoTempFiles();
}

TEST_F(MadtoolTest, ExtractRefusesNamesThatLeaveTheDirectory) {
  for (const std::string evil : {"../EVIL", "A/B", "..", "\\WIN", "/ABS", "C:X", "."}) {
    const std::string archive = "evil.mad";
    {
      TMADWrite writer(Path(archive));
      writer.AddBytes(Bytes{'o', 'k'}, "fine");
      writer.AddBytes(Bytes{'x'}, evil);
    }
    fs::remove_all(dir / "out");
    const RunResult all = Run("extract " + archive + " -C out");
    EXPECT_EQ(all.code, 1) << evil;
    EXPECT_NE(all.err.find("refusing member name"), std::string::npos) << all.err;
    EXPECT_FALSE(fs::exists(dir / "EVIL"));
    EXPECT_FALSE(fs::exists(dir / "out" / "A"));
    // Nothing at all is written when any chosen name is unsafe.
    EXPECT_FALSE(fs::exists(dir / "out" / "FINE"));
    // The safe member alone still extracts.
    EXPECT_EQ(Run("extract " + archive + " fine -C out").code, 0);
    EXPECT_EQ(ReadFile(Path("out/FINE")), Bytes({'o', 'k'}));
  }
  EXPECT_FALSE(fs::exists(dir.parent_path() / "EVIL"));
}

TEST_F(MadtoolTest, CompressOptionsAnywhereAndDecompress) {
  const Bytes data = sample::Pixels(7777, 3);
  WriteFile(Path("px"), data);
  ASSERT_EQ(Run("compress --stride 2 px a.z").code, 0);
  ASSERT_EQ(Run("compress px b.z --stride 2").code, 0);
  ASSERT_EQ(Run("compress px c.z --stride=2").code, 0);
  EXPECT_EQ(ReadFile(Path("a.z")), ZRCompress(data, 2));
  EXPECT_EQ(ReadFile(Path("b.z")), ReadFile(Path("a.z")));
  EXPECT_EQ(ReadFile(Path("c.z")), ReadFile(Path("a.z")));
  ASSERT_EQ(Run("compress px d.z --no-lzw").code, 0);
  EXPECT_EQ(ReadFile(Path("d.z")), ZRCompress(data, 1, kZrNoLzw));

  const RunResult report = Run("compress --report px e.z");
  EXPECT_EQ(report.code, 0);
  EXPECT_EQ(report.out.rfind("Original size: 7777+5 bytes.\n", 0), 0u);

  ASSERT_EQ(Run("decompress a.z back").code, 0);
  EXPECT_EQ(ReadFile(Path("back")), data);
  ExpectNoTempFiles();
}

TEST_F(MadtoolTest, UsageErrorsExitTwo) {
  EXPECT_EQ(Run("").code, 2);
  EXPECT_EQ(Run("frobnicate x").code, 2);
  EXPECT_EQ(Run("compress onlyone").code, 2);
  EXPECT_EQ(Run("compress a b --stride 4").code, 2);
  EXPECT_EQ(Run("compress a b --bogus").code, 2);
  EXPECT_EQ(Run("list").code, 2);
  EXPECT_EQ(Run("extract x.mad -C").code, 2);
  const RunResult help = Run("--help");
  EXPECT_EQ(help.code, 0);
  for (const char* command : {"list", "extract", "create", "compress", "decompress", "verify"})
    EXPECT_NE(help.out.find(std::string("  ") + command + " "), std::string::npos) << command;
  EXPECT_EQ(Run("verify --help").code, 0);
}

TEST_F(MadtoolTest, DamagedOrMissingInputsExitOneAndWriteNothing) {
  const RunResult missing = Run("list nothere.mad");
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("nothere.mad"), std::string::npos);
  EXPECT_EQ(Run("create new.mad nothere.txt").code, 1);
  EXPECT_FALSE(fs::exists(Path("new.mad")));

  WriteFile(Path("junk.mad"), sample::Random(100, 4));
  const RunResult junk = Run("verify junk.mad");
  EXPECT_EQ(junk.code, 1);
  EXPECT_NE(junk.err.find("junk.mad"), std::string::npos);

  const Bytes text = sample::Text(5000, 5);
  {
    TMADWrite writer(Path("good.mad"));
    writer.AddBytes(text, "text");
    writer.AddBytes(Bytes{1, 2, 3}, "small");
  }
  Bytes damaged = ReadFile(Path("good.mad"));
  damaged[40] ^= 0x5A;  // inside the first member's packed data
  WriteFile(Path("bad.mad"), damaged);
  const RunResult verify = Run("verify bad.mad");
  EXPECT_EQ(verify.code, 1);
  EXPECT_NE(verify.out.find("TEXT         damaged"), std::string::npos) << verify.out;
  EXPECT_NE(verify.out.find("SMALL        ok"), std::string::npos) << verify.out;
  EXPECT_EQ(Run("extract bad.mad text -C out").code, 1);
  EXPECT_FALSE(fs::exists(Path("out/TEXT")));

  Bytes cut = ReadFile(Path("good.mad"));
  cut.resize(cut.size() - 3);
  WriteFile(Path("cut.mad"), cut);
  EXPECT_EQ(Run("verify cut.mad").code, 1);
  EXPECT_EQ(Run("list cut.mad").code, 1);

  Bytes stream = ZRCompress(text);
  stream.resize(stream.size() / 2);
  WriteFile(Path("half.z"), stream);
  const RunResult half = Run("decompress half.z out.txt");
  EXPECT_EQ(half.code, 1);
  EXPECT_NE(half.err.find("half.z"), std::string::npos);
  EXPECT_FALSE(fs::exists(Path("out.txt")));
  ExpectNoTempFiles();
}

}  // namespace
}  // namespace quarry
