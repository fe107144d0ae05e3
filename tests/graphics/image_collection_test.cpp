// The drawn image collection loaded through the real archive reader and
// checked by drawing into the BackBuffer.
#include "core/stream.h"
#include "display_fixture.h"
#include "graphics/image_collection.h"
#include "graphics/image_list.h"
#include "graphics/image_loader.h"
#include "graphics/image_sizes.h"

namespace quarry {
namespace {

using test::Bytes;

class ImageCollectionTest : public test::DisplayTest {};

// Catches the colour key applied to plain lines or missing on dot lines, and
// a missing image that draws.
TEST_F(ImageCollectionTest, DotLinesAreKeyedOnBlackAndPlainLinesAreOpaque) {
  Bytes half = test::SolidBmp(4, 2, 0x00C800);
  for (int row = 0; row < 2; ++row) std::fill_n(half.begin() + 54 + row * 12, 6, 0);  // left half black
  auto mad = test::BuildArchive(dir_, {{"blocks.lst", test::Text("half.bmp,Wall\r\n.half.bmp,Keyed\r\n")},
                                       {"half.bmp", half}});
  TImageCollection images(32);
  images.LoadList("blocks.lst", *mad);
  ASSERT_EQ(images.Count(), 2u);
  FillBox(0, 0, 99, 99, 255, 0, 0);
  BlitWhole(10, 10, images.Find("Wall"));
  BlitWhole(20, 10, images.Find("Keyed"));
  BlitWhole(30, 10, images.Find("Nothing"));
  // Opaque black, green; black keyed out, green, nothing beyond; nothing drawn.
  EXPECT_EQ((std::vector{Pixel(10, 10), Pixel(12, 11), Pixel(20, 10), Pixel(23, 11), Pixel(24, 10), Pixel(30, 10)}),
            (std::vector<uint32_t>{0, 0x00C800, 0xFF0000, 0x00C800, 0xFF0000, 0xFF0000}));
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

// Catches the drawn collection and the headless size view drifting apart;
// either keeping a damaged member (or ending the load on it) rather than
// skipping it with a warning, the second of two names, uncut names, more
// images than its capacity, or finding names without regard to case.
TEST_F(ImageCollectionTest, SizeViewAgreesWithTheDrawnCollection) {
  Bytes wrongMagic = test::MakeCel(1, 1, {}, {0}), cutBmp = test::SolidBmp(8, 8, 0x010101);
  wrongMagic[1] = 0;
  cutBmp.resize(cutBmp.size() - 1);
  auto mad = test::BuildArchive(
      dir_, {{"l", test::Text("red.bmp,Twin\r\na.cel,A\r\nb.cel,B\r\nc.bmp,C\r\nd.cel,Twin\r\nbad\r\n"
                              ".red.bmp,ABCDEFGHIJKLMNOPQ\r\nd.cel,Dropped\r\n")},
             {"red.bmp", test::SolidBmp(48, 16, 0xFA0000)},
             {"a.cel", test::MakeCel(10, 10, {}, Bytes(99, 1))},  // one pixel short
             {"b.cel", wrongMagic},
             {"c.bmp", cutBmp},
             {"d.cel", test::MakeCel(5, 7, {}, Bytes(35, 0))}});
  LogCapture log;
  TImageCollection images(3);
  images.LoadList("l", *mad);
  for (const char* line : {"[ZR_SDL_C, LoadCel] Damaged CEL image! (899 bytes)",
                           "[ZR_SDL_C, LoadImage] Image member could not be decoded! (a.cel)",
                           "[ZR_SDL_C, LoadImage] Image member could not be decoded! (b.cel)",
                           "[ZR_SDL_C, LoadImage] Image member could not be decoded! (c.bmp)",
                           "[ZR_SDL_C, TImageCollection.LoadList] Image line names no member, skipped! (bad)"})
    EXPECT_EQ(log.Count(line), 1) << line;
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
  log.lines.clear();
  EXPECT_EQ(images.Find("ABCDEFGHIJKLMNOPQ"), nullptr);
  EXPECT_EQ(images.Find("Dropped"), nullptr);
  EXPECT_EQ(headless.Find("twin"), nullptr);
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "(ZR_SDL_C, TImageCollection.Find) Image not found! (ABCDEFGHIJKLMNOPQ).",
                           "(ZR_SDL_C, TImageCollection.Find) Image not found! (Dropped).",
                           "(ZR_SDL_C, TImageCollection.Find) Image not found! (twin)."}));
}

// Catches the CEL loader and the header reader disagreeing on a damaged
// member, or a decoded surface promising more pixels than the member held.
TEST_F(ImageCollectionTest, CelLoaderAndHeaderReaderAgreeOnEveryDamagedMember) {
  Bytes palette(768), pixels(12 * 5);
  for (size_t i = 0; i < palette.size(); ++i) palette[i] = uint8_t(i * 5);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 3);
  LogCapture quiet;
  int decoded = 0;
  for (const Bytes& member : test::DamagedCopies(test::MakeCel(12, 5, palette, pixels))) {
    TMemoryStream stream(member.data(), member.size());
    SurfacePtr surface = LoadCel(stream);
    int w = 0, h = 0;
    ASSERT_EQ(ReadCelSize(member.data(), member.size(), w, h), surface != nullptr);
    if (!surface) continue;
    ++decoded;
    EXPECT_EQ(std::pair(surface->w, surface->h), std::pair(w, h));
    EXPECT_LE(800u + size_t(w) * h, member.size());
    BlitWhole(0, 0, surface.get());
  }
  EXPECT_GT(decoded, 0);  // palette and pixel damage still decodes
}

}  // namespace
}  // namespace quarry
