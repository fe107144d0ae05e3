#include "editor/recording_check.h"

#include <algorithm>

#include "core/keys.h"
#include "game/cave.h"
#include "game/replay.h"

namespace quarry {

std::unique_ptr<TXMap> MapOfFile(const TMapFile& file) {
  auto map = std::make_unique<TXMap>();
  map->Status = "OK";
  map->MapName = file.Name;
  map->Author = file.Author;
  map->PadTo(kEditColumns, kEditRows, ' ');
  for (int y = 0; y < kEditRows; ++y)
    for (int x = 0; x < kEditColumns; ++x) map->FileCells[map->CellIndex(x, y)] = static_cast<uint8_t>(file.Cell(x, y));
  return map;
}

namespace {

// Sets every exit to the start frame; returns the most frames an exit has.
uint32_t SetExitFrames(TCave& cave, uint32_t frame) {
  uint32_t most = 1;
  for (int x = 0; x < kCaveColumns; ++x) {
    for (int y = 0; y < kCaveRows; ++y) {
      TSprite* sprite = cave.Sprite(x, y);
      if (cave.GetCell(x, y) != kExit || !sprite || sprite->FrameCount == 0) continue;
      most = std::max<uint32_t>(most, sprite->FrameCount);
      sprite->Frame = static_cast<uint16_t>(std::min<uint32_t>(frame, sprite->FrameCount - 1u));
    }
  }
  return most;
}

}  // namespace

TRecordingCheck CheckRecording(const TMapFile& file, const std::string& moves, const TImageTable& images) {
  TRecordingCheck check;
  std::string failed;
  for (uint32_t frame = 0; frame == 0 || frame < check.Frames; ++frame) {
    TMaps maps;
    maps.Append(MapOfFile(file));
    TSoundRecorder sounds;
    TCave cave(maps, images, sounds);
    TPlaySession session(cave, 0);
    TReplayResult result = RunSolution(session, moves, nullptr, [&](uint32_t) {
      check.Frames = std::max(check.Frames, SetExitFrames(cave, frame));
    });
    if (result.Completed && result.Attempts == 1) {
      ++check.Passed;
      check.Ticks = std::max(check.Ticks, result.Ticks);
    } else {
      failed += (failed.empty() ? "" : ", ") + std::to_string(frame);
    }
  }
  ClearKeys();
  check.Accepted = check.Passed == check.Frames;
  const std::string of = std::to_string(check.Frames) + " exit start frame" + (check.Frames == 1 ? "" : "s");
  if (check.Accepted)
    check.Message = "the recording completes under all " + of + " (tick " + std::to_string(check.Ticks) + ")";
  else if (check.Passed == 0)
    check.Message = "the recording does not complete the map";
  else
    check.Message = "refused: the recording completes under only " + std::to_string(check.Passed) + " of " + of +
                    " (not under " + failed + "); wait longer before the exit";
  return check;
}

}  // namespace quarry
