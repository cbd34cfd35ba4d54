// The grid text search (single column and every column, each direction, the
// matching kinds, formatted and raw text) and the find dialog driven as a
// user drives it: opened for a grid, "Find next" clicked, with and without
// Ctrl.
#include <gtest/gtest.h>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/dialogs/db_grid_ex_find_dlg.h"
#include "grid/columns/dialogs/search_grid_text.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/foundation/custom_grid_ex.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;

// Six text columns, 80 pixels each, on a grid 300 pixels wide: A to C are
// on screen, D to F are not. Record 3 holds its text only in F.
const std::vector<std::vector<const char16_t*>> kRows = {
    {u"apple", u"x", u"x", u"x", u"x", u"x"},
    {u"x", u"Berry", u"x", u"x", u"x", u"x"},
    {u"x", u"x", u"x", u"x", u"x", u"far away"},
    {u"Apple pie", u"x", u"x", u"x", u"x", u"x"},
};

struct FindGrid : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  TDBGridEx* grid = nullptr;
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};

  void SetUp() override {
    InitDBGridEx();
    InitDBGridExFindDlgs();
    for (const char16_t* name : {u"A", u"B", u"C", u"D", u"E", u"F"})
      ds.FieldDefs().Add(name, db::ftString, 20);
    ds.FieldDefs().Add(u"P", db::ftFloat);
    src.SetDataSet(&ds);
    ds.Open();
    static_cast<db::TFloatField*>(ds.FieldByName(u"P"))->SetDisplayFormat(u"0.00");
    double p = 1.5;
    for (const auto& row : kRows) {
      ds.Append();
      for (int i = 0; i < 6; ++i) ds.Fields(i)->SetAsString(row[static_cast<std::size_t>(i)]);
      ds.FieldByName(u"P")->SetAsFloat(p);
      p += 1;
      ds.Post();
    }
    ds.First();
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 400, 300);
    grid = new TDBGridEx(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 200);
    grid->SetDataSource(&src);
    for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->ColumnAt(i)->SetWidth(80);
    h.Show(form);
  }
  void TearDown() override {
    grid->SetDataSource(nullptr);
    delete form;
    DoneDBGridExFindDlgs();
    DoneDBGridEx();
  }

  int RecNo() { return ds.RecNo(); }
  bool Search(const String& Field, const String& Text, TLocateTextDirectionEx Dir,
              TLocateTextMatchingEx Matching = ltmAnyPartEx,
              TLocateTextOptionsEx Options = {ltoCaseInsensitiveEx, ltoMatchFormatEx}) {
    return SearchGridText(grid, Field, Text, lttInAllNodesEx, Matching, Dir, Options);
  }
  void GoTo(int Rec, int Column) {
    ds.First();
    ds.MoveBy(Rec - 1);
    grid->SetSelectedIndex(Column);
  }
};

TEST_F(FindGrid, SearchesOneColumnByDirectionMatchingAndCase) {
  struct Case {
    const char* what;
    int fromRec;
    const char16_t* field;
    const char16_t* text;
    TLocateTextDirectionEx dir;
    TLocateTextMatchingEx matching;
    bool caseInsensitive;
    int foundRec;  // 0: not found, the grid stays where it was
  };
  const Case cases[] = {
      {"all starts at the first record", 3, u"A", u"apple", ltdAllEx, ltmAnyPartEx, true, 1},
      {"down starts after the current record", 1, u"A", u"apple", ltdDownEx, ltmAnyPartEx, true, 4},
      {"up goes back", 4, u"A", u"apple", ltdUpEx, ltmAnyPartEx, true, 1},
      {"up from the first finds nothing", 1, u"A", u"apple", ltdUpEx, ltmAnyPartEx, true, 0},
      {"case kept", 2, u"A", u"APPLE", ltdDownEx, ltmAnyPartEx, false, 0},
      {"whole field", 2, u"A", u"apple", ltdDownEx, ltmWholeEx, true, 0},
      {"part", 2, u"A", u"pie", ltdDownEx, ltmAnyPartEx, true, 4},
      {"from the beginning", 2, u"A", u"pie", ltdDownEx, ltmFromBegingEx, true, 0},
      {"no field name: the selected column", 1, u"", u"berry", ltdDownEx, ltmAnyPartEx, true, 0},
      {"other column", 1, u"B", u"berry", ltdDownEx, ltmFromBegingEx, true, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GoTo(c.fromRec, 0);
    TLocateTextOptionsEx options{ltoMatchFormatEx};
    if (c.caseInsensitive) options.Include(ltoCaseInsensitiveEx);
    const bool found = Search(c.field, c.text, c.dir, c.matching, options);
    EXPECT_EQ(found, c.foundRec != 0);
    EXPECT_EQ(RecNo(), c.foundRec != 0 ? c.foundRec : c.fromRec);
    EXPECT_EQ(grid->SelectedIndex(), c.foundRec != 0 && c.field[0] == u'B' ? 1 : 0);
  }
}

TEST_F(FindGrid, AllColumnsReachColumnsOffScreenAndSelectTheColumnFound) {
  ASSERT_LT(grid->VisibleColCount(), 6);
  GoTo(1, 0);
  EXPECT_TRUE(Search(u"", u"far", ltdDownEx, ltmAnyPartEx, {ltoCaseInsensitiveEx, ltoAllFieldsEx}));
  EXPECT_EQ(RecNo(), 3);
  EXPECT_EQ(grid->SelectedIndex(), 5);
  EXPECT_EQ(grid->Col(), grid->DataColToGridCol(5));
  // Upwards, the step back from the first column lands on the last one, off screen.
  GoTo(2, 0);
  ds.Edit();
  ds.FieldByName(u"E")->SetAsString(u"far too");
  ds.Post();
  GoTo(3, 0);
  EXPECT_TRUE(Search(u"", u"far", ltdUpEx, ltmAnyPartEx, {ltoCaseInsensitiveEx, ltoAllFieldsEx}));
  EXPECT_EQ(RecNo(), 2);
  EXPECT_EQ(grid->SelectedIndex(), 4);
}

TEST_F(FindGrid, AllColumnsSearchTheCurrentRecordsOtherCellsFirst) {
  // The first record, reached by First: the search to the left along it must
  // not stop because the dataset still says it stands at its beginning.
  GoTo(1, 3);
  ASSERT_TRUE(ds.Bof());
  EXPECT_TRUE(Search(u"", u"apple", ltdUpEx, ltmAnyPartEx, {ltoCaseInsensitiveEx, ltoAllFieldsEx}));
  EXPECT_EQ(RecNo(), 1);
  EXPECT_EQ(grid->SelectedIndex(), 0);
  // "All" searches every cell from the top, also those left of the selected column.
  GoTo(3, 2);
  EXPECT_TRUE(Search(u"", u"apple", ltdAllEx, ltmAnyPartEx, {ltoCaseInsensitiveEx, ltoAllFieldsEx}));
  EXPECT_EQ(RecNo(), 1);
  EXPECT_EQ(grid->SelectedIndex(), 0);
}

TEST_F(FindGrid, FormattedTextOrRawText) {
  GoTo(1, 0);
  EXPECT_TRUE(Search(u"P", u"2.50", ltdAllEx, ltmWholeEx, {ltoMatchFormatEx}));
  EXPECT_EQ(RecNo(), 2);
  GoTo(1, 0);
  EXPECT_FALSE(Search(u"P", u"2.50", ltdAllEx, ltmWholeEx, {}));
  EXPECT_TRUE(Search(u"P", u"2.5", ltdAllEx, ltmWholeEx, {}));
  EXPECT_EQ(RecNo(), 2);
}

TEST_F(FindGrid, FailuresChangeNothing) {
  GoTo(2, 1);
  EXPECT_FALSE(Search(u"", u"nowhere", ltdDownEx, ltmAnyPartEx, {ltoAllFieldsEx}));
  EXPECT_EQ(RecNo(), 2);
  EXPECT_EQ(grid->SelectedIndex(), 1);
  EXPECT_THROW(Search(u"NoSuchField", u"x", ltdDownEx), EInvalidGridOperationEx);
  EXPECT_EQ(RecNo(), 2);
  ds.Close();
  EXPECT_FALSE(Search(u"", u"x", ltdAllEx));
}

// --- the dialog ------------------------------------------------------------------

struct FindDialog : FindGrid {
  TDBGridExFindDlg* dlg = nullptr;
  // Opens the dialog as Ctrl+F does, runs Steps inside its modal loop, and
  // closes it with its Close button.
  void WithDialog(const String& Text, const std::function<void()>& Steps) {
    h.Post([&] {
      dlg = GridFindDialog();
      ASSERT_NE(dlg, nullptr);
      dlg->cbText->SetText(Text);
      Steps();
      h.Click(dlg->bCancel);
    });
    ASSERT_NE(ExecuteFindDialogProc, nullptr);
    ExecuteFindDialogProc(grid, String(), String(), {}, grid->IsFindDialogShowAsModal());
  }
  void FindIn(const String& Caption) {
    dlg->cbFindIn->SetItemIndex(dlg->cbFindIn->Items()->IndexOf(Caption));
  }
  void Direction(TLocateTextDirectionEx D) { dlg->cbFindDirection->SetItemIndex(D); }
};

TEST_F(FindDialog, LayoutAndListsFollowTheGrid) {
  GoTo(1, 1);
  WithDialog(u"", [&] {
    EXPECT_EQ(dlg->Caption(), u"Find text");
    EXPECT_TRUE(dlg->IsModal());
    EXPECT_EQ(dlg->bFind->Caption(), u"&Find next");
    EXPECT_EQ(dlg->bCancel->Caption(), u"Close");
    EXPECT_EQ(dlg->bFind->TabOrder(), 6);
    EXPECT_EQ(dlg->bCancel->TabOrder(), 7);
    // No tree: the tree range is hidden and the form ends above it.
    EXPECT_FALSE(dlg->dbcTreeFindRange->Visible());
    EXPECT_EQ(dlg->ClientHeight(), 124);
    ASSERT_EQ(dlg->cbFindIn->Items()->Count(), 8);
    EXPECT_EQ(dlg->cbFindIn->Items()->Get(0), u"A");
    EXPECT_EQ(dlg->cbFindIn->Items()->Get(7), u"<All>");
    EXPECT_EQ(dlg->cbFindIn->Text(), u"B");
    EXPECT_EQ(dlg->cbFindDirection->Text(), u"All");
    EXPECT_EQ(dlg->cbMatchinType->Text(), u"From any part of field");
    EXPECT_FALSE(dlg->cbCharCase->Checked());
    EXPECT_TRUE(dlg->cbUseFormat->Checked());
    EXPECT_EQ(dlg->FindColumnsList().size(), 1u);
    FindIn(u"<All>");
    EXPECT_EQ(dlg->FindColumnsList().size(), 7u);
    EXPECT_TRUE(dlg->IsFirstTry);
  });
}

TEST_F(FindDialog, AHiddenColumnLeavesTheSelectedColumnChosen) {
  grid->Columns()->SetState(csCustomized);
  grid->Columns()->ColumnAt(0)->SetVisible(false);
  GoTo(1, 2);
  WithDialog(u"", [&] {
    ASSERT_EQ(dlg->cbFindIn->Items()->Count(), 7);
    EXPECT_EQ(dlg->cbFindIn->Text(), u"C");
  });
  // A search in one column with A hidden looks in the selected column.
  GoTo(1, 1);
  EXPECT_TRUE(Search(u"", u"berry", ltdAllEx));
  EXPECT_EQ(RecNo(), 2);
  EXPECT_EQ(grid->SelectedIndex(), 1);
}

TEST_F(FindDialog, FindNextAllThenOnwardsDownUpAndCtrl) {
  GoTo(3, 0);
  WithDialog(u"apple", [&] {
    // "All": the first search starts at the top, the next ones go on down.
    h.Click(dlg->bFind);
    EXPECT_EQ(RecNo(), 1);
    EXPECT_FALSE(dlg->IsFirstTry);
    h.Click(dlg->bFind);
    EXPECT_EQ(RecNo(), 4);
    h.Click(dlg->bFind);
    EXPECT_EQ(RecNo(), 4);
    // "Up" goes back; with Ctrl it goes down, and "Down" with Ctrl goes up.
    Direction(ltdUpEx);
    h.Click(dlg->bFind);
    EXPECT_EQ(RecNo(), 1);
    h.Click(dlg->bFind, {}, ui::mbLeft, {ui::ssCtrl});
    EXPECT_EQ(RecNo(), 4);
    Direction(ltdDownEx);
    h.Click(dlg->bFind, {}, ui::mbLeft, {ui::ssCtrl});
    EXPECT_EQ(RecNo(), 1);
    // The texts searched for are remembered.
    EXPECT_EQ(dlg->cbText->Items()->IndexOf(u"apple"), 0);
  });
}

TEST_F(FindDialog, AllColumnsReachesAnOffScreenColumn) {
  GoTo(1, 0);
  WithDialog(u"far", [&] {
    FindIn(u"<All>");
    Direction(ltdDownEx);
    h.Click(dlg->bFind);
    EXPECT_EQ(RecNo(), 3);
    EXPECT_EQ(grid->SelectedIndex(), 5);
    EXPECT_GT(grid->LeftCol(), grid->DataColToGridCol(0));
  });
}

TEST_F(FindDialog, EnterFindsAndEscapeLeavesAModalDialogToItsCloseButton) {
  GoTo(1, 0);
  WithDialog(u"berry", [&] {
    FindIn(u"B");
    h.Key(dlg->cbText, ui::VK_RETURN);
    EXPECT_EQ(RecNo(), 2);
    EXPECT_FALSE(dlg->cbText->Modified());
    h.Key(dlg->cbText, ui::VK_ESCAPE);
  });
  EXPECT_FALSE(dlg->Visible());
}

TEST_F(FindDialog, ShownWithoutModalEscapeClosesIt) {
  ShowGridFindDialog(grid, u"x", String(), {}, false);
  dlg = GridFindDialog();
  ASSERT_TRUE(dlg->Visible());
  EXPECT_EQ(dlg->FormStyle(), ui::fsStayOnTop);
  h.Key(dlg->cbText, ui::VK_ESCAPE);
  EXPECT_FALSE(dlg->Visible());
}

TEST_F(FindDialog, OutlivesItsGrid) {
  ShowGridFindDialog(grid, u"apple", String(), {}, false);
  dlg = GridFindDialog();
  grid->SetDataSource(nullptr);
  delete grid;
  grid = nullptr;
  EXPECT_EQ(dlg->Grid(), nullptr);
  h.Click(dlg->bFind);
  dlg->Close();
  grid = new TDBGridEx(form);
}

}  // namespace
