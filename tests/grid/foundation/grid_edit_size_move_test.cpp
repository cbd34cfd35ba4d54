// The in-place editor driven through the window layer, sizing hot zones and
// drags, line moves with their feedback, and the move timer's periods.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>

#include <QCursor>
#include <QWidget>

#include "platform/ui/clipboard.h"
#include "grid/foundation/grid_drag_windows.h"
#include "grid/foundation/grid_messages.h"
#include "tests/platform/ui/harness.h"
#include "grid/foundation/inplace_edit.h"
#include "tests/grid/foundation/test_grid.h"

namespace {

using namespace grid;
using namespace ui;
using gridtest::TTestGrid;

class GridFixture : public ::testing::Test {
 protected:
  uitest::Harness h;
  TForm* form = h.MakeForm<TForm>();
  TTestGrid* g = nullptr;
  TPoint cursor;
  GridFixture() {
    form->SetBounds(0, 0, 460, 360);
    g = new TTestGrid(form);
    g->SetParent(form);
    g->SetBounds(0, 0, 400, 300);
    g->SetColCount(10);
    g->SetRowCount(100);
    g->FCursorPos = [this] { return g->ClientToScreen(cursor); };
    h.Show(form);
    g->SetFocus();
    h.ProcessEvents();
  }
  TGridDrawMetricsEx Info() {
    TGridDrawMetricsEx i;
    g->FillDrawInfo(i);
    return i;
  }
  TPoint CentreOf(int Col, int Row) {
    const TRect r = g->CellBounds(Col, Row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
};

// --- the in-place editor ------------------------------------------------------------

class GridEditor : public GridFixture {
 protected:
  GridEditor() {
    g->SetOptions(g->Options() + goEditing);
    g->texts[{1, 1}] = u"alpha";
    g->texts[{2, 1}] = u"beta";
    g->texts[{1, 2}] = u"gamma";
  }
  TInplaceEdit* Ed() { return g->InplaceEditor(); }
  bool Shown() { return Ed() && Ed()->Visible(); }
};

TEST_F(GridEditor, F2ShowsLoadedEditorOverTheCellAndEnterStoresIt) {
  EXPECT_FALSE(Shown());
  h.Key(g, VK_F2);
  ASSERT_TRUE(Shown());
  EXPECT_TRUE(g->EditorMode());
  EXPECT_EQ(Ed()->BoundsRect(), g->CellBounds(1, 1));
  EXPECT_EQ(Ed()->Text(), u"alpha");
  EXPECT_EQ(Ed()->SelLength(), 5) << "the whole text is selected";
  EXPECT_TRUE(Ed()->Focused()) << "the editor takes the focus from the grid";
  h.Type(Ed(), u"xy");
  EXPECT_EQ(Ed()->Text(), u"xy");
  h.Key(Ed(), VK_RETURN);
  EXPECT_FALSE(g->EditorMode());
  EXPECT_FALSE(Shown());
  EXPECT_TRUE(g->Focused()) << "hiding the focused editor gives the focus back";
  EXPECT_EQ(g->texts[(std::pair{1, 1})], u"xy");
}

TEST_F(GridEditor, MultiLineEditorWrapsInsideTheCellsTextMargins) {
  g->SetRowHeights(1, 60);
  g->texts[{1, 1}] = u"a long cell text that wraps over several lines";
  h.Key(g, VK_F2);
  ASSERT_TRUE(Shown());
  Ed()->SetMultiLine(true);
  Ed()->Move(g->CellBounds(1, 1));
  h.ProcessEvents();
  EXPECT_EQ(Ed()->Text(), u"a long cell text that wraps over several lines");
  const TRect cell = g->CellBounds(1, 1);
  EXPECT_EQ(Ed()->FormattingRect(), Rect(2, 2, cell.Width() - 2, cell.Height()));
  EXPECT_GE(Ed()->LineCount(), 3);
  EXPECT_EQ(Ed()->LineFromChar(0), 0);
  EXPECT_EQ(Ed()->LineFromChar(static_cast<int>(Ed()->Text().size())), Ed()->LineCount() - 1);
  // Up still leaves the editor for the row above.
  h.Key(Ed(), VK_UP);
  EXPECT_EQ(g->Row(), 0 + g->FixedRows());
}

// Mirrored, the editor covers the cell where the window shows it, and
// follows it when the columns scroll or the direction changes.
TEST_F(GridEditor, EditorStandsOverTheMirroredCell) {
  g->SetBiDiMode(bdRightToLeft);
  g->SetOptions(g->Options() + goAlwaysShowEditor);
  g->SetColWidths(1, 80);
  g->SetCol(2);
  ASSERT_TRUE(Shown());
  const TRect r = g->CellBounds(2, 1);
  EXPECT_EQ(r.Right, g->ClientWidth() - (64 + 1 + 80 + 1)) << "right of it: the fixed column and column 1";
  EXPECT_EQ(Ed()->BoundsRect(), r);
  g->SetLeftCol(2);
  EXPECT_EQ(Ed()->BoundsRect(), g->CellBounds(2, 1));
  EXPECT_EQ(Ed()->BoundsRect().Right, g->ClientWidth() - 65);
  g->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(Ed()->BoundsRect(), g->CellBounds(2, 1));
  EXPECT_EQ(Ed()->BoundsRect().Left, 65);
}

TEST_F(GridEditor, TypingOnTheGridStartsTheEditorWithThatCharacter) {
  h.Type(g, u"q");
  h.ProcessEvents();
  ASSERT_TRUE(Shown());
  EXPECT_EQ(Ed()->Text(), u"q") << "the character replaces the selected text";
}

TEST_F(GridEditor, NavigationKeysGoToTheGridAndMoveTheEditor) {
  h.Key(g, VK_F2);
  ASSERT_TRUE(Shown());
  h.Type(Ed(), u"one");
  h.Key(Ed(), VK_DOWN);
  EXPECT_EQ(g->Current(), (TGridCoord{1, 2}));
  EXPECT_FALSE(Shown()) << "a move leaves editor mode";
  EXPECT_EQ(g->texts[(std::pair{1, 1})], u"one") << "leaving stores the text";

  // With the editor always shown, it follows the current cell and reloads.
  g->SetOptions(g->Options() + goAlwaysShowEditor);
  ASSERT_TRUE(Shown());
  EXPECT_EQ(Ed()->Text(), u"gamma");
  h.Key(Ed(), VK_UP);
  EXPECT_EQ(g->Current(), (TGridCoord{1, 1}));
  ASSERT_TRUE(Shown());
  EXPECT_EQ(Ed()->Text(), u"one");
  EXPECT_EQ(Ed()->BoundsRect(), g->CellBounds(1, 1));
}

TEST_F(GridEditor, LeftAndRightLeaveTheTextOnlyAtItsEndsWithTheEditorAlwaysShown) {
  h.Key(g, VK_F2);
  ASSERT_TRUE(Shown());
  // Without the option the caret keys always stay in the editor.
  Ed()->SetSelStart(5);
  h.Key(Ed(), VK_RIGHT);
  h.Key(Ed(), VK_LEFT);
  Ed()->SetSelStart(0);
  h.Key(Ed(), VK_LEFT);
  EXPECT_EQ(g->Current(), (TGridCoord{1, 1}));

  g->SetOptions(g->Options() + goAlwaysShowEditor);
  ASSERT_TRUE(Shown());
  Ed()->SetSelStart(2);
  h.Key(Ed(), VK_RIGHT);
  EXPECT_EQ(g->Current(), (TGridCoord{1, 1})) << "in the middle the caret moves";
  EXPECT_EQ(Ed()->SelStart(), 3);
  Ed()->SetSelStart(5);
  h.Key(Ed(), VK_RIGHT);
  EXPECT_EQ(g->Current(), (TGridCoord{2, 1})) << "at the end the next cell";
  Ed()->SetSelStart(0);
  h.Key(Ed(), VK_LEFT);
  EXPECT_EQ(g->Current(), (TGridCoord{1, 1})) << "at the start the previous cell";
}

TEST_F(GridEditor, EnterTogglesTheSelectionWhenTheEditorIsAlwaysShown) {
  g->SetOptions(g->Options() + goAlwaysShowEditor);
  ASSERT_TRUE(Shown());
  ASSERT_EQ(Ed()->SelLength(), 5);
  h.Key(Ed(), VK_RETURN);
  EXPECT_EQ(Ed()->SelLength(), 0);
  EXPECT_EQ(Ed()->SelStart(), 5);
  h.Key(Ed(), VK_RETURN);
  EXPECT_EQ(Ed()->SelLength(), 5);
  EXPECT_TRUE(Shown());
}

TEST_F(GridEditor, MaxLengthMinusOneShowsTheTextButRefusesEveryChange) {
  g->maxLength = -1;
  h.Key(g, VK_F2);
  ASSERT_TRUE(Shown());
  EXPECT_EQ(Ed()->Text(), u"alpha");
  h.Type(Ed(), u"zz");
  h.Key(Ed(), VK_BACK);
  h.Key(Ed(), VK_DELETE);
  Clipboard()->SetAsText(u"pasted");
  Ed()->Perform(WM_PASTE);
  h.Key(Ed(), 'V', {ssCtrl});
  Ed()->Perform(WM_CUT);
  EXPECT_EQ(Ed()->Text(), u"alpha");
  // A writable cell takes the same paste.
  g->maxLength = 0;
  h.Key(Ed(), VK_DOWN);
  h.Key(g, VK_F2);
  ASSERT_TRUE(Shown());
  Ed()->Perform(WM_PASTE);
  EXPECT_EQ(Ed()->Text(), u"pasted");
}

TEST_F(GridEditor, AlwaysShownEditorStaysWhenTheFocusLeaves) {
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(0, 310, 100, 24);
  g->SetOptions(g->Options() + goAlwaysShowEditor);
  ASSERT_TRUE(Shown());
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_TRUE(Shown());
  // Without the option the editor goes with the focus.
  g->SetOptions(g->Options() - goAlwaysShowEditor);
  g->SetFocus();
  h.Key(g, VK_F2);
  ASSERT_TRUE(Shown());
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_FALSE(Shown());
  EXPECT_FALSE(g->EditorMode());
}

TEST_F(GridEditor, SecondClickSoonAfterTheOpeningOneIsADoubleClick) {
  int doubles = 0;
  g->OnDblClick = [&](TObject*) { ++doubles; };
  const TPoint c = CentreOf(1, 1);
  h.Click(g, c);  // on the current cell: opens the editor
  ASSERT_TRUE(Shown());
  h.MouseDown(Ed(), TPoint{5, 5});
  h.MouseUp(Ed(), TPoint{5, 5});
  EXPECT_EQ(doubles, 1);
  h.Advance(5000);
  h.MouseDown(Ed(), TPoint{5, 5});
  h.MouseUp(Ed(), TPoint{5, 5});
  EXPECT_EQ(doubles, 1) << "only the first click after the grid's press counts";
}

TEST_F(GridEditor, EnterReachesTheEditingGridBeforeTheDefaultButton) {
  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetBounds(300, 310, 80, 24);
  ok->SetDefault(true);
  int clicks = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  g->SetFocus();
  h.Key(g, VK_RETURN);
  EXPECT_TRUE(Shown());
  EXPECT_EQ(clicks, 0);
  // A grid that does not edit leaves Enter to the form.
  h.Key(Ed(), VK_RETURN);
  ASSERT_FALSE(Shown());
  g->SetOptions(g->Options() - goEditing);
  h.Key(g, VK_RETURN);
  EXPECT_EQ(clicks, 1);
}

// --- sizing ---------------------------------------------------------------------------

TEST_F(GridFixture, SizingHotZones) {
  g->SetOptions(g->Options() + goColSizing + goRowSizing);
  struct Case {
    int lineWidth, x, y;
    TGridState state;
    int index, pos;
  };
  // Line width 1: column 1's line is at 129, its zone 126..133; row 1's at 49.
  // Line width 10: column 1's line starts at 138, the zone is 138..148.
  const std::vector<Case> cases = {
      {1, 126, 10, gsColSizing, 1, 129}, {1, 133, 10, gsColSizing, 1, 129}, {1, 125, 10, gsNormal, -1, 0},
      {1, 134, 10, gsNormal, -1, 0},     {1, 129, 60, gsNormal, -1, 0},     {1, 10, 46, gsRowSizing, 1, 49},
      {1, 10, 53, gsRowSizing, 1, 49},   {1, 10, 54, gsNormal, -1, 0},      {1, 10, 10, gsNormal, -1, 0},
      {10, 137, 10, gsNormal, -1, 0},    {10, 138, 10, gsColSizing, 1, 138}, {10, 148, 10, gsColSizing, 1, 138},
      {10, 149, 10, gsNormal, -1, 0},
  };
  for (const auto& c : cases) {
    g->SetGridLineWidth(c.lineWidth);
    TGridState state;
    int index = 0, pos = 0, ofs = 0;
    g->DetectSizingState(c.x, c.y, Info(), state, index, pos, ofs);
    EXPECT_EQ(state, c.state) << c.lineWidth << " at " << c.x << "," << c.y;
    EXPECT_EQ(index, c.index) << c.lineWidth << " at " << c.x << "," << c.y;
    if (state != gsNormal) {
      EXPECT_EQ(pos, c.pos);
      EXPECT_EQ(ofs, c.pos - (state == gsColSizing ? c.x : c.y));
    }
  }
  g->SetGridLineWidth(1);
  // With column sizing alone a data row never sizes anything.
  g->SetOptions(g->Options() - goRowSizing);
  TGridState state;
  int index = 0, pos = 0, ofs = 0;
  g->DetectSizingState(10, 49, Info(), state, index, pos, ofs);
  EXPECT_EQ(state, gsNormal);
  // The edge that cuts the last partly shown column sizes that column.
  const TGridDrawMetricsEx i = Info();
  ASSERT_EQ(i.ColAxis.CellsEnd, i.ColAxis.DataAreaEnd);
  g->DetectSizingState(i.ColAxis.DataAreaEnd - 1, 10, i, state, index, pos, ofs);
  EXPECT_EQ(state, gsColSizing);
  EXPECT_EQ(index, i.ColAxis.LastWholeCell + 1);
  EXPECT_EQ(pos, i.ColAxis.DataAreaEnd);
}

TEST_F(GridFixture, ContraBoundarySizesTheFirstContraLineFromItsLeftEdge) {
  g->SetColCount(3);
  g->SetContraColCount(2);
  g->SetOptions(g->Options() + goColSizing);
  const TGridDrawMetricsEx i = Info();
  TGridState state;
  int index = 0, pos = 0, ofs = 0;
  g->DetectSizingState(i.ColAxis.ContraStart + 1, 10, i, state, index, pos, ofs);
  EXPECT_EQ(state, gsColSizing);
  EXPECT_EQ(index, 3);
  // A sizing line left where it was keeps the contra line's width.
  h.MouseDown(g, TPoint{i.ColAxis.ContraStart + 1, 10});
  ASSERT_EQ(g->GridState(), gsColSizing);
  h.MouseUp(g, TPoint{i.ColAxis.ContraStart + 1, 10});
  EXPECT_EQ(g->ColWidths(3), 64);
  // Dragged 20 pixels to the left it grows by 20.
  h.MouseDown(g, TPoint{i.ColAxis.ContraStart + 1, 10});
  h.MouseMove(g, {i.ColAxis.ContraStart - 19, 10}, {ssLeft});
  h.MouseUp(g, TPoint{i.ColAxis.ContraStart - 19, 10});
  EXPECT_EQ(g->ColWidths(3), 84);
}

TEST_F(GridFixture, SizingDragShowsALineAndAppliesOnlyWidthsAboveOne) {
  g->SetOptions(g->Options() + goColSizing + goRowSizing);
  h.MouseDown(g, TPoint{128, 10});
  ASSERT_EQ(g->GridState(), gsColSizing);
  EXPECT_EQ(g->Overlay().size(), 1u) << "the sizing line";
  h.MouseMove(g, {149, 10}, {ssLeft});
  ASSERT_EQ(g->Overlay().size(), 1u) << "moved, not added";
  EXPECT_EQ(g->Overlay()[0].a.X, 150);
  h.MouseUp(g, TPoint{149, 10});
  EXPECT_EQ(g->GridState(), gsNormal);
  EXPECT_TRUE(g->Overlay().empty());
  EXPECT_EQ(g->ColWidths(1), 85);
  EXPECT_EQ(g->designerNotes, 1);
  // Dragged onto the column's own start: the width stays.
  h.MouseDown(g, TPoint{150, 10});
  h.MouseMove(g, {66, 10}, {ssLeft});
  h.MouseUp(g, TPoint{66, 10});
  EXPECT_EQ(g->ColWidths(1), 85);
  // Rows size the same way from the fixed column.
  h.MouseDown(g, TPoint{10, 49});
  ASSERT_EQ(g->GridState(), gsRowSizing);
  h.MouseMove(g, {10, 59}, {ssLeft});
  h.MouseUp(g, TPoint{10, 59});
  EXPECT_EQ(g->RowHeights(1), 34);
  // Cancel mode ends a drag without a change.
  h.MouseDown(g, TPoint{150, 10});
  h.MouseMove(g, {200, 10}, {ssLeft});
  g->Perform(WM_CANCELMODE);
  EXPECT_EQ(g->GridState(), gsNormal);
  EXPECT_TRUE(g->Overlay().empty());
  EXPECT_EQ(g->ColWidths(1), 85);
}

// Right to left the same drags run mirrored: the columns' lines stand at
// 399 - x, the indicator column (row sizing) at the right.
TEST_F(GridFixture, MirroredSizingDrags) {
  g->SetBiDiMode(bdRightToLeft);
  g->SetOptions(g->Options() + goColSizing + goRowSizing);
  const int w = g->ClientWidth();
  auto m = [&](int x) { return w - 1 - x; };
  h.MouseDown(g, TPoint{m(128), 10});
  ASSERT_EQ(g->GridState(), gsColSizing);
  h.MouseMove(g, {m(149), 10}, {ssLeft});
  ASSERT_EQ(g->Overlay().size(), 1u);
  EXPECT_EQ(g->Overlay()[0].a.X, m(150)) << "the line follows the mouse on the window";
  h.MouseUp(g, TPoint{m(149), 10});
  EXPECT_EQ(g->ColWidths(1), 85);
  EXPECT_TRUE(g->Overlay().empty());
  h.MouseDown(g, TPoint{m(10), 49});
  ASSERT_EQ(g->GridState(), gsRowSizing);
  h.MouseMove(g, {m(10), 59}, {ssLeft});
  h.MouseUp(g, TPoint{m(10), 59});
  EXPECT_EQ(g->RowHeights(1), 34);
  EXPECT_TRUE(g->IsOverSizingLine(m(150), 10)) << "column 1 now ends at 150";
  EXPECT_FALSE(g->IsOverSizingLine(150, 10));
}

TEST_F(GridFixture, SizingZoneShowsTheSplitCursor) {
  g->SetOptions(g->Options() + goColSizing);
  EXPECT_TRUE(g->IsOverSizingLine(129, 10));
  EXPECT_FALSE(g->IsOverSizingLine(100, 10));
  h.MouseMove(g, {129, 10});
  EXPECT_EQ(g->Widget()->cursor().shape(), Qt::SplitHCursor);
  h.MouseMove(g, {100, 10});
  EXPECT_NE(g->Widget()->cursor().shape(), Qt::SplitHCursor);
}

// --- moving ---------------------------------------------------------------------------

class GridMove : public GridFixture {
 protected:
  GridMove() {
    g->SetOptions(g->Options() + goColMoving + goRowMoving);
    // Marked widths and heights show where a line went.
    g->SetColWidths(1, 41);
    g->SetRowHeights(2, 31);
  }
  TGridMoveLineEx* Marker() { return ExistingGridMoveLine(); }
};

TEST_F(GridMove, ColumnOneToFourByItsTitle) {
  const TPoint title1{CentreOf(1, 0)};
  const TPoint title4{CentreOf(4, 0)};
  cursor = title1;
  h.MouseDown(g, title1);
  ASSERT_EQ(g->GridState(), gsColMoving);
  ASSERT_NE(Marker(), nullptr);
  EXPECT_TRUE(Marker()->Visible());
  EXPECT_TRUE(Marker()->IsVert());
  cursor = title4;
  h.MouseMove(g, title4, {ssLeft});
  h.Advance(60 * 3);
  EXPECT_EQ(g->MovePos(), 4);
  EXPECT_TRUE(g->MovePosRightSite());
  // The marker stands at the right edge of the target, 3 pixels left of its arrow's centre.
  const TRect r4 = g->CellBounds(4, 0);
  EXPECT_EQ(Marker()->Left(), g->ClientToScreen({r4.Right, 0}).X - 3);
  h.MouseUp(g, title4);
  EXPECT_EQ(g->GridState(), gsNormal);
  EXPECT_FALSE(Marker()->Visible());
  EXPECT_EQ(g->ColWidths(4), 41);
  EXPECT_EQ(g->ColWidths(1), 64);
  EXPECT_EQ(g->designerNotes, 1);
}

TEST_F(GridMove, DropSidesDecideTheLandingColumn) {
  // Moved right in one jump, the marker stays on the target's left side:
  // the column lands just before the target.
  h.MouseDown(g, CentreOf(1, 0));
  cursor = CentreOf(4, 3);
  h.MouseMove(g, CentreOf(4, 3), {ssLeft});
  EXPECT_FALSE(g->MovePosRightSite());
  h.MouseUp(g, CentreOf(4, 3));
  EXPECT_EQ(g->ColWidths(3), 41);
  // Moved left and dropped on the left half: the column lands before the target.
  cursor = CentreOf(3, 0);
  h.MouseDown(g, CentreOf(3, 0));
  const TRect r2 = g->CellBounds(2, 3);
  cursor = {r2.Left + 5, r2.Top + 5};
  h.MouseMove(g, cursor, {ssLeft});
  h.Advance(120);
  h.MouseUp(g, cursor);
  EXPECT_EQ(g->ColWidths(2), 41);
  EXPECT_EQ(g->ColWidths(3), 64);
}

TEST_F(GridMove, RowMoveDrawsAThickLineAndShiftsTheRow) {
  const TPoint fixed2{10, CentreOf(1, 2).Y};
  cursor = fixed2;
  h.MouseDown(g, fixed2);
  ASSERT_EQ(g->GridState(), gsRowMoving);
  ASSERT_EQ(g->Overlay().size(), 1u);
  EXPECT_EQ(g->Overlay()[0].width, 5);
  const TPoint to{CentreOf(1, 5)};
  cursor = to;
  h.MouseMove(g, to, {ssLeft});
  EXPECT_EQ(g->MovePos(), 5);
  ASSERT_EQ(g->Overlay().size(), 1u);
  EXPECT_EQ(g->Overlay()[0].a.Y, g->CellBounds(1, 5).Bottom) << "below the target when moving down";
  h.MouseUp(g, to);
  EXPECT_TRUE(g->Overlay().empty());
  EXPECT_EQ(g->RowHeights(5), 31);
  EXPECT_EQ(g->RowHeights(2), 24);
}

TEST_F(GridMove, CancelModeEndsAMoveWithoutMoving) {
  h.MouseDown(g, CentreOf(1, 0));
  cursor = CentreOf(5, 3);
  h.MouseMove(g, cursor, {ssLeft});
  g->Perform(CM_CANCELMODE);
  EXPECT_EQ(g->GridState(), gsNormal);
  EXPECT_FALSE(Marker()->Visible());
  h.MouseUp(g, cursor);
  EXPECT_EQ(g->ColWidths(1), 41);
  const int pos = g->MovePos();
  h.Advance(600);
  EXPECT_EQ(g->MovePos(), pos) << "the timer stopped";
}

TEST_F(GridMove, OneMarkerServesEveryGrid) {
  auto* second = new TTestGrid(form);
  second->SetParent(form);
  second->SetBounds(0, 0, 300, 200);
  second->SetOptions(second->Options() + goColMoving);
  h.MouseDown(g, CentreOf(1, 0));
  TGridMoveLineEx* first = Marker();
  h.MouseUp(g, CentreOf(1, 0));
  h.MouseDown(second, TPoint{100, 10});
  ASSERT_EQ(second->GridState(), gsColMoving);
  EXPECT_EQ(Marker(), first);
  EXPECT_EQ(SharedGridMoveLine(), first);
  EXPECT_TRUE(first->Visible());
  // The red stem between the arrowheads, the key colour beside it.
  TGridDrawMetricsEx si;
  second->FillDrawInfo(si);
  EXPECT_EQ(first->Height(), si.RowAxis.PaintEnd - si.RowAxis.StartIndent + 8);
  EXPECT_EQ(h.PixelAt(first, 3, first->Height() / 2), clRed);
  EXPECT_EQ(h.PixelAt(first, 3, 0), clRed);
  EXPECT_EQ(h.PixelAt(first, 0, first->Height() / 2), clWhite);
  h.SaveScreenshot(first, "grid_move_marker");
  h.MouseUp(second, TPoint{100, 10});
  // The marker's parts: the vertical form shows, the horizontal one waits.
  EXPECT_TRUE(first->Part("sLine")->Visible());
  EXPECT_FALSE(first->Part("hLine")->Visible());
  EXPECT_EQ(first->Width(), 7);
}

TEST_F(GridMove, AutoScrollPeriodStaysBetween60And360) {
  g->SetColCount(40);
  h.MouseDown(g, CentreOf(2, 0));
  ASSERT_EQ(g->GridState(), gsColMoving);
  const TGridDrawMetricsEx i = Info();
  struct Case {
    int x;
    unsigned low, high;
  };
  const int edge = i.ColAxis.DataAreaEnd;
  const std::vector<Case> cases = {
      {edge + 11, 300, 360},        // just beyond the edge: slow
      {edge + 400, 60, 62},         // far beyond it: about every 61 ms
      {i.ColAxis.FixedEnd - 2, 60, 360},
      {-100000, 60, 62},            // far off the screen: still a live timer
  };
  for (const auto& c : cases) {
    cursor = {c.x, 10};
    h.Advance(g->MoveTimerPeriod());
    EXPECT_GE(g->MoveTimerPeriod(), c.low) << c.x;
    EXPECT_LE(g->MoveTimerPeriod(), c.high) << c.x;
  }
  // A window placed left of the screen puts the fixed boundary at a negative
  // screen coordinate; the period stays a live one.
  form->SetLeft(-3000);
  h.ProcessEvents();
  cursor = {i.ColAxis.FixedEnd - 5, 10};
  h.Advance(g->MoveTimerPeriod());
  EXPECT_GE(g->MoveTimerPeriod(), 60u);
  EXPECT_LE(g->MoveTimerPeriod(), 360u);
  h.MouseUp(g, CentreOf(2, 0));
}

// Right to left the same moves run mirrored: the marker stands on the grid
// line beside the target, now on the window's other side of it.
TEST_F(GridMove, MirroredColumnMovesPlaceTheMarkerOnTheMirroredLine) {
  g->SetBiDiMode(bdRightToLeft);
  h.ProcessEvents();
  auto markerAt = [&](int ClientX) { return g->ClientToScreen({ClientX, 0}).X - 3; };
  // Moved toward the later columns (leftwards on the window): right side,
  // the marker at the target's left edge.
  cursor = CentreOf(1, 0);
  h.MouseDown(g, cursor);
  ASSERT_EQ(g->GridState(), gsColMoving);
  cursor = CentreOf(4, 0);
  h.MouseMove(g, cursor, {ssLeft});
  h.Advance(60 * 3);
  EXPECT_EQ(g->MovePos(), 4);
  EXPECT_TRUE(g->MovePosRightSite());
  const TRect r4 = g->CellBounds(4, 0);
  EXPECT_EQ(Marker()->Left(), markerAt(r4.Left - 1));
  h.MouseUp(g, cursor);
  EXPECT_EQ(g->ColWidths(4), 41);
  // Moved back onto column 2, on the half nearer the fixed columns (its
  // right half on the window): it lands before column 2, the marker at its right edge.
  cursor = CentreOf(4, 0);
  h.MouseDown(g, cursor);
  const TRect r2 = g->CellBounds(2, 3);
  cursor = {r2.Right - 5, r2.Top + 5};
  h.MouseMove(g, cursor, {ssLeft});
  EXPECT_EQ(g->MovePos(), 2);
  EXPECT_FALSE(g->MovePosRightSite());
  EXPECT_EQ(Marker()->Left(), markerAt(r2.Right));
  h.MouseUp(g, cursor);
  EXPECT_EQ(g->ColWidths(2), 41);
  EXPECT_EQ(g->ColWidths(4), 64);
}

// Mirrored, the data ends at the window's left: a cursor beyond it scrolls
// on to the later columns, a cursor over the fixed columns (at the right)
// scrolls back, with the same periods as left to right.
TEST_F(GridMove, MirroredAutoScroll) {
  g->SetBiDiMode(bdRightToLeft);
  g->SetColCount(40);
  form->SetLeft(300);  // room on the screen left of the grid
  h.ProcessEvents();
  const int w = g->ClientWidth();
  auto m = [&](int x) { return w - 1 - x; };
  h.MouseDown(g, CentreOf(2, 0));
  ASSERT_EQ(g->GridState(), gsColMoving);
  const TGridDrawMetricsEx i = Info();
  const int edge = i.ColAxis.DataAreaEnd;
  struct Case {
    int x;  // the grid's own x; the cursor stands at its mirror
    unsigned low, high;
    int leftColChange;  // sign after three periods
  };
  const std::vector<Case> cases = {
      {edge + 11, 300, 360, 1},  // just beyond the data's end: slow
      {edge + 400, 60, 62, 1},   // far beyond it: about every 61 ms
      {i.ColAxis.FixedEnd - 2, 60, 360, -1},
  };
  for (const auto& c : cases) {
    cursor = {m(c.x), 10};
    const int before = g->LeftCol();
    for (int k = 0; k < 3; ++k) h.Advance(g->MoveTimerPeriod());
    EXPECT_GE(g->MoveTimerPeriod(), c.low) << c.x;
    EXPECT_LE(g->MoveTimerPeriod(), c.high) << c.x;
    EXPECT_EQ(c.leftColChange > 0, g->LeftCol() > before) << c.x << ": " << before << " -> " << g->LeftCol();
    EXPECT_EQ(c.leftColChange < 0, g->LeftCol() < before) << c.x << ": " << before << " -> " << g->LeftCol();
  }
  h.MouseUp(g, cursor);
}

// --- overridable operations -------------------------------------------------------------

// A derived grid sees the base grid's own calls of these operations.
class TCountingGrid : public TTestGrid {
 public:
  using TTestGrid::TTestGrid;
  std::map<std::string, int> calls;
  void PaintClient() override {
    ++calls["PaintClient"];
    TTestGrid::PaintClient();
  }
  void TimedAnchorStep(unsigned Flags) override {
    ++calls["TimedAnchorStep"];
    TTestGrid::TimedAnchorStep(Flags);
  }
  void AbortGridState() override {
    ++calls["AbortGridState"];
    TTestGrid::AbortGridState();
  }

 protected:
  void CommitEditorText() override {
    ++calls["CommitEditorText"];
    TTestGrid::CommitEditorText();
  }
  void DrawSizingLine(const TGridDrawMetricsEx& Info) override {
    ++calls["DrawSizingLine"];
    TTestGrid::DrawSizingLine(Info);
  }
  void HideMoveMarker() override {
    ++calls["HideMoveMarker"];
    TTestGrid::HideMoveMarker();
  }
};

TEST(GridOverrides, BaseGridCallsReachTheDerivedGrid) {
  uitest::Harness h;
  TForm* form = h.MakeForm<TForm>();
  form->SetBounds(0, 0, 460, 360);
  auto* g = new TCountingGrid(form);
  g->SetParent(form);
  g->SetBounds(0, 0, 400, 300);
  g->SetColCount(10);
  g->SetRowCount(100);
  g->SetOptions(g->Options() + goColSizing + goColMoving + goEditing);
  TPoint cursor;
  g->FCursorPos = [&] { return g->ClientToScreen(cursor); };
  h.Show(form);
  g->SetFocus();
  h.ProcessEvents();
  EXPECT_GT(g->calls["PaintClient"], 0);
  // Sizing draws its line; cancel mode aborts the drag and erases the line.
  h.MouseDown(g, TPoint{128, 10});
  ASSERT_EQ(g->GridState(), gsColSizing);
  g->Perform(WM_CANCELMODE);
  EXPECT_EQ(g->calls["DrawSizingLine"], 2);
  EXPECT_EQ(g->calls["AbortGridState"], 1);
  h.MouseUp(g, TPoint{128, 10});
  // A column move ends by hiding the marker.
  const TRect title1 = g->CellBounds(1, 0);
  cursor = {title1.Left + 20, 10};
  h.MouseDown(g, cursor);
  ASSERT_EQ(g->GridState(), gsColMoving);
  h.MouseUp(g, cursor);
  EXPECT_GE(g->calls["HideMoveMarker"], 1);
  // Leaving the editor hands its text back.
  h.Key(g, VK_F2);
  h.Key(g->InplaceEditor(), VK_RETURN);
  EXPECT_GE(g->calls["CommitEditorText"], 1);
  // Drag selection past the last row steps the anchor on the timer.
  g->SetOptions(g->Options() - goEditing);
  const TRect c22 = g->CellBounds(2, 2);
  h.MouseDown(g, TPoint{c22.Left + 5, c22.Top + 5});
  ASSERT_EQ(g->GridState(), gsSelecting);
  TGridDrawMetricsEx i;
  g->FillDrawInfo(i);
  cursor = {c22.Left + 5, i.RowAxis.LastWholeCellEnd + 3};
  h.Advance(60 * 3);
  EXPECT_GE(g->calls["TimedAnchorStep"], 2);
  h.MouseUp(g, cursor);
}

TEST(GridMessages, GripNoticeAndDeferredLayoutDiffer) {
  const std::uint32_t popupMessages[] = {WM_SIZEGRIPCHANGEPOSITION, WM_POPUPCLOSEUP, WM_POPUPCLOSEDUP_NOTIFY};
  for (std::uint32_t m : popupMessages) EXPECT_NE(m, WM_GRIDDEFERREDLAYOUT);
  EXPECT_EQ(WM_SIZEGRIPCHANGEPOSITION, 1124u);
}

// The header's check over the table holds, and it would catch two messages
// sharing a number wherever they sit.
TEST(GridMessages, DistinctnessCheckCatchesASharedNumber) {
  static_assert(MessageNumbersDistinct(std::begin(kGridPrivateMessages), std::end(kGridPrivateMessages)));
  constexpr std::uint32_t adjacent[] = {1, 2, 2, 3};
  constexpr std::uint32_t apart[] = {7, 1, 2, 7};
  constexpr std::uint32_t unique[] = {1, 2, 3, 4};
  static_assert(!MessageNumbersDistinct(std::begin(adjacent), std::end(adjacent)));
  static_assert(!MessageNumbersDistinct(std::begin(apart), std::end(apart)));
  static_assert(MessageNumbersDistinct(std::begin(unique), std::end(unique)));
}

}  // namespace
