// Painting as pixel probes on the offscreen screen, and the line batches a
// paint draws.
#include <gtest/gtest.h>

#include "tests/platform/ui/harness.h"
#include "tests/grid/foundation/test_grid.h"

namespace {

using namespace grid;
using gridtest::TTestGrid;

std::uint32_t Rgb(ui::TColor c) { return ui::ColorToRGB(c); }
constexpr std::uint32_t kDark = 0x808080, kBright = 0xC0C0C0;

class GridPaint : public ::testing::Test {
 protected:
  uitest::Harness h;
  ui::TForm* form = h.MakeForm<ui::TForm>();
  TTestGrid* g = nullptr;
  GridPaint() {
    form->SetBounds(0, 0, 460, 360);
    g = new TTestGrid(form);
    g->SetParent(form);
    g->SetScrollBars(ui::ssNone);
    g->SetBounds(0, 0, 400, 300);
    g->SetColCount(10);
    g->SetRowCount(20);
  }
  ui::TColor At(int x, int y) { return h.PixelAt(g, x, y); }
};

TEST_F(GridPaint, FixedFrozenAndContraLines) {
  g->SetFixedCols(2);
  g->SetFrozenColCount(1);
  g->SetContraColCount(1);
  h.Show(form);
  // Fixed column 0: its right line in the dark colour, its face in the fixed colour.
  EXPECT_EQ(Rgb(At(64, 60)), kDark);
  EXPECT_EQ(Rgb(At(30, 60)), Rgb(ui::clBtnFace));
  // The frozen column 1 is drawn like data with a dark border against the scrollable part.
  EXPECT_EQ(Rgb(At(100, 60)), Rgb(ui::clWindow));
  EXPECT_EQ(Rgb(At(129, 60)), kDark);
  // Data lines are bright.
  EXPECT_EQ(Rgb(At(194, 60)), kBright);
  EXPECT_EQ(Rgb(At(160, 74)), kBright);
  // The contra column starts after a dark separator at ContraStart.
  EXPECT_EQ(Rgb(At(334, 60)), kDark);
  h.SaveScreenshot(g, "base_grid_fixed_frozen_contra");
}

TEST_F(GridPaint, CurrentCellAndFocusRectangle) {
  g->SetColCount(3);
  h.Show(form);
  // Without focus the current cell shows as selected.
  EXPECT_EQ(Rgb(At(90, 35)), Rgb(ui::clHighlight));
  // Beyond the last column the background is the grid colour.
  EXPECT_EQ(Rgb(At(300, 35)), Rgb(ui::clWindow));
  g->SetFocus();
  h.ProcessEvents();
  g->Repaint();
  h.ProcessEvents();
  EXPECT_EQ(Rgb(At(90, 35)), Rgb(ui::clWindow)) << "the focused current cell is not highlighted";
  EXPECT_NE(Rgb(At(65, 25)), Rgb(ui::clWindow)) << "it carries the focus rectangle";
}

TEST_F(GridPaint, LinesAreBatchedPerColour) {
  h.Show(form);
  g->batches.clear();
  g->painted.clear();
  g->Repaint();
  h.ProcessEvents();
  ASSERT_FALSE(g->batches.empty());
  // One batch per area: the data area's lines come in a single bright batch,
  // two lines per visible cell (6 columns started, 11 rows fill the height).
  std::size_t brightLines = 0, brightBatches = 0;
  for (const auto& b : g->batches)
    if (Rgb(b.color) == kBright) {
      ++brightBatches;
      brightLines += b.lines;
    }
  EXPECT_EQ(brightBatches, 1u);
  EXPECT_EQ(brightLines, 2u * 6 * 11);
  // Only the cells that are at least partly visible are painted.
  for (const auto& c : g->painted) {
    EXPECT_LE(c.col, 6);
    EXPECT_LE(c.row, 11);
  }
}

TEST_F(GridPaint, NoLineOptionsDrawNoLines) {
  g->SetOptions(g->Options() - goVertLine - goHorzLine - goFixedVertLine - goFixedHorzLine);
  h.Show(form);
  g->batches.clear();
  g->Repaint();
  h.ProcessEvents();
  EXPECT_TRUE(g->batches.empty());
  // Cells grow by no line width: the next column starts right after 64 pixels.
  EXPECT_EQ(g->CellBounds(1, 1).Left, 64);
}

TEST_F(GridPaint, MarginsAreFilledWithTheFixedColour) {
  g->SetFixedColor(ui::clRed);
  g->OutBoundaryData()->SetLeftIndent(8);
  h.Show(form);
  EXPECT_EQ(Rgb(At(3, 100)), Rgb(ui::clRed));
  EXPECT_EQ(g->MouseCoord(3, 100), (TGridCoord{-1, -1}));
}

}  // namespace
