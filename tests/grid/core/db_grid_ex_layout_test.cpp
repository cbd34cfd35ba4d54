// The data grid's layout and data window: binding to a dataset, the deferred
// layout, scaling, row and indicator metrics, automatic widths, the row
// window and scroll bars, scrolling by scroll codes, and footer texts.
#include <gtest/gtest.h>

#include <set>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/sums/column_footer_ex.h"
#include "grid/columns/sums/db_grid_ex_sum_list.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/db_grid_ex_scroll_bar.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/foundation/grid_messages.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;
using ext::TExtMemoryData;

// A grid that records the rows it paints.
class RowGrid : public TDBGridEx {
 public:
  using TDBGridEx::TDBGridEx;
  std::set<int> paintedRows;
  using TCustomDBGridEx::HandleWmVScroll;
  using TCustomDBGridEx::DoMouseWheelDown;
  using TCustomDBGridEx::DoMouseWheelUp;

 protected:
  void PaintCell(int, int ARow, TGridDrawState, TRect) override { paintedRows.insert(ARow); }
};

// Records 1..Count in integer field "N", text field "S" and hidden field "H".
struct Table {
  TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  explicit Table(int Count, bool Open = true) {
    ds.FieldDefs().Add(u"N", db::ftInteger);
    ds.FieldDefs().Add(u"H", db::ftInteger);
    ds.FieldDefs().Add(u"S", db::ftString, 10);
    src.SetDataSet(&ds);
    if (!Open) return;
    ds.Open();
    ds.FieldByName(u"H")->SetVisible(false);
    Fill(Count);
  }
  void Fill(int Count) { gridtest::AppendNumbered(ds, Count); }
};

struct LayoutTest : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  RowGrid* grid = nullptr;

  void SetUp() override {
    InitDBGridEx();
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 500, 400);
    grid = new RowGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 400, 300);
    h.Show(form);
  }
  void TearDown() override {
    delete form;
    DoneDBGridEx();
  }
  std::vector<String> ColumnFields() {
    std::vector<String> out;
    for (int i = 0; i < grid->Columns()->Count(); ++i) out.push_back(grid->Columns()->ColumnAt(i)->FieldName());
    return out;
  }
  int TextHeight(ui::TFont* Font) {
    grid->Canvas()->SetFont(Font);
    return grid->Canvas()->TextHeight(u"Wg");
  }
};

// --- binding and the layout run --------------------------------------------------------

TEST_F(LayoutTest, BindingShowsVisibleFieldsAndClosingLeavesOneEmptyColumn) {
  Table t(3);
  grid->SetDataSource(&t.src);
  EXPECT_EQ(ColumnFields(), (std::vector<String>{u"N", u"S"}));
  EXPECT_EQ(grid->ColCount(), 3);  // indicator and two columns
  EXPECT_EQ(grid->RowCount(), grid->TopDataOffset() + 3);
  t.ds.Close();
  EXPECT_EQ(ColumnFields(), (std::vector<String>{u""}));
  EXPECT_EQ(grid->ColCount(), 2);
  EXPECT_EQ(grid->RowCount(), grid->TopDataOffset() + 1);
  grid->SetDataSource(nullptr);
}

TEST_F(LayoutTest, DeferredLayoutIsPostedOnceAndRunsOnce) {
  grid->DeferLayout();
  grid->DeferLayout();
  ui::TMsg m;
  int queued = 0;
  while (ui::PeekMessage(m, grid, WM_GRIDDEFERREDLAYOUT, WM_GRIDDEFERREDLAYOUT, ui::PM_REMOVE)) ++queued;
  EXPECT_EQ(queued, 1);
  grid->DeferLayout();
  const int runs = grid->LayoutRuns();
  h.ProcessEvents();
  EXPECT_EQ(grid->LayoutRuns(), runs + 1);
  EXPECT_FALSE(ui::IsMessageQueued(grid, WM_GRIDDEFERREDLAYOUT, WM_GRIDDEFERREDLAYOUT));
}

TEST_F(LayoutTest, ScalingKeepsTheTotalAndEachFontsOwnSize) {
  for (int i = 0; i < 3; ++i) grid->Columns()->Add()->SetWidth(10);
  grid->SetParentFont(false);
  grid->Font()->SetSize(8);
  grid->TitleFont()->SetSize(12);
  grid->FooterFont()->SetSize(6);
  grid->ApplyScaling(4, 3);
  std::vector<int> widths;
  for (int i = 0; i < 3; ++i) widths.push_back(grid->Columns()->ColumnAt(i)->Width());
  EXPECT_EQ(widths, (std::vector<int>{13, 14, 13}));
  EXPECT_EQ(grid->TitleFont()->Size(), 16);  // its own 12, not the grid's 8
  EXPECT_EQ(grid->FooterFont()->Size(), 8);
  grid->ApplyScaling(3, 3);  // nothing to scale
  EXPECT_EQ(grid->Columns()->ColumnAt(1)->Width(), 14);
}

TEST_F(LayoutTest, FitRowHeightToTextSnapsToWholeLines) {
  const int t = TextHeight(grid->Font());
  const int c = 3 + grid->GridLineWidth();  // not flat, with row lines
  grid->SetOptionsEx(grid->OptionsEx() + dghFitRowHeightToText);
  struct Case {
    int height, expected;
  };
  const Case cases[] = {{c + t * 14 / 10, c + t}, {c + t * 16 / 10, c + 2 * t}, {c + 1, c + t}, {c + 3 * t, c + 3 * t}};
  for (const Case& k : cases) {
    grid->LockLayout();
    grid->SetRowLines(0);
    grid->SetRowHeight(k.height);
    grid->UnlockLayout();
    EXPECT_EQ(grid->StdDefaultRowHeight(), k.expected) << k.height;
    EXPECT_EQ(grid->RowHeight(), c);
    EXPECT_EQ(grid->RowLines(), (k.expected - c) / t);
  }
  grid->SetOptionsEx(grid->OptionsEx() - dghFitRowHeightToText);
  grid->SetRowHeight(0);
  grid->SetRowLines(2);
  EXPECT_EQ(grid->StdDefaultRowHeight(), 2 * t);
  grid->SetRowLines(-3);
  EXPECT_EQ(grid->RowLines(), 0);
}

// Rows fitted to their content: each column measures the current record and
// the tallest answer is the row's height; without the option nothing is
// measured.
TEST_F(LayoutTest, AutoFitRowHeightTakesTheTallestColumnOfTheRecord) {
  Table t(1);
  t.ds.First();
  t.ds.Edit();
  t.ds.FieldByName(u"S")->SetAsString(u"aa bb cc");
  t.ds.Post();
  grid->SetDataSource(&t.src);
  TColumnEx* n = grid->Columns()->ColumnAt(0);
  TColumnEx* text = grid->Columns()->ColumnAt(1);
  const int standard = grid->StdDefaultRowHeight();
  EXPECT_EQ(text->CalcRowHeight(), standard);

  grid->SetOptionsEx(grid->OptionsEx() + dghAutoFitRowHeight);
  EXPECT_EQ(n->CalcRowHeight(), standard);
  EXPECT_EQ(text->CalcRowHeight(), standard);  // one line fits
  grid->Canvas()->SetFont(text->Font());
  const int line = grid->Canvas()->TextHeight(u"aa");
  const int narrow = grid->Canvas()->TextWidth(u"aa") + 8;
  text->SetWidth(narrow);  // one word a line
  text->SetWordWrap(true);
  const int expected = 3 * line + 3 + grid->GridLineWidth();  // not flat, with row lines
  ASSERT_GT(3 * line, standard);
  EXPECT_EQ(text->CalcRowHeight(), expected);
  EXPECT_EQ(grid->CalcDefaultRowHeight(), expected);
  grid->SetOptions(grid->Options() - dgRowLines);
  EXPECT_EQ(text->CalcRowHeight(), 3 * line + 3);
  text->SetWordWrap(false);
  EXPECT_EQ(text->CalcRowHeight(), grid->StdDefaultRowHeight());
}

TEST_F(LayoutTest, IndicatorWithRecordNumbersGainsADigitAtTenAndAHundred) {
  Table t(0);
  grid->SetOptionsEx(grid->OptionsEx() + dghShowRecNo);
  grid->SetDataSource(&t.src);
  ui::TFont small;
  small.Assign(grid->Font());
  small.SetSize(small.Size() - 1);
  grid->Canvas()->SetFont(&small);
  const int zero = grid->Canvas()->TextWidth(u"0");
  struct Case {
    int records, digits;
  };
  int have = 0;
  for (const Case& k : {Case{0, 1}, Case{9, 1}, Case{10, 2}, Case{99, 2}, Case{100, 3}}) {
    t.Fill(k.records - have);
    have = k.records;
    grid->Canvas()->SetFont(&small);
    const int expected = grid->Canvas()->TextWidth(String(static_cast<std::size_t>(k.digits), u'0')) + 13;
    EXPECT_EQ(grid->CalcIndicatorColWidth(), expected) << k.records;
    EXPECT_EQ(grid->ColWidths(0), expected) << k.records;
  }
  EXPECT_GE(zero + 13, 11);
  grid->SetOptions(grid->Options() - dgIndicator);
  grid->Canvas()->SetFont(&small);
  EXPECT_EQ(grid->CalcIndicatorColWidth(), std::max(11, grid->Canvas()->TextWidth(u"000") + 4));
  grid->SetOptionsEx(grid->OptionsEx() - dghShowRecNo);
  EXPECT_EQ(grid->CalcIndicatorColWidth(), 0);
  grid->SetDataSource(nullptr);
}

TEST_F(LayoutTest, AutoFitSharesTheClientWidthAndOffRestoresWidths) {
  Table t(2);
  grid->SetDataSource(&t.src);
  grid->Columns()->SetState(csCustomized);
  grid->Columns()->ColumnAt(1)->SetVisible(false);  // H
  TColumnEx* a = grid->Columns()->ColumnAt(0);
  TColumnEx* b = grid->Columns()->ColumnAt(2);
  ASSERT_EQ(grid->VisibleColumns(), (std::vector<TColumnEx*>{a, b}));
  a->SetWidth(40);
  b->SetWidth(120);
  grid->SetAutoFitColWidths(true);
  const int available = grid->ClientWidth() - grid->ColWidths(0) - 2 - 1;  // two column lines and the indicator's
  EXPECT_EQ(a->Width() + b->Width(), available);
  EXPECT_NEAR(b->Width(), 3 * a->Width(), 3);
  grid->SetAutoFitColWidths(false);
  EXPECT_EQ(a->Width(), 40);
  EXPECT_EQ(b->Width(), 120);
  // A column held by its maximum leaves the rest to the other.
  b->SetMaxWidth(100);
  grid->SetAutoFitColWidths(true);
  EXPECT_EQ(b->Width(), 100);
  EXPECT_EQ(a->Width(), available - 100);
  grid->SetDataSource(nullptr);
}

TEST_F(LayoutTest, AutoFitWithNoStartingWidthsLeavesWidthsAlone) {
  Table t(1);
  grid->SetDataSource(&t.src);
  grid->Columns()->SetState(csCustomized);
  grid->Columns()->ColumnAt(0)->SetWidth(30);
  grid->Columns()->ColumnAt(2)->SetWidth(50);
  grid->SetAutoFitColWidths(true);
  const int w0 = grid->Columns()->ColumnAt(0)->Width(), w2 = grid->Columns()->ColumnAt(2)->Width();
  for (int i = 0; i < 3; ++i) grid->Columns()->ColumnAt(i)->SetInitWidth(0);
  grid->RelayoutGrid();  // no shares: no division by zero, no -1 widths
  EXPECT_EQ(grid->Columns()->ColumnAt(0)->Width(), w0);
  EXPECT_EQ(grid->Columns()->ColumnAt(2)->Width(), w2);
  grid->SetDataSource(nullptr);
}

// --- the data window and scroll bars -----------------------------------------------------

TEST_F(LayoutTest, EmptyDatasetGivesOneRowAndExternalBarRunsToOneTwentySeven) {
  Table t(0);
  grid->SetDataSource(&t.src);
  EXPECT_EQ(grid->RowCount(), grid->TopDataOffset() + 1);
  EXPECT_EQ(grid->DataLink()->BufferCount(), 1);  // not resized for no records

  auto* bar = new ui::TScrollBar(form);
  bar->SetParent(form);
  grid->HorzScrollBar()->SetExtScrollBar(bar);
  grid->SyncHorzScrollBar();  // two columns fit
  EXPECT_EQ(bar->Min(), 0);
  EXPECT_EQ(bar->Max(), 0);
  EXPECT_EQ(bar->Position(), 0);
  grid->Columns()->SetState(csCustomized);
  for (int i = 0; i < 2; ++i) grid->Columns()->ColumnAt(i)->SetWidth(300);
  grid->SyncHorzScrollBar();
  EXPECT_EQ(bar->Max(), 127);
  EXPECT_EQ(bar->Position(), 0);
  grid->SetLeftCol(grid->ColCount() - 1);
  grid->SyncHorzScrollBar();
  EXPECT_EQ(bar->Position(), 127);
  grid->HorzScrollBar()->SetExtScrollBar(nullptr);
  grid->SetDataSource(nullptr);
}

TEST_F(LayoutTest, WindowHoldsTheRowsThatFitAndBarShowsRecordNumbers) {
  Table t(1000);
  grid->SetDataSource(&t.src);
  const int pitch = grid->StdDefaultRowHeight() + grid->GridLineWidth();
  const int fit = (grid->ClientHeight() - grid->TitleRowHeight() - grid->GridLineWidth()) / pitch;
  EXPECT_EQ(grid->DataLink()->BufferCount(), fit);
  EXPECT_EQ(grid->DataRowCount(), fit);
  ui::TScrollInfo si;
  si.fMask = ui::SIF_ALL;
  grid->GetScrollInfo(ui::SB_VERT, si);
  EXPECT_EQ(si.nMin, 1);
  EXPECT_EQ(si.nMax, 1000 + static_cast<int>(si.nPage) - 1);
  EXPECT_EQ(si.nPos, 1);
  grid->SetDataSource(nullptr);
}

TEST_F(LayoutTest, ScrollCodesMoveTheCurrentRecord) {
  Table t(1000);
  grid->SetDataSource(&t.src);
  const int page = grid->VisibleDataRowCount();
  const int buffered = grid->DataLink()->RecordCount();
  auto send = [&](int Code, int Track = 0) {
    if (Code == ui::SB_THUMBPOSITION || Code == ui::SB_THUMBTRACK) {
      ui::TScrollInfo si;
      si.fMask = ui::SIF_POS;
      si.nPos = Track;
      grid->SetScrollInfo(ui::SB_VERT, si);
    }
    ui::TMessage m{};
    m.Msg = ui::WM_VSCROLL;
    m.WParam = static_cast<ui::WPARAM>(Code);
    grid->HandleWmVScroll(m);
    return t.ds.RecNo();
  };
  struct Step {
    int code, track, recNo;
  };
  const Step steps[] = {
      {ui::SB_LINEDOWN, 0, buffered + 1},  // the record below the last row
      {ui::SB_LINEUP, 0, 1},               // above the first row (the window moved by one)
      {ui::SB_PAGEDOWN, 0, 1 + page},
      {ui::SB_PAGEUP, 0, 1},
      {ui::SB_BOTTOM, 0, 1000},
      {ui::SB_TOP, 0, 1},
      {ui::SB_THUMBPOSITION, 500, 500},
      {ui::SB_THUMBPOSITION, 1, 1},
      {ui::SB_THUMBPOSITION, 1000, 1000},
      {ui::SB_THUMBTRACK, 700, 700},
      {ui::SB_THUMBPOSITION, 900, 700},  // the drag's end does not move again
      {ui::SB_ENDSCROLL, 0, 700},
  };
  grid->SetFocus();
  for (const Step& s : steps) EXPECT_EQ(send(s.code, s.track), s.recNo) << s.code << " " << s.track;
  grid->SetDataSource(nullptr);
}

TEST_F(LayoutTest, ThumbBeyondSixteenBitsReachesItsRecord) {
  Table t(40000);
  grid->SetDataSource(&t.src);
  grid->SetFocus();
  ui::TScrollInfo si;
  si.fMask = ui::SIF_POS;
  si.nPos = 39000;
  grid->SetScrollInfo(ui::SB_VERT, si);
  ui::TMessage m{};
  m.Msg = ui::WM_VSCROLL;
  m.WParam = static_cast<ui::WPARAM>(ui::SB_THUMBPOSITION | ((39000u & 0xFFFFu) << 16));
  grid->HandleWmVScroll(m);
  EXPECT_EQ(t.ds.RecNo(), 39000);
  grid->SetDataSource(nullptr);
}

TEST_F(LayoutTest, OneRowScrollMovesTheWindowAndALongJumpRepaintsAll) {
  Table t(1000);
  grid->SetDataSource(&t.src);
  h.ProcessEvents();
  const int last = grid->RowCount() - 1;
  t.ds.MoveBy(last - grid->TopDataOffset());  // onto the last row
  h.ProcessEvents();
  grid->paintedRows.clear();
  t.ds.Next();  // the window moves by one row
  h.ProcessEvents();
  EXPECT_EQ(grid->Row(), last);
  // The pixels move (the offscreen platform repaints what moved as well),
  // and the new last row is painted.
  EXPECT_TRUE(grid->paintedRows.count(last));
  EXPECT_EQ(t.ds.RecNo(), last - grid->TopDataOffset() + 2);
  grid->paintedRows.clear();
  t.ds.MoveBy(-500);  // more than a page: everything
  h.ProcessEvents();
  EXPECT_GE(static_cast<int>(grid->paintedRows.size()), grid->DataRowCount());
  grid->SetDataSource(nullptr);
}

TEST_F(LayoutTest, WheelMovesOneRecordWhateverKeysAreHeld) {
  Table t(50);
  grid->SetDataSource(&t.src);
  for (ui::TShiftState shift : {ui::TShiftState{}, ui::TShiftState{ui::ssShift}, ui::TShiftState{ui::ssCtrl}}) {
    const int before = t.ds.RecNo();
    EXPECT_TRUE(grid->DoMouseWheelDown(shift, {20, 40}));
    EXPECT_EQ(t.ds.RecNo(), before + 1);
  }
  EXPECT_TRUE(grid->DoMouseWheelUp({}, {20, 40}));
  EXPECT_EQ(t.ds.RecNo(), 3);
  grid->SetDataSource(nullptr);
}

// --- footers ---------------------------------------------------------------------------------

TEST_F(LayoutTest, FooterTexts) {
  Table t(4);  // N = 1..4
  grid->SetDataSource(&t.src);
  grid->SetFooterRowCount(1);
  grid->SumList()->SetActive(true);
  TColumnEx* n = grid->Columns()->ColumnAt(0);
  TColumnEx* s = grid->Columns()->ColumnAt(1);
  struct Case {
    TColumnEx* column;
    TFooterValueType type;
    String fieldName, format, value, expected;
  };
  const Case cases[] = {
      {n, fvtSum, u"", u"", u"", u"10"},
      {n, fvtAvg, u"", u"", u"", u"2"},  // 2.5 as an integer, half to even
      {n, fvtSum, u"", u"0.00", u"", u"10.00"},
      {n, fvtSum, u"Missing", u"", u"", u"0"},
      {s, fvtSum, u"", u"", u"", u"0"},  // a text field
      {n, fvtCount, u"", u"0.00", u"", u"4.00"},
      {n, fvtCount, u"", u"", u"", u"4"},
      {n, fvtFieldValue, u"N", u"", u"", u"1"},
      {n, fvtFieldValue, u"Missing", u"", u"", u""},  // no error on every paint
      {n, fvtStaticText, u"", u"", u"Total", u"Total"},
      {n, fvtNon, u"", u"", u"x", u""},
  };
  for (const Case& c : cases) {
    // The sum list itself refuses items over fields the dataset lacks.
    grid->SumList()->SetActive(c.fieldName != u"Missing");
    TColumnFooterEx* f = c.column->Footer();
    f->SetFieldName(c.fieldName);
    f->SetDisplayFormat(c.format);
    f->SetValue(c.value);
    f->SetValueType(c.type);
    if (grid->SumList()->Active()) grid->SumList()->RecalcAll();
    EXPECT_EQ(grid->GetFooterValue(0, c.column), c.expected) << int(c.type) << " " << rtl::StringToUtf8(c.fieldName);
    f->SetValueType(fvtNon);
  }
  t.ds.Close();  // the default columns go with it
  TColumnEx* empty = grid->Columns()->ColumnAt(0);
  empty->Footer()->SetFieldName(u"N");
  empty->Footer()->SetValueType(fvtFieldValue);
  EXPECT_EQ(grid->GetFooterValue(0, empty), u"");
  grid->SetDataSource(nullptr);
}

}  // namespace
