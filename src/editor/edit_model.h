// The editing state of one map: the file being edited, the cursor, a
// rectangle selection, and an unlimited undo history of whole states (a map
// is a few hundred bytes, so a copy per edit keeps undo simple and exact).
#pragma once

#include <string>
#include <vector>

#include "editor/map_file.h"

namespace quarry {

// The element characters in the palette's order; space erases.
constexpr char kPaletteElements[] = " *$@&0.#%!><=";
constexpr int kPaletteSize = sizeof kPaletteElements - 1;

class TEditModel {
public:
  explicit TEditModel(TMapFile file);

  const TMapFile& File() const { return states_[current_]; }
  char Cell(int x, int y) const { return File().Cell(x, y); }

  int CursorX = 1, CursorY = 1;
  // Moves the cursor by one cell, staying inside the grid; extend grows the
  // selection from where the cursor was (Shift+arrows), otherwise the
  // selection is dropped.
  void MoveCursor(int dx, int dy, bool extend);
  void SetCursor(int x, int y);
  bool HasSelection() const { return selecting_; }
  // The selection's corners, inclusive (the cursor cell without one).
  void Selection(int& x1, int& y1, int& x2, int& y2) const;

  // Places the element at the cursor, or fills the selection with it and
  // drops the selection: one undo step either way.
  void Place(char element);
  void Fill(int x1, int y1, int x2, int y2, char element);
  // A mouse stroke: every cell painted between BeginStroke and the next edit
  // is one undo step.
  void BeginStroke();
  void Paint(int x, int y, char element);
  void EndStroke() { stroke_ = false; }
  void SetName(const std::string& name);
  void SetAuthor(const std::string& author);
  void SetSolution(const std::string& moves);

  bool CanUndo() const { return current_ > 0; }
  bool CanRedo() const { return current_ + 1 < states_.size(); }
  bool Undo();
  bool Redo();

  // Unsaved changes: the state differs from the one last saved or loaded
  // (undoing back to the saved state clears the mark).
  bool Modified() const { return current_ != saved_; }
  void MarkSaved() { saved_ = current_; }
  int Diamonds() const;

private:
  // A new state after the current one; redo steps beyond it are dropped.
  TMapFile& Push();

  std::vector<TMapFile> states_;
  size_t current_ = 0;
  size_t saved_ = 0;
  bool selecting_ = false;
  int anchorX_ = 0, anchorY_ = 0;
  bool stroke_ = false;
  bool strokePushed_ = false;
};

}  // namespace quarry
