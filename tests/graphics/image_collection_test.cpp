// The drawn image collection loaded from a real archive, checked by drawing.
#include "display_fixture.h"
#include "graphics/image_collection.h"
#include "graphics/image_list.h"
#include "graphics/image_sizes.h"

namespace quarry::test {

using ImageCollectionTest = DisplayTest;

// Catches the key on plain lines or not on dot lines, missing images drawing, CEL palettes
// not scaled by 4 and cut to a byte, CEL rows out of order.
TEST_F(ImageCollectionTest, DotLinesAreKeyedOnBlackAndCelPalettesScaled) {
  Bytes half = SolidBmp(4, 2, 0x00C800), palette(768, 0);
  for (int row = 0; row < 2; ++row) std::fill_n(half.begin() + 54 + row * 12, 6, 0);  // left half black
  // 1: (63, 32, 1) -> (252, 128, 4); 2: (65, 0, 127) -> low bytes of x4 -> (4, 0, 252).
  for (auto [at, v] : {std::pair{3, 63}, {4, 32}, {5, 1}, {6, 65}, {7, 0}, {8, 127}}) palette[at] = uint8_t(v);
  auto mad = BuildArchive(dir_, {{"blocks.lst", Text("half.bmp,Wall\r\n.half.bmp,Keyed\r\npic.CeL,Pic\r\n")},
                                 {"half.bmp", half}, {"pic.cel", MakeCel(3, 2, palette, {0, 1, 2, 2, 1, 0})}});
  TImageCollection images(32);
  images.LoadList("blocks.lst", *mad);
  ASSERT_EQ(images.Count(), 3u);
  EXPECT_EQ(std::pair(images.Find("Pic")->w, images.Find("Pic")->h), std::pair(3, 2));
  FillBox(0, 0, 99, 99, 255, 0, 0);
  BlitWhole(10, 10, images.Find("Wall"));
  BlitWhole(20, 10, images.Find("Keyed"));
  BlitWhole(30, 10, images.Find("Nothing"));
  BlitWhole(100, 50, images.Find("Pic"));
  // Opaque black, green; black keyed out, green, nothing beyond; nothing drawn; the CEL's two rows.
  EXPECT_EQ((std::vector{Pixel(10, 10), Pixel(12, 11), Pixel(20, 10), Pixel(23, 11), Pixel(24, 10), Pixel(30, 10),
                         Pixel(100, 50), Pixel(101, 50), Pixel(102, 50), Pixel(100, 51), Pixel(101, 51)}),
            (std::vector<uint32_t>{0, 0x00C800, 0xFF0000, 0x00C800, 0xFF0000, 0xFF0000, 0, 0xFC8004, 0x0400FC,
                                   0x0400FC, 0xFC8004}));
}

// Catches red and blue swapped in a pixel read from a 24-bit surface (screenshots are 24-bit BMPs);
// every drawing test reads the display's 32-bit pixels.
TEST_F(ImageCollectionTest, PixelsReadBackFromA24BitSurface) {
  SDL_Surface* s = SDL_CreateRGBSurface(0, 4, 2, 24, 0, 0, 0, 0);
  ASSERT_NE(s, nullptr);
  SDL_Rect at{2, 1, 1, 1};
  SDL_FillRect(s, &at, SDL_MapRGB(s->format, 0xF8, 0x80, 0x08));
  uint8_t rgb[6] = {0, 0, 0, 1, 1, 1};
  GetPixelRGB(s, 2, 1, rgb[0], rgb[1], rgb[2]);
  GetPixelRGB(s, 1, 1, rgb[3], rgb[4], rgb[5]);
  EXPECT_EQ(Bytes(rgb, rgb + 6), (Bytes{0xF8, 0x80, 0x08, 0, 0, 0}));
  SDL_FreeSurface(s);
}

// Catches the two views disagreeing, or on damage, duplicates, long names, capacity or case.
TEST_F(ImageCollectionTest, SizeViewAgreesWithTheDrawnCollection) {
  Bytes wrongMagic = MakeCel(1, 1, {}, {0}), cutBmp = SolidBmp(8, 8, 0x010101);
  wrongMagic[1] = 0;
  cutBmp.resize(cutBmp.size() - 1);
  auto mad = BuildArchive(dir_, {{"l", Text("red.bmp,Twin\r\na.cel,A\r\nb.cel,B\r\nc.bmp,C\r\nd.cel,Twin\r\nbad\r\n"
                                            ".red.bmp,ABCDEFGHIJKLMNOPQ\r\nd.cel,Dropped\r\n")},
                                 {"red.bmp", SolidBmp(48, 16, 0xFA0000)},
                                 {"a.cel", MakeCel(10, 10, {}, Bytes(99, 1))},  // one pixel short
                                 {"b.cel", wrongMagic}, {"c.bmp", cutBmp}, {"d.cel", MakeCel(5, 7, {}, Bytes(35, 0))}});
  LogCapture log;
  TImageCollection images(3);
  images.LoadList("l", *mad);
  const std::string undecodable = "[ZR_SDL_C, LoadImage] Image member could not be decoded! (";
  for (const std::string& line : std::vector<std::string>{
           "[ZR_SDL_C, LoadCel] Damaged CEL image! (899 bytes)", undecodable + "a.cel)", undecodable + "b.cel)",
           undecodable + "c.bmp)", "[ZR_SDL_C, TImageCollection.LoadList] Image line names no member, skipped! (bad)"})
    EXPECT_EQ(log.Count(line), 1) << line;
  TImageSizes headless(3);
  headless.LoadList("l", *mad);
  ASSERT_EQ(std::pair(images.Count(), headless.Count()), std::pair(3u, 3u));
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
  log.lines.clear();
  EXPECT_TRUE(!images.Find("ABCDEFGHIJKLMNOPQ") && !images.Find("Dropped") && !headless.Find("twin"));
  const std::string notFound = "(ZR_SDL_C, TImageCollection.Find) Image not found! (";
  EXPECT_EQ(log.lines, (std::vector<std::string>{notFound + "ABCDEFGHIJKLMNOPQ).", notFound + "Dropped).",
                                                 notFound + "twin)."}));
}

}  // namespace quarry::test
