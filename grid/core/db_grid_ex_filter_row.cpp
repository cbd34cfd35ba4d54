// The filter row: which cells take part, editing a column's filter in the
// filter editor placed over its cell, the drop-down lists of commands and
// values (in the editor and inside the titles), moving between filter
// cells, and applying or clearing the filter.
#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/filter_popup_items.h"
#include "grid/columns/filters/inplace_filter_edit_ex.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/columns/sums/db_grid_ex_sum_list.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/classes/messages.h"
#include "platform/ui/application.h"
#include "platform/ui/keys.h"

namespace grid {

using namespace ui;

void TCustomDBGridEx::SetSTFilter(const TSTDBGridExFilter* Value) { FSTFilter->Assign(Value); }

int TCustomDBGridEx::STFilterRowCount() {
  return FSTFilter && FSTFilter->Visible() && FSTFilter->Location() == stflUnderTitleFilterEx ? 1 : 0;
}

TInplaceFilterEditEx* TCustomDBGridEx::CreateFilterEditor() { return new TInplaceFilterEditEx(this); }

bool TCustomDBGridEx::ColumnHasFilterCell(int DataCol) {
  if (DataCol < 0 || DataCol >= FColumns->Count()) return false;
  TColumnEx* column = FColumns->ColumnAt(DataCol);
  return column->Visible() && column->STFilter()->Visible() &&
         FSTFilter->Location() == stflUnderTitleFilterEx;
}

String TCustomDBGridEx::ColumnFilterText(int DataCol) {
  if (DataCol < 0 || DataCol >= FColumns->Count()) return String();
  TColumnEx* column = FColumns->ColumnAt(DataCol);
  return column->FieldName().empty() ? String() : column->STFilter()->ExpressionStr();
}

void TCustomDBGridEx::SetFilterEditMode(bool On) {
  if (On)
    StartFilterEditing(SelectedIndex());
  else
    ResetSTFilterEditing();
}

void TCustomDBGridEx::StartFilterEditing(int DataCol) {
  if (!FSTFilter->Visible() || FSTFilter->Location() != stflUnderTitleFilterEx ||
      !ColumnHasFilterCell(DataCol))
    return;
  if (FDataLink->Active() && FDataLink->DataSet()) FDataLink->DataSet()->CheckBrowseMode();
  if (!FFilterEdit) {
    FFilterEdit = CreateFilterEditor();
    FFilterEdit->SetVisible(false);
    FFilterEdit->SetParent(this);
    FFilterEdit->SetGrid(this);
    IInplaceEditorEx* intf = FFilterEdit;
    intf->SetInplaceEditHolder(this);
    intf->ApplyBorderStyle(bsNone);
    TFont font;
    font.Assign(Font());
    font.SetColor(clBlue);
    intf->ApplyFont(&font);
    intf->ApplyColor(MixColors(clWindow, FixedColor(), 8));
    intf->SetOnKeyPress([this](TObject* Sender, char16_t& Key) { FilterEditorKeyPress(Sender, Key); });
    intf->SetOnExit([](TObject*) {});
    FFilterEdit->SetFlat(Flat());
    FFilterEdit->PopupListbox()->SetUseItemObjects(true);
  }
  if (FFilterEdit->Visible() && FFilterCol != DataCol) HideFilterEditor();
  FFilterCol = DataCol;
  FFilterEditMode = true;
  SetEditorMode(false);
  LockUpdate();
  LockPaint();
  try {
    const int gridCol = DataColToGridCol(DataCol);
    if (FOptions.Contains(dgRowSelect)) {
      if (gridCol >= LeftCol() + VisibleColCount()) {
        int left = gridCol;
        while (left > FixedCols() && left - 1 >= LeftCol()) {
          SetLeftCol(left - 1);
          if (gridCol >= LeftCol() + VisibleColCount()) break;
          left = LeftCol();
        }
        SetLeftCol(std::max(FixedCols(), left));
      } else if (gridCol < LeftCol()) {
        SetLeftCol(gridCol);
      }
    } else if (RowPanelActive()) {
      SetSelectedIndex(DataCol);
    } else if (gridCol < ColCount()) {
      SetCol(gridCol);
    }
  } catch (...) {
    UnlockPaint();
    UnlockUpdate();
    throw;
  }
  UnlockPaint();
  UnlockUpdate();
  if (STFilterRowCount() > 0) RepaintRow(TopDataOffset() - 1);
  PlaceFilterEditor(true);
}

void TCustomDBGridEx::PlaceFilterEditor(bool Show) {
  if (FSTFilter->UpdateCount() >= 1) return;
  if (STFilterRowCount() == 0 || !ColumnHasFilterCell(FFilterCol) || !FFilterEditMode) {
    if (FFilterEditMode) SetFilterEditMode(false);
    return;
  }
  if (!FFilterEdit) return;
  TColumnEx* column = FColumns->ColumnAt(FFilterCol);
  TRect r;
  if (RowPanelActive()) {
    const auto& p = column->RowPlacement();
    r = RowPanelCellClientRect(TopDataOffset() - 1, TRect{p.Left, p.Top, p.Left + p.Width, p.Top + p.Height});
  } else {
    r = CellBounds(DataColToGridCol(FFilterCol), TopDataOffset() - 1);
  }
  if (column->STFilter()->InFilterListBox()) {
    FFilterEdit->UpdateLoc(r);
    return;
  }
  // One pixel of the cell's leading side stays free (its right side, mirrored).
  if (UseRightToLeftAlignment())
    r.Right -= 1;
  else
    r.Left += 1;
  if (!FilterEditorActive()) {
    FFilterEdit->Hide();
    return;
  }
  // The editor is shown by placing it; an empty place hides it, so a
  // reloaded editor appears afresh.
  if (Show) FFilterEdit->Move(TRect{});
  if (Show) ShowFilterEditorValue(FFilterCol);
  FFilterEdit->Move(r);
  if (Showing() && FFilterEdit->CanFocus() && !FFilterEdit->Focused()) FFilterEdit->SetFocus();
  if (Show) FFilterEdit->SelectAll();
  FFilterEdit->Perform(EM_SCROLLCARET, 0, 0);
}

void TCustomDBGridEx::ShowFilterEditorValue(int DataCol) {
  if (!FFilterEdit || DataCol < 0 || DataCol >= FColumns->Count()) return;
  TColumnEx* column = FColumns->ColumnAt(DataCol);
  TSTColumnFilterEx* filter = column->STFilter();
  FFilterEdit->SetColumn(column);
  FFilterEdit->Items()->Clear();
  FFilterEdit->OnCloseUp = [this](TObject* Sender, bool Accept) { FilterEditorCloseUp(Sender, Accept); };
  FFilterEdit->OnClosingUp = [this](TObject* Sender, bool& Accept) { FilterEditorClosingUp(Sender, Accept); };
  FFilterEdit->OnDropDown = [this](TObject* Sender) { FilterEditorDropDown(Sender); };
  FFilterEdit->SetValue(rtl::Variant::Null());
  FFilterEdit->OnButtonClick = nullptr;
  FFilterEdit->EditButton()->SetVisible(true);
  FFilterEdit->DropDownBox()->SetAutoDrop(true);
  if (!filter->CurrentKeyField().empty())
    TInplaceFilterEditEx::AssignEditValueAndText(FFilterEdit, filter->KeyValues(), filter->ExpressionStr());
  else
    FFilterEdit->SetText(filter->ExpressionStr());
  FFilterEdit->DropDownBox()->SetWidth(filter->DropDownListWidth() <= 0 ? 100 : filter->DropDownListWidth());
  FFilterEdit->DropDownBox()->SetRows(filter->DropDownListRows() <= 0 ? 17 : filter->DropDownListRows());
}

void TCustomDBGridEx::ApplyFilterEditText(int DataCol) {
  if (!FFilterEdit || DataCol < 0 || DataCol >= FColumns->Count()) return;
  TColumnEx* column = FColumns->ColumnAt(DataCol);
  if (!column->FieldName().empty()) column->STFilter()->SetExpressionStr(FFilterEdit->Text());
}

void TCustomDBGridEx::CommitFilterEditText() {
  if (FFilterCol >= 0) ApplyFilterEditText(FFilterCol);
}

void TCustomDBGridEx::HideFilterEditor() {
  if (!FFilterEdit || !FFilterEdit->Visible() || FHidingFilterEditor) return;
  // The text goes into the filter first: text that does not parse raises
  // and leaves the editor open with what the user typed. The new text
  // places the still visible editor again, which may end filter editing
  // and come back here: that inner call leaves the hiding to this one.
  if (FFilterCol >= 0 && !ComponentState().Contains(csDestroying)) {
    FHidingFilterEditor = true;
    try {
      ApplyFilterEditText(FFilterCol);
    } catch (...) {
      FHidingFilterEditor = false;
      throw;
    }
    FHidingFilterEditor = false;
  }
  if (Visible() && CanFocus() && FFilterEdit->Focused()) SetFocus();
  FFilterEdit->Hide();
  if (FFilterCol >= 0 && STFilterRowCount() > 0)
    RepaintCell(DataColToGridCol(FFilterCol), TopDataOffset() - 1);
}

void TCustomDBGridEx::ResetSTFilterEditing() {
  if (FSTFilter->UpdateCount() > 0) return;
  HideFilterEditor();
  if (FFilterEditMode) {
    FFilterEditMode = false;
    if (STFilterRowCount() > 0) RepaintRow(TopDataOffset() - 1);
  }
  if (ComponentState().Contains(csDestroying)) return;
  if (FOptions.Contains(dgAlwaysShowEditor) && !FFilterEditMode && FDataLink->Active())
    SetEditorMode(true);
  else
    SetEditorMode(false);
}

void TCustomDBGridEx::ExecuteApplyFilter() {
  if (FFilterEdit && FFilterEdit->Visible()) CommitFilterEditText();
  const int left = LeftCol();
  auto after = [&] {
    if (left < ColCount()) SetLeftCol(left);
    PlaceFilterEditor(true);
    if (FSumList && FSumList->Active()) FSumList->RecalcAll();
    Invalidate();
  };
  try {
    if (OnApplyFilter)
      OnApplyFilter(this);
    else
      DefaultApplyFilter();
  } catch (...) {
    after();
    throw;
  }
  after();
}

void TCustomDBGridEx::ClearFilter() {
  ResetSTFilterEditing();
  for (int i = 0; i < FColumns->Count(); ++i) FColumns->ColumnAt(i)->STFilter()->Clear();
  Invalidate();
}

void TCustomDBGridEx::ColumnGoing(TColumnEx* Column) {
  if (FInTitleFilterListboxColumn == Column) {
    if (FInTitleFilterListbox) FInTitleFilterListbox->SetVisible(false);
    FInTitleFilterListboxVisible = false;
    FInTitleFilterListboxColumn = nullptr;
    FInTitleFilterListboxGroupLevel = nullptr;
  }
  if (FFilterCol >= 0 && FFilterCol == Column->Index()) {
    if (ComponentState().Contains(csDestroying)) {
      FFilterCol = -1;
      FFilterEditMode = false;
      return;
    }
    if (FFilterEdit) FFilterEdit->Hide();
    FFilterCol = -1;
    ResetSTFilterEditing();
  }
}

// --- drop-down lists ---------------------------------------------------------------------

void TCustomDBGridEx::DefaultFillSTFilterListValues(TColumnEx* Column, TStrings* Items) {
  if (!FCenter) return;
  FCenter->DefaultFillSTFilterListCommandValues(this, Column, Items);
  FCenter->DefaultFillSTFilterListDataValues(this, Column, Items);
}

void TCustomDBGridEx::FillSTFilterListValues(TSTColumnFilterEx* Filter, TStrings* Items, int& Width,
                                             TPopupListboxEx* ListControl) {
  TColumnEx* column = Filter->Column();
  bool processed = false;
  if (OnFillSTFilterListValues) OnFillSTFilterListValues(this, column, Items, processed);
  if (column->OnFillSTFilterListValues) column->OnFillSTFilterListValues(this, column, Items, processed);
  if (FCenter && FCenter->OnFillSTFilterListValues)
    FCenter->OnFillSTFilterListValues(this, column, Items, processed);
  if (!processed) DefaultFillSTFilterListValues(column, Items);

  TCanvas canvas;
  canvas.SetFont(ListControl ? ListControl->Font() : Font());
  const int border = ListControl ? ListControl->BorderWidth() : 0;
  for (int i = 0; i < Items->Count(); ++i) {
    auto* obj = static_cast<TObject*>(Items->Objects(i));
    if (!obj || dynamic_cast<TPopupListboxItemExData*>(obj)) continue;
    Width = std::max(Width, canvas.TextWidth(Items->Strings(i)) + CheckBoxWidth +
                                EditorSystemMetrics().VScrollWidth + 2 * border + 4);
  }
  Filter->SetPopupListboxDownIndex(-1);
  Items->BeginUpdate();
  for (int i = 0; i < Items->Count(); ++i)
    if (!Items->Objects(i)) Items->PutObject(i, static_cast<TObject*>(PopupListboxItemEmpty()));
  Items->EndUpdate();
  Filter->ListValuesCheckingState().assign(static_cast<std::size_t>(Items->Count()), 0);
}

void TCustomDBGridEx::FilterEditorKeyPress(TObject*, char16_t& Key) {
  if (Key == u'\r') {
    Key = 0;
    ExecuteApplyFilter();
    return;
  }
  if (Key != u' ' || !FFilterEdit || !FFilterEdit->ListVisible() || FFilterCol < 0) return;
  if (CurrentShiftState() != TShiftState{ssCtrl}) return;
  // The editor's list closes accepting, which runs the item.
  if (ToggleListCommand(FFilterEdit->PopupListbox(), FColumns->ColumnAt(FFilterCol),
                        [this] { FFilterEdit->CloseUp(true); }))
    Key = 0;
}

void TCustomDBGridEx::FilterEditorDropDown(TObject*) {
  if (FFilterCol < 0 || FFilterCol >= FColumns->Count() || !FFilterEdit) return;
  TSTColumnFilterEx* filter = FColumns->ColumnAt(FFilterCol)->STFilter();
  filter->SetEnterNotClearData(false);
  FFilterEdit->Items()->Clear();
  int width = FFilterEdit->DropDownBox()->Width();
  FillSTFilterListValues(filter, FFilterEdit->Items(), width, FFilterEdit->PopupListbox());
  FFilterEdit->DropDownBox()->SetWidth(width);
  filter->MarkCheckedListValues(FFilterEdit->Items());
}

void TCustomDBGridEx::FilterEditorClosingUp(TObject*, bool& Accept) {
  if (FFilterCol < 0 || FFilterCol >= FColumns->Count() || !FFilterEdit) return;
  TSTColumnFilterEx* filter = FColumns->ColumnAt(FFilterCol)->STFilter();
  filter->SetPopupListboxDownIndex(-1);
  TPopupListboxEx* list = FFilterEdit->PopupListbox();
  if (FFilterEdit->Visible()) {
    filter->SetDropDownListWidth(list->Width());
    filter->SetDropDownListRows(list->RowCount());
  }
  const int index = list->ItemIndex();
  if (Accept) {
    // A choice that closes the list is made with the keys: a value chosen so stands alone.
    filter->SetEnterNotClearData(false);
    if (TPopupListboxItemEx* item = list->ItemObjectAt(index)) {
      try {
        item->Execute(list, index, TPoint{-1, -1}, TShiftState{});
      } catch (...) {
        filter->SetInFilterListBox(false);
        throw;
      }
      Accept = false;
    }
  }
  filter->SetInFilterListBox(false);
}

void TCustomDBGridEx::FilterEditorCloseUp(TObject*, bool Accept) {
  if (Accept && FCenter && FCenter->FilterEditCloseUpApplyFilter()) ExecuteApplyFilter();
}

// --- the in-title list -------------------------------------------------------------------

void TCustomDBGridEx::ShowTitleFilterListbox(TColumnEx* Column) {
  if (FInTitleFilterListboxVisible) CloseTitleFilterListbox(false);
  TRect r;
  if (RowPanelActive()) {
    const auto& p = Column->RowPlacement();
    const int lw = GridLineWidth();
    r = RowPanelCellClientRect(
        0, TRect{p.Left, p.Top, p.Left + p.Width + (FOptions.Contains(dgColLines) ? lw : 0),
                 p.Top + p.Height + (FOptions.Contains(dgRowLines) ? lw : 0)});
  } else {
    r = CellBounds(DataColToGridCol(Column->Index()), 0);
  }
  ShowTitleFilterListboxAt(Column, r);
  InvalidateTitle();
}

void TCustomDBGridEx::ShowTitleFilterListboxAt(TColumnEx* Column, TRect R) {
  if (!FInTitleFilterListbox) {
    FInTitleFilterListbox = new TPopupListboxEx(this);
    FInTitleFilterListbox->SetVisible(false);
    FInTitleFilterListbox->SetCtl3D(true);
    FInTitleFilterListbox->SetUseItemObjects(true);
    FInTitleFilterListbox->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
      if (Button != mbLeft || !FInTitleFilterListbox->IsMouseUpCloseListbox()) return;
      CloseTitleFilterListbox(FInTitleFilterListbox->ClientRect().Contains(TPoint{X, Y}));
    };
    FInTitleFilterListbox->OnKeyDown = [this](TObject*, std::uint16_t& Key, TShiftState) {
      FilterListboxKeyDown(Key);
    };
    FInTitleFilterListbox->OnKeyPress = [this](TObject*, char16_t& Key) {
      if (Key != u' ' || !FInTitleFilterListboxColumn) return;
      ToggleListCommand(FInTitleFilterListbox, FInTitleFilterListboxColumn,
                        [this] { CloseTitleFilterListbox(true); });
      Key = 0;
    };
  }
  TPopupListboxEx* list = FInTitleFilterListbox;
  TSTColumnFilterEx* filter = Column->STFilter();
  FInTitleFilterListboxColumn = Column;
  filter->SetEnterNotClearData(false);
  list->Items()->Clear();
  int width = filter->DropDownListWidth();
  FillSTFilterListValues(filter, list->Items(), width, list);
  list->SetColor(Color());
  list->SetFont(Font());
  list->SetItemHeight(std::max(1, list->GetTextHeight()));
  list->SetRowCount(filter->DropDownListRows());
  list->SetBounds(list->Left(), list->Top(), std::max(Column->Width(), width), list->Height());
  filter->MarkCheckedListValues(list->Items());
  const TPoint topLeft = ClientToScreen(TPoint{R.Left, R.Top});
  const TRect screen{topLeft.X, topLeft.Y, topLeft.X + R.Width(), topLeft.Y + R.Height()};
  const TPoint at = CalcDropDownPosition(screen, list, UseRightToLeftAlignment() ? daRight : daLeft);
  list->SetBounds(at.X, at.Y, list->Width(), list->Height());
  list->SizeGrip()->SetVisible(true);
  list->SetVisible(true);
  FInTitleFilterListboxVisible = true;
  list->SetSizeGripResized(false);
}

void TCustomDBGridEx::CloseTitleFilterListbox(bool Execute) {
  TColumnEx* column = FInTitleFilterListboxColumn;
  if (column && column->STFilter()->InFilterListBox()) return;
  if (!FInTitleFilterListboxVisible || !FInTitleFilterListbox) {
    FInTitleFilterListboxGroupLevel = nullptr;
    return;
  }
  TPopupListboxEx* list = FInTitleFilterListbox;
  if (TControl* capture = GetCaptureControl()) capture->Perform(WM_CANCELMODE, 0, 0);
  const bool listFocused = list->Focused();
  list->SetVisible(false);
  if (column && list->SizeGripResized()) {
    column->STFilter()->SetDropDownListRows(list->RowCount());
    column->STFilter()->SetDropDownListWidth(list->Width());
  }
  FInTitleFilterListboxVisible = false;
  // The keyboard must not stay with a hidden window.
  if (listFocused && CanFocus()) SetFocus();
  FTrackingStateRect = TRect{};
  InvalidateTitle();
  OutBoundaryData()->InvalidateOutBoundary(cbtTopEx);
  // The chosen item still needs to know which grouping level opened the
  // list (a sort item sorts that level), so the level is let go afterwards,
  // also when the item fails.
  struct LevelRelease {
    TGridDataGroupLevelEx*& level;
    ~LevelRelease() { level = nullptr; }
  } release{FInTitleFilterListboxGroupLevel};
  if (Execute) {
    if (column) column->STFilter()->SetEnterNotClearData(false);
    const int index = list->ItemIndex();
    if (TPopupListboxItemEx* item = list->ItemObjectAt(index)) item->Execute(list, index, TPoint{-1, -1}, {});
  }
}

void TCustomDBGridEx::FilterListboxKeyDown(std::uint16_t& Key) {
  if (Key == VK_ESCAPE) {
    CloseTitleFilterListbox(false);
    Key = 0;
  } else if (Key == VK_RETURN) {
    CloseTitleFilterListbox(true);
    Key = 0;
  }
}

bool TCustomDBGridEx::ToggleListCommand(TPopupListboxEx* List, TColumnEx* Column,
                                        const std::function<void()>& CloseList) {
  const int index = List->ItemIndex();
  auto* item = dynamic_cast<TDBGridFilterPopupListboxItemEx*>(List->ItemObjectAt(index));
  if (!item) return false;
  if (item->CloseOnExecute(List, index)) {
    CloseList();
    return true;
  }
  Column->STFilter()->SetEnterNotClearData(true);
  item->Execute(List, index, TPoint{-1, -1}, CurrentShiftState());
  List->InvalidateIndex(index);
  return true;
}

// --- mouse and messages --------------------------------------------------------------------

bool TCustomDBGridEx::FilterRowMouseDown(TMessage& Message) {
  if (ComponentState().Contains(csDesigning) || STFilterRowCount() == 0) return false;
  const TPoint p{XPos(Message.LParam), YPos(Message.LParam)};
  const TGridCoord cell = MouseCoord(p.X, p.Y);
  if (!IsSTFilterRow(cell.Y) || cell.X < FIndicatorOffset) return false;
  int dataCol = GridColToDataCol(cell.X);
  if (RowPanelActive()) {
    const TRect master = RowPanelMasterCellRect(cell.Y);
    TColumnEx* column = GetColumnInRowPanelAtPos(TPoint{p.X - master.Left, p.Y - master.Top}, true);
    dataCol = column && column->Visible() ? column->Index() : -1;
  }
  if (!ColumnHasFilterCell(dataCol)) return false;
  // A selection would keep the editor from showing.
  ClearSelectionIfAsked();
  StartFilterEditing(dataCol);
  FDownMouseMessageTime = rtl::GetTickCount();
  if (FDownMouseMessageTime == 0) FDownMouseMessageTime = 1;
  FDownMousePos = p;
  if (Message.Msg == WM_LBUTTONDOWN && FFilterEdit && FFilterEdit->Visible()) {
    const TPoint at = FFilterEdit->ScreenToClient(ClientToScreen(p));
    FFilterEdit->Perform(WM_LBUTTONDOWN, Message.WParam, MakeLParam(at.X, at.Y));
  }
  return true;
}

void TCustomDBGridEx::FilterRowCancelMode(TMessage& Message) {
  if (FFilterEdit) FFilterEdit->Perform(Message.Msg, Message.WParam, Message.LParam);
  if (!FInTitleFilterListboxVisible || !FInTitleFilterListbox) return;
  auto* sender = reinterpret_cast<TControl*>(Message.LParam);
  if (sender == this || !sender) {
    const TPoint mouse = ScreenToClient(Screen->CursorPos());
    if (!FTrackingStateRect.Contains(mouse)) CloseTitleFilterListbox(false);
    return;
  }
  for (TControl* c = sender; c; c = c->Parent())
    if (c == FInTitleFilterListbox) return;
  CloseTitleFilterListbox(false);
}

bool TCustomDBGridEx::ForwardKeyToTitleFilterListbox(TMessage& Message) {
  if (!FInTitleFilterListboxVisible || !FInTitleFilterListbox) return false;
  // A key the list took brings no character after it.
  Message.Result = FInTitleFilterListbox->Perform(Message.Msg, Message.WParam, Message.LParam);
  return true;
}

// --- keys of the filter editor ----------------------------------------------------------------

int TCustomDBGridEx::NextFilterColumn(int From, bool Forward) {
  const int count = FColumns->Count();
  if (count == 0) return -1;
  int c = From + (Forward ? 1 : -1);
  if (c >= count) c = 0;
  if (c < 0) c = count - 1;
  while (c >= 0 && c < count) {
    if (ColumnHasFilterCell(c)) return c;
    c += Forward ? 1 : -1;
  }
  return -1;
}

void TCustomDBGridEx::FilterEditorNavigate(std::uint16_t& Key, TShiftState Shift) {
  if (!FFilterEdit || FFilterEdit->ListVisible()) return;
  std::uint16_t key = Key;
  if (UseRightToLeftAlignment()) {
    if (key == VK_LEFT)
      key = VK_RIGHT;
    else if (key == VK_RIGHT)
      key = VK_LEFT;
  }
  const bool ctrl = Shift.Contains(ssCtrl);
  const bool noShifts = !Shift.Contains(ssShift) && !ctrl && !Shift.Contains(ssAlt);
  const int selStart = FFilterEdit->SelStart();
  const int selLength = FFilterEdit->SelLength();
  const int textLength = static_cast<int>(FFilterEdit->Text().size());
  int target = -1;
  bool consumed = false;
  auto first = [&] {
    for (int c = 0; c < FColumns->Count(); ++c)
      if (ColumnHasFilterCell(c)) return c;
    return -1;
  };
  auto last = [&] {
    for (int c = FColumns->Count() - 1; c >= 0; --c)
      if (ColumnHasFilterCell(c)) return c;
    return -1;
  };
  switch (key) {
    case VK_RETURN:
      // Taken at the key itself, so the filter is applied once whatever
      // becomes of the character.
      if (Shift.Empty()) {
        Key = 0;
        ExecuteApplyFilter();
      }
      return;
    case VK_TAB:
      if (!FOptions.Contains(dgTabs)) return;
      target = NextFilterColumn(FFilterCol, !Shift.Contains(ssShift));
      consumed = true;
      break;
    case VK_HOME:
      if (ctrl || (selStart == 0 && selLength == 0)) {
        target = first();
        consumed = true;
      }
      break;
    case VK_END:
      if (ctrl || selStart + selLength >= textLength) {
        target = last();
        consumed = true;
      }
      break;
    case VK_LEFT:
      if (ctrl) {
        target = first();
        consumed = true;
      } else if (selStart == 0 && selLength == 0) {
        target = NextFilterColumn(FFilterCol, false);
        consumed = true;
      }
      break;
    case VK_RIGHT:
      if (ctrl) {
        target = last();
        consumed = true;
      } else if (selStart + selLength >= textLength) {
        // The caret stands at the selection's end: a text shown whole
        // selected, as every filter cell opens, goes on to the next cell.
        target = NextFilterColumn(FFilterCol, true);
        consumed = true;
      }
      break;
    case VK_UP:
      if (noShifts) Key = 0;
      return;
    case VK_DOWN:
      if ((noShifts || ctrl) && FDataLink->Active()) {
        const int col = FFilterCol;
        Key = 0;
        ResetSTFilterEditing();
        if (col >= 0) SetSelectedIndex(col);
        if (noShifts) FDataLink->DataSet()->MoveBy(-FDataLink->ActiveRecord());
        if (CanFocus() && Showing()) SetFocus();
      }
      return;
    case VK_F2:
      FFilterEdit->SetSelStart(textLength);
      FFilterEdit->SetSelLength(0);
      Key = 0;
      return;
    default:
      return;
  }
  if (!consumed) return;
  Key = 0;
  if (target >= 0 && target != FFilterCol) StartFilterEditing(target);
}

void TCustomDBGridEx::InplaceEditKeyDown(TControl* Control, std::uint16_t& Key, TShiftState Shift) {
  if (Control == FFilterEdit && FFilterEdit) FilterEditorNavigate(Key, Shift);
}

// Tab belongs to the grid's own handling, not to the filter text.
void TCustomDBGridEx::InplaceEditKeyPress(TControl*, char16_t& Key) {
  if (Key == u'\t') Key = 0;
}

}  // namespace grid
