// The edit box: layout from its INI section, the typing rules through the
// real event pump, the cursor and the transparent box's restored screen.
#include "widget_fixture.h"
#include "widgets/edit_box.h"

namespace quarry::test {
namespace {

class EditBoxTest : public WidgetTest {
protected:
  static std::unique_ptr<TEditBox> Box(const std::string& body) {
    return std::make_unique<TEditBox>(*Ini("[EditBox.Test]\n" + body + "\n"), "Test");
  }
  // Types keys one per pump from the next pump on (capitals with shift); returns the entry.
  static std::string Run(TEditBox& box, const std::string& keys) {
    std::vector<Stroke> strokes;
    uint32_t pump = 1;
    for (unsigned char c : keys) {
      const bool capital = c >= 'A' && c <= 'Z';
      strokes.push_back({pump, static_cast<uint16_t>(capital ? c + 32 : c), pump, capital});
      ++pump;
    }
    Script(strokes);
    box.Run();
    return box.Text();
  }
};

// Catches edges, text position or case word read wrongly, a transparent flag
// set by any non-zero value, and warnings that differ by a byte.
TEST_F(EditBoxTest, LayoutFromSection) {
  struct Case {
    std::string body;
    std::tuple<int, int, int, int, int, int> box;  // Left, Top, Right, Bottom, TextX, TextY
    std::tuple<uint32_t, int, int, int, bool> text;  // Font, AlignText, TextCase, MaxLength, Transparent
    RGB background;
    std::vector<std::string> log;
  };
  const std::vector<Case> cases = {
      {"X=100\nY=50\nWidth=101\nHeight=20\nAlignX=Right\nAlignY=Center\nAlignText=Center\nTextCase=Title\n"
       "Transparent=2\nMaxLength=5\nBackground=010203\nFontAddress=8\nTextOffsetY=2",
       {-1, 40, 99, 59, 49, 47}, {2u, 1, 0, 5, false}, {1, 2, 3},
       {"[EDITBOX, TEditBox.Init] Unknown TEXTCASE value (TITLE), using NORMAL instead."}},
      // A 20-pixel box centres a 10-pixel font 5 pixels below its top.
      {"", {0, 0, 319, 19, 0, 5}, {0u, 0, 0, 32, false}, {32, 32, 32}, {}},
      // A font taller than the box starts half the difference above it.
      {"X=10\nY=30\nWidth=40\nHeight=4\nAlignX=Mid\nAlignY=Low\nAlignText=Right\nTextCase=lower\nTransparent=1",
       {10, 30, 49, 33, 49, 27}, {0u, 2, 2, 32, true}, {32, 32, 32},
       {"[EDITBOX, TEditBox.Init] Invalid ALIGNX value (MID), using LEFT instead.",
        "[EDITBOX, TEditBox.Init] Invalid ALIGNY value (LOW), using TOP instead."}},
  };
  for (const Case& c : cases) {
    LogCapture log;
    auto box = Box(c.body);
    const TEditBoxLayout& l = box->Layout();
    EXPECT_EQ(std::tuple(l.Left, l.Top, l.Right, l.Bottom, l.TextX, l.TextY), c.box) << c.body;
    EXPECT_EQ(std::tuple(l.Font, l.AlignText, l.TextCase, l.MaxLength, l.Transparent), c.text) << c.body;
    EXPECT_EQ(l.Background, c.background) << c.body;
    EXPECT_EQ(log.lines, c.log);
  }
}

// Catches filtering the design does not have, case rules applied to the wrong letters,
// the length limit off by one, closing keys mishandled and keys typed before the box appeared.
TEST_F(EditBoxTest, TypingRules) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"", "aB1\t-\r", "aB1\t-"}, {"TextCase=Upper", "aZ9\r", "AZ9"}, {"TextCase=LOWER", "AbC\r", "abc"},
      {"MaxLength=3", "abcd\r", "abc"}, {"MaxLength=0", "ab\r", ""}, {"MaxLength=-4", "ab\r", ""},
      {"", "abc\b\r", "ab"}, {"", "\b\bx\r", "x"}, {"", "abc\x1b", ""}, {"MaxLength=1", "abc\x1b", ""},
      {"", std::string("ab\0x\r", 5), "ab"}, {"", std::string("ab\0\r", 4), "ab"},
      {"", std::string("ab\0\x1b", 4), ""}, {"MaxLength=300", std::string(260, 'q') + "\r", std::string(255, 'q')},
  };
  for (const auto& [layout, keys, text] : cases)
    EXPECT_EQ(Run(*Box(layout), keys), text) << layout << " typing " << ::testing::PrintToString(keys);
  auto box = Box("");
  PushKey('z');
  PushKey(13);
  EXPECT_EQ(Run(*box, "ok\r"), "ok");
}

// Catches a cursor that does not follow the text, and text drawn off its place.
TEST_F(EditBoxTest, CursorFollowsTheText) {
  const std::string layout = "X=10\nY=10\nWidth=100\nHeight=20\nBackground=102030";
  const uint32_t background = 0x102030;
  // The last picture shows what was there when Return came: "AB" and the cursor.
  // Glyphs of 4 pixels with 1 between: A 10-13, B 15-18, "_" 20-23, from y 15.
  Run(*Box(layout), "AB\r");
  EXPECT_EQ((std::vector<uint32_t>{Pixel(10, 15), Pixel(14, 15), Pixel(20, 15), Pixel(23, 24), Pixel(24, 15),
                                   Pixel(20, 14), Pixel(109, 29), Pixel(110, 29)}),
            (std::vector<uint32_t>{Ink(0), background, Ink(0), Ink(0), background, background, background, 0}));
  EXPECT_EQ(Run(*Box(layout), "ABC\b\r"), "AB");
  EXPECT_EQ(std::pair(Pixel(23, 15), Pixel(25, 15)), std::pair(Ink(0), background)) << "cursor back after B";
}

// Catches a transparent box that leaves its drawing behind, and one partly
// off the screen that reads or writes outside the back buffer.
TEST_F(EditBoxTest, TransparentBoxRestoresTheScreen) {
  for (int y = 0; y < 480; y += 8)
    for (int x = 0; x < 640; x += 8) FillBox(x, y, x + 7, y + 7, uint8_t(x / 3), uint8_t(y / 2), uint8_t(x ^ y));
  auto snapshot = [] {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) pixels.push_back(Pixel(x, y));
    return pixels;
  };
  const std::vector<uint32_t> before = snapshot();
  auto box = Box("X=200\nY=100\nWidth=120\nHeight=24\nTransparent=1");
  EXPECT_EQ(Run(*box, "Hello\r"), "Hello");
  EXPECT_TRUE(snapshot() == before) << "after Return";
  EXPECT_EQ(Run(*Box("X=-30\nY=470\nWidth=100\nHeight=24\nTransparent=1"), "abc\x1b"), "");
  EXPECT_TRUE(snapshot() == before) << "after Escape, box partly off the screen";
  // A transparent box never fills: drawing it outside Run puts only the text on the screen.
  box->Draw();
  EXPECT_EQ(Pixel(319, 123), before[123 * 640 + 319]);
  EXPECT_EQ(Pixel(200, 100 + (24 - kFontHeight) / 2), Ink(0));
}

}  // namespace
}  // namespace quarry::test
