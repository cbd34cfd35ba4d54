// The data grid's keys through the window layer: navigation, extending the
// record selection with Shift, deleting with confirmation, appending at the
// end, and Escape.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/columns/grouping/grid_row_panel_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/foundation/grid_drag_windows.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/edits.h"
#include "platform/ui/keys.h"
#include "tests/grid/core/grid_on_form.h"
#include "tests/grid/core/mem_table_data_set.h"

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

// An input method composing at the grid opens the cell editor, and the
// composition goes on there until its text is committed.
TEST_F(KeyedGrid, AnInputMethodComposesInTheCellEditor) {
  Bind();
  ASSERT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  QWidget* at = QApplication::focusWidget();
  ASSERT_NE(at, nullptr);
  QInputMethodEvent preedit(QStringLiteral("42"), {});
  QApplication::sendEvent(at, &preedit);
  h.ProcessEvents();
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  EXPECT_TRUE(grid->InplaceEditor()->Visible());
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("42"));
  QApplication::sendEvent(QApplication::focusWidget(), &commit);
  h.ProcessEvents();
  EXPECT_EQ(grid->InplaceEditor()->Text(), u"42");
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
bool findModal = false;
void CountFindDialog(TCustomDBGridEx*, const ui::String& Text, const ui::String&,
                     const std::vector<ui::String>&, bool Modal) {
  ++findDialogs;
  findText = Text;
  findModal = Modal;
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
  EXPECT_TRUE(findModal) << "the grid shows its find dialog modal";
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

TEST_F(KeyedGrid, ClipboardKeysNeedTheirEditAction) {
  Bind();
  struct Case {
    const char* name;
    std::uint16_t key;
    TShiftState shift;
    TDBGridExEditActions actions;
    const char16_t* clipboard;  // after the key, from "before" on record 5
    int recNo;
  };
  const Case cases[] = {
      {"Ctrl+C", 'C', {ui::ssCtrl}, {geaCopyEx}, u"5", 5},
      {"Ctrl+Insert", ui::VK_INSERT, {ui::ssCtrl}, {geaCopyEx}, u"5", 5},
      {"Ctrl+C without the action", 'C', {ui::ssCtrl}, {}, u"before", 5},
      {"Shift+Insert without the action", ui::VK_INSERT, {ui::ssShift}, {geaCopyEx}, u"before", 5},
  };
  for (const Case& c : cases) {
    ds.First();
    ds.MoveBy(4);
    grid->SetSelectedIndex(0);
    grid->SetEditActions(c.actions);
    ui::Clipboard()->SetAsText(u"before");
    Press(c.key, c.shift);
    EXPECT_EQ(ui::Clipboard()->AsText(), c.clipboard) << c.name;
    if (c.recNo != 0) EXPECT_EQ(RecNo(), c.recNo) << c.name;
    if (ds.State() != db::dsBrowse) ds.Post();
  }
}

TEST_F(KeyedGrid, PrevRecordValueShortCutCopiesTheRecordAbove) {
  Bind();
  ds.MoveBy(4);
  grid->SetSelectedIndex(0);
  Press(222, {ui::ssCtrl});
  EXPECT_EQ(ds.State(), db::dsEdit);
  EXPECT_EQ(ds.Fields(0)->AsInteger(), 4);
  ds.Cancel();
}

// A detail panel under the current record with one edit in it.
struct DetailPanelKeys : KeyedGrid {
  ui::TEdit* edit = nullptr;
  void Prepare() override {
    KeyedGrid::Prepare();
    edit = new ui::TEdit(form);
    edit->SetParent(grid->RowDetailPanelControl());
    grid->RowDetailPanel()->SetActive(true);
  }
};

TEST_F(DetailPanelKeys, CtrlDownOpensThePanelIntoItsEditAndCtrlUpComesBack) {
  Bind();
  Press(ui::VK_DOWN, {ui::ssCtrl});
  EXPECT_TRUE(grid->RowDetailPanel()->Visible());
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(RecNo(), 1);
  // Ctrl+Up inside the panel: the panel hears the child's key first.
  h.Key(edit, ui::VK_UP, {ui::ssCtrl});
  h.ProcessEvents();
  EXPECT_TRUE(grid->Focused());
  // Down with the panel open goes into it rather than to the next record.
  Press(ui::VK_DOWN);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(RecNo(), 1);
}

TEST_F(DetailPanelKeys, KeypadKeysShowAndHideThePanel) {
  Bind();
  struct Case {
    std::uint16_t key;
    bool visible;
  };
  for (const Case& c : {Case{ui::VK_ADD, true}, Case{ui::VK_SUBTRACT, false}, Case{ui::VK_MULTIPLY, true},
                        Case{ui::VK_MULTIPLY, false}}) {
    grid->SetFocus();
    Press(c.key);
    EXPECT_EQ(grid->RowDetailPanel()->Visible(), c.visible) << c.key;
  }
  // Their characters open no editor.
  h.Type(grid, u"+");
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  // A record that has no panel (the grid's event says so) keeps it closed.
  grid->OnCheckRowHaveDetailPanel = [](TCustomDBGridEx*, bool& Has) { Has = false; };
  Press(ui::VK_ADD);
  EXPECT_FALSE(grid->RowDetailPanel()->Visible());
}

// A memory table of (City, N) records grouped by City: B1, A2, B3, C4.
struct GroupedKeys : gridtest::ShownGrid {
  gridtest::TMemTableDataSet ds;
  db::TDataSource src{nullptr};
  void Prepare() override {
    ds.FieldDefs().Add(u"City", db::ftString, 10);
    ds.FieldDefs().Add(u"N", db::ftInteger);
    ds.Open();
    int n = 0;
    for (const char16_t* city : {u"B", u"A", u"B", u"C"}) {
      ds.Append();
      ds.Fields(0)->SetAsString(city);
      ds.Fields(1)->SetAsInteger(++n);
      ds.Post();
    }
    ds.First();
    src.SetDataSet(&ds);
    grid->SetDataSource(&src);
    auto* level = static_cast<TDBGridExDataGroupLevelEx*>(grid->DataGrouping()->GroupLevels()->Add());
    level->SetColumn(grid->Columns()->ColumnAt(0));
    grid->DataGrouping()->SetActive(true);
  }
  void Focus() {
    grid->SetFocus();
    h.ProcessEvents();
  }
  void Press(std::uint16_t Key, TShiftState Shift = {}) {
    h.Key(grid, Key, Shift);
    h.ProcessEvents();
  }
  TGridGroupDataTreeEx* Tree() { return grid->DataGrouping()->GroupDataTree(); }
  TGroupDataTreeNodeEx* Group(int I) { return Tree()->Root()->ChildAt(I); }
};

TEST_F(GroupedKeys, AGroupRowTakesTheKeysOfTheGroupTree) {
  Focus();
  grid->SetEditActions({geaSelectAllEx});
  grid->SetOptions(grid->Options() + TDBGridOptions{dgMultiSelect});
  struct Case {
    const char* name;
    std::uint16_t key;
    TShiftState shift;
    bool expanded;  // group A, which starts collapsed and current
    int row;        // visible node of the current row
  };
  const Case cases[] = {
      {"Right expands", ui::VK_RIGHT, {}, true, 0},
      {"Left collapses", ui::VK_LEFT, {}, false, 0},
      {"keypad * toggles", ui::VK_MULTIPLY, {}, true, 0},
      {"keypad - collapses", ui::VK_SUBTRACT, {}, false, 0},
      {"keypad + expands", ui::VK_ADD, {}, true, 0},
      {"Down goes to the next row", ui::VK_DOWN, {}, false, 1},
      {"Ctrl+A selects nothing on a group row", 'A', {ui::ssCtrl}, false, 0},
      {"Insert adds no record on a group row", ui::VK_INSERT, {}, false, 0},
  };
  for (const Case& c : cases) {
    if (c.key == ui::VK_DOWN || c.key == 'A' || c.key == ui::VK_INSERT) Group(0)->SetExpanded(false);
    grid->SetCurrentGroupNode(Group(0), true);
    Press(c.key, c.shift);
    EXPECT_EQ(Group(0)->Expanded(), c.expanded) << c.name;
    EXPECT_EQ(Tree()->IndexOfVisibleNode(grid->CurGroupDataNode()), c.row) << c.name;
    EXPECT_EQ(ds.State(), db::dsBrowse) << c.name;
    EXPECT_EQ(grid->Selection()->SelectionType(), gstNon) << c.name;
  }
}

TEST_F(GroupedKeys, InsertOnARecordRowJoinsItsGroupAndWithoutInsertAppends) {
  Focus();
  Tree()->ExpandLevel(1);
  ds.SetRecNo(3);  // the second B
  grid->SetCurrentGroupNode(Tree()->GetNodeByRecordViewNo(2), true);
  Press(ui::VK_INSERT);
  ASSERT_EQ(ds.State(), db::dsInsert);
  EXPECT_EQ(ds.Fields(0)->AsString(), u"B");
  ds.Cancel();

  grid->SetAllowedOperations(grid->AllowedOperations() - alopInsertEx);
  ds.SetRecNo(3);
  grid->SetCurrentGroupNode(Tree()->GetNodeByRecordViewNo(2), true);
  Press(ui::VK_INSERT);
  ASSERT_EQ(ds.State(), db::dsInsert);
  EXPECT_EQ(ds.Fields(0)->AsString(), u"") << "an appended record takes no group's key";
  ds.Cancel();
}

TEST_F(GroupedKeys, EscapeEndsMovingAGroupPanelItemWithoutApplying) {
  GroupedKeys::Focus();
  grid->SetCurrentGroupNode(Group(0), true);
  grid->StartGroupPanelMoving(0, 0);
  ASSERT_EQ(grid->DBGridExState(), dgsGroupPanelTitleMoving);
  ASSERT_TRUE(ExistingGridMoveLine() && ExistingGridMoveLine()->Visible());
  Press(ui::VK_ESCAPE);
  EXPECT_EQ(grid->DBGridExState(), dgsNormal);
  EXPECT_FALSE(ExistingGridMoveLine()->Visible()) << "the drop marker goes with the move";
  EXPECT_EQ(grid->DataGrouping()->ActiveGroupLevelsCount(), 1);
}

TEST_F(KeyedGrid, TextTypedIntoTheEditorReachesTheField) {
  Bind({dgEditing});
  grid->SetSelectedIndex(1);
  Press(ui::VK_F2);
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  h.Type(grid->InplaceEditor(), u"42");
  h.ProcessEvents();
  Press(ui::VK_DOWN);
  ds.First();
  EXPECT_EQ(ds.FieldByName(u"B")->AsInteger(), 42);
}

// --- row panels ------------------------------------------------------------------------------

// A two-line panel: A and B on the first line, C (wider than A) and D on
// the second. By place the columns are A, C, B, D.
struct PanelKeys : gridtest::ShownNumberedGrid {
  void Prepare() override {
    gridtest::OpenNumbered(ds, src, {u"A", u"B", u"C", u"D"}, 10);
    grid->SetDataSource(&src);
    grid->Columns()->SetState(csCustomized);
    const int widths[] = {60, 60, 80, 40};
    for (int i = 0; i < 4; ++i) grid->Columns()->ColumnAt(i)->SetWidth(widths[i]);
    grid->Columns()->ColumnAt(2)->SetInRowLinePos(1);
    grid->Columns()->ColumnAt(3)->SetInRowLinePos(1);
    grid->RowPanel()->SetActive(true);
    h.ProcessEvents();
    grid->SetFocus();
    h.ProcessEvents();
  }
  void Press(std::uint16_t Key, TShiftState Shift = {}) {
    h.Key(grid, Key, Shift);
    h.ProcessEvents();
  }
  ui::String Selected() { return grid->Columns()->ColumnAt(grid->SelectedIndex())->FieldName(); }
  int Index(const char16_t* Name) {
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (grid->Columns()->ColumnAt(i)->FieldName() == Name) return i;
    return -1;
  }
  // Where a panel column's value lies in the current row.
  ui::TRect PanelCell(const char16_t* Name) {
    const ui::TRect cell = grid->CellBounds(grid->IndicatorOffset(), grid->Row());
    const auto& p = grid->Columns()->ColumnAt(Index(Name))->RowPlacement();
    return {cell.Left + p.DataCellLeft, cell.Top + p.Top, cell.Left + p.DataCellLeft + p.DataCellWidth,
            cell.Top + p.Top + p.Height};
  }
};

TEST_F(PanelKeys, CellToCellArrowsWalkThePanelAndUpDownKeepTheirColumn) {
  ASSERT_EQ(grid->Columns()->ColumnAt(1)->FieldName(), u"C");
  grid->RowPanel()->SetNavKeysNavigationType(rpntCellToCellEx);
  struct Case {
    const char* name;
    std::uint16_t key;
    const char16_t* column;
    int recNo;
  };
  // From A of record 3, one key after the other.
  const Case cases[] = {
      {"Right to B", ui::VK_RIGHT, u"B", 3},
      {"Right at the line's end", ui::VK_RIGHT, u"B", 3},
      {"Down from B to C, the nearest under it", ui::VK_DOWN, u"C", 3},
      // C lies under A too; the run started at B, so Up goes back there.
      {"Up back to B", ui::VK_UP, u"B", 3},
      {"Left to A", ui::VK_LEFT, u"A", 3},
      {"Down to C", ui::VK_DOWN, u"C", 3},
      {"Down at the panel's bottom: next record", ui::VK_DOWN, u"C", 4},
      {"Right to D", ui::VK_RIGHT, u"D", 4},
      {"Up to B", ui::VK_UP, u"B", 4},
      {"Up at the panel's top: previous record", ui::VK_UP, u"B", 3},
  };
  ds.MoveBy(2);
  grid->SetSelectedIndex(Index(u"A"));
  ASSERT_EQ(Selected(), u"A");
  for (const Case& c : cases) {
    Press(c.key);
    EXPECT_EQ(Selected(), c.column) << c.name;
    EXPECT_EQ(RecNo(), c.recNo) << c.name;
    EXPECT_EQ(grid->Col(), grid->IndicatorOffset()) << c.name;
  }
}

TEST_F(PanelKeys, RowToRowArrowsMoveRecordsAndColumnsInOrder) {
  grid->SetSelectedIndex(Index(u"A"));
  Press(ui::VK_RIGHT);
  EXPECT_EQ(Selected(), u"C");
  Press(ui::VK_DOWN);
  EXPECT_EQ(Selected(), u"C");
  EXPECT_EQ(RecNo(), 2);
  Press(ui::VK_LEFT);
  EXPECT_EQ(Selected(), u"A");
}

TEST_F(PanelKeys, TheEditorLiesOverThePanelCellAndCommitsToItsColumn) {
  grid->SetOptions(grid->Options() + dgEditing);
  grid->RowPanel()->SetNavKeysNavigationType(rpntCellToCellEx);
  grid->SetSelectedIndex(Index(u"B"));
  Press(ui::VK_F2);
  TInplaceEdit* editor = grid->InplaceEditor();
  ASSERT_TRUE(editor && editor->Visible());
  EXPECT_EQ(editor->BoundsRect(), PanelCell(u"B"));
  // B's empty value, not A's number that the grid's own column would give.
  EXPECT_EQ(editor->Text(), u"");
  h.Type(editor, u"42");
  h.ProcessEvents();
  EXPECT_EQ(editor->Text(), u"42");
  // Moving to D writes B's text into B, not into the new column.
  Press(ui::VK_DOWN);
  Press(ui::VK_RIGHT);
  EXPECT_EQ(Selected(), u"D");
  EXPECT_EQ(ds.FieldByName(u"B")->AsInteger(), 42);
  EXPECT_TRUE(ds.FieldByName(u"D")->IsNull());
  Press(ui::VK_F2);
  ASSERT_TRUE(grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), PanelCell(u"D"));
}

}  // namespace
