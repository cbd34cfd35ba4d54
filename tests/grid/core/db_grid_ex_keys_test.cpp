// The data grid's keys through the window layer: navigation, extending the
// record selection with Shift, deleting with confirmation, appending at the
// end, and Escape.
#include <gtest/gtest.h>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/ui/keys.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;
using ui::TShiftState;

// Thirty records of three numbered columns.
struct KeyedGrid : gridtest::ShownNumberedGrid {
  void Prepare() override { gridtest::OpenNumbered(ds, src, {u"N", u"B", u"C"}, 30); }
  void Bind(TDBGridOptions Add = {}, TDBGridOptions Remove = {}) {
    grid->SetOptions(grid->Options() + Add - Remove);
    grid->SetDataSource(&src);
    h.ProcessEvents();
    grid->SetFocus();
    h.ProcessEvents();
  }
  void Press(std::uint16_t Key, TShiftState Shift = {}) {
    h.Key(grid, Key, Shift);
    h.ProcessEvents();
  }
};

TEST_F(KeyedGrid, KeyTableMovesRecordsAndColumns) {
  Bind();
  const int page = grid->VisibleDataRowCount();
  struct Case {
    const char* name;
    std::uint16_t key;
    TShiftState shift;
    int recNo, column;  // after the key, from record 5 in column 1
  };
  const Case cases[] = {
      {"Down", ui::VK_DOWN, {}, 6, 1},
      {"Up", ui::VK_UP, {}, 4, 1},
      {"Ctrl+Home", ui::VK_HOME, {ui::ssCtrl}, 1, 1},
      {"Ctrl+End", ui::VK_END, {ui::ssCtrl}, 30, 1},
      {"Home", ui::VK_HOME, {}, 5, 0},
      {"End", ui::VK_END, {}, 5, 2},
      {"Left", ui::VK_LEFT, {}, 5, 0},
      {"Right", ui::VK_RIGHT, {}, 5, 2},
      {"Ctrl+Left", ui::VK_LEFT, {ui::ssCtrl}, 5, 0},
      {"Ctrl+Right", ui::VK_RIGHT, {ui::ssCtrl}, 5, 2},
      {"PgDn", ui::VK_NEXT, {}, 5 + page, 1},
      {"PgUp", ui::VK_PRIOR, {}, 1, 1},
      {"Tab", ui::VK_TAB, {}, 5, 2},
      {"Shift+Tab", ui::VK_TAB, {ui::ssShift}, 5, 0},
  };
  for (const Case& c : cases) {
    ds.First();
    ds.MoveBy(4);
    grid->SetSelectedIndex(1);
    h.ProcessEvents();
    Press(c.key, c.shift);
    EXPECT_EQ(RecNo(), c.recNo) << c.name;
    EXPECT_EQ(grid->SelectedIndex(), c.column) << c.name;
  }
}

TEST_F(KeyedGrid, RowSelectGoesToTheEndsAndTabWrapsToTheNextRecord) {
  Bind({dgRowSelect});
  Press(ui::VK_END);
  EXPECT_EQ(RecNo(), 30);
  Press(ui::VK_HOME);
  EXPECT_EQ(RecNo(), 1);
}

TEST_F(KeyedGrid, ShiftDownThreeTimesThenShiftUpLeavesThree) {
  Bind({dgRowSelect, dgMultiSelect});
  for (int i = 0; i < 3; ++i) Press(ui::VK_DOWN, {ui::ssShift});
  EXPECT_EQ(grid->Bookmarks()->Count(), 4);
  Press(ui::VK_UP, {ui::ssShift});
  EXPECT_EQ(RecNo(), 3);
  ASSERT_EQ(grid->Bookmarks()->Count(), 3);
  EXPECT_EQ(grid->Selection()->SelectionType(), gstRecordBookmarks);
  for (int rec = 1; rec <= 3; ++rec) {
    ds.First();
    ds.MoveBy(rec - 1);
    EXPECT_TRUE(grid->Bookmarks()->CurrentRowSelected()) << rec;
  }
  // A move without Shift ends the selection.
  Press(ui::VK_DOWN);
  EXPECT_EQ(grid->Bookmarks()->Count(), 0);
  EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
}

TEST_F(KeyedGrid, WithoutClearSelectionShiftExtensionToggles) {
  Bind({dgRowSelect, dgMultiSelect});
  grid->SetOptionsEx(grid->OptionsEx() - dghClearSelection);
  ds.MoveBy(1);
  grid->Bookmarks()->SetCurrentRowSelected(true);  // record 2 selected before
  ds.First();
  for (int i = 0; i < 2; ++i) Press(ui::VK_DOWN, {ui::ssShift});
  // 1 toggled on, 2 toggled off, 3 toggled on.
  EXPECT_EQ(grid->Bookmarks()->Count(), 2);
  ds.MoveBy(-1);
  EXPECT_FALSE(grid->Bookmarks()->CurrentRowSelected());
}

TEST_F(KeyedGrid, CtrlDeleteAsksAndDeletesOnOk) {
  Bind({dgRowSelect}, {dgEditing});
  ds.MoveBy(2);
  h.AnswerMessageBox(ui::mrCancel);
  Press(ui::VK_DELETE, {ui::ssCtrl});
  EXPECT_EQ(ds.RecordCount(), 30);
  h.AnswerMessageBox(ui::mrOk);
  Press(ui::VK_DELETE, {ui::ssCtrl});
  EXPECT_EQ(ds.RecordCount(), 29);
  EXPECT_EQ(RecNo(), 4);
  const auto boxes = h.TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Text, u"Delete record?");
}

TEST_F(KeyedGrid, CtrlDeleteWithSeveralSelectedDeletesThemAll) {
  Bind({dgRowSelect, dgMultiSelect});
  for (int i = 0; i < 2; ++i) Press(ui::VK_DOWN, {ui::ssShift});
  h.AnswerMessageBox(ui::mrOk);
  Press(ui::VK_DELETE, {ui::ssCtrl});
  EXPECT_EQ(ds.RecordCount(), 27);
  const auto boxes = h.TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, u"Delete all selected records?");
  ds.First();
  EXPECT_EQ(RecNo(), 4);
}

TEST_F(KeyedGrid, DeleteIsRefusedOnAReadOnlyGrid) {
  Bind({dgRowSelect});
  grid->SetReadOnly(true);
  Press(ui::VK_DELETE, {ui::ssCtrl});
  EXPECT_EQ(ds.RecordCount(), 30);
  EXPECT_TRUE(h.TakeMessageBoxes().empty());
}

TEST_F(KeyedGrid, DownAtTheEndAppendsAndUpCancelsTheEmptyRecord) {
  Bind();
  Press(ui::VK_END, {ui::ssCtrl});
  Press(ui::VK_DOWN);
  EXPECT_EQ(ds.State(), db::dsInsert);
  Press(ui::VK_UP);
  EXPECT_EQ(ds.State(), db::dsBrowse);
  EXPECT_EQ(ds.RecordCount(), 30);
  EXPECT_EQ(RecNo(), 30);

  grid->SetAllowedOperations(grid->AllowedOperations() - alopAppendEx);
  Press(ui::VK_DOWN);
  EXPECT_EQ(ds.State(), db::dsBrowse);
}

TEST_F(KeyedGrid, InsertKeyInsertsAndEscapeCancels) {
  Bind();
  ds.MoveBy(3);
  Press(ui::VK_INSERT);
  EXPECT_EQ(ds.State(), db::dsInsert);
  Press(ui::VK_ESCAPE);
  EXPECT_EQ(ds.State(), db::dsBrowse);
  EXPECT_EQ(ds.RecordCount(), 30);
}

TEST_F(KeyedGrid, EscapeClearsTheSelection) {
  Bind({dgRowSelect, dgMultiSelect});
  Press(ui::VK_DOWN, {ui::ssShift});
  ASSERT_EQ(grid->Bookmarks()->Count(), 2);
  Press(ui::VK_ESCAPE);
  EXPECT_EQ(grid->Bookmarks()->Count(), 0);
}

TEST_F(KeyedGrid, ShiftArrowsExtendARectangle) {
  Bind({dgMultiSelect});
  grid->SetSelectedIndex(0);
  Press(ui::VK_DOWN, {ui::ssShift});
  Press(ui::VK_RIGHT, {ui::ssShift});
  ASSERT_EQ(grid->Selection()->SelectionType(), gstRectangle);
  TDBGridExSelectionRect* rect = grid->Selection()->Rect();
  EXPECT_EQ(rect->LeftCol(), 0);
  EXPECT_EQ(rect->RightCol(), 1);
  EXPECT_EQ(RecNo(), 2);
  ds.First();
  EXPECT_EQ(rect->TopRow(), ds.GetBookmark());
}

TEST_F(KeyedGrid, TypingOpensTheEditorUnlessIncrementalSearchTakesIt) {
  struct Case {
    const char* name;
    bool incSearch, readOnly, opens;
  };
  for (const Case& c : {Case{"incremental search, read-only column", true, true, false},
                        Case{"incremental search", true, false, true}, Case{"plain", false, false, true},
                        Case{"read-only column", false, true, true}}) {
    grid->SetDataSource(nullptr);
    grid->SetOptionsEx(c.incSearch ? grid->OptionsEx() + dghIncSearch : grid->OptionsEx() - dghIncSearch);
    Bind();
    grid->Columns()->ColumnAt(grid->SelectedIndex())->SetReadOnly(c.readOnly);
    h.Type(grid, u"7");
    EXPECT_EQ(grid->InplaceEditor() && grid->InplaceEditor()->Visible(), c.opens) << c.name;
    grid->SetEditorMode(false);
    ds.Cancel();
  }
}

TEST_F(KeyedGrid, SpaceStepsACheckBoxColumn) {
  ext::TExtMemoryData flags{nullptr};
  gridtest::OpenOneFlag(flags);
  src.SetDataSet(&flags);
  Bind();
  grid->Columns()->ColumnAt(0)->SetCheckboxes(true);
  h.Type(grid, u" ");
  EXPECT_TRUE(flags.Fields(0)->AsBoolean());
  h.Type(grid, u" ");
  EXPECT_FALSE(flags.Fields(0)->AsBoolean());
  src.SetDataSet(&ds);
}

int findDialogs = 0;
ui::String findText;
void CountFindDialog(TCustomDBGridEx*, const ui::String& Text, const ui::String&,
                     const std::vector<ui::String>&, bool) {
  ++findDialogs;
  findText = Text;
}

TEST_F(KeyedGrid, CtrlFStartsTheSearchAndAgainOpensTheFindDialog) {
  Bind();
  const TExecuteFindDialogProcEx saved = ExecuteFindDialogProc;
  ExecuteFindDialogProc = &CountFindDialog;
  findDialogs = 0;
  grid->SetOptionsEx(grid->OptionsEx() + dghIncSearch + dghDialogFind);
  Press('F', {ui::ssCtrl});
  EXPECT_TRUE(grid->InplaceSearching());
  EXPECT_EQ(findDialogs, 0);
  h.Type(grid, u"2");
  EXPECT_EQ(grid->InplaceSearchText(), u"2");
  EXPECT_EQ(RecNo(), 2);
  h.Type(grid, u"5");
  EXPECT_EQ(RecNo(), 25);
  Press(ui::VK_BACK);
  EXPECT_EQ(grid->InplaceSearchText(), u"2");
  Press('F', {ui::ssCtrl});
  EXPECT_FALSE(grid->InplaceSearching());
  EXPECT_EQ(findDialogs, 1);
  EXPECT_EQ(findText, u"2");
  // Without incremental search Ctrl+F is the find dialog at once.
  grid->SetOptionsEx(grid->OptionsEx() - dghIncSearch);
  Press('F', {ui::ssCtrl});
  EXPECT_EQ(findDialogs, 2);
  ExecuteFindDialogProc = saved;
}

TEST_F(KeyedGrid, TypingOnAReadOnlyColumnWithIncrementalSearchSearches) {
  Bind();
  grid->SetOptionsEx(grid->OptionsEx() + dghIncSearch);
  grid->Columns()->ColumnAt(0)->SetReadOnly(true);
  grid->SetSelectedIndex(0);
  h.Type(grid, u"17");
  EXPECT_TRUE(grid->InplaceSearching());
  EXPECT_EQ(RecNo(), 17);
  Press(ui::VK_ESCAPE);
  EXPECT_FALSE(grid->InplaceSearching());
  EXPECT_EQ(RecNo(), 17);
}

TEST_F(KeyedGrid, CtrlASelectsAllOnlyWhenTheActionIsAllowed) {
  Bind({dgMultiSelect});
  Press('A', {ui::ssCtrl});
  EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
  grid->SetEditActions({geaSelectAllEx});
  Press('A', {ui::ssCtrl});
  EXPECT_EQ(grid->Selection()->SelectionType(), gstAll);
}

}  // namespace
