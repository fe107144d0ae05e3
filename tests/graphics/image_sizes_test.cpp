// The headless size view filled from a list inside a real archive, and the
// variant table counted through it (the lookup the cave engine gets).
#include "graphics/image_sizes.h"
#include "graphics/variant_table.h"
#include "graphics_test_util.h"

namespace quarry {
namespace {

// Catches the header chosen by the wrong ending, "!END" ignored, a damaged
// member or memberless line ending the load, and a missing member or list
// not stopping as the drawn collection does.
TEST(ImageSizes, LoadListReadsHeadersSkipsDamageAndStopsOnMissingMembers) {
  TempDir dir;
  test::Bytes cut = test::SolidBmp(8, 8, 0x010101);
  cut.resize(cut.size() - 10);
  auto mad = test::BuildArchive(
      dir, {{"blocks.lst", test::Text("wall.bmp,Wall\r\n.exit.cel,!\r\ncut.bmp,Cut\r\nJustAName\r\n!END\r\nx.bmp,X\r\n")},
            {"wall.bmp", test::SolidBmp(16, 16, 0x090909)},
            {"exit.cel", test::MakeCel(64, 16, {}, test::Bytes(64 * 16, 1))},
            {"cut.bmp", cut},
            {"gone.lst", test::Text("gone.bmp,Gone\r\n")}});
  LogCapture log;
  TImageSizes sizes(32);
  sizes.LoadList("blocks.lst", *mad);
  ASSERT_EQ(sizes.Count(), 2u);
  ASSERT_TRUE(sizes.Has("!") && sizes.Has("Wall"));
  EXPECT_EQ(sizes.Find("!")->width, 64);  // four 16-pixel frames
  EXPECT_EQ(sizes.Find("!")->height, 16);
  EXPECT_EQ(sizes.Find("Wall")->width, 16);
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "[ZR_SDL_C, TImageSizes.LoadList] Image line names no member, skipped! (JustAName)",
                           "[ZR_SDL_C, TImageSizes.LoadList] Image member could not be decoded! (cut.bmp)"}));
  test::ThrowOnStop stop;
  EXPECT_THROW(sizes.LoadList("gone.lst", *mad), test::MissingData);
  EXPECT_THROW(sizes.LoadList("nolist", *mad), test::MissingData);
}

// Catches counts that skip gaps, pass nine, store digit characters, keep old
// entries on a rebuild, or lose the doubled probe (and log) of a missing name.
TEST(VariantTable, CountsStopAtTheFirstGapAndAtNine) {
  TImageSizes sizes(32);
  for (const char* name : {"$1", "$2", "$4", "@1", "01", "02", "03", "04", "05", "06", "07", "08", "09", "010", "&"})
    sizes.Add(name, 16, 16);
  for (int i = 1; i <= 9; ++i) sizes.Add("." + std::to_string(i), 16, 16);
  const ImageLookup lookup = [&sizes](const std::string& name) { return sizes.Find(name) != nullptr; };
  BuildVariantTable(lookup);
  LogCapture log;
  BuildVariantTable(lookup);
  EXPECT_EQ(VariantTable, std::string("$\x02@\x01.\x09&\x00" "0\x09", 10));  // count bytes, not digits
  EXPECT_EQ(VariantCount('$'), 2);
  EXPECT_EQ(VariantCount('.'), 9);
  EXPECT_EQ(VariantCount('&'), 0);  // "&" alone is not a variant
  EXPECT_EQ(VariantCount('#'), -1);
  EXPECT_EQ(log.Count("(ZR_SDL_C, TImageCollection.Find) Image not found! ($3)."), 2);
  EXPECT_EQ(log.lines.size(), 6u);  // $3, @2 and &1, each twice
}

}  // namespace
}  // namespace quarry
