// The menus: choose a player (or make or erase one), choose a level pack, then
// stay in the pack's map menu to play maps, change player (F1) or pack (F2),
// watch the closing scene once every map is completed, or quit (Escape).
// Progress goes to "players.dat" after every change.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "frame/frame.h"
#include "app/game_flow.h"
#include "app/game_objects.h"
#include "app/progress.h"
#include "archive/mad.h"
#include "audio/music_collection.h"
#include "core/clock.h"
#include "core/keys.h"
#include "core/log.h"
#include "core/stream.h"
#include "core/text.h"
#include "game/screen/end_of_pack.h"
#include "game/screen/play_game.h"
#include "graphics/bmp_font.h"
#include "graphics/image_collection.h"
#include "graphics/variant_table.h"
#include "graphics/zr_sdl.h"
#include "maps/map_pack.h"
#include "maps/pack_info.h"
#include "maps/xmap.h"
#include "players/players.h"
#include "widgets/edit_box.h"
#include "widgets/list_box.h"

namespace quarry {
namespace {

constexpr const char* kPlayersFile = "players.dat";
constexpr const char* kControls = "controls.ini";
constexpr const char* kNewPlayerEntry = "-- New player --";
// Pixels between a header text and the key hint to its right.
constexpr int kHintGap = 8;

// Map menu results besides a map position.
constexpr int kNoMapYet = -1;
constexpr int kChangePlayer = -2;
constexpr int kChangePack = -3;
constexpr int kQuit = -4;
constexpr int kUndecided = -5;
constexpr int kEndOfPack = -6;

// Colour bytes of the map menu's entries.
constexpr char kLockedColor = 4;
constexpr char kOpenColor = 5;
constexpr char kCompletedColor = 6;

// Shown by the menus; alive for the whole of RunMenus.
std::unique_ptr<TPlayers> Players;

struct MenuState {
  int Player = -1;
  int PackIndex = -1;
  std::string LevelPack;
  std::unique_ptr<TImageCollection> Images;
  std::unique_ptr<TMaps> Maps;
  GameContext Context;
};

void SavePlayers() { SaveRoster(*Players, kPlayersFile); }

void MenuMusic(bool start) {
  if (!MusicCollection) return;
  std::string song;
  MusicCollection->GetOrderItem("LIST", 1, song);
  if (start)
    MusicCollection->Play(song);
  else
    MusicCollection->Stop(song);
}

void Title(const std::string& text, int font, int y) {
  if (ColorFonts[font]) ColorFonts[font]->DrawText(text, 320, y, 1);
}

void Blank() { FillBox(0, 0, 639, 479, 0, 0, 0); }

// Width of a text drawn with DrawColorText in one font: its glyphs side by
// side, without letter spacing.
int ColorWidth(int font, const std::string& text) {
  int width = 0;
  if (ColorFonts[font])
    for (char c : text) width += ColorFonts[font]->TextWidth(std::string(1, c));
  return width;
}

// The longest start of a name or title that fits in width pixels of a colour
// font. Bytes below 32 are left out: in a colour text they would switch fonts.
std::string Fitted(const std::string& text, int font, int width) {
  std::string shown;
  int used = 0;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 32) continue;
    used += ColorWidth(font, std::string(1, c));
    if (used > width) break;
    shown += c;
  }
  return shown;
}

// The erase dialog: the player at position index, after a confirmation. The
// current player (-1 for none) is kept pointing at the same person; it
// becomes -1 when that person is the one erased.
void DeletePlayerDialog(int index, int& current) {
  Blank();
  Title("Really erase player?", 4, 140);
  DrawColorText(std::string(1, '\5') + Fitted(Trim(Players->GetPlayerName(index)), 5, 608), 320, 180, 1);
  auto box = TListBox::Create(kControls, "DeletePlayer", *MainArchive);
  ClearKeys();
  box->RunModal();
  const uint16_t key = box->LastKey();
  if ((key == kKeyReturn || key == kKeySpace) && box->ItemIndex() == 1 && Players->DeletePlayerAt(index)) {
    if (current == index)
      current = -1;
    else if (current > index)
      --current;
    SavePlayers();
  }
}

// Shows a message in the edit box's place until a key is typed or a few
// seconds of frames have passed.
void ShowInBox(const TEditBox& box, const std::string& message) {
  constexpr int kMessageFrames = 180;
  ClearKeyQueue();
  for (int frame = 0; frame < kMessageFrames; ++frame) {
    box.DrawMessage(message);
    Delay(FrameWait());
    Flip();
    PumpEvents();
    if (PopKey() != kNoKey) break;
  }
}

void NewPlayerDialog() {
  Blank();
  Title("Enter new player name", 2, 200);
  auto box = TEditBox::Create(kControls, "NewPlayer", *MainArchive);
  for (;;) {
    ClearKeys();
    box->Run();
    // The roster keeps 30 characters of a name and shows them trimmed, so
    // that is what must be new; a blank name is no name.
    const std::string name = Trim(box->Text().substr(0, kPlayerNameLength));
    if (name.empty()) return;
    if (Players->FindPlayerByName(name) < 0) {
      Players->AddPlayer(name);
      SavePlayers();
      return;
    }
    // Two players of one name could not be told apart; the box keeps the
    // name for correcting.
    ShowInBox(*box, "Name already taken");
  }
}

// The player menu. current is the player who was playing (-1 at the start);
// erasures done here keep it pointing at the same person (-1 if erased).
// Returns the chosen position, or -1 for Escape.
int SelectPlayer(int& current) {
  for (;;) {
    ClearKeys();
    Blank();
    Title("Select player", 1, 30);
    auto box = TListBox::Create(kControls, "SelectPlayer", *MainArchive);
    for (int i = 0; i < Players->Count(); ++i) box->AddItem(Trim(Players->GetPlayerName(i)));
    box->AddItem(kNewPlayerEntry);
    box->RunModal();
    const int chosen = box->ItemIndex();
    const bool onPlayer = chosen < box->Count() - 1;
    switch (box->LastKey()) {
      case kKeyEscape:
        return -1;
      case kKeyDelete:
        if (onPlayer) DeletePlayerDialog(chosen, current);
        break;
      default:
        if (onPlayer) return chosen;
        NewPlayerDialog();
        break;
    }
  }
}

// Level packs in the working directory. The names are sorted, so the menu
// shows the same order on every file system.
std::vector<std::string> FindLevelPacks() {
  std::vector<std::string> packs;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(".", ec)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory(ec) || name.size() < 3) continue;
    std::string suffix = UpperCase(name.substr(name.size() - 3));
    if (suffix != ".QS") continue;
    if (std::FILE* f = std::fopen(name.c_str(), "rb")) {
      std::fclose(f);
      packs.push_back(name);
    }
  }
  std::sort(packs.begin(), packs.end());
  return packs;
}

// Why a level pack cannot be played, or "" when it can: it must be an
// archive whose "info" lists at least one map, and every map the menu would
// list (by position and by number) must be in the pack and load whole. A
// pack that fails is never added to a player's list, and nothing here stops
// the program, as opening a damaged pack for play would.
std::string PackProblem(const std::string& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec) || !std::ifstream(file, std::ios::binary).is_open())
    return "cannot be read";
  TMad pack(file);
  if (!pack.IndexIntact()) return "is damaged";
  auto member = [&pack](const std::string& name, std::vector<uint8_t>& bytes) {
    const int at = pack.Find(name);
    bool intact = false;
    return at >= 0 && pack.ReadEntry(pack.Entries()[static_cast<size_t>(at)], bytes, &intact) && intact;
  };
  std::vector<uint8_t> bytes;
  if (!member("info", bytes)) return "has no map list";
  TMemoryStream infoStream(bytes.data(), bytes.size());
  const TPackInfo info = ReadPackInfo(infoStream);
  if (info.MapNumbers.empty()) return "has no maps";
  size_t maps = 0;
  while (pack.HasFile(MapMemberName(static_cast<int>(maps) + 1))) ++maps;
  const size_t listed = std::min<size_t>(info.MapNumbers.size(), 256);
  if (listed > maps) return "lists more maps than it holds";
  for (size_t i = 0; i < listed; ++i) {
    const int m = info.MapNumbers[i];
    if (m < 0 || static_cast<size_t>(m) >= maps) return "lists a map it does not hold";
    TXMap map;
    if (member(MapMemberName(m + 1), bytes)) {
      TMemoryStream mapStream(bytes.data(), bytes.size());
      map.Load(mapStream);
    }
    if (map.Status != "OK") return "has a damaged map (" + std::to_string(m + 1) + ")";
  }
  return {};
}

// The pack menu, until a pack that can be played is chosen (its file name)
// or the menu is left ("", also when there is no pack). A refused pack is
// named under the menu, which then shows again.
std::string SelectLevelPack() {
  std::string refusal;
  for (;;) {
    ClearKeys();
    Blank();
    Title("Select level pack", 1, 30);
    if (!refusal.empty()) DrawColorText(std::string(1, '\4') + Fitted(refusal, 4, 624), 320, 440, 1);
    auto box = TListBox::Create(kControls, "SelectLevelPack", *MainArchive);
    for (const std::string& pack : FindLevelPacks()) box->AddItem(pack);
    box->RunModal();
    if (box->LastKey() == kKeyEscape || box->Count() == 0) return {};
    const std::string chosen = box->GetItem(box->ItemIndex());
    const std::string problem = PackProblem(chosen);
    if (problem.empty()) return chosen;
    LogWarning("Level pack refused: " + problem + " (" + chosen + ")", "QUARRY, SelectLevelPack");
    refusal = chosen + " " + problem;
  }
}

int PackIndexOf(const MenuState& state) {
  const int index = Players->GetLevelPackIndex(state.Player, state.LevelPack);
  return index >= 0 ? index : Players->AddLevelPack(state.Player, state.LevelPack);
}

// The image collection and map pack of the current level pack.
void LoadPack(MenuState& state, bool trace) {
  auto step = [trace](int n) {
    if (trace) LogTrace(n);
  };
  step(6);
  state.Images = std::make_unique<TImageCollection>(32);
  step(7);
  state.Images->LoadList("blocks.lst", *MainArchive);
  step(8);
  BuildVariantTable([&](const std::string& name) { return state.Images->Find(name) != nullptr; });
  step(9);
  state.Maps = std::make_unique<TMaps>();
  step(10);
  state.Maps->Load(state.LevelPack);
  state.Context.Images = state.Images.get();
}

int SelectMap(MenuState& state, int selected) {
  ClearKeys();
  Blank();
  Title("Quarrystar", 2, 0);
  const std::string sw0(1, '\0'), sw1(1, '\1'), sw3(1, '\3');
  // Names and titles stop a little before the key hints on their right.
  const int roomF1 = 632 - ColorWidth(3, "(F1)") - kHintGap - 88;
  const int roomF2 = 632 - ColorWidth(3, "(F2)") - kHintGap - 88;
  DrawColorText(sw0 + "PL:", 80, 50, 2);
  DrawColorText(sw1 + Fitted(Trim(Players->GetPlayerName(state.Player)), 1, roomF1), 88, 50, 0);
  DrawColorText(sw3 + "(F1)", 632, 50, 2);

  TPackInfo info;
  {
    TMad pack(state.LevelPack);
    auto stream = pack.OpenStream("info");
    if (stream) info = ReadPackInfo(*stream);
  }
  DrawColorText(sw0 + "LP:", 80, 90, 2);
  DrawColorText(sw1 + Fitted(info.Title, 1, roomF2), 88, 90, 0);
  DrawColorText(sw3 + "(F2)", 632, 90, 2);
  DrawColorText(sw0 + "AU:", 80, 130, 2);
  DrawColorText(sw1 + Fitted(info.Author, 1, 632 - 88), 88, 130, 0);

  std::vector<std::string> authors;
  auto box = TListBox::Create(kControls, "SelectMap", *MainArchive);
  int open = 0;
  int unfinished = 0;
  // The progress record has a slot for each of 256 maps.
  const size_t listed = std::min<size_t>(info.MapNumbers.size(), 256);
  for (size_t i = 0; i < listed; ++i) {
    const int m = info.MapNumbers[i];
    const uint8_t slot = static_cast<uint8_t>(i);
    authors.push_back(Trim(state.Maps->GetMapAuthor(m)));
    char color = kCompletedColor;
    switch (Players->GetMapState(state.Player, state.PackIndex, slot)) {
      case kMapLocked:
        color = kLockedColor;
        if (open < 3) {
          Players->SetMapState(state.Player, state.PackIndex, slot, kMapOpen);
          ++open;
          color = kOpenColor;
          if (selected == kNoMapYet) {
            box->SetItemIndex(static_cast<int>(i));
            selected = -2;
          }
        }
        ++unfinished;
        break;
      case kMapOpen:
        color = kOpenColor;
        if (selected == kNoMapYet) {
          box->SetItemIndex(static_cast<int>(i));
          selected = -2;
        }
        ++open;
        ++unfinished;
        break;
      default:
        break;
    }
    box->AddItem(std::string(1, color) + Trim(state.Maps->GetMapName(m)));
  }
  if (selected >= 0) box->SetItemIndex(selected);
  box->AddItem(std::string(1, unfinished == 0 ? kOpenColor : kLockedColor) + "Congratulations");

  int result = kUndecided;
  Flip();
  while (result == kUndecided) {
    FillBox(0, 440, 639, 469, 0, 0, 0);
    const size_t at = static_cast<size_t>(box->ItemIndex());
    DrawColorText(sw0 + "Author: " + sw1 + (at < authors.size() ? authors[at] : ""), 320, 440, 1);
    box->DrawColored();
    Delay(FrameWait());
    Flip();
    PumpEvents();
    box->HandleKeys();
    if (KeyState[kKeyReturn] || KeyState[kKeySpace]) {
      const std::string entry = box->GetItem(box->ItemIndex());
      if (entry.empty() || entry[0] != kLockedColor)
        result = box->ItemIndex() == box->Count() - 1 ? kEndOfPack : box->ItemIndex();
    }
    if (KeyState[kKeyF1]) result = kChangePlayer;
    if (KeyState[kKeyF2]) result = kChangePack;
    if (KeyState[kKeyEscape]) result = kQuit;
  }
  return result;
}

}  // namespace

void RunMenus() {
  Players = std::make_unique<TPlayers>();
  LoadRoster(*Players, kPlayersFile);
  MenuMusic(true);
  MenuState state;
  int nobody = -1;
  state.Player = SelectPlayer(nobody);
  if (state.Player < 0) {
    Players.reset();
    return;
  }
  state.LevelPack = SelectLevelPack();
  if (state.LevelPack.empty()) {
    Players.reset();
    return;
  }
  state.PackIndex = PackIndexOf(state);
  SavePlayers();

  state.Context.MainArchive = MainArchive.get();
  for (int i = 0; i < kColorFontCount; ++i) state.Context.ColorFonts[i] = ColorFonts[i].get();
  state.Context.Waves = WaveCollection.get();
  state.Context.Music = MusicCollection.get();
  state.Context.AntiFont = AntiFont.get();
  state.Context.MapCompleted = [&state](int map) {
    Players->SetMapState(state.Player, state.PackIndex, static_cast<uint8_t>(map), kMapCompleted);
    SavePlayers();
  };
  LoadPack(state, false);

  int map = kNoMapYet;
  do {
    map = SelectMap(state, map);
    if (map >= 0) {
      MenuMusic(false);
      // A completion is saved by the game before its scene; this save keeps
      // the maps the menu opened when the map was left unfinished.
      if (!PlayGame(state.Context, *state.Maps, map)) SavePlayers();
      MenuMusic(true);
    }
    if (map == kChangePlayer) {
      int current = state.Player;
      const int chosen = SelectPlayer(current);
      if (chosen >= 0) {
        state.Player = chosen;
        state.PackIndex = PackIndexOf(state);
        map = kNoMapYet;
      } else if (current >= 0) {
        state.Player = current;  // the same person, even if erasures moved them up
      } else {
        // The one playing was erased: there is no map menu to go back to,
        // and Escape ends the game as it does in the first player menu.
        map = kQuit;
      }
    }
    if (map == kChangePack) {
      LogTrace(1);
      const std::string previous = state.LevelPack;
      LogTrace(2);
      state.LevelPack = SelectLevelPack();
      LogTrace(3);
      if (state.LevelPack.empty()) {
        state.LevelPack = previous;
      } else {
        LogTrace(4);
        state.Images.reset();
        LogTrace(5);
        state.Maps.reset();
        LoadPack(state, true);
        LogTrace(11);
        state.PackIndex = PackIndexOf(state);
        LogTrace(12);
        map = kNoMapYet;
        LogTrace(13);
      }
    }
    if (map == kEndOfPack) {
      MenuMusic(false);
      PlayEndOfPack(state.Context);
      MenuMusic(true);
    }
  } while (map != kQuit);

  MenuMusic(false);
  SavePlayers();
  state.Images.reset();
  state.Maps.reset();
  Players.reset();
}

}  // namespace quarry
