// The drawn image collection loaded through the real archive reader and
// checked by drawing into the BackBuffer.
#include "display_fixture.h"
#include "graphics/image_collection.h"
#include "graphics/image_sizes.h"

namespace quarry {
namespace {

using test::Bytes;

class ImageCollectionTest : public test::DisplayTest {};

// Catches the colour key applied to plain lines or missing on dot lines.
TEST_F(ImageCollectionTest, DotLinesAreKeyedOnBlackAndPlainLinesAreOpaque) {
  const Bytes half = test::MakeBmp24(4, 2, [](int x, int) { return x < 2 ? 0u : 0x00C800u; });  // black, green
  auto mad = test::BuildArchive(dir_, {{"blocks.lst", test::Text("half.bmp,Wall\r\n.half.bmp,Keyed\r\n")},
                                       {"half.bmp", half}});
  TImageCollection images(32);
  images.LoadList("blocks.lst", *mad);
  ASSERT_EQ(images.Count(), 2u);
  FillBox(0, 0, 99, 99, 255, 0, 0);
  BlitWhole(10, 10, images.Find("Wall"));
  BlitWhole(20, 10, images.Find("Keyed"));
  EXPECT_EQ(Pixel(10, 10), 0u);  // opaque black
  EXPECT_EQ(Pixel(12, 11), 0x00C800u);
  EXPECT_EQ(Pixel(20, 10), 0xFF0000u);  // black became transparent
  EXPECT_EQ(Pixel(23, 11), 0x00C800u);
  EXPECT_EQ(Pixel(24, 10), 0xFF0000u);  // nothing beyond the image
}

// Catches 6-bit palette components not scaled by 4, or widened instead of
// kept to their low byte, and pixel rows read out of order.
TEST_F(ImageCollectionTest, CelPaletteIsScaledAndTruncatedToBytes) {
  Bytes palette(768, 0);
  // 1: (63, 32, 1) -> (252, 128, 4); 2: (65, 0, 127) -> low bytes of x4 -> (4, 0, 252).
  for (auto [at, v] : {std::pair{3, 63}, {4, 32}, {5, 1}, {6, 65}, {7, 0}, {8, 127}}) palette[at] = uint8_t(v);
  auto mad = test::BuildArchive(dir_, {{"l", test::Text("pic.CeL,Pic\r\n")},
                                       {"pic.cel", test::MakeCel(3, 2, palette, {0, 1, 2, 2, 1, 0})}});
  TImageCollection images(32);
  images.LoadList("l", *mad);
  SDL_Surface* pic = images.Find("Pic");
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(std::pair(pic->w, pic->h), std::pair(3, 2));
  BlitWhole(100, 50, pic);
  EXPECT_EQ((std::vector{Pixel(100, 50), Pixel(101, 50), Pixel(102, 50), Pixel(100, 51), Pixel(101, 51)}),
            (std::vector<uint32_t>{0, 0xFC8004, 0x0400FC, 0x0400FC, 0xFC8004}));
}

// Catches a damaged member added as an image (or ending the load) instead of
// being skipped with its warning.
TEST_F(ImageCollectionTest, UndecodableMembersAddNoImage) {
  Bytes wrongMagic = test::MakeCel(1, 1, {}, {0});
  wrongMagic[1] = 0;
  Bytes badBmp = test::SolidBmp(4, 4, 0x010203);
  badBmp.resize(60);
  auto mad = test::BuildArchive(
      dir_, {{"l", test::Text("a.cel,A\r\nb.cel,B\r\nc.bmp,C\r\nNoComma\r\nd.bmp,D\r\n")},
             {"a.cel", test::MakeCel(10, 10, {}, Bytes(99, 1))},  // one pixel short
             {"b.cel", wrongMagic},
             {"c.bmp", badBmp},
             {"d.bmp", test::SolidBmp(1, 1, 0x070707)}});
  LogCapture log;
  TImageCollection images(32);
  images.LoadList("l", *mad);
  EXPECT_EQ(images.Count(), 1u);
  for (const char* line : {"[ZR_SDL_C, LoadCel] Damaged CEL image! (899 bytes)",
                           "[ZR_SDL_C, LoadImage] Image member could not be decoded! (a.cel)",
                           "[ZR_SDL_C, LoadImage] Image member could not be decoded! (b.cel)",
                           "[ZR_SDL_C, LoadImage] Image member could not be decoded! (c.bmp)",
                           "[ZR_SDL_C, TImageCollection.LoadList] Image line names no member, skipped! (NoComma)"})
    EXPECT_EQ(log.Count(line), 1) << line;
}

// Catches the drawn collection and the headless size view drifting apart,
// and either keeping the second of two names, uncut names, more images than
// its capacity, or finding names without regard to case.
TEST_F(ImageCollectionTest, SizeViewAgreesWithTheDrawnCollection) {
  Bytes cut = test::SolidBmp(8, 8, 0x010101);
  cut.resize(cut.size() - 1);
  auto mad = test::BuildArchive(
      dir_, {{"l", test::Text("red.bmp,Twin\r\ncut.bmp,Cut\r\nb.cel,Twin\r\nbad\r\n.red.bmp,ABCDEFGHIJKLMNOPQ\r\n"
                              "b.cel,Dropped\r\n")},
             {"red.bmp", test::SolidBmp(48, 16, 0xFA0000)},
             {"b.cel", test::MakeCel(5, 7, {}, Bytes(35, 0))},
             {"cut.bmp", cut}});
  TImageCollection images(3);
  images.LoadList("l", *mad);
  TImageSizes headless(3);
  headless.LoadList("l", *mad);
  ASSERT_EQ(images.Count(), 3u);
  ASSERT_EQ(headless.Count(), 3u);
  for (uint32_t i = 0; i < images.Count(); ++i) {
    const std::string& name = images.NameAt(i);
    EXPECT_EQ(name, headless.NameAt(i));
    EXPECT_EQ(std::pair(images.Find(name)->w, images.Find(name)->h),
              std::pair(headless.Find(name)->width, headless.Find(name)->height));
  }
  EXPECT_EQ(std::pair(images.SurfaceAt(0)->w, images.SurfaceAt(1)->h), std::pair(48, 7));
  EXPECT_EQ(images.NameAt(2), "ABCDEFGHIJKLMNOP");
  BlitWhole(0, 0, images.Find("Twin"));
  EXPECT_EQ(Pixel(47, 15), 0xFA0000u);  // the first of two records
  LogCapture log;
  EXPECT_EQ(images.Find("ABCDEFGHIJKLMNOPQ"), nullptr);
  EXPECT_EQ(images.Find("Dropped"), nullptr);
  EXPECT_EQ(headless.Find("twin"), nullptr);
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "(ZR_SDL_C, TImageCollection.Find) Image not found! (ABCDEFGHIJKLMNOPQ).",
                           "(ZR_SDL_C, TImageCollection.Find) Image not found! (Dropped).",
                           "(ZR_SDL_C, TImageCollection.Find) Image not found! (twin)."}));
}

// Catches a missing member loading on silently, and a missing image drawing.
TEST_F(ImageCollectionTest, AMissingMemberStopsAndAMissingImageDrawsNothing) {
  auto mad = test::BuildArchive(dir_, {{"l", test::Text("gone.bmp,Gone\r\n")}});
  TImageCollection images(32);
  {
    test::ThrowOnStop stop;
    EXPECT_THROW(images.LoadList("l", *mad), test::MissingData);
  }
  Backdrop();
  BlitWhole(0, 0, images.Find("Nothing"));
  EXPECT_EQ(Pixel(0, 0), test::kBackdrop);
}

}  // namespace
}  // namespace quarry
