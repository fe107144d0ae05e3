// MAD archives: the writer's exact bytes, the reader's lookups and log
// lines, and archives built by hand with stored members and a plain list.
#include <gtest/gtest.h>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "archive/zrcomp.h"
#include "core/stream.h"
#include "sample_data.h"
#include "test_support.h"

namespace quarry {
namespace {

using Bytes = std::vector<uint8_t>;
using testing_support::ReadFile;
using testing_support::Stopped;
using testing_support::WriteFile;

class MadTest : public testing_support::ArchiveTest {
protected:
  void AppendU32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void AppendEntry(Bytes& list, const std::string& name, uint32_t start, uint32_t packed,
                   uint32_t real, uint8_t marker) {
    list.push_back(static_cast<uint8_t>(name.size()));
    list.insert(list.end(), name.begin(), name.end());
    list.insert(list.end(), 12 - name.size(), ' ');
    AppendU32(list, start);
    AppendU32(list, packed);
    AppendU32(list, real);
    list.push_back(marker);
  }
  static const Bytes& Header() {
    static const Bytes h = {'Z', 'E', 'P', 'H', 'Y', 'R', 'A', 0xFA, 0xFE};
    return h;
  }
};

TEST_F(MadTest, WriterPinsHeaderMemberAndList) {
  const std::string path = Path("one.mad");
  {
    TMADWrite writer(path);
    TMemoryStream member;
    member.Write("A", 1);
    writer.AddStream(member, "p");
    EXPECT_TRUE(writer.Done());
  }
  const Bytes file = ReadFile(path);
  const Bytes front = {'Z', 'E', 'P', 'H', 'Y', 'R', 'A', 0xFA, 0xFE, 0x9E, 20, 0, 0, 0,
                       0, 1, 0, 0, 0, 'A'};
  ASSERT_GT(file.size(), front.size());
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 20), front);
  Bytes list = {1, 0};
  AppendEntry(list, "P", 14, 6, 1, 4);
  Bytes decoded;
  EXPECT_EQ(ZRUnCompress(std::span(file).subspan(20), decoded), file.size() - 20);
  EXPECT_EQ(decoded, list);
}

TEST_F(MadTest, EmptyArchiveIsValidAndFindsNothing) {
  const std::string path = Path("empty.mad");
  EXPECT_TRUE(TMADWrite(path).Done());
  // The list "00 00" packs best as a stored layer.
  const Bytes expect = {'Z', 'E', 'P', 'H', 'Y', 'R', 'A', 0xFA, 0xFE, 0x9E, 14, 0, 0, 0,
                        0, 2, 0, 0, 0, 0, 0};
  EXPECT_EQ(ReadFile(path), expect);
  TMad mad(path);
  EXPECT_EQ(mad.Count(), 0);
  EXPECT_TRUE(mad.IndexIntact());
  EXPECT_FALSE(mad.HasFile("x"));
  try {
    mad.OpenStream("x");
    FAIL() << "a missing member must stop";
  } catch (const Stopped& stop) {
    EXPECT_EQ(std::string(stop.what()), "File not found in MAD! (X)");
    EXPECT_EQ(stop.tag, "MADREAD, TMad.OpenStream");
  }
  EXPECT_THROW(mad.OpenPointer("x"), Stopped);
  EXPECT_THROW(mad.SaveMadFileAs("x", Path("out")), Stopped);
}

TEST_F(MadTest, MissingArchiveStops) {
  const std::string path = Path("absent.mad");
  try {
    TMad mad(path);
    FAIL() << "a missing archive must stop";
  } catch (const Stopped& stop) {
    EXPECT_EQ(std::string(stop.what()), "Error accessing " + path);
    EXPECT_EQ(stop.tag, "MADREAD, TMad.Init");
  }
}

TEST_F(MadTest, WriterLogLinesAndVerboseAdd) {
  const std::string path = Path("log.mad");
  {
    TMADWrite writer(path);
    writer.Verbose = true;
    writer.AddBytes(Bytes(10, 'x'), "Map1");
  }
  const std::string add = "(MADWRITE, TMADWrite.AddStream) ";
  const Bytes packed = ZRCompress(Bytes(10, 'x'));
  const std::vector<std::string> expect = {
      "(MADWRITE, TMADWrite.Init) (" + path + ")",
      add + "Adding stream as 'MAP1'",
      add + "File start: 14",
      add + "File size : " + std::to_string(packed.size()),
      add + "Real size : 10",
      "(MADWRITE, TMADWrite.Done) (" + path + ")",
  };
  EXPECT_EQ(lines, expect);
}

TEST_F(MadTest, ReaderLogLinesAndVerboseLookup) {
  const std::string path = Path("read.mad");
  {
    TMADWrite writer(path);
    writer.AddBytes(Bytes{'h', 'i'}, "greet");
  }
  lines.clear();
  {
    TMad mad(path);
    const uint32_t headStart = mad.Entries()[0].start + mad.Entries()[0].compressedSize;
    mad.Verbose = true;
    auto stream = mad.OpenStream("Greet");
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->Position(), 0);
    EXPECT_EQ(stream->Bytes(), Bytes({'h', 'i'}));
    const std::string init = "(MADREAD, TMad.Init) ";
    const std::string open = "(MADREAD, TMad.OpenStream) ";
    const MadEntry& e = mad.Entries()[0];
    const std::vector<std::string> expect = {
        init + "(" + path + ")",
        init + "HeadStart=" + std::to_string(headStart),
        init + "Compressed filelist...",
        init + "Filelist unpacked into memory.",
        init + "Datafile contains 1 file(s).",
        init + "Filelist loaded...",
        open + "(GREET)",
        open + "Start in file: 14",
        open + "Compression marker: 4",
        open + "Compressed size: " + std::to_string(e.compressedSize),
        open + "Uncompressed size: 2",
    };
    EXPECT_EQ(lines, expect);
    lines.clear();
  }
  EXPECT_EQ(lines, std::vector<std::string>({"(MADREAD, TMad.Done) (" + path + ")"}));
}

TEST_F(MadTest, NamesAreCaseBlindCutAndNeverLongerThanTwelve) {
  const std::string path = Path("names.mad");
  {
    TMADWrite writer(path);
    writer.AddBytes(Bytes{1}, "p");
    writer.AddBytes(Bytes{2}, "fifteen_chars_x");  // stored as its first 12
    writer.AddBytes(Bytes{3}, "trail  ");          // trailing blanks removed
    writer.AddBytes(Bytes{4}, "P");                 // duplicate: the first wins
  }
  TMad mad(path);
  ASSERT_EQ(mad.Count(), 4);
  EXPECT_EQ(mad.Entries()[0].name, "P");
  EXPECT_EQ(mad.Entries()[1].name, "FIFTEEN_CHAR");
  EXPECT_EQ(mad.Entries()[2].name, "TRAIL");
  EXPECT_EQ(mad.OpenPointer("p"), Bytes({1}));
  EXPECT_EQ(mad.OpenPointer("P"), Bytes({1}));
  EXPECT_EQ(mad.OpenPointer("Fifteen_Char"), Bytes({2}));
  EXPECT_EQ(mad.OpenPointer("trail"), Bytes({3}));
  EXPECT_TRUE(mad.HasFile("fifteen_char"));
  EXPECT_FALSE(mad.HasFile("fifteen_chars"));
  EXPECT_FALSE(mad.HasFile("fifteen_chars_x"));
  EXPECT_THROW(mad.OpenStream("fifteen_chars_x"), Stopped);
}

TEST_F(MadTest, AddStreamKeepsPositionAndHeadStartFollowsMembers) {
  const std::string path = Path("sizes.mad");
  const Bytes text = sample::Text(20000, 1);
  const Bytes pixels = sample::Pixels(30000, 2);
  {
    TMADWrite writer(path);
    TMemoryStream stream;
    stream.Write(text.data(), static_cast<int64_t>(text.size()));
    stream.Seek(1234, SeekOrigin::Begin);
    writer.AddStream(stream, "text");
    EXPECT_EQ(stream.Position(), 1234);
    writer.AddBytes(pixels, "pixels");
    writer.AddBytes({}, "empty");
    EXPECT_EQ(writer.Count(), 3);
    EXPECT_TRUE(writer.Done());
  }
  const Bytes file = ReadFile(path);
  TMad mad(path);
  uint32_t sum = 0;
  uint32_t expectedStart = 14;
  for (const MadEntry& e : mad.Entries()) {
    EXPECT_EQ(e.start, expectedStart);
    EXPECT_EQ(e.marker, 4);
    expectedStart += e.compressedSize;
    sum += e.compressedSize;
  }
  const uint32_t headStart = file[10] | (file[11] << 8) | (file[12] << 16) | (file[13] << 24);
  EXPECT_EQ(headStart, 14 + sum);
  EXPECT_EQ(mad.OpenStream("TEXT")->Bytes(), text);
  EXPECT_EQ(mad.OpenPointer("pixels"), pixels);
  EXPECT_TRUE(mad.OpenPointer("empty").empty());
  EXPECT_TRUE(mad.SaveMadFileAs("pixels", Path("pixels.bin")));
  EXPECT_EQ(ReadFile(Path("pixels.bin")), pixels);
  // An existing file is replaced.
  WriteFile(Path("t.bin"), Bytes(50000, 'z'));
  EXPECT_TRUE(mad.SaveMadFileAs("text", Path("t.bin")));
  EXPECT_EQ(ReadFile(Path("t.bin")), text);
}

// A hand-made archive with a plain list (flags bit 0): stored and packed
// members, a lower-case and a duplicate name, an unknown marker, and an
// entry that runs past the end of the file.
TEST_F(MadTest, HandBuiltPlainListArchive) {
  Bytes file = Header();
  file.push_back(0x01);
  AppendU32(file, 0);  // HeadStart, set below
  file.insert(file.end(), {'h', 'e', 'l', 'l', 'o'});                       // 14: stored
  const Bytes packed = {0, 2, 0, 0, 0, 'h', 'i'};                           // 19: ZRCOMP
  file.insert(file.end(), packed.begin(), packed.end());
  const uint32_t headStart = static_cast<uint32_t>(file.size());            // 26
  for (int i = 0; i < 4; ++i) file[10 + i] = static_cast<uint8_t>(headStart >> (8 * i));
  Bytes list = {7, 0};
  AppendEntry(list, "raw", 14, 5, 99, 0);     // real size ignored for marker 0
  AppendEntry(list, "PK", 19, 7, 2, 4);
  AppendEntry(list, "RAW", 14, 2, 2, 0);      // duplicate: never used
  AppendEntry(list, "SHORT", 19, 7, 1, 4);    // real size smaller than the data
  AppendEntry(list, "ODD", 14, 5, 5, 7);      // unknown marker
  AppendEntry(list, "PAST", 24, 1000, 1000, 0);
  AppendEntry(list, "FAR", 0xFFFFFF00u, 0xFFFFFFFFu, 5, 4);
  file.insert(file.end(), list.begin(), list.end());
  const std::string path = Path("hand.mad");
  WriteFile(path, file);

  for (int pass = 0; pass < 2; ++pass) {
    lines.clear();
    auto mad = pass == 0 ? std::make_unique<TMad>(path) : std::make_unique<TMad>("hand.mad", file);
    EXPECT_EQ(lines[2], "(MADREAD, TMad.Init) Uncompressed filelist...");
    EXPECT_EQ(lines[3], "(MADREAD, TMad.Init) Datafile contains 7 file(s).");
    ASSERT_EQ(mad->Count(), 7);
    EXPECT_TRUE(mad->IndexIntact());
    EXPECT_EQ(mad->Entries()[0].name, "RAW");
    EXPECT_EQ(mad->OpenPointer("raw"), Bytes({'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(mad->OpenStream("Raw")->Bytes(), Bytes({'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(mad->OpenPointer("pk"), Bytes({'h', 'i'}));
    EXPECT_EQ(mad->OpenPointer("short"), Bytes({'h'}));
    EXPECT_EQ(mad->OpenStream("short")->Bytes(), Bytes({'h', 'i'}));
    EXPECT_EQ(mad->OpenPointer("past"), Bytes(file.begin() + 24, file.end()));
    EXPECT_TRUE(mad->OpenPointer("far").empty());
    bool intact = true;
    Bytes bytes;
    EXPECT_TRUE(mad->ReadEntry(mad->Entries()[5], bytes, &intact));
    EXPECT_FALSE(intact);
    EXPECT_TRUE(mad->ReadEntry(mad->Entries()[1], bytes, &intact));
    EXPECT_TRUE(intact);

    lines.clear();
    EXPECT_EQ(mad->OpenStream("odd"), nullptr);
    EXPECT_TRUE(mad->OpenPointer("odd").empty());
    EXPECT_FALSE(mad->SaveMadFileAs("odd", Path("odd.bin")));
    EXPECT_FALSE(std::filesystem::exists(Path("odd.bin")));
    EXPECT_EQ(lines, std::vector<std::string>({
                         "[MADREAD, TMad.OpenStream] Unknown MAD compression type!",
                         "[MADREAD, TMad.OpenPointer] Unknown MAD compression type!",
                         "[MADREAD, TMad.SaveMadFileAs] Unknown MAD compression type!",
                     }));
  }
}

TEST_F(MadTest, ListShorterThanItsCountKeepsWholeEntries) {
  Bytes file = Header();
  file.push_back(0x01);
  AppendU32(file, 14);
  Bytes list = {3, 0};
  AppendEntry(list, "A", 0, 1, 1, 0);
  AppendEntry(list, "B", 1, 1, 1, 0);
  list.resize(list.size() - 1);  // B's marker is missing
  file.insert(file.end(), list.begin(), list.end());
  TMad mad("short.mad", file);
  EXPECT_EQ(mad.Count(), 1);
  EXPECT_FALSE(mad.IndexIntact());
  EXPECT_EQ(mad.OpenPointer("a"), Bytes({'Z'}));
}

}  // namespace
}  // namespace quarry
