// The menus: choose a player (or make or erase one), choose a level pack, then
// stay in the pack's map menu to play maps, change player (F1) or pack (F2),
// watch the closing scene once every map is completed, or quit (Escape).
// Progress goes to "players.dat" after every change.
#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/frame.h"
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
#include "players/players.h"
#include "widgets/edit_box.h"
#include "widgets/list_box.h"

namespace quarry {
namespace {

constexpr const char* kPlayersFile = "players.dat";
constexpr const char* kControls = "controls.ini";
constexpr const char* kNewPlayerEntry = "-- New player --";

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

void DeletePlayerDialog(const std::string& name) {
  Blank();
  Title("Really erase player?", 4, 180);
  auto box = TListBox::Create(kControls, "DeletePlayer", *MainArchive);
  ClearKeys();
  box->RunModal();
  const uint16_t key = box->LastKey();
  if ((key == kKeyReturn || key == kKeySpace) && box->ItemIndex() == 1) {
    Players->DeletePlayer(name);
    SavePlayers();
  }
}

void NewPlayerDialog() {
  Blank();
  Title("Enter new player name", 2, 200);
  auto box = TEditBox::Create(kControls, "NewPlayer", *MainArchive);
  ClearKeys();
  box->Run();
  if (!box->Text().empty()) {
    Players->AddPlayer(box->Text());
    SavePlayers();
  }
}

int SelectPlayer() {
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
        if (onPlayer) DeletePlayerDialog(box->GetItem(chosen));
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

std::string SelectLevelPack() {
  ClearKeys();
  Blank();
  Title("Select level pack", 1, 30);
  auto box = TListBox::Create(kControls, "SelectLevelPack", *MainArchive);
  for (const std::string& pack : FindLevelPacks()) box->AddItem(pack);
  box->RunModal();
  if (box->LastKey() == kKeyEscape || box->Count() == 0) return {};
  return box->GetItem(box->ItemIndex());
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
  DrawColorText(sw0 + "PL:", 80, 50, 2);
  DrawColorText(sw1 + Trim(Players->GetPlayerName(state.Player)), 88, 50, 0);
  DrawColorText(sw3 + "(F1)", 632, 50, 2);

  TPackInfo info;
  {
    TMad pack(state.LevelPack);
    auto stream = pack.OpenStream("info");
    if (stream) info = ReadPackInfo(*stream);
  }
  DrawColorText(sw0 + "LP:", 80, 90, 2);
  DrawColorText(sw1 + info.Title, 88, 90, 0);
  DrawColorText(sw3 + "(F2)", 632, 90, 2);
  DrawColorText(sw0 + "AU:", 80, 130, 2);
  DrawColorText(sw1 + info.Author, 88, 130, 0);

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
  state.Player = SelectPlayer();
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
  LoadPack(state, false);

  int map = kNoMapYet;
  do {
    map = SelectMap(state, map);
    if (map >= 0) {
      MenuMusic(false);
      if (PlayGame(state.Context, *state.Maps, map))
        Players->SetMapState(state.Player, state.PackIndex, static_cast<uint8_t>(map), kMapCompleted);
      SavePlayers();
      MenuMusic(true);
    }
    if (map == kChangePlayer) {
      const int previous = state.Player;
      state.Player = SelectPlayer();
      if (state.Player < 0) {
        state.Player = previous;
      } else {
        state.PackIndex = PackIndexOf(state);
        map = kNoMapYet;
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
