// The "waves.ini" reader and the wave collection's lookups, with audio off
// (what the list reports) and with a silent device on (what the samples get).
#include "audio/wave_collection.h"

#include <gtest/gtest.h>

#include "archive/mad.h"
#include "audio/music_collection.h"
#include "audio/zr_sdl_a.h"
#include "audio_test_support.h"
#include "core/stream.h"

namespace quarry {
namespace {

const std::string kSet = "[ZR_SDL_W, TWaveCollection.SetParameter] ";
const std::string kList = "[ZR_SDL_W, LoadList] ";

template <typename Collection>
void Parse(Collection& list, const std::string& text) {
  TMemoryStream stream(text.data(), text.size());
  list.LoadListFrom(stream, nullptr);
}

class WaveListTest : public ::testing::Test {
protected:
  void TearDown() override {
    SoundFree();
    AudioAvailable = false;
    unsetenv("SDL_AUDIODRIVER");
  }
  // Audio on with the dummy driver, then the list loaded from an archive
  // holding boom.wav (and junk.wav, which is no WAV).
  void LoadWithAudio(TWaveCollection& waves, const std::string& list) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Init_Audio();
    ASSERT_TRUE(AudioAvailable);
    archive = std::make_unique<TMad>(test::WriteArchive(dir / "sound.mad", {{"waves.ini", test::ToBytes(list)},
                                                        {"boom.wav", test::ConstantWav(1000, 64)},
                                                        {"junk.wav", {1, 2, 3}}}));
    log.lines.clear();
    waves.LoadList("waves.ini", *archive);
  }
  SoundSample Info(const TWaveCollection& waves, uint32_t index) {
    SoundSample info;
    EXPECT_TRUE(SoundSampleGetInfo(waves.Handle(index), info));
    return info;
  }

  TempDir dir;
  std::unique_ptr<TMad> archive;  // kept open so that closing it logs nothing during a check
  LogCapture log;
  test::StopCatcher stops;
  TWaveCollection waves{16};
};

TEST_F(WaveListTest, ListsWithoutTheirHeaderStopTheProgramButCommentsMayComeFirst) {
  Parse(waves, "\r\n# made by hand\r\n; sounds\r\n[wavecollection]\r\nITEM\r\nFILE=a.wav\r\nNAME=A\r\n");
  EXPECT_EQ(waves.Count(), 1u);
  EXPECT_EQ(waves.Name(0), "A");
  const std::pair<std::string, bool> lists[] = {  // (text, is a music list)
      {"", false}, {"\r\n# only a comment\r\n", false}, {"  [WaveCollection]\r\n", false},
      {"[MusicCollection]\r\n", false}, {"ITEM\r\nFILE=a\r\n", false}, {"", true}, {"; nothing\r\n", true},
      {"[WaveCollection]\r\n", true}, {" [MusicCollection]", true}};
  for (const auto& [text, music] : lists) {
    try {
      TWaveCollection otherWaves(16);
      TMusicCollection otherMusic(16);
      music ? Parse(otherMusic, text) : Parse(otherWaves, text);
      ADD_FAILURE() << "no stop for: " << text;
    } catch (const test::Stopped& stop) {
      EXPECT_EQ(stop.what(), std::string(music ? "Not a musiccollection file..." : "Not a wavecollection file..."));
      EXPECT_EQ(stop.tag, music ? "ZR_SDL_M, LoadList" : "ZR_SDL_W, LoadList");
    }
  }
}

TEST_F(WaveListTest, WithAudioOffEachItemReportsItsFourParametersAndNothingElse) {
  Parse(waves, "[WaveCollection]\r\nITEM\r\nFILE=a.wav\r\nNAME=A\r\nVOLUME=20\r\n\r\n"
               "ITEM\r\nFILE=b.wav\r\nNAME=B\r\n\r\n!END\r\nITEM\r\nNAME=Never\r\n");
  EXPECT_EQ(waves.Count(), 2u);
  std::vector<std::string> expected(4, kSet + "Wave not found! (A)");
  expected.resize(8, kSet + "Wave not found! (B)");
  EXPECT_EQ(log.lines, expected);
  log.lines.clear();
  waves.Play("A");
  EXPECT_EQ(log.lines, std::vector<std::string>{"[ZR_SDL_W, TWaveCollection.Play] Wave not found! (A)"});
}

TEST_F(WaveListTest, UnknownLinesAndKeysAreReportedAndSkipped) {
  Parse(waves, "[WaveCollection]\r\n  Sounds of the quarry  \r\n#top comment\r\n"
               "ITEM\r\nFILE=a.wav\r\n;quiet\r\n#loud\r\nLOOPED = YES\r\nColour=red\r\nNAME=A\r\n");
  for (const std::string key : {"Sounds of the quarry", "#LOUD", "LOOPED ", "COLOUR"}) {
    EXPECT_EQ(test::Exact(log, kList + "Unknown identifier! (" + key + ")"), 1u) << key;
  }
  EXPECT_EQ(log.Count("quiet") + log.Count("top comment"), 0);
  EXPECT_EQ(waves.Count(), 1u);  // the item still ends at the end of the member

  TWaveCollection ended(16);  // an item running into "!END" reads it as a key
  Parse(ended, "[WaveCollection]\r\nITEM\r\nFILE=a.wav\r\nNAME=A\r\n!END\r\nITEM\r\n");
  EXPECT_EQ(test::Exact(log, kList + "Unknown identifier! (!END)"), 1u);
  EXPECT_EQ(test::Exact(log, kList + "Unknown identifier! (ITEM)"), 1u);
  EXPECT_EQ(ended.Count(), 1u);
}

TEST_F(WaveListTest, FileAndNameCarryOverButAFirstItemWithoutThemIsSkipped) {
  Parse(waves, "[WaveCollection]\r\nITEM\r\nNAME=Orphan\r\n\r\nITEM\r\nFILE=a.wav\r\n\r\n"
               "ITEM\r\nNAME=Second\r\n\r\nITEM\r\nVOLUME=5\r\n\r\n");
  EXPECT_EQ(test::Exact(log, kList + "Item without FILE or NAME skipped!"), 1u);
  // The skipped item still hands its name on; later items take what the item before them had.
  ASSERT_EQ(waves.Count(), 3u);
  EXPECT_EQ(waves.Name(0), "Orphan");
  EXPECT_EQ(waves.Name(1), "Second");
  EXPECT_EQ(waves.Name(2), "Second");
}

TEST_F(WaveListTest, ItemValuesAreClampedToTheirDefaults) {
  LoadWithAudio(waves, "[WaveCollection]\r\n"
      "ITEM\r\nFILE=sounds\\fx/boom.wav\r\nNAME=Loud\r\nVOLUME=150\r\nPAN=-101\r\nMAX=0\r\n\r\n"
      "ITEM\r\nNAME=Set\r\nLooped=yes\r\nFREQUENCY=$5622\r\nVOLUME=0\r\nPAN=-100\r\nMAX=4\r\n\r\n"
      "ITEM\r\nNAME=Odd\r\nLOOPED=no\r\nFREQUENCY=-3\r\nVOLUME=-1\r\nPAN=101\r\nMAX=-2\r\n\r\n");
  EXPECT_EQ(log.lines, std::vector<std::string>{});
  ASSERT_EQ(waves.Count(), 3u);
  struct Want { uint32_t volume; int32_t pan; uint32_t max, freq, flags; };
  const Want want[] = {{100, 0, 1, 44100, kSampleOverPos},  // max 1, not the 3 it was loaded with
                       {0, -100, 4, 22050, kSampleOverPos | kSampleLoop},
                       {100, 0, 1, 44100, kSampleOverPos}};
  for (uint32_t i = 0; i < 3; ++i) {
    const SoundSample info = Info(waves, i);
    EXPECT_EQ(std::tie(info.volume, info.pan, info.max, info.freq, info.flags),
              std::tie(want[i].volume, want[i].pan, want[i].max, want[i].freq, want[i].flags)) << waves.Name(i);
  }
}

TEST_F(WaveListTest, SetParameterNamesAnyCaseAndReportsTheRest) {
  LoadWithAudio(waves, "[WaveCollection]\r\nITEM\r\nFILE=boom.wav\r\nNAME=Boom\r\n\r\n");
  waves.SetParameter("Boom", "vol", 40);
  waves.SetParameter("Boom", "Pan", 30);
  waves.SetParameter("Boom", "freq", 11025);
  waves.SetParameter("Boom", "max", 2);
  EXPECT_TRUE(log.lines.empty());
  waves.SetParameter("Boom", "speed", 9);
  waves.SetParameter("boom", "VOL", 1);
  EXPECT_EQ(log.lines, (std::vector<std::string>{kSet + "Invalid parameter name! (SPEED)", kSet + "Wave not found! (boom)"}));
  const SoundSample info = Info(waves, 0);
  EXPECT_EQ(std::tie(info.volume, info.pan, info.freq, info.max), std::make_tuple(40u, 30, 11025u, 2u));
}

TEST_F(WaveListTest, BeyondTheCapacityAnItemIsLoadedButNotAdded) {
  TWaveCollection two(2);
  LoadWithAudio(two, "[WaveCollection]\r\nITEM\r\nFILE=boom.wav\r\nNAME=One\r\n\r\nITEM\r\nNAME=Two\r\n\r\n"
                     "ITEM\r\nNAME=Three\r\n\r\n");
  EXPECT_EQ(two.Count(), 2u);
  EXPECT_EQ(log.lines, std::vector<std::string>(4, kSet + "Wave not found! (Three)"));
}

TEST_F(WaveListTest, ASampleThatDidNotLoadIsReportedWhileTheListLoads) {
  LoadWithAudio(waves, "[WaveCollection]\r\nITEM\r\nFILE=junk.wav\r\nNAME=Junk\r\n");
  EXPECT_EQ(test::Exact(log, kSet + "Cannot get wave info! (Junk)"), 4u);
  EXPECT_TRUE(AudioAvailable);
}

TEST_F(WaveListTest, TheDestructorFreesEverySampleAndNamesAreCut) {
  SoundHandle handle;
  SoundSample info;
  {
    TWaveCollection boom(16);
    LoadWithAudio(boom, "[WaveCollection]\r\nITEM\r\nFILE=boom.wav\r\nNAME=Boom\r\n\r\n");
    handle = boom.Handle(0);
    ASSERT_TRUE(SoundSampleGetInfo(handle, info));
  }
  EXPECT_FALSE(SoundSampleGetInfo(handle, info));

  const std::string longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  waves.Add(0, longName);
  EXPECT_EQ(waves.Name(0), longName.substr(0, 24));
  waves.SetParameter(longName, "VOL", 1);  // the stored name is the cut one
  EXPECT_EQ(test::Exact(log, kSet + "Wave not found! (" + longName + ")"), 1u);
}

TEST(MemberName, DropsFoldersOfBothKinds) {
  for (const auto& [path, name] : {std::pair{"sounds\\fx/boom.wav", "boom.wav"}, {"sounds/fx\\boom.wav", "boom.wav"},
                                   {"boom.wav", "boom.wav"}, {"dir/", ""}}) {
    EXPECT_EQ(MemberNameOf(path), name) << path;
  }
}

}  // namespace
}  // namespace quarry
