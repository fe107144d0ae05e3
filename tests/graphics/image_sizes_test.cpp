// The headless size view filled from an image list inside a real archive.
#include <gtest/gtest.h>

#include "graphics/image_sizes.h"
#include "graphics_test_util.h"

namespace quarry {
namespace {

using test::Bytes;

TEST(ImageSizes, LoadListReadsBmpAndCelHeaders) {
  test::TempDir dir;
  auto mad = test::BuildArchive(
      dir, {{"blocks.lst", test::Text("wall.bmp,Wall\r\n.exit.cel,!\r\n!END\r\nx.bmp,X\r\n")},
            {"wall.bmp", test::SolidBmp(16, 16, {9, 9, 9})},
            {"exit.cel", test::MakeCel(64, 16, {}, Bytes(64 * 16, 1))}});
  TImageSizes sizes(32);
  sizes.LoadList("blocks.lst", *mad);
  ASSERT_EQ(sizes.Count(), 2u);
  const ImageSize* exit = sizes.Find("!");
  ASSERT_NE(exit, nullptr);
  EXPECT_EQ(exit->width, 64);  // four 16-pixel frames
  EXPECT_EQ(exit->height, 16);
  EXPECT_EQ(sizes.Find("Wall")->width, 16);
  EXPECT_FALSE(sizes.Has("X"));
}

TEST(ImageSizes, DamagedMembersAndMemberlessLinesAreSkippedWithAWarning) {
  test::TempDir dir;
  Bytes cut = test::SolidBmp(8, 8, {1, 1, 1});
  cut.resize(cut.size() - 10);
  auto mad = test::BuildArchive(dir, {{"l", test::Text("cut.bmp,Cut\r\nJustAName\r\nok.bmp,Ok")},
                                      {"cut.bmp", cut},
                                      {"ok.bmp", test::SolidBmp(2, 3, {1, 1, 1})}});
  test::LogCapture log;
  TImageSizes sizes(32);
  sizes.LoadList("l", *mad);
  EXPECT_EQ(sizes.Count(), 1u);
  EXPECT_EQ(sizes.NameAt(0), "Ok");
  EXPECT_EQ(log.Count("[ZR_SDL_C, TImageSizes.LoadList] Image member could not be decoded! (cut.bmp)"), 1);
  EXPECT_EQ(log.Count("[ZR_SDL_C, TImageSizes.LoadList] Image line names no member, skipped! (JustAName)"), 1);
}

TEST(ImageSizes, CapacityCutNamesAndFirstOfTwoNames) {
  TImageSizes sizes(3);
  sizes.Add("Twin", 1, 1);
  sizes.Add("Twin", 2, 2);
  sizes.Add("ABCDEFGHIJKLMNOPQ", 3, 3);
  sizes.Add("Dropped", 4, 4);
  EXPECT_EQ(sizes.Count(), 3u);
  EXPECT_EQ(sizes.Find("Twin")->width, 1);
  EXPECT_EQ(sizes.Find("ABCDEFGHIJKLMNOP")->width, 3);
  test::LogCapture log;
  EXPECT_EQ(sizes.Find("ABCDEFGHIJKLMNOPQ"), nullptr);
  EXPECT_FALSE(sizes.Has("Dropped"));
  EXPECT_EQ(sizes.Find("twin"), nullptr);  // names are case-sensitive
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "(ZR_SDL_C, TImageCollection.Find) Image not found! (ABCDEFGHIJKLMNOPQ).",
                           "(ZR_SDL_C, TImageCollection.Find) Image not found! (twin)."}));
}

TEST(ImageSizes, AMissingMemberStopsAsTheDrawnCollectionDoes) {
  test::TempDir dir;
  auto mad = test::BuildArchive(dir, {{"l", test::Text("gone.bmp,Gone\r\n")}});
  test::ThrowOnStop();
  TImageSizes sizes(32);
  EXPECT_THROW(sizes.LoadList("l", *mad), test::MissingData);
  EXPECT_THROW(sizes.LoadList("nolist", *mad), test::MissingData);
  SetStopHandler(nullptr);
}

}  // namespace
}  // namespace quarry
