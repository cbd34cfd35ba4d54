// A base grid that records what it is asked to paint, for the grid tests.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "grid/foundation/custom_grid_ex.h"

namespace gridtest {

struct PaintedCell {
  int col, row;
  grid::TGridDrawState state;
  ui::TRect rect;
};

class TTestGrid : public grid::TCustomGridEx {
 public:
  using grid::TCustomGridEx::TCustomGridEx;
  std::vector<PaintedCell> painted;
  struct Batch {
    ui::TColor color;
    std::size_t lines;
  };
  std::vector<Batch> batches;
  void CanvasPolyPolyline(const std::vector<ui::TPoint>& Points) override {
    batches.push_back({Canvas()->Pen()->Color(), Points.size() / 2});
    grid::TCustomGridEx::CanvasPolyPolyline(Points);
  }
  int dimensionsChanged = 0;
  // What the editor shows and what it hands back.
  std::map<std::pair<int, int>, ui::String> texts;
  std::vector<std::pair<grid::TGridCoord, ui::String>> stored;
  int maxLength = 0;
  int designerNotes = 0;
  // Widen access for the tests.
  using grid::TCustomGridEx::CalcSizedExtent;
  using grid::TCustomGridEx::ChangeLineCount;
  using grid::TCustomGridEx::DetectSizingState;
  using grid::TCustomGridEx::MoveToCell;
  using grid::TCustomGridEx::RecalcScrollRanges;

 protected:
  void PaintCell(int Col, int Row, grid::TGridDrawState State, ui::TRect Rect) override {
    painted.push_back({Col, Row, State, Rect});
  }
  void DimensionsChanged(int, int) override { ++dimensionsChanged; }
  void EditorTextFor(int Col, int Row, ui::String& Text) override {
    auto it = texts.find({Col, Row});
    Text = it == texts.end() ? ui::String() : it->second;
  }
  int EditorMaxLength() override { return maxLength; }
  void StoreCellText(int Col, int Row, const ui::String& Text) override {
    texts[{Col, Row}] = Text;
    stored.push_back({{Col, Row}, Text});
  }
  void NotifyDesignerModified() override { ++designerNotes; }
};

}  // namespace gridtest
