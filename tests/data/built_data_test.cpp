// The built run directory read through the game's own headless readers: every
// member, list entry, layout and map the game looks up must be there.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "archive/mad.h"
#include "config/ini_file.h"
#include "core/program.h"
#include "core/stream.h"
#include "graphics/image_list.h"
#include "graphics/image_sizes.h"
#include "graphics/variant_table.h"
#include "maps/pack_info.h"
#include "maps/xmap.h"
#include "test_support.h"

using namespace quarry;

namespace {

class BuiltData : public ::testing::Test {
protected:
  // A missing archive or member must fail the test, not end the process.
  void SetUp() override {
    SetStopHandler([](const std::string& m, const std::string& tag) { throw std::runtime_error(tag + ": " + m); });
    mad_ = Open("quarry.mad");
    ASSERT_TRUE(mad_) << "build the gamedata target first";
  }
  // A reader's warning or error means the data does not fit it.
  void TearDown() override {
    SetStopHandler(nullptr);
    for (const std::string& line : log_.lines) EXPECT_TRUE(line[0] != '[' && line[0] != '{') << line;
  }
  static std::unique_ptr<TMad> Open(const std::string& name) {
    std::string path = std::string(QUARRY_TEST_RUN_DIR) + "/" + name;
    return std::filesystem::exists(path) ? std::make_unique<TMad>(path) : nullptr;
  }
  LogCapture log_;
  std::unique_ptr<TMad> mad_;
};

ImageSize BmpSize(TMad& mad, const std::string& member) {
  std::vector<uint8_t> b = mad.OpenPointer(member);
  ImageSize s;
  EXPECT_TRUE(ReadBmpSize(b.data(), b.size(), s.width, s.height)) << member;
  return s;
}

}  // namespace

TEST_F(BuiltData, MainArchiveHoldsFontsLayoutsListsAndLogos) {
  EXPECT_TRUE(mad_->HasFile("font.gsd") && mad_->HasFile("font.bmf"));  // the loader tests decode them
  // Drawn at (192, 8) above row 44, and in the intro's boxes of 640 x 90 and 640 x 200 (texts start at y = 300).
  ImageSize lite = BmpSize(*mad_, "logolite.bmp"), logo = BmpSize(*mad_, "logo.bmp");
  ImageSize studio = BmpSize(*mad_, "zrlogo.bmp");
  EXPECT_TRUE(192 + lite.width <= 640 && 8 + lite.height <= 44) << lite.width << " x " << lite.height;
  EXPECT_TRUE(logo.width <= 640 && logo.height <= 90) << logo.width << " x " << logo.height;
  EXPECT_TRUE(studio.width <= 640 && studio.height <= 200) << studio.width << " x " << studio.height;
  std::vector<uint8_t> zrar = mad_->OpenPointer("anti.zrr");
  ASSERT_GE(zrar.size(), 7u);
  EXPECT_EQ(zrar.size(), 7u + 256u * zrar[6] * ((zrar[5] + 7) / 8));
  EXPECT_LE(zrar[6], 16) << "the speech bubbles are 18 pixels high around the text";
}

TEST_F(BuiltData, ImagesCoverEveryCellAndTheClosingScene) {
  std::vector<ImageListEntry> entries = ReadImageList(*mad_->OpenStream("blocks.lst"), "test");
  EXPECT_LE(entries.size(), 32u) << "the game's collection holds 32 images";
  TImageSizes sizes(64);
  sizes.LoadList("blocks.lst", *mad_);
  std::set<std::string> names;
  for (const ImageListEntry& e : entries) {
    EXPECT_TRUE(names.insert(e.name).second) << "duplicate " << e.name;
    EXPECT_FALSE(e.colorKeyed) << e.name;  // cells are drawn over the previous frame without clearing: opaque
    ImageSize s = BmpSize(*mad_, e.member);
    EXPECT_EQ(std::pair(s.height, s.width % 32), std::pair(32, 0)) << e.member;
  }
  for (const char* name : {"#", "%", "!", "!1", "!2", ">", "<", ">2", "<2", "=", "X", "*U", "*D", "*L", "*R"})
    ASSERT_TRUE(sizes.Has(name)) << name;
  // Exits open when their animation finishes (a still never does); four frames keep the solutions' timing.
  for (const char* exitName : {"!", "!1", "!2"}) EXPECT_EQ(sizes.Find(exitName)->width, 128) << exitName;
  // Variants count from 1 up to the first gap.
  BuildVariantTable([&](const std::string& name) { return sizes.Has(name); });
  for (auto [c, count] : {std::pair{'$', 3}, {'@', 3}, {'.', 3}, {'&', 2}, {'0', 2}})
    EXPECT_EQ(VariantCount(c), count) << c;
  for (const std::string& name : names) {
    if (name.size() >= 2 && std::string("$@.&0").find(name[0]) != std::string::npos) {
      EXPECT_LE(std::stoi(name.substr(1)), VariantCount(name[0])) << name << " lies beyond a gap";
    }
  }

  // The closing scene's images and background map.
  TImageSizes outro(64);
  outro.LoadList("outro.lst", *mad_);
  EXPECT_EQ(outro.Count(), 19u);
  for (const char* name : {"Wall", "Grass", "ElfBad1", "ElfBad2", "ElfBad4", "ElfBoss1", "ElfBoss4", "Elf2", "Elf3",
                           "Elf4", "ElfMrs2", "ElfKidA2", "ElfKidB2", "ElfKidC2", "ElfKidD2", "Diam1", "Diam2",
                           "Diam3", "Diam4"})
    EXPECT_TRUE(outro.Has(name)) << name;
  EXPECT_EQ(mad_->OpenPointer("outro.mpt").at(4), '\r') << "lines end in CR LF";
  TXMap map;
  map.LoadFromMad("outro.mpt", *mad_);
  ASSERT_EQ(std::tuple(map.Status, map.Width, map.Height), std::tuple("OK", 20, 12));
  // Missing rows would stay 0; only the scene's own characters may appear.
  for (uint16_t cell : map.FileCells)
    EXPECT_NE(std::string(" #.123b").find(static_cast<char>(cell)), std::string::npos) << cell;
}

// Keys, fonts, row heights, the erase dialog's entries and the name box are
// pinned from the same file by WidgetTest.RealControlsIni; here what it
// leaves: every colour given, room for two rows, the map menu's place.
TEST_F(BuiltData, WidgetLayoutsHaveTheirColoursAndFitTheirScreens) {
  TIniFile ini(*mad_->OpenStream("controls.ini"));
  for (const char* box : {"SelectPlayer", "DeletePlayer", "SelectLevelPack", "SelectMap"}) {
    const std::string s = std::string("Listbox.") + box;
    for (const char* colour : {"Background", "Color1", "Color2"})
      EXPECT_EQ(ini.ReadString(s, colour, "").size(), 6u) << box << " " << colour;
    EXPECT_GE(ini.ReadInteger(s, "Height", 0) / std::max<int>(1, ini.ReadInteger(s, "RowHeight", 0)), 2) << box;
  }
  // The map menu's box sits between the header lines (down to y = 154) and the author line at y = 440.
  const int top = ini.ReadInteger("Listbox.SelectMap", "Y", 0);
  EXPECT_TRUE(top >= 154 && top + ini.ReadInteger("Listbox.SelectMap", "Height", 999) - 1 <= 439) << top;
}

TEST_F(BuiltData, LevelPackListsItsMapsInOrder) {
  auto pack = Open("first.qs");
  if (!pack) GTEST_SKIP() << "no level pack built (quarry-pack missing)";
  int maps = 0;
  while (pack->HasFile((maps < 9 ? "00" : "0") + std::to_string(maps + 1) + ".mpp")) ++maps;
  EXPECT_TRUE(maps >= 8 && maps <= 12) << maps;
  TPackInfo info = ReadPackInfo(*pack->OpenStream("info"));
  ASSERT_EQ(std::pair(info.Title, info.MapNumbers.size()), std::pair(std::string("First Dig"), size_t(maps)));
  for (int i = 0; i < maps; ++i) EXPECT_EQ(info.MapNumbers[i], i) << "menu position " << i;
}
