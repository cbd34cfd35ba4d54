// The grid's selection: column ranges made with Shift and Ctrl, rectangles
// of cells, the record list, and the rectangles repainted when a selection
// changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;
using ui::TRect;

struct SixColumns : gridtest::ShownNumberedGrid {
  int changes = 0;

  void Prepare() override {
    gridtest::OpenNumbered(ds, src, {u"A", u"B", u"C", u"D", u"E", u"F"}, 5);
    grid->SetOptions(grid->Options() + dgMultiSelect);
    grid->SetDataSource(&src);
    grid->OnSelectionChanged = [this](ui::TObject*) { ++changes; };
  }
  TColumnEx* Col(int I) { return grid->Columns()->ColumnAt(I); }
  TDBGridExSelectionCols* Cols() { return grid->Selection()->Columns(); }
  // The selected column indexes as a string, "" for none.
  std::string Listed() {
    std::string s;
    for (int i = 0; i < Cols()->Count(); ++i) s += static_cast<char>('0' + Cols()->Items(i)->Index());
    return s;
  }
};

// Each step: 'p' plain click, 's' Shift+click, 'c' Ctrl+click on a column.
struct Step {
  char kind;
  int col;
};
struct ColumnCase {
  const char* name;
  std::vector<Step> steps;
  const char* listed;
  TDBGridExSelectionType type;
};

TEST_F(SixColumns, ShiftRangesGrowShrinkAndUndoOnlyWhatTheyChanged) {
  const ColumnCase cases[] = {
      {"right, then back past the anchor", {{'p', 2}, {'s', 4}, {'s', 0}}, "012", gstColumns},
      {"left, then back past the anchor", {{'p', 3}, {'s', 1}, {'s', 5}}, "345", gstColumns},
      {"shrinking keeps a column selected before the range",
       {{'p', 4}, {'c', 1}, {'s', 5}, {'s', 2}},
       "124",
       gstColumns},
      {"anchor Ctrl-clicked off removes the range",
       {{'p', 1}, {'s', 4}, {'c', 2}, {'s', 4}},
       "1",
       gstColumns},
      {"Ctrl twice on one column leaves nothing", {{'c', 3}, {'c', 3}}, "", gstNon},
      {"plain click replaces the list", {{'p', 1}, {'s', 3}, {'p', 5}}, "5", gstColumns},
  };
  for (const ColumnCase& c : cases) {
    grid->ClearSelection();
    for (const Step& s : c.steps) {
      if (s.kind == 'p') Cols()->Select(Col(s.col), false);
      if (s.kind == 's') Cols()->SelectShift(Col(s.col));
      if (s.kind == 'c') Cols()->InvertSelect(Col(s.col));
    }
    EXPECT_EQ(Listed(), c.listed) << c.name;
    EXPECT_EQ(grid->Selection()->SelectionType(), c.type) << c.name;
  }
}

TEST_F(SixColumns, ShiftRangesSkipInvisibleColumns) {
  Col(2)->SetVisible(false);
  Cols()->Select(Col(0), false);
  Cols()->SelectShift(Col(4));
  EXPECT_EQ(Listed(), "0134");
}

TEST_F(SixColumns, ColumnSelectionAnswersCellsAndItsGridRectangle) {
  EXPECT_EQ(Cols()->SelectionToGridRect(),
            (TRect{grid->DataColToGridCol(-1), 0, grid->DataColToGridCol(-1), grid->RowCount()}));
  Cols()->Select(Col(3), false);
  Cols()->SelectShift(Col(1));
  EXPECT_EQ(grid->Selection()->SelectionToGridRect(), (TRect{2, 0, 4, grid->RowCount()}));
  EXPECT_TRUE(grid->Selection()->DataCellSelected(2, ds.GetBookmark()));
  EXPECT_FALSE(grid->Selection()->DataCellSelected(4, ds.GetBookmark()));
  EXPECT_FALSE(grid->Selection()->DataCellSelected(-1, ds.GetBookmark()));
  EXPECT_GT(changes, 0);
}

TEST_F(SixColumns, ARectangleOfOneCellIsNoSelection) {
  TDBGridExSelectionRect* rect = grid->Selection()->Rect();
  const db::TBookmark first = ds.GetBookmark();
  rect->Select(1, first, false);
  rect->Select(1, first, false);
  EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);

  ds.MoveBy(2);
  const db::TBookmark third = ds.GetBookmark();
  rect->Select(3, third, true);
  EXPECT_EQ(grid->Selection()->SelectionType(), gstRectangle);
  EXPECT_EQ(rect->LeftCol(), 1);
  EXPECT_EQ(rect->RightCol(), 3);
  EXPECT_EQ(rect->TopRow(), first);
  EXPECT_EQ(rect->BottomRow(), third);
  ds.Prior();
  EXPECT_TRUE(grid->Selection()->DataCellSelected(2, ds.GetBookmark()));
  EXPECT_FALSE(grid->Selection()->DataCellSelected(4, ds.GetBookmark()));
  const int top = grid->TopDataOffset();
  EXPECT_EQ(grid->Selection()->SelectionToGridRect(), (TRect{2, top, 4, top + 2}));
  // Back to the anchor cell: a single cell again.
  rect->Select(1, first, true);
  EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
}

TEST_F(SixColumns, AnInactiveLinkMakesTheRectangleRefuse) {
  grid->Selection()->Rect()->Select(0, ds.GetBookmark(), false);
  ds.Close();
  try {
    (void)grid->Selection()->Rect()->BottomRow();
    FAIL() << "no error";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), u"Error in TDBGridExSelectionRect.GetBottomRow");
  }
  EXPECT_THROW((void)grid->Selection()->Rect()->DataCellSelected(0, {}), rtl::Exception);
}

TEST_F(SixColumns, RecordListFollowsItsBookmarks) {
  TBookmarkListEx* rows = grid->Bookmarks();
  Cols()->Select(Col(1), false);
  rows->SetCurrentRowSelected(true);
  // Adding a record replaces a selection of another shape.
  EXPECT_EQ(grid->Selection()->SelectionType(), gstRecordBookmarks);
  EXPECT_EQ(Cols()->Count(), 0);
  ds.Next();
  rows->SetCurrentRowSelected(true);
  const int top = grid->TopDataOffset();
  EXPECT_EQ(grid->Selection()->SelectionToGridRect(), (TRect{0, top, grid->ColCount() - 1, top + 1}));
  rows->SetCurrentRowSelected(false);
  ds.Prior();
  rows->SetCurrentRowSelected(false);
  EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
}

TEST_F(SixColumns, SelectAllAndClosingTheDataset) {
  grid->Selection()->SelectAll();
  EXPECT_EQ(grid->Selection()->SelectionType(), gstAll);
  EXPECT_TRUE(grid->Selection()->DataCellSelected(5, {}));
  grid->Bookmarks()->SetCurrentRowSelected(true);
  EXPECT_EQ(grid->Selection()->SelectionType(), gstRecordBookmarks);
  ds.Close();
  EXPECT_EQ(grid->Bookmarks()->Count(), 0);
  EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
}

// Whether a point lies in what the rectangles cover.
bool Covered(const std::vector<TRect>& Parts, int X, int Y) {
  return std::any_of(Parts.begin(), Parts.end(), [&](const TRect& R) {
    return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
  });
}
bool Inside(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

TEST(SplitRectDifference, CoversWhatChangedAndNotWhatStayed) {
  struct Case {
    const char* name;
    TRect a, b;
  };
  const Case cases[] = {
      {"apart", {0, 0, 10, 10}, {20, 20, 30, 30}},
      {"grown downwards", {0, 0, 50, 20}, {0, 0, 50, 40}},
      {"grown right and down", {10, 10, 30, 30}, {10, 10, 60, 50}},
      {"crossing", {0, 20, 100, 40}, {40, 0, 60, 100}},
      {"shrunk inside", {0, 0, 100, 100}, {20, 20, 40, 40}},
  };
  for (const Case& c : cases) {
    const std::vector<TRect> parts = SplitRectDifference(c.a, c.b);
    EXPECT_LE(parts.size(), 4u) << c.name;
    for (int y = -5; y < 105; y += 1)
      for (int x = -5; x < 105; x += 1) {
        const bool inA = Inside(c.a, x, y), inB = Inside(c.b, x, y);
        if (inA != inB) ASSERT_TRUE(Covered(parts, x, y)) << c.name << " misses " << x << "," << y;
        if (!inA && !inB) ASSERT_FALSE(Covered(parts, x, y)) << c.name << " spills to " << x << "," << y;
      }
  }
}

}  // namespace
