// quarry-edit end to end: scripted keys and mouse under the dummy driver,
// checked through the files it writes and the status lines it prints.
#include <sys/stat.h>
#include <unistd.h>

#include "game/solution.h"
#include "run_program.h"

namespace quarry::e2e {
namespace {

RunResult Edit(const TempDir& dir, const std::string& script, const std::string& map) {
  WriteFileBytes(dir.Path() / "s.txt", script);
  return RunProgram(QUARRY_EDIT, dir.Path(),
                    {"--data", QUARRY_RUN_DIR, "--virtual-clock", "--seed", "7", "--script", "s.txt", map});
}

std::string Framed(const std::vector<std::string>& inner) {
  std::string text = std::string(20, '%') + "\n";
  for (size_t y = 0; y < 10; ++y) text += "%" + (y < inner.size() ? inner[y] : "") + std::string(18 - (y < inner.size() ? inner[y].size() : 0), ' ') + "%\n";
  return text + std::string(20, '%') + "\n";
}

TEST(EditorE2e, KeysClicksAndADragDrawAMapThatUndoRedoAndSaveWriteExactly) {
  TempDir dir;
  const std::string script =
      "5 press right\n+2 press down\n+2 type $\n+2 press space\n"  // a diamond at (2,2)
      "+2 down lshift\n+1 press right\n+2 press down\n+2 up lshift\n+1 type .\n"  // sand over (2,2)-(3,3)
      "+2 click 200 100\n"                         // sand at (6,3)
      "+2 click 126 400\n"                         // the palette's boulder
      "+2 drag 64 200 256 200\n"                   // boulders from (2,6) to (8,6)
      "+4 click 200 100 right\n"                   // (6,3) erased
      "+2 down lctrl\n+1 press z\n+2 press z\n+2 press y\n+2 up lctrl\n"  // the erase and the drag undone, the drag redone
      "+2 type N\n+2 type Ledge\n+2 press return\n"
      "+10 down lctrl\n+1 press s\n+2 up lctrl\n+2 press escape\n";
  RunResult r = Edit(dir, script, "new.map");
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  std::string expected = "name: Ledge\nauthor: Unknown\n" +
                         Framed({"*", " ..", " ..  .", "", "", " @@@@@@@", "", "", "", std::string(17, ' ') + "!"});
  EXPECT_EQ(ReadFileBytes(dir.Path() / "new.map"), expected);
  EXPECT_NE(r.out.find("saved new.map\n"), std::string::npos) << r.out;
}

// The exit opens a few ticks after the last diamond; the recording waits for it.
TEST(EditorE2e, ATestPlayIsStoredAsTheSolutionAndTheReplayCompletesIt) {
  TempDir dir;
  WriteFileBytes(dir.Path() / "walk.map", "; kept\nname: Walk\nauthor: Me\n" + Framed({"*$   !"}));
  const std::string moves = "RRRR....R";
  const uint32_t firstPump = 11;
  std::string script = "10 press f5\n" + SolutionToScript(moves, firstPump);
  const uint32_t after = firstPump + 7 * static_cast<uint32_t>(moves.size()) + 40;
  script += std::to_string(after) + " type y\n+2 down lctrl\n+1 press s\n+2 up lctrl\n+2 press escape\n";
  RunResult r = Edit(dir, script, "walk.map");
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("completed in 9 ticks"), std::string::npos) << r.out;
  const std::string saved = ReadFileBytes(dir.Path() / "walk.map");
  EXPECT_EQ(saved, "; kept\nname: Walk\nauthor: Me\n" + Framed({"*$   !"}) + "solution: " + moves + "\n");
  RunResult replay = RunProgram(QUARRY_REPLAY, dir.Path(), {"--data", QUARRY_RUN_DIR, "walk.map"});
  EXPECT_EQ(replay.exitCode, 0) << replay.out << replay.err;
  EXPECT_EQ(replay.out, "completed at tick 9\n");
}

// Under a script the answer is taken at the frame that asked, so the pumps
// after F6 do not depend on the machine's speed.
TEST(EditorE2e, TheSolverFindsTheShortestSolutionToStoreOrSaysTheMapIsSealed) {
  TempDir dir;
  const std::string rows = Framed({"*$   !"});
  WriteFileBytes(dir.Path() / "walk.map", "name: Walk\nauthor: Me\n" + rows);
  const std::string script = "5 press f6\n+2 type y\n+2 down lctrl\n+1 press s\n+2 up lctrl\n+2 press escape\n";
  RunResult r = Edit(dir, script, "walk.map");
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("shortest solution: 6 ticks: Y stores it"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFileBytes(dir.Path() / "walk.map"), "name: Walk\nauthor: Me\n" + rows + "solution: R.RRRR\n");
  RunResult replay = RunProgram(QUARRY_REPLAY, dir.Path(), {"--data", QUARRY_RUN_DIR, "walk.map"});
  EXPECT_EQ(replay.out, "completed at tick 6\n");

  WriteFileBytes(dir.Path() / "sealed.map", "name: Sealed\nauthor: Me\n" + Framed({"*%$  !", "%"}));
  r = Edit(dir, "5 press f6\n+2 press escape\n", "sealed.map");
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("\ncannot be completed within 1000 ticks\n"), std::string::npos) << r.out;
}

TEST(EditorE2e, ValidationNamesTheBorderGapTheSecondPlayerAndTheMissingExit) {
  TempDir dir;
  std::string map = Framed({"* *"});
  map[21 * 4] = ' ';                // the left border of row 4
  map.erase(21 * 6 + 19, 1);        // row 6 one short: padded on reading
  WriteFileBytes(dir.Path() / "bad.map", "name: Bad\nauthor: Me\n" + map);
  RunResult r = Edit(dir, "5 press f7\n+2 press f7\n+2 press f7\n+2 press f7\n+2 press escape\n", "bad.map");
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.out,
            "bad.map:9: row is 19 characters wide, padded to 20\n"
            "1/4: line 9: row is 19 characters wide, padded to 20 (until saved)\n"
            "2/4: the border must be '#' or '%' (2 gaps)\n"  // the padded row's last cell too
            "3/4: 2 player starts; a map has exactly one\n"
            "4/4: the map has no exit '!'\n");
}

// A folder that cannot be written: read-only, or (for root, whom permissions
// do not stop) a path below a regular file.
TEST(EditorE2e, ASaveThatFailsSaysSoAndKeepsTheChanges) {
  TempDir dir;
  std::string map = "locked/m.map";
  std::filesystem::create_directory(dir.Path() / "locked");
  if (geteuid() == 0) {
    WriteFileBytes(dir.Path() / "plain", "");
    map = "plain/m.map";
  } else {
    WriteFileBytes(dir.Path() / map, "name: M\nauthor: Me\n" + Framed({"*   !"}));
    chmod((dir.Path() / "locked").c_str(), 0555);
  }
  const std::string before = geteuid() == 0 ? "" : ReadFileBytes(dir.Path() / map);
  const std::string script =
      "5 type $\n+2 press space\n+2 down lctrl\n+1 press s\n+2 up lctrl\n"
      "+2 press escape\n+2 type n\n"    // asked, and stays
      "+2 press escape\n+2 type y\n";  // asked again, and leaves
  RunResult r = Edit(dir, script, map);
  chmod((dir.Path() / "locked").c_str(), 0755);
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("not saved: "), std::string::npos) << r.out;
  const std::string ask = "unsaved changes: Y leaves without saving, any other key stays\n";
  EXPECT_NE(r.out.find(ask + "still editing\n" + ask), std::string::npos) << r.out;
  if (geteuid() != 0) {
    EXPECT_EQ(ReadFileBytes(dir.Path() / map), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "locked"), {}), 1);
  }
}

}  // namespace
}  // namespace quarry::e2e
