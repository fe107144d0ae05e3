// Image lists, header readers, the headless size view and the variant table.
#include "core/program.h"
#include "graphics/image_list.h"
#include "graphics/image_sizes.h"
#include "graphics/variant_table.h"
#include "graphics_test_util.h"

namespace quarry::test {


// Catches the key dot kept, later commas split, blanks trimmed, long names, stale fields.
TEST(ImageListLine, MemberNameAndKeyDot) {
  struct Case { const char *line, *member, *name; bool ok, keyed; };
  ImageListEntry e;
  for (const Case& c : std::initializer_list<Case>{
           {"wall.bmp,Wall", "wall.bmp", "Wall", true, false}, {".wall.bmp,Wall", "wall.bmp", "Wall", true, true},
           {" a.bmp,x, y ", " a.bmp", "x, y ", true, false}, {"NoCommaHere", "", "NoCommaHere", false, false},
           {"a.bmp,ABCDEFGHIJKLMNOPQ", "a.bmp", "ABCDEFGHIJKLMNOP", true, false}, {",Name", "", "Name", false, false},
           {".,Name", "", "Name", false, true}, {"", "", "", false, false}}) {
    EXPECT_EQ(ParseImageListLine(c.line, e), c.ok) << c.line;
    EXPECT_EQ(std::tie(e.member, e.name, e.colorKeyed), std::tie(c.member, c.name, c.keyed)) << c.line;
  }
}

// (0, 0) when the header is refused.
template <typename Reader>
std::pair<int, int> SizeOf(Reader read, const Bytes& b, size_t size) {
  int w = 0, h = 0;
  return read(size ? b.data() : nullptr, size, w, h) ? std::pair(w, h) : std::pair(0, 0);
}

// Catches a BMP or CEL header trusted beyond the bytes the member holds.
TEST(ImageHeaders, SizesAndDamagedHeaders) {
  EXPECT_TRUE(IsCelMember("x.cel") && IsCelMember("X.CeL"));
  EXPECT_FALSE(IsCelMember("x.bmp") || IsCelMember("cel"));
  const Bytes good = SolidBmp(5, 3, 0x010203);
  ASSERT_EQ(good.size(), 54u + 16u * 3u);  // rows of 15 bytes padded to 16
  EXPECT_EQ(SizeOf(ReadBmpSize, good, good.size()), std::pair(5, 3));
  for (size_t cut : {good.size() - 1, size_t(20), size_t(0)})  // the first lacks the last row's padding
    EXPECT_EQ(SizeOf(ReadBmpSize, good, cut), std::pair(0, 0)) << cut;
  // Top-down rows; signature, huge width, bit depth, RLE, pixel offset.
  struct Poke { size_t at; uint32_t value; int width = 0, height = 0; };
  for (Poke p : {Poke{22, uint32_t(-3), 5, 3}, {0, uint32_t('X' | 'M' << 8 | good.size() << 16)}, {18, 0x7FFFFFFF},
                 {26, 1 | 7 << 16}, {30, 1}, {10, 0xFFFFFFF0}}) {
    Bytes bad = good;
    PutU32(bad, p.at, p.value);
    EXPECT_EQ(SizeOf(ReadBmpSize, bad, bad.size()), std::pair(p.width, p.height)) << p.at;
  }
  // 8-bit, 2x1: 54 header bytes, the palette, 4 row bytes.
  Bytes paletted = good;
  paletted.resize(66);
  for (auto [at, v] : {std::pair<size_t, uint32_t>{10, 62}, {18, 2}, {22, 1}, {26, 1 | 8 << 16}}) PutU32(paletted, at, v);
  for (auto [colours, width] : {std::pair<uint32_t, int>{2, 2}, {300, 0}, {0, 0}}) {  // 0 means all 256
    PutU32(paletted, 46, colours);
    EXPECT_EQ(SizeOf(ReadBmpSize, paletted, paletted.size()).first, width) << colours;
  }
  // CELs with missing pixels, a wrong magic, empty or huge sizes.
  const Bytes cel = MakeCel(4, 2, {}, Bytes(8, 0));
  EXPECT_EQ(SizeOf(ReadCelSize, cel, cel.size()), std::pair(4, 2));
  EXPECT_EQ(SizeOf(ReadCelSize, cel, cel.size() - 1), std::pair(0, 0));
  for (auto [at, v] : {std::pair<size_t, uint32_t>{0, 0x18 | 0x91 << 8 | 4 << 16}, {2, 5 << 16}, {2, 0xFFFFFFFF}}) {
    Bytes bad = cel;  // magic, an empty width, 65535 x 65535
    PutU32(bad, at, v);
    EXPECT_EQ(SizeOf(ReadCelSize, bad, bad.size()), std::pair(0, 0)) << at;
  }
}

// Catches wrong headers, "!END" case, damage ending the load, unended last lines, no stop.
TEST(ImageSizes, LoadListReadsHeadersSkipsDamageAndStopsOnMissingMembers) {
  TempDir dir;
  Bytes cut = SolidBmp(8, 8, 0x010101);
  cut.resize(cut.size() - 10);
  auto mad = BuildArchive(
      dir, {{"blocks.lst", Text("wall.bmp,Wall\r\n.exit.cel,!\r\ncut.bmp,Cut\r\n!end\r\n!END\r\nx.bmp,X\r\n")},
            {"wall.bmp", SolidBmp(16, 16, 0x090909)}, {"exit.cel", MakeCel(64, 16, {}, Bytes(64 * 16, 1))},
            {"cut.bmp", cut}, {"gone.lst", Text("wall.bmp,W\r\ngone.bmp,Gone")}});
  LogCapture log;
  TImageSizes sizes(32);
  sizes.LoadList("blocks.lst", *mad);
  ASSERT_TRUE(sizes.Count() == 2 && sizes.Has("!") && sizes.Has("Wall"));
  EXPECT_EQ(std::tuple(sizes.Find("!")->width, sizes.Find("!")->height, sizes.Find("Wall")->width),
            std::tuple(64, 16, 16));  // four 16-pixel frames
  const std::string tag = "[ZR_SDL_C, TImageSizes.LoadList] ";
  EXPECT_EQ(log.lines, (std::vector<std::string>{tag + "Image line names no member, skipped! (!end)",
                                                 tag + "Image member could not be decoded! (cut.bmp)"}));
  SetStopHandler([](const std::string& message, const std::string&) { throw std::runtime_error(message); });
  EXPECT_THROW(sizes.LoadList("gone.lst", *mad), std::runtime_error);
  EXPECT_THROW(sizes.LoadList("nolist", *mad), std::runtime_error);
  SetStopHandler(nullptr);
}

// Catches counts past gaps or nine, digit characters, stale rebuilds, a lost second probe.
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
  // "&" alone is not a variant; '#' is not counted at all.
  EXPECT_EQ((std::vector{VariantCount('$'), VariantCount('.'), VariantCount('&'), VariantCount('#')}), (std::vector{2, 9, 0, -1}));
  EXPECT_EQ(log.Count("(ZR_SDL_C, TImageCollection.Find) Image not found! ($3)."), 2);
  EXPECT_EQ(log.lines.size(), 6u);  // $3, @2 and &1, each twice
}

}  // namespace quarry::test
