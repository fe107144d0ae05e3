// Byte layouts of the generators' own writers, pinned by hand-computed vectors.
#include <gtest/gtest.h>

#include "image.h"
#include "mad_pack.h"
#include "sound.h"
#include "xm.h"

using namespace datagen;
using Bytes = std::vector<uint8_t>;

TEST(BmpEncoder, HeaderPaddingBgrOrderAndBottomUpRows) {
  Image img(2, 2);
  img.Set(0, 0, {1, 2, 3});
  img.Set(1, 0, {4, 5, 6});
  img.Set(0, 1, {7, 8, 9});
  const Bytes expected = {
      'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header, then the info header
      40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0,
      0, 0, 0, 0, 0, 0, 0, 0, 9, 8, 7, 0, 0, 0, 0, 0,  // bottom row first, blue first, padded to 8
      3, 2, 1, 6, 5, 4, 0, 0};
  EXPECT_EQ(EncodeBmp24(img), expected);
}

TEST(ImageCanvas, OffCanvasDrawingIsIgnoredAndKeyedPasteSkipsBlack) {
  Image img(4, 4);
  img.FillRect(-10, -10, 100, 2, {9, 9, 9});  // rows -10 and -9 only
  img.FillCircle(-50, 50, 10, {1, 1, 1});
  img.Set(4, 0, {7, 7, 7});
  for (auto [x, y] : {std::pair{100, 100}, {3, 3}, {0, 0}}) EXPECT_EQ(img.Get(x, y), Rgb{}) << x << "," << y;

  Image canvas(2, 1, {1, 1, 1}), holes(2, 1);
  holes.Set(1, 0, {5, 5, 5});
  canvas.Paste(holes, 0, 0, true);  // black is the key: (0, 0) keeps its colour
  EXPECT_EQ(std::pair(canvas.Get(0, 0), canvas.Get(1, 0)), std::pair(Rgb{1, 1, 1}, Rgb{5, 5, 5}));
}

TEST(WavEncoder, SixteenBitMono) {
  const Bytes expected = {'R', 'I', 'F', 'F', 42, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                          1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0,
                          'd', 'a', 't', 'a', 6, 0, 0, 0, 0, 0, 0xFF, 0x7F, 0x01, 0x80};
  EXPECT_EQ(EncodeWav16({0.0f, 2.0f, -3.0f}, 44100), expected);  // clipped to full scale
}

TEST(SoundEffects, EveryPlayedNameHasAShortAudibleEffect) {
  std::vector<SoundFile> effects = SoundEffects();
  for (const std::string name : {"EatSand", "DiamondPickup", "DiamondDown", "BoulderDown", "Pushing", "BalloonUp",
                                 "TunnelStart", "TunnelItem", "TunnelEnd", "Explosion", "ExitOpen"}) {
    auto it = std::find_if(effects.begin(), effects.end(), [&](const SoundFile& s) { return s.name == name; });
    ASSERT_NE(it, effects.end()) << name;
    EXPECT_LE(it->member.size(), 12u) << name;
    EXPECT_GT(it->samples.size(), 500u) << name;
    EXPECT_LT(it->samples.size(), static_cast<size_t>(kSampleRate)) << name << " lasts a second or more";
    const auto [low, high] = std::minmax_element(it->samples.begin(), it->samples.end());
    EXPECT_GT(std::max(-*low, *high), 0.1f) << name << " is nearly silent";
    // Faded ends: no click when the effect starts or stops.
    EXPECT_LT(std::max(std::abs(it->samples.front()), std::abs(it->samples.back())), 0.05f) << name;
  }
}

TEST(XmEncoder, HeaderPatternAndInstrumentLayout) {
  const XmModule m{.name = "T", .channels = 1, .speed = 5, .bpm = 130, .order = {0},
                   .patterns = {{2, {{.note = 49, .instrument = 1}, {}}}},
                   .instruments = {{.name = "i", .sample = {.data = {10, -300}, .loopStart = 1, .loopLength = 1, .panning = 30},
                                    .volumeEnvelope = {}, .vibratoSweep = 2, .vibratoDepth = 3, .vibratoRate = 4}}};
  Bytes x = EncodeXm(m);
  ASSERT_EQ(x.size(), 656u);
  EXPECT_EQ(std::string(x.begin(), x.begin() + 18), "Extended Module: T");
  EXPECT_EQ(x[37], 0x1A);
  auto at = [&](size_t from, size_t to) { return Bytes(x.begin() + from, x.begin() + to); };
  // Version 1.04, header size 276, song length 1, restart 0, 1 channel,
  // 1 pattern, 1 instrument, linear frequencies, speed 5, tempo 130, order 0.
  EXPECT_EQ(at(58, 81), (Bytes{4, 1, 0x14, 1, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 5, 0, 130, 0, 0}));
  // Pattern at 60 + 276: header, then packed cells: note + instrument, empty.
  EXPECT_EQ(at(336, 349), (Bytes{9, 0, 0, 0, 0, 2, 0, 4, 0, 0x83, 49, 1, 0x80}));
  EXPECT_EQ(at(349, 353), (Bytes{7, 1, 0, 0}));  // instrument header size 263
  EXPECT_EQ(at(376, 382), (Bytes{1, 0, 40, 0, 0, 0}));  // one sample, sample header size 40
  EXPECT_EQ(at(584, 588), (Bytes{0, 2, 3, 4}));  // sine vibrato: sweep, depth, rate
  // Sample length, loop start and loop length in bytes; volume; forward loop, 16-bit; panning.
  EXPECT_EQ(at(612, 628), (Bytes{4, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 64, 0, 0x11, 30}));
  EXPECT_EQ(at(652, 656), (Bytes{10, 0, 0xCA, 0xFE}));  // delta-coded: 10, then -300 - 10
}

TEST(XmEncoder, RejectsModulesTheFormatCannotHold) {
  // One cell short of 4 rows x 2 channels.
  XmModule m{.name = "", .channels = 2, .order = {0}, .patterns = {{4, std::vector<XmCell>(7)}}, .instruments = {}};
  EXPECT_THROW(EncodeXm(m), std::invalid_argument);
  m.patterns[0].cells.resize(8);
  m.order = {1};  // no such pattern
  EXPECT_THROW(EncodeXm(m), std::invalid_argument);
  m.order = {0};
  // The loop runs past the end.
  m.instruments.push_back(
      {.name = "", .sample = {.data = {1, 2, 3}, .loopStart = 2, .loopLength = 2}, .volumeEnvelope = {}});
  EXPECT_THROW(EncodeXm(m), std::invalid_argument);
}

TEST(MadPacking, TextMembersGetCrLfLinesAndNamesMustFit) {
  const std::string lf = "a\nb\r\nc\n";
  Bytes out = ToCrLf(Bytes(lf.begin(), lf.end()));
  EXPECT_EQ(std::string(out.begin(), out.end()), "a\r\nb\r\nc\r\n");
  for (const char* text : {"controls.ini", "BLOCKS.LST", "outro.mpt", "info"}) EXPECT_TRUE(IsTextMember(text)) << text;
  for (const char* binary : {"wall.bmp", "font.gsd"}) EXPECT_FALSE(IsTextMember(binary)) << binary;
  EXPECT_EQ(MemberName("/some/dir/logolite.bmp"), "logolite.bmp");
  EXPECT_THROW(MemberName("/dir/longer_than12.bmp"), std::runtime_error);
}
