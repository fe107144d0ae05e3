// The built run directory: every member, list entry, song and layout the game
// looks up must be in the archives, in the form the readers expect.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "archive/mad.h"
#include "core/program.h"
#include "core/stream.h"

using namespace quarry;

namespace {

const std::string kRun = QUARRY_TEST_RUN_DIR;

class BuiltData : public ::testing::Test {
protected:
  void SetUp() override {
    // A missing archive or member must fail the test, not end the process.
    SetStopHandler([](const std::string& message, const std::string& tag) {
      throw std::runtime_error(tag + ": " + message);
    });
  }
  void TearDown() override { SetStopHandler(nullptr); }

  static std::unique_ptr<TMad> Open(const std::string& name) {
    std::string path = kRun + "/" + name;
    if (!std::filesystem::exists(path)) return nullptr;
    return std::make_unique<TMad>(path);
  }
};

std::string Text(TMad& mad, const std::string& member) {
  std::vector<uint8_t> bytes = mad.OpenPointer(member);
  return {bytes.begin(), bytes.end()};
}

// Lines split the way the game's line reader does: at CR, skipping the LF.
// Fails the calling test when a line ends in a bare LF, which the game would
// read as part of one long line.
std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t cr = text.find('\r', start);
    std::string line = text.substr(start, cr == std::string::npos ? std::string::npos : cr - start);
    EXPECT_EQ(line.find('\n'), std::string::npos) << "bare LF in: " << line;
    lines.push_back(line);
    if (cr == std::string::npos) break;
    start = cr + 2;
  }
  return lines;
}

struct ImageLine {
  std::string member, name;
  bool keyed;
};

std::vector<ImageLine> ImageList(const std::string& text) {
  std::vector<ImageLine> out;
  for (const std::string& line : CrLfLines(text)) {
    if (line == "!END") break;
    size_t comma = line.find(',');
    EXPECT_NE(comma, std::string::npos) << line;
    if (comma == std::string::npos) continue;
    bool keyed = line[0] == '.';
    out.push_back({line.substr(keyed ? 1 : 0, comma - (keyed ? 1 : 0)), line.substr(comma + 1), keyed});
  }
  return out;
}

struct Bmp {
  int width = 0, height = 0, bits = 0;
};

Bmp BmpSize(TMad& mad, const std::string& member) {
  std::vector<uint8_t> b = mad.OpenPointer(member);
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return {};
  auto u32 = [&](size_t at) { return static_cast<int>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24); };
  Bmp bmp{u32(18), u32(22), b[28] | b[29] << 8};
  size_t row = (static_cast<size_t>(bmp.width) * 3 + 3) & ~size_t{3};
  EXPECT_EQ(b.size(), 54 + row * bmp.height) << member;
  return bmp;
}

// Sections of the INI dialect: "[name]" normal, "[*name]" list.
struct Ini {
  std::map<std::string, std::map<std::string, std::string>> normal;
  std::map<std::string, std::vector<std::string>> lists;
};

Ini ParseIni(const std::string& text) {
  Ini ini;
  std::string section;
  bool list = false;
  for (std::string line : CrLfLines(text)) {
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      list = line.size() > 1 && line[1] == '*';
      section = line.substr(list ? 2 : 1, line.size() - (list ? 3 : 2));
      continue;
    }
    if (list) {
      ini.lists[section].push_back(line);
    } else {
      size_t eq = line.find('=');
      ini.normal[section][line.substr(0, eq)] = eq == std::string::npos ? "1" : line.substr(eq + 1);
    }
  }
  return ini;
}

}  // namespace

TEST_F(BuiltData, MainArchiveHoldsFontsLayoutsListsAndLogos) {
  auto mad = Open("quarry.mad");
  ASSERT_TRUE(mad) << "build the gamedata target first";
  for (const char* member : {"font.gsd", "font.bmf", "anti.zrr", "controls.ini", "blocks.lst", "outro.lst",
                             "outro.mpt", "zrlogo.bmp", "logo.bmp", "logolite.bmp"})
    EXPECT_TRUE(mad->HasFile(member)) << member;
  // Where the pictures are drawn: the play-screen logo at (192, 8) above row
  // 44, the intro logos in their boxes of 640 x 280 and 640 x 90.
  Bmp lite = BmpSize(*mad, "logolite.bmp");
  EXPECT_LE(192 + lite.width, 640);
  EXPECT_LE(8 + lite.height, 44);
  Bmp logo = BmpSize(*mad, "logo.bmp");
  EXPECT_LE(logo.width, 640);
  EXPECT_LE(logo.height, 90);
  Bmp studio = BmpSize(*mad, "zrlogo.bmp");
  EXPECT_LE(studio.width, 640);
  EXPECT_LE(studio.height, 200);  // the intro's texts start at y = 300
  std::vector<uint8_t> zrar = mad->OpenPointer("anti.zrr");
  ASSERT_GE(zrar.size(), 7u);
  EXPECT_EQ(std::string(zrar.begin(), zrar.begin() + 4), "ZRAR");
  EXPECT_EQ(zrar.size(), 7u + 256u * zrar[6] * ((zrar[5] + 7) / 8));
  // The speech bubbles are 18 pixels high around the text.
  EXPECT_LE(zrar[6], 16);
}

TEST_F(BuiltData, GameImagesCoverEveryCellAndFitTheCollection) {
  auto mad = Open("quarry.mad");
  ASSERT_TRUE(mad);
  std::vector<ImageLine> list = ImageList(Text(*mad, "blocks.lst"));
  EXPECT_LE(list.size(), 32u) << "the game's collection holds 32 images";
  std::map<std::string, ImageLine> byName;
  for (const ImageLine& l : list) {
    EXPECT_TRUE(byName.emplace(l.name, l).second) << "duplicate " << l.name;
    ASSERT_TRUE(mad->HasFile(l.member)) << l.member;
    Bmp bmp = BmpSize(*mad, l.member);
    EXPECT_EQ(bmp.bits, 24) << l.member;
    EXPECT_EQ(bmp.height, 32) << l.member;
    EXPECT_EQ(bmp.width % 32, 0) << l.member;
    // Cells are drawn over the previous frame without clearing, so cave
    // pictures must be opaque.
    EXPECT_FALSE(l.keyed) << l.name;
  }
  for (const char* name : {"#", "%", "!", "!1", "!2", ">", "<", ">2", "<2", "=", "X", "*U", "*D", "*L", "*R"})
    EXPECT_TRUE(byName.count(name)) << name;
  // The exits open only when their animation reports finished, which a
  // static picture never does; four frames keep opening times as the
  // solutions expect.
  for (const char* exitName : {"!", "!1", "!2"}) {
    if (byName.count(exitName)) {
      EXPECT_EQ(BmpSize(*mad, byName[exitName].member).width, 128) << exitName;
    }
  }
  // Variants are counted from 1 up to the first gap, at most 9.
  for (char c : std::string("$@.&0")) {
    int count = 0;
    while (count < 9 && byName.count(std::string(1, c) + std::to_string(count + 1))) ++count;
    EXPECT_GE(count, 1) << c;
    for (const auto& [name, line] : byName) {
      if (name.size() >= 2 && name[0] == c) {
        EXPECT_LE(std::stoi(name.substr(1)), count) << name << " lies beyond a gap";
      }
    }
  }
}

TEST_F(BuiltData, ClosingSceneHasItsImagesAndBackgroundMap) {
  auto mad = Open("quarry.mad");
  ASSERT_TRUE(mad);
  std::vector<ImageLine> list = ImageList(Text(*mad, "outro.lst"));
  EXPECT_LE(list.size(), 64u);
  std::set<std::string> names;
  for (const ImageLine& l : list) {
    names.insert(l.name);
    EXPECT_TRUE(mad->HasFile(l.member)) << l.member;
  }
  for (const char* name : {"Wall", "Grass", "ElfBad1", "ElfBad2", "ElfBad4", "ElfBoss1", "ElfBoss4", "Elf2", "Elf3",
                           "Elf4", "ElfMrs2", "ElfKidA2", "ElfKidB2", "ElfKidC2", "ElfKidD2", "Diam1", "Diam2",
                           "Diam3", "Diam4"})
    EXPECT_TRUE(names.count(name)) << name;

  std::string map = Text(*mad, "outro.mpt");
  ASSERT_GE(map.size(), 6u);
  EXPECT_EQ(map.substr(0, 6), "MAPT\r\n");
  std::vector<std::string> lines = CrLfLines(map.substr(6));
  int rows = 0;
  bool width = false, height = false, end = false;
  for (const std::string& line : lines) {
    if (line == "WI20") width = true;
    if (line == "HE12") height = true;
    if (line == "XX") end = true;
    if (line.rfind("MP", 0) == 0) {
      ++rows;
      EXPECT_EQ(line.size(), 22u) << line;
      EXPECT_EQ(line.find_first_not_of(" #.123b", 2), std::string::npos) << line;
    }
  }
  EXPECT_TRUE(width && height && end);
  EXPECT_EQ(rows, 12);
}

TEST_F(BuiltData, WidgetLayoutsUseTheProgramsFontsAndKeys) {
  auto mad = Open("quarry.mad");
  ASSERT_TRUE(mad);
  Ini ini = ParseIni(Text(*mad, "controls.ini"));
  for (const char* box : {"SelectPlayer", "DeletePlayer", "SelectLevelPack", "SelectMap"}) {
    const auto it = ini.normal.find(std::string("Listbox.") + box);
    ASSERT_NE(it, ini.normal.end()) << box;
    const auto& keys = it->second;
    // The key list at 16 is the one with Return, Space, Escape and Delete
    // that the menus rely on; the default address 4 holds a font.
    EXPECT_EQ(keys.count("KeylistAddress") ? keys.at("KeylistAddress") : "", "16") << box;
    std::set<std::string> fonts = {"0", "4", "8", "12"};
    EXPECT_TRUE(keys.count("FontAddress") && fonts.count(keys.at("FontAddress"))) << box;
    for (const char* key : {"X", "Y", "Width", "Height", "RowHeight", "AlignX", "Background", "Color1", "Color2"})
      EXPECT_TRUE(keys.count(key)) << box << " " << key;
    for (const char* colour : {"Background", "Color1", "Color2"}) {
      if (keys.count(colour)) {
        EXPECT_EQ(keys.at(colour).size(), 6u) << box << " " << colour;
      }
    }
    int rowHeight = std::stoi(keys.at("RowHeight"));
    EXPECT_GE(rowHeight, 24) << "the glyph sheet is 24 pixels high";
    EXPECT_GE(std::stoi(keys.at("Height")) / rowHeight, 2) << box;
  }
  // The map menu's box sits between the header lines (down to y = 154) and
  // the author line at y = 440.
  const auto& map = ini.normal["Listbox.SelectMap"];
  int top = std::stoi(map.at("Y"));
  EXPECT_GE(top, 154);
  EXPECT_LE(top + std::stoi(map.at("Height")) - 1, 439);
  // Position 1 of the delete dialog confirms.
  ASSERT_EQ(ini.lists["Listbox.DeletePlayer.Items"].size(), 2u);
  EXPECT_EQ(ini.lists["Listbox.DeletePlayer.Items"][1].rfind("Yes", 0), 0u);
  const auto edit = ini.normal.find("EditBox.NewPlayer");
  ASSERT_NE(edit, ini.normal.end());
  EXPECT_EQ(edit->second.at("FontAddress"), "4");
  EXPECT_LE(std::stoi(edit->second.at("MaxLength")), 30) << "the roster keeps 30 characters of a name";
}

TEST_F(BuiltData, SoundArchiveDefinesEveryPlayedWave) {
  auto mad = Open("qssound.mad");
  ASSERT_TRUE(mad);
  std::vector<std::string> lines = CrLfLines(Text(*mad, "waves.ini"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "[WaveCollection]");
  std::map<std::string, std::string> files;  // name -> file
  std::string file, name;
  bool inItem = false, ended = false;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (inItem) {
      if (line.empty()) {
        files[name] = file;
        inItem = false;
      } else if (line.rfind("FILE=", 0) == 0) {
        file = line.substr(5);
      } else if (line.rfind("NAME=", 0) == 0) {
        name = line.substr(5);
      } else {
        EXPECT_TRUE(line.rfind("VOLUME=", 0) == 0 || line.rfind("MAX=", 0) == 0 || line.rfind(";", 0) == 0)
            << "unexpected item line " << line;
      }
    } else if (line == "ITEM") {
      inItem = true;
      file.clear();
      name.clear();
    } else if (line == "!END") {
      ended = true;
      break;
    }
  }
  EXPECT_TRUE(ended);
  EXPECT_FALSE(inItem) << "an item must end with an empty line before !END";
  EXPECT_LE(files.size(), 16u);
  for (const char* played : {"EatSand", "DiamondPickup", "DiamondDown", "BoulderDown", "Pushing", "BalloonUp",
                             "TunnelStart", "TunnelItem", "TunnelEnd", "Explosion", "ExitOpen"}) {
    ASSERT_TRUE(files.count(played)) << played;
    std::string member = files[played];
    ASSERT_TRUE(mad->HasFile(member)) << member;
    std::string wav = Text(*mad, member);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 4), "WAVE");
  }
}

TEST_F(BuiltData, MusicArchiveAnswersEveryOrder) {
  auto mad = Open("qsmusic.mad");
  ASSERT_TRUE(mad);
  std::vector<std::string> lines = CrLfLines(Text(*mad, "muzax.ini"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "[MusicCollection]");
  std::map<std::string, std::string> songs;
  std::map<std::string, std::vector<std::string>> orders;
  std::string section, ordersText;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) {
      section.clear();
      continue;
    }
    if (line[0] == ';') continue;
    if (section.empty()) {
      if (line == "!END") break;
      section = line;
      continue;
    }
    size_t eq = line.find('=');
    ASSERT_NE(eq, std::string::npos) << line;
    if (section == "SONGS") songs[line.substr(0, eq)] = line.substr(eq + 1);
    if (section == "ORDERS") {
      ordersText += line + "|";
      std::stringstream items(line.substr(eq + 1));
      std::string item;
      while (std::getline(items, item, ',')) orders[line.substr(0, eq)].push_back(item);
    }
  }
  EXPECT_LE(songs.size(), 16u);
  EXPECT_LE(ordersText.size(), 255u) << "the collection keeps 255 characters of orders";
  for (const char* order : {"LIST", "INGAME", "MAPEND", "GAMEEND"}) {
    ASSERT_FALSE(orders[order].empty()) << order;
    for (const std::string& song : orders[order]) EXPECT_TRUE(songs.count(song)) << order << " names " << song;
  }
  for (const auto& [song, member] : songs) {
    ASSERT_TRUE(mad->HasFile(member)) << member;
    EXPECT_EQ(Text(*mad, member).substr(0, 17), "Extended Module: ") << member;
  }
}

TEST_F(BuiltData, LevelPackListsItsMapsInOrder) {
  auto pack = Open("first.qs");
  if (!pack) GTEST_SKIP() << "no level pack built (quarry-pack missing)";
  int maps = 0;
  while (true) {
    char member[16];
    std::snprintf(member, sizeof member, "%03d.mpp", maps + 1);
    if (!pack->HasFile(member)) break;
    ++maps;
  }
  EXPECT_GE(maps, 8);
  EXPECT_LE(maps, 12);
  std::vector<std::string> info = CrLfLines(Text(*pack, "info"));
  ASSERT_GE(info.size(), 5u + maps);
  EXPECT_EQ(info[1], "First Dig");
  for (int i = 0; i < maps; ++i) EXPECT_EQ(std::stoi(info[5 + i]), i) << "info line " << 6 + i;
}
