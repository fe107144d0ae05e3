// A tiny cave built from 12 text rows, played through the real session.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/keys.h"
#include "core/random.h"
#include "game/cave.h"
#include "game/images.h"
#include "game/play_session.h"
#include "game/replay.h"
#include "maps/map_pack.h"

namespace quarry::test {

using Events = std::vector<std::string>;

inline std::unique_ptr<TXMap> MapFromRows(const std::vector<std::string>& rows, int width = 20,
                                          int height = 12) {
  auto map = std::make_unique<TXMap>();
  map->Width = static_cast<uint8_t>(width);
  map->Height = static_cast<uint8_t>(height);
  map->FileCells.assign(static_cast<size_t>(width * height), ' ');
  map->Loaded = true;
  for (size_t y = 0; y < size_t(height) && y < rows.size(); ++y) {
    std::copy_n(rows[y].begin(), std::min(rows[y].size(), size_t(width)), map->FileCells.begin() + long(y * width));
  }
  return map;
}

struct TickRecord {
  PlayerAction action;
  bool restarted;
};

// One map, the fallback images (32 x 32, exits as 4-frame strips), a sound recorder, and a session on map 0.
class CaveRun {
public:
  explicit CaveRun(const std::vector<std::string>& rows, uint32_t seed = 1)
      : images(TImageTable::Fallback()), cave(maps, images, sounds), session(cave, 0) {
    maps.Append(MapFromRows(rows));
    Randomize(seed);
  }

  // Plays the moves, recording each tick and every sound as "tick:name"
  // (setupSounds: those asked for while attempts were set up).
  TReplayResult Play(const std::string& moves) {
    ticks.clear(), events.clear(), setupSounds.clear(), sounds.Sounds.clear();
    auto heard = [&](auto add) {
      for (auto& sound : sounds.Sounds) add(sound);
      sounds.Sounds.clear();
    };
    return RunSolution(
        session, moves,
        [&](uint32_t tick, PlayerAction action, bool restarted) {
          ticks.push_back({action, restarted});
          heard([&](const std::string& sound) { events.push_back(std::to_string(tick) + ":" + sound); });
        },
        [&](uint32_t) { heard([&](const std::string& sound) { setupSounds.push_back(sound); }); });
  }

  std::string Grid() const { return DumpGrid(cave); }

  TMaps maps;
  TImageTable images;
  TSoundRecorder sounds;
  TCave cave;
  TPlaySession session;
  std::vector<TickRecord> ticks;
  Events events, setupSounds;
};

// A 20 x 12 map framed by hard walls; interior row i is map row i + 1 and its
// character j is column j + 1 (at most 10 rows of 18).
inline std::vector<std::string> Room(const std::vector<std::string>& interior) {
  std::vector<std::string> rows(12, "%" + std::string(18, ' ') + "%");
  rows[0] = rows[11] = std::string(20, '%');
  for (size_t y = 0; y < interior.size() && y < 10; ++y) {
    rows[y + 1].replace(1, std::min<size_t>(interior[y].size(), 18), interior[y].substr(0, 18));
  }
  return rows;
}

// An unframed 20 x 12 map, the player at (0,0) unless a row says otherwise.
inline std::vector<std::string> Open(std::initializer_list<std::pair<int, std::string>> rows) {
  std::vector<std::string> map(12, std::string(20, ' '));
  map[0][0] = '*';
  for (const auto& [y, row] : rows) map[y] = row + std::string(20 - row.size(), ' ');
  return map;
}

inline std::pair<int, int> PlayerAt(const TCave& cave) { return {cave.PlayerX, cave.PlayerY}; }

using CellCode = std::tuple<int, int, uint16_t>;  // x, y and a run-time code

// The dump of the rows with some cells replaced by run-time codes (all below 256).
inline std::string Expect(std::vector<std::string> rows, const std::vector<CellCode>& changes = {}) {
  for (auto [x, y, code] : changes) rows[y][x] = static_cast<char>(code);
  std::string text;
  for (const auto& row : rows) {
    for (uint8_t c : row) text += c >= 32 && c <= 126 ? std::string(1, char(c)) : "{" + std::to_string(c) + "}";
    text += '\n';
  }
  return text;
}

// One rule as a table row: the room (or a whole 12-row map), the moves, the cells that differ from it afterwards, and
// when pinned every sound as "tick:name", the first tick's action and where the player ends.
struct Rule {
  const char* name;
  std::vector<std::string> interior;
  std::string moves;
  std::vector<CellCode> changes = {};
  std::optional<Events> events = std::nullopt;
  std::optional<PlayerAction> first = std::nullopt;
  std::optional<std::pair<int, int>> player = std::nullopt;
};

inline void CheckRules(const std::vector<Rule>& rules) {
  for (const auto& rule : rules) {
    auto rows = rule.interior.size() == 12 ? rule.interior : Room(rule.interior);
    CaveRun run(rows);
    run.Play(rule.moves);
    EXPECT_EQ(run.Grid(), Expect(rows, rule.changes)) << rule.name;
    if (rule.events) {
      EXPECT_EQ(run.events, *rule.events) << rule.name;
    }
    if (rule.first) {
      EXPECT_EQ(run.ticks.at(0).action, *rule.first) << rule.name;
    }
    if (rule.player) {
      EXPECT_EQ(PlayerAt(run.cave), *rule.player) << rule.name;
    }
  }
}

}  // namespace quarry::test
