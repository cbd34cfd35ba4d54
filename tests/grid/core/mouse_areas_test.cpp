// The mouse over the grid's other areas: dragging records by the indicator
// (and cancelling the drag), tree buttons, the detail sign, group rows and
// the grouping panel, and row panels.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <string>
#include <vector>

#include "grid/columns/columns/column_def_values_ex.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/columns/grouping/grid_row_panel_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/editor_support/bm_list.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/data/data_source.h"
#include "platform/classes/messages.h"
#include "platform/ui/hint_window.h"
#include "platform/ui/keys.h"
#include "tests/grid/core/grid_on_form.h"
#include "tests/grid/core/mem_table_data_set.h"

namespace {

using namespace grid;
using ui::TPoint;
using ui::TRect;

TPoint Centre(const TRect& R) { return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }

// Ends a drag by releasing the button at At, after Escape when Cancel.
void EndDrag(uitest::Harness& h, ui::TWinControl* Grid, TPoint At, bool Cancel) {
  if (Cancel) {
    h.Key(Grid, ui::VK_ESCAPE);
    h.ProcessEvents();
  }
  h.MouseUp(Grid, At);
  h.ProcessEvents();
}

// --- dragging records ---------------------------------------------------------------------

struct RecordDrag : gridtest::ShownNumberedGrid {
  struct Move {
    int toRecNo, count;
    std::vector<int> numbers;
  };
  std::vector<Move> moves;
  int checks = 0;

  void Prepare() override {
    gridtest::OpenNumbered(ds, src, {u"N", u"M"}, 20);
    grid->SetOptionsEx(grid->OptionsEx() + TDBGridExOptions{dghRecordMoving});
    grid->OnMoveRecords = [this](ui::TObject*, TBMListEx* List, int ToRecNo, int, bool CheckOnly) {
      if (CheckOnly) {
        ++checks;
        return true;
      }
      Move m{ToRecNo, List->Count(), {}};
      const db::TBookmark here = ds.GetBookmark();
      for (int i = 0; i < List->Count(); ++i) {
        ds.GotoBookmark(List->ItemAt(i));
        m.numbers.push_back(RecNo());
      }
      ds.GotoBookmark(here);
      moves.push_back(m);
      return true;
    };
    grid->SetDataSource(&src);
  }
  TPoint Indicator(int DataRow) {
    const int row = grid->TopDataOffset() + DataRow;
    return Centre(grid->CellRangeRect(0, row, 0, row));
  }
};

TEST_F(RecordDrag, ReleasingMovesTheRecordAndCancellingDoesNot) {
  enum End { kRelease, kCancelMode, kEscape };
  struct Case {
    const char* name;
    int toRow;
    End end;
    int moved;  // the ToRecNo handed over, 0: no move
  };
  for (const Case& c : {Case{"down three", 4, kRelease, 5}, Case{"own row", 1, kRelease, 0},
                        Case{"cancel mode", 4, kCancelMode, 0}, Case{"escape", 4, kEscape, 0}}) {
    moves.clear();
    ds.First();
    h.ProcessEvents();
    h.MouseDown(grid, Indicator(1));
    ASSERT_EQ(grid->DBGridExState(), dgsRowMoving) << c.name;
    EXPECT_TRUE(grid->TimerActive()) << c.name;
    h.MouseMove(grid, Indicator(c.toRow), {ui::ssLeft});
    EXPECT_EQ(grid->MoveRowDest(), grid->TopDataOffset() + c.toRow) << c.name;
    if (c.end == kCancelMode) grid->Perform(ui::WM_CANCELMODE);
    if (c.end == kEscape) h.Key(grid, ui::VK_ESCAPE);
    if (c.end != kRelease) EXPECT_EQ(grid->DBGridExState(), dgsNormal) << c.name;
    h.MouseUp(grid, Indicator(c.toRow));
    EXPECT_EQ(grid->DBGridExState(), dgsNormal) << c.name;
    EXPECT_FALSE(grid->TimerActive()) << c.name;
    if (c.moved == 0) {
      EXPECT_TRUE(moves.empty()) << c.name;
    } else {
      ASSERT_EQ(moves.size(), 1u) << c.name;
      EXPECT_EQ(moves[0].toRecNo, c.moved) << c.name;
      EXPECT_EQ(moves[0].numbers, std::vector<int>{2}) << c.name;
    }
  }
}

TEST_F(RecordDrag, SelectedRecordsMoveTogetherAndOnlyFromASelectedOne) {
  grid->SetOptions(grid->Options() + dgMultiSelect + dgRowSelect);
  h.ProcessEvents();
  h.Click(grid, Indicator(1));
  h.Click(grid, Indicator(3), ui::mbLeft, {ui::ssCtrl});
  ASSERT_EQ(grid->Bookmarks()->Count(), 2);
  // An unselected record is selected, not dragged.
  h.MouseDown(grid, Indicator(5));
  EXPECT_EQ(grid->DBGridExState(), dgsRowSelecting);
  h.MouseUp(grid, Indicator(5));
  EXPECT_EQ(grid->Bookmarks()->Count(), 1);
  h.Click(grid, Indicator(1), ui::mbLeft, {ui::ssCtrl});
  h.Click(grid, Indicator(3), ui::mbLeft, {ui::ssCtrl});
  ASSERT_EQ(grid->Bookmarks()->Count(), 3);
  // With Ctrl a press on a selected one toggles it.
  h.MouseDown(grid, Indicator(3), ui::mbLeft, {ui::ssCtrl});
  EXPECT_NE(grid->DBGridExState(), dgsRowMoving);
  h.MouseUp(grid, Indicator(3), ui::mbLeft, {ui::ssCtrl});
  ASSERT_EQ(grid->Bookmarks()->Count(), 2);
  h.MouseDown(grid, Indicator(1));
  ASSERT_EQ(grid->DBGridExState(), dgsRowMoving);
  h.MouseMove(grid, Indicator(7), {ui::ssLeft});
  h.MouseUp(grid, Indicator(7));
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].count, 2);
  EXPECT_EQ(moves[0].numbers, (std::vector<int>{2, 6}));
  EXPECT_EQ(moves[0].toRecNo, 8);
}

TEST_F(RecordDrag, HeldBelowTheRowsTheGridScrollsOnTheTimer) {
  const int last = grid->DataRowCount() - 1;
  h.MouseDown(grid, Indicator(1));
  ASSERT_EQ(grid->DBGridExState(), dgsRowMoving);
  const TPoint below{Indicator(0).X, grid->ClientHeight() - 1};
  grid->FCursorPos = [&] { return grid->ClientToScreen(below); };
  h.MouseMove(grid, below, {ui::ssLeft});
  const int first = ds.RecNo();
  h.Advance(60);
  h.ProcessEvents();
  h.Advance(60);
  h.ProcessEvents();
  EXPECT_GT(ds.RecNo(), first);
  EXPECT_EQ(grid->MoveRowDest(), grid->TopDataOffset() + last);
  grid->FCursorPos = nullptr;
  h.MouseUp(grid, below);
  EXPECT_FALSE(grid->TimerActive());
}

// --- a title press ended by the window system ------------------------------------------

TEST_F(RecordDrag, CancelModeEndsATitlePressWithoutAClick) {
  int titleBtnClicks = 0;
  grid->OnTitleBtnClick = [&](ui::TObject*, int, TColumnEx*) { ++titleBtnClicks; };
  grid->ColumnDefValues()->Title()->SetTitleButton(true);
  grid->SetOptionsEx(grid->OptionsEx() - dghColumnMove);
  h.ProcessEvents();
  const TPoint p = Centre(grid->CellRangeRect(1, 0, 1, 0));
  h.MouseDown(grid, p);
  ASSERT_EQ(grid->PressedCol(), 1);
  grid->Perform(ui::WM_CANCELMODE);
  EXPECT_EQ(grid->PressedCol(), -1);
  EXPECT_FALSE(grid->MouseCapture());
  h.MouseUp(grid, p);
  EXPECT_EQ(titleBtnClicks, 0);
}

// --- tree buttons and the detail sign ------------------------------------------------------

// A memory table whose records form a tree: A(B, C), D.
struct TreePresses : gridtest::ShownGrid {
  gridtest::TMemTableDataSet ds;
  db::TDataSource src{nullptr};

  void Prepare() override {
    gridtest::OpenSmallTree(ds, false);
    src.SetDataSet(&ds);
    grid->SetDataSource(&src);
  }
  TRect Cell(int DataRow) { return grid->CellBounds(grid->IndicatorOffset(), grid->TopDataOffset() + DataRow); }
};

TEST_F(TreePresses, AClickOnTheButtonTogglesAndElsewhereMovesToTheRecord) {
  int cellClicks = 0;
  grid->OnCellClick = [&](TColumnEx*) { ++cellClicks; };
  const TRect a = Cell(0);
  h.Click(grid, TPoint{a.Left + 9, (a.Top + a.Bottom) / 2});
  EXPECT_TRUE(ds.expanded[0]);
  EXPECT_EQ(ds.RecNo(), 1);
  h.Click(grid, TPoint{a.Left + 9, (a.Top + a.Bottom) / 2});
  EXPECT_FALSE(ds.expanded[0]);
  EXPECT_EQ(cellClicks, 0);
  // Right of the tree area the press is an ordinary cell press.
  const TRect c = Cell(2);
  h.Click(grid, TPoint{c.Left + 45, (c.Top + c.Bottom) / 2});
  EXPECT_EQ(ds.RecNo(), 3);
  EXPECT_FALSE(ds.expanded[2]);
  EXPECT_EQ(cellClicks, 1);
}

TEST_F(TreePresses, TheDetailSignOpensAndClosesThePanelOfThePressedRecord) {
  ds.levels.clear();
  grid->RowDetailPanel()->SetActive(true);
  h.ProcessEvents();
  const TRect b = Cell(1);
  const TPoint sign{b.Left + 9, (b.Top + b.Bottom) / 2};
  struct Case {
    TPoint at;
    bool open;
  };
  for (const Case& c : {Case{sign, true}, Case{sign, false}, Case{{b.Left + 40, sign.Y}, false}}) {
    h.Click(grid, c.at);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(grid->RowDetailPanel()->Visible(), c.open) << c.at.X;
  }
}

// --- group rows and the grouping panel ----------------------------------------------------

// A grid over (City, N) records grouped by City, with the grouping panel.
struct GroupPresses : gridtest::ShownGrid {
  gridtest::TMemTableDataSet ds;
  db::TDataSource src{nullptr};
  int titleBtnClicks = 0;

  void Prepare() override {
    form->SetBounds(0, 0, 420, 320);
    grid->SetBounds(0, 0, 400, 300);
    ds.FieldDefs().Add(u"City", db::ftString, 10);
    ds.FieldDefs().Add(u"N", db::ftInteger);
    ds.FieldDefs().Add(u"M", db::ftInteger);
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
    grid->OnTitleBtnClick = [this](ui::TObject*, int, TColumnEx*) { ++titleBtnClicks; };
    grid->DataGrouping()->SetGroupPanelVisible(true);
    grid->DataGrouping()->SetActive(true);
  }
  // Filter buttons in the titles, so the grouping items show theirs too.
  void ShowFilterButtons() {
    grid->STFilter()->SetVisible(true);
    grid->STFilter()->SetLocation(stflInTitleFilterEx);
    h.ProcessEvents();
  }
  // The middle of a grouping item's filter button.
  TPoint LevelFilterButton(int Level) {
    const TRect item = Groups()->ActiveGroupLevelAt(Level)->GroupPanelRect();
    return {item.Right - 6, (item.Top + item.Bottom) / 2};
  }
  TDBGridExDataGroupsEx* Groups() { return grid->DataGrouping(); }
  TColumnEx* Col(int I) { return grid->Columns()->ColumnAt(I); }
  TPoint Title(int DataCol) {
    const int c = grid->DataColToGridCol(DataCol);
    return Centre(grid->CellRangeRect(c, 0, c, 0));
  }
  TPoint InPanel() { return {40, grid->OutBoundaryData()->TopIndent() / 2}; }
  // Drags a column's title up onto the grouping panel and drops it there.
  void DropOnPanel(int DataCol) {
    const TPoint from = Title(DataCol);
    h.MouseDown(grid, from);
    h.MouseMove(grid, {from.X + 10, from.Y}, {ui::ssLeft});
    ASSERT_EQ(grid->GridState(), gsColMoving);
    h.MouseMove(grid, InPanel(), {ui::ssLeft});
    ASSERT_EQ(grid->DBGridExState(), dgsGroupPanelTitleMoving);
    h.MouseUp(grid, InPanel());
  }
  TPoint Item(int Level) { return Centre(Groups()->ActiveGroupLevelAt(Level)->GroupPanelRect()); }
};

TEST_F(GroupPresses, ATitleDraggedOntoThePanelGroupsAndDraggedBackUngroups) {
  DropOnPanel(0);
  ASSERT_EQ(Groups()->ActiveGroupLevelsCount(), 1);
  EXPECT_EQ(Groups()->ActiveGroupLevelAt(0)->Column(), Col(0));
  EXPECT_FALSE(Col(0)->Visible());
  EXPECT_TRUE(grid->DataGroupingWorks());
  EXPECT_EQ(grid->GridState(), gsNormal);
  EXPECT_EQ(grid->DBGridExState(), dgsNormal);

  // The item dragged below the panel turns into a column move; its drop
  // gives the column back.
  const TPoint item = Item(0);
  h.MouseDown(grid, item);
  const TPoint target = Title(2);
  grid->FCursorPos = [&] { return grid->ClientToScreen(target); };
  h.MouseMove(grid, {item.X + 10, item.Y}, {ui::ssLeft});
  EXPECT_EQ(grid->DBGridExState(), dgsGroupPanelTitleMoving);
  h.MouseMove(grid, target, {ui::ssLeft});
  EXPECT_EQ(grid->GridState(), gsColMoving);
  h.MouseUp(grid, target);
  grid->FCursorPos = nullptr;
  EXPECT_EQ(Groups()->ActiveGroupLevelsCount(), 0);
  EXPECT_TRUE(Col(0)->Visible());
  EXPECT_FALSE(grid->DataGroupingWorks());
}

TEST_F(GroupPresses, ATitleDraggedOverThePanelAndBackMovesAsAColumn) {
  int moved = 0;
  grid->OnColumnMoved = [&](ui::TObject*, int, int) { ++moved; };
  const TPoint from = Title(1), to = Title(2);
  h.MouseDown(grid, from);
  h.MouseMove(grid, {from.X + 10, from.Y}, {ui::ssLeft});
  h.MouseMove(grid, InPanel(), {ui::ssLeft});
  ASSERT_EQ(grid->DBGridExState(), dgsGroupPanelTitleMoving);
  grid->FCursorPos = [&] { return grid->ClientToScreen(to); };
  h.MouseMove(grid, to, {ui::ssLeft});
  EXPECT_EQ(grid->DBGridExState(), dgsNormal);
  EXPECT_EQ(grid->GridState(), gsColMoving);
  h.Advance(60 * 3);
  h.ProcessEvents();
  h.MouseUp(grid, to);
  grid->FCursorPos = nullptr;
  EXPECT_EQ(Groups()->ActiveGroupLevelsCount(), 0);
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(Col(2)->FieldName(), u"N");
  EXPECT_TRUE(Col(2)->Visible());
}

TEST_F(GroupPresses, ALevelDraggedIntoARowPanelShowsItsColumnThereAndUngroups) {
  DropOnPanel(0);
  ASSERT_EQ(Groups()->ActiveGroupLevelsCount(), 1);
  grid->SetOptionsEx(grid->OptionsEx() + dghColumnMove);
  grid->RowPanel()->SetActive(true);
  h.ProcessEvents();
  TColumnEx* city = Col(0);
  TColumnEx* m = nullptr;
  for (int i = 0; i < grid->Columns()->Count(); ++i)
    if (Col(i)->FieldName() == u"M") m = Col(i);
  ASSERT_TRUE(m);
  const auto& p = m->RowPlacement();
  const TPoint onM =
      Centre(grid->RowPanelCellClientRect(0, TRect{p.Left, p.Top, p.Left + p.Width, p.Top + p.Height}));
  struct Case {
    const char* name;
    bool cancel;
    int levels;
    bool visible;
  };
  for (const Case& k : {Case{"cancelled", true, 1, false}, Case{"dropped on M", false, 0, true}}) {
    const TPoint item = Item(0);
    h.MouseDown(grid, item);
    h.MouseMove(grid, {item.X + 10, item.Y}, {ui::ssLeft});
    ASSERT_EQ(grid->DBGridExState(), dgsGroupPanelTitleMoving) << k.name;
    h.MouseMove(grid, onM, {ui::ssLeft});
    EXPECT_EQ(grid->GridState(), gsColMoving) << k.name;
    EXPECT_EQ(grid->RowPanelMoveTarget(), m->Index()) << k.name;
    EndDrag(h, grid, onM, k.cancel);
    EXPECT_EQ(grid->GridState(), gsNormal) << k.name;
    EXPECT_EQ(Groups()->ActiveGroupLevelsCount(), k.levels) << k.name;
    EXPECT_EQ(city->Visible(), k.visible) << k.name;
  }
  // Coming from the left end of the collection, the column takes M's index,
  // which puts it on M's line just after M.
  EXPECT_FALSE(grid->DataGroupingWorks());
  EXPECT_EQ(city->InRowLinePos(), m->InRowLinePos());
  EXPECT_EQ(city->RowPlacement().Width, city->Width());
  EXPECT_EQ(city->RowPlacement().Left, m->RowPlacement().Left + m->RowPlacement().Width + 1);
}

TEST_F(GroupPresses, AnItemsFilterButtonOpensItsColumnsListAndTheItemUnderTheMouseIsHot) {
  DropOnPanel(0);
  ShowFilterButtons();
  const TRect item = Groups()->ActiveGroupLevelAt(0)->GroupPanelRect();
  const TPoint button = LevelFilterButton(0);
  TRect r;
  ASSERT_TRUE(grid->GroupPanelFilterButtonAt(0, button, r));
  ASSERT_FALSE(grid->GroupPanelFilterButtonAt(0, {item.Left + 4, button.Y}, r));
  h.Click(grid, button);
  EXPECT_TRUE(grid->InTitleFilterListboxVisible());
  EXPECT_EQ(grid->InTitleFilterListboxColumn(), Col(0));
  h.Click(grid, button);
  EXPECT_FALSE(grid->InTitleFilterListboxVisible());
  // Nothing was pressed or dragged meanwhile.
  EXPECT_EQ(grid->DBGridExState(), dgsNormal);
  h.MouseMove(grid, {item.Left + 4, button.Y});
  EXPECT_EQ(grid->HotGroupPanelLevel(), 0);
  h.MouseMove(grid, Title(1));
  EXPECT_EQ(grid->HotGroupPanelLevel(), -1);
}

TEST_F(GroupPresses, AnItemsFilterListBelongsToItsLevelUntilItCloses) {
  DropOnPanel(0);
  DropOnPanel(1);
  ASSERT_EQ(Groups()->ActiveGroupLevelsCount(), 2);
  ShowFilterButtons();
  TGridDataGroupLevelEx* first = Groups()->ActiveGroupLevelAt(0);
  TGridDataGroupLevelEx* second = Groups()->ActiveGroupLevelAt(1);
  h.Click(grid, LevelFilterButton(0));
  ASSERT_TRUE(grid->InTitleFilterListboxVisible());
  EXPECT_EQ(grid->InTitleFilterListboxGroupLevel(), first);
  EXPECT_EQ(grid->InTitleFilterListboxColumn(), first->Column());
  // The other item's button takes the list over for its own level.
  h.Click(grid, LevelFilterButton(1));
  ASSERT_TRUE(grid->InTitleFilterListboxVisible());
  EXPECT_EQ(grid->InTitleFilterListboxGroupLevel(), second);
  EXPECT_EQ(grid->InTitleFilterListboxColumn(), second->Column());
  // Enter in the list closes it and lets go of the level.
  h.Key(grid->InTitleFilterListbox(), ui::VK_RETURN);
  EXPECT_FALSE(grid->InTitleFilterListboxVisible());
  EXPECT_EQ(grid->InTitleFilterListboxGroupLevel(), nullptr);
  // A level taken off the panel closes the list it opened.
  h.Click(grid, LevelFilterButton(1));
  ASSERT_EQ(grid->InTitleFilterListboxGroupLevel(), second);
  delete second;
  EXPECT_FALSE(grid->InTitleFilterListboxVisible());
  EXPECT_EQ(grid->InTitleFilterListboxGroupLevel(), nullptr);
  EXPECT_EQ(Groups()->ActiveGroupLevelsCount(), 1);
  // So does hiding the panel.
  h.Click(grid, LevelFilterButton(0));
  ASSERT_EQ(grid->InTitleFilterListboxGroupLevel(), first);
  Groups()->SetGroupPanelVisible(false);
  EXPECT_FALSE(grid->InTitleFilterListboxVisible());
  EXPECT_EQ(grid->InTitleFilterListboxGroupLevel(), nullptr);
  // The grid goes with a level's list still open.
  Groups()->SetGroupPanelVisible(true);
  h.ProcessEvents();
  h.Click(grid, LevelFilterButton(0));
  EXPECT_EQ(grid->InTitleFilterListboxGroupLevel(), first);
}

// The sort commands of a list opened from a grouping-panel item order that
// level's groups; the column's title marker is not touched. The same
// commands in a title's list mark the title.
TEST_F(GroupPresses, ALevelsListSortsItsGroupsAndATitlesListMarksTheTitle) {
  grid->SetOptionsEx(grid->OptionsEx() + dghAutoSortMarking);
  grid->ColumnDefValues()->Title()->SetTitleButton(true);
  DropOnPanel(0);
  ShowFilterButtons();
  TGridDataGroupLevelEx* level = Groups()->ActiveGroupLevelAt(0);
  TGridGroupDataTreeEx* tree = Groups()->GroupDataTree();
  auto groupKeys = [&] {
    String keys;
    for (int i = 0; i < tree->FlatVisibleCount(); ++i)
      if (tree->FlatVisibleNodeAt(i)->NodeType() == dntDataGroupEx) keys += tree->FlatVisibleNodeAt(i)->KeyValue().AsString();
    return keys;
  };
  ASSERT_EQ(groupKeys(), u"ABC");
  auto choose = [&](const String& Text) {
    TPopupListboxEx* list = grid->InTitleFilterListbox();
    ASSERT_TRUE(grid->InTitleFilterListboxVisible());
    const int index = list->Items()->IndexOf(Text);
    ASSERT_GE(index, 0) << std::string(Text.begin(), Text.end());
    list->SetItemIndex(index);
    h.Key(list, ui::VK_RETURN);
    EXPECT_FALSE(grid->InTitleFilterListboxVisible());
  };
  const TRect item = level->GroupPanelRect();
  const TPoint button{item.Right - 6, (item.Top + item.Bottom) / 2};
  struct Case {
    const char16_t* command;
    TSortOrderEx order;
    const char16_t* keys;
  };
  for (const Case& c : {Case{u"(Order by descending)", soDescEx, u"CBA"},
                        Case{u"(Order by ascending)", soAscEx, u"ABC"}}) {
    h.Click(grid, button);
    ASSERT_EQ(grid->InTitleFilterListboxGroupLevel(), level);
    choose(c.command);
    EXPECT_EQ(level->SortOrder(), c.order) << std::string(c.command, c.command + 5);
    EXPECT_EQ(groupKeys(), c.keys);
    EXPECT_EQ(Col(0)->Title()->SortMarker(), smNoneEx);
    EXPECT_EQ(grid->InTitleFilterListboxGroupLevel(), nullptr);
  }
  // A title's own list marks its title; the level keeps its order.
  const int c = grid->DataColToGridCol(1);
  const TRect title = grid->CellRangeRect(c, 0, c, 0);
  TRect r;
  ASSERT_NE(grid->TitleFilterButtonHitTest(TGridCoord{c, 0}, TPoint{title.Right - 4, Centre(title).Y}, r, title), 0);
  h.Click(grid, TPoint{title.Right - 4, Centre(title).Y});
  ASSERT_EQ(grid->InTitleFilterListboxColumn(), Col(1));
  ASSERT_EQ(grid->InTitleFilterListboxGroupLevel(), nullptr);
  choose(u"(Order by descending)");
  EXPECT_EQ(Col(1)->Title()->SortMarker(), smDownEx);
  EXPECT_EQ(level->SortOrder(), soAscEx);
}

// While a level's list is open its item's filter button is drawn pressed;
// however the list closes, the button is drawn up again.
TEST_F(GroupPresses, AClosedLevelListLeavesItsButtonUp) {
  DropOnPanel(0);
  ShowFilterButtons();
  const TRect item = Groups()->ActiveGroupLevelAt(0)->GroupPanelRect();
  const TPoint button = LevelFilterButton(0);
  auto look = [&] {
    return grid->Widget()->grab().toImage().copy(item.Left, item.Top, item.Width(), item.Height());
  };
  const QImage up = look();
  for (const char* how : {"escape", "enter", "cancel mode"}) {
    h.Click(grid, button);
    ASSERT_TRUE(grid->InTitleFilterListboxVisible()) << how;
    EXPECT_NE(look(), up) << how;
    if (std::string(how) == "escape")
      h.Key(grid->InTitleFilterListbox(), ui::VK_ESCAPE);
    else if (std::string(how) == "enter")
      h.Key(grid->InTitleFilterListbox(), ui::VK_RETURN);
    else
      grid->Perform(ui::WM_CANCELMODE);
    EXPECT_FALSE(grid->InTitleFilterListboxVisible()) << how;
    EXPECT_EQ(grid->InTitleFilterListboxGroupLevel(), nullptr) << how;
    EXPECT_EQ(look(), up) << how;
  }
}

TEST_F(GroupPresses, EscapeWhileOverThePanelDropsNothing) {
  const TPoint from = Title(1);
  h.MouseDown(grid, from);
  h.MouseMove(grid, {from.X + 10, from.Y}, {ui::ssLeft});
  h.MouseMove(grid, InPanel(), {ui::ssLeft});
  ASSERT_EQ(grid->DBGridExState(), dgsGroupPanelTitleMoving);
  grid->Perform(ui::WM_CANCELMODE);
  h.MouseUp(grid, InPanel());
  EXPECT_EQ(Groups()->ActiveGroupLevelsCount(), 0);
  EXPECT_TRUE(Col(1)->Visible());
  EXPECT_EQ(grid->DBGridExState(), dgsNormal);
}

TEST_F(GroupPresses, ClickingAPanelItemReversesItsOrder) {
  grid->ColumnDefValues()->Title()->SetTitleButton(true);
  DropOnPanel(0);
  ASSERT_EQ(Groups()->ActiveGroupLevelsCount(), 1);
  TGridDataGroupLevelEx* level = Groups()->ActiveGroupLevelAt(0);
  ASSERT_EQ(level->SortOrder(), soAscEx);
  struct Case {
    int releaseDx;
    TSortOrderEx order;
    int clicks;
  };
  // Released off the item nothing happens.
  for (const Case& c : {Case{0, soDescEx, 1}, Case{0, soAscEx, 2}, Case{300, soAscEx, 2}}) {
    const TPoint p = Item(0);
    h.MouseDown(grid, p);
    EXPECT_EQ(grid->DBGridExState(), dgsGroupPanelTitleDown);
    const TPoint release{p.X + c.releaseDx, p.Y};
    if (c.releaseDx) h.MouseMove(grid, {p.X + 2, p.Y}, {ui::ssLeft});
    grid->FCursorPos = [&] { return grid->ClientToScreen(release); };
    h.MouseUp(grid, release);
    grid->FCursorPos = nullptr;
    EXPECT_EQ(level->SortOrder(), c.order) << c.releaseDx;
    EXPECT_EQ(titleBtnClicks, c.clicks) << c.releaseDx;
    EXPECT_EQ(grid->DBGridExState(), dgsNormal);
  }
}

TEST_F(GroupPresses, AGroupRowButtonExpandsAndTheRestOfTheRowSelects) {
  DropOnPanel(0);
  TGridGroupDataTreeEx* tree = Groups()->GroupDataTree();
  ASSERT_EQ(tree->FlatVisibleCount(), 3);
  const int row = grid->TopDataOffset() + 1;
  const TRect r = grid->CellRangeRect(grid->FixedCols(), row, grid->FixedCols(), row);
  TGroupDataTreeNodeEx* b = tree->FlatVisibleNodeAt(1);
  h.Click(grid, TPoint{r.Left + 40, (r.Top + r.Bottom) / 2});
  EXPECT_EQ(grid->CurGroupDataNode(), b);
  EXPECT_FALSE(b->Expanded());
  h.Click(grid, TPoint{r.Left + 9, (r.Top + r.Bottom) / 2});
  EXPECT_TRUE(b->Expanded());
  EXPECT_EQ(tree->FlatVisibleCount(), 5);
}

// --- row panels --------------------------------------------------------------------------

struct RowPanelPresses : gridtest::ShownNumberedGrid {
  int titleBtnClicks = 0;
  TColumnEx* clicked = nullptr;

  void Prepare() override {
    gridtest::OpenNumbered(ds, src, {u"A", u"B", u"C"}, 10);
    grid->SetDataSource(&src);
    grid->ColumnDefValues()->Title()->SetTitleButton(true);
    grid->OnTitleBtnClick = [this](ui::TObject*, int, TColumnEx* Column) {
      ++titleBtnClicks;
      clicked = Column;
    };
    grid->Columns()->SetState(csCustomized);
    grid->Columns()->ColumnAt(0)->SetWidth(60);
    grid->Columns()->ColumnAt(1)->SetWidth(60);
    grid->Columns()->ColumnAt(2)->SetWidth(80);
    grid->Columns()->ColumnAt(2)->SetInRowLinePos(1);
    grid->RowPanel()->SetActive(true);
  }
  TColumnEx* ByName(const char16_t* Name) {
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (grid->Columns()->ColumnAt(i)->FieldName() == Name) return grid->Columns()->ColumnAt(i);
    return nullptr;
  }
  // A point inside a column's cell of the panel in the given grid row.
  TPoint InPanel(int DataCol, int Row) {
    const TRect cell = grid->CellBounds(grid->IndicatorOffset(), Row);
    const auto& p = grid->Columns()->ColumnAt(DataCol)->RowPlacement();
    return {cell.Left + p.Left + p.Width / 2, cell.Top + p.Top + p.Height / 2};
  }
};

TEST_F(RowPanelPresses, TitleTipsBelongToThePanelColumnUnderTheMouse) {
  for (int i : {0, 1}) grid->Columns()->ColumnAt(i)->Title()->SetToolTips(true);
  grid->Columns()->ColumnAt(0)->Title()->SetCaption(u"A");
  grid->Columns()->ColumnAt(1)->Title()->SetCaption(u"a caption far wider than its panel cell");
  h.ProcessEvents();
  auto ask = [&](TPoint At) { return gridtest::AskHint(grid, At); };
  EXPECT_EQ(ask(InPanel(0, 0)).HintStr, u"");
  const ui::THintInfo cut = ask(InPanel(1, 0));
  EXPECT_EQ(cut.HintStr, u"a caption far wider than its panel cell");
  // Laid over that column's own title in the panel.
  const TRect cell = grid->CellBounds(grid->IndicatorOffset(), 0);
  const auto& p = grid->Columns()->ColumnAt(1)->RowPlacement();
  EXPECT_EQ(cut.CursorRect.Left, cell.Left + p.Left);
  EXPECT_EQ(cut.CursorRect.Top, cell.Top + p.Top);
}

// A cut value in a panel data row shows its own tip over its own cell, also
// when the grid is scrolled past the start of the record's panel.
TEST_F(RowPanelPresses, DataTipsBelongToThePanelCellUnderTheMouseAsPainted) {
  TColumnEx* a = ByName(u"A");
  TColumnEx* b = ByName(u"B");
  a->SetWidth(200);
  b->SetWidth(30);
  a->SetToolTips(true);
  b->SetToolTips(true);
  ds.First();
  ds.Edit();
  ds.Fields(1)->SetAsInteger(123456789);
  ds.Post();
  h.ProcessEvents();
  const int row = grid->TopDataOffset();
  auto ask = [&](TPoint At) {
    const ui::THintInfo info = gridtest::AskHint(grid, At);
    int pause = -1;
    grid->Perform(ui::CM_HINTSHOWPAUSE, 0, reinterpret_cast<ui::LPARAM>(&pause));
    EXPECT_EQ(pause, 0);
    return info;
  };
  for (const bool scrolled : {false, true}) {
    if (scrolled) {
      grid->SetBounds(0, 0, 180 + grid->Width() - grid->ClientWidth(), 200);
      grid->SetSelectedIndex(0);
      grid->SetSelectedIndex(b->Index());
      h.ProcessEvents();
      ASSERT_GT(grid->SmoothPos().X, 0);
    }
    const auto& p = b->RowPlacement();
    const TRect cell = grid->RowPanelCellClientRect(
        row, TRect{p.DataCellLeft, p.Top, p.DataCellLeft + p.DataCellWidth, p.Top + p.Height});
    const ui::THintInfo tip = ask(TPoint{cell.Left + 4, Centre(cell).Y});
    EXPECT_EQ(tip.HintStr, u"123456789") << scrolled;
    EXPECT_EQ(tip.CursorRect.Left, cell.Left) << scrolled;
    EXPECT_EQ(tip.CursorRect.Top, cell.Top) << scrolled;
    EXPECT_EQ(tip.CursorRect.Bottom, cell.Bottom) << scrolled;
  }
}

// The edit button of the panel cell under the mouse is the hot one, at that
// cell's right end as painted.
TEST_F(RowPanelPresses, ThePanelCellsEditButtonUnderTheMouseIsTheHotOne) {
  grid->SetOptionsEx(grid->OptionsEx() + dghHotTrack);
  TColumnEx* b = ByName(u"B");
  b->SetButtonStyle(cbsEllipsis);
  b->SetAlwaysShowEditButton(true);
  h.ProcessEvents();
  const int row = grid->TopDataOffset() + 1;
  const auto& p = b->RowPlacement();
  const TRect cell = grid->RowPanelCellClientRect(
      row, TRect{p.DataCellLeft, p.Top, p.DataCellLeft + p.DataCellWidth, p.Top + p.Height});
  struct Case {
    TPoint at;
    int button;
  };
  for (const Case& c : {Case{TPoint{cell.Left + 3, cell.Top + 3}, -1}, Case{TPoint{cell.Right - 4, cell.Top + 3}, 0},
                        Case{TPoint{cell.Left + 3, cell.Top + 4}, -1}}) {
    h.MouseMove(grid, c.at);
    h.MouseMove(grid, TPoint{c.at.X, c.at.Y + 1});
    EXPECT_EQ(grid->HotTrackEditButton(), c.button) << c.at.X;
  }
  // Column A's right end is no button of its own.
  const auto& a = ByName(u"A")->RowPlacement();
  const TRect first = grid->RowPanelCellClientRect(
      row, TRect{a.DataCellLeft, a.Top, a.DataCellLeft + a.DataCellWidth, a.Top + a.Height});
  h.MouseMove(grid, TPoint{first.Right - 4, first.Top + 3});
  h.MouseMove(grid, TPoint{first.Right - 4, first.Top + 4});
  EXPECT_EQ(grid->HotTrackEditButton(), -1);
}

TEST_F(RowPanelPresses, PressesFindThePanelColumnUnderTheMouse) {
  struct Case {
    int dataCol;
  };
  for (const Case& c : {Case{1}, Case{2}, Case{0}}) {
    const TPoint t = InPanel(c.dataCol, 0);
    h.Click(grid, t);
    EXPECT_EQ(clicked, grid->Columns()->ColumnAt(c.dataCol)) << c.dataCol;
    const TPoint d = InPanel(c.dataCol, grid->TopDataOffset() + 2);
    h.Click(grid, d);
    EXPECT_EQ(grid->InRowPanelCol(), c.dataCol);
    EXPECT_EQ(RecNo(), 3);
  }
  EXPECT_EQ(titleBtnClicks, 3);
  // Released over another panel column the title press clicks nothing.
  h.MouseDown(grid, InPanel(0, 0));
  h.MouseMove(grid, InPanel(1, 0), {ui::ssLeft});
  h.MouseUp(grid, InPanel(1, 0));
  EXPECT_EQ(titleBtnClicks, 3);
}

TEST_F(RowPanelPresses, DraggingAPanelTitleEdgeSizesThatColumnAndSnapsToNeighbours) {
  const TRect cell = grid->CellBounds(grid->IndicatorOffset(), 0);
  TColumnEx* a = grid->Columns()->ColumnAt(0);
  // The panel orders its columns by place: C, under A, comes second.
  TColumnEx* c = grid->Columns()->ColumnAt(1);
  ASSERT_EQ(c->FieldName(), u"C");
  // A's right edge, on the first line.
  const int edge = cell.Left + a->RowPlacement().Left + a->RowPlacement().Width;
  const int y = cell.Top + a->RowPlacement().Top + 4;
  TGridState state = gsNormal;
  int index = -1, pos = 0, ofs = 0;
  ASSERT_TRUE(grid->DetectRowPanelTitleSizing(edge + 2, y, state, index, pos, ofs));
  EXPECT_EQ(state, gsColSizing);
  EXPECT_EQ(pos, edge);
  EXPECT_FALSE(grid->DetectRowPanelTitleSizing(edge - 8, y, state, index, pos, ofs));
  EXPECT_EQ(index, 0);
  struct Case {
    int dx, width;
  };
  // Away from every other cell edge the width is taken as dropped.
  for (const Case& k : {Case{15, 75}, Case{-20, 55}}) {
    const int from = cell.Left + a->RowPlacement().Left + a->Width();
    h.MouseDown(grid, TPoint{from, y});
    EXPECT_EQ(grid->GridState(), gsColSizing) << k.dx;
    h.MouseMove(grid, {from + k.dx, y}, {ui::ssLeft});
    h.MouseUp(grid, TPoint{from + k.dx, y});
    h.ProcessEvents();
    EXPECT_EQ(grid->GridState(), gsNormal) << k.dx;
    EXPECT_EQ(a->Width(), k.width) << k.dx;
  }
  const int snapFrom = cell.Left + a->RowPlacement().Left + a->Width();
  const int cEdge = cell.Left + c->RowPlacement().Left + c->RowPlacement().Width;
  h.MouseDown(grid, TPoint{snapFrom, y});
  h.MouseMove(grid, {cEdge - 2, y}, {ui::ssLeft});
  h.MouseUp(grid, TPoint{cEdge - 2, y});
  h.ProcessEvents();
  EXPECT_EQ(a->Width(), cEdge - cell.Left - a->RowPlacement().Left);
  // No row sizing in a row panel's data rows.
  EXPECT_FALSE(grid->IsOverSizingLine(cell.Left + 10, grid->CellBounds(1, grid->TopDataOffset()).Bottom));
}

TEST_F(RowPanelPresses, DoubleClickOnATitleEdgeWidensTheCellUpToItsNeighbour) {
  // B taking both lines starts right of C, which leaves a gap after A.
  TColumnEx* a = nullptr;
  TColumnEx* b = nullptr;
  TColumnEx* c = nullptr;
  for (int i = 0; i < grid->Columns()->Count(); ++i) {
    TColumnEx* col = grid->Columns()->ColumnAt(i);
    (col->FieldName() == u"A" ? a : col->FieldName() == u"B" ? b : c) = col;
  }
  b->SetInRowLineHeight(2);
  h.ProcessEvents();
  ASSERT_EQ(b->RowPlacement().Left, 81);
  auto edge = [&](TColumnEx* Col) {
    const TRect cell = grid->CellBounds(grid->IndicatorOffset(), 0);
    const auto& p = Col->RowPlacement();
    return TPoint{cell.Left + p.Left + p.Width, cell.Top + p.Top + 4};
  };
  struct Case {
    const char* name;
    TColumnEx* column;
    int width;
  };
  for (const Case& k : {Case{"A reaches B", a, 80}, Case{"A already touches B", a, 80},
                        Case{"C touches B", c, 80}, Case{"B ends the panel", b, 60}}) {
    h.DblClick(grid, edge(k.column));
    h.ProcessEvents();
    EXPECT_EQ(k.column->Width(), k.width) << k.name;
    EXPECT_EQ(grid->GridState(), gsNormal) << k.name;
  }
  // Back on one line, B leaves C nothing to reach but the panel's right edge.
  b->SetInRowLineHeight(1);
  h.ProcessEvents();
  const int master = b->RowPlacement().Left + b->Width();
  h.DblClick(grid, edge(c));
  h.ProcessEvents();
  EXPECT_EQ(c->RowPlacement().Left + c->Width(), master);
}

TEST_F(RowPanelPresses, SizingLineWithShiftMarksOnlyTheSizedCell) {
  TColumnEx* a = grid->Columns()->ColumnAt(0);
  const TRect cell = grid->CellBounds(grid->IndicatorOffset(), 0);
  const TPoint at{cell.Left + a->RowPlacement().Left + a->RowPlacement().Width, cell.Top + 4};
  TGridDrawMetricsEx info;
  grid->FillDrawInfo(info);
  int from = 0, to = 0;
  h.MouseDown(grid, at, ui::mbLeft, {ui::ssShift});
  ASSERT_EQ(grid->GridState(), gsColSizing);
  grid->SizingLineExtent(info, from, to);
  EXPECT_EQ(from, cell.Top + a->RowPlacement().Top);
  EXPECT_EQ(to, from + a->RowPlacement().Height);
  h.MouseUp(grid, at, ui::mbLeft, {ui::ssShift});
  h.MouseDown(grid, at);
  grid->SizingLineExtent(info, from, to);
  EXPECT_EQ(to - from, info.RowAxis.PaintEnd - info.RowAxis.StartIndent);
  h.MouseUp(grid, at);
}

TEST_F(RowPanelPresses, RightToLeftPressesFindTheMirroredPanelColumn) {
  grid->SetBiDiMode(ui::bdRightToLeft);
  h.ProcessEvents();
  for (int dataCol : {1, 2, 0}) {
    const TRect cell = grid->CellBounds(grid->IndicatorOffset(), grid->TopDataOffset() + 1);
    const auto& p = grid->Columns()->ColumnAt(dataCol)->RowPlacement();
    const TPoint at{cell.Left + grid->GridMasterCellWidth() - (p.DataCellLeft + p.DataCellWidth / 2),
                    cell.Top + p.Top + p.Height / 2};
    h.Click(grid, at);
    EXPECT_EQ(grid->InRowPanelCol(), dataCol);
    EXPECT_EQ(RecNo(), 2);
  }
}

// Where the grid is mirrored or scrolled sideways, the sizing edges and the
// cell editor sit on the lines painting draws round the panel cells.
TEST_F(RowPanelPresses, EdgesAndTheEditorFollowThePaintedCellsMirroredOrScrolled) {
  auto column = [&](const char16_t* Name) {
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (grid->Columns()->ColumnAt(i)->FieldName() == Name) return grid->Columns()->ColumnAt(i);
    return static_cast<TColumnEx*>(nullptr);
  };
  TColumnEx* b = column(u"B");
  ASSERT_TRUE(b);
  const int indicator = grid->ColWidths(0) + 1;
  struct Case {
    const char* name;
    bool rtl;
    int clientWidth;  // room for the data area
  };
  for (const Case& k :
       {Case{"left to right", false, 300}, Case{"right to left", true, 300},
        Case{"scrolled", false, indicator + 90}, Case{"scrolled right to left", true, indicator + 90}}) {
    grid->SetBiDiMode(k.rtl ? ui::bdRightToLeft : ui::bdLeftToRight);
    grid->SetBounds(0, 0, k.clientWidth + grid->Width() - grid->ClientWidth(), 200);
    grid->SetOptions(grid->Options() + dgAlwaysShowEditor);
    h.ProcessEvents();
    grid->SetSelectedIndex(0);
    grid->SetSelectedIndex(b->Index());
    grid->SetEditorMode(true);
    grid->Repaint();
    h.ProcessEvents();
    const int w = grid->ClientWidth();
    const int scrolled = grid->SmoothPos().X;
    EXPECT_EQ(scrolled > 0, k.clientWidth < 300) << k.name;
    const auto& p = b->RowPlacement();
    // The panel starts right of the indicator, less what is scrolled away.
    const int logicalRight = indicator - scrolled + p.Left + p.Width;
    const int edgeX = k.rtl ? w - 1 - logicalRight : logicalRight;
    const int y = grid->CellBounds(0, 0).Top + p.Top + p.Height / 2;
    const ui::TColor line = h.PixelAt(grid, edgeX, y);
    EXPECT_NE(line, h.PixelAt(grid, k.rtl ? edgeX + 3 : edgeX - 3, y)) << k.name;
    TGridState state = gsNormal;
    int index = -1, pos = 0, ofs = 0;
    ASSERT_TRUE(grid->DetectRowPanelTitleSizing(edgeX + (k.rtl ? 1 : -1), y, state, index, pos, ofs))
        << k.name;
    EXPECT_EQ(state, gsColSizing) << k.name;
    EXPECT_EQ(index, b->Index()) << k.name;
    EXPECT_EQ(pos, logicalRight) << k.name;
    // The editor's outer side touches the line left of the cell (right of it, mirrored).
    TInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_TRUE(editor && editor->Visible()) << k.name;
    const int dataY = editor->Top() + editor->Height() / 2;
    const int beside = k.rtl ? editor->Left() + editor->Width() : editor->Left() - 1;
    const ui::TColor dataLine = h.PixelAt(grid, beside, dataY);
    EXPECT_EQ(h.PixelAt(grid, beside, dataY + grid->RowHeights(grid->Row())), dataLine) << k.name;
    EXPECT_NE(h.PixelAt(grid, k.rtl ? beside + 3 : beside - 3, dataY), dataLine) << k.name;
    EXPECT_EQ(editor->Width(), p.DataCellWidth) << k.name;
    grid->SetEditorMode(false);
  }
}

// Only the panel cell under the mouse is drawn hot, not the whole record.
TEST_F(RowPanelPresses, TheHotCellIsThePanelColumnUnderTheMouse) {
  grid->SetOptionsEx(grid->OptionsEx() + dghHotTrack);
  std::vector<int> hot;
  grid->OnDrawColumnCell = [&](ui::TObject*, const TRect&, int DataCol, TColumnEx*,
                               grid::TGridDrawState State) {
    if (State.Contains(grid::gdHotTrack)) hot.push_back(DataCol);
  };
  h.ProcessEvents();
  const int row = grid->TopDataOffset() + 1;
  for (int dataCol : {2, 1, 0}) {
    const auto& p = grid->Columns()->ColumnAt(dataCol)->RowPlacement();
    const TRect cell = grid->RowPanelCellClientRect(
        row, TRect{p.DataCellLeft, p.Top, p.DataCellLeft + p.DataCellWidth, p.Top + p.Height});
    h.MouseMove(grid, Centre(cell));
    hot.clear();
    grid->Repaint();
    h.ProcessEvents();
    EXPECT_EQ(hot, std::vector<int>{dataCol}) << dataCol;
    EXPECT_TRUE(grid->RowPanelCellHot(row, dataCol));
  }
}

// With the detail panel on, a panel record shows the expand sign before its
// first value; a press there opens and closes that record's panel.
TEST_F(RowPanelPresses, TheDetailSignOfAPanelRecordOpensItsPanel) {
  grid->RowDetailPanel()->SetActive(true);
  grid->RowDetailPanel()->SetHeight(40);
  h.ProcessEvents();
  const int row = grid->TopDataOffset() + 2;
  const TRect sign = grid->RowPanelDetailSignRect(row);
  ASSERT_EQ(sign.Width(), 18);
  // Something is drawn in the strip: not all of it is the cell's ground.
  const ui::TColor ground = h.PixelAt(grid, sign.Left + 1, sign.Top + 1);
  bool drawn = false;
  for (int x = sign.Left; x < sign.Right && !drawn; ++x)
    for (int y = sign.Top; y < std::min(sign.Bottom, sign.Top + 18) && !drawn; ++y)
      drawn = h.PixelAt(grid, x, y) != ground;
  EXPECT_TRUE(drawn);
  struct Case {
    bool open;
  };
  for (const Case& k : {Case{true}, Case{false}}) {
    h.Click(grid, Centre(grid->RowPanelDetailSignRect(grid->TopDataOffset() + 2)));
    h.ProcessEvents();
    EXPECT_EQ(RecNo(), 3) << k.open;
    EXPECT_EQ(grid->RowDetailPanel()->Visible(), k.open) << k.open;
  }
  // The editor of the first value starts after the sign.
  grid->SetSelectedIndex(0);
  grid->SetOptions(grid->Options() + dgAlwaysShowEditor);
  grid->SetEditorMode(true);
  h.ProcessEvents();
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->InplaceEditor()->Left(), grid->RowPanelDetailSignRect(grid->Row()).Right);
}

// A panel column dragged past the grid's side scrolls towards the panel's
// end: at the right, or at the left when the grid is mirrored.
TEST_F(RowPanelPresses, ADragPastTheSideScrollsTowardsThePanelsEnd) {
  grid->SetOptionsEx(grid->OptionsEx() + dghColumnMove);
  const int indicator = grid->ColWidths(0) + 1;
  for (bool rtl : {false, true}) {
    grid->SetBiDiMode(rtl ? ui::bdRightToLeft : ui::bdLeftToRight);
    grid->SetBounds(0, 0, indicator + 70 + grid->Width() - grid->ClientWidth(), 200);
    h.ProcessEvents();
    grid->SetSelectedIndex(0);
    h.ProcessEvents();
    ASSERT_EQ(grid->SmoothPos().X, 0) << rtl;
    const auto& p = grid->Columns()->ColumnAt(0)->RowPlacement();
    const TPoint from =
        Centre(grid->RowPanelCellClientRect(0, TRect{p.Left, p.Top, p.Left + p.Width, p.Top + p.Height}));
    h.MouseDown(grid, from);
    h.MouseMove(grid, {from.X + (rtl ? -10 : 10), from.Y}, {ui::ssLeft});
    ASSERT_EQ(grid->GridState(), gsColMoving) << rtl;
    const TPoint out{rtl ? -20 : grid->ClientWidth() + 20, from.Y};
    h.MouseMove(grid, out, {ui::ssLeft});
    EXPECT_GT(grid->SmoothPos().X, 0) << rtl;
    h.Key(grid, ui::VK_ESCAPE);
    h.MouseUp(grid, out);
    h.ProcessEvents();
    EXPECT_EQ(grid->GridState(), gsNormal) << rtl;
    grid->SetSelectedIndex(1);
    grid->SetSelectedIndex(0);
  }
}

// A title edge dragged in a mirrored panel: moving left widens the cell.
TEST_F(RowPanelPresses, RightToLeftATitleEdgeDraggedLeftWidensTheCell) {
  grid->SetBiDiMode(ui::bdRightToLeft);
  h.ProcessEvents();
  TColumnEx* a = grid->Columns()->ColumnAt(0);
  const auto& p = a->RowPlacement();
  const TRect cell =
      grid->RowPanelCellClientRect(0, TRect{p.Left, p.Top, p.Left + p.Width, p.Top + p.Height});
  const TPoint edge{cell.Left - 1, cell.Top + 4};
  h.MouseDown(grid, edge);
  ASSERT_EQ(grid->GridState(), gsColSizing);
  h.MouseMove(grid, {edge.X - 12, edge.Y}, {ui::ssLeft});
  h.MouseUp(grid, TPoint{edge.X - 12, edge.Y});
  h.ProcessEvents();
  EXPECT_EQ(grid->GridState(), gsNormal);
  EXPECT_EQ(a->Width(), 72);
}

TEST_F(RowPanelPresses, DraggingAPanelTitleMovesTheColumnIntoTheTargetsPlace) {
  grid->SetOptionsEx(grid->OptionsEx() + dghColumnMove);
  h.ProcessEvents();
  auto column = [&](const char16_t* Name) {
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (grid->Columns()->ColumnAt(i)->FieldName() == Name) return grid->Columns()->ColumnAt(i);
    return static_cast<TColumnEx*>(nullptr);
  };
  auto title = [&](const char16_t* Name) { return InPanel(column(Name)->Index(), 0); };
  struct Case {
    const char* name;
    const char16_t *dragged, *onto;
    bool cancel;
    int line, left;                 // the dragged column's place afterwards
    const char16_t* pushedRight;    // the target, now right of it
  };
  for (const Case& k : {Case{"B onto A", u"B", u"A", false, 0, 0, u"A"},
                        Case{"A onto C, a line down", u"A", u"C", false, 1, 0, u"C"},
                        Case{"cancelled", u"C", u"B", true, 1, 61, u"C"}}) {
    TColumnEx* dragged = column(k.dragged);
    const TPoint from = title(k.dragged), to = title(k.onto);
    h.MouseDown(grid, from);
    h.MouseMove(grid, {from.X + 10, from.Y}, {ui::ssLeft});
    ASSERT_EQ(grid->GridState(), gsColMoving) << k.name;
    h.MouseMove(grid, to, {ui::ssLeft});
    EXPECT_EQ(grid->RowPanelMoveTarget(), column(k.onto)->Index()) << k.name;
    EndDrag(h, grid, to, k.cancel);
    EXPECT_EQ(grid->GridState(), gsNormal) << k.name;
    EXPECT_EQ(dragged->InRowLinePos(), k.line) << k.name;
    EXPECT_EQ(dragged->RowPlacement().Left, k.left) << k.name;
    if (!k.cancel)
      EXPECT_GT(column(k.pushedRight)->RowPlacement().Left, dragged->RowPlacement().Left) << k.name;
  }
  // A drag is no title click.
  EXPECT_EQ(titleBtnClicks, 0);
}

// A panel with a check box under the number.
struct RowPanelCheckBox : gridtest::ShownNumberedGrid {
  void Prepare() override {
    ds.FieldDefs().Add(u"N", db::ftInteger);
    ds.FieldDefs().Add(u"On", db::ftBoolean);
    src.SetDataSet(&ds);
    ds.Open();
    for (int i = 1; i <= 3; ++i) {
      ds.Append();
      ds.Fields(0)->SetAsInteger(i);
      ds.Fields(1)->SetAsBoolean(false);
      ds.Post();
    }
    ds.First();
    grid->SetDataSource(&src);
    grid->Columns()->SetState(csCustomized);
    grid->Columns()->ColumnAt(1)->SetCheckboxes(true);
    grid->Columns()->ColumnAt(1)->SetInRowLinePos(1);
    grid->RowPanel()->SetActive(true);
    h.ProcessEvents();
  }
  TPoint InPanel(int DataCol, int Row) {
    const TRect cell = grid->CellBounds(grid->IndicatorOffset(), Row);
    const auto& p = grid->Columns()->ColumnAt(DataCol)->RowPlacement();
    return {cell.Left + p.DataCellLeft + p.DataCellWidth / 2, cell.Top + p.Top + p.Height / 2};
  }
  bool On() { return ds.FieldByName(u"On")->AsBoolean(); }
};

TEST_F(RowPanelCheckBox, AClickOnThePanelCheckBoxTogglesIt) {
  const int top = grid->TopDataOffset();
  ASSERT_EQ(grid->Columns()->ColumnAt(1)->FieldName(), u"On");
  struct Case {
    const char* name;
    int pressCol, releaseCol, row;
    bool on;
    int recNo;
  };
  for (const Case& k : {Case{"on the box", 1, 1, 1, true, 2}, Case{"again", 1, 1, 1, false, 2},
                        Case{"on the number", 0, 0, 2, false, 3},
                        Case{"pressed on the box, released on the number", 1, 0, 2, false, 3}}) {
    h.MouseDown(grid, InPanel(k.pressCol, top + k.row));
    h.MouseUp(grid, InPanel(k.releaseCol, top + k.row));
    h.ProcessEvents();
    EXPECT_EQ(On(), k.on) << k.name;
    EXPECT_EQ(RecNo(), k.recNo) << k.name;
    EXPECT_EQ(grid->SelectedIndex(), k.pressCol) << k.name;
  }
}

}  // namespace
