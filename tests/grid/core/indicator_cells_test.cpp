// The indicator column and footer cells: the width with record numbers, the
// current record's sign, its editing and inserting signs, record numbers
// and the record count, and footer texts.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/sums/column_footer_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "tests/grid/core/grid_on_form.h"
#include "platform/ui/forms.h"
#include "platform/ui/themes.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;

struct IndicatorTable {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  explicit IndicatorTable(int Count) {
    ds.FieldDefs().Add(u"N", db::ftInteger);
    src.SetDataSet(&ds);
    ds.Open();
    gridtest::AppendNumbered(ds, Count);
  }
};

struct IndicatorCells : gridtest::ShownGrid {
  void Prepare() override { grid->SetOptionsEx(grid->OptionsEx() + dghShowRecNo); }
  QImage Grab() {
    grid->Invalidate();
    h.ProcessEvents();
    return grid->Widget()->grab().toImage();
  }
  // Dark pixels inside a part of a cell: Left and Right count from the cell's left.
  bool Ink(const QImage& Img, int Col, int Row, int From, int To) {
    const TRect r = grid->CellRangeRect(Col, Row, Col, Row);
    for (int y = r.Top + 2; y < r.Bottom - 2; ++y)
      for (int x = r.Left + From; x < std::min<int>(r.Left + To, r.Right - 1); ++x)
        if (qGray(Img.pixel(x, y)) < 100) return true;
    return false;
  }
  int ColWidth() { return grid->ColWidths(0); }
};

TEST_F(IndicatorCells, WidthAtThousandsOfRecordsIsFourDigitsPlusThirteen) {
  IndicatorTable t(1234);
  grid->SetDataSource(&t.src);
  ui::TFont small;
  small.Assign(grid->Font());
  small.SetSize(small.Size() - 1);
  grid->Canvas()->SetFont(&small);
  EXPECT_EQ(grid->CalcIndicatorColWidth(), grid->Canvas()->TextWidth(u"0000") + 13);
}

TEST_F(IndicatorCells, SignsAndNumbersOfTheRows) {
  IndicatorTable t(3);
  grid->SetDataSource(&t.src);
  const int top = grid->TopDataOffset();
  const int w = ColWidth(), glyph = 9;  // the sign's strip at the right of the cell
  struct Case {
    const char* name;
    int row;
    bool sign, number;
  };
  auto check = [&](const QImage& Img, const Case& c) {
    EXPECT_EQ(Ink(Img, 0, top + c.row, w - glyph, w), c.sign) << c.name;
    EXPECT_EQ(Ink(Img, 0, top + c.row, 0, w - glyph - 1), c.number) << c.name;
  };
  QImage img = Grab();
  for (const Case& c : {Case{"browsing, current", 0, true, true}, Case{"browsing, other", 1, false, true}})
    check(img, c);
  EXPECT_EQ(grid->SelRow(), top);
  t.ds.Next();
  img = Grab();
  for (const Case& c : {Case{"moved, old row", 0, false, true}, Case{"moved, new row", 1, true, true}})
    check(img, c);
  EXPECT_EQ(grid->SelRow(), top + 1);
  t.ds.Edit();
  img = Grab();
  check(img, Case{"editing", 1, true, true});
  t.ds.Cancel();
  t.ds.Last();
  t.ds.Append();  // the new row shows the insert sign and no number
  img = Grab();
  const int row = grid->DataLink()->ActiveRecord();
  check(img, Case{"inserting", row, true, false});
  t.ds.Cancel();
}

TEST_F(IndicatorCells, RecordCountAndFooterTexts) {
  struct Case {
    int records;
    bool countShows;
  };
  for (const Case& c : {Case{0, false}, Case{5, true}}) {
    IndicatorTable t(c.records);
    grid->SetDataSource(&t.src);
    grid->SetFooterRowCount(1);
    TColumnEx* n = grid->Columns()->ColumnAt(0);
    n->Footer()->SetValue(u"Total");
    n->Footer()->SetValueType(fvtStaticText);
    const QImage img = Grab();
    const int footer = grid->RowCount();
    EXPECT_EQ(Ink(img, 0, footer, 0, ColWidth()), c.countShows) << c.records;
    EXPECT_TRUE(Ink(img, 1, footer, 0, 200)) << c.records;
    grid->SetDataSource(nullptr);
  }
}

}  // namespace
