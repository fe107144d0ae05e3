// The song notation compiler, and every song of the game played through a real module player and measured.
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "song.h"
#include "test_support.h"
#include "xm.h"

using namespace datagen;

namespace {

std::string ErrorOf(const std::string& text) {
  try {
    CompileSong(text);
  } catch (const SongError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(SongCompiler, ChannelsGetTheirOwnPannedInstrumentsEchoesAndRepeatedBars) {
  const XmModule m = CompileSong(R"(# comment
title Test Song
speed 4
bpm 140
channel lead lead pan -50 vol 40
channel beat drums pan 100
channel late lead pan 50 echo lead 3
order B A B
pattern A
lead | C4 . | ^ Bb2 |
end
pattern B
beat | k s | % |
end
)");
  EXPECT_EQ(std::tuple(m.name, m.speed, m.bpm, m.channels), std::tuple("Test Song", 4, 140, 3));
  EXPECT_EQ(m.order, (std::vector<uint8_t>{1, 0, 1}));
  // Instruments: the lead's copy, the five drums, the echo's copy; pan and volume in their samples.
  ASSERT_EQ(m.instruments.size(), 7u);
  const std::vector<std::string> names = {"lead", "kick", "snare", "hat", "openhat", "tom", "lead"};
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(m.instruments[i].name, names[i]);
  EXPECT_EQ(std::tuple(m.instruments[0].sample.panning, m.instruments[0].sample.volume), std::tuple(64, 40));
  EXPECT_EQ(std::tuple(m.instruments[1].sample.panning, m.instruments[1].sample.volume), std::tuple(255, 64));
  EXPECT_EQ(std::tuple(m.instruments[6].sample.panning, m.instruments[6].sample.volume), std::tuple(192, 64));
  // (note, instrument, effect, param) by row and channel: C4 is middle C (49), "^" a key off (97); the echo
  // plays the lead's notes with a note delay of 3 ticks; a channel without a line rests; "%" repeats a bar.
  using Cell = std::tuple<int, int, int, int>;
  auto cells = [](const XmPattern& p) {
    std::vector<Cell> out;
    for (const XmCell& c : p.cells) out.emplace_back(c.note, c.instrument, c.effect, c.param);
    return out;
  };
  const Cell rest{0, 0, 0, 0};
  EXPECT_EQ(cells(m.patterns[0]), (std::vector<Cell>{{49, 1, 0, 0}, rest, {49, 7, 0xE, 0xD3}, rest, rest, rest,
                                                     {97, 0, 0, 0}, rest, {97, 0, 0xE, 0xD3}, {35, 1, 0, 0}, rest, {35, 7, 0xE, 0xD3}}));
  EXPECT_EQ(cells(m.patterns[1]), (std::vector<Cell>{rest, {49, 2, 0, 0}, rest, rest, {49, 3, 0, 0}, rest,
                                                     rest, {49, 2, 0, 0}, rest, rest, {49, 3, 0, 0}, rest}));
}

TEST(SongCompiler, MistakesNameTheirLine) {
  const std::string head = "channel a lead\nchannel d drums\norder A\npattern A\n";
  for (const auto& [text, error] : std::vector<std::pair<std::string, std::string>>{
           {head + "a C4 H4\nend\n", "line 5: bad note 'H4'"},
           {head + "a C8\nend\n", "line 5: bad note 'C8'"},
           {head + "d k x\nend\n", "line 5: unknown drum 'x'"},
           {head + "b C4\nend\n", "line 5: unknown channel 'b'"},
           {head + "a C4 .\nd k\nend\n", "line 6: channel has 1 rows, the pattern has 2"},
           {head + "a C4\na C4\nend\n", "line 6: channel 'a' twice in one pattern"},
           {head + "a % | C4\nend\n", "line 5: '%' with no bar before it"},
           {head + "a C4\n", "line 5: pattern not closed with 'end'"},
           {"channel a flute pan 101\n", "line 1: bad pan"},
           {"channel a kick\n", "line 1: unknown instrument 'kick'"},
           {"channel a lead\nchannel a bass\n", "line 2: channel 'a' declared twice"},
           {"channel a lead\nchannel e lead echo d 2\n", "line 2: echo needs an earlier channel that is no echo"},
           {"speed 3\nchannel a lead\nchannel e lead echo a 3\norder A\npattern A\ne C4\nend\n",
            "line 6: echo channel 'e' takes its notes from 'a'"},
           {"speed 3\nchannel a lead\nchannel e lead echo a 3\norder A\npattern A\na C4\nend\n",
            "line 7: echo of channel 'e' is not shorter than a row"},
           {"order Z\nchannel a lead\npattern A\na C4\nend\n", "line 5: order names unknown pattern 'Z'"},
           {"tempo 3\n", "line 1: unknown keyword 'tempo'"},
           {"bpm 10\n", "line 1: bad bpm"}}) {
    EXPECT_EQ(ErrorOf(text), error) << text;
  }
}

// Each pitched instrument, written A4, sounds 440 Hz: a wrong cycle length or relative note would put every song in
// another key or octave. The pitch is the first strong autocorrelation peak, early in the note before any vibrato grows.
// The bell is left out: its partials are not harmonics, so no single period repeats in it.
TEST(SongCompiler, EveryPitchedInstrumentSoundsTheNoteWritten) {
  for (const char* name : {"lead", "bass", "pad", "strings", "organ", "flute", "pluck"}) {
    const auto xm = EncodeXm(CompileSong(std::string("channel a ") + name + "\norder A\npattern A\na A4 . . .\nend\n"));
    openmpt_module* mod = openmpt_module_create_from_memory2(xm.data(), xm.size(), nullptr, nullptr, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr);
    ASSERT_NE(mod, nullptr);
    std::vector<float> audio(44100 / 4);
    openmpt_module_read_float_mono(mod, 44100, audio.size(), audio.data());
    openmpt_module_destroy(mod);
    auto correlation = [&](int lag) {  // normalised, so a swelling note does not favour long lags
      double sum = 0, early = 0, late = 0;
      for (size_t i = 4410; i < 4410 + 2048; ++i)
        sum += audio[i] * audio[i + lag], early += audio[i] * audio[i], late += audio[i + lag] * audio[i + lag];
      return sum / std::sqrt(early * late + 1e-30);
    };
    // The shortest lag that is a peak close to the best one: every multiple of the period correlates too.
    std::vector<double> r(443);
    for (int lag = 43; lag <= 442; ++lag) r[lag] = correlation(lag);  // 1000 Hz down to 100 Hz
    const double top = *std::max_element(r.begin(), r.end());
    int best = 44;
    while (best < 441 && !(r[best] > 0.9 * top && r[best] >= r[best - 1] && r[best] >= r[best + 1])) ++best;
    const double a = correlation(best - 1), b = correlation(best), c = correlation(best + 1);
    const double hz = 44100 / (best + 0.5 * (a - c) / (a - 2 * b + c));
    EXPECT_NEAR(hz, 440, 4.4) << name;
  }
}

namespace {

// The SONGS of muzax.ini: song name and the source it is compiled from.
std::vector<std::pair<std::string, std::string>> GameSongs() {
  const std::string dir = std::string(QUARRY_TEST_DATA_DIR) + "/music/";
  std::istringstream list(quarry::ReadFileBytes(dir + "muzax.ini"));
  std::vector<std::pair<std::string, std::string>> songs;
  bool inSongs = false;
  for (std::string line; std::getline(list, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "SONGS") inSongs = true;
    else if (line.empty()) inSongs = false;
    else if (inSongs && line.find('=') != std::string::npos && line.ends_with(".xm"))
      songs.emplace_back(line.substr(0, line.find('=')), dir + line.substr(line.find('=') + 1, line.size() - line.find('=') - 4) + ".song");
  }
  return songs;
}

void CollectLog(const char* message, void* user) { static_cast<std::vector<std::string>*>(user)->push_back(message); }

}  // namespace

// Each song as the game plays it (libopenmpt, 44100 Hz stereo): it loads without a word from the player, lasts a
// minute before it loops back to its start with sound on both sides of the loop point, uses at least six channels,
// peaks around -6 dBFS without reaching full scale, and is stereo. The figures are printed for the record.
TEST(Songs, EveryGameSongIsLongStereoAndLoudWithoutClipping) {
  const auto songs = GameSongs();
  EXPECT_GE(songs.size(), 6u);
  for (const auto& [name, source] : songs) {
    SCOPED_TRACE(name);
    const XmModule compiled = CompileSong(quarry::ReadFileBytes(source));
    const std::vector<uint8_t> xm = EncodeXm(compiled);
    std::vector<std::string> messages;
    openmpt_module* mod = openmpt_module_create_from_memory2(xm.data(), xm.size(), CollectLog, &messages, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(mod, nullptr);
    const char* warnings = openmpt_module_get_metadata(mod, "warnings");
    EXPECT_EQ(std::string(warnings), "");
    openmpt_free_string(warnings);
    EXPECT_TRUE(messages.empty()) << messages.front();
    const int channels = openmpt_module_get_num_channels(mod);
    const double seconds = openmpt_module_get_duration_seconds(mod);
    EXPECT_GE(channels, 6);
    EXPECT_GE(seconds, 60.0);

    constexpr int kRate = 44100;
    openmpt_module_set_repeat_count(mod, -1);
    const size_t frames = static_cast<size_t>(seconds * kRate);
    std::vector<float> audio(2 * (frames + kRate));  // one second past the loop point
    ASSERT_EQ(openmpt_module_read_interleaved_float_stereo(mod, kRate, frames + kRate, audio.data()), frames + kRate);
    EXPECT_EQ(openmpt_module_get_current_order(mod), 0);  // looped back to the start
    openmpt_module_destroy(mod);

    double peak = 0, mid = 0, side = 0;
    for (size_t f = 0; f < frames; ++f) {
      const double l = audio[2 * f], r = audio[2 * f + 1];
      peak = std::max({peak, std::abs(l), std::abs(r)});
      mid += (l + r) * (l + r) / 4, side += (l - r) * (l - r) / 4;
    }
    const double peakDb = 20 * std::log10(peak), width = std::sqrt(side / mid);
    EXPECT_TRUE(peakDb > -9 && peakDb < -4) << peakDb;  // around -6 dBFS, far from clipping
    EXPECT_GE(width, 0.15);  // side over mid level: 0 is mono
    auto level = [&](size_t from) {  // RMS over a second
      double sum = 0;
      for (size_t i = 2 * from; i < 2 * (from + kRate); ++i) sum += audio[i] * audio[i];
      return std::sqrt(sum / (2 * kRate));
    };
    EXPECT_GT(std::min({level(0), level(frames - kRate), level(frames)}), 0.01);  // no silent gap around the loop
    std::printf("%-8s %6.1f s %2d channels  peak %5.1f dBFS  width %.2f\n", name.c_str(), seconds, channels, peakDb, width);
  }
}
