// Scroll codes in both modes, the wheel, the key table through the window
// layer, drag selection on the test clock and cell clicks.
#include <gtest/gtest.h>

#include <QScrollBar>

#include "platform/runtime/convert.h"
#include "tests/platform/ui/harness.h"
#include "tests/grid/foundation/test_grid.h"

namespace {

using namespace grid;
using namespace ui;
using gridtest::TTestGrid;

class GridInput : public ::testing::Test {
 protected:
  uitest::Harness h;
  TForm* form = h.MakeForm<TForm>();
  TTestGrid* g = nullptr;
  GridInput() {
    form->SetBounds(0, 0, 460, 360);
    g = new TTestGrid(form);
    g->SetParent(form);
    g->SetBounds(0, 0, 400, 300);
    g->SetColCount(10);
    g->SetRowCount(100);
    h.Show(form);
    g->SetFocus();
    h.ProcessEvents();
  }
  void Scroll(int Bar, int Code, int Pos = 0) {
    g->Perform(Bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, static_cast<WPARAM>(Code | (Pos << 16)), 0);
  }
  TGridCoord MaxTopLeft() {
    TGridDrawMetricsEx i;
    g->FillDrawInfo(i);
    return g->EndAlignedTopLeft({9, 99}, i);
  }
  // A scroll code sent with the first shown line at `before` leaves it at `after`.
  struct ScrollCase {
    int code, pos, before, after;
  };
  void RunScrollCases(int Bar, const std::vector<ScrollCase>& Cases) {
    const bool horz = Bar == SB_HORZ;
    for (const auto& c : Cases) {
      horz ? g->SetLeftCol(c.before) : g->SetTopRow(c.before);
      Scroll(Bar, c.code, c.pos);
      EXPECT_EQ(horz ? g->LeftCol() : g->TopRow(), c.after) << "code " << c.code << " from " << c.before;
    }
  }
  // A key pressed on cell `from` makes `to` the current cell.
  struct KeyCase {
    std::uint16_t key;
    TShiftState shift;
    TGridCoord from, to;
  };
  void RunKeyCases(const std::vector<KeyCase>& Cases) {
    for (const auto& c : Cases) {
      g->MoveToCell(c.from.X, c.from.Y, true, true, true);
      h.Key(g, c.key, c.shift);
      EXPECT_EQ(g->Current(), c.to) << g->TopRow() << " key " << c.key << " from " << c.from.X << "," << c.from.Y;
    }
  }
};

// A grid that scrolls vertically by pixels.
class TSmoothTestGrid : public TTestGrid {
 public:
  using TTestGrid::TTestGrid;

 protected:
  bool VertScrollIsSmooth() override { return true; }
};

// The scroll position is the pixels of the rows above the top row; it must
// follow every way the row heights change (kept as running sums).
TEST(GridSmoothPosition, FollowsEveryChangeOfTheRowHeights) {
  uitest::Harness h;
  TForm* form = h.MakeForm<TForm>();
  auto* g = new TSmoothTestGrid(form);
  g->SetParent(form);
  g->SetBounds(0, 0, 400, 300);
  g->SetRowCount(200);
  h.Show(form);
  auto expected = [&](int top) {
    int s = 0;
    for (int i = g->FixedRows(); i < top; ++i) s += g->RowHeights(i) + g->GridLineWidth();
    return s;
  };
  auto check = [&](const char* step) {
    for (int top : {1, 2, 50, 120, 170}) {
      g->SetTopRow(1);
      g->SetTopRow(top);
      EXPECT_EQ(g->SmoothPos().Y, expected(top)) << step << ", top row " << top;
    }
  };
  g->SetRowHeights(3, 40);
  check("one height set");
  g->SetRowHeights(100, 10);
  g->SetRowHeights(3, 30);
  check("two heights, one changed again");
  g->ShiftRow(3, 150);
  check("row moved");
  g->SetRowCount(180);
  g->SetRowHeights(60, 50);
  check("count shrunk");
  g->SetContraRowCount(1);
  g->SetRowCount(190);
  check("contra row, count grown");
  g->SetDefaultRowHeight(20);
  check("default height, overrides dropped");
  g->SetRowHeights(10, 33);
  check("a height after the default changed");
}

TEST_F(GridInput, CellStepScrollCodes) {
  const int maxRow = MaxTopLeft().Y;
  ASSERT_GT(maxRow, 80);
  TGridDrawMetricsEx i;
  g->FillDrawInfo(i);
  const int page = i.RowAxis.LastWholeCell - g->TopRow();
  RunScrollCases(SB_VERT, {
      {SB_LINEDOWN, 0, 1, 2},
      {SB_LINEUP, 0, 2, 1},
      {SB_LINEUP, 0, 1, 1},  // clamped at the first scrollable row
      {SB_PAGEDOWN, 0, 1, 1 + page},
      {SB_BOTTOM, 0, 1, maxRow},
      {SB_LINEDOWN, 0, maxRow, maxRow},  // clamped at the end
      {SB_TOP, 0, maxRow, 1},
      {SB_THUMBTRACK, 127, 1, 1},  // only with thumb tracking
  });
  g->SetOptions(g->Options() + goThumbTracking);
  g->SetTopRow(1);
  Scroll(SB_HORZ, SB_THUMBTRACK, 127);
  EXPECT_EQ(g->LeftCol(), MaxTopLeft().X);
  Scroll(SB_HORZ, SB_THUMBPOSITION, 0);
  EXPECT_EQ(g->LeftCol(), 1);
  // The bar follows the first shown row on the 0..127 scale.
  g->SetTopRow(maxRow);
  EXPECT_EQ(g->GetScrollPos(SB_VERT), 127) << maxRow << " " << MaxTopLeft().Y << " " << g->TopRow();
}

TEST_F(GridInput, SmoothScrollCodesClampAtBothEnds) {
  g->SetOptions(g->Options() + goRowSelect);  // horizontal scrolling by pixels
  TGridDrawMetricsEx i;
  g->FillDrawInfo(i);
  Scroll(SB_HORZ, SB_LINEDOWN);
  EXPECT_EQ(g->SmoothPos().X, std::max(1, g->DataPageSize().cx / 20));
  Scroll(SB_HORZ, SB_BOTTOM);
  g->FillDrawInfo(i);
  EXPECT_EQ(g->CalcCellRangeRect({9, 1, 9, 1}, true).Right, i.ColAxis.DataAreaEnd)
      << "the last column ends exactly at the data area's end";
  Scroll(SB_HORZ, SB_PAGEDOWN);
  EXPECT_EQ(g->CalcCellRangeRect({9, 1, 9, 1}, true).Right, i.ColAxis.DataAreaEnd);
  Scroll(SB_HORZ, SB_PAGEUP);
  Scroll(SB_HORZ, SB_PAGEUP);
  Scroll(SB_HORZ, SB_PAGEUP);
  EXPECT_EQ(g->LeftCol(), 1);
  EXPECT_EQ(g->DataOffset().cx, 0);
  Scroll(SB_HORZ, SB_BOTTOM);
  Scroll(SB_HORZ, SB_TOP);
  EXPECT_EQ(g->SmoothPos().X, 0);
  EXPECT_EQ(g->LeftCol(), 1);
}

// Right to left the columns start at the right, so the bar (which runs left
// to right) starts at its right end and its left arrow shows later columns.
TEST_F(GridInput, MirroredCellStepBar) {
  g->SetBiDiMode(bdRightToLeft);
  h.ProcessEvents();
  const int maxCol = MaxTopLeft().X;
  ASSERT_GT(maxCol, 3);
  EXPECT_EQ(g->GetScrollPos(SB_HORZ), 127) << "the first columns at the bar's right end";
  TGridDrawMetricsEx i;
  g->FillDrawInfo(i);
  const int page = i.ColAxis.LastWholeCell - g->LeftCol();
  RunScrollCases(SB_HORZ, {
      {SB_LINEUP, 0, 1, 2},
      {SB_LINEDOWN, 0, 2, 1},
      {SB_LINEDOWN, 0, 1, 1},  // clamped at the first scrollable column
      {SB_PAGEUP, 0, 1, std::min(maxCol, 1 + page)},
      {SB_LINEUP, 0, maxCol, maxCol},
      {SB_THUMBPOSITION, 0, 1, maxCol},  // thumb at the left end: the last columns
      {SB_THUMBPOSITION, 127, maxCol, 1},
      {SB_BOTTOM, 0, 1, maxCol},
      {SB_TOP, 0, maxCol, 1},
  });
  g->SetLeftCol(maxCol);
  EXPECT_EQ(g->GetScrollPos(SB_HORZ), 0);
  // Through the bar itself: its left arrow, then a thumb dropped at the right end.
  g->SetLeftCol(1);
  QScrollBar* bar = nullptr;
  for (QScrollBar* b : g->Widget()->findChildren<QScrollBar*>())
    if (b->orientation() == Qt::Horizontal) bar = b;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->value(), bar->maximum());
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(g->LeftCol(), 2);
  EXPECT_EQ(bar->value(), 127 - rtl::MulDiv(1, 127, maxCol - 1));
  bar->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(g->LeftCol(), 1);
  EXPECT_EQ(bar->value(), 127);
}

TEST_F(GridInput, MirroredSmoothBar) {
  g->SetBiDiMode(bdRightToLeft);
  g->SetOptions(g->Options() + goRowSelect);  // horizontal scrolling by pixels
  h.ProcessEvents();
  const int end = g->GridDataSize().cx - g->DataPageSize().cx;
  ASSERT_GT(end, 0);
  const int step = std::max(1, g->DataPageSize().cx / 20);
  auto lastColumnAtTheDataEnd = [&] {
    TGridDrawMetricsEx i;
    g->FillDrawInfo(i);
    return g->CalcCellRangeRect({9, 1, 9, 1}, true).Left == i.ColAxis.ClientLength - i.ColAxis.DataAreaEnd;
  };
  struct Case {
    int code, pos;
    int smooth;  // pixels scrolled past afterwards
  };
  const std::vector<Case> cases = {
      {SB_LINEUP, 0, step},    // the left arrow goes on toward the last columns
      {SB_LINEDOWN, 0, 0},
      {SB_LINEDOWN, 0, 0},     // clamped at the start
      {SB_THUMBPOSITION, 0, end},  // thumb at the left end: scrolled to the end
      {SB_LINEUP, 0, end},
      {SB_THUMBPOSITION, end - 30, 30},
      {SB_THUMBPOSITION, end, 0},
  };
  for (const auto& c : cases) {
    Scroll(SB_HORZ, c.code, c.pos);
    EXPECT_EQ(g->SmoothPos().X, c.smooth) << "code " << c.code << " at " << c.pos;
    EXPECT_EQ(g->GetScrollPos(SB_HORZ), end - c.smooth) << "the bar mirrors the position";
  }
  Scroll(SB_HORZ, SB_THUMBPOSITION, 0);
  EXPECT_TRUE(lastColumnAtTheDataEnd());
}

TEST_F(GridInput, EverythingFitsGivesZeroPositions) {
  g->SetColCount(3);
  g->SetRowCount(3);
  h.ProcessEvents();
  EXPECT_EQ(g->GetScrollPos(SB_HORZ), 0);
  EXPECT_EQ(g->GetScrollPos(SB_VERT), 0);
  Scroll(SB_HORZ, SB_LINEDOWN);
  Scroll(SB_VERT, SB_BOTTOM);
  EXPECT_EQ(g->LeftCol(), 1);
  EXPECT_EQ(g->TopRow(), 1);
  EXPECT_EQ(g->GetScrollPos(SB_VERT), 0);
}

TEST_F(GridInput, WheelMovesTheCurrentRow) {
  auto wheel = [&](int delta) {
    g->Perform(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16, MakeLParam(50, 50));
  };
  wheel(-WHEEL_DELTA);
  EXPECT_EQ(g->Row(), 2);
  wheel(WHEEL_DELTA);
  wheel(WHEEL_DELTA);
  EXPECT_EQ(g->Row(), 1) << "not above the first scrollable row";
}

TEST_F(GridInput, KeyTable) {
  TGridDrawMetricsEx i;
  g->FillDrawInfo(i);
  const int pageH = i.RowAxis.LastWholeCell - g->TopRow();
  g->SetOptions(g->Options() + goTabs);
  RunKeyCases({
      {VK_DOWN, {}, {1, 1}, {1, 2}},
      {VK_UP, {}, {1, 1}, {1, 1}},
      {VK_RIGHT, {}, {1, 1}, {2, 1}},
      {VK_LEFT, {}, {1, 1}, {1, 1}},  // never onto the fixed column
      {VK_END, {}, {3, 5}, {9, 5}},
      {VK_HOME, {}, {3, 5}, {1, 5}},
      {VK_END, {ssCtrl}, {3, 5}, {9, 99}},
      {VK_HOME, {ssCtrl}, {9, 99}, {1, 1}},
      {VK_NEXT, {}, {1, 1}, {1, 1 + pageH}},
      {VK_TAB, {}, {9, 4}, {1, 5}},           // wraps to the next row
      {VK_TAB, {ssShift}, {1, 1}, {9, 99}},   // from the first cell to the last
  });
  // Shift extends the selection: the anchor stays.
  g->MoveToCell(2, 2, true, true, true);
  h.Key(g, VK_DOWN, {ssShift});
  EXPECT_EQ(g->Anchor(), (TGridCoord{2, 2}));
  EXPECT_EQ(g->SelectedRect(), (TGridCellRangeEx{2, 2, 2, 3}));
  // Ctrl+Down scrolls without moving the current row.
  g->SetTopRow(1);
  g->MoveToCell(2, 5, true, true, true);
  h.Key(g, VK_DOWN, {ssCtrl});
  EXPECT_EQ(g->TopRow(), 2);
  EXPECT_EQ(g->Row(), 5);
}

// Mirrored, Left and Right go toward the columns on that side of the window:
// Left to the later columns.
TEST_F(GridInput, MirroredKeyTable) {
  g->SetBiDiMode(bdRightToLeft);
  TGridDrawMetricsEx i;
  g->FillDrawInfo(i);
  const int pageW = i.ColAxis.LastWholeCell - g->LeftCol();
  RunKeyCases({
      {VK_LEFT, {}, {1, 1}, {2, 1}},
      {VK_RIGHT, {}, {2, 1}, {1, 1}},
      {VK_RIGHT, {}, {1, 1}, {1, 1}},  // never onto the fixed column
      {VK_LEFT, {ssCtrl}, {1, 1}, {1 + pageW, 1}},
      {VK_END, {ssCtrl}, {3, 5}, {9, 99}},
  });
  // With row select the keys scroll by pixels, also toward their side.
  g->SetLeftCol(1);
  g->SetOptions(g->Options() + goRowSelect);
  h.Key(g, VK_LEFT);
  const int step = std::max(1, g->DataPageSize().cx / 20);
  EXPECT_EQ(g->SmoothPos().X, step);
  h.Key(g, VK_RIGHT);
  EXPECT_EQ(g->SmoothPos().X, 0);
}

TEST_F(GridInput, RowSelectKeepsColumnsAndScrollsSideways) {
  g->SetOptions(g->Options() + goRowSelect);
  EXPECT_EQ(g->Anchor().X, 9);
  h.Key(g, VK_RIGHT);
  EXPECT_EQ(g->Col(), g->LeftCol());
  EXPECT_GT(g->SmoothPos().X, 0);
}

TEST_F(GridInput, DragSelectExtendsOnTheTimer) {
  TPoint cursor;
  g->FCursorPos = [&] { return g->ClientToScreen(cursor); };
  const TRect c22 = g->CellBounds(2, 2);
  h.MouseDown(g, TPoint{c22.Left + 5, c22.Top + 5});
  EXPECT_EQ(g->GridState(), gsSelecting);
  const TRect c34 = g->CellBounds(3, 4);
  h.MouseMove(g, {c34.Left + 5, c34.Top + 5}, {ssLeft});
  EXPECT_EQ(g->SelectedRect(), (TGridCellRangeEx{2, 2, 3, 4}));
  // Below the last whole row: every 60 ms one row more, scrolled into view.
  TGridDrawMetricsEx i;
  g->FillDrawInfo(i);
  cursor = {c34.Left + 5, i.RowAxis.LastWholeCellEnd + 3};
  const int top = g->TopRow();
  h.Advance(60 * 12);
  EXPECT_EQ(g->Anchor().Y, 16);
  EXPECT_GT(g->TopRow(), top);
  h.MouseUp(g, TPoint{c34.Left + 5, i.RowAxis.LastWholeCellEnd - 2});
  EXPECT_EQ(g->GridState(), gsNormal);
  const int anchor = g->Anchor().Y;
  h.Advance(600);
  EXPECT_EQ(g->Anchor().Y, anchor) << "the timer stops with the release";
}

// Mirrored, a cursor beyond the last whole column (at the window's left)
// still extends toward the later columns, one over the fixed columns (at
// the right) toward the first ones.
TEST_F(GridInput, MirroredDragSelectSteps) {
  g->SetBiDiMode(bdRightToLeft);
  g->SetColCount(30);
  h.ProcessEvents();
  TPoint cursor;
  g->FCursorPos = [&] { return g->ClientToScreen(cursor); };
  const int w = g->ClientWidth();
  const TRect c32 = g->CellBounds(3, 2);
  h.MouseDown(g, TPoint{c32.Left + 5, c32.Top + 5});
  ASSERT_EQ(g->GridState(), gsSelecting);
  TGridDrawMetricsEx i;
  g->FillDrawInfo(i);
  struct Case {
    int x;  // the grid's own x
    int anchorCol;
  };
  const std::vector<Case> cases = {
      {i.ColAxis.LastWholeCellEnd + 3, 3 + 4},
      {i.ColAxis.FixedEnd - 3, 3},
  };
  for (const auto& c : cases) {
    cursor = {w - 1 - c.x, c32.Top + 5};
    h.Advance(60 * 4);
    EXPECT_EQ(g->Anchor().X, c.anchorCol) << c.x;
    EXPECT_EQ(g->Anchor().Y, 2);
  }
  h.MouseUp(g, cursor);
}

TEST_F(GridInput, CellClickNeedsPressAndReleaseOnOneCell) {
  std::vector<std::pair<TGridCoord, TPoint>> clicks;
  g->OnCellMouseClick = [&](TCustomGridEx*, TGridCoord c, TMouseButton, TShiftState, int x, int y) {
    clicks.push_back({c, {x, y}});
  };
  // A press on a data cell starts drag selection, so clicks are reported
  // for the title cells (and in editing mode).
  const TRect r = g->CellBounds(2, 0);
  h.Click(g, TPoint{r.Left + 4, r.Top + 6});
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].first, (TGridCoord{2, 0}));
  EXPECT_EQ(clicks[0].second, (TPoint{4, 6}));
  h.MouseDown(g, TPoint{r.Left + 4, r.Top + 6});
  h.MouseUp(g, TPoint{r.Right + 10, r.Top + 6});
  EXPECT_EQ(clicks.size(), 1u);
  // A press on a non-frozen fixed cell never changes the current cell.
  g->MoveToCell(3, 3, true, true, true);
  h.Click(g, TPoint{10, 60});
  EXPECT_EQ(g->Current(), (TGridCoord{3, 3}));
}

}  // namespace
