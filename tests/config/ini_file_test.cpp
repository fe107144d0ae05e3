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
  // Only the character right after "[" marks a list; duplicates are kept and the first wins.
  TIniFile ini = FromText(
      "ignored=before any section\r\n  [Box]  \r\n; a comment\r\n\r\nX=10\r\nWidth = 200\r\nVisible\r\nCaption=a=b\r\n"
      "[*Items]\r\nFirst item\r\nX=1\r\n[ *Items]\r\nY=5\r\n[A]\r\nK=1\r\nK=2\r\n[a]\r\nK=3\r\nL=4");
  std::vector<std::string> sections;
  for (const auto& section : ini.Sections())
    sections.push_back(section.Name + (section.Kind == SectionKind::stList ? " (list)" : ""));
  EXPECT_EQ(sections, std::vector<std::string>({"Box", "Items (list)", " *Items", "A", "a"}));
  // The key "Width " keeps its space; an item that looks like a key is not one.
  EXPECT_EQ(std::vector<std::string>({ini.ReadString("box", "x", "?"), ini.ReadString("Box", "Width", "none"),
                                      ini.ReadString("Box", "Width ", "none"), ini.ReadString("Box", "Visible", ""),
                                      ini.ReadString("Box", "Caption", ""), ini.ReadString("Missing", "X", "dflt"),
                                      ini.ReadString("Items", "X", "dflt"), ini.ReadString(" *items", "y", ""),
                                      ini.ReadString("A", "K", ""), ini.ReadString("A", "L", "none")}),
            std::vector<std::string>({"10", "none", " 200", "1", "a=b", "dflt", "dflt", "5", "1", "none"}));
}

// Bad colours and alignments warn and fall back; nothing else read here warns.
TEST(IniFileRead, NumbersColoursAndCoords) {
  TIniFile ini = FromText(
      "[S]\r\nBig=70000\r\nHex=$1F\r\nNeg=-12\r\nEmpty=\r\nYes=yes\r\nOne=1\r\nTwo=2\r\n"
      "Lower=ffc040\r\nShort=FFC04\r\n"
      "[C]\r\nX=320\r\nWidth=100\r\nAlignX=center\r\nY=400\r\nHeight=50\r\nAlignY=Bottom\r\n"
      "[R]\r\nX=639\r\nWidth=10\r\nAlignX=Right\r\n"
      "[Bad]\r\nX=5\r\nAlignX=middle\r\nAlignY=up\r\n");
  LogCapture log;
  EXPECT_EQ(std::vector<int>({ini.ReadInteger("S", "Big", 0), ini.ReadInteger("S", "Hex", 0), ini.ReadInteger("S", "Neg", 0),
                              ini.ReadInteger("S", "Empty", 7), ini.ReadInteger("S", "Missing", -3)}),
            std::vector<int>({4464, 31, -12, 7, -3}));  // 70000 wraps to 16 bits
  EXPECT_EQ(std::vector<bool>({ini.ReadBool("S", "Yes", false), ini.ReadBool("S", "One", false), ini.ReadBool("S", "Two", true),
                               ini.ReadBool("S", "Missing", true), ini.ValueExists("S", "Big"), ini.ValueExists("S", "Empty")}),
            std::vector<bool>({true, true, false, true, true, false}));
  auto rgb = [&ini](const char* key, uint16_t dr, uint16_t dg, uint16_t db) {
    uint16_t r = 0, g = 0, b = 0;
    ini.ReadRGB("S", key, dr, dg, db, r, g, b);
    return std::vector<int>({r, g, b});
  };
  EXPECT_EQ(rgb("Lower", 1, 2, 3), std::vector<int>({255, 192, 64}));
  EXPECT_EQ(rgb("Missing", 0x12, 0xAB, 0x0C), std::vector<int>({0x12, 0xAB, 0x0C}));
  EXPECT_EQ(rgb("Short", 1, 2, 3), std::vector<int>({1, 2, 3}));
  auto coords = [&ini](const char* section) {
    TCoords c = ini.ReadCoords(section);
    return std::vector<int>({c.X1, c.Y1, c.X2, c.Y2});
  };
  EXPECT_EQ(coords("C"), std::vector<int>({270, 351, 369, 400}));
  EXPECT_EQ(coords("R"), std::vector<int>({630, 0, 639, 639}));  // height defaults to 640, not 480
  EXPECT_EQ(coords("Bad"), std::vector<int>({5, 0, 644, 639}));
  EXPECT_EQ(log.lines, std::vector<std::string>({
      "[ZRINIFILE, TIniFile.ReadRGB] Invalid RGB value! (Section: S, Key: Short, Value: FFC04)",
      "[ZRINIFILE, TIniFile.ReadCoords] Invalid ALIGNX value (MIDDLE), using LEFT instead.",
      "[ZRINIFILE, TIniFile.ReadCoords] Invalid ALIGNY value (UP), using TOP instead.",
  }));
}

// Iterating and deleting are silent; every misuse warns and changes nothing.
TEST(IniFileList, IterationDeletionAndMisuseWarnings) {
  TIniFile ini = FromText("[*Items]\r\none\r\ntwo\r\n[*Empty]\r\n[Plain]\r\nA=1\r\nB=2\r\n[*L]\r\none\r\nTwo\r\nthree\r\n");
  LogCapture log;
  // Running off the end is silent; ReadListItem moves the cursor.
  EXPECT_EQ(ini.ListItemCount("items"), 2);
  EXPECT_EQ(std::vector<std::string>({ini.GetFirstListItem("Items"), ini.GetNextListItem("Items"),
                                      ini.GetNextListItem("Items"), ini.GetFirstListItem("Items"),
                                      ini.ReadListItem("Items", 1), ini.GetNextListItem("Items"),
                                      ini.ReadListItem("Items", 0), ini.GetNextListItem("Items")}),
            std::vector<std::string>({"one", "two", "", "one", "two", "", "one", "two"}));
  ini.DeleteKey("Plain", "a");
  EXPECT_EQ(std::make_tuple(ini.ReadString("Plain", "A", "gone"), ini.ReadString("Plain", "B", "")),
            std::make_tuple("gone", "2"));
  ini.DeleteListItem("L", "two");  // ignoring case
  ini.DeleteListItem("L", 1);
  EXPECT_EQ(std::make_tuple(ini.ListItemCount("L"), ini.ReadListItem("L", 0)), std::make_tuple(1, "one"));
  EXPECT_TRUE(log.lines.empty());

  EXPECT_EQ(std::vector<int>({ini.ListItemCount("Nope"), ini.ListItemCount("Plain")}), std::vector<int>({0, 0}));
  EXPECT_EQ(std::vector<std::string>({ini.GetFirstListItem("Plain"), ini.GetNextListItem("Empty"), ini.GetFirstListItem("Empty"),
                                      ini.ReadListItem("Nope", 0), ini.ReadListItem("Plain", 3), ini.ReadListItem("Items", 2),
                                      ini.ReadListItem("Items", -1)}),
            std::vector<std::string>(7, ""));
  ini.WriteString("L", "K", "V");
  ini.WriteListItem("Plain", "item");
  ini.DeleteListItem("Plain", "x");
  ini.DeleteListItem("L", "zzz");
  ini.DeleteListItem("L", 5);
  ini.DeleteListItem("None", 0);
  EXPECT_EQ(std::make_tuple(ini.ListItemCount("L"), ini.ReadListItem("L", 0)), std::make_tuple(1, "one"));
  EXPECT_EQ(log.lines, std::vector<std::string>({
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
      "[ZRINIFILE, TIniFile.WriteString] WriteString is not allowed on List type Sections!",
      "[ZRINIFILE, TIniFile.WriteString] Section: L, Key: K, Value: V",
      "[ZRINIFILE, TIniFile.WriteListItem] WriteListItem is not allowed on Normal type Sections!",
      "[ZRINIFILE, TIniFile.WriteListItem] Section: Plain, Item: item",
      "[ZRINIFILE, TIniFile.DeleteListItem] DeleteListItem is not allowed on Normal type Sections!",
      "[ZRINIFILE, TIniFile.DeleteListItem] Item not found!",
      "[ZRINIFILE, TIniFile.DeleteListItem] Section: L, Item: zzz",
      "[ZRINIFILE, TIniFile.DeleteListItem] Index out of range! (Section: L, Index: 5)",
      "[ZRINIFILE, TIniFile.DeleteListItem] Section not found! (None)",
  }));
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
    for (const char* item : {"alpha", "beta"}) ini.WriteListItem("Items", item);
    ini.WriteString("Gone", "K", "v");
    ini.EraseSection("gone");
    ini.WriteString("", "K", "v");  // nothing
  }
  EXPECT_EQ(ReadFileBytes(path),
            "[Box]\r\nX=11\r\nY=-4\r\nOn=Yes\r\nColour=FFC004\r\n\r\n"
            "[*Items]\r\nalpha\r\nbeta\r\n\r\n");

  TIniFile again(path, true);  // no-save: reading it back changes nothing
  EXPECT_EQ(std::make_tuple(again.ReadInteger("Box", "X", 0), again.ListItemCount("Items"), again.FileName()),
            std::make_tuple(11, 2, ""));
  TIniFile absent(dir / "absent.ini", true);  // a missing file starts empty
  EXPECT_EQ(std::make_tuple(absent.Sections().size(), absent.ReadString("A", "B", "d")), std::make_tuple(0u, "d"));
}

}  // namespace
}  // namespace quarry
