// The data grid's mouse through the window layer: title clicks against the
// start of a column move, title-edge sizing, column selection by the title's
// lowest pixels, record and rectangle selection by clicks, and check boxes.
#include <gtest/gtest.h>

#include <string>

#include <QWidget>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_def_values_ex.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/inplace_filter_edit_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;
using ui::TPoint;
using ui::TRect;

struct MousedGrid : gridtest::ShownNumberedGrid {
  int titleClicks = 0, titleBtnClicks = 0, moved = 0, cellClicks = 0;

  void Prepare() override {
    gridtest::OpenNumbered(ds, src, {u"A", u"B", u"C", u"D", u"E"}, 20);
    grid->OnTitleClick = [this](TColumnEx*) { ++titleClicks; };
    grid->OnTitleBtnClick = [this](ui::TObject*, int, TColumnEx*) { ++titleBtnClicks; };
    grid->OnColumnMoved = [this](ui::TObject*, int, int) { ++moved; };
    grid->OnCellClick = [this](TColumnEx*) { ++cellClicks; };
  }
  void Bind(TDBGridOptions Add = {}, TDBGridOptions Remove = {}) {
    grid->SetOptions(grid->Options() + Add - Remove);
    grid->SetDataSource(&src);
    h.ProcessEvents();
  }
  TColumnEx* Col(int I) { return grid->Columns()->ColumnAt(I); }
  TRect Cell(int DataCol, int Row) {
    const int c = grid->DataColToGridCol(DataCol);
    return grid->CellRangeRect(c, Row, c, Row);
  }
  TPoint Centre(const TRect& R) { return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }
  std::string Listed() {
    std::string s;
    TDBGridExSelectionCols* cols = grid->Selection()->Columns();
    for (int i = 0; i < cols->Count(); ++i) s += static_cast<char>('0' + cols->Items(i)->Index());
    return s;
  }
};

TEST_F(MousedGrid, TitleMovedThreePixelsIsAClickAndFourStartsAMove) {
  grid->ColumnDefValues()->Title()->SetTitleButton(true);
  Bind();
  grid->SetOptionsEx(grid->OptionsEx() + dghAutoSortMarking);
  const TPoint p = Centre(Cell(0, 0));
  h.MouseDown(grid, p);
  h.MouseMove(grid, {p.X + 3, p.Y + 3}, {});
  EXPECT_EQ(grid->GridState(), gsNormal);
  h.MouseUp(grid, TPoint{p.X + 3, p.Y + 3});
  EXPECT_EQ(titleBtnClicks, 1);
  EXPECT_EQ(Col(0)->Title()->SortMarker(), smDownEx);
  EXPECT_EQ(moved, 0);

  h.MouseDown(grid, p);
  h.MouseMove(grid, {p.X + 4, p.Y}, {});
  EXPECT_EQ(grid->GridState(), gsColMoving);
  const TPoint target = Centre(Cell(2, 0));
  // The move follows the cursor on the base grid's move timer.
  grid->FCursorPos = [&] { return grid->ClientToScreen(target); };
  h.MouseMove(grid, target, {ui::ssLeft});
  h.Advance(60 * 3);
  h.MouseUp(grid, target);
  EXPECT_EQ(titleBtnClicks, 1);
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(grid->Columns()->ColumnAt(0)->FieldName(), u"B");
}

TEST_F(MousedGrid, ARightButtonDragOnATitleMovesTheColumn) {
  Bind();
  const TPoint from = Centre(Cell(0, 0)), to = Centre(Cell(2, 0));
  h.MouseDown(grid, from, ui::mbRight);
  EXPECT_EQ(grid->GridState(), gsColMoving);
  grid->FCursorPos = [&] { return grid->ClientToScreen(to); };
  h.MouseMove(grid, to, {});
  h.Advance(60 * 3);
  h.MouseUp(grid, to, ui::mbRight);
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(grid->GridState(), gsNormal);
}

TEST_F(MousedGrid, DraggingAcrossCellsSpansARectangle) {
  Bind({dgMultiSelect});
  const int top = grid->TopDataOffset();
  h.MouseDown(grid, Centre(Cell(0, top + 1)));
  EXPECT_EQ(grid->DBGridExState(), dgsRectSelecting);
  h.MouseMove(grid, Centre(Cell(2, top + 3)), {ui::ssLeft});
  h.MouseUp(grid, Centre(Cell(2, top + 3)));
  ASSERT_EQ(grid->Selection()->SelectionType(), gstRectangle);
  EXPECT_EQ(grid->Selection()->Rect()->LeftCol(), 0);
  EXPECT_EQ(grid->Selection()->Rect()->RightCol(), 2);
  EXPECT_EQ(RecNo(), 4);
  EXPECT_EQ(grid->DBGridExState(), dgsNormal);
  EXPECT_FALSE(grid->TimerActive());
  // A plain press elsewhere clears it.
  h.Click(grid, Centre(Cell(1, top + 5)));
  EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
}

TEST_F(MousedGrid, ReleasingOffThePressedTitleClicksNothing) {
  grid->ColumnDefValues()->Title()->SetTitleButton(true);
  Bind();
  grid->SetOptionsEx(grid->OptionsEx() - dghColumnMove);
  const TPoint p = Centre(Cell(1, 0));
  h.MouseDown(grid, p);
  const TPoint away = Centre(Cell(1, 3));
  h.MouseMove(grid, away, {});
  h.MouseUp(grid, away);
  EXPECT_EQ(titleBtnClicks, 0);
  EXPECT_EQ(grid->DBGridExState(), dgsNormal);
}

TEST_F(MousedGrid, APressedTitleLooksPressedOnlyWhileTheMouseIsOverIt) {
  grid->ColumnDefValues()->Title()->SetTitleButton(true);
  Bind();
  grid->SetOptionsEx(grid->OptionsEx() - dghColumnMove);
  bool down = false;
  grid->OnGetBtnParams = [&](ui::TObject*, TColumnEx* Column, ui::TFont*, ui::TColor&, TSortMarkerEx&,
                             bool IsDown) {
    if (Column == Col(1)) down = IsDown;
  };
  auto painted = [&] {
    down = false;
    grid->Invalidate();
    h.ProcessEvents();
    return down;
  };
  const TPoint p = Centre(Cell(1, 0));
  h.MouseDown(grid, p);
  EXPECT_TRUE(painted());
  h.MouseMove(grid, Centre(Cell(1, 3)), {});
  EXPECT_FALSE(painted());
  h.MouseMove(grid, p, {});
  EXPECT_TRUE(painted());
  h.MouseUp(grid, p);
  EXPECT_FALSE(painted());
  EXPECT_EQ(titleBtnClicks, 1);
}

TEST_F(MousedGrid, CtrlClicksOnTitlesKeepOtherSortMarkers) {
  grid->ColumnDefValues()->Title()->SetTitleButton(true);
  Bind();
  grid->SetOptionsEx(grid->OptionsEx() + dghAutoSortMarking + dghMultiSortMarking);
  int applied = 0;
  grid->OnSortMarkingChanged = [&](ui::TObject*) { ++applied; };
  h.Click(grid, Centre(Cell(0, 0)), ui::mbLeft, {ui::ssCtrl});
  h.Click(grid, Centre(Cell(2, 0)), ui::mbLeft, {ui::ssCtrl});
  EXPECT_EQ(Col(0)->Title()->SortMarker(), smDownEx);
  EXPECT_EQ(Col(2)->Title()->SortMarker(), smDownEx);
  // With Ctrl the sorting waits for Ctrl's release.
  EXPECT_EQ(applied, 0);
  h.Click(grid, Centre(Cell(1, 0)));
  EXPECT_EQ(Col(0)->Title()->SortMarker(), smNoneEx);
  EXPECT_EQ(Col(1)->Title()->SortMarker(), smDownEx);
  EXPECT_EQ(applied, 1);
}

TEST_F(MousedGrid, DraggingATitleEdgeSizesTheColumn) {
  Bind();
  const int before = Col(1)->Width();
  const TRect r = Cell(1, 0);
  const int edge = r.Right;
  h.MouseDown(grid, TPoint{edge, r.Top + 4});
  h.MouseMove(grid, {edge + 25, r.Top + 4}, {});
  h.MouseUp(grid, TPoint{edge + 25, r.Top + 4});
  EXPECT_EQ(Col(1)->Width(), before + 25);
  EXPECT_EQ(grid->ColWidths(grid->DataColToGridCol(1)), before + 25);
}

TEST_F(MousedGrid, TheFilterEditorFollowsItsCellWhenAColumnLeftOfItIsSized) {
  Bind();
  grid->STFilter()->SetVisible(true);
  h.ProcessEvents();
  grid->StartFilterEditing(1);
  ASSERT_TRUE(grid->FilterEditMode());
  ASSERT_NE(grid->FilterEdit(), nullptr);
  grid->FilterEdit()->SetText(u"typed");
  const int left = grid->FilterEdit()->Left();
  const TRect r = Cell(0, 0);
  h.MouseDown(grid, TPoint{r.Right, r.Top + 4});
  h.MouseMove(grid, {r.Right + 25, r.Top + 4}, {});
  h.MouseUp(grid, TPoint{r.Right + 25, r.Top + 4});
  ASSERT_TRUE(grid->FilterEditMode());
  EXPECT_EQ(grid->FilterEdit()->Left(), left + 25);
  // What was typed is still there.
  EXPECT_EQ(grid->FilterEdit()->Text(), u"typed");
}

TEST_F(MousedGrid, ARowSizedInTheIndicatorGivesEveryRowItsHeight) {
  Bind();
  grid->SetRowSizingAllowed(true);
  h.ProcessEvents();
  const int row = grid->TopDataOffset() + 1;
  const int height = grid->RowHeights(row);
  const int border = grid->CellBounds(0, row).Bottom;
  ASSERT_TRUE(grid->IsOverSizingLine(3, border));
  h.MouseDown(grid, TPoint{3, border});
  h.MouseMove(grid, {3, border + 8}, {ui::ssLeft});
  h.MouseUp(grid, TPoint{3, border + 8});
  EXPECT_EQ(grid->RowHeights(row), height + 8);
  EXPECT_EQ(grid->RowHeight(), height + 8);
  EXPECT_EQ(grid->RowHeights(row + 3), height + 8);
}

TEST_F(MousedGrid, ContraColumnsComeFromTheColumnsAtOnce) {
  Bind();
  const int lines = grid->FullColCount();
  ASSERT_EQ(lines, grid->Columns()->Count() + grid->IndicatorOffset());
  grid->SetContraColCount(1);
  // The last column is pinned; no line is added for it.
  EXPECT_EQ(grid->FullColCount(), lines);
  EXPECT_EQ(grid->ContraColCount(), 1);
  EXPECT_EQ(grid->ColCount(), lines - 1);
  // Asking for more than the columns allow gives what they allow and keeps the wish.
  grid->SetContraColCount(50);
  EXPECT_EQ(grid->WantedContraColCount(), 50);
  EXPECT_LT(grid->ContraColCount(), grid->Columns()->Count());
  EXPECT_EQ(grid->FullColCount(), lines);
  grid->SetContraColCount(0);
  EXPECT_EQ(grid->ContraColCount(), 0);
  EXPECT_EQ(grid->ColCount(), lines);
  EXPECT_ANY_THROW(grid->SetContraColCount(-1));
}

// Auto-fit columns share the width by their starting widths.
struct AutoFitGrid : MousedGrid {
  void Fit(std::initializer_list<int> InitWidths, bool WholeRightPart) {
    Bind();
    grid->Columns()->SetState(csCustomized);
    while (grid->Columns()->Count() > static_cast<int>(InitWidths.size()))
      delete grid->Columns()->ColumnAt(grid->Columns()->Count() - 1);
    grid->SetAutoFitColWidths(true);
    grid->SetOptionsEx(WholeRightPart ? grid->OptionsEx() + dghResizeWholeRightPart
                                      : grid->OptionsEx() - dghResizeWholeRightPart);
    int i = 0;
    for (int w : InitWidths) {
      Col(i)->SetAutoFitColWidth(true);
      Col(i++)->SetInitWidth(w);
    }
    grid->RelayoutGrid();
    h.ProcessEvents();
  }
};

TEST_F(AutoFitGrid, WideningAColumnNarrowsTheAutoFitColumnsRightOfIt) {
  Fit({100, 100, 100}, true);
  const int a = Col(0)->Width();
  h.MouseDown(grid, TPoint{Cell(0, 0).Right, 4});
  h.MouseMove(grid, {Cell(0, 0).Right + 30, 4}, {});
  h.MouseUp(grid, TPoint{Cell(0, 0).Right + 30, 4});
  EXPECT_NEAR(Col(0)->Width(), a + 30, 1);
  EXPECT_EQ(Col(1)->InitWidth(), Col(2)->InitWidth());
  EXPECT_LT(Col(1)->InitWidth(), 100);
  EXPECT_NEAR(Col(1)->Width(), Col(2)->Width(), 1);
}

TEST_F(AutoFitGrid, ZeroWidthsGiveNoProportionAndNoDivision) {
  // The sized column was 0 wide.
  Fit({0, 100, 100}, true);
  ASSERT_EQ(Col(0)->Width(), 0);
  const int sum = Col(1)->Width() + Col(2)->Width();
  grid->SetColWidths(grid->DataColToGridCol(0), 30);
  EXPECT_EQ(Col(1)->InitWidth(), 100 * (sum - 30) / sum);
  EXPECT_EQ(Col(2)->InitWidth(), 100 * (sum - 30) / sum);
  // The columns to its right are 0 wide.
  Fit({100, 0, 0}, true);
  ASSERT_EQ(Col(1)->Width(), 0);
  grid->SetColWidths(grid->DataColToGridCol(0), 80);
  EXPECT_EQ(Col(1)->InitWidth(), 0);
  EXPECT_EQ(Col(2)->InitWidth(), 0);
  // Without the whole right part, a 0 wide column takes the width as it is.
  Fit({0, 100, 100}, false);
  grid->SetColWidths(grid->DataColToGridCol(0), 30);
  EXPECT_EQ(Col(1)->InitWidth(), 100);
}

TEST_F(MousedGrid, DoubleClickOnATitleEdgeFitsTheColumnWithoutADoubleClickEvent) {
  Bind();
  grid->SetOptionsEx(grid->OptionsEx() + dghDblClickOptimizeColWidth);
  int dblClicks = 0;
  grid->OnDblClick = [&](ui::TObject*) { ++dblClicks; };
  Col(1)->SetWidth(150);
  h.ProcessEvents();
  h.DblClick(grid, TPoint{Cell(1, 0).Right, 4});
  h.ProcessEvents();
  EXPECT_LT(Col(1)->Width(), 150);
  EXPECT_EQ(dblClicks, 0);
  h.DblClick(grid, Centre(Cell(1, grid->TopDataOffset() + 1)));
  EXPECT_EQ(dblClicks, 1);
}

TEST_F(MousedGrid, LiveSizingFollowsTheMouse) {
  Bind();
  grid->SetOptionsEx(grid->OptionsEx() + dghTraceColSizing);
  const int before = Col(0)->Width();
  const TRect r = Cell(0, 0);
  h.MouseDown(grid, TPoint{r.Right, r.Top + 4});
  h.MouseMove(grid, {r.Right + 10, r.Top + 4}, {});
  EXPECT_EQ(grid->ColWidths(grid->DataColToGridCol(0)), before + 10);
  h.MouseUp(grid, TPoint{r.Right + 10, r.Top + 4});
  EXPECT_EQ(grid->GridState(), gsNormal);
  EXPECT_EQ(Col(0)->Width(), before + 10);
}

TEST_F(MousedGrid, AFrozenColumnSizesByItsTitleBorder) {
  Bind();
  grid->SetFrozenCols(1);
  h.ProcessEvents();
  const int before = grid->ColWidths(1);
  const TRect r = Cell(0, 0);
  // The zone is 7 pixels: 3 left of the border and 3 right of it.
  int index = 0, pos = 0, ofs = 0;
  for (int dx : {-3, 0, 3})
    EXPECT_TRUE(grid->DetectFrozenColSizing(r.Right + dx, r.Top + 2, index, pos, ofs)) << dx;
  for (int dx : {-4, 4})
    EXPECT_FALSE(grid->DetectFrozenColSizing(r.Right + dx, r.Top + 2, index, pos, ofs)) << dx;
  // The mouse over the border shows that it sizes.
  h.MouseMove(grid, {r.Right - 2, r.Top + 2});
  EXPECT_EQ(grid->Widget()->cursor().shape(), Qt::SplitHCursor);
  h.MouseMove(grid, {r.Right - 12, r.Top + 2});
  EXPECT_NE(grid->Widget()->cursor().shape(), Qt::SplitHCursor);
  h.MouseDown(grid, TPoint{r.Right - 2, r.Top + 2});
  EXPECT_EQ(grid->DBGridExState(), dgsColSizing);
  h.MouseMove(grid, {r.Right + 18, r.Top + 2}, {});
  h.MouseUp(grid, TPoint{r.Right + 18, r.Top + 2});
  EXPECT_EQ(grid->ColWidths(1), before + 20);
  EXPECT_EQ(grid->DBGridExState(), dgsNormal);
}

TEST_F(MousedGrid, RowsSizeOnlyInTheIndicator) {
  Bind();
  grid->SetRowSizingAllowed(true);
  grid->SetFrozenCols(1);
  h.ProcessEvents();
  const int row = grid->TopDataOffset() + 1;
  const int height = grid->RowHeights(row);
  const TRect frozen = Cell(0, row);
  h.MouseDown(grid, TPoint{frozen.Left + 10, frozen.Bottom});
  h.MouseMove(grid, {frozen.Left + 10, frozen.Bottom + 8}, {});
  h.MouseUp(grid, TPoint{frozen.Left + 10, frozen.Bottom + 8});
  EXPECT_EQ(grid->RowHeights(row), height);
  EXPECT_TRUE(grid->IsOverSizingLine(3, frozen.Bottom));
}

TEST_F(MousedGrid, ColumnsAreSelectedOnlyFromTheLowestSevenPixelsOfATitle) {
  Bind({dgMultiSelect});
  const TRect r = Cell(2, 0);
  struct Case {
    int fromBottom;
    bool selects;
  };
  for (const Case& c : {Case{1, true}, Case{7, true}, Case{8, false}, Case{12, false}}) {
    grid->ClearSelection();
    const TPoint p{(r.Left + r.Right) / 2, r.Bottom - c.fromBottom};
    EXPECT_EQ(grid->InColumnSelectZone(p.X, p.Y), c.selects) << c.fromBottom;
    h.Click(grid, p);
    EXPECT_EQ(Listed(), c.selects ? "2" : "") << c.fromBottom;
  }
  // Not with row selection, nor without several selections allowed.
  grid->SetOptions(grid->Options() + dgRowSelect);
  EXPECT_FALSE(grid->InColumnSelectZone((r.Left + r.Right) / 2, r.Bottom - 2));
}

TEST_F(MousedGrid, ShiftClickingTitlesRightAndBackPastTheAnchor) {
  Bind({dgMultiSelect});
  auto low = [&](int DataCol) {
    const TRect r = Cell(DataCol, 0);
    return TPoint{(r.Left + r.Right) / 2, r.Bottom - 2};
  };
  h.Click(grid, low(1));
  h.Click(grid, low(3), ui::mbLeft, {ui::ssShift});
  EXPECT_EQ(Listed(), "123");
  h.Click(grid, low(0), ui::mbLeft, {ui::ssShift});
  EXPECT_EQ(Listed(), "01");
  h.Click(grid, low(2), ui::mbLeft, {ui::ssCtrl});
  EXPECT_EQ(Listed(), "012");
  EXPECT_EQ(grid->Selection()->SelectionType(), gstColumns);
}

TEST_F(MousedGrid, TitlesTrackTheMouseOnlyForTheirFilterButtons) {
  Bind();
  const TPoint title = Centre(Cell(1, 0)), data = Centre(Cell(1, 2));
  h.MouseMove(grid, title);
  EXPECT_EQ(grid->HotTrackCell().X, -1);
  grid->STFilter()->SetVisible(true);
  grid->STFilter()->SetLocation(stflInTitleFilterEx);
  h.ProcessEvents();
  h.MouseMove(grid, {title.X + 1, title.Y});
  EXPECT_EQ(grid->HotTrackCell().X, grid->DataColToGridCol(1));
  EXPECT_EQ(grid->HotTrackCell().Y, 0);
  // Data cells stay cold without hot tracking.
  h.MouseMove(grid, data);
  EXPECT_EQ(grid->HotTrackCell().X, -1);
}

TEST_F(MousedGrid, ClickingACellTwiceLeavesNoRectangle) {
  Bind({dgMultiSelect});
  const TPoint p = Centre(Cell(2, grid->TopDataOffset() + 2));
  h.Click(grid, p);
  h.Click(grid, p);
  EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
  EXPECT_EQ(RecNo(), 3);
  EXPECT_EQ(grid->SelectedIndex(), 2);
  // The second press opened the editor, and a release on the editor is no cell click.
  EXPECT_EQ(cellClicks, 1);
  // Shift+click another cell spans a rectangle from the current one.
  h.Click(grid, Centre(Cell(0, grid->TopDataOffset() + 4)), ui::mbLeft, {ui::ssShift});
  ASSERT_EQ(grid->Selection()->SelectionType(), gstRectangle);
  EXPECT_EQ(grid->Selection()->Rect()->LeftCol(), 0);
  EXPECT_EQ(grid->Selection()->Rect()->RightCol(), 2);
  EXPECT_EQ(RecNo(), 5);
}

TEST_F(MousedGrid, ShiftClickInTheIndicatorSelectsTheRecordsBetween) {
  Bind({dgMultiSelect, dgRowSelect});
  const int top = grid->TopDataOffset();
  h.Click(grid, Centre(grid->CellRangeRect(0, top + 1, 0, top + 1)));
  EXPECT_EQ(RecNo(), 2);
  EXPECT_EQ(grid->Bookmarks()->Count(), 1);
  h.Click(grid, Centre(grid->CellRangeRect(0, top + 4, 0, top + 4)), ui::mbLeft, {ui::ssShift});
  EXPECT_EQ(RecNo(), 5);
  EXPECT_EQ(grid->Bookmarks()->Count(), 4);
  // A plain click starts again.
  h.Click(grid, Centre(Cell(1, top + 6)));
  EXPECT_EQ(grid->Bookmarks()->Count(), 1);
  // Ctrl+click adds one more.
  h.Click(grid, Centre(Cell(1, top)), ui::mbLeft, {ui::ssCtrl});
  EXPECT_EQ(grid->Bookmarks()->Count(), 2);
}

TEST_F(MousedGrid, ClickingACheckBoxCellTogglesItOnce) {
  ext::TExtMemoryData flags{nullptr};
  gridtest::OpenOneFlag(flags);
  src.SetDataSet(&flags);
  grid->ColumnDefValues()->SetDblClickNextVal(false);
  Bind();
  Col(0)->SetCheckboxes(true);
  h.ProcessEvents();
  const TPoint p = Centre(Cell(0, grid->TopDataOffset()));
  h.Click(grid, p);
  EXPECT_TRUE(flags.Fields(0)->AsBoolean());
  h.Click(grid, p);
  EXPECT_FALSE(flags.Fields(0)->AsBoolean());
  src.SetDataSet(&ds);
}

}  // namespace
