// The base grid's object model: extent arrays, counts, refused setters and
// line moves.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "tests/platform/ui/harness.h"
#include "tests/grid/foundation/test_grid.h"

namespace {

using namespace grid;
using gridtest::TTestGrid;

struct ResizeCase {
  TIntegerArray before;
  int index, amount, def;
  TIntegerArray after;              // expected when no error
  std::optional<std::string> error;  // expected refusal
};

TEST(GridExtentArray, ResizeTable) {
  const std::vector<ResizeCase> cases = {
      {{}, 0, 0, 7, {}, {}},                                   // nothing to do
      {{}, 0, 3, 7, {3, 7, 7, 7}, {}},                         // empty grows with defaults
      {{3, 1, 2, 3}, 3, 2, 9, {5, 1, 2, 3, 9, 9}, {}},         // append at the end
      {{3, 1, 2, 3}, 1, 1, 9, {4, 1, 9, 2, 3}, {}},            // insert inside
      {{3, 1, 2, 3}, 1, -1, 9, {2, 1, 3}, {}},                 // delete inside
      {{3, 1, 2, 3}, 0, -3, 9, {}, {}},                        // delete everything
      {{3, 1, 2, 3}, 4, 1, 9, {}, "Grid index out of range"},  // index beyond the count
      {{3, 1, 2, 3}, -1, 1, 9, {}, "Grid index out of range"},
      {{3, 1, 2, 3}, 0, -4, 9, {}, "Too many rows or columns deleted"},
      {{}, 0, 134217726, 9, {}, "Grid too large for operation"},
  };
  for (const auto& c : cases) {
    TIntegerArray a = c.before;
    if (c.error) {
      try {
        ResizeExtentArray(a, c.index, c.amount, c.def);
        ADD_FAILURE() << "no error for index " << c.index << " amount " << c.amount;
      } catch (const EInvalidGridOperationEx& e) {
        EXPECT_EQ(e.what(), *c.error);
        EXPECT_EQ(a, c.before) << "a refused resize keeps the array";
      }
    } else {
      ResizeExtentArray(a, c.index, c.amount, c.def);
      EXPECT_EQ(a, c.after) << "index " << c.index << " amount " << c.amount;
    }
  }
}

TEST(GridExtentArray, MoveEntryShiftsTheOnesBetween) {
  TIntegerArray a{5, 10, 11, 12, 13, 14};
  MoveExtentEntry(a, 1, 4);
  EXPECT_EQ(a, (TIntegerArray{5, 10, 12, 13, 14, 11}));
  MoveExtentEntry(a, 4, 1);
  EXPECT_EQ(a, (TIntegerArray{5, 10, 11, 12, 13, 14}));
  TIntegerArray empty;
  MoveExtentEntry(empty, 0, 3);
  EXPECT_TRUE(empty.empty());
}

class GridModel : public ::testing::Test {
 protected:
  uitest::Harness h;
  std::unique_ptr<TTestGrid> g = std::make_unique<TTestGrid>(nullptr);
};

TEST_F(GridModel, ConstructedDefaults) {
  EXPECT_EQ(g->ColCount(), 5);
  EXPECT_EQ(g->RowCount(), 5);
  EXPECT_EQ(g->Width(), 320);
  EXPECT_EQ(g->Height(), 120);
  EXPECT_EQ(g->Current(), (TGridCoord{1, 1}));
  EXPECT_EQ(g->TopLeft(), (TGridCoord{1, 1}));
  EXPECT_TRUE(g->TabStop());
  EXPECT_EQ(g->Color(), ui::clWindow);
}

TEST_F(GridModel, ExtentsDefaultUntilFirstWrite) {
  EXPECT_EQ(g->ColWidths(3), 64);
  EXPECT_EQ(g->ColWidths(1000), 64);
  EXPECT_TRUE(g->ColWidthsArray().empty());
  g->SetContraColCount(2);
  g->SetColWidths(2, 30);
  ASSERT_EQ(g->ColWidthsArray().size(), 8u);
  EXPECT_EQ(g->ColWidthsArray()[0], g->FullColCount());
  EXPECT_EQ(g->ColWidths(2), 30);
  EXPECT_EQ(g->ColWidths(6), 64);
  // A negative index reads the default, never memory before the array.
  EXPECT_EQ(g->ColWidths(-1), 64);
  EXPECT_EQ(g->ColWidths(-5), 64);
  g->SetRowHeights(0, 40);
  EXPECT_EQ(g->RowHeights(-1), 24);
  EXPECT_THROW(g->SetColWidths(7, 10), EInvalidGridOperationEx);
  EXPECT_THROW(g->SetColWidths(-1, 10), EInvalidGridOperationEx);
  EXPECT_TRUE(g->TabStops(3));
  g->SetTabStops(3, false);
  EXPECT_FALSE(g->TabStops(3));
}

TEST_F(GridModel, MillionDefaultRowsAllocateNothing) {
  g->SetRowCount(1000000);
  EXPECT_TRUE(g->RowHeightsArray().empty());
  EXPECT_EQ(g->RowHeights(999999), 24);
  EXPECT_EQ(g->GridDataSize().cy, 999999 * 25);
}

TEST_F(GridModel, CountsAndFixedLines) {
  g->SetColCount(0);
  EXPECT_EQ(g->ColCount(), 1);
  EXPECT_EQ(g->FixedCols(), 0);
  g->SetColCount(6);
  g->SetFixedCols(2);
  g->SetFrozenColCount(5);
  EXPECT_EQ(g->FrozenColCount(), 2) << "frozen columns are clamped to the fixed ones";
  g->SetFrozenRowCount(-3);
  EXPECT_EQ(g->FrozenRowCount(), 0);
}

TEST_F(GridModel, RefusedSettersKeepState) {
  struct Case {
    std::function<void()> call;
    const char* message;
  };
  const std::vector<Case> cases = {
      {[&] { g->SetFixedCols(5); }, "Fixed column count must be less than column count"},
      {[&] { g->SetFixedRows(7); }, "Fixed row count must be less than row count"},
      {[&] { g->SetFixedCols(-1); }, "Grid index out of range"},
      {[&] { g->SetContraColCount(-1); }, "FContraColCount can not be negative."},
      {[&] { g->SetContraRowCount(-2); }, "FContraRowCount can not be negative."},
      {[&] { g->SetRowHeights(5, 3); }, "Grid index out of range"},
  };
  for (const auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const EInvalidGridOperationEx& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(g->ColCount(), 5);
    EXPECT_EQ(g->RowCount(), 5);
    EXPECT_EQ(g->FixedCols(), 1);
    EXPECT_EQ(g->FixedRows(), 1);
    EXPECT_EQ(g->ContraColCount(), 0);
    EXPECT_EQ(g->ContraRowCount(), 0);
  }
}

TEST_F(GridModel, FailedSizeChangeRestoresAndReports) {
  g->SetRowHeights(2, 50);  // an override array makes the resize allocate
  g->SetRow(3);
  EXPECT_THROW(g->SetRowCount(134217726), EInvalidGridOperationEx);
  EXPECT_EQ(g->RowCount(), 5);
  EXPECT_EQ(g->RowHeightsArray()[0], 5);
  EXPECT_EQ(g->RowHeights(2), 50);
  EXPECT_EQ(g->Row(), 3);
  // A contra-count change that cannot resize is reported, not swallowed.
  EXPECT_THROW(g->SetContraRowCount(134217726), EInvalidGridOperationEx);
  EXPECT_EQ(g->ContraRowCount(), 0);
  EXPECT_EQ(g->RowHeightsArray()[0], 5);
}

TEST_F(GridModel, DefaultRowHeightAlwaysEmptiesOverrides) {
  g->SetRowHeights(1, 40);
  g->SetDefaultRowHeight(24);
  EXPECT_TRUE(g->RowHeightsArray().empty());
  EXPECT_EQ(g->RowHeights(1), 24);
}

TEST_F(GridModel, MovingColumnOneToFour) {
  g->SetColWidths(1, 11);
  g->SetColWidths(4, 44);
  g->SetCol(3);
  g->ShiftColumn(1, 4);
  EXPECT_EQ(g->Col(), 2);
  EXPECT_EQ(g->ColWidths(4), 11);
  EXPECT_EQ(g->ColWidths(3), 44);
  g->SetCol(1);
  g->ShiftColumn(1, 4);
  EXPECT_EQ(g->Col(), 4);
}

TEST_F(GridModel, ContraLinesCountChangeMovesCurrentRow) {
  g->SetRowCount(10);
  g->SetContraRowCount(2);
  g->SetRow(8);
  g->SetRowCount(6);  // rows 6..9 removed, the current one among them
  EXPECT_EQ(g->RowCount(), 6);
  EXPECT_EQ(g->Row(), 5);
  g->SetRowHeights(7, 33);  // a contra row
  g->SetRowCount(8);
  EXPECT_EQ(g->RowHeights(9), 33) << "contra rows keep their extents when rows are added";
}

TEST_F(GridModel, RemoveRowAndColumn) {
  g->SetRow(4);
  g->RemoveRow(4);
  EXPECT_EQ(g->RowCount(), 4);
  EXPECT_EQ(g->Row(), 3);
  g->SetColWidths(2, 20);
  g->RemoveColumn(2);
  EXPECT_EQ(g->ColCount(), 4);
  EXPECT_EQ(g->ColWidths(2), 64);
}

TEST_F(GridModel, StoredExtentsCompareWithAncestor) {
  TTestGrid ancestor(nullptr);
  EXPECT_FALSE(g->ColWidthsStored(nullptr));
  g->SetColWidths(1, 30);
  EXPECT_TRUE(g->ColWidthsStored(nullptr));
  EXPECT_TRUE(g->ColWidthsStored(&ancestor));
  ancestor.SetColWidths(1, 30);
  EXPECT_FALSE(g->ColWidthsStored(&ancestor));
  g->SetContraColCount(1);
  EXPECT_EQ(g->WriteColWidths(), (std::vector<std::int32_t>{64, 30, 64, 64, 64})) << "contra lines are not written";
  TTestGrid reader(nullptr);
  reader.ReadColWidths(g->WriteColWidths());
  EXPECT_EQ(reader.ColWidths(1), 30);
  g->SetSaveCellExtents(false);
  EXPECT_FALSE(g->ColWidthsStored(nullptr));
}

}  // namespace
