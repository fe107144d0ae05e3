// The editor's model: undo history, the file's other lines, validation and
// the check of a recorded run.
#include <gtest/gtest.h>
#include <unistd.h>

#include "editor/background_job.h"
#include "editor/edit_model.h"
#include "editor/map_file.h"
#include "editor/recording_check.h"
#include "editor/validate.h"

namespace quarry {
namespace {

std::string Rows(const TMapFile& file) {
  std::string text;
  for (const auto& row : file.Rows) text += row + "\n";
  return text;
}

TEST(EditModel, UndoAndRedoWalkBackAndForthAcrossFillsStrokesAndNames) {
  TEditModel model(NewMapFile());
  const TMapFile start = model.File();
  model.SetCursor(2, 2);
  model.MoveCursor(3, 0, true);  // a selection of one row, four cells wide
  model.MoveCursor(0, 2, true);
  model.Place('.');
  const TMapFile filled = model.File();
  EXPECT_EQ(Rows(filled).substr(21 * 2, 21), "% ....             %\n");
  EXPECT_FALSE(model.HasSelection());
  model.BeginStroke();
  for (int x = 6; x < 10; ++x) model.Paint(x, 5, '#');
  model.SetName("Cellar");
  model.Place('.');  // already there: no step
  ASSERT_TRUE(model.Modified());

  ASSERT_TRUE(model.Undo());  // the name
  EXPECT_EQ(model.File().Name, "New Map");
  ASSERT_TRUE(model.Undo());  // the whole stroke at once
  EXPECT_EQ(model.File(), filled);
  ASSERT_TRUE(model.Undo());  // the fill
  EXPECT_EQ(model.File(), start);
  EXPECT_FALSE(model.Undo());
  EXPECT_FALSE(model.Modified());

  ASSERT_TRUE(model.Redo() && model.Redo() && model.Redo());
  EXPECT_EQ(model.File().Rows[5].substr(6, 4), "####");
  EXPECT_EQ(model.File().Name, "Cellar");
  EXPECT_FALSE(model.Redo());
  model.MarkSaved();
  model.Undo();
  EXPECT_TRUE(model.Modified());
  model.Paint(1, 10, '$');  // a new edit drops the redo branch and the saved state with it
  EXPECT_FALSE(model.CanRedo());
  model.Undo();
  EXPECT_TRUE(model.Modified());
}

const char* const kSource =
    "; a comment before everything\r\n"
    "name: Old\r\n"
    "author: Someone\r\n"
    "%%%%%%%%%%%%%%%%%%%%\r\n"
    "%*   $            !%\r\n"
    "\r\n"
    "%                  %\r\n"
    "%                  %\r\n"
    "%                  %\r\n"
    "%                  %\r\n"
    "%                  %\r\n"
    "%                  %\r\n"
    "%                  %\r\n"
    "%                  %\r\n"
    "%                  %\r\n"
    "%%%%%%%%%%%%%%%%%%%%\r\n"
    "solution: RRRR # to the diamond\r\n"
    "solution: RRRRRRRRRRRR.R\r\n"
    "hint: keep this\r\n";

TEST(MapFile, EditsChangeOnlyTheirLinesAndASolutionReplacesTheOldOnesInPlace) {
  std::vector<std::string> notes;
  TMapFile file = ParseMapFile(kSource, notes);
  EXPECT_TRUE(notes.empty());
  EXPECT_EQ(MapFileText(file), kSource);  // read and written back unchanged, CR LF kept
  EXPECT_EQ(file.Solution, "RRRR # to the diamond\nRRRRRRRRRRRR.R");

  file.Name = "New";
  file.Rows[1][2] = '@';
  SetMapSolution(file, std::string(61, 'R'));
  std::string expected = kSource;
  expected.replace(expected.find("Old"), 3, "New");
  expected.replace(expected.find("%*   $"), 3, "%*@");
  const size_t from = expected.find("solution:"), to = expected.find("hint:");
  expected.replace(from, to - from, "solution: " + std::string(60, 'R') + "\r\nsolution: R\r\n");
  EXPECT_EQ(MapFileText(file), expected);
}

TEST(MapFile, DamagedRowsAreRepairedWithANoteAndANewFileIsFramedAndPlayable) {
  std::vector<std::string> notes;
  TMapFile file = ParseMapFile("%%%\n" + std::string(25, '#') + "\n", notes);
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0], "line 1: row is 3 characters wide, padded to 20");
  EXPECT_EQ(notes[1], "line 2: row is 25 characters wide, cut to 20");
  EXPECT_EQ(notes[2], "line 2: only 2 map rows; the rest are empty");
  EXPECT_EQ(MapFileText(file).substr(0, 37), "name: \nauthor: \n%%%" + std::string(17, ' ') + "\n");
  EXPECT_EQ(file.Rows[11], std::string(20, ' '));

  for (const std::string& hostile : {std::string(), std::string("\r\r\r"), std::string("\0\xff:\n", 4),
                                   std::string(100000, '#'), std::string(3000, '\n') + "name:"}) {
    file = ParseMapFile(hostile, notes);
    for (const auto& row : file.Rows) EXPECT_EQ(row.size(), 20u);
  }

  TMapFile fresh = NewMapFile();
  EXPECT_TRUE(ValidateMap(fresh).empty());
  std::string text = MapFileText(fresh);
  EXPECT_EQ(ParseMapFile(text, notes).Rows, fresh.Rows);
}

TEST(Validate, EachBrokenRuleNamesItsCells) {
  TMapFile blank = NewMapFile();
  blank.Rows[4] = std::string(20, ' ');
  EXPECT_EQ(ValidateMap(blank).at(0).Message, "row 5 is empty and would be read as a blank line");

  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> edits;  // cells set to the character below
    char element;
    std::string message;
    std::vector<std::pair<int, int>> cells;
  };
  const Case cases[] = {
      {"gap", {{0, 4}, {7, 11}}, ' ', "the border must be '#' or '%' (2 gaps)", {{0, 4}, {7, 11}}},
      {"players", {{5, 5}}, '*', "2 player starts; a map has exactly one", {{1, 1}, {5, 5}}},
      {"no exit", {{18, 10}}, '.', "the map has no exit '!'", {}},
      {"walled-in diamond", {{4, 3}, {5, 2}, {6, 3}, {5, 4}}, '%', "", {}},
  };
  for (const auto& c : cases) {
    TMapFile file = NewMapFile();
    for (auto [x, y] : c.edits) file.Rows[y][x] = c.element;
    if (std::string(c.name) == "walled-in diamond") {
      file.Rows[3][5] = '$';
      auto problems = ValidateMap(file);
      ASSERT_EQ(problems.size(), 1u);
      EXPECT_EQ(problems[0].Message, "1 diamond the player can never reach");
      EXPECT_EQ(problems[0].Cells, (std::vector<std::pair<int, int>>{{5, 3}}));
      file.Rows[3][4] = '#';  // a bomb could blast a wall, never a hard wall
      file.Rows[8][8] = '&';
      EXPECT_TRUE(ValidateMap(file).empty());
      continue;
    }
    auto problems = ValidateMap(file);
    ASSERT_EQ(problems.size(), 1u) << c.name;
    EXPECT_EQ(problems[0].Message, c.message) << c.name;
    EXPECT_EQ(problems[0].Cells, c.cells) << c.name;
  }
}

// Player (2,2), diamond (3,2), exit (6,2): the exit's start frame moves its
// opening by a tick, so walking straight in works only under some frames.
TEST(RecordingCheck, ARunThatNeedsALuckyExitFrameIsRefused) {
  TMapFile file = NewMapFile();
  file.Rows[1][1] = ' ';
  file.Rows[10][18] = ' ';
  file.Rows[2].replace(2, 5, "*$  !");
  const TImageTable images = TImageTable::Fallback();
  TRecordingCheck check = CheckRecording(file, "RRRR.R", images);
  EXPECT_TRUE(check.Accepted) << check.Message;
  EXPECT_EQ(check.Frames, 4u);
  EXPECT_EQ(check.Message, "the recording completes under all 4 exit start frames (tick 6)");
  check = CheckRecording(file, "RRRRR", images);
  EXPECT_FALSE(check.Accepted);
  EXPECT_EQ(check.Message,
            "refused: the recording completes under only 2 of 4 exit start frames (not under 2, 3); "
            "wait longer before the exit");
  EXPECT_EQ(CheckRecording(file, "LL", images).Message, "the recording does not complete the map");
}

// The work runs in a child process: globals it changes stay the child's.
TEST(BackgroundJob, ProgressAndResultComeBackThroughThePipeAndTheParentIsUntouched) {
  int shared = 1;
  TBackgroundJob job;
  ASSERT_TRUE(job.Start([&](const TBackgroundJob::Progress& progress) {
    shared = 2;
    progress("half\nway");
    return TJobResult{"found", "RRD"};
  }));
  EXPECT_FALSE(job.Start([](const TBackgroundJob::Progress&) { return TJobResult{}; }));
  auto result = job.Poll(true);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->Message, "found");
  EXPECT_EQ(result->Moves, "RRD");
  EXPECT_EQ(job.ProgressText(), "half way");
  EXPECT_EQ(shared, 1);
  EXPECT_FALSE(job.Running());

  ASSERT_TRUE(job.Start([](const TBackgroundJob::Progress&) -> TJobResult { _exit(1); }));
  EXPECT_EQ(job.Poll(true)->Message, "the check ended without an answer");
}

}  // namespace
}  // namespace quarry
