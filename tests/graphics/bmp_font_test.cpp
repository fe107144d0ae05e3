// Glyph-sheet fonts loaded through the real archive reader and checked by
// drawing into the BackBuffer.
#include <gtest/gtest.h>

#include "core/stream.h"
#include "display_fixture.h"
#include "graphics/bmp_font.h"

namespace quarry {
namespace {

using test::Bytes;
using test::Rgb;

class BmpFontTest : public test::DisplayTest {
protected:
  std::unique_ptr<TBMPFont> Load(const Bytes& gsd, const Bytes& bmf, Rgb tint = {255, 255, 255}) {
    mad_ = test::BuildArchive(dir_, {{"font.gsd", gsd}, {"font.bmf", bmf}});
    return std::make_unique<TBMPFont>("font", *mad_, tint.r, tint.g, tint.b);
  }
  test::TempDir dir_;
  std::unique_ptr<TMad> mad_;
};

TEST_F(BmpFontTest, FullIntensityTintsTo254AndHalfRoundsDown) {
  Bytes bmf;
  test::AddGlyph(bmf, 'A', 0, 0, 1, 0);
  auto white = Load(test::MakeGsd(2, 1, {255, 128}), bmf);
  EXPECT_EQ(white->Height, 1);
  white->DrawText("A", 5, 5, kAlignLeft);
  EXPECT_EQ(Pixel(5, 5), (Rgb{254, 254, 254}));
  EXPECT_EQ(Pixel(6, 5), (Rgb{127, 127, 127}));

  auto blue = Load(test::MakeGsd(2, 1, {255, 128}), bmf, {64, 192, 255});
  blue->DrawText("A", 5, 6, kAlignLeft);
  EXPECT_EQ(Pixel(5, 6), (Rgb{63, 191, 254}));
  EXPECT_EQ(Pixel(6, 6), (Rgb{32, 96, 127}));
}

TEST_F(BmpFontTest, AGlyphWithoutARecordDrawsTheTopLeftPixelAndAdvancesOnePlusSpacing) {
  Bytes bmf;
  test::AddGlyph(bmf, 'A', 1, 0, 2, 1);
  auto font = Load(test::MakeGsd(3, 2, {255, 50, 50, 50, 50, 50}), bmf);
  EXPECT_EQ(font->TextWidth("B"), 1);
  EXPECT_EQ(font->TextWidth("BB"), 3);
  FillBox(0, 0, 40, 40, 0, 0, 90);
  font->DrawText("BB", 10, 10, kAlignLeft);
  EXPECT_EQ(Pixel(10, 10), (Rgb{254, 254, 254}));
  EXPECT_EQ(Pixel(11, 10), (Rgb{0, 0, 90}));
  EXPECT_EQ(Pixel(12, 10), (Rgb{254, 254, 254}));
  EXPECT_EQ(Pixel(10, 11), (Rgb{0, 0, 90}));
}

TEST_F(BmpFontTest, GlyphsAreDrawnAtTheirOwnRowOfTheSheet) {
  // 'A' sits on row 1 of a 2-row sheet: drawn one row below y.
  Bytes bmf;
  test::AddGlyph(bmf, 'A', 0, 1, 0, 1);
  auto font = Load(test::MakeGsd(1, 2, {0, 255}), bmf);
  FillBox(0, 0, 40, 40, 0, 0, 90);
  font->DrawText("A", 20, 20, kAlignLeft);
  EXPECT_EQ(Pixel(20, 20), (Rgb{0, 0, 90}));
  EXPECT_EQ(Pixel(20, 21), (Rgb{254, 254, 254}));
}

TEST_F(BmpFontTest, ALaterRecordReplacesAnEarlierOne) {
  Bytes bmf;
  test::AddGlyph(bmf, 'A', 0, 0, 0, 0);
  test::AddGlyph(bmf, 'A', 1, 0, 3, 0);
  auto font = Load(test::MakeGsd(4, 1, {0, 255, 255, 255}), bmf);
  EXPECT_EQ(font->TextWidth("A"), 3);
  font->DrawText("A", 0, 0, kAlignLeft);
  EXPECT_EQ(Pixel(0, 0), (Rgb{254, 254, 254}));
  EXPECT_EQ(Pixel(2, 0), (Rgb{254, 254, 254}));
}

class AlignTest : public BmpFontTest {
protected:
  void SetUp() override {
    BmpFontTest::SetUp();
    Bytes bmf;
    test::AddGlyph(bmf, 'X', 0, 0, 100, 0);  // 101 pixels of ink
    font_ = Load(test::MakeGsd(101, 1, Bytes(101, 255)), bmf);
  }
  // First and last inked column of row y.
  std::pair<int, int> InkSpan(int y) {
    int first = -1, last = -1;
    for (int x = 0; x < 640; ++x)
      if (Pixel(x, y).r == 254) {
        if (first < 0) first = x;
        last = x;
      }
    return {first, last};
  }
  std::unique_ptr<TBMPFont> font_;
};

TEST_F(AlignTest, CentredAndRightAlignedText) {
  ASSERT_EQ(font_->TextWidth("X"), 101);
  font_->DrawText("X", 320, 0, kAlignCentre);
  EXPECT_EQ(InkSpan(0), std::make_pair(270, 370));
  font_->DrawText("X", 320, 1, kAlignRight);
  EXPECT_EQ(InkSpan(1), std::make_pair(219, 319));
  font_->DrawText("X", 320, 2, 7);  // unknown alignments draw from x
  EXPECT_EQ(InkSpan(2), std::make_pair(320, 420));
}

TEST_F(AlignTest, CentringRoundsTowardZeroForNegativeWidths) {
  font_->SpaceWidth = -104;  // " X" is -3 pixels wide
  ASSERT_EQ(font_->TextWidth(" X"), -3);
  font_->DrawText(" X", 320, 0, kAlignCentre);
  // x = 320 - (-3 / 2) = 321, then the space moves back 104.
  EXPECT_EQ(InkSpan(0).first, 217);
}

TEST_F(BmpFontTest, SpacesAdvanceWithoutDrawingAndWidthsSumAsDrawn) {
  Bytes bmf;
  test::AddGlyph(bmf, ' ', 0, 0, 0, 0);
  test::AddGlyph(bmf, 'A', 0, 0, 1, 0);
  auto font = Load(test::MakeGsd(2, 1, {255, 255}), bmf);
  EXPECT_EQ(font->TextWidth(""), -1);
  EXPECT_EQ(font->TextWidth("A A"), 2 + 1 + 10 + 2);
  FillBox(0, 0, 40, 40, 0, 0, 90);
  font->DrawText(" ", 0, 0, kAlignLeft);
  EXPECT_EQ(Pixel(0, 0), (Rgb{0, 0, 90}));
  font->DrawText("A A", 0, 1, kAlignLeft);
  EXPECT_EQ(Pixel(13, 1), (Rgb{254, 254, 254}));  // 2 + 1 + 10
  EXPECT_EQ(Pixel(12, 1), (Rgb{0, 0, 90}));
}

TEST_F(BmpFontTest, ColourKeyAndAlpha) {
  Bytes bmf;
  test::AddGlyph(bmf, 'A', 0, 0, 1, 0);
  auto font = Load(test::MakeGsd(2, 1, {0, 255}), bmf);
  FillBox(0, 0, 40, 40, 0, 0, 90);
  font->SetColorKey(0, 0, 0);
  EXPECT_TRUE(font->ColorKeyed);
  font->DrawText("A", 0, 0, kAlignLeft);
  EXPECT_EQ(Pixel(0, 0), (Rgb{0, 0, 90}));
  EXPECT_EQ(Pixel(1, 0), (Rgb{254, 254, 254}));

  test::LogCapture log;
  font->SetAlpha(0);
  font->DrawText("A", 0, 1, kAlignLeft);
  EXPECT_EQ(Pixel(1, 1), (Rgb{0, 0, 90}));  // fully transparent
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(BmpFontTest, DamagedSheetGivesAnEmptyFontThatDrawsNothing) {
  Bytes bmf;
  test::AddGlyph(bmf, 'A', 0, 0, 0, 0);
  test::LogCapture log;
  auto font = Load(test::MakeGsd(200, 200, Bytes(10, 255)), bmf);
  EXPECT_EQ(font->Surface, nullptr);
  EXPECT_EQ(font->Height, 0);
  EXPECT_EQ(log.Count("[BMPFONT, TBMPFont.Init] Damaged glyph sheet! (BMPFont: font)"), 1);
  EXPECT_EQ(log.Count("[BMPFONT, TBMPFont.Init] 1 glyph(s) outside the sheet ignored! (BMPFont: font)"), 1);
  FillBox(0, 0, 40, 40, 0, 0, 90);
  font->DrawText("AB", 0, 0, kAlignCentre);
  EXPECT_EQ(Pixel(0, 0), (Rgb{0, 0, 90}));
  font->SetAlpha(10);
  EXPECT_EQ(log.Count("[BMPFONT.SetAlpha] SetAlpha failed! (BMPFont: font)"), 1);
}

TEST_F(BmpFontTest, RectanglesOutsideTheSheetAndCutRecordsAreRefused) {
  Bytes bmf;
  test::AddGlyph(bmf, 'A', 0, 0, 1, 0);
  test::AddGlyph(bmf, 'A', 0, 0, 2, 0);  // past the right edge: keeps the earlier one
  test::AddGlyph(bmf, 'B', 1, 0, 0, 0);  // x2 < x1
  test::AddGlyph(bmf, 'C', 0, 0, 0, 1);  // past the bottom
  bmf.push_back('D');                    // a record cut short
  test::LogCapture log;
  auto font = Load(test::MakeGsd(2, 1, {255, 255}), bmf);
  EXPECT_EQ(font->TextWidth("A"), 2);
  EXPECT_EQ(font->Glyphs['B'].x1, 0);
  EXPECT_EQ(font->Glyphs['C'].y2, 0);
  EXPECT_EQ(log.Count("[BMPFONT, TBMPFont.Init] 3 glyph(s) outside the sheet ignored! (BMPFont: font)"), 1);
  EXPECT_EQ(log.Count("[BMPFONT, TBMPFont.Init] Glyph table ends inside a record! (BMPFont: font)"), 1);
}

TEST_F(BmpFontTest, NamesAreCutTo12AndMissingMembersStop) {
  TMemoryStream gsd, bmf;
  auto font = std::make_unique<TBMPFont>("ABCDEFGHIJKLMNOP", gsd, bmf, 255, 255, 255);
  EXPECT_EQ(font->Name, "ABCDEFGHIJKL");
  test::ThrowOnStop();
  mad_ = test::BuildArchive(dir_, {{"font.gsd", test::MakeGsd(1, 1, {1})}});
  EXPECT_THROW(TBMPFont("font", *mad_, 1, 1, 1), test::MissingData);
  SetStopHandler(nullptr);
}

}  // namespace
}  // namespace quarry
