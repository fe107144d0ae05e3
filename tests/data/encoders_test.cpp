// Byte layouts of the generators' own writers, pinned by hand-computed vectors.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "image.h"
#include "mad_pack.h"
#include "sound.h"
#include "xm.h"

using namespace datagen;
using Bytes = std::vector<uint8_t>;

TEST(BmpEncoder, HeaderPaddingAndBgrOrder) {
  Image img(2, 1);
  img.Set(0, 0, {1, 2, 3});
  img.Set(1, 0, {4, 5, 6});
  const Bytes expected = {
      'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
      40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0,
      0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // info header
      3, 2, 1, 6, 5, 4, 0, 0};  // one row, blue first, padded to 8 bytes
  EXPECT_EQ(EncodeBmp24(img), expected);
}

TEST(BmpEncoder, RowsAreStoredBottomUp) {
  Image img(1, 2);
  img.Set(0, 0, {10, 20, 30});
  img.Set(0, 1, {40, 50, 60});
  Bytes bytes = EncodeBmp24(img);
  ASSERT_EQ(bytes.size(), 54u + 8u);
  EXPECT_EQ(Bytes(bytes.begin() + 54, bytes.end()), (Bytes{60, 50, 40, 0, 30, 20, 10, 0}));
}

TEST(ImageCanvas, DrawingOffTheCanvasIsIgnored) {
  Image img(4, 4);
  img.FillRect(-10, -10, 100, 2, {9, 9, 9});
  img.FillCircle(-50, 50, 10, {1, 1, 1});
  img.Set(4, 0, {7, 7, 7});
  EXPECT_EQ(img.Get(100, 100), Rgb{});
  EXPECT_EQ(img.Get(3, 3), Rgb{});
  // Nothing of the rectangle falls inside: it covers rows -10 and -9 only.
  EXPECT_EQ(img.Get(0, 0), Rgb{});
}

TEST(ImageCanvas, StripPlacesFramesSideBySideAndKeyedPasteSkipsBlack) {
  Image a(2, 2, {1, 1, 1}), b(2, 2, {2, 2, 2});
  Image strip = Strip({a, b});
  ASSERT_EQ(strip.Width(), 4);
  EXPECT_EQ(strip.Get(1, 1), (Rgb{1, 1, 1}));
  EXPECT_EQ(strip.Get(2, 0), (Rgb{2, 2, 2}));
  Image holes(2, 1);
  holes.Set(1, 0, {5, 5, 5});
  strip.Paste(holes, 0, 0, true);
  EXPECT_EQ(strip.Get(0, 0), (Rgb{1, 1, 1}));
  EXPECT_EQ(strip.Get(1, 0), (Rgb{5, 5, 5}));
}

TEST(WavEncoder, EightBitMonoWithPadByte) {
  const Bytes expected = {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E',
                          'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
                          0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0, 1, 0, 8, 0,
                          'd', 'a', 't', 'a', 3, 0, 0, 0, 128, 255, 1, 128};
  // 2.0 and -3.0 are clipped to full scale.
  EXPECT_EQ(EncodeWav8({0.0f, 2.0f, -3.0f}, 22050), expected);
}

TEST(SoundEffects, EveryPlayedNameHasAShortAudibleEffect) {
  const std::vector<std::string> played = {"EatSand", "DiamondPickup", "DiamondDown", "BoulderDown",
                                           "Pushing", "BalloonUp", "TunnelStart", "TunnelItem",
                                           "TunnelEnd", "Explosion", "ExitOpen"};
  std::vector<SoundFile> effects = SoundEffects();
  for (const std::string& name : played) {
    auto it = std::find_if(effects.begin(), effects.end(), [&](const SoundFile& s) { return s.name == name; });
    ASSERT_NE(it, effects.end()) << name;
    EXPECT_LE(it->member.size(), 12u) << name;
    EXPECT_GT(it->samples.size(), 500u) << name;
    EXPECT_LT(it->samples.size(), static_cast<size_t>(kSampleRate)) << name << " lasts a second or more";
    float peak = 0;
    for (float s : it->samples) peak = std::max(peak, std::abs(s));
    EXPECT_GT(peak, 0.1f) << name << " is nearly silent";
    // Faded ends: no click when the effect starts or stops.
    EXPECT_LT(std::abs(it->samples.front()), 0.05f) << name;
    EXPECT_LT(std::abs(it->samples.back()), 0.05f) << name;
  }
}

TEST(XmEncoder, HeaderPatternAndInstrumentLayout) {
  XmModule m;
  m.name = "T";
  m.channels = 1;
  m.speed = 5;
  m.bpm = 130;
  m.order = {0};
  XmPattern p;
  p.rows = 2;
  p.cells.resize(2);
  p.cells[0].note = 49;
  p.cells[0].instrument = 1;
  m.patterns.push_back(p);
  XmInstrument ins;
  ins.name = "i";
  ins.sample.data = {10, 5};
  m.instruments.push_back(ins);

  Bytes x = EncodeXm(m);
  ASSERT_EQ(x.size(), 654u);
  EXPECT_EQ(std::string(x.begin(), x.begin() + 17), "Extended Module: ");
  EXPECT_EQ(x[17], 'T');
  EXPECT_EQ(x[37], 0x1A);
  auto u16 = [&](size_t at) { return x[at] | (x[at + 1] << 8); };
  auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
  EXPECT_EQ(u16(58), 0x0104);
  EXPECT_EQ(u32(60), 276u);
  EXPECT_EQ(u16(64), 1);    // song length
  EXPECT_EQ(u16(68), 1);    // channels
  EXPECT_EQ(u16(70), 1);    // patterns
  EXPECT_EQ(u16(72), 1);    // instruments
  EXPECT_EQ(u16(74), 1);    // linear frequencies
  EXPECT_EQ(u16(76), 5);    // speed
  EXPECT_EQ(u16(78), 130);  // tempo
  EXPECT_EQ(x[80], 0);      // order entry
  // Pattern at 60 + 276: header, then packed cells: note + instrument, empty.
  EXPECT_EQ(Bytes(x.begin() + 336, x.begin() + 349), (Bytes{9, 0, 0, 0, 0, 2, 0, 4, 0, 0x83, 49, 1, 0x80}));
  EXPECT_EQ(u32(349), 263u);  // instrument header size
  EXPECT_EQ(u16(376), 1);     // one sample
  EXPECT_EQ(u32(378), 40u);   // sample header size
  EXPECT_EQ(u32(612), 2u);    // sample length
  EXPECT_EQ(x[624], 64);      // volume
  EXPECT_EQ(x[626], 0);       // no loop, 8-bit
  // Delta-coded sample data: 10, then 5 - 10.
  EXPECT_EQ(x[652], 10);
  EXPECT_EQ(x[653], 0xFB);
}

TEST(XmEncoder, RejectsModulesTheFormatCannotHold) {
  XmModule m;
  m.channels = 2;
  m.order = {0};
  XmPattern p;
  p.rows = 4;
  p.cells.resize(7);  // one cell short of 4 rows x 2 channels
  m.patterns.push_back(p);
  EXPECT_THROW(EncodeXm(m), std::invalid_argument);
  m.patterns[0].cells.resize(8);
  m.order = {1};  // no such pattern
  EXPECT_THROW(EncodeXm(m), std::invalid_argument);
  m.order = {0};
  XmInstrument ins;
  ins.sample.data = {1, 2, 3};
  ins.sample.loopStart = 2;
  ins.sample.loopLength = 2;  // runs past the end
  m.instruments.push_back(ins);
  EXPECT_THROW(EncodeXm(m), std::invalid_argument);
}

TEST(MadPacking, TextMembersGetCrLfLines) {
  const std::string lf = "a\nb\r\nc\n";
  Bytes out = ToCrLf(Bytes(lf.begin(), lf.end()));
  EXPECT_EQ(std::string(out.begin(), out.end()), "a\r\nb\r\nc\r\n");
  EXPECT_TRUE(IsTextMember("controls.ini"));
  EXPECT_TRUE(IsTextMember("BLOCKS.LST"));
  EXPECT_TRUE(IsTextMember("outro.mpt"));
  EXPECT_TRUE(IsTextMember("info"));
  EXPECT_FALSE(IsTextMember("wall.bmp"));
  EXPECT_FALSE(IsTextMember("font.gsd"));
}

TEST(MadPacking, MemberNamesMustFitTheArchive) {
  EXPECT_EQ(MemberName("/some/dir/logolite.bmp"), "logolite.bmp");
  EXPECT_THROW(MemberName("/dir/longer_than12.bmp"), std::runtime_error);
}
