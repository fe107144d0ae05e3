// MAD archives: the writer's exact bytes, the reader's lookups and log lines,
// and a hand-built plain-list archive with entries past the file's end.
#include <gtest/gtest.h>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "archive/zrcomp.h"
#include "archive_fixture.h"
#include "core/stream.h"
#include "sample_data.h"

namespace quarry {
namespace {

void AppendU32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
Bytes PlainHeader(uint32_t headStart) {  // flags bit 0: the list is not packed
  Bytes b = {'Z', 'E', 'P', 'H', 'Y', 'R', 'A', 0xFA, 0xFE, 0x01};
  AppendU32(b, headStart);
  return b;
}
void AppendEntry(Bytes& list, const std::string& name, uint32_t start, uint32_t packed, uint32_t real, uint8_t marker) {
  list.push_back(static_cast<uint8_t>(name.size()));
  list.insert(list.end(), name.begin(), name.end());
  list.insert(list.end(), 12 - name.size(), ' ');
  for (uint32_t v : {start, packed, real}) AppendU32(list, v);
  list.push_back(marker);
}
template <class F>
void ExpectStop(F f, const std::string& message, const std::string& tag) {
  try {
    f();
    ADD_FAILURE() << "missing data must stop: " << message;
  } catch (const Stopped& stop) {
    EXPECT_EQ(std::string(stop.what()), message);
    EXPECT_EQ(stop.tag, tag);
  }
}

using MadTest = ArchiveTest;

TEST_F(MadTest, WriterPinsHeaderMemberListAndEmptyArchive) {
  {
    TMADWrite writer(Path("one.mad"));
    TMemoryStream member;
    member.Write("A", 1);
    writer.AddStream(member, "p");
    EXPECT_TRUE(writer.Done());
  }
  const Bytes file = ReadBytes(Path("one.mad"));
  ASSERT_GT(file.size(), 20u);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 20),
            Bytes({'Z', 'E', 'P', 'H', 'Y', 'R', 'A', 0xFA, 0xFE, 0x9E, 20, 0, 0, 0, 0, 1, 0, 0, 0, 'A'}));
  Bytes list = {1, 0}, decoded;
  AppendEntry(list, "P", 14, 6, 1, 4);
  EXPECT_EQ(ZRUnCompress(std::span(file).subspan(20), decoded), file.size() - 20);
  EXPECT_EQ(decoded, list);
  TMemoryStream image, member;  // the same archive built in memory
  member.Write("A", 1);
  TMADWrite inMemory("one.mad", image);
  inMemory.AddStream(member, "p");
  EXPECT_TRUE(inMemory.Done());
  EXPECT_EQ(image.Bytes(), file);

  // Empty: the list "00 00" packs best as a stored layer; lookups stop for missing data.
  const std::string path = Path("empty.mad");
  EXPECT_TRUE(TMADWrite(path).Done());
  EXPECT_EQ(ReadBytes(path), Bytes({'Z', 'E', 'P', 'H', 'Y', 'R', 'A', 0xFA, 0xFE, 0x9E, 14, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0}));
  TMad mad(path);
  EXPECT_EQ(mad.Count(), 0);
  EXPECT_TRUE(mad.IndexIntact());
  EXPECT_FALSE(mad.HasFile("x"));
  ExpectStop([&] { mad.OpenStream("x"); }, "File not found in MAD! (X)", "MADREAD, TMad.OpenStream");
  EXPECT_THROW(mad.OpenPointer("x"), Stopped);
  EXPECT_THROW(mad.SaveMadFileAs("x", Path("out")), Stopped);
  ExpectStop([&] { TMad absent(Path("absent.mad")); }, "Error accessing " + Path("absent.mad"), "MADREAD, TMad.Init");
  // A folder opens for reading but is no archive: its size is not a file's.
  std::filesystem::create_directory(Path("folder.mad"));
  ExpectStop([&] { TMad folder(Path("folder.mad")); }, "Error accessing " + Path("folder.mad"), "MADREAD, TMad.Init");
}

TEST_F(MadTest, WriterAndReaderLogLines) {
  const std::string path = Path("log.mad");
  {
    TMADWrite writer(path);
    writer.Verbose = true;
    writer.AddBytes(Bytes(10, 'x'), "Map1");
    writer.AddBytes(Bytes{'h', 'i'}, "greet");
  }
  const std::string add = "(MADWRITE, TMADWrite.AddStream) ";
  const size_t packed = ZRCompress(Bytes(10, 'x')).size();
  ASSERT_EQ(log.lines.size(), 10u);  // four lines per member
  EXPECT_EQ(std::vector<std::string>(log.lines.begin(), log.lines.begin() + 5),
            std::vector<std::string>({"(MADWRITE, TMADWrite.Init) (" + path + ")", add + "Adding stream as 'MAP1'",
                                      add + "File start: 14", add + "File size : " + std::to_string(packed),
                                      add + "Real size : 10"}));
  EXPECT_EQ(log.lines.back(), "(MADWRITE, TMADWrite.Done) (" + path + ")");
  log.lines.clear();
  {
    TMad mad(path);
    const MadEntry& e = mad.Entries()[1];
    mad.Verbose = true;
    auto stream = mad.OpenStream("Greet");
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->Position(), 0);
    EXPECT_EQ(stream->Bytes(), Bytes({'h', 'i'}));
    const std::string init = "(MADREAD, TMad.Init) ", open = "(MADREAD, TMad.OpenStream) ";
    EXPECT_EQ(log.lines, std::vector<std::string>({
                             init + "(" + path + ")", init + "HeadStart=" + std::to_string(e.start + e.compressedSize),
                             init + "Compressed filelist...", init + "Filelist unpacked into memory.",
                             init + "Datafile contains 2 file(s).", init + "Filelist loaded...", open + "(GREET)",
                             open + "Start in file: " + std::to_string(14 + packed), open + "Compression marker: 4",
                             open + "Compressed size: " + std::to_string(e.compressedSize),
                             open + "Uncompressed size: 2"}));
    log.lines.clear();
  }
  EXPECT_EQ(log.lines, std::vector<std::string>({"(MADREAD, TMad.Done) (" + path + ")"}));
}

TEST_F(MadTest, NamesAreCaseBlindCutAndNeverLongerThanTwelve) {
  {
    TMADWrite writer(Path("names.mad"));
    writer.AddBytes(Bytes{1}, "p");
    writer.AddBytes(Bytes{2}, "fifteen_chars_x");  // stored as its first 12
    writer.AddBytes(Bytes{3}, "trail  ");          // trailing blanks removed
    writer.AddBytes(Bytes{4}, "P");                // duplicate: the first wins
  }
  TMad mad(Path("names.mad"));
  ASSERT_EQ(mad.Count(), 4);
  EXPECT_EQ(mad.Entries()[0].name, "P");
  EXPECT_EQ(mad.Entries()[1].name, "FIFTEEN_CHAR");
  EXPECT_EQ(mad.Entries()[2].name, "TRAIL");
  for (auto [name, byte] : {std::pair{"p", 1}, {"P", 1}, {"Fifteen_Char", 2}, {"trail", 3}})
    EXPECT_EQ(mad.OpenPointer(name), Bytes({static_cast<uint8_t>(byte)})) << name;
  EXPECT_TRUE(mad.HasFile("fifteen_char"));
  EXPECT_FALSE(mad.HasFile("fifteen_chars"));
  EXPECT_THROW(mad.OpenStream("fifteen_chars_x"), Stopped);
}

TEST_F(MadTest, AddStreamKeepsPositionAndMembersReadBack) {
  const std::string path = Path("sizes.mad");
  const Bytes text = sample::Text(20000, 1), pixels = sample::Pixels(30000, 2);
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
  TMad mad(path);  // member starts and HeadStart are pinned by the log lines above
  EXPECT_EQ(mad.OpenStream("TEXT")->Bytes(), text);
  EXPECT_EQ(mad.OpenPointer("pixels"), pixels);
  EXPECT_TRUE(mad.OpenPointer("empty").empty());
  WriteBytes(Path("t.bin"), Bytes(50000, 'z'));  // an existing file is replaced
  EXPECT_TRUE(mad.SaveMadFileAs("text", Path("t.bin")));
  EXPECT_EQ(ReadBytes(Path("t.bin")), text);
}

// A member too large for the codec to pack is not written as an empty one:
// the archive reports the failure, and what was added before still reads.
TEST_F(MadTest, MemberTooLargeToPackFailsTheArchive) {
  const std::string path = Path("large.mad");
  {
    TMADWrite writer(path);
    writer.AddBytes(sample::Text(100, 3), "small");
    writer.AddBytes(Bytes(kMaxCompressInput + 1, 'a'), "huge");
    EXPECT_EQ(writer.Count(), 1);
    EXPECT_FALSE(writer.Done());
  }
  TMad mad(path);
  EXPECT_EQ(mad.OpenPointer("small"), sample::Text(100, 3));
  EXPECT_LT(mad.Find("huge"), 0);
}

// A plain list: stored and packed members, a lower-case and a duplicate name,
// an unknown marker, and entries running past the file's end.
TEST_F(MadTest, HandBuiltPlainListArchive) {
  Bytes file = PlainHeader(26);
  file.insert(file.end(), {'h', 'e', 'l', 'l', 'o', 0, 2, 0, 0, 0, 'h', 'i'});  // 14: stored, 19: ZRCOMP
  Bytes list = {7, 0};
  AppendEntry(list, "raw", 14, 5, 99, 0);  // real size ignored for marker 0
  AppendEntry(list, "PK", 19, 7, 2, 4);
  AppendEntry(list, "RAW", 14, 2, 2, 0);    // duplicate: never used
  AppendEntry(list, "SHORT", 19, 7, 1, 4);  // real size smaller than the data
  AppendEntry(list, "ODD", 14, 5, 5, 7);    // unknown marker
  AppendEntry(list, "PAST", 24, 1000, 1000, 0);
  AppendEntry(list, "FAR", 0xFFFFFF00u, 0xFFFFFFFFu, 5, 4);
  file = file + list;
  const std::string path = Path("hand.mad");
  WriteBytes(path, file);

  for (int pass = 0; pass < 2; ++pass) {  // from the file, then from memory
    log.lines.clear();
    auto mad = pass == 0 ? std::make_unique<TMad>(path) : std::make_unique<TMad>("hand.mad", file);
    EXPECT_EQ(log.lines[2], "(MADREAD, TMad.Init) Uncompressed filelist...");
    EXPECT_EQ(log.lines[3], "(MADREAD, TMad.Init) Datafile contains 7 file(s).");
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

    log.lines.clear();
    EXPECT_EQ(mad->OpenStream("odd"), nullptr);
    EXPECT_TRUE(mad->OpenPointer("odd").empty());
    EXPECT_FALSE(mad->SaveMadFileAs("odd", Path("odd.bin")));
    EXPECT_FALSE(std::filesystem::exists(Path("odd.bin")));
    const std::string unknown = "] Unknown MAD compression type!";
    EXPECT_EQ(log.lines, std::vector<std::string>({"[MADREAD, TMad.OpenStream" + unknown,
                                                   "[MADREAD, TMad.OpenPointer" + unknown,
                                                   "[MADREAD, TMad.SaveMadFileAs" + unknown}));
  }

  Bytes cut = PlainHeader(14), shortList = {3, 0};  // a list shorter than its count keeps only whole entries
  AppendEntry(shortList, "A", 0, 1, 1, 0);
  AppendEntry(shortList, "B", 1, 1, 1, 0);
  cut.insert(cut.end(), shortList.begin(), shortList.end() - 1);  // B's marker is missing
  TMad partial("short.mad", cut);
  EXPECT_EQ(partial.Count(), 1);
  EXPECT_FALSE(partial.IndexIntact());
  EXPECT_EQ(partial.OpenPointer("a"), Bytes({'Z'}));
}

}  // namespace
}  // namespace quarry
