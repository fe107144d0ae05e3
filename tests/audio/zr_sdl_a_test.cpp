// The audio entry points end to end: the device is SDL's disk driver, so what
// was really mixed is read back from its output file.
#include "audio/zr_sdl_a.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "archive/mad.h"
#include "audio/music_collection.h"
#include "audio/wave_collection.h"
#include "audio/xm_writer.h"
#include "audio_test_support.h"
#include "core/stream.h"

namespace quarry {
namespace {

using test::Analyse;
using test::DiskAudio;
using test::TempDir;

constexpr size_t kBoomFrames = 4410;  // 0.1 s
constexpr size_t kMargin = 8192;      // two device buffers and the file's own buffering

class AudioTest : public ::testing::Test {
protected:
  void TearDown() override {
    SoundFree();
    AudioAvailable = false;
    SetSoundVersionOverride(std::nullopt);
    unsetenv("SDL_AUDIODRIVER");
  }

  std::string Archive(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& members) {
    const auto path = dir.Path() / ("archive" + std::to_string(++archives) + ".mad");
    test::WriteArchive(path, members);
    return path.string();
  }

  TempDir dir;
  TempDir output;
  DiskAudio disk{output.Path()};
  test::LogCapture log;
  int archives = 0;
};

TEST_F(AudioTest, AnotherVersionLeavesAudioOffAndEverythingSilent) {
  SetSoundVersionOverride(0x00020001);
  Init_Audio();
  EXPECT_FALSE(AudioAvailable);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"{ZR_SDL_A, Init_Audio} BASS V2.1 was not loaded."});
  log.Clear();

  const auto wav = dir.Path() / "boom.wav";
  test::WriteFile(wav, test::ConstantWav(10000, 100));
  EXPECT_EQ(LoadWave(wav.string(), false), 0u);
  EXPECT_EQ(LoadMusic(wav.string()), 0u);
  PlayMusic(1);
  StopMusic(1);
  FreeMusic(1);
  EXPECT_TRUE(log.Lines().empty());
  EXPECT_FALSE(disk.Exists());  // the device was never opened
}

TEST_F(AudioTest, TheEnvironmentCanReportAnotherVersion) {
  setenv("QUARRY_SOUND_VERSION", "0x00010001", 1);
  EXPECT_EQ(SoundGetVersion(), 0x00010001u);
  unsetenv("QUARRY_SOUND_VERSION");
  EXPECT_EQ(SoundGetVersion(), kSoundVersion);
}

TEST_F(AudioTest, NoUsableDeviceLeavesAudioOff) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  Init_Audio();
  EXPECT_FALSE(AudioAvailable);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"(ZR_SDL_A, Init_Audio) BASS V2.1 loaded.",
                                                   "{ZR_SDL_A, Init_Audio} BASS: Can't initialize device!"}));
}

TEST_F(AudioTest, StartsTheDeviceAndFreesItWithoutALogLine) {
  Init_Audio();
  ASSERT_TRUE(AudioAvailable);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"(ZR_SDL_A, Init_Audio) BASS V2.1 loaded.",
                                                   "(ZR_SDL_A, Init_Audio) BASS: Device initialized."}));
  EXPECT_TRUE(disk.Exists());
  log.Clear();
  FreeAudioDevice();
  EXPECT_FALSE(SoundDeviceOpen());
  EXPECT_TRUE(log.Lines().empty());
}

TEST_F(AudioTest, APlayedWaveIsMixedWithItsLengthVolumeAndPan) {
  Init_Audio();
  ASSERT_TRUE(AudioAvailable);
  const std::string list =
      "[WaveCollection]\r\nITEM\r\nFILE=boom.wav\r\nNAME=Left\r\nVOLUME=50\r\nPAN=-100\r\n\r\n"
      "ITEM\r\nNAME=Right\r\nPAN=60\r\n\r\n!END\r\n";
  TMad archive(Archive({{"waves.ini", {list.begin(), list.end()}},
                        {"boom.wav", test::ConstantWav(10000, kBoomFrames)}}));
  TWaveCollection waves(16);
  waves.LoadList("waves.ini", archive);
  ASSERT_EQ(waves.Count(), 2u);

  const size_t before = disk.Size() / 4;
  waves.Play("Left");
  ASSERT_TRUE(disk.WaitFrames(kBoomFrames + kMargin));
  const size_t between = disk.Size() / 4;
  waves.Play("Right");
  ASSERT_TRUE(disk.WaitFrames(kBoomFrames + kMargin));
  FreeAudioDevice();
  const auto samples = disk.Samples();

  const auto left = Analyse(samples, before, between);
  EXPECT_EQ(left.nonZero, kBoomFrames);
  EXPECT_EQ(left.Span(), kBoomFrames);
  EXPECT_EQ(left.maxLeft, 5000);
  EXPECT_EQ(left.maxRight, 0);

  const auto right = Analyse(samples, between);
  EXPECT_EQ(right.nonZero, kBoomFrames);
  EXPECT_EQ(right.maxLeft, 4000);
  EXPECT_EQ(right.maxRight, 10000);
  EXPECT_GT(right.energyRight, 6 * right.energyLeft);
  EXPECT_EQ(Analyse(samples).nonZero, 2 * kBoomFrames);  // nothing else was ever mixed
}

TEST_F(AudioTest, OnePlayAtATimeReplacesTheRunningPlayInsteadOfStacking) {
  Init_Audio();
  ASSERT_TRUE(AudioAvailable);
  const std::string list =
      "[WaveCollection]\r\nITEM\r\nFILE=boom.wav\r\nNAME=One\r\n\r\n"
      "ITEM\r\nNAME=Three\r\nMAX=3\r\n\r\n";
  TMad archive(Archive({{"waves.ini", {list.begin(), list.end()}},
                        {"boom.wav", test::ConstantWav(10000, kBoomFrames)}}));
  TWaveCollection waves(16);
  waves.LoadList("waves.ini", archive);

  const size_t before = disk.Size() / 4;
  waves.Play("One");
  waves.Play("One");
  ASSERT_TRUE(disk.WaitFrames(2 * kBoomFrames + kMargin));
  const size_t between = disk.Size() / 4;
  waves.Play("Three");
  waves.Play("Three");
  ASSERT_TRUE(disk.WaitFrames(2 * kBoomFrames + kMargin));
  FreeAudioDevice();
  const auto samples = disk.Samples();

  const auto one = Analyse(samples, before, between);
  EXPECT_EQ(one.maxLeft, 10000);           // never summed
  EXPECT_LT(one.Span(), 2 * kBoomFrames);  // the second play cut the first short
  EXPECT_EQ(Analyse(samples, between).maxLeft, 20000);  // MAX=3 lets them sound together
}

std::string MusicList() {
  return "[MusicCollection]\r\nSONGS\r\nbeep=music\\beep.xm\r\n\r\nORDERS\r\nLIST=beep\r\n\r\n!END\r\n";
}

TEST_F(AudioTest, AModulePlaysLoopsAndStopsThroughTheMusicCollection) {
  Init_Audio();
  ASSERT_TRUE(AudioAvailable);
  const auto xm = WriteXm(test::BeepModule(4, 3, 125));  // 0.24 s: one beep, then silence
  const std::string list = MusicList();
  TMad archive(Archive({{"muzax.ini", {list.begin(), list.end()}}, {"beep.xm", xm}}));
  TMusicCollection music(16);
  music.LoadList("muzax.ini", archive);
  ASSERT_EQ(music.Count(), 1u);
  EXPECT_EQ(log.Count("(ZR_SDL_A, LoadMusic) BASS: Loading beep.xm was successful"), 1u);

  std::string song;
  music.GetOrderItem("LIST", 1, song);
  const size_t before = disk.Size() / 4;
  music.Play(song);
  ASSERT_TRUE(disk.WaitFrames(44100));  // a second: four times the module's length
  music.Stop(song);
  const size_t stopped = disk.Size() / 4;
  ASSERT_TRUE(disk.WaitFrames(3 * kMargin));
  FreeAudioDevice();
  AudioAvailable = false;  // the collection's destructor stays quiet
  const auto samples = disk.Samples();

  const std::vector<int16_t> playing(samples.begin() + 2 * before, samples.begin() + 2 * stopped);
  EXPECT_GE(test::CountBursts(playing, 2000), 3u);  // the beep came back: the module looped
  EXPECT_EQ(Analyse(samples, stopped + kMargin).nonZero, 0u);  // and stopping silenced it
  EXPECT_EQ(log.Count("(ZR_SDL_A, PlayMusic) BASS: Music started."), 1u);
  EXPECT_EQ(log.Count("(ZR_SDL_A, StopMusic) BASS: Music stopped."), 1u);
}

TEST_F(AudioTest, AModuleThatCannotLoadTurnsAllSoundOff) {
  Init_Audio();
  ASSERT_TRUE(AudioAvailable);
  const std::string waveList = "[WaveCollection]\r\nITEM\r\nFILE=boom.wav\r\nNAME=Boom\r\n\r\n";
  const std::string musicList =
      "[MusicCollection]\r\nSONGS\r\nbad=bad.xm\r\ngood=good.xm\r\n\r\n";
  const std::vector<uint8_t> junk(600, 0x5A);
  TMad archive(Archive({{"waves.ini", {waveList.begin(), waveList.end()}},
                        {"boom.wav", test::ConstantWav(10000, 100)},
                        {"muzax.ini", {musicList.begin(), musicList.end()}},
                        {"bad.xm", junk},
                        {"good.xm", WriteXm(test::BeepModule())}}));
  TWaveCollection waves(16);
  waves.LoadList("waves.ini", archive);
  TMusicCollection music(16);
  log.Clear();
  music.LoadList("muzax.ini", archive);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"{ZR_SDL_A, LoadMusic} BASS: Loading bad.xm failed"});
  EXPECT_FALSE(AudioAvailable);
  EXPECT_FALSE(SoundDeviceOpen());
  EXPECT_EQ(music.Count(), 2u);

  log.Clear();
  waves.Play("Boom");
  music.Play("good");
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "[ZR_SDL_W, TWaveCollection.Play] Wave not found! (Boom)",
                             "[ZR_SDL_M, TMusicCollection.Play] Music not found! (good)"}));
}

TEST_F(AudioTest, AWaveThatCannotPlayTurnsAllSoundOff) {
  Init_Audio();
  ASSERT_TRUE(AudioAvailable);
  TWaveCollection waves(16);
  waves.Add(0, "Broken");  // a sample that never loaded
  waves.Play("Broken");
  EXPECT_EQ(log.Count("{ZR_SDL_W, TWaveCollection.Play} Cannot play wave! (Broken)"), 1u);
  EXPECT_FALSE(AudioAvailable);
  EXPECT_FALSE(SoundDeviceOpen());
}

TEST_F(AudioTest, MusicCallsLogWhileAudioIsOn) {
  Init_Audio();
  const auto path = dir.Path() / "song.xm";
  test::WriteFile(path, WriteXm(test::BeepModule()));
  log.Clear();
  const SoundHandle song = LoadMusic(path.string());
  ASSERT_NE(song, 0u);
  PlayMusic(song);
  StopMusic(song);
  FreeMusic(song);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "(ZR_SDL_A, LoadMusic) BASS: Loading " + path.string() + " was successful",
                             "(ZR_SDL_A, PlayMusic) BASS: Music started.",
                             "(ZR_SDL_A, StopMusic) BASS: Music stopped.",
                             "(ZR_SDL_A, FreeMusic) BASS: Music freed."}));
  EXPECT_FALSE(SoundChannelPlay(song, true));  // the handle is gone
}

TEST_F(AudioTest, TheFileFormOfLoadWaveReportsSuccessAndFailure) {
  Init_Audio();
  const auto good = dir.Path() / "good.wav";
  const auto bad = dir.Path() / "bad.wav";
  test::WriteFile(good, test::ConstantWav(1000, 100, 22050));
  test::WriteFile(bad, {'R', 'I', 'F', 'F', 1, 2, 3});
  log.Clear();
  const SoundHandle handle = LoadWave(good.string(), true);
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(LoadWave(bad.string(), false), 0u);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "(ZR_SDL_A, LoadWave) BASS: Loading " + good.string() + " was successful",
                             "[ZR_SDL_A, LoadWave] BASS: Loading " + bad.string() + " failed"}));
  EXPECT_TRUE(AudioAvailable);  // a bad sample is no reason to go silent

  SoundSample info;
  ASSERT_TRUE(SoundSampleGetInfo(handle, info));
  EXPECT_EQ(info.freq, 22050u);
  EXPECT_EQ(info.max, 3u);
  EXPECT_EQ(info.flags, kSampleOverPos | kSampleLoop);
  EXPECT_EQ(info.length, 100u * 4);  // converted to 16-bit stereo
}

TEST_F(AudioTest, LoadingFromArchivesLeavesNoFileAndTouchesNoneOfThePlayers) {
  Init_Audio();
  ASSERT_TRUE(AudioAvailable);
  TMad archive(Archive({{"boom.wav", test::ConstantWav(10000, 100)},
                        {"song.xm", WriteXm(test::BeepModule())}}));
  TempDir work;
  TempDir tmp;
  const std::vector<uint8_t> mine = {'m', 'i', 'n', 'e'};
  test::WriteFile(work.Path() / "temp.wav", mine);
  test::WriteFile(work.Path() / "temp.xm", mine);
  const auto oldWork = std::filesystem::current_path();
  std::filesystem::current_path(work.Path());
  const char* oldTmp = std::getenv("TMPDIR");
  const std::string savedTmp = oldTmp ? oldTmp : "";
  setenv("TMPDIR", tmp.Path().c_str(), 1);

  const SoundHandle wave = LoadWave("boom.wav", false, archive);
  const SoundHandle song = LoadMusic("song.xm", archive);

  if (oldTmp) setenv("TMPDIR", savedTmp.c_str(), 1); else unsetenv("TMPDIR");
  std::filesystem::current_path(oldWork);
  EXPECT_NE(wave, 0u);
  EXPECT_NE(song, 0u);
  EXPECT_TRUE(tmp.Entries().empty());
  auto names = work.Entries();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"temp.wav", "temp.xm"}));
  EXPECT_EQ(test::ReadFile(work.Path() / "temp.wav"), mine);
  EXPECT_EQ(test::ReadFile(work.Path() / "temp.xm"), mine);
}

}  // namespace
}  // namespace quarry
