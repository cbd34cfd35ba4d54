// Selection tracking while the mouse is held outside the data area: how many
// records each step of the grid timer moves and how often it fires.
#include <gtest/gtest.h>

#include "components/extended/data/ext_memory_data.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;
using ui::TPoint;

struct TrackedGrid : gridtest::ShownNumberedGrid {
  void Prepare() override {
    gridtest::OpenNumbered(ds, src, {u"N"}, 200);
    grid->SetOptions(grid->Options() + dgRowSelect);
    grid->SetDataSource(&src);
  }
  // Presses on the first data row, then holds the mouse Distance pixels
  // below the data area.
  void HoldBelow(int Distance) {
    const int top = grid->TopDataOffset();
    const ui::TRect first = grid->CellRangeRect(1, top, 1, top);
    h.MouseDown(grid, TPoint{first.Left + 5, first.Top + 3});
    h.MouseMove(grid, {first.Left + 5, grid->DataRect().Bottom - 1 + Distance}, {ui::ssLeft});
  }
};

TEST_F(TrackedGrid, DistanceBelowTheDataSetsStepAndPeriod) {
  struct Case {
    int distance;
    int recordsPerStep;
    int periodMs;
  };
  // 10 pixels: 1 record every 50 ms; 20 pixels: 3 records, and the period
  // stays at 10 ms instead of reaching 0; within 5 pixels nothing moves.
  for (const Case& c : {Case{10, 1, 50}, Case{20, 3, 10}, Case{5, 0, 125}, Case{60, 8, 10}}) {
    ds.First();
    h.ProcessEvents();
    HoldBelow(c.distance);
    const int afterMove = RecNo();
    EXPECT_EQ(afterMove, 1 + c.recordsPerStep) << c.distance;
    EXPECT_TRUE(grid->TimerActive()) << c.distance;
    EXPECT_EQ(grid->GridTimerInterval(), c.periodMs) << c.distance;
    h.Advance(static_cast<std::uint64_t>(c.periodMs));
    h.ProcessEvents();
    EXPECT_EQ(RecNo(), afterMove + c.recordsPerStep) << c.distance;
    h.MouseUp(grid, TPoint{10, 10});
    EXPECT_FALSE(grid->TimerActive()) << c.distance;
    EXPECT_EQ(grid->GridTimerInterval(), -1) << c.distance;
  }
}

TEST_F(TrackedGrid, BackInsideTheDataStopsTheTimer) {
  HoldBelow(10);
  ASSERT_TRUE(grid->TimerActive());
  const int top = grid->TopDataOffset();
  const ui::TRect row = grid->CellRangeRect(1, top + 2, 1, top + 2);
  h.MouseMove(grid, {row.Left + 5, row.Top + 3}, {ui::ssLeft});
  EXPECT_FALSE(grid->TimerActive());
  h.MouseUp(grid, TPoint{row.Left + 5, row.Top + 3});
}

}  // namespace
