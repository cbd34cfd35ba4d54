// The data grid's painting support: which cells are 3D, their edges left to
// right and mirrored, the borders left to the header tree, the flat window
// border and buffered painting.
#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <vector>
#include <QWidget>

#include "components/extended/data/ext_memory_data.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/forms.h"
#include "platform/ui/themes.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;

class PaintProbeGrid : public TDBGridEx {
 public:
  using TDBGridEx::TDBGridEx;
  void BorderVisibility(int Col, int Row, TGridCellBorderTypeEx Side, bool& Draw, ui::TColor& Colour, bool& Extend) {
    CellBorderVisibility(Col, Row, Side, Draw, Colour, Extend);
  }
  std::vector<ui::TRect> painted;  // each paint's area

 protected:
  void Paint() override {
    painted.push_back(Canvas()->ClipRect());
    TDBGridEx::Paint();
  }
};

struct PaintSupport : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  PaintProbeGrid* grid = nullptr;

  void SetUp() override {
    InitDBGridEx();
    form = h.MakeForm<ui::TForm>();
    grid = new PaintProbeGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 200);
  }
  void TearDown() override {
    delete grid;
    DoneDBGridEx();
  }
};

TEST_F(PaintSupport, CellsAre3DByTheirAreaAndTheOptions) {
  grid->SetRowCount(6);
  grid->SetFooterRowCount(1);
  grid->SetFrozenCols(1);
  const TGridDrawState fixed{gdFixed}, plain{};
  const int data = grid->TopDataOffset(), footer = grid->RowCount();
  struct Case {
    TDBGridExOptions options;
    int col, row;
    TGridDrawState state;
    bool is3D;
  };
  const Case cases[] = {
      {{dghFixed3D}, 0, data, fixed, true},       // indicator
      {{dghFixed3D}, 1, data - 1, fixed, true},   // title
      {{}, 0, data, fixed, false},                // fixed cells flat without the option
      {{dghFooter3D}, 1, footer, plain, true},    // footer row
      {{dghData3D}, 1, footer, plain, false},     // a footer is no data cell
      {{dghData3D}, 2, data, plain, true},        // data
      {{dghData3D}, 0, data, fixed, false},       // fixed cells never take the data look
      {{dghFrozen3D}, 1, data, fixed, true},      // first data column is frozen
      {{dghFrozen3D}, 2, data, plain, false},     // the second is not
  };
  for (const Case& c : cases) {
    grid->SetOptionsEx(c.options);
    EXPECT_EQ(grid->IsCell3D(c.col, c.row, c.state, {}), c.is3D) << c.col << "," << c.row;
  }
}

// Draws an edge on cell (2, 2, 22, 18) of a bitmap as wide as the grid's
// client, optionally through a mirrored canvas.
QImage Edge(PaintProbeGrid* G, bool Mirrored, bool Trailing, bool Leading, bool Pressed) {
  const int w = G->ClientWidth();
  ui::TBitmap bmp(w, 20);
  ui::TCanvas* cv = bmp.Canvas();
  cv->Brush()->SetColor(ui::clBtnFace);
  cv->FillRect({0, 0, w, 20});
  if (Mirrored) cv->SetMirroring(true, w);
  G->Draw3DCellEdge(cv, {2, 2, 22, 18}, Trailing, Leading, Pressed, false);
  if (Mirrored) cv->SetMirroring(false, 0);
  return bmp.Image()->copy();
}

TEST_F(PaintSupport, EdgesLandOnTheMirroredCellKeepingTheirLightAbove) {
  const int w = grid->ClientWidth();
  const QRgb face = Edge(grid, false, false, false, false).pixel(w - 1, 0);
  for (bool flat : {false, true}) {
    grid->SetFlat(flat);
    for (int flags = 0; flags < 8; ++flags) {
      const QImage rtl = Edge(grid, true, flags & 1, flags & 2, flags & 4);
      for (int y = 0; y < 20; ++y)
        for (int x = 0; x < w; ++x)
          if (x < w - 22 || x >= w - 2 || y < 2 || y >= 18)
            ASSERT_EQ(rtl.pixel(x, y), face) << "flat " << flat << " flags " << flags << " at " << x << "," << y;
    }
  }
  // Flat and mirrored: the left side is lit with a trailing line, the right
  // one painted over with a leading line.
  grid->SetFlat(true);
  const QImage both = Edge(grid, true, true, true, false);
  EXPECT_GT(qGray(both.pixel(w - 22, 10)), qGray(face));
  EXPECT_EQ(both.pixel(w - 3, 10), face);
  EXPECT_GT(qGray(both.pixel(w - 12, 2)), qGray(face));
  grid->SetFlat(false);
  // Raised: light top, dark bottom; sunken the other way round.
  const QImage raised = Edge(grid, false, true, true, false);
  const QImage sunken = Edge(grid, false, true, true, true);
  EXPECT_GT(qGray(raised.pixel(10, 2)), qGray(raised.pixel(10, 17)));
  EXPECT_LT(qGray(sunken.pixel(10, 2)), qGray(sunken.pixel(10, 17)));
  // Only the leading side: no trailing line on the right.
  EXPECT_EQ(Edge(grid, false, false, true, false).pixel(21, 10), face);
  EXPECT_NE(raised.pixel(21, 10), face);
}

TEST_F(PaintSupport, MultiTitlesLeaveTheTitleRowsSideLinesToTheHeaderTree) {
  grid->SetRowCount(4);
  auto draws = [&](int Col, int Row, TGridCellBorderTypeEx Side) {
    bool draw = false, extend = false;
    ui::TColor colour = ui::clBlack;
    grid->BorderVisibility(Col, Row, Side, draw, colour, extend);
    return draw;
  };
  EXPECT_TRUE(draws(1, 0, cbtRightEx));
  grid->SetUseMultiTitle(true);
  EXPECT_FALSE(draws(1, 0, cbtRightEx));
  EXPECT_FALSE(draws(1, 0, cbtLeftEx));
  EXPECT_TRUE(draws(1, 0, cbtBottomEx));
  EXPECT_TRUE(draws(0, 0, cbtRightEx));  // the indicator title keeps its lines
  EXPECT_TRUE(draws(1, 1, cbtRightEx));  // data rows too
}

TEST_F(PaintSupport, FlatBorderIsSunkenAroundTheWindow) {
  const int w = grid->Width(), h = grid->Height();
  ui::TBitmap window(w, h);
  ui::TCanvas* cv = window.Canvas();
  cv->Brush()->SetColor(ui::clBtnFace);
  cv->FillRect({0, 0, w, h});
  const ui::TColor face = cv->Pixel(50, 50);
  grid->PaintFlatBorder(cv);
  EXPECT_EQ(cv->Pixel(0, 50), face);  // not flat: nothing
  grid->SetFlat(true);
  grid->PaintFlatBorder(cv);
  EXPECT_NE(cv->Pixel(0, 50), face);
  EXPECT_NE(cv->Pixel(w - 1, 50), face);
  EXPECT_NE(cv->Pixel(50, 0), cv->Pixel(50, h - 1));  // dark above, light below
  EXPECT_EQ(cv->Pixel(50, 50), face);
}

TEST_F(PaintSupport, BufferedPaintShowsWhatDirectPaintShowsAndMultiTitlesKeepIt) {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  ds.FieldDefs().Add(u"F0", db::ftInteger);
  ds.Open();
  src.SetDataSet(&ds);
  grid->SetDataSource(&src);
  h.Show(form);
  grid->SetBufferedPaint(false);
  const QImage direct = grid->Widget()->grab().toImage();
  grid->SetBufferedPaint(true);
  const QImage buffered = grid->Widget()->grab().toImage();
  EXPECT_EQ(direct, buffered);
  grid->SetBufferedPaint(false);
  grid->SetUseMultiTitle(true);
  grid->Widget()->grab();
  EXPECT_TRUE(grid->BufferedPaint());
}

// A scroll by a row moves the shown pixels and paints only the rows it
// uncovers and the ones whose look changed; what shows after each step is
// what a full paint shows.
TEST_F(PaintSupport, ScrolledRowsShowWhatAFullPaintShows) {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  ds.FieldDefs().Add(u"N", db::ftInteger);
  ds.FieldDefs().Add(u"T", db::ftString, 10);
  src.SetDataSet(&ds);
  ds.Open();
  ds.DisableControls();
  for (int i = 1; i <= 40; ++i) {
    ds.Append();
    ds.Fields(0)->SetAsInteger(i);
    ds.Fields(1)->SetAsString(u"text " + rtl::IntToStr(i));
    ds.Post();
  }
  ds.First();
  ds.EnableControls();
  // Themed fixed cells reach one pixel into their neighbours, so their
  // pixels depend on the order cells are painted in.
  ui::SetThemesEnabled(false);
  struct ThemesBack {
    ~ThemesBack() { ui::SetThemesEnabled(true); }
  } themesBack;
  grid->SetOptions(grid->Options() + dgRowSelect);
  grid->SetOptionsEx(grid->OptionsEx() + dghShowRecNo);
  grid->SetDataSource(&src);
  h.Show(form);
  grid->SetFocus();
  const int rowHeight = grid->CellRangeRect(0, grid->TopDataOffset(), 0, grid->TopDataOffset()).Height();
  auto step = [&](const char* What, const std::function<void()>& Act, bool Partial) {
    h.ProcessEvents();
    grid->painted.clear();
    Act();
    h.ProcessEvents();
    const QImage shown = h.ShownImage(grid).convertToFormat(QImage::Format_RGB32);
    const QImage full = grid->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shown.isNull()) << What;
    EXPECT_EQ(shown, full) << What;
    ASSERT_FALSE(grid->painted.empty()) << What;
    if (Partial) EXPECT_LE(grid->painted.front().Height(), 3 * rowHeight) << What;
  };
  auto scroll = [&](int Code) { return [this, Code] { grid->Perform(ui::WM_VSCROLL, static_cast<ui::WPARAM>(Code), 0); }; };
  // To the last shown row, then one row further twice, then back up past the top.
  step("to the last row", [&] { ds.MoveBy(grid->VisibleDataRowCount() - 1); }, false);
  step("a row down", scroll(ui::SB_LINEDOWN), true);
  step("another row down", scroll(ui::SB_LINEDOWN), true);
  step("to the first row", [&] { ds.MoveBy(-(grid->VisibleDataRowCount() - 1)); }, false);
  step("a row up", scroll(ui::SB_LINEUP), true);
  step("a page down", scroll(ui::SB_PAGEDOWN), false);
}

}  // namespace
