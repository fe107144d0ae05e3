// The song notation compiler, and every song of the game played through a real module player.
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <filesystem>

#include "song.h"
#include "test_support.h"
#include "xm.h"

using namespace datagen;

namespace {

const char* kTwoPatterns = R"(# comment
title Test Song
speed 4
bpm 140
order B A B
pattern A
lead | C4 . ^ . |
end
pattern B
bass  C#5 . . Bb2
drums k . s h
end
)";

int InstrumentNumber(const std::string& name) {
  std::vector<XmInstrument> set = SongInstruments();
  for (size_t i = 0; i < set.size(); ++i)
    if (set[i].name == name) return static_cast<int>(i) + 1;
  return -1;
}

std::string ErrorOf(const std::string& text) {
  try {
    CompileSong(text);
  } catch (const SongError& e) {
    return e.what();
  }
  return "";
}

// (note, instrument) of every cell, row by row.
std::vector<std::pair<int, int>> Cells(const XmPattern& p) {
  std::vector<std::pair<int, int>> out;
  for (const XmCell& c : p.cells) out.emplace_back(c.note, c.instrument);
  return out;
}

}  // namespace

TEST(SongCompiler, NotesInstrumentsChannelsAndOrder) {
  XmModule m = CompileSong(kTwoPatterns);
  // The widest pattern decides the channel count.
  EXPECT_EQ(std::tuple(m.name, m.speed, m.bpm, m.channels), std::tuple("Test Song", 4, 140, 2));
  EXPECT_EQ(m.order, (std::vector<uint8_t>{1, 0, 1}));
  ASSERT_EQ(m.patterns.size(), 2u);
  // C4 is middle C (49), "^" a key off (97) without instrument; pattern A's second channel stays empty; drums at 49.
  const int lead = InstrumentNumber("lead"), bass = InstrumentNumber("bass"), kick = InstrumentNumber("kick");
  const int snare = InstrumentNumber("snare"), hat = InstrumentNumber("hat");
  using Pairs = std::vector<std::pair<int, int>>;
  EXPECT_EQ(Cells(m.patterns[0]), (Pairs{{49, lead}, {0, 0}, {0, 0}, {0, 0}, {97, 0}, {0, 0}, {0, 0}, {0, 0}}));
  EXPECT_EQ(Cells(m.patterns[1]),
            (Pairs{{62, bass}, {49, kick}, {0, 0}, {0, 0}, {0, 0}, {49, snare}, {35, bass}, {49, hat}}));
}

TEST(SongCompiler, MistakesNameTheirLine) {
  EXPECT_EQ(ErrorOf("order A\npattern A\nlead C4 H4\nend\n"), "line 3: bad note 'H4'");
  EXPECT_EQ(ErrorOf("order A\npattern A\nlead C8\nend\n"), "line 3: bad note 'C8'");
  EXPECT_EQ(ErrorOf("order A\npattern A\nflute C4\nend\n"), "line 3: unknown instrument 'flute'");
  EXPECT_EQ(ErrorOf("order A\npattern A\ndrums k x\nend\n"), "line 3: unknown drum 'x'");
  EXPECT_EQ(ErrorOf("order A\npattern A\nlead C4 .\nbass C3\nend\n"),
            "line 4: channel has 1 rows, the pattern has 2");
  EXPECT_EQ(ErrorOf("order A\npattern A\nlead C4\n"), "line 3: pattern not closed with 'end'");
  EXPECT_EQ(ErrorOf("order Z\npattern A\nlead C4\nend\n"), "line 4: order names unknown pattern 'Z'");
  EXPECT_EQ(ErrorOf("tempo 3\n"), "line 1: unknown keyword 'tempo'");
  EXPECT_EQ(ErrorOf("bpm 10\n"), "line 1: bad bpm");
}

TEST(SongCompiler, TheGamesSongsPlayInAModulePlayer) {
  int songs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(QUARRY_TEST_DATA_DIR) + "/music")) {
    if (entry.path().extension() != ".song") continue;
    ++songs;
    XmModule module = CompileSong(quarry::ReadFileBytes(entry.path()));
    std::vector<uint8_t> xm = EncodeXm(module);
    openmpt_module* mod = openmpt_module_create_from_memory2(xm.data(), xm.size(), nullptr, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(mod, nullptr) << entry.path();
    EXPECT_EQ(openmpt_module_get_num_channels(mod), module.channels) << entry.path();
    EXPECT_EQ(openmpt_module_get_num_instruments(mod), static_cast<int32_t>(SongInstruments().size()));
    const double seconds = openmpt_module_get_duration_seconds(mod);
    EXPECT_TRUE(seconds > 4.0 && seconds < 120.0) << entry.path() << " lasts " << seconds;
    // The first two seconds must sound: instruments, notes and samples are all read as written.
    std::vector<float> audio(44100 * 2);
    EXPECT_EQ(openmpt_module_read_float_mono(mod, 44100, audio.size(), audio.data()), audio.size());
    double energy = 0;
    for (float s : audio) energy += s * s;
    EXPECT_GT(std::sqrt(energy / audio.size()), 0.01) << entry.path() << " is silent";
    openmpt_module_destroy(mod);
  }
  EXPECT_GE(songs, 4);
}
