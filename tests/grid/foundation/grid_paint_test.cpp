// Painting as pixel probes on the offscreen screen, and the line batches a
// paint draws.
#include <gtest/gtest.h>

#include <QImage>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QPixmap>
#include <QWidget>
#include <set>
#include <string>
#include <utility>

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

// A grid painted right to left is the left-to-right picture mirrored: every
// line, fixed, frozen and contra area and the margin. (Fixed cells without
// fixed lines have no raised edge, which keeps its light on the top left.)
TEST_F(GridPaint, RightToLeftIsTheMirrorImage) {
  g->SetFixedCols(2);
  g->SetFrozenColCount(1);
  g->SetContraColCount(1);
  g->SetOptions(g->Options() - goFixedVertLine - goFixedHorzLine);
  g->SetColWidths(3, 30);
  g->OutBoundaryData()->SetLeftIndent(6);
  h.Show(form);
  const QImage ltr = g->Widget()->grab().toImage();
  g->SetBiDiMode(ui::bdRightToLeft);
  g->painted.clear();
  g->Repaint();
  h.ProcessEvents();
  const QImage rtl = g->Widget()->grab().toImage();
    ASSERT_EQ(rtl.size(), ltr.size());
  const QImage flipped = ltr.mirrored(true, false);
  int differ = 0;
  for (int y = 0; y < rtl.height(); ++y)
    for (int x = 0; x < rtl.width(); ++x)
      if (rtl.pixel(x, y) != flipped.pixel(x, y) && differ++ < 8)
        ADD_FAILURE() << "pixel " << x << "," << y << " " << std::hex << rtl.pixel(x, y) << " vs " << flipped.pixel(x, y);
  EXPECT_EQ(differ, 0);
  // The cells are painted in their own left-to-right rectangles (the canvas mirrors).
  ASSERT_FALSE(g->painted.empty());
  for (const auto& c : g->painted)
    if (c.col == 2 && c.row == 1) EXPECT_EQ(c.rect, (ui::TRect{136, 25, 200, 49}));
}

// Raised fixed cells keep their light on the screen's top left; flat ones
// show the lit top and a shadow on their leading (right) side.
TEST_F(GridPaint, RightToLeftFixedCellsStayLitFromTheTopLeft) {
  g->SetBiDiMode(ui::bdRightToLeft);
  h.Show(form);
  const ui::TRect title = g->CellBounds(2, 0);
  EXPECT_EQ(Rgb(At(title.Left, 10)), Rgb(ui::clBtnHighlight));
  EXPECT_EQ(Rgb(At(title.Right - 1, 10)), Rgb(ui::clBtnShadow));
  g->SetFlat(true);
  g->Repaint();
  h.ProcessEvents();
  EXPECT_EQ(Rgb(At(title.Left + 10, 0)), Rgb(ui::clBtnHighlight));
  EXPECT_EQ(Rgb(At(title.Right - 1, 10)), Rgb(ui::clBtnShadow));
  EXPECT_EQ(Rgb(At(title.Left, 10)), Rgb(ui::clBtnFace)) << "the trailing line is covered";
}

// A partial invalidate repaints only the cells that meet the invalidated
// area, left to right and mirrored (where the cells are painted in their
// logical rectangles). Repainting every visible cell and letting Qt clip the
// pixels looks the same but costs a whole frame.
TEST_F(GridPaint, AnInvalidatedAreaRepaintsOnlyTheCellsInIt) {
  struct Case {
    const char* name;
    ui::TBiDiMode bidi;
    TGridCellRangeEx range;
  };
  const Case cases[] = {
      {"data cell", ui::bdLeftToRight, {3, 5, 3, 5}},
      {"fixed cell", ui::bdLeftToRight, {0, 0, 0, 0}},
      {"contra cell", ui::bdLeftToRight, {10, 4, 10, 4}},
      {"block of cells", ui::bdLeftToRight, {2, 3, 4, 6}},
      {"data cell mirrored", ui::bdRightToLeft, {3, 5, 3, 5}},
      {"fixed cell mirrored", ui::bdRightToLeft, {0, 0, 0, 0}},
      {"contra cell mirrored", ui::bdRightToLeft, {10, 4, 10, 4}},
      {"block of cells mirrored", ui::bdRightToLeft, {2, 3, 4, 6}},
  };
  g->SetFixedCols(1);
  g->SetContraColCount(1);
  h.Show(form);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g->SetBiDiMode(c.bidi);
    g->Repaint();
    h.ProcessEvents();
    g->painted.clear();
    g->InvalidateCellRange(c.range);
    h.ProcessEvents();
    const int w = g->ClientWidth();
    std::set<std::pair<int, int>> painted;
    for (const auto& p : g->painted) painted.insert({p.col, p.row});
    std::set<std::pair<int, int>> expected;
    for (int col = c.range.Left; col <= c.range.Right; ++col)
      for (int row = c.range.Top; row <= c.range.Bottom; ++row) expected.insert({col, row});
    EXPECT_EQ(painted, expected);
    EXPECT_EQ(g->painted.size(), expected.size()) << "each cell once";
    // Each in its logical rectangle: mirrored, the screen rectangle reflected.
    for (const auto& p : g->painted) {
      ui::TRect screen = g->CellBounds(p.col, p.row);
      if (c.bidi == ui::bdRightToLeft) screen = {w - screen.Right, screen.Top, w - screen.Left, screen.Bottom};
      EXPECT_EQ(p.rect, screen) << p.col << "," << p.row;
    }
  }
  // On the screen, a partial repaint over the focused current cell leaves
  // the picture a full repaint gives (lines, edges and the XOR focus frame).
  auto screen = [&] {
    QWidget* top = g->Widget()->window();
    const QRect r(g->Widget()->mapTo(top, QPoint(0, 0)), g->Widget()->size());
    return top->screen()->grabWindow(top->winId(), r.x(), r.y(), r.width(), r.height()).toImage();
  };
  for (ui::TBiDiMode bidi : {ui::bdLeftToRight, ui::bdRightToLeft}) {
    g->SetBiDiMode(bidi);
    g->SetFocus();
    g->Repaint();
    h.ProcessEvents();
    const QImage full = screen();
    std::set<QRgb> colours;
    for (int y = 0; y < full.height(); y += 3)
      for (int x = 0; x < full.width(); x += 3) colours.insert(full.pixel(x, y));
    ASSERT_GE(colours.size(), 3u) << "the screen shows the grid";
    g->InvalidateCellRange({0, 0, 2, 2});
    g->InvalidateCellRange({10, 4, 10, 4});
    h.ProcessEvents();
    EXPECT_TRUE(screen() == full) << (bidi == ui::bdLeftToRight ? "left to right" : "right to left");
  }
}

// The window areas a grid asks to repaint (what the paint events carry).
class PaintRegionRecorder : public QObject {
 public:
  explicit PaintRegionRecorder(QWidget* W) : w_(W) { w_->installEventFilter(this); }
  ~PaintRegionRecorder() override { w_->removeEventFilter(this); }
  QRegion region;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) region += static_cast<QPaintEvent*>(e)->region();
    return false;
  }

 private:
  QWidget* w_;
};

// Mirrored, what a change repaints lies at the mirrored place: the columns
// that a larger count adds (at the left), and a margin named by its side.
TEST(GridPaintMirrored, ChangesRepaintTheMirroredAreas) {
  uitest::Harness h;
  auto* form = h.MakeForm<ui::TForm>();
  form->SetBounds(0, 0, 460, 360);
  auto* g = new TTestGrid(form);
  g->SetParent(form);
  g->SetScrollBars(ui::ssNone);
  g->SetBounds(0, 0, 400, 300);
  g->SetColCount(3);
  g->SetRowCount(4);
  g->SetBiDiMode(ui::bdRightToLeft);
  g->OutBoundaryData()->SetLeftIndent(6);
  h.Show(form);
  h.ProcessEvents();
  const int w = g->ClientWidth();
  {
    PaintRegionRecorder rec(g->Widget());
    g->SetColCount(5);
    h.ProcessEvents();
    const ui::TRect c4 = g->CellBounds(4, 1);
    EXPECT_TRUE(rec.region.contains(QPoint(c4.Left + 2, c4.Top + 2))) << "the new column 4";
  }
  {
    PaintRegionRecorder rec(g->Widget());
    g->OutBoundaryData()->InvalidateOutBoundary(grid::cbtLeftEx);
    h.ProcessEvents();
    EXPECT_TRUE(rec.region.contains(QPoint(w - 3, 100))) << "the left margin stands at the right";
    EXPECT_FALSE(rec.region.contains(QPoint(3, 100)));
  }
}

// A grid that writes its cells' coordinates, to look at.
class TTextGrid : public TTestGrid {
 public:
  using TTestGrid::TTestGrid;

 protected:
  void PaintCell(int Col, int Row, grid::TGridDrawState State, ui::TRect Rect) override {
    TTestGrid::PaintCell(Col, Row, State, Rect);
    const std::string t = "c" + std::to_string(Col) + " r" + std::to_string(Row);
    Canvas()->TextRect(Rect, Rect.Left + 2, Rect.Top + 4, ui::String(t.begin(), t.end()));
  }
};

TEST(GridPaintScreens, RightToLeftScreenshot) {
  uitest::Harness h;
  ui::TForm* form = h.MakeForm<ui::TForm>();
  form->SetBounds(0, 0, 460, 360);
  auto* g = new TTextGrid(form);
  g->SetParent(form);
  g->SetBounds(0, 0, 420, 300);
  g->SetColCount(10);
  g->SetRowCount(20);
  g->SetFixedCols(2);
  g->SetFrozenColCount(1);
  g->SetContraColCount(1);
  g->SetBiDiMode(ui::bdRightToLeft);
  h.Show(form);
  g->ScrollDataUnclamped(20, 0);
  g->Repaint();
  h.ProcessEvents();
  EXPECT_FALSE(h.SaveScreenshot(g, "base_grid_right_to_left").empty());
  // The current cell (2, 1) is highlighted where its mirrored rectangle says.
  const ui::TRect cur = g->CellBounds(2, 1);
  EXPECT_EQ(Rgb(h.PixelAt(g, cur.Right - 3, cur.Bottom - 3)), Rgb(ui::clHighlight));
}

}  // namespace
