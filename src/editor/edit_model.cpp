#include "editor/edit_model.h"

#include <algorithm>

namespace quarry {

TEditModel::TEditModel(TMapFile file) { states_.push_back(std::move(file)); }

void TEditModel::MoveCursor(int dx, int dy, bool extend) {
  if (extend && !selecting_) {
    selecting_ = true;
    anchorX_ = CursorX, anchorY_ = CursorY;
  } else if (!extend) {
    selecting_ = false;
  }
  CursorX = std::clamp(CursorX + dx, 0, kEditColumns - 1);
  CursorY = std::clamp(CursorY + dy, 0, kEditRows - 1);
}

void TEditModel::SetCursor(int x, int y) {
  selecting_ = false;
  CursorX = std::clamp(x, 0, kEditColumns - 1);
  CursorY = std::clamp(y, 0, kEditRows - 1);
}

void TEditModel::Selection(int& x1, int& y1, int& x2, int& y2) const {
  const int ax = selecting_ ? anchorX_ : CursorX, ay = selecting_ ? anchorY_ : CursorY;
  x1 = std::min(ax, CursorX), x2 = std::max(ax, CursorX);
  y1 = std::min(ay, CursorY), y2 = std::max(ay, CursorY);
}

TMapFile& TEditModel::Push() {
  stroke_ = false;
  states_.resize(current_ + 1);
  // The saved state can no longer be reached by redo once it is cut off.
  if (saved_ > current_) saved_ = static_cast<size_t>(-1);
  states_.push_back(states_[current_]);
  ++current_;
  return states_[current_];
}

void TEditModel::Place(char element) {
  int x1, y1, x2, y2;
  Selection(x1, y1, x2, y2);
  Fill(x1, y1, x2, y2, element);
  selecting_ = false;
}

void TEditModel::Fill(int x1, int y1, int x2, int y2, char element) {
  x1 = std::max(x1, 0), y1 = std::max(y1, 0);
  x2 = std::min(x2, kEditColumns - 1), y2 = std::min(y2, kEditRows - 1);
  bool changes = false;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) changes = changes || Cell(x, y) != element;
  // Placing what is already there is no edit (and no undo step).
  if (!changes) return;
  TMapFile& file = Push();
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) file.Rows[y][x] = element;
}

void TEditModel::BeginStroke() {
  stroke_ = true;
  strokePushed_ = false;
}

void TEditModel::Paint(int x, int y, char element) {
  if (x < 0 || y < 0 || x >= kEditColumns || y >= kEditRows || Cell(x, y) == element) return;
  if (!stroke_) {
    Fill(x, y, x, y, element);
    return;
  }
  if (!strokePushed_) {
    Push();
    stroke_ = strokePushed_ = true;
  }
  states_[current_].Rows[y][x] = element;
}

void TEditModel::SetName(const std::string& name) {
  if (name != File().Name) Push().Name = name;
}

void TEditModel::SetAuthor(const std::string& author) {
  if (author != File().Author) Push().Author = author;
}

void TEditModel::SetSolution(const std::string& moves) { SetMapSolution(Push(), moves); }

bool TEditModel::Undo() {
  if (!CanUndo()) return false;
  stroke_ = false;
  --current_;
  return true;
}

bool TEditModel::Redo() {
  if (!CanRedo()) return false;
  stroke_ = false;
  ++current_;
  return true;
}

int TEditModel::Diamonds() const {
  int count = 0;
  for (const auto& row : File().Rows) count += static_cast<int>(std::count(row.begin(), row.end(), '$'));
  return count;
}

}  // namespace quarry
