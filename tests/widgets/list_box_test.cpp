// The list box: layout from its INI section, the pulse, the key repeat,
// scrolling, drawing and the modal loop driven by real SDL key events.
#include "archive/mad.h"
#include "archive/mad_write.h"
#include "widget_fixture.h"
#include "widgets/edit_box.h"
#include "widgets/list_box.h"

namespace quarry::test {
namespace {

class ListBoxTest : public WidgetTest {
protected:
  static std::unique_ptr<TListBox> Box(const std::string& body, const std::string& extra = "") {
    return std::make_unique<TListBox>(*Ini("[Listbox.Test]\n" + body + "\n" + extra), "Test");
  }
  // A box with the program's keys (Up, Down, Return, Space, Escape, Delete) and count entries.
  static std::unique_ptr<TListBox> Filled(const std::string& body, int count) {
    auto box = Box("KeylistAddress=16\n" + body);
    for (int i = 0; i < count; ++i) box->AddItem("Item" + std::to_string(i));
    return box;
  }
  // Frames (1-based) at which holding key for the given frames moved the highlight.
  static std::vector<int> MovesWhileHeld(TListBox& box, uint16_t key, int frames) {
    std::vector<int> moves;
    KeyState[key] = 1;
    for (int f = 1; f <= frames; ++f) {
      const uint16_t before = box.ItemIndex();
      box.HandleKeys();
      if (box.ItemIndex() != before) moves.push_back(f);
    }
    KeyState[key] = 0;
    return moves;
  }
};

// Catches alignment arithmetic off by one, case-sensitive words, wrong defaults,
// a key list read from the wrong place, and the derived text position, rows and font centring.
TEST_F(ListBoxTest, LayoutFromSection) {
  auto box = Box("X=320\nY=300\nWidth=200\nHeight=100\nAlignX=center\nAlignY=Bottom\nFontAddress=12\n"
                 "AlignText=Right\nTextOffsetY=-1\nRowHeight=16\nBackground=ffc040\nColor1=010203\n"
                 "Color2=A0B0C0\nKeylistAddress=18");
  const TListBoxLayout& l = box->Layout();
  EXPECT_EQ(std::tuple(l.Left, l.Right, l.Top, l.Bottom), std::tuple(220, 419, 200, 299));
  EXPECT_EQ(std::tuple(l.Font, l.AlignText, l.TextX, l.VisibleRows), std::tuple(3u, 2, 419, 6));
  EXPECT_EQ(l.TextOffsetY, -1 + (16 - kFontHeight) / 2);
  EXPECT_EQ(std::tuple(l.Background, l.Color1, l.Color2), std::tuple(RGB{255, 192, 64}, RGB{1, 2, 3}, RGB{160, 176, 192}));
  // Address 18 starts one word later: Down, Return, Space, Escape, Delete, then the unused word at 28.
  uint16_t unused = 0;
  ControlMemory->Retrieve(28, &unused, 2);
  EXPECT_EQ(l.Keys, (std::array<uint16_t, 6>{kKeyDown, kKeyReturn, kKeySpace, kKeyEscape, kKeyDelete, unused}));

  // Centre text: (Left + Right + 1) div 2; the "RIGHT" box ends just left of x.
  auto centred = Box("X=100\nY=50\nWidth=51\nHeight=40\nAlignX=RIGHT\nAlignY=CENTER\nAlignText=center\nRowHeight=16");
  const TListBoxLayout& c = centred->Layout();
  EXPECT_EQ(std::tuple(c.Left, c.Right, c.Top, c.Bottom, c.TextX, c.VisibleRows), std::tuple(49, 99, 30, 69, 74, 2));

  LogCapture log;
  auto empty = Box("");
  const TListBoxLayout& d = empty->Layout();
  EXPECT_EQ(std::tuple(d.Left, d.Top, d.Right, d.Bottom, d.Font, d.AlignText, d.TextX), std::tuple(0, 0, 319, 199, 0u, 0, 0));
  EXPECT_EQ(std::tuple(d.RowHeight, d.VisibleRows, d.TextOffsetY), std::tuple(16, 12, 3));
  EXPECT_EQ(std::tuple(d.Background, d.Color1, d.Color2), std::tuple(RGB{32, 32, 32}, RGB{96, 32, 32}, RGB{32, 48, 96}));
  // The default address 4 holds the font references 1, 2, 3 as 32-bit words.
  EXPECT_EQ(d.Keys, (std::array<uint16_t, 6>{1, 0, 2, 0, 3, 0}));
  EXPECT_EQ(std::tuple(empty->Count(), empty->ItemIndex(), empty->TopIndex(), empty->Blend(), empty->RepeatDelay()),
            std::tuple(0, 0, 0, 0, 255));
  EXPECT_EQ(log.Count("LISTBOX"), 0);
}

// Catches warnings that differ by a byte, that quote the word as written,
// or that are skipped for a word in the wrong case.
TEST_F(ListBoxTest, UnknownWordsAreLoggedAndFallBack) {
  LogCapture log;
  auto box = Box("X=10\nY=20\nAlignX=Middle\nAlignY=up\nAlignText=Justify\nFontAddress=62\nKeylistAddress=60");
  const std::string range = "[CONTMEM, TControlMemory.Retrieve] Access out of range! (Address: ";
  const std::vector<std::string> expected = {
      "[LISTBOX, TListBox.Init] Invalid ALIGNX value (MIDDLE), using LEFT instead.",
      "[LISTBOX, TListBox.Init] Invalid ALIGNY value (UP), using TOP instead.", range + "62, Size: 4)",
      "[LISTBOX, TListBox.Init] Unknown ALIGNTEXT value (JUSTIFY), using LEFT instead.", range + "64, Size: 2)",
      range + "66, Size: 2)", range + "68, Size: 2)", range + "70, Size: 2)"};
  std::vector<std::string> got;
  for (const std::string& line : log.lines)
    if (line.find("LISTBOX") != std::string::npos || line.find("CONTMEM") != std::string::npos) got.push_back(line);
  EXPECT_EQ(got, expected);
  const TListBoxLayout& l = box->Layout();
  EXPECT_EQ(std::tuple(l.Left, l.Top, l.AlignText, l.TextOffsetY), std::tuple(10, 20, 0, 8));
  EXPECT_EQ(l.Font, 0xFFFFFFFFu) << "an unreadable font reference means no font (height 0)";
  // Words 60 and 62 lie inside the block; the four beyond it keep the usual closing keys.
  EXPECT_EQ((std::vector<uint16_t>(l.Keys.begin() + 2, l.Keys.end())),
            (std::vector<uint16_t>{kKeyReturn, kKeySpace, kKeyEscape, kKeyDelete}));
}

// Catches fixed entries added after the program's, an empty or ordinary
// ".Items" section adding rows, and GetItem past the end.
TEST_F(ListBoxTest, FixedEntriesComeFirst) {
  auto box = Box("", "[*Listbox.Test.Items]\nNo, keep it\nYes, erase it\n");
  box->AddItem("Third");
  ASSERT_EQ(box->Count(), 3);
  EXPECT_EQ(std::vector<std::string>({box->GetItem(0), box->GetItem(1), box->GetItem(2)}),
            std::vector<std::string>({"No, keep it", "Yes, erase it", "Third"}));
  LogCapture log;
  EXPECT_EQ(box->GetItem(3), "");
  EXPECT_TRUE(log.Has("[STRLIST, TStringList.GetItem] Index out of bounds! (To get: 3 - MaxItem: 2)"));
  EXPECT_EQ(Box("", "[*Listbox.Test.Items]\n")->Count(), 0);
  EXPECT_EQ(Box("", "[Listbox.Test.Items]\nA=1\n")->Count(), 0);
}

// Catches a pulse that overshoots, sticks at an end or runs at the wrong period.
TEST_F(ListBoxTest, PulseSweepsEverySixtyFourFrames) {
  auto box = Box("");
  for (int f = 1; f <= 130; ++f) {
    box->HandleKeys();
    EXPECT_EQ(box->Blend(), f % 64 <= 32 ? f % 64 : 64 - f % 64) << "frame " << f;
  }
}

// Catches repeat timing off by a frame, a release that leaves the repeat
// busy, and moves past either end.
TEST_F(ListBoxTest, HeldKeyRepeats) {
  auto box = Filled("", 40);
  EXPECT_EQ(MovesWhileHeld(*box, kKeyDown, 30), (std::vector<int>{1, 17, 20, 23, 26, 29}));
  EXPECT_EQ(box->ItemIndex(), 6);
  // Released with the delay at 1: it runs down to 0, and the next frame finds no key.
  box->HandleKeys();
  EXPECT_EQ(box->RepeatDelay(), 0);
  box->HandleKeys();
  EXPECT_EQ(box->RepeatDelay(), 255);
  EXPECT_EQ(MovesWhileHeld(*box, kKeyUp, 1), (std::vector<int>{1})) << "a new press moves at once";
  auto two = Filled("", 2);
  EXPECT_EQ(MovesWhileHeld(*two, kKeyUp, 20), std::vector<int>{}) << "nothing above the first entry";
  EXPECT_EQ(MovesWhileHeld(*two, kKeyDown, 40), std::vector<int>{1}) << "nothing below the last entry";
  EXPECT_EQ(two->ItemIndex(), 1);
}

// Catches TopIndex not following the highlight, or following it early, and a
// division by zero when no row fits.
TEST_F(ListBoxTest, ScrollingKeepsTheHighlightVisible) {
  // Taps of key (press, release, frames until the repeat is idle), then "ItemIndex/TopIndex".
  auto tap = [](TListBox& box, uint16_t key, int taps) {
    for (int t = 0; t < taps; ++t) {
      KeyState[key] = 1;
      box.HandleKeys();
      KeyState[key] = 0;
      for (int i = 0; i < 20 && box.RepeatDelay() != 255; ++i) box.HandleKeys();
    }
    return std::to_string(box.ItemIndex()) + "/" + std::to_string(box.TopIndex());
  };
  auto box = Filled("Height=100\nRowHeight=16", 10);
  ASSERT_EQ(box->Layout().VisibleRows, 6);
  EXPECT_EQ(tap(*box, kKeyDown, 5), "5/0");
  EXPECT_EQ(tap(*box, kKeyDown, 1), "6/1");
  EXPECT_EQ(tap(*box, kKeyDown, 3), "9/4");
  EXPECT_EQ(tap(*box, kKeyUp, 5), "4/4");
  EXPECT_EQ(tap(*box, kKeyUp, 1), "3/3");
  box->SetItemIndex(7);
  EXPECT_EQ(tap(*box, kKeyUp, 0), "7/7");
  auto flat = Filled("RowHeight=0", 3);
  EXPECT_EQ(flat->Layout().VisibleRows, 0);
  EXPECT_EQ(tap(*flat, kKeyDown, 1), "1/1");
  flat->Draw();
}

// Catches a bar of the wrong colour or height, text off its row, Draw using
// the colour bytes or DrawColored using the box's font, and rows past the box.
TEST_F(ListBoxTest, DrawAndDrawColored) {
  const std::string layout = "X=100\nY=100\nWidth=100\nHeight=40\nFontAddress=4\nRowHeight=16\nBackground=102030";
  auto box = Box(layout);
  for (const char* text : {"\x03" "AB", "\x05" "CD", "EF"}) box->AddItem(text);
  for (int f = 0; f < 16; ++f) box->HandleKeys();
  ASSERT_EQ(box->Blend(), 16);
  const uint32_t bar = 0x402840, background = 0x102030;  // (64, 40, 64) halfway between the defaults
  box->Draw();
  // Row 0 (highlighted): byte 3 is a 1-pixel glyph at x 100, then "AB" in font 1 from x 102.
  // Row 1 at y 116: background, text in font 1; no row 2 (only 2 whole rows fit).
  EXPECT_EQ((std::vector<uint32_t>{Pixel(199, 100), Pixel(199, 115), Pixel(100, 103), Pixel(102, 103), Pixel(102, 102),
                                   Pixel(102, 113), Pixel(111, 103), Pixel(199, 116), Pixel(102, 119), Pixel(102, 135),
                                   Pixel(102, 139)}),
            (std::vector<uint32_t>{bar, bar, Ink(1), Ink(1), bar, bar, bar, background, Ink(1), background, background}));
  box->DrawColored();
  // The switch bytes pick fonts 3 and 5 and take no room; the box's font is not used.
  // Colour text has no letter spacing: "AB" fills x 100 to 107.
  EXPECT_EQ((std::vector<uint32_t>{Pixel(100, 103), Pixel(107, 103), Pixel(108, 103), Pixel(100, 119), Pixel(199, 100)}),
            (std::vector<uint32_t>{Ink(3), Ink(3), bar, Ink(5), bar}));
  FillBox(0, 0, 639, 479, 0, 0, 0);
  Box(layout)->Draw();  // empty
  EXPECT_EQ((std::vector<uint32_t>{Pixel(100, 100), Pixel(199, 139), Pixel(200, 139), Pixel(199, 140)}),
            (std::vector<uint32_t>{background, background, 0, 0}));
}

// Catches the closing keys checked in the wrong order, a key that closes
// late, and movement not handled inside the loop.
TEST_F(ListBoxTest, RunModalClosesOnTheLastHeldKeyInListOrder) {
  auto box = Filled("", 5);
  // The tap at frame 10 falls inside the first tap's repeat delay and is
  // swallowed; the press at frame 20 comes after the delay went idle.
  Script({{1, kKeyDown, 2}, {10, kKeyDown, 11}, {20, kKeyDown, 30}, {25, kKeyReturn, 26}});
  const uint32_t start = PumpCount();
  box->RunModal();
  EXPECT_EQ(std::tuple(box->LastKey(), box->ItemIndex(), PumpCount() - start), std::tuple(kKeyReturn, 2, 25u));
  const std::vector<std::tuple<uint16_t, uint16_t, uint16_t>> pairs = {
      {kKeyEscape, kKeySpace, kKeyEscape}, {kKeyReturn, kKeySpace, kKeySpace},
      {kKeyDelete, kKeyReturn, kKeyDelete}, {kKeyEscape, kKeyDelete, kKeyDelete}};
  for (const auto& [a, b, winner] : pairs) {
    ClearKeys();
    Script({{3, a, 4}, {3, b, 4}});
    box->RunModal();
    EXPECT_EQ(box->LastKey(), winner) << a << " with " << b;
  }
}

// Reads the shipped layouts, packed as the data build packs them.
TEST_F(ListBoxTest, RealControlsIni) {
  TempDir dir;
  const std::string ini = WithCrLf(ReadFileBytes(QUARRY_CONTROLS_INI));
  {
    TMADWrite writer(dir / "quarry.mad");
    writer.AddBytes(std::span(reinterpret_cast<const uint8_t*>(ini.data()), ini.size()), "controls.ini");
    ASSERT_TRUE(writer.Done());
  }
  TMad archive(dir / "quarry.mad");
  LogCapture log;
  for (const std::string name : {"SelectPlayer", "DeletePlayer", "SelectLevelPack", "SelectMap"}) {
    auto box = TListBox::Create("controls.ini", name, archive);
    const TListBoxLayout& l = box->Layout();
    EXPECT_EQ(l.Keys, (std::array<uint16_t, 6>{kKeyUp, kKeyDown, kKeyReturn, kKeySpace, kKeyEscape, kKeyDelete}))
        << name;
    EXPECT_EQ(std::tuple(l.AlignText, l.RowHeight, l.TextX, l.TextOffsetY, l.Font < 4), std::tuple(1, 28, 320, 9, true))
        << name;
  }
  auto players = TListBox::Create("controls.ini", "SelectPlayer", archive);
  const TListBoxLayout& p = players->Layout();
  EXPECT_EQ(std::tuple(p.Left, p.Top, p.Right, p.Bottom, p.VisibleRows), std::tuple(120, 80, 519, 415, 12));
  auto erase = TListBox::Create("controls.ini", "DeletePlayer", archive);
  ASSERT_EQ(erase->Count(), 2);
  EXPECT_EQ(erase->Layout().Font, 3u);
  EXPECT_EQ(erase->GetItem(1).substr(0, 3), "Yes") << "the entry at position 1 confirms";
  auto edit = TEditBox::Create("controls.ini", "NewPlayer", archive);
  const TEditBoxLayout& e = edit->Layout();
  EXPECT_EQ(std::tuple(e.Left, e.Top, e.Right, e.Bottom, e.TextY, e.TextX), std::tuple(120, 240, 519, 271, 251, 320));
  EXPECT_EQ(std::tuple(e.Font, e.MaxLength, e.TextCase, e.Transparent), std::tuple(1u, 30, 0, false));
  EXPECT_EQ(log.Count("LISTBOX") + log.Count("EDITBOX") + log.Count("ZRINIFILE, TIniFile.ReadRGB"), 0);
}

}  // namespace
}  // namespace quarry::test
