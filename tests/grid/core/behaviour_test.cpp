// The grid's behaviour around its cells: sort marking and when it is applied,
// window messages (size, cursors, special keys), property setters, record
// operations, the data window's saved position, cell tool tips and the
// multi-title header the layout builds.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_drop_down_box_ex.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/inplace_filter_edit_ex.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/columns/sums/db_grid_ex_sum_list.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/db_grid_ex_style.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editors/tool_tips_window.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/hint_window.h"
#include "platform/ui/keys.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;
using rtl::String;

// The grid with the hooks the tests reach into.
class BehaviourGrid : public TDBGridEx {
 public:
  using TCustomDBGridEx::SelectCursorAt;
  using TDBGridEx::TDBGridEx;
};

// Records 1..Count in "N", with a text field "S".
struct BehaviourData {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  explicit BehaviourData(int Count) {
    ds.FieldDefs().Add(u"N", db::ftInteger);
    ds.FieldDefs().Add(u"S", db::ftString, 60);
    src.SetDataSet(&ds);
    ds.Open();
    gridtest::AppendNumbered(ds, Count);
  }
};

struct Behaviour : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  BehaviourGrid* grid = nullptr;
  BehaviourData data{40};

  void SetUp() override {
    InitDBGridEx();
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 500, 400);
    grid = new BehaviourGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 400, 300);
    grid->SetDataSource(&data.src);
    h.Show(form);
  }
  void TearDown() override {
    grid->SetDataSource(nullptr);
    delete form;
    DoneDBGridEx();
  }
  TColumnEx* Col(int I) { return grid->Columns()->ColumnAt(I); }
  int CurrentN() { return data.ds.FieldByName(u"N")->AsInteger(); }
};

// --- sort marking ---------------------------------------------------------------------------

TEST_F(Behaviour, SortIndexesLeaveEmptyPlacesInTheSortList) {
  grid->Columns()->BeginUpdate();
  Col(0)->Title()->SetSortMarker(smDownEx);
  Col(0)->Title()->SetSortIndex(1);
  Col(1)->Title()->SetSortMarker(smUpEx);
  Col(1)->Title()->SetSortIndex(3);
  grid->Columns()->EndUpdate();
  grid->SetSortMarkedColumns();
  EXPECT_EQ(grid->SortMarkedColumns(), (std::vector<TColumnEx*>{Col(0), nullptr, Col(1)}));
  // A position no sort could reach, as a damaged form file may hold, is passed over.
  grid->Columns()->BeginUpdate();
  Col(1)->Title()->SetSortIndex(2000000000);
  grid->Columns()->EndUpdate();
  grid->SetSortMarkedColumns();
  EXPECT_EQ(grid->SortMarkedColumns(), (std::vector<TColumnEx*>{Col(0)}));
}

TEST_F(Behaviour, CtrlMarkingIsAppliedOnceWhenCtrlIsReleased) {
  grid->SetOptionsEx(grid->OptionsEx() + dghAutoSortMarking + dghMultiSortMarking);
  grid->Columns()->SetState(csCustomized);
  grid->Columns()->Add()->SetFieldName(u"N");
  grid->RelayoutGrid();
  int applied = 0;
  std::vector<TColumnEx*> sortedBy;
  grid->OnSortMarkingChanged = [&](ui::TObject*) {
    ++applied;
    sortedBy = grid->SortMarkedColumns();
  };
  // What three Ctrl+clicks on titles leave behind.
  for (int i : {1, 0, 2}) {
    grid->SetSortMarking(true);
    Col(i)->Title()->SetNextSortMarkerValue(true);
  }
  EXPECT_EQ(applied, 0);
  h.Key(grid, ui::VK_CONTROL);
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(sortedBy, (std::vector<TColumnEx*>{Col(1), Col(0), Col(2)}));
  // Released again without marking: nothing more.
  h.Key(grid, ui::VK_CONTROL);
  EXPECT_EQ(applied, 1);

  // Without automatic marking the grid never applies a sort itself.
  grid->SetOptionsEx(grid->OptionsEx() - dghAutoSortMarking);
  grid->SetSortMarking(true);
  h.Key(grid, ui::VK_CONTROL);
  EXPECT_EQ(applied, 1);
}

TEST_F(Behaviour, LosingTheFocusEndsCtrlMarking) {
  grid->SetOptionsEx(grid->OptionsEx() + dghAutoSortMarking + dghMultiSortMarking);
  int applied = 0;
  grid->OnSortMarkingChanged = [&](ui::TObject*) { ++applied; };
  grid->SetSortMarking(true);
  grid->Perform(ui::WM_KILLFOCUS);
  EXPECT_FALSE(grid->SortMarking());
  EXPECT_EQ(applied, 1);
}

// --- messages ---------------------------------------------------------------------------------

TEST_F(Behaviour, EscapeIsWantedOnlyWhileTheRecordIsModified) {
  EXPECT_EQ(grid->Perform(ui::CM_WANTSPECIALKEY, ui::VK_ESCAPE), 0);
  data.ds.Edit();
  data.ds.FieldByName(u"S")->SetAsString(u"changed");
  EXPECT_EQ(grid->Perform(ui::CM_WANTSPECIALKEY, ui::VK_ESCAPE), 1);
  data.ds.Cancel();
}

TEST_F(Behaviour, ResizingUnderTheUpdateLockWaitsForItsEnd) {
  const int rows = grid->RowCount();
  grid->LockUpdate();
  grid->SetBounds(0, 0, 400, 120);
  h.ProcessEvents();
  EXPECT_EQ(grid->RowCount(), rows);
  grid->UnlockUpdate();
  const int shrunk = grid->RowCount();
  EXPECT_LT(shrunk, rows);
  // Outside a lock the rows follow at once.
  grid->SetBounds(0, 0, 400, 300);
  EXPECT_GT(grid->RowCount(), shrunk);
}

TEST_F(Behaviour, ColumnSelectCursorOnlyAtTheFootOfATitle) {
  grid->SetOptions(grid->Options() + dgMultiSelect);
  const TRect title = grid->CellRangeRect(1, 0, 1, 0);
  const TRect indicator = grid->CellRangeRect(0, 2, 0, 2);
  ui::TCursor cursor = ui::crDefault;
  struct Case {
    int y;
    bool expected;
  };
  for (Case c : {Case{title.Bottom - 1, true}, Case{title.Bottom - 7, true}, Case{title.Bottom - 8, false},
                 Case{title.Top + 1, false}}) {
    cursor = ui::crDefault;
    EXPECT_EQ(grid->SelectCursorAt({title.Left + 10, c.y}, cursor), c.expected) << c.y;
    if (c.expected) EXPECT_EQ(cursor, crDownCurEh);
  }
  EXPECT_TRUE(grid->SelectCursorAt({indicator.Left + 3, indicator.Top + 3}, cursor));
  EXPECT_EQ(cursor, crRightCurEh);
  // Columns cannot be selected with whole-row selection.
  grid->SetOptions(grid->Options() + dgRowSelect);
  EXPECT_FALSE(grid->SelectCursorAt({title.Left + 10, title.Bottom - 1}, cursor));
}

// --- properties and record operations ------------------------------------------------------------

TEST_F(Behaviour, RowColoursFollowTheGridUntilSet) {
  grid->SetColor(ui::clYellow);
  EXPECT_EQ(grid->EvenRowColor(), ui::clYellow);
  EXPECT_EQ(grid->OddRowColor(), ui::clYellow);
  grid->SetOddRowColor(ui::clAqua);
  grid->SetColor(ui::clWhite);
  EXPECT_EQ(grid->OddRowColor(), ui::clAqua);
  EXPECT_EQ(grid->EvenRowColor(), ui::clWhite);
}

TEST_F(Behaviour, FieldColumnsByNameAndSelectedField) {
  grid->Columns()->SetState(csCustomized);
  grid->Columns()->Add()->SetFieldName(u"N");
  grid->RelayoutGrid();
  EXPECT_EQ(grid->FindFieldColumn(u"s"), Col(1));
  EXPECT_EQ(grid->FindFieldColumn(u"missing"), nullptr);
  try {
    grid->FieldColumnByName(u"missing");
    FAIL();
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), u"Field name 'missing' not found");
  }
  // A field shown twice: the last of its columns ends up selected.
  grid->SetSelectedField(data.ds.FieldByName(u"N"));
  EXPECT_EQ(grid->SelectedIndex(), 2);
}

TEST_F(Behaviour, SelectionKindsTheGridAllows) {
  EXPECT_TRUE(grid->CanSelectType(gstNon));
  EXPECT_FALSE(grid->CanSelectType(gstRecordBookmarks));
  grid->SetOptions(grid->Options() + dgMultiSelect);
  for (auto kind : {gstRecordBookmarks, gstRectangle, gstColumns, gstAll})
    EXPECT_TRUE(grid->CanSelectType(kind));
  grid->SetOptions(grid->Options() + dgRowSelect);
  EXPECT_FALSE(grid->CanSelectType(gstRectangle));
  EXPECT_FALSE(grid->CanSelectType(gstColumns));
  EXPECT_TRUE(grid->CanSelectType(gstAll));
  grid->SetAllowedSelections({gstAll});
  EXPECT_FALSE(grid->CanSelectType(gstRecordBookmarks));

  // A selection of a kind no longer allowed goes; an allowed one stays.
  grid->Selection()->SelectAll();
  grid->SetAllowedSelections({gstAll, gstColumns});
  EXPECT_EQ(grid->Selection()->SelectionType(), gstAll);
  grid->SetAllowedSelections({gstColumns});
  EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
}

TEST_F(Behaviour, AnotherDataSourceDropsTheSelectionOfTheOldDataset) {
  BehaviourData other(5);
  grid->SetOptions(grid->Options() + dgMultiSelect);
  data.ds.First();
  grid->Bookmarks()->SetCurrentRowSelected(true);
  ASSERT_EQ(grid->Selection()->SelectionType(), gstRecordBookmarks);
  grid->SetDataSource(&other.src);
  EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
  EXPECT_EQ(grid->Bookmarks()->Count(), 0);
  EXPECT_EQ(grid->SumList()->DataSet(), &other.ds);
  grid->SetDataSource(&data.src);
}

TEST_F(Behaviour, ValueFromThePreviousRecord) {
  data.ds.First();
  grid->SetSelectedIndex(1);
  data.ds.Edit();
  data.ds.FieldByName(u"S")->SetAsString(u"first");
  data.ds.Post();
  // On the first record there is nothing before it.
  grid->SetValueFromPrevRecord();
  EXPECT_EQ(data.ds.FieldByName(u"S")->AsString(), u"first");
  data.ds.Next();
  // A selection the copy does not write into is given up.
  grid->SetOptions(grid->Options() + dgMultiSelect);
  grid->Bookmarks()->SetCurrentRowSelected(true);
  ASSERT_EQ(grid->Selection()->SelectionType(), gstRecordBookmarks);
  grid->SetValueFromPrevRecord();
  EXPECT_EQ(CurrentN(), 2);
  EXPECT_EQ(data.ds.FieldByName(u"S")->AsString(), u"first");
  EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
  EXPECT_EQ(grid->Bookmarks()->Count(), 0);
  data.ds.Cancel();
}

TEST_F(Behaviour, BookmarkKeepsTheWindowAndTheCurrentRecord) {
  data.ds.First();
  data.ds.MoveBy(20);
  const int current = CurrentN();
  const int row = grid->DataLink()->ActiveRecord();
  grid->SaveBookmark();
  data.ds.First();
  data.ds.Edit();
  data.ds.FieldByName(u"S")->SetAsString(u"changed");
  data.ds.Post();
  grid->RestoreBookmark();
  EXPECT_EQ(CurrentN(), current);
  EXPECT_EQ(grid->DataLink()->ActiveRecord(), row);
}

TEST_F(Behaviour, LeavingCancelsAnUntouchedInsertAndKeepsAChangedOne) {
  auto* other = new ui::TEdit(form);
  other->SetParent(form);
  other->SetBounds(0, 320, 80, 20);
  const int count = data.ds.RecordCount();
  grid->SetFocus();
  data.ds.Append();
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(data.ds.RecordCount(), count);
  EXPECT_EQ(data.ds.State(), db::dsBrowse);

  grid->SetFocus();
  data.ds.Append();
  data.ds.FieldByName(u"N")->SetAsInteger(99);
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(data.ds.State(), db::dsInsert);
  EXPECT_EQ(CurrentN(), 99);
  data.ds.Post();
  EXPECT_EQ(data.ds.RecordCount(), count + 1);
}

TEST_F(Behaviour, AFreedListSourceLeavesTheColumnsDropDownBoxWithoutOne) {
  auto* lookup = new db::TDataSource(nullptr);
  Col(1)->DropDownBox()->SetListSource(lookup);
  ASSERT_EQ(Col(1)->DropDownBox()->ListSource(), lookup);
  delete lookup;
  EXPECT_EQ(Col(1)->DropDownBox()->ListSource(), nullptr);
  // The grid's own source is untouched by another source's going.
  EXPECT_EQ(grid->DataSource(), &data.src);
}

TEST_F(Behaviour, AFreedFieldLeavesItsColumnWithoutAField) {
  // Fields made by the program, which outlive the dataset's opening.
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  auto* n = new db::TIntegerField(nullptr);
  n->SetFieldName(u"N");
  n->SetDataSet(&ds);
  auto* s = new db::TStringField(nullptr);
  s->SetFieldName(u"S");
  s->SetDataSet(&ds);
  src.SetDataSet(&ds);
  ds.Open();
  grid->SetDataSource(&src);
  grid->Columns()->SetState(csCustomized);
  ASSERT_EQ(Col(1)->Field(), s);
  const int runs = grid->LayoutRuns();
  delete s;
  EXPECT_EQ(Col(1)->Field(), nullptr);
  EXPECT_EQ(Col(1)->FieldName(), u"S");
  EXPECT_EQ(grid->LayoutRuns(), runs + 1);
  grid->SetDataSource(nullptr);
  delete n;
}

TEST_F(Behaviour, AnotherStyleLaysTheGridOutAndNoneMeansTheGlobalOne) {
  TDBGridExStyle own;
  int runs = grid->LayoutRuns();
  grid->SetStyle(&own);
  EXPECT_EQ(grid->Style(), &own);
  EXPECT_EQ(grid->LayoutRuns(), runs + 1);
  EXPECT_TRUE(own.GridInChangeNotification(grid));
  runs = grid->LayoutRuns();
  grid->SetStyle(nullptr);
  EXPECT_EQ(grid->Style(), GetDefaultGridStyle());
  EXPECT_EQ(grid->LayoutRuns(), runs + 1);
  EXPECT_FALSE(own.GridInChangeNotification(grid));
}

TEST_F(Behaviour, TheColumnsFilterFollowsTheFilterEditorAsTheUserTypes) {
  grid->STFilter()->SetVisible(true);
  h.ProcessEvents();
  grid->SetFocus();
  grid->StartFilterEditing(1);
  ASSERT_TRUE(grid->FilterEditMode());
  TSTColumnFilterEx* filter = Col(1)->STFilter();
  h.Type(grid->FilterEdit(), u"ab");
  EXPECT_EQ(filter->ExpressionStr(), u"ab");
  // Text that does not parse yet stays in the editor; the filter keeps what parsed.
  grid->FilterEdit()->SetText(String());
  const String before = filter->ExpressionStr();
  h.Type(grid->FilterEdit(), u"= 'x");
  EXPECT_EQ(grid->FilterEdit()->Text(), u"= 'x");
  EXPECT_EQ(filter->ExpressionStr(), before);
  h.Type(grid->FilterEdit(), u"'");
  EXPECT_EQ(filter->ExpressionStr(), u"= 'x'");
  // The caret stayed where the typing went on.
  EXPECT_EQ(grid->FilterEdit()->SelLength(), 0);
}

// --- tool tips ----------------------------------------------------------------------------------

struct GridTips : Behaviour {
  // Column 1 asks for tips and is 60 pixels wide; its first record's text
  // fits, its second's (Long) is cut.
  void ShortThenCutText(const String& Long) {
    Col(1)->SetToolTips(true);
    Col(1)->SetWidth(60);
    data.ds.First();
    data.ds.Edit();
    data.ds.FieldByName(u"S")->SetAsString(u"short");
    data.ds.Post();
    data.ds.Next();
    data.ds.Edit();
    data.ds.FieldByName(u"S")->SetAsString(Long);
    data.ds.Post();
  }
  // What the grid answers for a tool tip at a client point.
  ui::THintInfo Ask(TPoint At) { return gridtest::AskHint(grid, At); }
  TPoint CellPoint(int ACol, int ARow) {
    const TRect r = grid->CellRangeRect(ACol, ARow, ACol, ARow);
    return {r.Left + 4, r.Top + 3};
  }
};

TEST_F(GridTips, ATipOnlyWhenTheCellTextIsCut) {
  ShortThenCutText(u"a text far too long for its narrow column");
  const int top = grid->TopDataOffset();
  EXPECT_EQ(Ask(CellPoint(2, top)).HintStr, u"");
  const ui::THintInfo cut = Ask(CellPoint(2, top + 1));
  EXPECT_EQ(cut.HintStr, u"a text far too long for its narrow column");
  // Laid over the text, in screen coordinates.
  const TRect cell = grid->CellRangeRect(2, top + 1, 2, top + 1);
  EXPECT_EQ(cut.HintPos, grid->ClientToScreen({cell.Left - 1, cell.Top - 1}));
  EXPECT_EQ(cut.CursorRect.Top, cell.Top);
  // Wide enough, the same text needs none.
  Col(1)->SetWidth(380);
  EXPECT_EQ(Ask(CellPoint(2, top + 1)).HintStr, u"");
  // A column that does not ask for tool tips shows none.
  Col(1)->SetWidth(60);
  Col(1)->SetToolTips(false);
  EXPECT_EQ(Ask(CellPoint(2, top + 1)).HintStr, u"");
}

// A handler sees the screen's hint font, not the grid's, until the default
// fill takes the column's.
TEST_F(GridTips, ADataTipHandlerStartsFromTheScreensHintFont) {
  ShortThenCutText(u"a text far too long for its narrow column");
  grid->Font()->SetName(u"Courier");
  grid->Font()->SetSize(21);
  String name;
  int size = 0;
  grid->OnDataHintShow = [&](TCustomDBGridEx*, TPoint, TGridCoord, TPoint, TColumnEx*, TDBGridExDataHintParams& p,
                             bool& processed) {
    name = p.HintFont->Name();
    size = p.HintFont->Size();
    processed = true;
  };
  Ask(CellPoint(2, grid->TopDataOffset() + 1));
  EXPECT_EQ(name, ui::Screen->HintFont()->Name());
  EXPECT_EQ(size, ui::Screen->HintFont()->Size());
  EXPECT_NE(size, 21);
}

TEST_F(GridTips, TheFirstColumnsTipStartsAfterTheDetailSign) {
  ShortThenCutText(u"a text far too long for its narrow column");
  Col(0)->SetVisible(false);
  const int top = grid->TopDataOffset();
  const int gridCol = grid->DataColToGridCol(1);
  grid->RowDetailPanel()->SetActive(true);
  const TPoint inText = CellPoint(gridCol, top + 1);
  const ui::THintInfo cut = Ask({inText.X + 20, inText.Y});
  ASSERT_EQ(cut.HintStr, u"a text far too long for its narrow column");
  const TRect cell = grid->CellRangeRect(gridCol, top + 1, gridCol, top + 1);
  EXPECT_EQ(cut.HintPos, grid->ClientToScreen({cell.Left + 18 - 1, cell.Top - 1}));
  EXPECT_EQ(cut.CursorRect.Left, cell.Left + 18);
}

TEST_F(GridTips, AnUpwardCaptionIsMeasuredAlongTheTitlesHeight) {
  const String caption = u"a caption rather long";
  Col(1)->SetWidth(40);
  Col(1)->Title()->SetCaption(caption);
  Col(1)->Title()->SetToolTips(true);
  Col(1)->Title()->SetOrientation(tohVertical);
  grid->SetTitleHeight(200);
  EXPECT_EQ(Ask(CellPoint(2, 0)).HintStr, u"");
  grid->SetTitleHeight(30);
  EXPECT_EQ(Ask(CellPoint(2, 0)).HintStr, caption);
  // Lying flat, the same caption is cut by the narrow column.
  Col(1)->Title()->SetOrientation(tohHorizontal);
  grid->SetTitleHeight(200);
  EXPECT_EQ(Ask(CellPoint(2, 0)).HintStr, caption);
}

TEST_F(GridTips, TitleHintShowsItsShortPart) {
  Col(0)->Title()->SetHint(u"Number|The record's number");
  EXPECT_EQ(Ask(CellPoint(1, 0)).HintStr, u"Number");
  int pause = -1;
  grid->Perform(ui::CM_HINTSHOWPAUSE, 0, reinterpret_cast<ui::LPARAM>(&pause));
  EXPECT_EQ(pause, ui::Application->HintPause);
  // A data cell of a tool-tip column shows at once.
  Col(0)->SetToolTips(true);
  Ask(CellPoint(1, grid->TopDataOffset()));
  grid->Perform(ui::CM_HINTSHOWPAUSE, 0, reinterpret_cast<ui::LPARAM>(&pause));
  EXPECT_EQ(pause, 0);
}

TEST_F(GridTips, ACutCellShowsItsTipAsSoonAsTheMouseComesToIt) {
  const String longText = u"a text far too long for its narrow column";
  grid->SetShowHint(true);
  ShortThenCutText(longText);
  const int top = grid->TopDataOffset();
  // Text that fits gets no tip, however long the mouse rests on it.
  h.MouseMove(grid, CellPoint(2, top));
  h.Advance(static_cast<std::uint64_t>(ui::Application->HintPause));
  EXPECT_TRUE(uitest::ShownHintWindows().empty());
  // Cut text shows at once, in the tool-tip window laid over the cell.
  h.MouseMove(grid, CellPoint(2, top + 1));
  auto shown = uitest::ShownHintWindows();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0]->Caption(), longText);
  EXPECT_NE(dynamic_cast<TToolTipsWindow*>(shown[0]), nullptr);
  const TRect cell = grid->CellRangeRect(2, top + 1, 2, top + 1);
  EXPECT_EQ(shown[0]->BoundsRect().TopLeft(), grid->ClientToScreen({cell.Left - 1, cell.Top - 1}));
  // Laid under the mouse, the tip takes it from the grid's window: that is
  // no reason to go.
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(grid->Widget(), &leave);
  EXPECT_EQ(uitest::ShownHintWindows().size(), 1u);
  // It stays while the mouse is in the cell, goes when it leaves.
  h.MouseMove(grid, {cell.Left + 20, cell.Top + 3});
  EXPECT_EQ(uitest::ShownHintWindows().size(), 1u);
  h.MouseMove(grid, CellPoint(1, top + 1));
  EXPECT_TRUE(uitest::ShownHintWindows().empty());
  // A title's hint waits for the application's pause.
  Col(0)->Title()->SetHint(u"Number|The record's number");
  h.MouseMove(grid, CellPoint(1, 0));
  h.Advance(static_cast<std::uint64_t>(ui::Application->HintPause - 1));
  EXPECT_TRUE(uitest::ShownHintWindows().empty());
  h.Advance(1);
  shown = uitest::ShownHintWindows();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0]->Caption(), u"Number");
}

// --- the multi-title header ---------------------------------------------------------------------------

TEST_F(Behaviour, TheLayoutBuildsTheHeaderTreeFromTheCaptions) {
  grid->Columns()->SetState(csCustomized);
  grid->Columns()->Add()->SetFieldName(u"N");
  grid->RelayoutGrid();
  Col(0)->Title()->SetCaption(u"Group|x");
  Col(1)->Title()->SetCaption(u"Group|y");
  Col(2)->Title()->SetCaption(u"Alone");
  const int flat = grid->RowHeights(0);
  grid->SetUseMultiTitle(true);
  ASSERT_EQ(grid->LeafFieldArr().size(), 3u);
  THeadTreeNode* group = grid->LeafFieldArr()[0].FLeaf->Host;
  ASSERT_NE(group, grid->HeadTree());
  EXPECT_EQ(group->Text, u"Group");
  EXPECT_EQ(grid->LeafFieldArr()[1].FLeaf->Host, group);
  EXPECT_EQ(grid->LeafFieldArr()[2].FLeaf->Host, grid->HeadTree());
  // Two caption levels: a taller title row, the tree's height less the 3D edge.
  EXPECT_GT(grid->RowHeights(0), flat);
  EXPECT_EQ(grid->RowHeights(0), grid->HeadTree()->Height - 1);
  // Each layout builds the tree afresh from the captions.
  Col(1)->Title()->SetCaption(u"Other|y");
  grid->RelayoutGrid();
  THeadTreeNode* first = grid->LeafFieldArr()[0].FLeaf->Host;
  THeadTreeNode* second = grid->LeafFieldArr()[1].FLeaf->Host;
  EXPECT_NE(first, second);
  EXPECT_EQ(first->Text, u"Group");
  EXPECT_EQ(second->Text, u"Other");
}

}  // namespace

namespace {

// --- the behaviour centre ---------------------------------------------------------------------

std::vector<String> Captions(ui::TMenuItem* Item) {
  std::vector<String> out;
  for (int i = 0; i < Item->Count(); ++i) out.push_back(Item->Items(i)->Caption());
  return out;
}

TEST_F(Behaviour, IndicatorTitleMenuListsTitledColumnsAndTheEditEntries) {
  grid->Columns()->SetState(csCustomized);
  Col(1)->Title()->SetCaption(u"");
  ui::TPopupMenu* menu = nullptr;
  grid->BuildIndicatorTitleMenu(menu);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Captions(menu->Items()),
            (std::vector<String>{u"Visible columns", u"Cut", u"Copy", u"Paste", u"Delete", u"Select All"}));
  ui::TMenuItem* visible = menu->Items()->Items(0);
  // A column without a caption has no entry.
  ASSERT_EQ(Captions(visible), (std::vector<String>{u"N"}));
  EXPECT_TRUE(visible->Items(0)->Checked());

  // The only visible column stays visible; a hidden one is shown again.
  Col(1)->SetVisible(false);
  grid->BuildIndicatorTitleMenu(menu);
  menu->Items()->Items(0)->Items(0)->Click();
  EXPECT_TRUE(Col(0)->Visible());
  Col(1)->Title()->SetCaption(u"S");
  grid->BuildIndicatorTitleMenu(menu);
  ui::TMenuItem* sEntry = menu->Items()->Items(0)->Items(1);
  EXPECT_FALSE(sEntry->Checked());
  sEntry->Click();
  EXPECT_TRUE(Col(1)->Visible());

  // Building again reuses the module's entries; a grid allowing no edit
  // actions gets them all disabled, whatever its checks say.
  grid->SetEditActions({});
  grid->BuildIndicatorTitleMenu(menu);
  EXPECT_EQ(menu->Items()->Count(), 6);
  for (int i = 1; i < 6; ++i) EXPECT_FALSE(menu->Items()->Items(i)->Enabled()) << i;
  grid->SetEditActions({geaCopyEx});
  grid->BuildIndicatorTitleMenu(menu);
  EXPECT_TRUE(menu->Items()->Items(2)->Enabled());

  // Only the members the centre lists.
  grid->Center()->SetIndicatorTitleMenus({itmCopy});
  grid->BuildIndicatorTitleMenu(menu);
  EXPECT_EQ(Captions(menu->Items()), (std::vector<String>{u"Copy"}));
  grid->Center()->SetIndicatorTitleMenus(
      {itmVisibleColumnsEx, itmCut, itmCopy, itmPaste, itmDelete, itmSelectAll});
}

TEST_F(Behaviour, TextSearchAndTheFindDialogGoThroughTheCentre) {
  static TCustomDBGridEx* askedGrid = nullptr;
  static String askedText;
  static bool askedModal = false;
  const TExecuteFindDialogProcEx saved = ExecuteFindDialogProc;
  ExecuteFindDialogProc = [](TCustomDBGridEx* G, const String& Text, const String&,
                             const std::vector<String>&, bool Modal) {
    askedGrid = G;
    askedText = Text;
    askedModal = Modal;
  };
  grid->ShowFindDialog(u"abc", u"N", true);
  EXPECT_EQ(askedGrid, grid);
  EXPECT_EQ(askedText, u"abc");
  EXPECT_TRUE(askedModal);
  // Without a centre the grid asks the dialog itself.
  grid->SetCenter(nullptr);
  askedGrid = nullptr;
  grid->ShowFindDialog(u"x", u"", false);
  EXPECT_EQ(askedGrid, grid);
  grid->SetCenter(GetDefaultGridCenter());
  ExecuteFindDialogProc = saved;

  String searched;
  grid->Center()->OnLocateText = [&](ui::TObject*, const String&, const String& Text, TLocateTextOptionsEx,
                                     TLocateTextDirectionEx, TLocateTextMatchingEx,
                                     TLocateTextTreeFindRangeEx) {
    searched = Text;
    return true;
  };
  EXPECT_TRUE(grid->LocateText(grid, u"N", u"7", {}, ltdAllEx, ltmWholeEx, lttInAllNodesEx));
  EXPECT_EQ(searched, u"7");
  grid->Center()->OnLocateText = nullptr;
  // The generic search finds the record.
  EXPECT_TRUE(grid->LocateText(grid, u"N", u"7", {}, ltdAllEx, ltmWholeEx, lttInAllNodesEx));
  EXPECT_EQ(CurrentN(), 7);
}

}  // namespace

namespace {

TEST_F(Behaviour, ParentFontReachesTitlesAndFootersAndKeepsFollowing) {
  ui::TFont font;
  font.SetSize(14);
  form->SetFont(&font);
  EXPECT_TRUE(grid->ParentFont());
  EXPECT_EQ(grid->TitleFont()->Size(), 14);
  EXPECT_EQ(grid->FooterFont()->Size(), 14);
  // A title font of its own stops the following.
  ui::TFont own;
  own.SetSize(9);
  grid->SetTitleFont(&own);
  EXPECT_FALSE(grid->ParentFont());
}

}  // namespace
