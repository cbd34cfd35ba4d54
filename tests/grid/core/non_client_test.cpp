// The flat grid's border is the window's frame: a one-pixel sunken line
// round the window, with the cells starting one pixel in. A grid that is
// not flat has no frame.
#include <gtest/gtest.h>

#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "platform/ui/panels.h"
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

// The detail panel's border and bevels are its window's frame: the border
// line outside, the outer bevel, then the inner one, on the edges chosen.
struct DetailFrame : gridtest::ShownNumberedGrid {
  void Prepare() override {
    gridtest::OpenNumbered(ds, src, {u"A", u"B"}, 5);
    grid->SetDataSource(&src);
    grid->RowDetailPanel()->SetActive(true);
    grid->RowDetailPanel()->SetHeight(60);
  }
};

TEST_F(DetailFrame, BorderAndBevelsAreDrawnRoundTheClient) {
  grid::TRowDetailPanelEx* panel = grid->RowDetailPanel();
  panel->SetBevelKind(grid::bkTile);
  panel->SetBevelWidth(2);
  panel->SetVisible(true);
  h.ProcessEvents();
  grid::TRowDetailPanelControlEx* box = grid->RowDetailPanelControl();
  ASSERT_TRUE(box && box->Visible());
  // 1 border + 2 outer + 2 inner on every side.
  EXPECT_EQ(box->NonClientMargins(), (ui::TPadding{5, 5, 5, 5}));
  EXPECT_EQ(box->ClientRect().Width(), box->Width() - 10);
  const int w = box->Width(), hgt = box->Height(), y = hgt / 2, x = w / 2;
  const ui::TColor frame = ColorToRGB(ui::clWindowFrame), light = ColorToRGB(ui::clBtnHighlight),
                   dark = ColorToRGB(ui::clBtnShadow);
  // Outer lowered: dark left and top, light right and bottom; inner raised the other way round.
  struct Probe {
    int x, y;
    ui::TColor colour;
  };
  for (const Probe& p : {Probe{0, y, frame}, Probe{w - 1, y, frame}, Probe{x, 0, frame}, Probe{x, hgt - 1, frame},
                         Probe{1, y, dark}, Probe{2, y, dark}, Probe{3, y, light}, Probe{4, y, light},
                         Probe{x, 2, dark}, Probe{x, 3, light}, Probe{w - 2, y, light}, Probe{w - 4, y, dark},
                         Probe{x, hgt - 3, light}, Probe{x, hgt - 5, dark}})
    EXPECT_EQ(h.WindowPixelAt(box, p.x, p.y), p.colour) << p.x << "," << p.y;
  EXPECT_FALSE(h.SaveScreenshot(grid, "row_detail_panel_bevels").empty());

  // Without a bevel kind only the border is left; without edges the sides go too.
  panel->SetBevelEdges(grid::TBevelEdges{grid::beTop});
  h.ProcessEvents();
  EXPECT_EQ(box->NonClientMargins(), (ui::TPadding{1, 5, 1, 1}));
  panel->SetBevelKind(grid::bkNone);
  h.ProcessEvents();
  EXPECT_EQ(box->NonClientMargins(), (ui::TPadding{1, 1, 1, 1}));
  panel->SetBorderStyle(ui::bsNone);
  h.ProcessEvents();
  EXPECT_EQ(box->NonClientMargins(), ui::TPadding{});
  EXPECT_EQ(box->ClientRect().Width(), box->Width());
}

}  // namespace
