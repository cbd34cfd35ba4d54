// The grid's incremental search: each step extends the text and moves to the
// first record whose selected column begins with it, the text keeps the
// record's letter case, and the search ends after the typing pause (on the
// test clock), on another move, or never when opened without a time-out.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "platform/classes/messages.h"
#include "platform/ui/forms.h"
#include "platform/ui/themes.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;

struct IncSearch : gridtest::ShownGrid {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};

  void Prepare() override {
    ds.FieldDefs().Add(u"N", db::ftInteger);
    ds.FieldDefs().Add(u"S", db::ftString, 20);
    src.SetDataSet(&ds);
    ds.Open();
    int n = 0;
    for (const char16_t* s : {u"Alpha", u"beta", u"BETTER", u"Gamma", u"better"}) {
      ds.Append();
      ds.Fields(0)->SetAsInteger(++n);
      ds.Fields(1)->SetAsString(s);
      ds.Post();
    }
    ds.First();
    grid->SetOptions(grid->Options() + dgAlwaysShowSelection);
    grid->SetDataSource(&src);
  }
  void SetUp() override {
    ShownGrid::SetUp();
    form->SetActiveControl(grid);
    grid->SetSelectedIndex(1);
  }
  void Type(const String& Text) {
    grid->StartInplaceSearch(Text, static_cast<int>(InplaceSearchTypingTimeOut), ltdAllEx);
  }
  // Pixels of the search highlight inside the current cell.
  int HighlightPixels() {
    grid->Repaint();
    const QImage image = grid->Widget()->grab().toImage();
    const ui::TRect r = grid->CellRangeRect(grid->Col(), grid->Row(), grid->Col(), grid->Row());
    const QRgb yellow = qRgb(255, 255, 0);
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (image.pixel(x, y) == yellow) ++n;
    return n;
  }
};

TEST_F(IncSearch, TypingMovesToTheFirstMatchAndKeepsItsCase) {
  struct Step {
    const char16_t* typed;
    int recNo;
    const char16_t* text;
  };
  const Step steps[] = {
      {u"b", 2, u"b"},     {u"E", 2, u"be"}, {u"t", 2, u"bet"}, {u"T", 3, u"BETT"},  // the record's own case
      {u"x", 3, u"BETT"},  // nothing matches: the character is dropped, the record stays
      {u"e", 3, u"BETTE"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(rtl::StringToUtf8(s.typed));
    Type(s.typed);
    EXPECT_TRUE(grid->InplaceSearching());
    EXPECT_EQ(ds.RecNo(), s.recNo);
    EXPECT_EQ(grid->InplaceSearchText(), s.text);
  }
  // Next match downwards with the text kept so far.
  grid->StartInplaceSearch(String(), grid->InplaceSearchTimeOut(), ltdDownEx);
  EXPECT_EQ(ds.RecNo(), 5);
  EXPECT_EQ(grid->InplaceSearchText(), u"bette");
  grid->StartInplaceSearch(String(), grid->InplaceSearchTimeOut(), ltdUpEx);
  EXPECT_EQ(ds.RecNo(), 3);
}

TEST_F(IncSearch, AHiddenColumnBeforeTheSearchedOneChangesNothing) {
  grid->Columns()->SetState(csCustomized);
  grid->Columns()->ColumnAt(0)->SetVisible(false);
  grid->SetSelectedIndex(1);
  Type(u"bet");
  Type(u"T");
  // The search stays in the selected column and takes its record's case.
  EXPECT_EQ(grid->SelectedIndex(), 1);
  EXPECT_EQ(ds.RecNo(), 3);
  EXPECT_EQ(grid->InplaceSearchText(), u"BETT");
}

TEST_F(IncSearch, ACharacterBeyondSixteenBitsIsSearchedWhole) {
  ext::TExtMemoryData wide{nullptr};
  db::TDataSource wideSrc{nullptr};
  wide.FieldDefs().Add(u"N", db::ftInteger);
  wide.FieldDefs().Add(u"W", db::ftWideString, 20);
  wideSrc.SetDataSet(&wide);
  wide.Open();
  int n = 0;
  for (const char16_t* w : {u"plain", u"\U0001F600 smile"}) {
    wide.Append();
    wide.Fields(0)->SetAsInteger(++n);
    wide.Fields(1)->SetAsString(w);
    wide.Post();
  }
  wide.First();
  grid->SetDataSource(&wideSrc);
  grid->SetSelectedIndex(1);
  grid->SetOptionsEx(grid->OptionsEx() + dghPreferIncSearch);
  // Its two halves arrive one after the other.
  grid->Perform(ui::WM_CHAR, 0xD83D, 0);
  EXPECT_EQ(wide.RecNo(), 1);
  grid->Perform(ui::WM_CHAR, 0xDE00, 0);
  EXPECT_TRUE(grid->InplaceSearching());
  EXPECT_EQ(wide.RecNo(), 2);
  EXPECT_EQ(grid->InplaceSearchText(), u"\U0001F600");
  grid->Perform(ui::WM_CHAR, u' ', 0);
  grid->Perform(ui::WM_CHAR, u's', 0);
  EXPECT_EQ(grid->InplaceSearchText(), u"\U0001F600 s");
  // A trail half without its lead is nothing to search for.
  grid->Perform(ui::WM_CHAR, 0xDE00, 0);
  EXPECT_EQ(grid->InplaceSearchText(), u"\U0001F600 s");
  grid->SetDataSource(&src);
}

TEST_F(IncSearch, EndsAfterTheTypingPauseAndTheHighlightGoes) {
  ASSERT_EQ(InplaceSearchTypingTimeOut, 1500u);
  Type(u"g");
  EXPECT_EQ(ds.RecNo(), 4);
  EXPECT_GT(HighlightPixels(), 0);
  h.Advance(1000);
  Type(u"a");  // typing restarts the pause
  h.Advance(1499);
  EXPECT_TRUE(grid->InplaceSearching());
  EXPECT_EQ(grid->InplaceSearchText(), u"Ga");
  h.Advance(1);
  EXPECT_FALSE(grid->InplaceSearching());
  EXPECT_EQ(grid->InplaceSearchText(), u"");
  EXPECT_EQ(ds.RecNo(), 4);
  EXPECT_EQ(HighlightPixels(), 0);
}

TEST_F(IncSearch, OpenedWithoutTimeOutStaysUntilTheRecordMoves) {
  grid->StartInplaceSearch(String(), -1, ltdAllEx);
  EXPECT_TRUE(grid->InplaceSearching());
  Type(u"a");
  EXPECT_EQ(grid->InplaceSearchTimeOut(), 1500);
  grid->StopInplaceSearch();
  grid->StartInplaceSearch(u"a", -1, ltdAllEx);
  h.Advance(60000);
  EXPECT_TRUE(grid->InplaceSearching());
  EXPECT_EQ(grid->InplaceSearchText(), u"A");
  // Moving to another record by other means ends the search.
  grid->MoveBy(1);
  EXPECT_FALSE(grid->InplaceSearching());
  EXPECT_EQ(grid->InplaceSearchText(), u"");
}

}  // namespace
