// The sound device and audio entry points end to end, on SDL's disk driver: what was mixed is read back.
#include <gtest/gtest.h>

#include "archive/mad.h"
#include "audio/music_collection.h"
#include "audio/wave_collection.h"
#include "audio/zr_sdl_a.h"
#include "audio_test_support.h"

namespace quarry {
namespace {

using test::Analyse, test::Lines, test::ToBytes;

constexpr size_t kBoomFrames = 4410;  // 0.1 s
constexpr size_t kMargin = 8192;      // two device buffers and the file's own buffering

class AudioTest : public ::testing::Test {
protected:
  void TearDown() override { SoundFree(), AudioAvailable = false, unsetenv("SDL_AUDIODRIVER"), SetSoundVersionOverride(std::nullopt); }
  std::string Archive(const std::vector<std::pair<std::string, test::Bytes>>& m) { return test::WriteArchive(dir / "sound.mad", m); }
  void StartAudio() { Init_Audio(), log.lines.clear(); ASSERT_TRUE(AudioAvailable); }

  TempDir dir;
  const std::string boom = dir / "boom.wav";  // 64 frames at 22050 Hz
  const bool made = (std::filesystem::create_directories(dir.Path() / "out"), test::WriteFile(boom, test::ConstantWav(1000, 64, 22050)), true);
  test::DiskAudio disk{dir.Path() / "out"};
  LogCapture log;
};

TEST_F(AudioTest, DeviceRefusesAllUntilOpenOpensOnceLoadsNoBadFileKeepsSettingsInRangeAndChannelsToLiveSamples) {
  SoundSample info;
  EXPECT_EQ(SoundSampleLoad(boom, 3, 0) + SoundMusicLoad(boom, 0), 0u);
  EXPECT_FALSE(SoundChannelPlay(1, true) || SoundChannelStop(1) || SoundSampleFree(1) || SoundSampleGetInfo(1, info));
  ASSERT_TRUE(SoundInit(1, 44100, 0));
  EXPECT_FALSE(SoundInit(1, 44100, 0));
  EXPECT_FALSE((SoundFree(), SoundDeviceOpen()));
  ASSERT_TRUE(SoundInit(1, 44100, 0));
  test::WriteFile(dir / "junk", test::Bytes(300, 0xEE)), test::WriteFile(dir / "empty", {});
  for (const std::string name : {"junk", "missing", "empty"})
    EXPECT_EQ(SoundMusicLoad(dir / name, kMusicLoop) + SoundSampleLoad(dir / name, 1, 0), 0u) << name;
  const SoundHandle sample = SoundSampleLoad(boom, 3, kSampleOverPos);
  ASSERT_TRUE(SoundSampleGetInfo(sample, info));
  EXPECT_EQ(std::tie(info.freq, info.volume, info.pan, info.max), std::make_tuple(22050u, 100u, 0, 3u));
  info.freq = 5, info.volume = 250, info.pan = -300, info.max = 0, info.length = 1;
  ASSERT_TRUE(SoundSampleSetInfo(sample, info) && SoundSampleGetInfo(sample, info));
  EXPECT_EQ(std::tie(info.freq, info.volume, info.pan, info.max, info.length), std::make_tuple(100u, 100u, -100, 1u, 64u * 4));
  info.freq = 1000000, info.pan = 101;
  ASSERT_TRUE(SoundSampleSetInfo(sample, info) && SoundSampleGetInfo(sample, info));
  EXPECT_EQ(std::tie(info.freq, info.pan), std::make_tuple(100000u, 100));

  EXPECT_EQ(SoundSampleGetChannel(0) + SoundSampleGetChannel(sample + 100), 0u);
  const SoundHandle first = SoundSampleGetChannel(sample), second = SoundSampleGetChannel(sample);
  ASSERT_TRUE(first != 0 && first != second);
  EXPECT_TRUE(SoundChannelPlay(first, false));
  EXPECT_FALSE(SoundChannelPlay(first, false));  // a channel is one play
  EXPECT_TRUE(SoundChannelStop(first) && SoundSampleFree(sample));
  EXPECT_FALSE(SoundChannelPlay(second, false) || SoundSampleFree(sample) || SoundChannelPlay(0, false));  // sample gone
}

TEST_F(AudioTest, InitAudioChecksTheVersionThenStartsTheDeviceOrReportsThatNoneIsUsable) {
  SetSoundVersionOverride(0x00020001), Init_Audio();
  EXPECT_FALSE(AudioAvailable || LoadWave(boom, false) || LoadMusic(boom));
  PlayMusic(1), StopMusic(1), FreeMusic(1);
  EXPECT_EQ(log.lines, Lines{"{ZR_SDL_A, Init_Audio} BASS V2.1 was not loaded."});  // and the calls after it stay quiet
  EXPECT_FALSE(std::filesystem::exists(disk.file));  // the device was never opened
  SetSoundVersionOverride(std::nullopt), setenv("QUARRY_SOUND_VERSION", "0x00010001", 1);  // the environment can set it
  EXPECT_EQ(SoundGetVersion(), 0x00010001u);
  EXPECT_EQ((unsetenv("QUARRY_SOUND_VERSION"), SoundGetVersion()), kSoundVersion);

  log.lines.clear(), Init_Audio();
  ASSERT_TRUE(AudioAvailable);
  EXPECT_EQ(log.lines, (Lines{"(ZR_SDL_A, Init_Audio) BASS V2.1 loaded.", "(ZR_SDL_A, Init_Audio) BASS: Device initialized."}));
  EXPECT_TRUE(std::filesystem::exists(disk.file));
  log.lines.clear(), FreeAudioDevice();
  EXPECT_TRUE(!SoundDeviceOpen() && log.lines.empty());  // freeing writes no line

  AudioAvailable = false, setenv("SDL_AUDIODRIVER", "no-such-driver", 1), Init_Audio();
  EXPECT_FALSE(AudioAvailable);
  EXPECT_EQ(log.lines, (Lines{"(ZR_SDL_A, Init_Audio) BASS V2.1 loaded.", "{ZR_SDL_A, Init_Audio} BASS: Can't initialize device!"}));
}

// The list's values reach the mixer (which has its own pan and voice-sharing tables).
TEST_F(AudioTest, PlayedWavesAreMixedWithTheirLengthVolumePanAndMax) {
  StartAudio();
  TMad archive(Archive({{"waves.ini", ToBytes(test::Crlf("[WaveCollection]|ITEM|FILE=boom.wav|NAME=Left|VOLUME=50|PAN=-100||"
                                                          "ITEM|NAME=One||ITEM|NAME=Three|MAX=3||!END|"))},
                        {"boom.wav", test::ConstantWav(10000, kBoomFrames)}}));
  TWaveCollection waves(16);
  ASSERT_EQ((waves.LoadList("waves.ini", archive), waves.Count()), 3u);
  std::vector<size_t> marks{disk.Frames()};  // each step plays, then waits until the sound is surely all out
  for (const Lines& plays : {Lines{"Left"}, Lines{"One", "One"}, Lines{"Three", "Three"}}) {
    for (const auto& name : plays) waves.Play(name);
    ASSERT_TRUE(disk.WaitFrames(plays.size() * kBoomFrames + kMargin));
    marks.push_back(disk.Frames());
  }
  const auto samples = (FreeAudioDevice(), disk.Samples());
  const auto left = Analyse(samples, marks[0], marks[1]), one = Analyse(samples, marks[1], marks[2]);
  EXPECT_EQ(std::make_tuple(left.nonZero, left.Span(), left.maxLeft, left.maxRight), std::make_tuple(kBoomFrames, kBoomFrames, 5000, 0));
  EXPECT_EQ(Analyse(samples, 0, marks[1]).nonZero, kBoomFrames);  // nothing else was mixed
  EXPECT_EQ(std::tie(one.maxLeft, one.maxRight), std::make_tuple(10000, 10000));  // never summed; centred, as Left's values do not carry over
  EXPECT_LT(one.Span(), 2 * kBoomFrames);  // the second play cut the first short
  EXPECT_EQ(Analyse(samples, marks[2]).maxLeft, 20000);  // MAX=3 lets them sound together
}

TEST_F(AudioTest, AModulePlaysLoopsAndStopsThroughTheMusicCollection) {
  StartAudio();
  TMad archive(Archive({{"muzax.ini", ToBytes(test::Crlf("[MusicCollection]|SONGS|beep=music\\beep.xm||ORDERS|LIST=beep||!END|"))},
                        {"beep.xm", WriteXm(test::BeepModule(4, 3, 125))}}));  // 0.24 s: one beep, then silence
  TMusicCollection music(16);
  log.lines.clear(), music.LoadList("muzax.ini", archive);
  ASSERT_EQ(music.Count(), 1u);
  std::string song;
  const size_t before = (music.GetOrderItem("LIST", 1, song), disk.Frames());
  music.Play(song);
  ASSERT_TRUE(disk.WaitFrames(44100));  // a second: four times the module's length
  const size_t stopped = (music.Stop(song), disk.Frames());
  ASSERT_TRUE(disk.WaitFrames(3 * kMargin));
  const auto samples = (FreeAudioDevice(), AudioAvailable = false, disk.Samples());  // the collection's destructor stays quiet
  EXPECT_GE(test::CountBursts({samples.begin() + 2 * before, samples.begin() + 2 * stopped}, 2000), 3u);  // it looped
  EXPECT_EQ(Analyse(samples, stopped + kMargin).nonZero, 0u);  // and stopping silenced it
  EXPECT_EQ(log.lines, (Lines{"(ZR_SDL_A, LoadMusic) BASS: Loading beep.xm was successful", "\xFE Trace \xFE LIST=beep|",
                              "(ZR_SDL_A, PlayMusic) BASS: Music started.", "(ZR_SDL_A, StopMusic) BASS: Music stopped."}));
}

TEST_F(AudioTest, AModuleThatCannotLoadOrAWaveThatCannotPlayTurnsAllSoundOff) {
  StartAudio();
  TMad archive(Archive({{"waves.ini", ToBytes(test::Crlf("[WaveCollection]|ITEM|FILE=boom.wav|NAME=Boom||"))},
                        {"muzax.ini", ToBytes(test::Crlf("[MusicCollection]|SONGS|bad=bad.xm|good=good.xm||"))},
                        {"boom.wav", test::ConstantWav(10000, 100)}, {"bad.xm", test::Bytes(600, 0x5A)}, {"good.xm", WriteXm(test::BeepModule())}}));
  TWaveCollection waves(16);
  TMusicCollection music(16);
  waves.LoadList("waves.ini", archive), log.lines.clear(), music.LoadList("muzax.ini", archive);
  EXPECT_EQ(log.lines, Lines{"{ZR_SDL_A, LoadMusic} BASS: Loading bad.xm failed"});
  EXPECT_FALSE(AudioAvailable || SoundDeviceOpen());
  EXPECT_EQ(music.Count(), 2u);
  log.lines.clear(), waves.Play("Boom"), music.Play("good"), music.Stop("good");  // known, but audio is off
  EXPECT_EQ(log.lines, (Lines{"[ZR_SDL_W, TWaveCollection.Play] Wave not found! (Boom)", "[ZR_SDL_M, TMusicCollection.Play] "
                              "Music not found! (good)", "[ZR_SDL_M, TMusicCollection.Stop] Music not found! (good)"}));
  StartAudio();
  TWaveCollection broken(16);
  broken.Add(0, "Broken"), broken.Play("Broken");  // a sample that never loaded
  EXPECT_EQ(std::ranges::count(log.lines, "{ZR_SDL_W, TWaveCollection.Play} Cannot play wave! (Broken)"), 1);
  EXPECT_FALSE(AudioAvailable || SoundDeviceOpen());
}

TEST_F(AudioTest, TheFileFormsLoadAndLogAndLoadingFromArchivesLeavesNoFileAndTouchesNoneOfThePlayers) {
  StartAudio();
  const auto song = dir / "song.xm", good = dir / "good.wav", bad = dir / "bad.wav";
  test::WriteFile(song, WriteXm(test::BeepModule())), test::WriteFile(good, test::ConstantWav(1000, 100, 22050));
  test::WriteFile(bad, {'R', 'I', 'F', 'F', 1, 2, 3});
  const SoundHandle music = LoadMusic(song);
  ASSERT_NE(music, 0u);
  PlayMusic(music), StopMusic(music), FreeMusic(music);
  EXPECT_FALSE(SoundChannelPlay(music, true));  // the handle is gone
  const SoundHandle wave = LoadWave(good, true), badWave = LoadWave(bad, false);
  EXPECT_TRUE(wave && !badWave);
  EXPECT_EQ(log.lines, (Lines{"(ZR_SDL_A, LoadMusic) BASS: Loading " + song + " was successful",
                              "(ZR_SDL_A, PlayMusic) BASS: Music started.", "(ZR_SDL_A, StopMusic) BASS: Music stopped.",
                              "(ZR_SDL_A, FreeMusic) BASS: Music freed.", "(ZR_SDL_A, LoadWave) BASS: Loading " + good + " was successful",
                              "[ZR_SDL_A, LoadWave] BASS: Loading " + bad + " failed"}));
  EXPECT_TRUE(AudioAvailable);  // a bad sample is no reason to go silent
  SoundSample info;
  ASSERT_TRUE(SoundSampleGetInfo(wave, info));  // length: converted to 16-bit stereo
  EXPECT_EQ(std::tie(info.freq, info.max, info.flags, info.length), std::make_tuple(22050u, 3u, kSampleOverPos | kSampleLoop, 400u));
  // Loaded from an archive: no temporary file is left and none of the player's own files is touched.
  TMad archive(Archive({{"boom.wav", test::ConstantWav(10000, 100)}, {"song.xm", WriteXm(test::BeepModule())}}));
  const auto work = dir.Path() / "work", tmp = dir.Path() / "tmp", oldWork = std::filesystem::current_path();
  std::filesystem::create_directories(work), std::filesystem::create_directories(tmp);
  WriteFileBytes(work / "temp.wav", "mine"), WriteFileBytes(work / "temp.xm", "mine");
  const std::string oldTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
  std::filesystem::current_path(work), setenv("TMPDIR", tmp.c_str(), 1);
  const SoundHandle packedWave = LoadWave("boom.wav", false, archive), packedSong = LoadMusic("song.xm", archive);
  oldTmp.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", oldTmp.c_str(), 1), std::filesystem::current_path(oldWork);
  EXPECT_TRUE(packedWave && packedSong && std::filesystem::is_empty(tmp));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work), {}), 2);
  EXPECT_EQ(ReadFileBytes(work / "temp.wav") + ReadFileBytes(work / "temp.xm"), "minemine");
}

}  // namespace
}  // namespace quarry
