// The "waves.ini" reader and the wave collection's lookups, with audio off
// (what the list reports) and with a silent device on (what the samples get).
#include "audio/wave_collection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "archive/mad.h"
#include "audio/zr_sdl_a.h"
#include "audio_test_support.h"
#include "core/stream.h"

namespace quarry {
namespace {

const std::string kSet = "[ZR_SDL_W, TWaveCollection.SetParameter] ";

void Parse(TWaveCollection& waves, const std::string& text, TMad* archive = nullptr) {
  TMemoryStream list(text.data(), text.size());
  waves.LoadListFrom(list, archive);
}

class WaveListTest : public ::testing::Test {
protected:
  void TearDown() override {
    SoundFree();
    AudioAvailable = false;
    unsetenv("SDL_AUDIODRIVER");
  }
  // Audio on with the dummy driver: samples load, nothing is written.
  void AudioOn() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Init_Audio();
    ASSERT_TRUE(AudioAvailable);
    log.Clear();
  }
  // The archive is opened here so that its log lines are out of the way.
  std::unique_ptr<TMad> Archive(const std::string& list) {
    const auto path = dir.Path() / "sound.mad";
    test::WriteArchive(path, {{"waves.ini", {list.begin(), list.end()}},
                              {"boom.wav", test::ConstantWav(1000, 64)}});
    auto archive = std::make_unique<TMad>(path.string());
    log.Clear();
    return archive;
  }
  SoundSample Info(const TWaveCollection& waves, uint32_t index) {
    SoundSample info;
    EXPECT_TRUE(SoundSampleGetInfo(waves.Handle(index), info));
    return info;
  }

  test::TempDir dir;
  test::LogCapture log;
  test::StopCatcher stops;
};

TEST_F(WaveListTest, TheHeaderIsFoundPastCommentsInAnyCase) {
  TWaveCollection waves(16);
  Parse(waves, "\r\n# made by hand\r\n; sounds\r\n[wavecollection]\r\nITEM\r\nFILE=a.wav\r\nNAME=A\r\n");
  EXPECT_EQ(waves.Count(), 1u);
  EXPECT_EQ(waves.Name(0), "A");
}

TEST_F(WaveListTest, AListWithoutItsHeaderStopsTheProgram) {
  for (const std::string text : {"", "\r\n# only a comment\r\n", "  [WaveCollection]\r\n",
                                 "[MusicCollection]\r\n", "ITEM\r\nFILE=a\r\n"}) {
    TWaveCollection waves(16);
    try {
      Parse(waves, text);
      ADD_FAILURE() << "no stop for: " << text;
    } catch (const test::Stopped& stop) {
      EXPECT_STREQ(stop.what(), "Not a wavecollection file...");
      EXPECT_EQ(stop.tag, "ZR_SDL_W, LoadList");
    }
  }
}

TEST_F(WaveListTest, WithAudioOffEachItemReportsItsFourParametersAndNothingElse) {
  TWaveCollection waves(16);
  Parse(waves,
        "[WaveCollection]\r\nITEM\r\nFILE=a.wav\r\nNAME=A\r\nVOLUME=20\r\n\r\n"
        "ITEM\r\nFILE=b.wav\r\nNAME=B\r\n\r\n!END\r\nITEM\r\nNAME=Never\r\n");
  EXPECT_EQ(waves.Count(), 2u);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             kSet + "Wave not found! (A)", kSet + "Wave not found! (A)",
                             kSet + "Wave not found! (A)", kSet + "Wave not found! (A)",
                             kSet + "Wave not found! (B)", kSet + "Wave not found! (B)",
                             kSet + "Wave not found! (B)", kSet + "Wave not found! (B)"}));
  log.Clear();
  waves.Play("A");
  EXPECT_EQ(log.Lines(), std::vector<std::string>{
                             "[ZR_SDL_W, TWaveCollection.Play] Wave not found! (A)"});
}

TEST_F(WaveListTest, UnknownLinesAndKeysAreReportedAndSkipped) {
  TWaveCollection waves(16);
  Parse(waves,
        "[WaveCollection]\r\n  Sounds of the quarry  \r\n#top comment\r\n"
        "ITEM\r\nFILE=a.wav\r\n;quiet\r\n#loud\r\nLOOPED = YES\r\nColour=red\r\nNAME=A\r\n");
  const std::string list = "[ZR_SDL_W, LoadList] ";
  EXPECT_EQ(log.Count(list + "Unknown identifier! (Sounds of the quarry)"), 1u);
  EXPECT_EQ(log.Count(list + "Unknown identifier! (#LOUD)"), 1u);
  EXPECT_EQ(log.Count(list + "Unknown identifier! (LOOPED )"), 1u);
  EXPECT_EQ(log.Count(list + "Unknown identifier! (COLOUR)"), 1u);
  EXPECT_EQ(log.CountContaining("quiet"), 0u);
  EXPECT_EQ(log.CountContaining("top comment"), 0u);
  EXPECT_EQ(waves.Count(), 1u);  // the item still ends at the end of the member
}

TEST_F(WaveListTest, AnItemRunningIntoEndReadsItAsAKey) {
  TWaveCollection waves(16);
  Parse(waves, "[WaveCollection]\r\nITEM\r\nFILE=a.wav\r\nNAME=A\r\n!END\r\nITEM\r\n");
  EXPECT_EQ(log.Count("[ZR_SDL_W, LoadList] Unknown identifier! (!END)"), 1u);
  EXPECT_EQ(log.Count("[ZR_SDL_W, LoadList] Unknown identifier! (ITEM)"), 1u);
  EXPECT_EQ(waves.Count(), 1u);
}

TEST_F(WaveListTest, FileAndNameCarryOverButAFirstItemWithoutThemIsSkipped) {
  TWaveCollection waves(16);
  Parse(waves,
        "[WaveCollection]\r\nITEM\r\nNAME=Orphan\r\n\r\nITEM\r\nFILE=a.wav\r\n\r\n"
        "ITEM\r\nNAME=Second\r\n\r\nITEM\r\nVOLUME=5\r\n\r\n");
  EXPECT_EQ(log.Count("[ZR_SDL_W, LoadList] Item without FILE or NAME skipped!"), 1u);
  // The skipped item still hands its name on; later items take what the
  // item before them had.
  ASSERT_EQ(waves.Count(), 3u);
  EXPECT_EQ(waves.Name(0), "Orphan");
  EXPECT_EQ(waves.Name(1), "Second");
  EXPECT_EQ(waves.Name(2), "Second");
}

TEST_F(WaveListTest, ItemValuesAreClampedToTheirDefaults) {
  AudioOn();
  auto archive = Archive(
      "[WaveCollection]\r\n"
      "ITEM\r\nFILE=sounds\\fx/boom.wav\r\nNAME=Loud\r\nVOLUME=150\r\nPAN=-101\r\nMAX=0\r\n\r\n"
      "ITEM\r\nNAME=Set\r\nLooped=yes\r\nFREQUENCY=$5622\r\nVOLUME=0\r\nPAN=-100\r\nMAX=4\r\n\r\n"
      "ITEM\r\nNAME=Odd\r\nLOOPED=no\r\nFREQUENCY=-3\r\nVOLUME=-1\r\nPAN=101\r\nMAX=-2\r\n\r\n");
  TWaveCollection waves(16);
  waves.LoadList("waves.ini", *archive);
  EXPECT_TRUE(log.Lines().empty()) << log.Lines().front();
  ASSERT_EQ(waves.Count(), 3u);

  const SoundSample loud = Info(waves, 0);
  EXPECT_EQ(loud.volume, 100u);
  EXPECT_EQ(loud.pan, 0);
  EXPECT_EQ(loud.max, 1u);  // not the 3 it was loaded with
  EXPECT_EQ(loud.freq, 44100u);
  EXPECT_EQ(loud.flags, kSampleOverPos);

  const SoundSample set = Info(waves, 1);
  EXPECT_EQ(set.volume, 0u);
  EXPECT_EQ(set.pan, -100);
  EXPECT_EQ(set.max, 4u);
  EXPECT_EQ(set.freq, 22050u);
  EXPECT_EQ(set.flags, kSampleOverPos | kSampleLoop);

  const SoundSample odd = Info(waves, 2);
  EXPECT_EQ(odd.volume, 100u);
  EXPECT_EQ(odd.pan, 0);
  EXPECT_EQ(odd.max, 1u);
  EXPECT_EQ(odd.freq, 44100u);
  EXPECT_EQ(odd.flags, kSampleOverPos);
}

TEST_F(WaveListTest, SetParameterNamesAnyCaseAndReportsTheRest) {
  AudioOn();
  auto archive = Archive("[WaveCollection]\r\nITEM\r\nFILE=boom.wav\r\nNAME=Boom\r\n\r\n");
  TWaveCollection waves(16);
  waves.LoadList("waves.ini", *archive);
  waves.SetParameter("Boom", "vol", 40);
  waves.SetParameter("Boom", "Pan", 30);
  waves.SetParameter("Boom", "freq", 11025);
  waves.SetParameter("Boom", "max", 2);
  EXPECT_TRUE(log.Lines().empty());
  waves.SetParameter("Boom", "speed", 9);
  waves.SetParameter("boom", "VOL", 1);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{kSet + "Invalid parameter name! (SPEED)",
                                                   kSet + "Wave not found! (boom)"}));
  const SoundSample info = Info(waves, 0);
  EXPECT_EQ(info.volume, 40u);
  EXPECT_EQ(info.pan, 30);
  EXPECT_EQ(info.freq, 11025u);
  EXPECT_EQ(info.max, 2u);
}

TEST_F(WaveListTest, BeyondTheCapacityAnItemIsLoadedButNotAdded) {
  AudioOn();
  auto archive = Archive(
      "[WaveCollection]\r\nITEM\r\nFILE=boom.wav\r\nNAME=One\r\n\r\nITEM\r\nNAME=Two\r\n\r\n"
      "ITEM\r\nNAME=Three\r\n\r\n");
  TWaveCollection waves(2);
  waves.LoadList("waves.ini", *archive);
  EXPECT_EQ(waves.Count(), 2u);
  EXPECT_EQ(log.Count(kSet + "Wave not found! (Three)"), 4u);
  EXPECT_EQ(log.Lines().size(), 4u);
}

TEST_F(WaveListTest, ASampleThatDidNotLoadIsReportedWhileTheListLoads) {
  AudioOn();
  const auto path = dir.Path() / "sound.mad";
  const std::string list = "[WaveCollection]\r\nITEM\r\nFILE=junk.wav\r\nNAME=Junk\r\n";
  test::WriteArchive(path, {{"waves.ini", {list.begin(), list.end()}}, {"junk.wav", {1, 2, 3}}});
  TMad archive(path.string());
  TWaveCollection waves(16);
  waves.LoadList("waves.ini", archive);
  EXPECT_EQ(log.Count(kSet + "Cannot get wave info! (Junk)"), 4u);
  EXPECT_TRUE(AudioAvailable);
}

TEST_F(WaveListTest, NamesAreCutExactAndFirstMatchWins) {
  AudioOn();
  TWaveCollection waves(16);
  const std::string longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  waves.Add(0, longName);
  EXPECT_EQ(waves.Name(0), longName.substr(0, 24));
  waves.SetParameter(longName, "VOL", 1);  // the stored name is the cut one
  EXPECT_EQ(log.Count(kSet + "Wave not found! (" + longName + ")"), 1u);
}

TEST_F(WaveListTest, TheDestructorFreesEverySample) {
  AudioOn();
  auto archive = Archive("[WaveCollection]\r\nITEM\r\nFILE=boom.wav\r\nNAME=Boom\r\n\r\n");
  SoundHandle handle;
  {
    TWaveCollection waves(16);
    waves.LoadList("waves.ini", *archive);
    handle = waves.Handle(0);
    SoundSample info;
    ASSERT_TRUE(SoundSampleGetInfo(handle, info));
  }
  SoundSample info;
  EXPECT_FALSE(SoundSampleGetInfo(handle, info));
}

TEST(MemberName, DropsFoldersOfBothKinds) {
  EXPECT_EQ(MemberNameOf("sounds\\fx/boom.wav"), "boom.wav");
  EXPECT_EQ(MemberNameOf("sounds/fx\\boom.wav"), "boom.wav");
  EXPECT_EQ(MemberNameOf("boom.wav"), "boom.wav");
  EXPECT_EQ(MemberNameOf("dir/"), "");
}

}  // namespace
}  // namespace quarry
