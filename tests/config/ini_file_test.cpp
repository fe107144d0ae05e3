#include "config/ini_file.h"

#include <gtest/gtest.h>

#include "core/stream.h"
#include "test_support.h"

namespace quarry {
namespace {

TIniFile FromText(const std::string& text) {
  TMemoryStream stream(text.data(), text.size());
  return TIniFile(stream);
}

TEST(IniFileParse, SectionHeadersKeysBareLinesAndDuplicates) {
  TIniFile ini = FromText(
      "ignored=before any section\r\n"
      "  [Box]  \r\n"
      "; a comment\r\n"
      "\r\n"
      "X=10\r\n"
      "Width = 200\r\n"
      "Visible\r\n"
      "Caption=a=b\r\n"
      "[*Items]\r\n"
      "First item\r\n"
      "X=1\r\n"
      "[ *Items]\r\n"  // only the character right after "[" marks a list
      "Y=5\r\n"
      "[A]\r\nK=1\r\nK=2\r\n[a]\r\nK=3\r\nL=4");  // duplicates are kept and the first wins
  std::vector<std::string> sections;
  for (const auto& section : ini.Sections()) sections.push_back(section.Name + (section.Kind == SectionKind::stList ? " (list)" : ""));
  EXPECT_EQ(sections, std::vector<std::string>({"Box", "Items (list)", " *Items", "A", "a"}));

  EXPECT_EQ(ini.ReadString("box", "x", "?"), "10");
  EXPECT_EQ(ini.ReadString("Box", "Width", "none"), "none");  // the key is "Width "
  EXPECT_EQ(ini.ReadString("Box", "Width ", "none"), " 200");
  EXPECT_EQ(ini.ReadString("Box", "Visible", ""), "1");
  EXPECT_EQ(ini.ReadString("Box", "Caption", ""), "a=b");
  EXPECT_EQ(ini.ReadString("Missing", "X", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Items", "X", "dflt"), "dflt");  // an item that looks like a key is not one
  EXPECT_EQ(ini.ReadString(" *items", "y", ""), "5");
  EXPECT_EQ(ini.ReadString("A", "K", ""), "1");
  EXPECT_EQ(ini.ReadString("A", "L", "none"), "none");
}

TEST(IniFileRead, IntegersBoolsAndColours) {
  TIniFile ini = FromText(
      "[S]\r\nBig=70000\r\nHex=$1F\r\nNeg=-12\r\nEmpty=\r\nYes=yes\r\nOne=1\r\nTwo=2\r\n"
      "Lower=ffc040\r\nShort=FFC04\r\n");
  EXPECT_EQ(ini.ReadInteger("S", "Big", 0), 4464);
  EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "Neg", 0), -12);
  EXPECT_EQ(ini.ReadInteger("S", "Empty", 7), 7);
  EXPECT_EQ(ini.ReadInteger("S", "Missing", -3), -3);
  EXPECT_TRUE(ini.ReadBool("S", "Yes", false));
  EXPECT_TRUE(ini.ReadBool("S", "One", false));
  EXPECT_FALSE(ini.ReadBool("S", "Two", true));
  EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
  EXPECT_TRUE(ini.ValueExists("S", "Big"));
  EXPECT_FALSE(ini.ValueExists("S", "Empty"));

  LogCapture log;
  auto rgb = [&ini](const char* key, uint16_t dr, uint16_t dg, uint16_t db) {
    uint16_t r = 0, g = 0, b = 0;
    ini.ReadRGB("S", key, dr, dg, db, r, g, b);
    return std::vector<int>({r, g, b});
  };
  EXPECT_EQ(rgb("Lower", 1, 2, 3), std::vector<int>({255, 192, 64}));
  EXPECT_EQ(rgb("Missing", 0x12, 0xAB, 0x0C), std::vector<int>({0x12, 0xAB, 0x0C}));
  EXPECT_TRUE(log.lines.empty());
  EXPECT_EQ(rgb("Short", 1, 2, 3), std::vector<int>({1, 2, 3}));
  EXPECT_EQ(log.lines, std::vector<std::string>(
                           {"[ZRINIFILE, TIniFile.ReadRGB] Invalid RGB value! (Section: S, Key: Short, Value: FFC04)"}));
}

TEST(IniFileRead, CoordsForEveryAlignment) {
  TIniFile ini = FromText(
      "[C]\r\nX=320\r\nWidth=100\r\nAlignX=center\r\nY=400\r\nHeight=50\r\nAlignY=Bottom\r\n"
      "[R]\r\nX=639\r\nWidth=10\r\nAlignX=Right\r\n"
      "[Bad]\r\nX=5\r\nAlignX=middle\r\nAlignY=up\r\n");
  auto coords = [&ini](const char* section) {
    TCoords c = ini.ReadCoords(section);
    return std::vector<int>({c.X1, c.Y1, c.X2, c.Y2});
  };
  EXPECT_EQ(coords("C"), std::vector<int>({270, 351, 369, 400}));
  EXPECT_EQ(coords("R"), std::vector<int>({630, 0, 639, 639}));  // height defaults to 640, not 480
  LogCapture log;
  EXPECT_EQ(coords("Bad"), std::vector<int>({5, 0, 644, 639}));
  EXPECT_EQ(log.lines, std::vector<std::string>(
                           {"[ZRINIFILE, TIniFile.ReadCoords] Invalid ALIGNX value (MIDDLE), using LEFT instead.",
                            "[ZRINIFILE, TIniFile.ReadCoords] Invalid ALIGNY value (UP), using TOP instead."}));
}

TEST(IniFileList, IterationAndMisuseWarnings) {
  TIniFile ini = FromText("[*Items]\r\none\r\ntwo\r\n[*Empty]\r\n[Plain]\r\nA=1\r\n");
  LogCapture log;
  EXPECT_EQ(ini.ListItemCount("items"), 2);
  EXPECT_EQ(ini.GetFirstListItem("Items"), "one");
  EXPECT_EQ(ini.GetNextListItem("Items"), "two");
  EXPECT_EQ(ini.GetNextListItem("Items"), "");
  EXPECT_TRUE(log.lines.empty());  // running off the end is silent
  EXPECT_EQ(ini.GetFirstListItem("Items"), "one");
  EXPECT_EQ(ini.ReadListItem("Items", 1), "two");
  EXPECT_EQ(ini.GetNextListItem("Items"), "");
  EXPECT_EQ(ini.ReadListItem("Items", 0), "one");
  EXPECT_EQ(ini.GetNextListItem("Items"), "two");
  EXPECT_TRUE(log.lines.empty());

  EXPECT_EQ(ini.ListItemCount("Nope"), 0);
  EXPECT_EQ(ini.ListItemCount("Plain"), 0);
  EXPECT_EQ(ini.GetFirstListItem("Plain"), "");
  EXPECT_EQ(ini.GetNextListItem("Empty"), "");
  EXPECT_EQ(ini.GetFirstListItem("Empty"), "");
  EXPECT_EQ(ini.ReadListItem("Nope", 0), "");
  EXPECT_EQ(ini.ReadListItem("Plain", 3), "");
  EXPECT_EQ(ini.ReadListItem("Items", 2), "");
  EXPECT_EQ(ini.ReadListItem("Items", -1), "");
  std::vector<std::string> expected = {
      "[ZRINIFILE, TIniFile.ListItemCount] Section not found! (Nope)",
      "[ZRINIFILE, TIniFile.ListItemCount] ListItemCount is only allowed on stList type Sections! (Plain)",
      "[ZRINIFILE, TIniFile.GetFirsListItem] GetFirstListItem is only allowed on stList type Sections! (Plain)",
      "[ZRINIFILE, TIniFile.GetNextListItem] There are no items in Section! (Empty)",
      "[ZRINIFILE, TIniFile.GetFirsListItem] There are no items in Section! (Empty)",
      "[ZRINIFILE, TIniFile.ReadListItem] Section is not found! (Nope)",
      "[ZRINIFILE, TIniFile.ReadListItem] ReadListItem is not allowed on stNormal type Sections!",
      "[ZRINIFILE, TIniFile.ReadListItem] Section: Plain Index: 3",
      "[ZRINIFILE, TIniFile.ReadListItem] Index is out of range! (2)",
      "[ZRINIFILE, TIniFile.ReadListItem] Index is out of range! (-1)",
  };
  EXPECT_EQ(log.lines, expected);
}

TEST(IniFileWrite, WritesSaveTheWholeFileInWrittenForm) {
  TempDir dir;
  std::string path = dir / "w.ini";
  {
    TIniFile ini(path, false);
    ini.WriteString("Box", "X", "10");
    ini.WriteInteger("Box", "Y", -4);
    ini.WriteBool("Box", "On", true);
    ini.WriteRGB("Box", "Colour", 255, 192, 4);
    ini.WriteString("box", "x", "11");  // replaces the first match
    ini.WriteListItem("Items", "alpha");
    ini.WriteListItem("Items", "beta");
    ini.WriteString("Gone", "K", "v");
    ini.EraseSection("gone");
    ini.WriteString("", "K", "v");  // nothing
  }
  EXPECT_EQ(ReadFileBytes(path),
            "[Box]\r\nX=11\r\nY=-4\r\nOn=Yes\r\nColour=FFC004\r\n\r\n"
            "[*Items]\r\nalpha\r\nbeta\r\n\r\n");

  TIniFile again(path, true);  // no-save: reading it back changes nothing
  EXPECT_EQ(again.ReadInteger("Box", "X", 0), 11);
  EXPECT_EQ(again.ListItemCount("Items"), 2);
  EXPECT_EQ(again.FileName(), "");
  TIniFile absent(dir / "absent.ini", true);  // a missing file starts empty
  EXPECT_TRUE(absent.Sections().empty());
  EXPECT_EQ(absent.ReadString("A", "B", "d"), "d");
}

TEST(IniFileWrite, DeletionsAndWriteMisuse) {
  TIniFile ini = FromText("[S]\r\nA=1\r\nB=2\r\n[*L]\r\none\r\nTwo\r\nthree\r\n");
  LogCapture log;
  ini.DeleteKey("S", "a");
  EXPECT_EQ(ini.ReadString("S", "A", "gone"), "gone");
  EXPECT_EQ(ini.ReadString("S", "B", ""), "2");
  ini.DeleteListItem("L", "two");  // ignoring case
  ini.DeleteListItem("L", 1);
  EXPECT_EQ(ini.ListItemCount("L"), 1);
  EXPECT_EQ(ini.ReadListItem("L", 0), "one");
  EXPECT_TRUE(log.lines.empty());

  ini.WriteString("L", "K", "V");
  ini.WriteListItem("S", "item");
  ini.DeleteListItem("S", "x");
  ini.DeleteListItem("L", "zzz");
  ini.DeleteListItem("L", 5);
  ini.DeleteListItem("None", 0);
  std::vector<std::string> expected = {
      "[ZRINIFILE, TIniFile.WriteString] WriteString is not allowed on List type Sections!",
      "[ZRINIFILE, TIniFile.WriteString] Section: L, Key: K, Value: V",
      "[ZRINIFILE, TIniFile.WriteListItem] WriteListItem is not allowed on Normal type Sections!",
      "[ZRINIFILE, TIniFile.WriteListItem] Section: S, Item: item",
      "[ZRINIFILE, TIniFile.DeleteListItem] DeleteListItem is not allowed on Normal type Sections!",
      "[ZRINIFILE, TIniFile.DeleteListItem] Item not found!",
      "[ZRINIFILE, TIniFile.DeleteListItem] Section: L, Item: zzz",
      "[ZRINIFILE, TIniFile.DeleteListItem] Index out of range! (Section: L, Index: 5)",
      "[ZRINIFILE, TIniFile.DeleteListItem] Section not found! (None)",
  };
  EXPECT_EQ(log.lines, expected);
  EXPECT_EQ(ini.ListItemCount("L"), 1);
  EXPECT_EQ(ini.ReadListItem("L", 0), "one");
}

}  // namespace
}  // namespace quarry
