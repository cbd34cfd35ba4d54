#include <gtest/gtest.h>

#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/foundation/grid_drag_windows.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/ui/keys.h"
#include "platform/data/data_source.h"
#include "tests/grid/core/grid_on_form.h"
#include "tests/grid/core/mem_table_data_set.h"

namespace {

// A memory table whose records form a tree: A(B, C), D.
struct TreeArea : gridtest::ShownGrid {
  gridtest::TMemTableDataSet ds;
  db::TDataSource src{nullptr};

  void Prepare() override {
    gridtest::OpenSmallTree(ds, true);
    src.SetDataSet(&ds);
    grid->SetDataSource(&src);
    grid->SetOptionsEx(grid->OptionsEx() + grid::TDBGridExOptions{grid::dghRecordMoving});
  }
  int Level(int DataRow) {
    const int old = grid->SetDrawRecord(DataRow);
    const int width = grid->GetCellTreeElmentsAreaWidth();
    grid->RestoreDrawRecord(old);
    return width / 18;
  }
  ui::TRect Cell(int DataRow) {
    return grid->CellBounds(grid->IndicatorOffset(), grid->TopDataOffset() + DataRow);
  }
};

TEST_F(TreeArea, BandsFollowTheRecordLevels) {
  EXPECT_EQ(Level(0), 1);
  EXPECT_EQ(Level(1), 2);
  EXPECT_EQ(Level(3), 1);
  EXPECT_TRUE(grid->NeedsFullRowRepaint());
}

TEST_F(TreeArea, APressOnTheOwnButtonTogglesOnlyThatNode) {
  const ui::TRect b = Cell(1);
  const int y = (b.Top + b.Bottom) / 2;
  // Right of the tree area: an ordinary cell press.
  EXPECT_FALSE(grid->TreeElementMouseDown(b.Left + 40, y, false));
  // The outer band answers but toggles nothing.
  EXPECT_TRUE(grid->TreeElementMouseDown(b.Left + 5, y, false));
  EXPECT_FALSE(ds.expanded[1]);
  EXPECT_TRUE(grid->TreeElementMouseDown(b.Left + 25, y, true));
  EXPECT_FALSE(ds.expanded[1]);
  EXPECT_TRUE(grid->TreeElementMouseDown(b.Left + 25, y, false));
  EXPECT_TRUE(ds.expanded[1]);
  EXPECT_EQ(ds.RecNo(), 1);
}

TEST_F(TreeArea, LandingLevelDeepensIn18PixelStepsUnderTheRecordAbove) {
  const ui::TRect c = Cell(2);  // C, level 2, below A(level 1) and B(level 2)
  const int row = grid->TopDataOffset() + 2;
  ASSERT_TRUE(grid->CheckStartRowMoving(2, (Cell(0).Top + Cell(0).Bottom) / 2, false));
  int level = 0;
  struct Case {
    int dx, level;
  };
  // Below the source the records land after C: the next record's level,
  // deepened by moving right, at most one below C.
  for (const Case& k : {Case{2, 1}, Case{20, 1}, Case{38, 2}, Case{56, 3}, Case{90, 3}}) {
    const int x = grid->CalcRowMoveTreeLevel(row, {c.Left + k.dx, c.Top + 2}, level);
    EXPECT_EQ(level, k.level) << k.dx;
    EXPECT_EQ(x, c.Left + 18 * k.level) << k.dx;
  }
  grid->EndRowMoving(0, 0, false);
}

TEST_F(TreeArea, DroppingOnTheOwnRowMovesNothing) {
  const ui::TRect r = Cell(1);
  const int y = (r.Top + r.Bottom) / 2;
  ASSERT_TRUE(grid->CheckStartRowMoving(2, y, false));
  EXPECT_EQ(grid->DBGridExState(), grid::dgsRowMoving);
  grid->EndRowMoving(2, y, true);
  EXPECT_EQ(grid->DBGridExState(), grid::dgsNormal);
  EXPECT_TRUE(ds.moves.empty());

  ASSERT_TRUE(grid->CheckStartRowMoving(2, y, false));
  const ui::TRect d = Cell(3);
  grid->CalcRowMoveTarget((d.Top + d.Bottom) / 2, grid->TopDataOffset() + 3, {d.Left + 2, d.Top + 2});
  EXPECT_EQ(grid->MoveRowDest(), grid->TopDataOffset() + 3);
  grid->EndRowMoving(2, d.Top + 2, true);
  ASSERT_EQ(ds.moves.size(), 1u);
  EXPECT_EQ(ds.moves[0].first, 4);
  EXPECT_EQ(ds.moves[0].second, 1);
}

TEST_F(TreeArea, RecordMovingNeedsTheOption) {
  grid->SetOptionsEx(grid->OptionsEx() - grid::TDBGridExOptions{grid::dghRecordMoving});
  EXPECT_FALSE(grid->CheckStartRowMoving(2, (Cell(0).Top + Cell(0).Bottom) / 2, false));
  EXPECT_EQ(grid->DataRowToRecNo(2), 3);
}

TEST_F(TreeArea, KeypadKeysFoldTheCurrentNodeAndTheirCharactersOpenNoEditor) {
  grid->SetFocus();
  h.ProcessEvents();
  struct Case {
    std::uint16_t key;
    bool expanded;  // A, which starts expanded
  };
  for (const Case& c : {Case{ui::VK_SUBTRACT, false}, Case{ui::VK_ADD, true}, Case{ui::VK_MULTIPLY, false},
                        Case{ui::VK_MULTIPLY, true}}) {
    h.Key(grid, c.key);
    h.ProcessEvents();
    EXPECT_EQ(ds.expanded[0], c.expanded) << c.key;
    EXPECT_EQ(ds.Fields(0)->AsString(), u"A") << c.key;
  }
  h.Type(grid, u"-");
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  EXPECT_EQ(ds.State(), db::dsBrowse);
}

TEST_F(TreeArea, EscapeCancelsRecordMovingAndTakesTheMarkerAway) {
  grid->SetFocus();
  h.ProcessEvents();
  const ui::TRect ind = grid->CellBounds(0, grid->TopDataOffset() + 1);
  ASSERT_TRUE(grid->CheckStartRowMoving(ind.Left + 2, (ind.Top + ind.Bottom) / 2, false));
  ASSERT_EQ(grid->DBGridExState(), grid::dgsRowMoving);
  ASSERT_TRUE(grid::ExistingGridMoveLine() && grid::ExistingGridMoveLine()->Visible());
  h.Key(grid, ui::VK_ESCAPE);
  h.ProcessEvents();
  EXPECT_EQ(grid->DBGridExState(), grid::dgsNormal);
  EXPECT_FALSE(grid::ExistingGridMoveLine()->Visible());
  EXPECT_TRUE(ds.moves.empty());
}

}  // namespace
