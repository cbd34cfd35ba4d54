// Draw info, hit tests, cell rectangles and end alignment, on a grid without
// a window (the snapshot then uses the control's bounds).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/platform/ui/harness.h"
#include "tests/grid/foundation/test_grid.h"

namespace {

using namespace grid;
using gridtest::TTestGrid;
using ui::TRect;

// 400 x 300; columns 64 + 1 line, rows 24 + 1 line; one fixed column and row.
class GridGeometry : public ::testing::Test {
 protected:
  uitest::Harness h;
  std::unique_ptr<TTestGrid> g = std::make_unique<TTestGrid>(nullptr);
  void SetUp() override {
    g->SetBounds(0, 0, 400, 300);
    g->SetColCount(10);
    g->SetRowCount(20);
  }
  TGridDrawMetricsEx Info() {
    TGridDrawMetricsEx i;
    g->FillDrawInfo(i);
    return i;
  }
};

TEST_F(GridGeometry, DrawInfoOfBothAxes) {
  const auto i = Info();
  EXPECT_EQ(i.ColAxis.FixedEnd, 65);
  EXPECT_EQ(i.ColAxis.DataAreaEnd, 400);
  EXPECT_EQ(i.ColAxis.LastWholeCell, 5);
  EXPECT_EQ(i.ColAxis.LastWholeCellEnd, 390);
  EXPECT_EQ(i.ColAxis.CellsEnd, 400);
  EXPECT_EQ(i.RowAxis.FixedEnd, 25);
  EXPECT_EQ(i.RowAxis.LastWholeCell, 11);
  EXPECT_EQ(g->VisibleColCount(), 5);
  EXPECT_EQ(g->VisibleRowCount(), 11);
}

TEST_F(GridGeometry, NoLinesMeansNoLineWidth) {
  g->SetGridLineWidth(3);
  g->SetOptions(g->Options() - goVertLine - goFixedVertLine);
  const auto i = Info();
  EXPECT_EQ(i.ColAxis.AxisLineWidth, 0);
  EXPECT_EQ(i.RowAxis.AxisLineWidth, 3);
}

struct HitCase {
  int x, y;
  TGridCoord cell;
};

// Left to right; a right-to-left grid answers the same at x mirrored
// (399 - x: the pixel that shows logical pixel x).
std::vector<HitCase> HitCases() {
  return {
      {0, 4, {0, 0}},       {63, 28, {0, 0}},    {64, 28, {0, 0}},  // the line belongs to the cell before it
      {65, 29, {1, 1}},     {129, 53, {1, 1}},   {130, 54, {2, 2}},
      {334, 29, {5, 1}},    // the contra boundary pixel is still a scrollable column
      {335, 29, {10, 1}},   // one beyond it is the contra column
      {399, 29, {10, 1}},   {10, 3, {-1, -1}},  // above the top margin
      {10, 500, {-1, -1}},                       // below every row: the column is dropped too
  };
}

struct RectCase {
  TGridCellRangeEx range;
  bool lines;
  TRect rect;
};

// Left to right; right to left the rectangle is mirrored in the client width.
std::vector<RectCase> RectCases() {
  return {
      {{1, 1, 1, 1}, false, {65, 25, 129, 49}},
      {{1, 1, 2, 2}, true, {65, 25, 195, 75}},
      {{0, 0, 0, 0}, false, {0, 0, 64, 24}},
      {{6, 1, 6, 1}, false, {390, 25, 400, 49}},   // partly visible column ends at DataAreaEnd
      {{6, 1, 9, 1}, false, {390, 25, 400, 49}},   // the range is cut after the partial column
      {{8, 1, 9, 1}, false, {}},                   // wholly beyond the view
      {{2, 1, 1, 1}, false, {}},                   // inverted
  };
}

TRect Mirrored(const TRect& r) { return r.IsEmpty() ? r : TRect{400 - r.Right, r.Top, 400 - r.Left, r.Bottom}; }

TEST_F(GridGeometry, HitTestTable) {
  g->SetContraColCount(1);
  g->SetFrozenColCount(1);
  g->OutBoundaryData()->SetTopIndent(4);
  // Contra column 10 takes 65 pixels and a separating line: ContraStart = 400 - 65 - 1.
  ASSERT_EQ(Info().ColAxis.ContraStart, 334);
  for (const auto& c : HitCases())
    EXPECT_EQ(g->MouseCoord(c.x, c.y), c.cell) << c.x << "," << c.y;
  g->OutBoundaryData()->SetLeftIndent(10);
  EXPECT_EQ(g->MouseCoord(5, 40), (TGridCoord{-1, -1}));
  EXPECT_EQ(g->MouseCoord(10, 40), (TGridCoord{0, 1}));
}

TEST_F(GridGeometry, MirroredHitTestTable) {
  g->SetBiDiMode(ui::bdRightToLeft);
  g->SetContraColCount(1);
  g->SetFrozenColCount(1);
  g->OutBoundaryData()->SetTopIndent(4);
  for (const auto& c : HitCases())
    EXPECT_EQ(g->MouseCoord(399 - c.x, c.y), c.cell) << c.x << "," << c.y;
  EXPECT_EQ(g->MouseCoord(400, 40), (TGridCoord{-1, -1})) << "beyond the leading edge";
  g->OutBoundaryData()->SetLeftIndent(10);
  EXPECT_EQ(g->MouseCoord(399 - 5, 40), (TGridCoord{-1, -1})) << "the margin is on the right";
  EXPECT_EQ(g->MouseCoord(399 - 10, 40), (TGridCoord{0, 1}));
  // Every pixel of a cell's rectangle answers that cell.
  const TRect r = g->CellBounds(2, 3);
  EXPECT_EQ(g->MouseCoord(r.Left, r.Top), (TGridCoord{2, 3}));
  EXPECT_EQ(g->MouseCoord(r.Right - 1, r.Bottom - 1), (TGridCoord{2, 3}));
  EXPECT_EQ(g->MouseCoord(r.Left - 1, r.Top), (TGridCoord{2, 3})) << "its line, left of it when mirrored";
  EXPECT_EQ(g->MouseCoord(r.Left - 2, r.Top), (TGridCoord{3, 3}));
}

TEST_F(GridGeometry, RangeRectangleTable) {
  for (const auto& c : RectCases())
    EXPECT_EQ(g->CalcCellRangeRect(c.range, c.lines), c.rect)
        << c.range.Left << "," << c.range.Top << "-" << c.range.Right << "," << c.range.Bottom;
  g->SetLeftCol(3);
  EXPECT_EQ(g->CellRangeRect(1, 1, 2, 1), TRect{}) << "scrolled-away columns have no rectangle";
  EXPECT_EQ(g->CellRangeRect(1, 1, 3, 1), (TRect{65, 25, 129, 49})) << "cut to the first shown column";
}

TEST_F(GridGeometry, MirroredRangeRectangleTable) {
  g->SetBiDiMode(ui::bdRightToLeft);
  for (const auto& c : RectCases())
    EXPECT_EQ(g->CalcCellRangeRect(c.range, c.lines), Mirrored(c.rect))
        << c.range.Left << "," << c.range.Top << "-" << c.range.Right << "," << c.range.Bottom;
  g->ScrollDataUnclamped(5, 0);
  EXPECT_EQ(g->CellBounds(1, 1), Mirrored({65, 25, 124, 49})) << "the scrolled-away part hides under the fixed area";
}

TEST_F(GridGeometry, SmoothOffsetHidesUnderTheFixedArea) {
  g->ScrollDataUnclamped(5, 0);
  EXPECT_EQ(g->DataOffset().cx, 5);
  EXPECT_EQ(g->LeftCol(), 1);
  EXPECT_EQ(g->CellBounds(1, 1), (TRect{65, 25, 124, 49}));
  EXPECT_EQ(g->CellBounds(2, 1), (TRect{125, 25, 189, 49}));
  EXPECT_EQ(g->MouseCoord(124, 30), (TGridCoord{1, 1}));  // its line
  EXPECT_EQ(g->MouseCoord(125, 30), (TGridCoord{2, 1}));
  g->ScrollDataUnclamped(70, 0);  // 75 pixels: past column 1 (65) and 10 into column 2
  EXPECT_EQ(g->LeftCol(), 2);
  EXPECT_EQ(g->DataOffset().cx, 10);
  g->ScrollDataUnclamped(-20, 0);
  EXPECT_EQ(g->LeftCol(), 1);
  EXPECT_EQ(g->DataOffset().cx, 55);
}

TEST_F(GridGeometry, EndAlignmentAndExactFit) {
  g->SetColCount(5);
  // Width 325: columns 1..4 fit with their lines.
  g->SetBounds(0, 0, 325, 300);
  EXPECT_EQ(g->EndAlignedTopLeft({4, 0}, Info()).X, 1);
  // One pixel less: the cells touch the edge exactly but their last line does
  // not fit, which counts as not fitting.
  g->SetBounds(0, 0, 324, 300);
  EXPECT_EQ(g->EndAlignedTopLeft({4, 0}, Info()).X, 2);
  EXPECT_EQ(g->CalcEndAlignOffsets({4, 0}, Info()).X, 1);
  // Rows: 11 whole rows fit below the title.
  EXPECT_EQ(g->EndAlignedTopLeft({0, 19}, Info()).Y, 9);
}

TEST_F(GridGeometry, MarginsGiveOutBoundaryRects) {
  auto* m = g->OutBoundaryData();
  m->SetLeftIndent(5);
  m->SetTopIndent(7);
  TRect r;
  ASSERT_TRUE(m->GetOutBoundaryRect(r, cbtTopEx));
  EXPECT_EQ(r, (TRect{0, 0, 400, 7}));
  ASSERT_TRUE(m->GetOutBoundaryRect(r, cbtLeftEx));
  EXPECT_EQ(r, (TRect{0, 7, 5, 300}));
  m->SetLeftTopDrawPriority(crpVerticalDataPriorityEx);
  ASSERT_TRUE(m->GetOutBoundaryRect(r, cbtTopEx));
  EXPECT_EQ(r, (TRect{5, 0, 400, 7}));
  EXPECT_FALSE(m->GetOutBoundaryRect(r, cbtRightEx));
  EXPECT_EQ(Info().ColAxis.FixedEnd, 70);
}

}  // namespace
