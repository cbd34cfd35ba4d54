// A base grid that records what it is asked to paint, for the grid tests.
#pragma once

#include <vector>

#include "custom_grid_ex.h"

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
  // Widen access for the tests.
  using grid::TCustomGridEx::ChangeLineCount;
  using grid::TCustomGridEx::MoveToCell;
  using grid::TCustomGridEx::RecalcScrollRanges;

 protected:
  void PaintCell(int Col, int Row, grid::TGridDrawState State, ui::TRect Rect) override {
    painted.push_back({Col, Row, State, Rect});
  }
  void DimensionsChanged(int, int) override { ++dimensionsChanged; }
};

}  // namespace gridtest
