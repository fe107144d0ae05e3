// The "waves.ini" and "muzax.ini" readers and lookups, with audio off (log lines) and on a silent device (samples).
#include <gtest/gtest.h>

#include "archive/mad.h"
#include "audio/music_collection.h"
#include "audio/wave_collection.h"
#include "audio/zr_sdl_a.h"
#include "audio_test_support.h"
#include "core/stream.h"

namespace quarry {
namespace {

const std::string kSet = "[ZR_SDL_W, TWaveCollection.SetParameter] ";
const std::string kList = "[ZR_SDL_W, LoadList] ";

template <typename Collection>
void Parse(Collection& list, const std::string& text) {
  const std::string crlf = test::Crlf(text);
  TMemoryStream stream(crlf.data(), crlf.size());
  list.LoadListFrom(stream, nullptr);
}

class ListTest : public ::testing::Test {
protected:
  void TearDown() override { SoundFree(), AudioAvailable = false, unsetenv("SDL_AUDIODRIVER"); }
  // Audio on with the dummy driver, the list loaded from an archive with boom.wav and junk.wav (no WAV).
  void LoadWithAudio(TWaveCollection& waves, const std::string& list) {
    setenv("SDL_AUDIODRIVER", "dummy", 1), Init_Audio();
    ASSERT_TRUE(AudioAvailable);
    archive = std::make_unique<TMad>(test::WriteArchive(
        dir / "sound.mad", {{"waves.ini", test::ToBytes(test::Crlf(list))}, {"boom.wav", test::ConstantWav(1000, 64)}, {"junk.wav", {1, 2, 3}}}));
    log.lines.clear(), waves.LoadList("waves.ini", *archive);
  }
  SoundSample Info(uint32_t index) { SoundSample info; EXPECT_TRUE(SoundSampleGetInfo(waves.Handle(index), info)); return info; }
  std::string Item(const std::string& order, uint16_t index, std::string song = "before") { return music.GetOrderItem(order, index, song), song; }

  TempDir dir;
  std::unique_ptr<TMad> archive;  // kept open so that closing it logs nothing during a check
  LogCapture log;
  test::StopCatcher stops;
  TWaveCollection waves{16};
  TMusicCollection music{16};  // with audio off its songs are named but not loaded
};

TEST_F(ListTest, WithAudioOffItemsAreNamedAndReportTheirLinesAndFourParameters) {
  struct Case { std::string text; test::Lines names, log; };  // log lines before the parameters'
  const Case cases[] = {
      {"|# made by hand|; sounds|[wavecollection]|ITEM|FILE=a.wav|NAME=A|", {"A"}, {}},
      {"[WaveCollection]|ITEM|FILE=a.wav|NAME=A|VOLUME=20||ITEM|FILE=b.wav|NAME=B||!END|ITEM|NAME=Never|", {"A", "B"}, {}},
      // Unknown lines and keys are reported and skipped; comments are not.
      {"[WaveCollection]|  Sounds of the quarry  |#top comment|ITEM|FILE=a.wav|;quiet|#loud|"
       "LOOPED = YES|Colour=red|NAME=A|", {"A"},
       {kList + "Unknown identifier! (Sounds of the quarry)", kList + "Unknown identifier! (#LOUD)",
        kList + "Unknown identifier! (LOOPED )", kList + "Unknown identifier! (COLOUR)"}},
      // An item running into "!END" reads it as a key.
      {"[WaveCollection]|ITEM|FILE=a.wav|NAME=A|!END|ITEM|", {"A"},
       {kList + "Unknown identifier! (!END)", kList + "Unknown identifier! (ITEM)"}},
      // FILE and NAME carry over, even from a first item skipped for lacking one.
      {"[WaveCollection]|ITEM|NAME=Orphan||ITEM|FILE=a.wav||ITEM|NAME=Second||"
       "ITEM|VOLUME=5||", {"Orphan", "Second", "Second"}, {kList + "Item without FILE or NAME skipped!"}}};
  for (const Case& c : cases) {
    TWaveCollection list(16);
    log.lines.clear(), Parse(list, c.text);
    test::Lines names, expected = c.log;
    for (uint32_t i = 0; i < list.Count(); ++i) names.push_back(list.Name(i));
    for (const auto& name : c.names) expected.insert(expected.end(), 4, kSet + "Wave not found! (" + name + ")");
    EXPECT_EQ(names, c.names) << c.text;
    EXPECT_EQ(log.lines, expected) << c.text;
  }
}

TEST_F(ListTest, ListsWithoutTheirHeaderStopTheProgram) {
  const std::pair<std::string, bool> lists[] = {  // (text, is a music list)
      {"", false}, {"|# only a comment|", false}, {"  [WaveCollection]|", false},
      {"[MusicCollection]|", false}, {"ITEM|FILE=a|", false}, {"", true}, {"; nothing|", true},
      {"[WaveCollection]|", true}, {" [MusicCollection]", true}};
  for (const auto& [text, isMusic] : lists) {
    TWaveCollection otherWaves(16);
    TMusicCollection otherMusic(16);
    std::string stop = "no stop";
    try { isMusic ? Parse(otherMusic, text) : Parse(otherWaves, text); } catch (const std::runtime_error& e) { stop = e.what(); }
    EXPECT_EQ(stop, isMusic ? "ZR_SDL_M, LoadList: Not a musiccollection file..." : "ZR_SDL_W, LoadList: Not a wavecollection file...") << text;
  }
}

TEST_F(ListTest, ItemValuesAreClampedToTheirDefaultsAndSetByName) {
  LoadWithAudio(waves, "[WaveCollection]|ITEM|FILE=sounds\\fx/boom.wav|NAME=Loud|VOLUME=150|PAN=-101|MAX=0||"
      "ITEM|NAME=Set|Looped=yes|FREQUENCY=$5622|VOLUME=0|PAN=-100|MAX=4||"
      "ITEM|NAME=Odd|LOOPED=no|FREQUENCY=-3|VOLUME=-1|PAN=101|MAX=-2||");
  EXPECT_EQ(log.lines, test::Lines{});
  ASSERT_EQ(waves.Count(), 3u);
  const std::tuple<uint32_t, int32_t, uint32_t, uint32_t, uint32_t> want[] = {  // volume, pan, max, freq, flags
      {100, 0, 1, 44100, kSampleOverPos}, {0, -100, 4, 22050, kSampleOverPos | kSampleLoop}, {100, 0, 1, 44100, kSampleOverPos}};
  for (uint32_t i = 0; i < 3; ++i) {  // max 1, not the 3 it was loaded with
    const SoundSample got = Info(i);
    EXPECT_EQ(std::tie(got.volume, got.pan, got.max, got.freq, got.flags), want[i]) << i;
  }
  // SetParameter takes its names in any case and reports the rest.
  for (const auto& [name, value] : {std::pair{"vol", 40}, {"Pan", 30}, {"freq", 11025}, {"max", 2}, {"speed", 9}})
    waves.SetParameter("Set", name, value);
  waves.SetParameter("set", "VOL", 1);
  EXPECT_EQ(log.lines, (test::Lines{kSet + "Invalid parameter name! (SPEED)", kSet + "Wave not found! (set)"}));
  const SoundSample info = Info(1);
  EXPECT_EQ(std::tie(info.volume, info.pan, info.freq, info.max), std::make_tuple(40u, 30, 11025u, 2u));
}

TEST_F(ListTest, ASampleThatDidNotLoadIsReportedBeyondTheCapacityAnItemIsNotAddedAndTheDestructorFreesSamples) {
  SoundHandle handle;
  SoundSample info;
  {
    TWaveCollection two(2);
    LoadWithAudio(two, "[WaveCollection]|ITEM|FILE=boom.wav|NAME=One||"
                       "ITEM|FILE=junk.wav|NAME=Junk||ITEM|FILE=boom.wav|NAME=Three||");
    EXPECT_TRUE(two.Count() == 2 && AudioAvailable);
    test::Lines expected(4, kSet + "Cannot get wave info! (Junk)");
    expected.resize(8, kSet + "Wave not found! (Three)");
    EXPECT_EQ(log.lines, expected);
    ASSERT_TRUE(SoundSampleGetInfo(handle = two.Handle(0), info));
  }
  EXPECT_FALSE(SoundSampleGetInfo(handle, info));
}

TEST_F(ListTest, OrderItemsCountFromOneStopAtTheLastCycleAndAreCaseSensitiveAndNamesAreCut) {
  // "junk" has no "=" and must not hide the next order.
  Parse(music, "[MusicCollection]|ORDERS|junk|INGAME=a,b,c|GAP=a,,c|LIST=,|ingame=x|MAPEND=||");
  EXPECT_EQ(log.lines.size(), 1u);  // only the trace line of the section
  EXPECT_EQ((test::Lines{music.GetOrder("INGAME"), music.GetOrder("junk")}), (test::Lines{"a,b,c", ""}));
  const std::pair<uint16_t, std::string> items[] = {{1, "a"}, {2, "b"}, {3, "c"}, {5, "c"}, {0, "before"}};
  for (const auto& [index, song] : items) EXPECT_EQ(Item("INGAME", index), song) << index;
  // Empty songs between commas count.
  for (const auto& [order, count] : {std::pair{"INGAME", 3u}, {"GAP", 3u}, {"LIST", 2u}, {"Ingame", 0u}})
    EXPECT_EQ(music.OrderItemCount(order), count) << order;
  EXPECT_EQ((test::Lines{Item("GAP", 2), Item("ingame", 1), Item("Ingame", 1)}), (test::Lines{"", "x", "before"}));
  EXPECT_EQ(std::ranges::count(log.lines, "[ZR_SDL_M, TMusicCollection.GetOrderItem] Order not found! (Ingame)"), 1);
  for (const auto& [index, want] : {std::pair{0, "a"}, {3, "a"}, {7, "b"}}) {
    std::string song = "none";
    EXPECT_TRUE(music.GetCycledOrderItem("INGAME", index, song) && song == want) << index << " " << song;
  }
  for (const std::string order : {"MAPEND", "GAMEEND"}) {
    std::string song = "kept";
    log.lines.clear();
    EXPECT_FALSE(music.GetCycledOrderItem(order, 4, song) || song != "kept") << song;
    EXPECT_EQ(log.lines, test::Lines{"[ZR_SDL_M, TMusicCollection.GetCycledOrderItem] Order has no songs! (" + order + ")"});
  }
  // Names are cut to 24 characters.
  const std::string longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  waves.Add(0, longName), waves.SetParameter(longName, "VOL", 1);  // the stored name is the cut one
  EXPECT_EQ(waves.Name(0), longName.substr(0, 24));
  EXPECT_EQ(std::ranges::count(log.lines, kSet + "Wave not found! (" + longName + ")"), 1);
  TMusicCollection small(1);  // and a full music collection drops songs
  small.AddSong(0, "a-rather-long-song-name-of-thirty"), small.AddSong(0, "b");
  ASSERT_EQ(small.Count(), 1u);
  EXPECT_EQ(small.Name(0), "a-rather-long-song-name-");
}

TEST_F(ListTest, OrdersAreRecordedWithATraceLineAndCutAt255UnclosedSectionsReadEndAsAnEntrySongsAreNamed) {
  std::string lines;
  for (int i = 0; i < 30; ++i) lines += "ORDER" + std::to_string(i) + "=song|";
  Parse(music, "[MusicCollection]|orders|LIST=menu|;GAMEEND=x|INGAME=a,b||Orders|" + lines + "|");
  EXPECT_EQ(log.lines.front(), "\xFE Trace \xFE LIST=menu|INGAME=a,b|");
  EXPECT_EQ(music.Orders().size(), 255u);
  EXPECT_EQ(music.Orders().substr(0, 36), "LIST=menu|INGAME=a,b|ORDER0=song|ORD");
  EXPECT_EQ((test::Lines{Item("INGAME", 2), music.GetOrder("GAMEEND")}), (test::Lines{"b", ""}));  // the ";" line was a comment
  TMusicCollection orders(16), songs(16), named(16);
  log.lines.clear(), Parse(orders, "[MusicCollection]|ORDERS|INGAME=a|!END|SONGS|x=x.xm|!END|");
  EXPECT_EQ(orders.Orders(), "INGAME=a|!END|SONGS|x=x.xm|!END|");
  EXPECT_EQ(log.Count("Trace"), 0);  // no closing empty line, no trace
  Parse(songs, "[MusicCollection]|SONGS|x=x.xm|!END|");
  ASSERT_EQ(songs.Count(), 2u);
  EXPECT_EQ(songs.Name(1), "!END");
  // Songs are named before their "="; unknown top-level lines are reported; nothing is read after "!end".
  log.lines.clear(), Parse(named, "[musiccollection]|  Playlist  |# note|songs|Menu=music\\menu.xm|;old=old.xm|#odd=odd.xm|tune.xm||"
                                  "!end|SONGS|x=y|");
  EXPECT_EQ(log.lines, std::vector<std::string>{"[ZR_SDL_M, LoadList] Unknown identifier! (Playlist)"});
  ASSERT_EQ(named.Count(), 3u);
  EXPECT_EQ(named.Name(0) + "|" + named.Name(1) + "|" + named.Name(2), "Menu|#odd|tune.xm");  // "#" is no comment inside a section
  EXPECT_EQ(named.Handle(0), 0u);
}

TEST(MemberName, DropsFoldersOfBothKinds) {
  for (const auto& [path, name] : {std::pair{"sounds\\fx/boom.wav", "boom.wav"}, {"sounds/fx\\boom.wav", "boom.wav"},
                                   {"boom.wav", "boom.wav"}, {"dir/", ""}})
    EXPECT_EQ(MemberNameOf(path), name) << path;
}

}  // namespace
}  // namespace quarry
