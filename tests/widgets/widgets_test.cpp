// The list box and edit box laid out from INI sections, drawn with seven solid test fonts on a dummy-driver
// display, driven by real SDL key events on the virtual clock, with control memory filled as loading fills it.
#include <algorithm>
#include <regex>
#include <tuple>

#include "frame/control_memory.h"
#include "frame/frame.h"
#include "frame/script.h"
#include "core/clock.h"
#include "core/keys.h"
#include "core/stream.h"
#include "display_fixture.h"
#include "graphics/bmp_font.h"
#include "widgets/edit_box.h"
#include "widgets/list_box.h"
#include "widgets/widget_fonts.h"

namespace quarry::test {
namespace {
using RGB = std::array<uint16_t, 3>;
using Keys = std::array<uint16_t, 6>;
using Colours = std::vector<uint32_t>;  // 0xRRGGBB
const Keys kProgramKeys = {kKeyUp, kKeyDown, kKeyReturn, kKeySpace, kKeyEscape, kKeyDelete};
constexpr int kFontHeight = 10, kGlyphWidth = 4;  // every printable glyph is a solid 4 x 10 block, spacing 1
// Ink of test font n: (n + 1) * 0x20 in red, 0xFE green, 0 blue after the tint's rounding.
uint32_t Ink(int n) { return uint32_t((n + 1) * 0x20 * 255 >> 8) << 16 | 0xFE00; }
// An INI text with LF line ends as CR LF, as the data build packs it.
std::string WithCrLf(const std::string& text) { return std::regex_replace(text, std::regex("\n"), "\r\n"); }

std::unique_ptr<TMemoryStream> Ini(const std::string& text) {
  const std::string bytes = WithCrLf(text);
  return std::make_unique<TMemoryStream>(bytes.data(), bytes.size());
}
// Key events: each is pressed at pump (now + at) and, when up > 0, released at pump (now + up).
struct Stroke { uint32_t at; uint16_t key; uint32_t up = 0; bool shift = false; };
void Script(const std::vector<Stroke>& strokes) {
  const uint32_t now = PumpCount();
  std::vector<ScriptEvent> events;
  for (const Stroke& s : strokes) {
    events.push_back({now + s.at, ScriptEvent::Kind::Down, s.key, s.shift, {}});
    if (s.up) events.push_back({now + s.up, ScriptEvent::Kind::Up, s.key, s.shift, {}});
  }
  std::stable_sort(events.begin(), events.end(), [](auto& a, auto& b) { return a.pump < b.pump; });
  SetInputScript(events);
}

class WidgetTest : public DisplayTest {
protected:
  void SetUp() override {
    DisplayTest::SetUp();
    UseVirtualClock(true);
    SetFrameRate(60);
    ClearKeys();
    ClearKeyQueue();
    SetInputScript({});
    ControlMemory = std::make_unique<TControlMemory>(64);
    for (uint32_t i = 0; i < 4; ++i) ControlMemory->Store(i * 4, &i, 4);
    for (uint32_t i = 0; i < 6; ++i) ControlMemory->StoreWord(16 + 2 * i, kProgramKeys[i]);
    const Bytes gsd = MakeGsd(8, kFontHeight, Bytes(8 * kFontHeight, 255));
    Bytes bmf;
    for (uint8_t c = 33; c < 127; ++c) bmf.insert(bmf.end(), {c, 0, 0, 0, 0, kGlyphWidth - 1, 0, kFontHeight - 1, 0});
    ColorFontTable table{};
    for (int n = 0; n < 7; ++n) {
      TMemoryStream g(gsd.data(), gsd.size()), b(bmf.data(), bmf.size());
      fonts_[n] = std::make_unique<TBMPFont>("font", g, b, uint8_t((n + 1) * 0x20), 255, 0);
      table[n] = fonts_[n].get();
    }
    SetWidgetFonts(table);
  }
  void TearDown() override {
    SetWidgetFonts({});  // the fonts die with the fixture
    DisplayTest::TearDown();
  }

  std::unique_ptr<TBMPFont> fonts_[7];
};

std::unique_ptr<TListBox> ListBox(const std::string& body, const std::string& extra = "") {
  return std::make_unique<TListBox>(*Ini("[Listbox.Test]\n" + body + "\n" + extra), "Test");
}
// A box with the program's keys (Up, Down, Return, Space, Escape, Delete) and count entries.
std::unique_ptr<TListBox> Filled(const std::string& body, int count) {
  auto box = ListBox("KeylistAddress=16\n" + body);
  for (int i = 0; i < count; ++i) box->AddItem("Item" + std::to_string(i));
  return box;
}
// Frames (1-based) at which holding key for the given frames moved the highlight.
std::vector<int> MovesWhileHeld(TListBox& box, uint16_t key, int frames) {
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

std::unique_ptr<TEditBox> EditBox(const std::string& body) {
  return std::make_unique<TEditBox>(*Ini("[EditBox.Test]\n" + body + "\n"), "Test");
}
// Types keys one per pump from the next pump on (capitals with shift); returns the entry.
std::string Type(TEditBox& box, const std::string& keys) {
  std::vector<Stroke> strokes;
  for (uint32_t i = 0; i < keys.size(); ++i) {
    const uint8_t c = keys[i];
    const bool capital = c >= 'A' && c <= 'Z';
    strokes.push_back({i + 1, uint16_t(capital ? c + 32 : c), i + 1, capital});
  }
  Script(strokes);
  box.Run();
  return box.Text();
}

// Catches layout arithmetic off by one, case-sensitive words, wrong defaults, keys read from the wrong place,
// any non-zero Transparent, and warnings that differ by a byte, quote the word as written or are skipped.
TEST_F(WidgetTest, LayoutFromSection) {
  struct ListCase {
    std::string body;
    std::tuple<int, int, int, int, int, int, int> box;  // Left, Top, Right, Bottom, TextX, VisibleRows, TextOffsetY
    std::tuple<uint32_t, int, int> text;                // Font, AlignText, RowHeight
    std::tuple<RGB, RGB, RGB> colours;                  // Background, Color1, Color2
    Keys keys;
    std::vector<std::string> log;
  };
  const std::tuple<RGB, RGB, RGB> usual = {{32, 32, 32}, {96, 32, 32}, {32, 48, 96}};
  const std::string range = "[CONTMEM, TControlMemory.Retrieve] Access out of range! (Address: ";
  const std::vector<ListCase> lists = {
      // Address 18 starts one word later: Down, Return, Space, Escape, Delete, then the zero word at 28.
      {"X=320\nY=300\nWidth=200\nHeight=100\nAlignX=center\nAlignY=Bottom\nFontAddress=12\nAlignText=Right\n"
       "TextOffsetY=-1\nRowHeight=16\nBackground=ffc040\nColor1=010203\nColor2=A0B0C0\nKeylistAddress=18",
       {220, 200, 419, 299, 419, 6, -1 + (16 - kFontHeight) / 2}, {3u, 2, 16},
       {{255, 192, 64}, {1, 2, 3}, {160, 176, 192}}, {kKeyDown, kKeyReturn, kKeySpace, kKeyEscape, kKeyDelete, 0}, {}},
      // Centre text: (Left + Right + 1) div 2; the "RIGHT" box ends just left of x.
      // The default key address 4 holds the font references 1, 2, 3 as 32-bit words.
      {"X=100\nY=50\nWidth=51\nHeight=40\nAlignX=RIGHT\nAlignY=CENTER\nAlignText=center\nRowHeight=16",
       {49, 30, 99, 69, 74, 2, 3}, {0u, 1, 16}, usual, {1, 0, 2, 0, 3, 0}, {}},
      {"", {0, 0, 319, 199, 0, 12, 3}, {0u, 0, 16}, usual, {1, 0, 2, 0, 3, 0}, {}},
      // An unreadable font reference means no font (height 0); keys past the block keep the usual closing keys.
      {"X=10\nY=20\nAlignX=Middle\nAlignY=up\nAlignText=Justify\nFontAddress=62\nKeylistAddress=60",
       {10, 20, 329, 219, 10, 12, 8}, {0xFFFFFFFFu, 0, 16}, usual,
       {0, 0, kKeyReturn, kKeySpace, kKeyEscape, kKeyDelete},
       {"[LISTBOX, TListBox.Init] Invalid ALIGNX value (MIDDLE), using LEFT instead.",
        "[LISTBOX, TListBox.Init] Invalid ALIGNY value (UP), using TOP instead.", range + "62, Size: 4)",
        "[LISTBOX, TListBox.Init] Unknown ALIGNTEXT value (JUSTIFY), using LEFT instead.", range + "64, Size: 2)",
        range + "66, Size: 2)", range + "68, Size: 2)", range + "70, Size: 2)"}},
  };
  for (const ListCase& c : lists) {
    LogCapture log;
    auto box = ListBox(c.body);
    const TListBoxLayout& l = box->Layout();
    EXPECT_EQ(std::tuple(l.Left, l.Top, l.Right, l.Bottom, l.TextX, l.VisibleRows, l.TextOffsetY), c.box) << c.body;
    EXPECT_EQ(std::tuple(l.Font, l.AlignText, l.RowHeight), c.text) << c.body;
    EXPECT_EQ(std::tuple(l.Background, l.Color1, l.Color2), c.colours) << c.body;
    EXPECT_EQ(l.Keys, c.keys) << c.body;
    std::erase_if(log.lines, [](auto& line) { return line.starts_with("[ZRINIFILE, TIniFile.ListItemCount]"); });
    EXPECT_EQ(log.lines, c.log);
  }
  struct EditCase {
    std::string body;
    std::tuple<int, int, int, int, int, int> box;  // Left, Top, Right, Bottom, TextX, TextY
    std::tuple<uint32_t, int, int, int, bool, RGB> text;  // Font, AlignText, TextCase, MaxLength, Transparent, colour
    std::vector<std::string> log;
  };
  const std::vector<EditCase> edits = {
      {"X=100\nY=50\nWidth=101\nHeight=20\nAlignX=Right\nAlignY=Center\nAlignText=Center\nTextCase=Title\n"
       "Transparent=2\nMaxLength=5\nBackground=010203\nFontAddress=8\nTextOffsetY=2",
       {-1, 40, 99, 59, 49, 47}, {2u, 1, 0, 5, false, {1, 2, 3}},
       {"[EDITBOX, TEditBox.Init] Unknown TEXTCASE value (TITLE), using NORMAL instead."}},
      // A 20-pixel box centres a 10-pixel font 5 pixels below its top.
      {"", {0, 0, 319, 19, 0, 5}, {0u, 0, 0, 32, false, {32, 32, 32}}, {}},
      // A font taller than the box starts half the difference above it.
      {"X=10\nY=30\nWidth=40\nHeight=4\nAlignX=Mid\nAlignY=Low\nAlignText=Right\nTextCase=lower\nTransparent=1",
       {10, 30, 49, 33, 49, 27}, {0u, 2, 2, 32, true, {32, 32, 32}},
       {"[EDITBOX, TEditBox.Init] Invalid ALIGNX value (MID), using LEFT instead.",
        "[EDITBOX, TEditBox.Init] Invalid ALIGNY value (LOW), using TOP instead."}},
  };
  for (const EditCase& c : edits) {
    LogCapture log;
    auto box = EditBox(c.body);
    const TEditBoxLayout& l = box->Layout();
    EXPECT_EQ(std::tuple(l.Left, l.Top, l.Right, l.Bottom, l.TextX, l.TextY), c.box) << c.body;
    EXPECT_EQ(std::tuple(l.Font, l.AlignText, l.TextCase, l.MaxLength, l.Transparent, l.Background), c.text) << c.body;
    EXPECT_EQ(log.lines, c.log);
  }
}

// Catches fixed entries added after the program's, an empty or ordinary ".Items" adding rows, GetItem past the end.
TEST_F(WidgetTest, FixedEntriesComeFirst) {
  auto box = ListBox("", "[*Listbox.Test.Items]\nNo, keep it\nYes, erase it\n");
  box->AddItem("Third");
  LogCapture log;
  EXPECT_EQ(std::vector<std::string>({box->GetItem(0), box->GetItem(1), box->GetItem(2), box->GetItem(3)}),
            std::vector<std::string>({"No, keep it", "Yes, erase it", "Third", ""}));
  EXPECT_TRUE(log.Has("[STRLIST, TStringList.GetItem] Index out of bounds! (To get: 3 - MaxItem: 2)"));
  EXPECT_EQ(ListBox("", "[*Listbox.Test.Items]\n")->Count(), 0);
  EXPECT_EQ(ListBox("", "[Listbox.Test.Items]\nA=1\n")->Count(), 0);
}

// Catches a pulse that overshoots, sticks at an end or runs at the wrong period, repeat timing off by a frame, a
// release that leaves the repeat busy, moves past either end, TopIndex not following the highlight or following it
// early, and dividing by zero when no row fits.
TEST_F(WidgetTest, ListPulseKeyRepeatAndScrolling) {
  auto box = Filled("Height=100\nRowHeight=16", 10);  // 6 rows show
  for (int f = 1; f <= 130; ++f) {
    box->HandleKeys();
    EXPECT_EQ(box->Blend(), f % 64 <= 32 ? f % 64 : 64 - f % 64) << "frame " << f;
  }
  EXPECT_EQ(MovesWhileHeld(*box, kKeyDown, 30), (std::vector<int>{1, 17, 20, 23, 26, 29}));
  // Released with the delay at 1: it runs down to 0, and the next frame finds no key.
  box->HandleKeys();
  EXPECT_EQ(box->RepeatDelay(), 0);
  box->HandleKeys();
  EXPECT_EQ(box->RepeatDelay(), 255);
  EXPECT_EQ(MovesWhileHeld(*box, kKeyUp, 1), (std::vector<int>{1})) << "a new press moves at once";
  // Taps of key, each once the repeat is idle again, then "ItemIndex/TopIndex".
  auto tap = [](TListBox& box, uint16_t key, int taps) {
    for (int t = 0; t < taps; ++t) {
      for (int i = 0; i < 20 && box.RepeatDelay() != 255; ++i) box.HandleKeys();
      MovesWhileHeld(box, key, 1);
    }
    return std::to_string(box.ItemIndex()) + "/" + std::to_string(box.TopIndex());
  };
  EXPECT_EQ(tap(*box, kKeyDown, 1), "6/1");
  EXPECT_EQ(tap(*box, kKeyDown, 1), "7/2");
  EXPECT_EQ(tap(*box, kKeyDown, 5), "9/4") << "nothing below the last entry";
  EXPECT_EQ(tap(*box, kKeyUp, 5), "4/4");
  EXPECT_EQ(tap(*box, kKeyUp, 1), "3/3");
  EXPECT_EQ(tap(*box, kKeyUp, 5), "0/0") << "nothing above the first entry";
  box->SetItemIndex(7);
  EXPECT_EQ(tap(*box, kKeyUp, 0), "7/7");
  auto flat = Filled("RowHeight=0", 3);
  EXPECT_EQ(flat->Layout().VisibleRows, 0);
  EXPECT_EQ(tap(*flat, kKeyDown, 1), "1/1");
  flat->Draw();
}

// Catches a wrong bar, text off its row, Draw using colour bytes, DrawColored using the box's font, rows or text
// past the box.
TEST_F(WidgetTest, ListDrawAndDrawColored) {
  const std::string layout = "X=100\nY=100\nWidth=100\nHeight=40\nFontAddress=4\nRowHeight=16\nBackground=102030";
  auto box = ListBox(layout);
  for (const std::string& text : {std::string("\x03" "AB"), "\x05" + std::string(30, 'C'), std::string("EF")})
    box->AddItem(text);
  for (int f = 0; f < 16; ++f) box->HandleKeys();
  const uint32_t bar = 0x402840, background = 0x102030;  // (64, 40, 64) halfway between the defaults
  box->Draw();
  // Row 0 (highlighted): byte 3 is a 1-pixel glyph at x 100, then "AB" in font 1 from x 102.
  // Row 1 at y 116: background, text in font 1; no row 2 (only 2 whole rows fit).
  EXPECT_EQ((Colours{Pixel(199, 100), Pixel(199, 115), Pixel(100, 103), Pixel(102, 103), Pixel(102, 102),
                     Pixel(102, 113), Pixel(111, 103), Pixel(199, 116), Pixel(102, 119), Pixel(102, 135),
                     Pixel(102, 139)}),
            (Colours{bar, bar, Ink(1), Ink(1), bar, bar, bar, background, Ink(1), background, background}));
  box->DrawColored();
  // Switch bytes pick fonts 3 and 5 and take no room; colour text has no letter spacing: "AB" fills x 100-107.
  // 30 letters of 4 pixels from x 100 stop at the box's right edge, 199.
  EXPECT_EQ((Colours{Pixel(100, 103), Pixel(107, 103), Pixel(108, 103), Pixel(100, 119), Pixel(199, 100),
                     Pixel(199, 119), Pixel(200, 119), Pixel(219, 119)}),
            (Colours{Ink(3), Ink(3), bar, Ink(5), bar, Ink(5), 0, 0}));
  ListBox(layout)->Draw();  // an empty box: background only, and nothing outside it
  EXPECT_EQ((Colours{Pixel(100, 100), Pixel(199, 139), Pixel(200, 139), Pixel(199, 140)}),
            (Colours{background, background, 0, 0}));
}

// Catches the closing keys checked in the wrong order, a key that closes late, and movement not handled inside.
TEST_F(WidgetTest, ListRunModalClosesOnTheLastHeldKeyInListOrder) {
  auto box = Filled("", 5);
  // The tap at frame 10 falls inside the first tap's repeat delay; the press at 20 comes after it went idle.
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
TEST_F(WidgetTest, RealControlsIni) {
  const auto mad = BuildArchive(dir_, {{"controls.ini", Text(WithCrLf(ReadFileBytes(QUARRY_CONTROLS_INI)))}});
  LogCapture log;
  for (const std::string name : {"SelectPlayer", "DeletePlayer", "SelectLevelPack", "SelectMap"}) {
    auto box = TListBox::Create("controls.ini", name, *mad);
    const TListBoxLayout& l = box->Layout();
    EXPECT_EQ(std::tuple(l.Keys, l.AlignText, l.RowHeight, l.TextX, l.TextOffsetY, l.Font < 4),
              std::tuple(kProgramKeys, 1, 28, 320, 9, true)) << name;
    if (name == "SelectPlayer") {
      EXPECT_EQ(std::tuple(l.Left, l.Top, l.Right, l.Bottom, l.VisibleRows), std::tuple(60, 80, 579, 415, 12));
    }
  }
  auto erase = TListBox::Create("controls.ini", "DeletePlayer", *mad);
  ASSERT_EQ(erase->Count(), 2);
  EXPECT_EQ(erase->Layout().Font, 3u);
  EXPECT_EQ(erase->GetItem(1).substr(0, 3), "Yes") << "the entry at position 1 confirms";
  auto edit = TEditBox::Create("controls.ini", "NewPlayer", *mad);
  const TEditBoxLayout& e = edit->Layout();
  EXPECT_EQ(std::tuple(e.Left, e.Top, e.Right, e.Bottom, e.TextY, e.TextX), std::tuple(70, 240, 569, 271, 251, 320));
  EXPECT_EQ(std::tuple(e.Font, e.MaxLength, e.TextCase, e.Transparent), std::tuple(1u, 30, 0, false));
  EXPECT_EQ(log.Count("LISTBOX") + log.Count("EDITBOX") + log.Count("ZRINIFILE, TIniFile.ReadRGB"), 0);
}

// Catches control characters taken (a Tab would switch colours), text and cursor let run past the box (5 pixels a
// character: 5 fit in 30 with the cursor), case rules on the wrong letters, length off by one, bad closing keys, keys
// typed earlier, a cursor that does not follow the text, text drawn off its place or past the box, a transparent box
// leaving its drawing behind, and one partly off the screen going outside the back buffer.
TEST_F(WidgetTest, EditTypingAndDrawing) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"", "aB1\t-\x01 ~\x1f\r", "aB1- ~"}, {"Width=30", "abcdefg\r", "abcde"}, {"TextCase=Upper", "aZ9\r", "AZ9"}, {"TextCase=LOWER", "AbC\r", "abc"},
      {"MaxLength=3", "abcd\r", "abc"}, {"MaxLength=0", "ab\r", ""}, {"MaxLength=-4", "ab\r", ""},
      {"", "abc\b\r", "ab"}, {"", "\b\bx\r", "x"}, {"", "abc\x1b", ""}, {"MaxLength=1", "abc\x1b", ""},
      {"", std::string("ab\0x\r", 5), "ab"}, {"", std::string("ab\0\r", 4), "ab"},
      {"", std::string("ab\0\x1b", 4), ""}, {"MaxLength=300\nWidth=2000", std::string(260, 'q') + "\r", std::string(255, 'q')},
  };
  for (const auto& [layout, keys, text] : cases)
    EXPECT_EQ(Type(*EditBox(layout), keys), text) << layout << " typing " << ::testing::PrintToString(keys);
  auto early = EditBox("");
  PushKey('z');
  PushKey(13);
  EXPECT_EQ(Type(*early, "ok\r"), "ok");
  const std::string layout = "X=10\nY=10\nWidth=100\nHeight=20\nBackground=102030";
  const uint32_t background = 0x102030;
  // The last picture is from when Return came: glyphs of 4 with 1 between, A 10-13, B 15-18, "_" 20-23, from y 15.
  Type(*EditBox(layout), "AB\r");
  EXPECT_EQ((Colours{Pixel(10, 15), Pixel(14, 15), Pixel(20, 15), Pixel(23, 24), Pixel(24, 15), Pixel(20, 14),
                     Pixel(109, 29), Pixel(110, 29)}),
            (Colours{Ink(0), background, Ink(0), Ink(0), background, background, background, 0}));
  EXPECT_EQ(Type(*EditBox(layout), "ABC\b\r"), "AB");
  EXPECT_EQ(std::pair(Pixel(23, 15), Pixel(25, 15)), std::pair(Ink(0), background)) << "cursor back after B";
  ClearScreen(0, 0, 0);
  EditBox(layout)->DrawMessage(std::string(40, 'M'));
  EXPECT_EQ(std::pair(Pixel(108, 15), Pixel(110, 15)), std::pair(Ink(0), 0u)) << "a message stops at the box's edge";

  for (int y = 0; y < 480; y += 8)
    for (int x = 0; x < 640; x += 8) FillBox(x, y, x + 7, y + 7, uint8_t(x / 3), uint8_t(y / 2), uint8_t(x ^ y));
  auto snapshot = [] {
    std::vector<uint32_t> pixels;
    for (int i = 0; i < 640 * 480; ++i) pixels.push_back(Pixel(i % 640, i / 640));
    return pixels;
  };
  const std::vector<uint32_t> before = snapshot();
  auto box = EditBox("X=200\nY=100\nWidth=120\nHeight=24\nTransparent=1");
  EXPECT_EQ(Type(*box, "Hello\r"), "Hello");
  EXPECT_TRUE(snapshot() == before) << "after Return";
  EXPECT_EQ(Type(*EditBox("X=-30\nY=470\nWidth=100\nHeight=24\nTransparent=1"), "abc\x1b"), "");
  EXPECT_TRUE(snapshot() == before) << "after Escape, box partly off the screen";
  // A transparent box never fills: drawing it outside Run puts only the text on the screen.
  box->Draw();
  EXPECT_EQ(Pixel(319, 123), before[123 * 640 + 319]);
  EXPECT_EQ(Pixel(200, 100 + (24 - kFontHeight) / 2), Ink(0));
}

}  // namespace
}  // namespace quarry::test
