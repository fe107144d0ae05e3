// Counting numbered variants of the element pictures, through the headless
// size view (the same lookup the cave engine gets).
#include <gtest/gtest.h>

#include "graphics/image_sizes.h"
#include "graphics/variant_table.h"
#include "graphics_test_util.h"

namespace quarry {
namespace {

ImageLookup LookupIn(const TImageSizes& sizes) {
  return [&sizes](const std::string& name) { return sizes.Find(name) != nullptr; };
}

TEST(VariantTable, CountsStopAtTheFirstGapAndAtNine) {
  TImageSizes sizes(32);
  for (const char* name : {"$1", "$2", "$4", "@1", "01", "02", "03", "04", "05", "06", "07",
                           "08", "09", "010", "&"})
    sizes.Add(name, 16, 16);
  BuildVariantTable(LookupIn(sizes));
  // Exact bytes: character, then a count byte (not a digit character).
  EXPECT_EQ(VariantTable, std::string("$\x02@\x01.\x00&\x00" "0\x09", 10));
  EXPECT_EQ(VariantCount('$'), 2);
  EXPECT_EQ(VariantCount('0'), 9);
  EXPECT_EQ(VariantCount('&'), 0);  // "&" alone is not a variant
  EXPECT_EQ(VariantCount('#'), -1);
}

TEST(VariantTable, AllNineVariantsCountNine) {
  TImageSizes sizes(32);
  for (int i = 1; i <= 9; ++i) sizes.Add("." + std::to_string(i), 16, 16);
  BuildVariantTable(LookupIn(sizes));
  EXPECT_EQ(VariantCount('.'), 9);
}

TEST(VariantTable, RebuildingStartsFromAnEmptyTable) {
  TImageSizes sizes(32);
  BuildVariantTable(LookupIn(sizes));
  BuildVariantTable(LookupIn(sizes));
  EXPECT_EQ(VariantTable.size(), 10u);
}

TEST(VariantTable, EachCountedElementProbesItsMissingNameTwice) {
  TImageSizes sizes(32);
  sizes.Add("$1", 16, 16);
  test::LogCapture log;
  CountVariants('$', LookupIn(sizes));
  EXPECT_EQ(log.Count("(ZR_SDL_C, TImageCollection.Find) Image not found! ($2)."), 2);
  EXPECT_EQ(log.lines.size(), 2u);
}

}  // namespace
}  // namespace quarry
