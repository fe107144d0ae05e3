#include "editor/screen/editor_screen.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "archive/mad.h"
#include "audio/music_collection.h"
#include "audio/wave_collection.h"
#include "audio/zr_sdl_a.h"
#include "core/clock.h"
#include "core/keys.h"
#include "core/log.h"
#include "core/program.h"
#include "core/stream.h"
#include "editor/edit_model.h"
#include "editor/map_file.h"
#include "editor/background_job.h"
#include "editor/recording_check.h"
#include "editor/solver_check.h"
#include "editor/validate.h"
#include "frame/control_memory.h"
#include "frame/frame.h"
#include "game/cave.h"
#include "game/play_loop.h"
#include "game/screen/play_screen.h"
#include "game/screen/wave_sink.h"
#include "graphics/bmp_font.h"
#include "graphics/image_collection.h"
#include "graphics/variant_table.h"
#include "graphics/zr_sdl.h"
#include "maps/map_source.h"
#include "widgets/edit_box.h"
#include "widgets/widget_fonts.h"

namespace quarry {

namespace {

constexpr int kPaletteTop = 396;
constexpr int kPaletteLeft = 8;
constexpr int kPaletteStep = 36;
constexpr int kStatusY = 434;
constexpr int kMessageY = 456;
constexpr int kKeyLeftShift = 304, kKeyRightShift = 303, kKeyLeftCtrl = 306, kKeyRightCtrl = 305;
constexpr int kKeyF5 = 286, kKeyF6 = 287, kKeyF7 = 288;
constexpr int kColorFontCount = 7;
constexpr int kRepeatDelay = 24, kRepeatEvery = 4;
constexpr int kNameRoom = 632 - (kPaletteLeft + kPaletteSize * kPaletteStep);

struct Rgb {
  uint8_t r, g, b;
};
// The game's seven text colours, so the editor's texts look like the game's.
constexpr Rgb kFontColors[kColorFontCount] = {
    {64, 192, 255}, {255, 192, 64}, {64, 255, 192}, {255, 64, 192}, {255, 64, 64}, {255, 255, 64}, {64, 255, 64},
};
constexpr int kBlue = 0, kOrange = 1, kRed = 4, kYellow = 5;

// The name and author boxes, laid out as the game's own boxes are.
const char* const kBoxLayout =
    "[EditBox.Text]\nX=320\nY=224\nWidth=600\nHeight=32\nAlignX=Center\nAlignY=Top\nFontAddress=4\n"
    "AlignText=Center\nTextCase=Normal\nMaxLength=60\nBackground=202838\nTransparent=0\n";

char MoveOf(PlayerAction action) {
  switch (action) {
    case PlayerAction::WalkUp: return 'U';
    case PlayerAction::WalkDown: return 'D';
    case PlayerAction::WalkLeft:
    case PlayerAction::TunnelLeft:
    case PlayerAction::PushLeft: return 'L';
    case PlayerAction::WalkRight:
    case PlayerAction::TunnelRight:
    case PlayerAction::PushRight: return 'R';
    default: return '.';
  }
}

// The play screen that also writes down the move of every tick of the
// current attempt: what the player did, which replays exactly.
// Under --script, a run whose script has ended and that is still going
// after this many more pumps is left: a test waits on nothing.
constexpr uint32_t kScriptGracePumps = 600;
uint32_t g_scriptEnd = 0;

void LeaveAfterScript() {
  if (g_scriptEnd == 0 || PumpCount() < g_scriptEnd + kScriptGracePumps) return;
  ShowStatus("the script has ended; leaving without saving");
  ExitProgram(kExitWindowClosed);
}

class TRecordingScreen : public TPlayScreen {
public:
  using TPlayScreen::TPlayScreen;
  void FinishFrame(TPlaySession& session) override {
    TPlayScreen::FinishFrame(session);
    LeaveAfterScript();
  }
  void AttemptStarted(TPlaySession& session) override {
    Moves.clear();
    seen_ = session.TickNumber;
    TPlayScreen::AttemptStarted(session);
  }
  void DrawCave(TPlaySession& session) override {
    if (session.TickNumber != seen_) {
      seen_ = session.TickNumber;
      Moves += MoveOf(session.LastAction);
    }
    TPlayScreen::DrawCave(session);
  }
  std::string Moves;

private:
  uint32_t seen_ = 0;
};

// The character a key gives with Shift held on a US keyboard, for the
// element characters that sit on shifted digits and punctuation.
char Shifted(char c) {
  const std::string plain = "12345789,.", shifted = "!@#$%&*(<>";
  size_t at = plain.find(c);
  return at == std::string::npos ? c : shifted[at];
}

bool IsPaletteElement(char c) { return std::string(kPaletteElements).find(c) != std::string::npos; }

std::string Shown(char c) { return c == ' ' ? "space" : std::string("'") + c + "'"; }

class TEditor {
public:
  explicit TEditor(const TEditorSetup& setup);
  ~TEditor();
  void Run();

private:
  enum class Mode { Edit, ConfirmLeave, OfferSolution };

  void LoadData();
  void LoadMap();
  void Draw() const;
  void DrawTile(char c, int x, int y) const;
  void Outline(int x1, int y1, int x2, int y2, uint8_t r, uint8_t g, uint8_t b) const;
  void Text(int font, const std::string& text, int x, int y, int align = 0) const;
  // The text cut with ".." to fit the room (beside the palette by default).
  std::string Fitted(int font, std::string text, int room = kNameRoom) const;
  // The text broken at spaces into lines of the screen's width.
  std::vector<std::string> Wrapped(int font, const std::string& text) const;
  void Frame();
  bool Pressed(int key) const { return KeyState[key] && !previous_[key]; }
  bool Held(int a, int b) const { return KeyState[a] || KeyState[b]; }
  void Status(const std::string& message, bool error = false);

  // Returns false when the author leaves.
  bool React();
  void Character(char c);
  void Mouse();
  void PaintLine(int x0, int y0, int x1, int y1, char element);
  void Edited() { problems_.clear(); }

  void Save();
  void EditText(bool name);
  void TestPlay();
  void Validate();
  void StoreRecording();
  void SolverCheck();
  void PollSolver();

  TEditorSetup setup_;
  TEditModel model_{NewMapFile()};
  Mode mode_ = Mode::Edit;
  char element_ = '#';
  std::string message_;
  bool messageError_ = false;
  std::vector<TMapProblem> problems_;
  size_t problemShown_ = 0;
  std::string recording_;
  std::vector<std::string> notes_;  // repairs made while reading, until saved
  TBackgroundJob solver_;
  TImageTable solverImages_;
  TMapFile solving_;                // the grid the solver was started on

  std::unique_ptr<TMad> main_, sound_, music_;
  std::unique_ptr<TMusicCollection> songs_;
  std::unique_ptr<TImageCollection> images_;
  std::array<std::unique_ptr<TBMPFont>, kColorFontCount> fonts_;
  std::unique_ptr<TWaveCollection> waves_;
  std::array<uint8_t, kKeyCount> previous_{};
  int button_ = 0;  // the mouse button held over the grid
  int heldFrames_ = 0;  // frames an arrow has been held
  int lastX_ = 0, lastY_ = 0;
};

TEditor::TEditor(const TEditorSetup& setup) : setup_(setup) {
  LoadData();
  LoadMap();
  KeepMouseEvents(true);
}

TEditor::~TEditor() {
  KeepMouseEvents(false);
  SetWidgetFonts({});
}

void TEditor::LoadData() {
  namespace fs = std::filesystem;
  const fs::path dir(setup_.DataDir);
  main_ = std::make_unique<TMad>((dir / "quarry.mad").string());
  images_ = std::make_unique<TImageCollection>(32);
  images_->LoadList("blocks.lst", *main_);
  BuildVariantTable([&](const std::string& name) { return images_->Find(name) != nullptr; });
  ColorFontTable table{};
  for (int i = 0; i < kColorFontCount; ++i) {
    fonts_[i] = std::make_unique<TBMPFont>("font", *main_, kFontColors[i].r, kFontColors[i].g, kFontColors[i].b);
    fonts_[i]->SetColorKey(0, 0, 0);
    table[i] = fonts_[i].get();
  }
  SetWidgetFonts(table);
  // The edit boxes find their fonts at the addresses the game uses.
  for (uint32_t i = 0; i < 4; ++i) ControlMemory->Store(i * 4, &i, 4);
  // Test play sounds like the game; without the sound archive it is silent.
  if (fs::is_regular_file(dir / "qssound.mad")) {
    Init_Audio();
    sound_ = std::make_unique<TMad>((dir / "qssound.mad").string());
    waves_ = std::make_unique<TWaveCollection>(16);
    waves_->LoadList("waves.ini", *sound_);
  }
  if (sound_ && fs::is_regular_file(dir / "qsmusic.mad")) {
    music_ = std::make_unique<TMad>((dir / "qsmusic.mad").string());
    songs_ = std::make_unique<TMusicCollection>(16);
    songs_->LoadList("muzax.ini", *music_);
  }
}

void TEditor::LoadMap() {
  const std::string& path = setup_.MapPath;
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    Status("new map " + path);
    return;
  }
  const auto size = std::filesystem::is_regular_file(path, error) ? std::filesystem::file_size(path, error) : 0;
  std::ifstream in(path, std::ios::binary);
  if (error || !in || !std::filesystem::is_regular_file(path)) StopMissingData(path + ": cannot read the map", "EDIT");
  if (size > kMaxMapSourceSize)
    StopMissingData(path + ": " + std::to_string(size) + " bytes, larger than any map", "EDIT");
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<std::string> notes;
  model_ = TEditModel(ParseMapFile(text.str(), notes));
  for (const auto& note : notes) Status(path + ":" + note.substr(5), true);  // "line N: ..." as "PATH:N: ..."
  if (notes.empty()) Status("opened " + path);
  notes_ = notes;
}

void TEditor::Status(const std::string& message, bool error) {
  message_ = message;
  messageError_ = error;
  ShowStatus(message);
}

void TEditor::Text(int font, const std::string& text, int x, int y, int align) const {
  if (fonts_[font]) fonts_[font]->DrawText(text, x, y, align);
}

std::string TEditor::Fitted(int font, std::string text, int room) const {
  if (!fonts_[font] || fonts_[font]->TextWidth(text) <= room) return text;
  while (!text.empty() && fonts_[font]->TextWidth(text + "..") > room) text.pop_back();
  return text + "..";
}

std::vector<std::string> TEditor::Wrapped(int font, const std::string& text) const {
  std::vector<std::string> lines(1);
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    const std::string longer = lines.back().empty() ? word : lines.back() + " " + word;
    if (fonts_[font] && fonts_[font]->TextWidth(longer) > 624 && !lines.back().empty()) lines.push_back(word);
    else lines.back() = longer;
  }
  return lines;
}

void TEditor::Outline(int x1, int y1, int x2, int y2, uint8_t r, uint8_t g, uint8_t b) const {
  FillBox(x1, y1, x2, y1 + 1, r, g, b);
  FillBox(x1, y2 - 1, x2, y2, r, g, b);
  FillBox(x1, y1, x1 + 1, y2, r, g, b);
  FillBox(x2 - 1, y1, x2, y2, r, g, b);
}

void TEditor::DrawTile(char c, int x, int y) const {
  FillBox(x, y, x + kCellSize - 1, y + kCellSize - 1, 0, 0, 0);
  if (c == ' ') return;
  // The first variant and the first frame of a strip stand for the element.
  const std::string name = c == '*' ? "*D" : std::string(1, c);
  for (uint32_t i = 0; i < images_->Count(); ++i) {
    if (images_->NameAt(i) != name && images_->NameAt(i) != name + "1") continue;
    if (SDL_Surface* surface = images_->SurfaceAt(i)) BlitPart(x, y, 0, 0, kCellSize - 1, kCellSize - 1, surface);
    return;
  }
  Text(kRed, std::string(1, c), x + kCellSize / 2, y + 4, 1);  // no picture: the character itself
}

void TEditor::Draw() const {
  ClearScreen(0, 0, 0);
  for (int y = 0; y < kEditRows; ++y)
    for (int x = 0; x < kEditColumns; ++x) DrawTile(model_.Cell(x, y), x * kCellSize, y * kCellSize);
  if (problemShown_ < problems_.size())
    for (auto [x, y] : problems_[problemShown_].Cells)
      Outline(x * kCellSize, y * kCellSize, x * kCellSize + kCellSize - 1, y * kCellSize + kCellSize - 1, 255, 40, 40);
  int x1, y1, x2, y2;
  model_.Selection(x1, y1, x2, y2);
  if (model_.HasSelection())
    Outline(x1 * kCellSize, y1 * kCellSize, x2 * kCellSize + kCellSize - 1, y2 * kCellSize + kCellSize - 1, 255, 255,
            64);
  const int cx = model_.CursorX * kCellSize, cy = model_.CursorY * kCellSize;
  Outline(cx, cy, cx + kCellSize - 1, cy + kCellSize - 1, 255, 255, 255);

  FillBox(0, kPaletteTop - 6, 639, kPaletteTop - 5, 80, 80, 96);
  for (int i = 0; i < kPaletteSize; ++i) {
    const int px = kPaletteLeft + i * kPaletteStep;
    DrawTile(kPaletteElements[i], px, kPaletteTop);
    if (kPaletteElements[i] == ' ') Outline(px, kPaletteTop, px + kCellSize - 1, kPaletteTop + kCellSize - 1, 80, 80, 96);
    if (kPaletteElements[i] == element_) Outline(px - 2, kPaletteTop - 2, px + kCellSize + 1, kPaletteTop + kCellSize + 1, 255, 255, 64);
  }
  const TMapFile& file = model_.File();
  Text(kOrange, Fitted(kOrange, file.Name), 632, kPaletteTop, 2);
  Text(kBlue, Fitted(kBlue, "by " + file.Author), 632, kPaletteTop + 16, 2);
  const std::string name = std::filesystem::path(setup_.MapPath).filename().string();
  // A message too long for its line takes the status line's place as well
  // until the next message.
  const int color = messageError_ ? kRed : kYellow;
  const std::vector<std::string> lines = Wrapped(color, message_);
  if (lines.size() > 1) {
    Text(color, lines[0], 8, kStatusY);
    Text(color, Fitted(color, lines[1], 624), 8, kMessageY);
    return;
  }
  Text(kBlue,
       "(" + std::to_string(model_.CursorX) + "," + std::to_string(model_.CursorY) + ")  " + Shown(element_) +
           "  diamonds " + std::to_string(model_.Diamonds()) + "  " + name + (model_.Modified() ? " *" : ""),
       8, kStatusY);
  Text(color, message_, 8, kMessageY);
}

void TEditor::Frame() {
  Draw();
  previous_ = KeyState;
  Delay(FrameWait());
  Flip();
  PumpEvents();
}

void TEditor::Run() {
  for (;;) {
    Frame();
    LeaveAfterScript();
    PollSolver();
    if (!React()) return;
  }
}

bool TEditor::React() {
  const bool shift = Held(kKeyLeftShift, kKeyRightShift), ctrl = Held(kKeyLeftCtrl, kKeyRightCtrl);
  for (uint8_t c = PopKey(); c != kNoKey; c = PopKey()) {
    if (mode_ == Mode::ConfirmLeave) {
      mode_ = Mode::Edit;
      if (c == 'y' || c == 'Y') return false;
      Status("still editing");
      continue;
    }
    if (mode_ == Mode::OfferSolution) {
      mode_ = Mode::Edit;
      if (c == 'y' || c == 'Y') StoreRecording();
      else Status("the recording was dropped");
      continue;
    }
    if (c == kKeyEscape && solver_.Running()) {
      solver_.Stop();
      Status("solver stopped");
      continue;
    }
    if (c == kKeyEscape) {
      if (!model_.Modified()) return false;
      mode_ = Mode::ConfirmLeave;
      Status("unsaved changes: Y leaves without saving, any other key stays", true);
      continue;
    }
    if (ctrl) {
      const char k = static_cast<char>(c | 0x20);
      if (k == 'z') Status(model_.Undo() ? "undone" : "nothing to undo");
      if (k == 'y') Status(model_.Redo() ? "redone" : "nothing to redo");
      if (k == 'z' || k == 'y') Edited();
      if (k == 's') Save();
      continue;
    }
    Character(static_cast<char>(shift ? Shifted(static_cast<char>(c)) : c));
  }
  if (Pressed(kKeyDelete)) {
    model_.Place(' ');
    Edited();
  }
  const int arrows[4][3] = {{kKeyUp, 0, -1}, {kKeyDown, 0, 1}, {kKeyLeft, -1, 0}, {kKeyRight, 1, 0}};
  bool anyArrow = false;
  for (const auto& a : arrows) anyArrow = anyArrow || KeyState[a[0]];
  heldFrames_ = anyArrow ? heldFrames_ + 1 : 0;
  // A held arrow repeats after a short wait, counted in frames.
  const bool repeat = heldFrames_ > kRepeatDelay && (heldFrames_ - kRepeatDelay) % kRepeatEvery == 0;
  for (const auto& a : arrows)
    if (Pressed(a[0]) || (repeat && KeyState[a[0]])) model_.MoveCursor(a[1], a[2], shift);
  if (Pressed(kKeyF5)) TestPlay();
  if (Pressed(kKeyF6)) SolverCheck();
  if (Pressed(kKeyF7)) Validate();
  Mouse();
  return true;
}

void TEditor::Character(char c) {
  if (c == kKeyReturn || c == kKeySpace) {
    model_.Place(element_);
  } else if (c == kKeyBackspace) {
    model_.Place(' ');
  } else if (c == 'n' || c == 'N' || c == 'a' || c == 'A') {
    EditText(c == 'n' || c == 'N');
    return;
  } else if (IsPaletteElement(c)) {
    element_ = c;
    // With a selection, the element fills it at once.
    if (model_.HasSelection()) model_.Place(c);
  } else {
    return;
  }
  Edited();
}

void TEditor::Mouse() {
  for (MouseEvent m; PopMouseEvent(m);) {
    const int x = m.x / kCellSize, y = m.y / kCellSize;
    const bool inGrid = m.x >= 0 && x < kEditColumns && m.y >= 0 && y < kEditRows;
    if (m.kind == MouseEvent::Kind::Down) {
      const int slot = (m.x - kPaletteLeft) / kPaletteStep;
      if (m.y >= kPaletteTop && m.y < kPaletteTop + kCellSize && m.x >= kPaletteLeft && slot < kPaletteSize) {
        element_ = kPaletteElements[slot];
      } else if (inGrid && (m.button == 1 || m.button == 3)) {
        button_ = m.button;
        model_.SetCursor(x, y);
        model_.BeginStroke();
        model_.Paint(x, y, button_ == 3 ? ' ' : element_);
        lastX_ = x, lastY_ = y;
        Edited();
      }
    } else if (m.kind == MouseEvent::Kind::Move && button_ != 0) {
      const int cx = std::clamp(x, 0, kEditColumns - 1), cy = std::clamp(y, 0, kEditRows - 1);
      PaintLine(lastX_, lastY_, cx, cy, button_ == 3 ? ' ' : element_);
      model_.SetCursor(cx, cy);
      lastX_ = cx, lastY_ = cy;
    } else if (m.kind == MouseEvent::Kind::Up && m.button == button_) {
      button_ = 0;
      model_.EndStroke();
    }
  }
}

// Every cell on the way, so a quick drag leaves no gaps.
void TEditor::PaintLine(int x0, int y0, int x1, int y1, char element) {
  const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  for (int i = 1; i <= steps; ++i)
    model_.Paint(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, element);
  Edited();
}

void TEditor::Save() {
  std::string error;
  if (SaveMapFile(setup_.MapPath, MapFileText(model_.File()), error)) {
    model_.MarkSaved();
    notes_.clear();
    Status("saved " + setup_.MapPath);
  } else {
    Status("not saved: " + error, true);
  }
}

void TEditor::EditText(bool name) {
  TMemoryStream layout(kBoxLayout, std::strlen(kBoxLayout));
  TEditBox box(layout, "Text");
  Status(std::string(name ? "the map's name" : "the author") + " (now \"" +
         (name ? model_.File().Name : model_.File().Author) + "\"): Return takes it, Escape keeps the old one");
  Draw();
  ClearKeyQueue();
  box.Run();
  if (!box.Text().empty()) {
    if (name) model_.SetName(box.Text());
    else model_.SetAuthor(box.Text());
    Status(std::string(name ? "name: " : "author: ") + box.Text());
  } else {
    Status("unchanged");
  }
  previous_ = KeyState;
}

void TEditor::TestPlay() {
  int players = 0;
  for (const auto& row : model_.File().Rows) players += static_cast<int>(std::count(row.begin(), row.end(), '*'));
  if (players != 1) {
    Status("test play needs exactly one player start '*'", true);
    return;
  }
  TMaps maps;
  maps.Append(MapOfFile(model_.File()));
  const TImageTable table = ImageTableOf(images_.get());
  TWaveSink sounds(waves_.get());
  TCave cave(maps, table, sounds);
  TPlaySession session(cave, 0);
  GameContext context;
  context.Images = images_.get();
  context.MainArchive = main_.get();
  for (int i = 0; i < kColorFontCount; ++i) context.ColorFonts[i] = fonts_[i].get();
  context.Waves = waves_.get();
  TRecordingScreen view(context, table);
  KeepMouseEvents(false);
  ClearKeys();
  ClearKeyQueue();
  // The first map's song, as the game would play it.
  std::string song;
  const bool haveSong = songs_ && songs_->GetCycledOrderItem("INGAME", 0, song);
  if (haveSong) songs_->Play(song);
  const bool completed = RunPlayLoop(session, view);
  if (haveSong) songs_->Stop(song);
  KeepMouseEvents(true);
  ClearKeyQueue();
  previous_ = KeyState;
  button_ = 0;
  if (!completed) {
    Status("test play left");
    return;
  }
  recording_ = view.Moves;
  mode_ = Mode::OfferSolution;
  Status("completed in " + std::to_string(recording_.size()) +
         " ticks: Y stores the recording as the solution, any other key drops it");
}

void TEditor::StoreRecording() {
  const TImageTable table = ImageTableOf(images_.get());
  const TRecordingCheck check = CheckRecording(model_.File(), recording_, table);
  if (!check.Accepted) {
    Status(check.Message, true);
    return;
  }
  model_.SetSolution(recording_);
  Status("solution stored: " + check.Message);
}

void TEditor::SolverCheck() {
  if (solver_.Running()) {
    solver_.Stop();
    Status("solver stopped");
    return;
  }
  solving_ = model_.File();
  solverImages_ = ImageTableOf(images_.get());
  if (!solver_.Start(SolverWork(solving_, solverImages_, setup_.SolverSeconds))) {
    Status("the solver could not be started", true);
    return;
  }
  Status("solver: started, at most " + std::to_string(static_cast<int>(setup_.SolverSeconds)) +
         " s (F6 or Escape stops it)");
}

void TEditor::PollSolver() {
  if (!solver_.Running()) return;
  // A scripted run takes the answer at the frame that asked, so its pumps
  // do not depend on how fast the machine searches.
  const std::optional<TJobResult> result = solver_.Poll(setup_.ScriptEnd != 0);
  if (!result) {
    if (!solver_.ProgressText().empty()) message_ = solver_.ProgressText(), messageError_ = false;
    return;
  }
  if (result->Moves.empty()) {
    Status(result->Message, true);
  } else if (model_.File().Rows != solving_.Rows) {
    Status(result->Message + "; the map has changed since, so it is not offered", true);
  } else {
    recording_ = result->Moves;
    mode_ = Mode::OfferSolution;
    Status(result->Message + ": Y stores it as the solution, any other key drops it");
  }
}

void TEditor::Validate() {
  if (problemShown_ + 1 < problems_.size()) {
    ++problemShown_;
  } else {
    problems_ = ValidateMap(model_.File());
    // Rows of the wrong width were repaired on reading; the file still has them.
    for (auto note = notes_.rbegin(); note != notes_.rend(); ++note)
      problems_.insert(problems_.begin(), {*note + " (until saved)", {}});
    problemShown_ = 0;
  }
  if (problems_.empty()) {
    Status("no problems found");
    return;
  }
  Status(std::to_string(problemShown_ + 1) + "/" + std::to_string(problems_.size()) + ": " +
             problems_[problemShown_].Message,
         true);
}

}  // namespace

void ShowStatus(const std::string& message) {
  std::printf("%s\n", message.c_str());
  std::fflush(stdout);
  LogStatus(message, "EDIT");
}

void RunEditor(const TEditorSetup& setup) {
  g_scriptEnd = setup.ScriptEnd;
  SetFrameRate(60);
  TEditor editor(setup);
  editor.Run();
}

}  // namespace quarry
