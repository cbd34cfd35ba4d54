// The flat grid's border is the window's frame: a one-pixel sunken line
// round the window, with the cells starting one pixel in. A grid that is
// not flat has no frame.
#include <gtest/gtest.h>

#include "tests/grid/core/grid_on_form.h"

namespace {

using ui::ColorToRGB;

using PlainGrid = gridtest::ShownGrid;

struct FlatGrid : gridtest::ShownGrid {
  void Prepare() override { grid->SetFlat(true); }
};

TEST_F(FlatGrid, BorderIsTheWindowsFrameAndTheCellsStartInsideIt) {
  ASSERT_EQ(grid->BorderStyle(), ui::bsSingle);
  EXPECT_EQ(grid->BorderWidth(), 1);
  EXPECT_EQ(grid->NonClientMargins(), (ui::TPadding{1, 1, 1, 1}));
  const int w = grid->Width(), hgt = grid->Height();
  EXPECT_EQ(grid->ClientRect().Bottom, hgt - 2);
  // Sunken: shadow above and left, highlight below and right.
  for (int y : {1, hgt / 2, hgt - 2}) {
    EXPECT_EQ(h.WindowPixelAt(grid, 0, y), ColorToRGB(ui::clBtnShadow)) << y;
    EXPECT_EQ(h.WindowPixelAt(grid, w - 1, y), ColorToRGB(ui::clBtnHighlight)) << y;
  }
  for (int x : {1, w / 2}) {
    EXPECT_EQ(h.WindowPixelAt(grid, x, 0), ColorToRGB(ui::clBtnShadow)) << x;
    EXPECT_EQ(h.WindowPixelAt(grid, x, hgt - 1), ColorToRGB(ui::clBtnHighlight)) << x;
  }
  EXPECT_FALSE(h.SaveScreenshot(grid, "grid_flat_border").empty());
  // The line after the indicator column: at its client position plus one.
  const ui::TRect first = grid->CellRect(1, 0);
  const int y = first.Top + first.Height() / 2;
  const ui::TColor line = h.PixelAt(grid, first.Left - 1, y);
  ASSERT_NE(line, h.PixelAt(grid, first.Left, y));
  EXPECT_EQ(h.WindowPixelAt(grid, first.Left, y + 1), line);
  EXPECT_NE(h.WindowPixelAt(grid, first.Left + 1, y + 1), line);
}

TEST_F(FlatGrid, BorderFollowsFlatAndBorderStyle) {
  grid->SetBorderStyle(ui::bsNone);
  h.ProcessEvents();
  EXPECT_EQ(grid->BorderWidth(), 0);
  EXPECT_EQ(grid->NonClientMargins(), ui::TPadding{});
  grid->SetBorderStyle(ui::bsSingle);
  EXPECT_EQ(grid->NonClientMargins(), (ui::TPadding{1, 1, 1, 1}));
  grid->SetFlat(false);
  h.ProcessEvents();
  EXPECT_EQ(grid->NonClientMargins(), ui::TPadding{});
}

TEST_F(PlainGrid, HasNoFrame) {
  ASSERT_FALSE(grid->Flat());
  EXPECT_EQ(grid->BorderWidth(), 0);
  EXPECT_EQ(grid->NonClientMargins(), ui::TPadding{});
  EXPECT_EQ(grid->ClientRect().Bottom, grid->Height());
  for (int x : {0, 5, 50}) EXPECT_EQ(h.WindowPixelAt(grid, x, 2), h.PixelAt(grid, x, 2)) << x;
}

}  // namespace
