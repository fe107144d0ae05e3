// The drawn image collection loaded through the real archive reader and
// checked by drawing into the BackBuffer.
#include <gtest/gtest.h>

#include "core/stream.h"
#include "display_fixture.h"
#include "graphics/image_collection.h"
#include "graphics/image_sizes.h"

namespace quarry {
namespace {

using test::Bytes;
using test::Rgb;

class ImageCollectionTest : public test::DisplayTest {};

// A 4x2 BMP: left half black, right half green.
Bytes HalfBlack() {
  return test::MakeBmp24(4, 2, [](int x, int) { return x < 2 ? Rgb{0, 0, 0} : Rgb{0, 200, 0}; });
}

TEST_F(ImageCollectionTest, DotLinesAreKeyedOnBlackAndPlainLinesAreOpaque) {
  test::TempDir dir;
  auto mad = test::BuildArchive(
      dir, {{"blocks.lst", test::Text("half.bmp,Wall\r\n.half.bmp,Keyed\r\n")},
            {"half.bmp", HalfBlack()}});
  TImageCollection images(32);
  images.LoadList("blocks.lst", *mad);
  ASSERT_EQ(images.Count(), 2u);

  FillBox(0, 0, 99, 99, 255, 0, 0);
  BlitWhole(10, 10, images.Find("Wall"));
  BlitWhole(20, 10, images.Find("Keyed"));
  EXPECT_EQ(Pixel(10, 10), (Rgb{0, 0, 0}));      // opaque black
  EXPECT_EQ(Pixel(12, 11), (Rgb{0, 200, 0}));
  EXPECT_EQ(Pixel(20, 10), (Rgb{255, 0, 0}));    // black became transparent
  EXPECT_EQ(Pixel(23, 11), (Rgb{0, 200, 0}));
  EXPECT_EQ(Pixel(24, 10), (Rgb{255, 0, 0}));    // nothing beyond the image
}

TEST_F(ImageCollectionTest, LongNamesDuplicatesAndCapacity) {
  test::TempDir dir;
  auto mad = test::BuildArchive(
      dir, {{"l", test::Text("red.bmp,Twin\r\nblue.bmp,Twin\r\nred.bmp,ABCDEFGHIJKLMNOPQ\r\n"
                             "blue.bmp,Dropped\r\n")},
            {"red.bmp", test::SolidBmp(1, 1, {250, 0, 0})},
            {"blue.bmp", test::SolidBmp(1, 1, {0, 0, 250})}});
  TImageCollection images(3);
  images.LoadList("l", *mad);
  EXPECT_EQ(images.Count(), 3u);

  BlitWhole(0, 0, images.Find("Twin"));
  EXPECT_EQ(Pixel(0, 0), (Rgb{250, 0, 0}));  // the first of two records
  EXPECT_NE(images.Find("ABCDEFGHIJKLMNOP"), nullptr);

  test::LogCapture log;
  EXPECT_EQ(images.Find("ABCDEFGHIJKLMNOPQ"), nullptr);
  EXPECT_EQ(images.Find("Dropped"), nullptr);
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "(ZR_SDL_C, TImageCollection.Find) Image not found! (ABCDEFGHIJKLMNOPQ).",
                           "(ZR_SDL_C, TImageCollection.Find) Image not found! (Dropped)."}));
}

TEST_F(ImageCollectionTest, CelPaletteIsScaledAndTruncatedToBytes) {
  Bytes palette(768, 0);
  // entry 1: (63, 32, 1) -> (252, 128, 4); entry 2: (65, 0, 127) keeps only
  // the low byte of each component times 4 -> (4, 0, 252).
  const uint8_t e1[] = {63, 32, 1}, e2[] = {65, 0, 127};
  std::copy(e1, e1 + 3, palette.begin() + 3);
  std::copy(e2, e2 + 3, palette.begin() + 6);
  test::TempDir dir;
  auto mad = test::BuildArchive(
      dir, {{"l", test::Text("pic.CeL,Pic\r\n")},
            {"pic.cel", test::MakeCel(3, 2, palette, {0, 1, 2, 2, 1, 0})}});
  TImageCollection images(32);
  images.LoadList("l", *mad);
  SDL_Surface* pic = images.Find("Pic");
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->w, 3);
  EXPECT_EQ(pic->h, 2);
  BlitWhole(100, 50, pic);
  EXPECT_EQ(Pixel(100, 50), (Rgb{0, 0, 0}));
  EXPECT_EQ(Pixel(101, 50), (Rgb{252, 128, 4}));
  EXPECT_EQ(Pixel(102, 50), (Rgb{4, 0, 252}));
  EXPECT_EQ(Pixel(100, 51), (Rgb{4, 0, 252}));
  EXPECT_EQ(Pixel(101, 51), (Rgb{252, 128, 4}));
}

TEST_F(ImageCollectionTest, UndecodableMembersAddNoImage) {
  Bytes badCel = test::MakeCel(10, 10, {}, Bytes(99, 1));  // one pixel short
  Bytes wrongMagic = test::MakeCel(1, 1, {}, {0});
  wrongMagic[1] = 0;
  Bytes badBmp = test::SolidBmp(4, 4, {1, 2, 3});
  badBmp.resize(60);
  test::TempDir dir;
  auto mad = test::BuildArchive(
      dir, {{"l", test::Text("a.cel,A\r\nb.cel,B\r\nc.bmp,C\r\nNoComma\r\nd.bmp,D\r\n")},
            {"a.cel", badCel}, {"b.cel", wrongMagic}, {"c.bmp", badBmp},
            {"d.bmp", test::SolidBmp(1, 1, {7, 7, 7})}});
  test::LogCapture log;
  TImageCollection images(32);
  images.LoadList("l", *mad);
  EXPECT_EQ(images.Count(), 1u);
  EXPECT_EQ(log.Count("[ZR_SDL_C, LoadCel] Damaged CEL image! (899 bytes)"), 1);
  for (const char* member : {"a.cel", "b.cel", "c.bmp"})
    EXPECT_EQ(log.Count(std::string("[ZR_SDL_C, LoadImage] Image member could not be decoded! (") +
                        member + ")"),
              1);
  EXPECT_EQ(log.Count("[ZR_SDL_C, TImageCollection.LoadList] Image line names no member, "
                      "skipped! (NoComma)"),
            1);
}

TEST_F(ImageCollectionTest, SizeViewAgreesWithTheHeadlessLoader) {
  Bytes cut = test::SolidBmp(8, 8, {1, 1, 1});
  cut.resize(cut.size() - 1);
  test::TempDir dir;
  auto mad = test::BuildArchive(
      dir, {{"l", test::Text(".a.bmp,A\r\nb.cel,B\r\ncut.bmp,Cut\r\nbad\r\na.bmp,C\r\n")},
            {"a.bmp", test::SolidBmp(48, 16, {1, 2, 3})},
            {"b.cel", test::MakeCel(5, 7, {}, Bytes(35, 0))},
            {"cut.bmp", cut}});
  TImageCollection images(2);
  images.LoadList("l", *mad);
  TImageSizes headless(2);
  headless.LoadList("l", *mad);
  ASSERT_EQ(images.Count(), 2u);
  ASSERT_EQ(headless.Count(), images.Count());
  for (uint32_t i = 0; i < images.Count(); ++i) {
    EXPECT_EQ(images.NameAt(i), headless.NameAt(i));
    EXPECT_EQ(images.SurfaceAt(i)->w, headless.Find(headless.NameAt(i))->width);
    EXPECT_EQ(images.SurfaceAt(i)->h, headless.Find(headless.NameAt(i))->height);
  }
  EXPECT_EQ(headless.Find("B")->height, 7);
}

TEST_F(ImageCollectionTest, AMissingMemberStopsTheLoad) {
  test::TempDir dir;
  auto mad = test::BuildArchive(dir, {{"l", test::Text("gone.bmp,Gone\r\n")}});
  test::ThrowOnStop();
  TImageCollection images(32);
  EXPECT_THROW(images.LoadList("l", *mad), test::MissingData);
  SetStopHandler(nullptr);
}

TEST_F(ImageCollectionTest, DrawingAMissingImageDrawsNothing) {
  TImageCollection images(32);
  test::LogCapture log;
  FillBox(0, 0, 9, 9, 10, 20, 30);
  BlitWhole(0, 0, images.Find("Nothing"));
  EXPECT_EQ(Pixel(0, 0), (Rgb{10, 20, 30}));
}

}  // namespace
}  // namespace quarry
