// The filter row: starting and ending filter editing, moving between filter
// cells with the keys, Enter applying once, the drop-down's value items
// clicked and chosen with Enter, and a picture of the row with its list open.
#include <gtest/gtest.h>

#include "grid/columns/filters/filter_popup_items.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/columns/filters/inplace_filter_edit_ex.h"
#include "grid/columns/grouping/grid_row_panel_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/ui/edits.h"
#include "platform/ui/keys.h"
#include "tests/grid/core/filter_table.h"

namespace {

using namespace grid;
using filtertest::FilterTable;

struct FilterRow : FilterTable {
  void SetUp() override {
    FilterTable::SetUp();
    grid->SetBounds(0, 0, 380, 200);
    grid->STFilter()->SetVisible(true);
    h.Show(form);
  }
  TInplaceFilterEditEx* Editor() { return grid->FilterEdit(); }
  // The values of the Name column as the drop-down's value lines.
  void OfferNames() {
    grid->OnFillSTFilterListValues = [](TCustomDBGridEx*, TColumnEx*, ui::TStrings* Items, bool& Processed) {
      for (const char16_t* v : {u"Smith", u"O'Brien", u"Jones", u"Brown"})
        Items->AddObject(v, static_cast<ui::TObject*>(PopupListboxItemData()));
      Processed = true;
    };
  }
  ui::TPoint ItemCentre(TPopupListboxEx* List, int Index) {
    const TRect r = List->ItemRect(Index);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
};

TEST_F(FilterRow, APressOnAFilterCellOpensTheEditorThere) {
  const TRect cell = grid->CellBounds(grid->DataColToGridCol(1), grid->TopDataOffset() - 1);
  h.Click(grid, ui::TPoint{(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2});
  ASSERT_NE(Editor(), nullptr);
  EXPECT_TRUE(Editor()->Visible());
  EXPECT_EQ(grid->FilterCol(), 1);
  EXPECT_TRUE(grid->FilterEditMode());
  EXPECT_EQ(Editor()->Left(), cell.Left + 1);
  EXPECT_EQ(Editor()->Top(), cell.Top);
  // Mirrored, the free pixel is at the cell's right.
  grid->SetBiDiMode(ui::bdRightToLeft);
  h.ProcessEvents();
  const TRect mirrored = grid->CellBounds(grid->DataColToGridCol(1), grid->TopDataOffset() - 1);
  h.Click(grid, ui::TPoint{(mirrored.Left + mirrored.Right) / 2, (mirrored.Top + mirrored.Bottom) / 2});
  ASSERT_TRUE(Editor()->Visible());
  EXPECT_EQ(grid->FilterCol(), 1);
  EXPECT_EQ(Editor()->Left(), mirrored.Left);
  EXPECT_EQ(Editor()->Left() + Editor()->Width(), mirrored.Right - 1);
}

TEST_F(FilterRow, APressOnTheDataEndsFilterEditingAndASelectionSetsItAside) {
  const TRect cell = grid->CellBounds(grid->DataColToGridCol(1), grid->TopDataOffset() - 1);
  h.Click(grid, ui::TPoint{(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2});
  ASSERT_TRUE(grid->FilterEditorActive());
  // While something is selected the editor is not the active part.
  grid->SetOptions(grid->Options() + dgMultiSelect);
  grid->Selection()->Columns()->Select(Column(0), false);
  EXPECT_TRUE(grid->FilterEditMode());
  EXPECT_FALSE(grid->FilterEditorActive());
  grid->ClearSelection();
  EXPECT_TRUE(grid->FilterEditorActive());
  // A press on a filter cell clears a selection where the options ask for it.
  for (bool asked : {false, true}) {
    grid->SetOptionsEx(asked ? grid->OptionsEx() + dghClearSelection : grid->OptionsEx() - dghClearSelection);
    grid->Selection()->Columns()->Select(Column(0), false);
    h.Click(grid, ui::TPoint{(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2});
    EXPECT_EQ(grid->Selection()->SelectionType() == gstNon, asked) << asked;
    EXPECT_EQ(grid->FilterEditorActive(), asked) << asked;
    EXPECT_EQ(Editor()->Visible(), asked) << asked;
  }
  const TRect data = grid->CellBounds(grid->DataColToGridCol(0), grid->TopDataOffset() + 2);
  h.Click(grid, ui::TPoint{(data.Left + data.Right) / 2, (data.Top + data.Bottom) / 2});
  EXPECT_FALSE(grid->FilterEditMode());
  EXPECT_FALSE(Editor()->Visible());
  EXPECT_EQ(ds.RecNo(), 3);
}

TEST_F(FilterRow, KeysMoveBetweenFilterCellsSkippingHiddenFilters) {
  Filter(1)->SetVisible(false);
  grid->StartFilterEditing(0);
  ASSERT_TRUE(Editor()->Visible());
  struct Step {
    std::uint16_t key;
    ui::TShiftState shift;
    int col;
  };
  const Step steps[] = {
      {ui::VK_TAB, {}, 2},             // the hidden filter is passed over
      {ui::VK_TAB, {}, 0},             // and the search wraps
      {ui::VK_TAB, {ui::ssShift}, 2},  // backwards too
      {ui::VK_HOME, {ui::ssCtrl}, 0},
      {ui::VK_END, {ui::ssCtrl}, 2},
      {ui::VK_LEFT, {ui::ssCtrl}, 0},
      {ui::VK_UP, {}, 0},  // swallowed: the row above is the title
  };
  for (const Step& s : steps) {
    h.Key(Editor(), s.key, s.shift);
    EXPECT_EQ(grid->FilterCol(), s.col) << s.key;
    EXPECT_TRUE(grid->FilterEditMode());
  }
  // Typing opens the list, and the keys are the list's until it closes.
  h.Type(Editor(), u"ab");
  EXPECT_TRUE(Editor()->ListVisible());
  h.Key(Editor(), ui::VK_TAB);
  EXPECT_EQ(grid->FilterCol(), 0);
  h.Key(Editor(), ui::VK_ESCAPE);
  // The caret in the middle of a text keeps Left for the text.
  h.Key(Editor(), ui::VK_LEFT);
  EXPECT_EQ(grid->FilterCol(), 0);
  h.Key(Editor(), ui::VK_RIGHT);
  h.Key(Editor(), ui::VK_RIGHT);
  EXPECT_EQ(grid->FilterCol(), 2);
  // The text typed went into the filter it was typed in.
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"ab");
}

// The caret is the selection's end, where a filter cell opens with its text
// selected: Right there goes on to the next cell; Left only from the start.
TEST_F(FilterRow, ArrowsLeaveTheCellOnlyFromTheCaretsEnd) {
  Filter(1)->SetExpressionStr(u">= 2");
  struct Case {
    std::uint16_t key;
    int selStart, selLength;
    int col;
  };
  const Case cases[] = {
      {ui::VK_RIGHT, 0, 4, 2},  // the whole text selected
      {ui::VK_RIGHT, 4, 0, 2},
      {ui::VK_RIGHT, 1, 3, 2},
      {ui::VK_RIGHT, 0, 3, 1},
      {ui::VK_RIGHT, 1, 0, 1},
      {ui::VK_LEFT, 0, 0, 0},
      {ui::VK_LEFT, 0, 4, 1},  // the caret is at the end
      {ui::VK_LEFT, 1, 0, 1},
  };
  for (const Case& c : cases) {
    grid->StartFilterEditing(1);
    ASSERT_EQ(Editor()->Text(), u">= 2");
    Editor()->SetSelStart(c.selStart);
    Editor()->SetSelLength(c.selLength);
    h.Key(Editor(), c.key);
    EXPECT_EQ(grid->FilterCol(), c.col) << c.key << " " << c.selStart << "+" << c.selLength;
  }
  // A cell opens with its text selected, so Right passes straight on.
  grid->StartFilterEditing(1);
  h.Key(Editor(), ui::VK_RIGHT);
  EXPECT_EQ(grid->FilterCol(), 2);
}

TEST_F(FilterRow, DownLeavesTheRowForTheDataOfThatColumn) {
  ds.Last();
  grid->StartFilterEditing(2);
  h.Key(Editor(), ui::VK_DOWN);
  EXPECT_FALSE(grid->FilterEditMode());
  EXPECT_FALSE(Editor()->Visible());
  EXPECT_EQ(grid->SelectedIndex(), 2);
  EXPECT_EQ(grid->DataLink()->ActiveRecord(), 0);
}

// In a row panel every filter cell lies in its column's title place of the
// filter row: a press there edits that column, and Down selects it in the panel.
TEST_F(FilterRow, InARowPanelEachFilterCellLiesInItsColumnsPlace) {
  grid->Columns()->SetState(csCustomized);
  Column(2)->SetInRowLinePos(1);
  grid->RowPanel()->SetActive(true);
  h.ProcessEvents();
  auto named = [&](const char16_t* Name) {
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (Column(i)->FieldName() == Name) return Column(i);
    return static_cast<TColumnEx*>(nullptr);
  };
  const int filterRow = grid->TopDataOffset() - 1;
  for (const char16_t* name : {u"Number", u"Note", u"Name"}) {
    SCOPED_TRACE(rtl::StringToUtf8(name));
    TColumnEx* column = named(name);
    ASSERT_TRUE(column);
    const auto& p = column->RowPlacement();
    const TRect r =
        grid->RowPanelCellClientRect(filterRow, TRect{p.Left, p.Top, p.Left + p.Width, p.Top + p.Height});
    h.Click(grid, ui::TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    ASSERT_TRUE(Editor() && Editor()->Visible());
    EXPECT_EQ(grid->FilterCol(), column->Index());
    EXPECT_EQ(Editor()->Left(), r.Left + 1);
    EXPECT_EQ(Editor()->Top(), r.Top);
    EXPECT_EQ(Editor()->Width(), r.Width() - 1);
    EXPECT_EQ(Editor()->Height(), r.Height());
    h.Key(Editor(), ui::VK_DOWN);
    EXPECT_FALSE(grid->FilterEditMode());
    EXPECT_EQ(grid->InRowPanelCol(), column->Index());
  }
  // The filter texts stand in their cells.
  Filter(0)->SetExpressionStr(u"~ Sm");
  named(u"Number")->STFilter()->SetExpressionStr(u">2");
  grid->Repaint();
  h.ProcessEvents();
  EXPECT_FALSE(h.SaveScreenshot(form, "filter_row_in_row_panel").empty());
}

// The edited filter cell going away ends filter editing and keeps the typed text.
TEST_F(FilterRow, TheEditedCellGoingAwayEndsFilterEditingAndKeepsTheText) {
  const char* ways[] = {"filters into the titles", "filter row hidden", "column filter hidden"};
  for (const char* way : ways) {
    grid->STFilter()->SetLocation(stflUnderTitleFilterEx);
    grid->STFilter()->SetVisible(true);
    Filter(1)->SetVisible(true);
    Filter(1)->Clear();
    grid->StartFilterEditing(1);
    ASSERT_TRUE(Editor()->Visible()) << way;
    Editor()->SetText(u">2");
    if (way == ways[0])
      grid->STFilter()->SetLocation(stflInTitleFilterEx);
    else if (way == ways[1])
      grid->STFilter()->SetVisible(false);
    else
      Filter(1)->SetVisible(false);
    h.ProcessEvents();
    EXPECT_FALSE(grid->FilterEditMode()) << way;
    EXPECT_FALSE(Editor()->Visible()) << way;
    EXPECT_EQ(Filter(1)->ExpressionStr(), u">2") << way;
  }
}

TEST_F(FilterRow, EnterAppliesOnceAndKeepsTheEditorOnItsColumn) {
  grid->StartFilterEditing(0);
  const int left = grid->LeftCol();
  h.Type(Editor(), u"=Jones");
  // The first Enter closes the list typing opened, the second applies.
  ASSERT_TRUE(Editor()->ListVisible());
  h.Key(Editor(), ui::VK_RETURN);
  EXPECT_FALSE(Editor()->ListVisible());
  EXPECT_EQ(applied, 0);
  h.Key(Editor(), ui::VK_RETURN);
  EXPECT_EQ(applied, 1);
  ASSERT_EQ(appliedTexts.size(), 1u);
  EXPECT_EQ(appliedTexts[0], u"=Jones");
  EXPECT_EQ(grid->FilterCol(), 0);
  EXPECT_TRUE(Editor()->Visible());
  EXPECT_EQ(grid->LeftCol(), left);
}

TEST_F(FilterRow, AFailingApplyStillLaysTheGridOutAndPassesOn) {
  grid->OnApplyFilter = [](ui::TObject*) { throw rtl::Exception(u"no filter here"); };
  grid->StartFilterEditing(1);
  EXPECT_THROW(grid->ExecuteApplyFilter(), rtl::Exception);
  EXPECT_TRUE(Editor()->Visible());
  EXPECT_EQ(grid->FilterCol(), 1);
}

TEST_F(FilterRow, ClearFilterEmptiesEveryCellWithoutApplying) {
  Filter(0)->SetExpressionStr(u"=Smith");
  Filter(1)->SetExpressionStr(u">2");
  grid->StartFilterEditing(0);
  grid->ClearFilter();
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"");
  EXPECT_EQ(Filter(1)->ExpressionStr(), u"");
  EXPECT_EQ(applied, 0);
  EXPECT_FALSE(grid->FilterEditMode());
}

TEST_F(FilterRow, ClickedValuesAddUpAndEnterChoosesOneAlone) {
  OfferNames();
  grid->StartFilterEditing(0);
  Editor()->DropDown();
  TPopupListboxEx* list = Editor()->PopupListbox();
  ASSERT_TRUE(list->Visible());
  ASSERT_EQ(list->Items()->Count(), 4);
  for (int i = 0; i < 3; ++i) {
    h.MouseDown(list, ItemCentre(list, i));
    h.MouseUp(list, ItemCentre(list, i));
  }
  EXPECT_TRUE(list->Visible());
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"in ('Smith','O''Brien','Jones')");
  EXPECT_EQ(Filter(0)->ListValuesCheckingState(), (std::vector<std::uint8_t>{1, 1, 1, 0}));
  EXPECT_EQ(Editor()->Text(), u"in ('Smith','O''Brien','Jones')");

  // A click on a checked value takes it out again.
  h.MouseDown(list, ItemCentre(list, 1));
  h.MouseUp(list, ItemCentre(list, 1));
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"in ('Smith','Jones')");

  list->SetItemIndex(3);
  h.Key(Editor(), ui::VK_RETURN);
  EXPECT_FALSE(list->Visible());
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"='Brown'");
  EXPECT_EQ(Filter(0)->ListValuesCheckingState(), (std::vector<std::uint8_t>{0, 0, 0, 1}));
}

TEST_F(FilterRow, APressReleasedOverAnotherValueChecksNothing) {
  OfferNames();
  grid->StartFilterEditing(0);
  Editor()->DropDown();
  TPopupListboxEx* list = Editor()->PopupListbox();
  h.MouseDown(list, ItemCentre(list, 0));
  h.MouseMove(list, ItemCentre(list, 2), {ui::ssLeft});
  h.MouseUp(list, ItemCentre(list, 2));
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"");
  EXPECT_EQ(Filter(0)->ListValuesCheckingState(), (std::vector<std::uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(Filter(0)->PopupListboxDownIndex(), -1);
}

TEST_F(FilterRow, TheDefaultListHoldsTheCommandsAndTheEmptiesCommandApplies) {
  grid->STFilter()->SetInstantApply(true);
  grid->StartFilterEditing(0);
  Editor()->DropDown();
  TPopupListboxEx* list = Editor()->PopupListbox();
  std::vector<String> texts;
  for (int i = 0; i < list->Items()->Count(); ++i) texts.push_back(list->Items()->Strings(i));
  EXPECT_EQ(texts,
            (std::vector<String>{u"(Clear filter)", u"(Custom...)", u"(All)", u"(Not empty)", u"(Empty)"}));
  list->SetItemIndex(4);
  h.Key(Editor(), ui::VK_RETURN);
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"=Null");
  EXPECT_GE(applied, 1);
  EXPECT_EQ(appliedTexts.back(), u"=Null");
}

TEST_F(FilterRow, ScreenshotOfTheRowWithItsListOpen) {
  OfferNames();
  Filter(1)->SetExpressionStr(u">= 2 AND < 4");
  grid->StartFilterEditing(0);
  Editor()->DropDown();
  TPopupListboxEx* list = Editor()->PopupListbox();
  h.MouseDown(list, ItemCentre(list, 1));
  h.MouseUp(list, ItemCentre(list, 1));
  h.ProcessEvents();
  const std::string path = h.SaveScreenshot({form, list}, "filter_row_open");
  EXPECT_FALSE(path.empty());
}

TEST_F(FilterRow, UpFromTheFirstRecordOrCtrlUpEntersTheFilterRow) {
  struct Case {
    const char* name;
    int moveBy;  // from the first record
    ui::TShiftState shift;
    bool enters;
  };
  for (const Case& c : {Case{"Up on the first record", 0, {}, true}, Case{"Up on the third", 2, {}, false},
                        Case{"Ctrl+Up on the third", 2, {ui::ssCtrl}, true}}) {
    grid->ResetSTFilterEditing();
    grid->SetFocus();
    ds.First();
    ds.MoveBy(c.moveBy);
    grid->SetSelectedIndex(1);
    h.Key(grid, ui::VK_UP, c.shift);
    EXPECT_EQ(grid->FilterEditMode(), c.enters) << c.name;
    if (c.enters) EXPECT_EQ(grid->FilterCol(), 1) << c.name;
    if (c.enters) EXPECT_TRUE(Editor()->Visible()) << c.name;
  }
}

TEST_F(FilterRow, CharactersTypedAtTheGridGoIntoTheFilterEditor) {
  grid->SetFocus();
  grid->StartFilterEditing(0);
  h.ProcessEvents();
  ASSERT_TRUE(Editor()->Focused());
  grid->SetFocus();  // from the editor: filtering goes on
  h.ProcessEvents();
  ASSERT_TRUE(grid->Focused());
  h.Type(grid, u"S");
  h.ProcessEvents();
  EXPECT_EQ(Editor()->Text(), u"S");
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
}

}  // namespace

namespace {

struct TitleFilterList : filtertest::FilterTable {
  void SetUp() override {
    FilterTable::SetUp();
    grid->STFilter()->SetVisible(true);
    grid->STFilter()->SetLocation(grid::stflInTitleFilterEx);
    h.Show(form);
  }
};

TEST_F(TitleFilterList, InTitleFiltersHaveNoRowAndNoEditor) {
  EXPECT_EQ(grid->STFilterRowCount(), 0);
  grid->StartFilterEditing(0);
  EXPECT_EQ(grid->FilterEdit(), nullptr);
  EXPECT_FALSE(grid->FilterEditMode());
}

TEST_F(TitleFilterList, ThePressedTitleButtonOpensAndClosesItsColumnsList) {
  int titleClicks = 0;
  grid->OnTitleClick = [&](grid::TColumnEx*) { ++titleClicks; };
  const TRect title = grid->CellBounds(grid->DataColToGridCol(1), 0);
  TRect button;
  const ui::TPoint centre{(title.Left + title.Right) / 2, (title.Top + title.Bottom) / 2};
  ASSERT_EQ(grid->TitleFilterButtonHitTest({title.Left, 0}, centre, button, title), 0);
  // Clear of the sizing edge at the title's right.
  const ui::TPoint onButton{title.Right - 8, centre.Y};
  ASSERT_EQ(grid->TitleFilterButtonHitTest({grid->DataColToGridCol(1), 0}, onButton, button, title), 8);
  EXPECT_GE(button.Right, title.Right - 1);
  EXPECT_GT(button.Left, centre.X);
  EXPECT_EQ(grid->EditButtonAtPos(grid->DataColToGridCol(1), 0, onButton.Y - title.Top,
                                  onButton.X - title.Left, Column(1)),
            0);
  struct Case {
    ui::TPoint at;
    bool open;
  };
  for (const Case& c : {Case{onButton, true}, Case{onButton, false}, Case{centre, false}}) {
    const int before = titleClicks;
    h.Click(grid, c.at);
    EXPECT_EQ(grid->InTitleFilterListboxVisible(), c.open) << c.at.X;
    if (c.open) EXPECT_EQ(grid->InTitleFilterListboxColumn(), Column(1));
    if (c.at.X == centre.X) EXPECT_EQ(titleClicks, before + 1);
  }
  // Without the filter in the titles there is no button.
  grid->STFilter()->SetLocation(grid::stflUnderTitleFilterEx);
  EXPECT_EQ(grid->TitleFilterButtonHitTest({grid->DataColToGridCol(1), 0}, onButton, button, title), 0);
}

// The filter button lies at the cell's outer end as painted: in the panel
// cell of a row panel, at the left end of a mirrored title.
TEST_F(TitleFilterList, TheButtonFollowsRowPanelCellsAndMirroring) {
  TRect button;
  {
    SCOPED_TRACE("right to left");
    grid->SetBiDiMode(ui::bdRightToLeft);
    h.ProcessEvents();
    const TRect title = grid->CellBounds(grid->DataColToGridCol(1), 0);
    const int y = (title.Top + title.Bottom) / 2;
    EXPECT_EQ(
        grid->TitleFilterButtonHitTest({grid->DataColToGridCol(1), 0}, {title.Left + 8, y}, button, title),
        8);
    EXPECT_NEAR(button.Left, title.Left, 1);
    EXPECT_EQ(
        grid->TitleFilterButtonHitTest({grid->DataColToGridCol(1), 0}, {title.Right - 8, y}, button, title),
        0);
    // The list drops down aligned with the title's right end.
    h.Click(grid, ui::TPoint{title.Left + 8, y});
    ASSERT_TRUE(grid->InTitleFilterListboxVisible());
    const ui::TPoint corner = grid->ClientToScreen(ui::TPoint{title.Right, title.Bottom});
    EXPECT_EQ(grid->InTitleFilterListbox()->Left() + grid->InTitleFilterListbox()->Width(), corner.X);
    grid->CloseTitleFilterListbox(false);
    grid->SetBiDiMode(ui::bdLeftToRight);
    h.ProcessEvents();
  }
  grid->Columns()->SetState(csCustomized);
  Column(2)->SetInRowLinePos(1);
  grid->RowPanel()->SetActive(true);
  h.ProcessEvents();
  TColumnEx* note = nullptr;
  for (int i = 0; i < grid->Columns()->Count(); ++i)
    if (Column(i)->FieldName() == u"Note") note = Column(i);
  ASSERT_TRUE(note);
  const auto& p = note->RowPlacement();
  const TRect cell =
      grid->RowPanelCellClientRect(0, TRect{p.Left, p.Top, p.Left + p.Width, p.Top + p.Height});
  const TRect master = grid->CellBounds(grid->IndicatorOffset(), 0);
  const ui::TPoint onButton{cell.Right - 4, (cell.Top + cell.Bottom) / 2};
  ASSERT_EQ(grid->TitleFilterButtonHitTest({grid->IndicatorOffset(), 0}, onButton, button, master), 8);
  EXPECT_NEAR(button.Right, cell.Right, 1);
  EXPECT_NEAR(button.Bottom, cell.Bottom, 1);
  // The list drops down under the panel cell, not under the whole master cell.
  h.Click(grid, onButton);
  ASSERT_TRUE(grid->InTitleFilterListboxVisible());
  EXPECT_EQ(grid->InTitleFilterListboxColumn(), note);
  const ui::TPoint under = grid->ClientToScreen(ui::TPoint{cell.Left, cell.Bottom + 1});
  EXPECT_EQ(grid->InTitleFilterListbox()->Left(), under.X);
  EXPECT_EQ(grid->InTitleFilterListbox()->Top(), under.Y);
}

TEST_F(TitleFilterList, KeysReachTheListAndEscapeClosesIt) {
  grid->SetFocus();
  grid->ShowTitleFilterListbox(Column(0));
  grid::TPopupListboxEx* list = grid->InTitleFilterListbox();
  ASSERT_TRUE(grid->InTitleFilterListboxVisible());
  EXPECT_EQ(grid->InTitleFilterListboxColumn(), Column(0));
  EXPECT_TRUE(list->Visible());
  h.Key(grid, ui::VK_ESCAPE);
  EXPECT_FALSE(grid->InTitleFilterListboxVisible());
  EXPECT_FALSE(list->Visible());
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"");
}

TEST_F(TitleFilterList, EnterRunsTheChosenCommand) {
  grid->STFilter()->SetInstantApply(true);
  grid->SetFocus();
  grid->ShowTitleFilterListbox(Column(0));
  grid::TPopupListboxEx* list = grid->InTitleFilterListbox();
  list->SetItemIndex(list->Items()->IndexOf(u"(Not empty)"));
  h.Key(grid, ui::VK_RETURN);
  EXPECT_FALSE(grid->InTitleFilterListboxVisible());
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"<>Null");
  EXPECT_EQ(applied, 1);
}

TEST_F(TitleFilterList, AListResizedWithItsGripOpensAgainAtThatSize) {
  grid->ShowTitleFilterListbox(Column(1));
  grid::TPopupListboxEx* list = grid->InTitleFilterListbox();
  list->SetRowCount(3);
  list->SetBounds(list->Left(), list->Top(), 260, list->Height());
  list->SetSizeGripResized(true);
  grid->CloseTitleFilterListbox(false);
  EXPECT_EQ(Filter(1)->DropDownListRows(), 3);
  EXPECT_EQ(Filter(1)->DropDownListWidth(), 260);
  grid->ShowTitleFilterListbox(Column(1));
  EXPECT_EQ(list->RowCount(), 3);
  EXPECT_EQ(list->Width(), 260);
  grid->CloseTitleFilterListbox(false);
}

TEST_F(TitleFilterList, CtrlTDropsTheSelectedColumnsList) {
  grid->SetFocus();
  grid->SetSelectedIndex(1);
  h.Key(grid, 'T', {ui::ssCtrl});
  ASSERT_TRUE(grid->InTitleFilterListboxVisible());
  EXPECT_EQ(grid->InTitleFilterListboxColumn(), Column(1));
  h.Key(grid, ui::VK_ESCAPE);
  EXPECT_FALSE(grid->InTitleFilterListboxVisible());
  Filter(1)->SetVisible(false);
  h.Key(grid, 'T', {ui::ssCtrl});
  EXPECT_FALSE(grid->InTitleFilterListboxVisible()) << "a column without a filter has no list";
}

TEST_F(TitleFilterList, CancelModeAndLosingTheFocusCloseTheList) {
  ui::TEdit other(form);
  other.SetParent(form);
  other.SetBounds(0, 210, 80, 20);
  for (const char* how : {"cancel mode", "focus elsewhere"}) {
    grid->SetFocus();
    h.ProcessEvents();
    grid->ShowTitleFilterListbox(Column(0));
    ASSERT_TRUE(grid->InTitleFilterListboxVisible()) << how;
    if (std::string(how) == "cancel mode")
      grid->Perform(ui::WM_CANCELMODE);
    else
      other.SetFocus();
    h.ProcessEvents();
    EXPECT_FALSE(grid->InTitleFilterListboxVisible()) << how;
    EXPECT_EQ(Filter(0)->ExpressionStr(), u"") << how;
  }
  other.SetParent(nullptr);
}

}  // namespace
