// Title cells: the caption shift of a pressed title, sort markers and their
// indexes in narrow titles, vertical captions, and the titles of a bound grid.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/db_grid_ex_title_state.h"
#include "tests/grid/core/grid_on_form.h"
#include "platform/ui/forms.h"
#include "platform/ui/themes.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;

struct TitleTable {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  TitleTable() {
    ds.FieldDefs().Add(u"Number", db::ftInteger);
    ds.FieldDefs().Add(u"Name", db::ftString, 10);
    src.SetDataSet(&ds);
    ds.Open();
    ds.Append();
    ds.Fields(0)->SetAsInteger(1);
    ds.Post();
  }
};

// The ink of a picture: the box of its pixels darker than Limit.
struct InkBox {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
};
InkBox FindInk(ui::TBitmap& Bmp, const TRect& R, int Limit = 100) {
  InkBox b;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) {
      const std::uint32_t c = ui::ColorToRGB(Bmp.Canvas()->Pixel(x, y));
      const int gray = ((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF)) / 3;
      if (gray >= Limit) continue;
      b.left = std::min(b.left, x);
      b.top = std::min(b.top, y);
      b.right = std::max(b.right, x);
      b.bottom = std::max(b.bottom, y);
    }
  return b;
}

struct TitleCells : gridtest::ShownGrid {
  TitleTable t;

  void Prepare() override { grid->SetDataSource(&t.src); }
  // One title cell drawn by itself onto a white bitmap.
  InkBox DrawTitle(TDBGirdDrawTitleStateEx Ts, const TRect& Cell, ui::TBitmap& Bmp, int Limit = 100) {
    Bmp.Canvas()->Brush()->SetColor(ui::clWhite);
    Bmp.Canvas()->FillRect({0, 0, Bmp.Width(), Bmp.Height()});
    ui::TCanvas* cv = grid->Canvas();
    cv->Detach();
    cv->Attach(Bmp.Canvas()->AttachedPainter());
    grid->DrawTitleContents(grid->Columns()->ColumnAt(1), Cell, Ts, {gdFixed});
    cv->Detach();
    return FindInk(Bmp, Cell, Limit);
  }
  TDBGirdDrawTitleStateEx Plain(const String& Caption) {
    TDBGirdDrawTitleStateEx ts;
    ts.Caption = Caption;
    ts.BackColor = ui::clWhite;
    ts.FontColor = ui::clBlack;
    return ts;
  }
};

TEST_F(TitleCells, PressedTitleShiftsItsCaption) {
  ui::TBitmap bmp(120, 40);
  const TRect cell{0, 0, 120, 40};
  struct Case {
    int titleLines, shift;
  };
  for (const Case& c : {Case{0, 1}, Case{2, 2}}) {
    grid->SetTitleLines(c.titleLines);
    TDBGirdDrawTitleStateEx up = Plain(u"Wg");
    TDBGirdDrawTitleStateEx down = up;
    down.Down = true;
    const InkBox a = DrawTitle(up, cell, bmp);
    const InkBox b = DrawTitle(down, cell, bmp);
    ASSERT_FALSE(a.Empty());
    EXPECT_EQ(b.left - a.left, c.shift) << c.titleLines;
    EXPECT_EQ(b.top - a.top, c.shift) << c.titleLines;
  }
}

TEST_F(TitleCells, NarrowTitlesGiveUpTheIndexThenTheMarker) {
  struct Case {
    int area, image, index;
    bool marker, showIndex;
  };
  const Case cases[] = {
      {60, 0, 7, true, true},   // room for both
      {20, 0, 7, true, false},  // the index goes first
      {12, 0, 7, false, false}, // then the marker
      {40, 16, 0, true, false}, // no index to show; the image still fits
      {30, 16, 0, false, false},
  };
  for (const Case& c : cases) {
    bool marker = false, index = false;
    TCustomDBGridEx::FitSortMarker(c.area, c.image, c.index, marker, index);
    EXPECT_EQ(marker, c.marker) << c.area;
    EXPECT_EQ(index, c.showIndex) << c.area;
  }
}

TEST_F(TitleCells, SortMarkerShowsAtTheRight) {
  ui::TBitmap bmp(120, 24);
  const TRect cell{0, 0, 120, 24};
  TDBGirdDrawTitleStateEx ts = Plain(String());
  // The markers are gray: anything but white counts.
  EXPECT_TRUE(DrawTitle(ts, cell, bmp, 255).Empty());
  for (TSortMarkerEx m : {smDownEx, smUpEx}) {
    ts.SortMarker = m;
    const InkBox b = DrawTitle(ts, cell, bmp, 255);
    ASSERT_FALSE(b.Empty()) << int(m);
    EXPECT_GE(b.left, 120 - 16) << int(m);
    EXPECT_LE(b.right, 120 - 2) << int(m);
  }
}

TEST_F(TitleCells, VerticalCaptionRunsUpwards) {
  ui::TBitmap bmp(40, 120);
  const TRect cell{0, 0, 40, 120};
  TDBGirdDrawTitleStateEx ts = Plain(u"Vertical");
  const InkBox across = DrawTitle(ts, cell, bmp);
  ts.Orientation = tohVertical;
  const InkBox up = DrawTitle(ts, cell, bmp);
  ASSERT_FALSE(up.Empty());
  EXPECT_GT(up.bottom - up.top, up.right - up.left);
  EXPECT_GT(up.bottom - up.top, (across.bottom - across.top) * 2);
  EXPECT_GT(up.bottom, 120 - 20);  // it starts at the bottom
}

TEST_F(TitleCells, BoundGridShowsFieldNamesIn3DTitles) {
  grid->Invalidate();
  h.ProcessEvents();
  const QImage img = grid->Widget()->grab().toImage();
  img.save("/tmp/gd2c_titles.png");
  for (int col = 1; col <= 2; ++col) {
    const TRect r = grid->CellRangeRect(col, 0, col, 0);
    bool ink = false;
    for (int y = r.Top + 2; y < r.Bottom - 2 && !ink; ++y)
      for (int x = r.Left + 2; x < r.Right - 2 && !ink; ++x) ink = qGray(img.pixel(x, y)) < 100;
    EXPECT_TRUE(ink) << col;
    // The raised edge: white at the top left, the shadow at the bottom right.
    EXPECT_EQ(img.pixel(r.Left + 3, r.Top), qRgb(255, 255, 255)) << col;
    EXPECT_LT(qGray(img.pixel(r.Right - 1, r.Bottom - 3)), qGray(img.pixel(r.Left + 3, r.Top + 3))) << col;
  }
}

}  // namespace

namespace {

TEST_F(TitleCells, ParentHeaderIsCentredOverItsLeaves) {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  for (const char16_t* name : {u"A", u"B", u"C"}) ds.FieldDefs().Add(name, db::ftInteger);
  src.SetDataSet(&ds);
  ds.Open();
  grid->SetUseMultiTitle(true);
  grid->SetDataSource(&src);
  const char16_t* captions[] = {u"Group|a", u"Group|b", u"Group|c"};
  for (int i = 0; i < 3; ++i) {
    grid->Columns()->ColumnAt(i)->Title()->SetCaption(captions[i]);
    grid->Columns()->ColumnAt(i)->SetWidth(60);
  }
  grid->HeadTree()->CreateFieldTree(grid);
  const int height = grid->CalcHeadTreeHeights(grid->HeadTree());
  grid->SetRowHeights(0, height);
  grid->Invalidate();
  h.ProcessEvents();
  const QImage img = grid->Widget()->grab().toImage();
  img.save("/tmp/gd2c_multititle.png");
  THeadTreeNode* leaf = grid->LeafFieldArr()[0].FLeaf;
  ASSERT_NE(leaf->Host, grid->HeadTree());
  // Ink in the parent's band: its caption's columns.
  const TRect first = grid->CellRangeRect(1, 0, 1, 0), last = grid->CellRangeRect(3, 0, 3, 0);
  const int bandBottom = first.Bottom - leaf->Height - 1;
  int from = 1 << 20, to = -1;
  for (int y = first.Top + 1; y < bandBottom; ++y)
    for (int x = first.Left + 2; x < last.Right - 2; ++x)
      if (qGray(img.pixel(x, y)) < 100) {
        from = std::min(from, x);
        to = std::max(to, x);
      }
  ASSERT_GE(to, from);
  const int middle = (first.Left + last.Right) / 2;
  EXPECT_NEAR((from + to) / 2, middle, 3);
  EXPECT_GT(from, grid->CellRangeRect(2, 0, 2, 0).Left - 20);
  grid->SetDataSource(nullptr);
}

}  // namespace
