// The cell editor's drop-down lists: opening, following the text, closing
// with or without taking the choice, and the recent-values list.
#include <algorithm>
#include <cmath>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_inplace_edit.h"
#include "grid/columns/lookup/popup_data_grid_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/tool_routines.h"
#include "grid/editors/calculator_ex.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/rtl_string.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"

namespace grid {

using namespace ui;

bool TDBGridInplaceEdit::ListHasFocus() const {
  if (!FActiveList) return false;
  if (FActiveList->Focused()) return true;
  TCustomForm* form = GetParentForm(this);
  for (const TControl* c = form ? form->ActiveControl() : nullptr; c; c = c->Parent())
    if (c == FActiveList) return true;
  return false;
}

void TDBGridInplaceEdit::DataListFollows() {
  TCustomDBGridEx* grid = DBGrid();
  if (grid && FDataList && FListVisible && FActiveList == FDataList)
    FDataList->SetKeyValue(grid->EditKeyValue());
}

void TDBGridInplaceEdit::PickListFollows(int Index) {
  if (FPickList && FListVisible) FPickList->SetItemIndex(Index);
}

// --- opening -----------------------------------------------------------------------------

void TDBGridInplaceEdit::DataListDropDown(TColumnEx* AColumn) {
  TPopupDataGridEx* list = FDataList;
  db::TDataSet* ds = AColumn->LookupListDataSet();
  db::TField* f = AColumn->Field();
  list->SetColor(Color());
  list->SetFont(Font());
  list->SetSpecRow(AColumn->DropDownSpecRow());
  const int rows = static_cast<int>(AColumn->DropDownRows());
  const int records = ds->IsSequenced() ? ds->RecordCount() : 0;
  list->SetRowCount(records >= 1 && records < rows ? records : rows);
  list->SetShowTitles(AColumn->DropDownShowTitles());
  FLookupSource->SetDataSet(ds);
  list->SetListSource(FLookupSource);
  list->SetKeyField(f ? f->LookupKeyFields() : String());
  list->SetListFieldIndex(0);
  list->SetListField(AColumn->LookupDisplayFields());
  list->SetUseMultiTitle(AColumn->DropDownBox()->UseMultiTitle());
  const int width = AColumn->DropDownWidth();
  if (width == -1)
    list->SetClientWidth(list->GetColumnsWidthToFit());
  else
    list->SetWidth(width <= 0 ? Width() : width);
  if (list->Width() < Width()) list->SetWidth(Width());
  TCustomDBGridEx* grid = DBGrid();
  list->SetKeyValue(grid ? grid->EditKeyValue() : rtl::Variant::Null());
  FListColumnMothed = false;
  list->OnColumnMoved = [this](TObject*, int, int) { FListColumnMothed = true; };
  list->SetAutoFitColWidths(AColumn->DropDownBox()->AutoFitColWidths());
}

void TDBGridInplaceEdit::PickListDropDown(TColumnEx* AColumn) {
  TPopupListboxEx* list = FPickList;
  list->SetColor(Color());
  list->SetFont(Font());
  list->SetItemHeight(std::max(1, list->GetTextHeight()));
  TStrings* pick = AColumn->PickList();
  list->Items()->BeginUpdate();
  list->Items()->Clear();
  const int count =
      AColumn->HasKeyItems() ? std::min(AColumn->KeyList()->Count(), pick->Count()) : pick->Count();
  for (int i = 0; i < count; ++i)
    list->Items()->AddObject(pick->Get(i), static_cast<TObject*>(pick->Objects(i)));
  list->Items()->EndUpdate();
  const int rows = std::min(count, static_cast<int>(AColumn->DropDownRows()));
  list->SetBounds(list->Left(), list->Top(), list->Width(), rows * list->ItemHeight() + 4);
  db::TField* f = AColumn->Field();
  int selected = -1;
  if (f && !f->IsNull())
    selected = AColumn->HasKeyItems() ? pick->IndexOf(Text()) : list->Items()->IndexOf(Text());
  list->SetItemIndex(selected);
  TCanvas measure;
  measure.SetFont(list->Font());
  int widest = 0;
  for (int i = 0; i < count; ++i) widest = std::max(widest, measure.TextWidth(list->Items()->Get(i)));
  list->SetClientWidth(std::max(list->ClientWidth(), widest) + 4);
}

void TDBGridInplaceEdit::CalendarDropDown() {
  TPopupMonthCalendarEx* calendar = FPopupMonthCalendar;
  calendar->SetColor(Color());
  calendar->SetFont(Font());
  rtl::TDateTime date = rtl::Date();
  if (!Text().empty() && !rtl::TryStrToDateTime(Text(), date)) {
    TColumnEx* column = Column();
    db::TField* f = column ? column->Field() : nullptr;
    const double value = f && !f->IsNull() ? f->AsFloat() : 0;
    date = value != 0 ? value : rtl::Date();
  }
  calendar->SetDate(date);
  const TRect r = calendar->MinRequiredRect();
  calendar->SetBounds(calendar->Left(), calendar->Top(), r.Width(), r.Height());
}

void TDBGridInplaceEdit::CalculatorDropDown() {
  auto* calc = dynamic_cast<IPopupCalculatorEx*>(FPopupCalculator);
  if (!calc) return;
  double value = 0;
  if (!Text().empty()) rtl::TryStrToFloat(Text(), value);
  calc->SetValue(rtl::Variant(value));
  calc->ApplyFlat(FlatGrid());
  HideCaret();
  SetSelLength(0);
}

void TDBGridInplaceEdit::DropDown() {
  if (FListVisible || !FActiveList) return;
  TColumnEx* column = Column();
  if (!column) return;
  // A window without a parent gets its widget only when asked: without one
  // the list would not show, and made later its first layout would undo the
  // sizes set here.
  FActiveList->HandleNeeded();
  FActiveList->SetBounds(FActiveList->Left(), FActiveList->Top(), Width(), FActiveList->Height());
  if (FActiveList == FDataList) {
    if (!column->LookupListDataSet()) return;
    DataListDropDown(column);
  } else if (FActiveList == FPopupMonthCalendar) {
    CalendarDropDown();
  } else if (FActiveList == FPopupCalculator) {
    CalculatorDropDown();
  } else if (FActiveList == FPickList) {
    PickListDropDown(column);
  }
  CloseMRUList(false);
  const TPoint at =
      CalcEditDropDownPosition(this, FActiveList, column->BiDiMode() == bdRightToLeft ? daRight : daLeft);
  FActiveList->SetBounds(at.X, at.Y, FActiveList->Width(), FActiveList->Height());
  if (FActiveList == FPickList) {
    FPickList->SizeGrip()->SetVisible(column->DropDownSizing());
    FPickList->SetSizeGripResized(false);
  } else if (FActiveList == FDataList) {
    FDataList->SizeGrip()->SetVisible(column->DropDownSizing());
    FDataList->SetSizeGripResized(false);
  }
  FActiveList->SetVisible(true);
  FListVisible = true;
  Invalidate();
  SetFocus();
  if (!FEditButtonControlList.empty()) FEditButtonControlList[0].EditButtonControl->SetAlwaysDown(true);
  FDroppedDown = true;
}

// --- closing ------------------------------------------------------------------------------

void TDBGridInplaceEdit::DataListCloseUp(TColumnEx* AColumn) {
  if (!AColumn) return;
  if (FDataList->SizeGripResized()) {
    AColumn->SetDropDownRows(static_cast<unsigned>(FDataList->RowCount()));
    AColumn->SetDropDownWidth(FDataList->Width());
  }
  if (FListColumnMothed) AColumn->DropDownSpecRow()->SetCellsText(FDataList->SpecRow()->CellsText());
}

void TDBGridInplaceEdit::CommitDataList(const rtl::Variant& Key, const String& Text) {
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  db::TField* f = column ? column->Field() : nullptr;
  if (!grid || !f) return;
  std::vector<db::TField*> keys;
  if (!f->KeyFields().empty()) f->DataSet()->GetFieldList(keys, f->KeyFields());
  if (!AllFieldsCanModify(keys) || !GridStartsFieldEdit() || !column->CanModify(true)) return;
  try {
    grid->DataLink()->Edit();
    if (grid->DataLink()->Editing()) {
      grid->DataLink()->Modified();
      grid->SetEditKeyValue(Key);
      grid->SetEditText(Text);
    }
  } catch (...) {
    // A text that differs from the field's makes the grid write the field again.
    SetText(f->Text() + u" ");
    throw;
  }
  SetText(Text);
  SelectAll();
}

void TDBGridInplaceEdit::CommitPickList(bool Accept) {
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  const int i = FPickList->ItemIndex();
  if (!Accept || !grid || !column || i < 0 || i >= FPickList->Items()->Count() || !GridStartsFieldEdit())
    return;
  const String text = FPickList->Items()->Get(i);
  SetText(text);
  grid->SetEditText(text);
  UpdateImageIndex();
}

void TDBGridInplaceEdit::CommitCalendar() {
  TColumnEx* column = Column();
  if (!column || !column->CanModify(true) || !GridStartsFieldEdit()) return;
  LinkEdits();
  rtl::TDateTime old = 0;
  if (!rtl::TryStrToDateTime(column->Field() ? column->Field()->Text() : String(), old)) old = 0;
  const double time = old - std::floor(old);
  const rtl::TDateTime value = std::floor(FPopupMonthCalendar->Date()) + time;
  const String text = rtl::DateToStr(value);
  column->UpdateDataValue(text, rtl::Variant::FromDate(value), false);
}

void TDBGridInplaceEdit::CommitCalculator() {
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  auto* calc = dynamic_cast<IPopupCalculatorEx*>(FPopupCalculator);
  if (!grid || !column || !calc || !column->CanModify(true) || !GridStartsFieldEdit()) return;
  const rtl::Variant value = calc->GetValue();
  if (!value.IsNumeric()) return;
  const String text = rtl::FloatToStr(value.AsDouble());
  SetText(text);
  grid->SetEditText(text);
  SelectAll();
}

void TDBGridInplaceEdit::CloseUp(bool Accept) {
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  if (ListHasFocus()) SetFocus();
  if (!FListVisible) return;
  if (!FEditButtonControlList.empty()) FEditButtonControlList[0].EditButtonControl->SetAlwaysDown(false);
  if (FLockCloseList) return;
  if (TControl* c = GetCaptureControl()) c->Perform(WM_CANCELMODE, 0, 0);

  if (FActiveList == FPickList && FPickList->SizeGripResized() && column && FPickList->ItemHeight() > 0) {
    column->SetDropDownRows(static_cast<unsigned>(FPickList->ClientHeight() / FPickList->ItemHeight()));
    column->SetDropDownWidth(FPickList->Width());
  }
  const bool dataList = FDataList && FActiveList == FDataList;
  rtl::Variant listKey = rtl::Variant::Null();
  String listText;
  if (dataList) {
    // Read before the list loses its source and with it the chosen item.
    listKey = FDataList->KeyValue();
    listText = FDataList->SelectedItem();
    DataListCloseUp(column);
  }
  FActiveList->SetVisible(false);
  FDroppedDown = false;
  FListVisible = false;
  if (dataList) {
    FDataList->SetAutoFitColWidths(false);
    FDataList->SetListSource(nullptr);
  }
  FLookupSource->SetDataSet(nullptr);
  Invalidate();
  if (!CaretShown()) ShowCaret();

  auto alive = alive_;
  if (Accept) {
    if (FActiveList == FPickList)
      CommitPickList(true);
    else if (FActiveList == FPopupMonthCalendar)
      CommitCalendar();
    else if (FActiveList == FPopupCalculator)
      CommitCalculator();
    else if (dataList)
      CommitDataList(listKey, listText);
  } else if (grid && (FActiveList == FPickList || FActiveList == FDataList)) {
    SetText(grid->EditText());
  }
  if (!*alive) return;
  // The focus stays in the cell: the grid takes it only when the editor lost it.
  if (grid && !Focused() && grid->CanFocus()) grid->SetFocus();
}

void TDBGridInplaceEdit::ListMouseUp(TMouseButton Button, int X, int Y) {
  if (Button != mbLeft || !FListVisible || !FPickList) return;
  CloseUp(FPickList->ClientRect().Contains(Point(X, Y)));
}

void TDBGridInplaceEdit::HandleEditButtonMouseMove(TEditButtonControlEx* Control, TShiftState, int X, int Y) {
  if (!FListVisible || !FActiveList || !Control->MouseCapture()) return;
  const TPoint p = FActiveList->ScreenToClient(Control->ClientToScreen(Point(X, Y)));
  const TRect area = FActiveList == FDataList ? FDataList->DataRect() : FActiveList->ClientRect();
  if (!area.Contains(p)) return;
  Control->Perform(WM_CANCELMODE, 0, 0);
  FActiveList->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(p.X, p.Y));
}

// --- the recent-values list --------------------------------------------------------------

TMRUListboxEx* TDBGridInplaceEdit::CreateMRUListControl() {
  auto* list = new TMRUListboxEx(this);
  list->SetVisible(false);
  list->SetCtl3D(false);
  list->SetSorted(true);
  list->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button == mbLeft && FMRUListControl)
      CloseMRUList(FMRUListControl->ClientRect().Contains(Point(X, Y)));
  };
  return list;
}

TMRUListboxEx* TDBGridInplaceEdit::MRUListControl() {
  if (!FMRUListControl) FMRUListControl = CreateMRUListControl();
  return FMRUListControl;
}

void TDBGridInplaceEdit::FilterMRUItem(const String& Item, bool& Accept) {
  const String text = Text();
  const String head = Item.substr(0, text.size());
  Accept = FMRUList && FMRUList->CaseSensitive() ? head == text : rtl::AnsiCompareText(head, text) == 0;
}

void TDBGridInplaceEdit::MRUListResized() {
  if (!FMRUList || !FMRUList->DroppedDown() || !FMRUListControl) return;
  FMRUList->SetRows(FMRUListControl->RowCount());
  FMRUList->SetWidth(FMRUListControl->Width());
}

void TDBGridInplaceEdit::ShowMRUList() {
  if (!FMRUList) return;
  TMRUListboxEx* list = MRUListControl();
  TColumnEx* column = Column();
  ui::TStringList filtered;
  const TFilterMRUItemEventEx userFilter = FMRUList->OnFilterItem;
  int index = 0;
  FMRUList->OnFilterItem = [&](TObject*, bool& Accept) {
    FilterMRUItem(FMRUList->Items()->Get(index++), Accept);
    if (userFilter) userFilter(column, Accept);
  };
  bool complete = true;
  try {
    complete = FMRUList->FilterItemsTo(&filtered, Text());
  } catch (...) {
    FMRUList->OnFilterItem = userFilter;
    throw;
  }
  FMRUList->OnFilterItem = userFilter;
  if (!complete) return;
  list->Items()->Assign(&filtered);
  const int rows = std::min(list->Items()->Count(), std::max(1, FMRUList->Rows()));
  if (FMRUList->DroppedDown()) {
    if (list->Items()->Count() == 0) {
      CloseMRUList(false);
      return;
    }
    list->PlaceUnder(this, rows);
    return;
  }
  if (list->Items()->Count() == 0) return;
  list->HandleNeeded();
  list->SetColor(Color());
  list->SetFont(Font());
  list->SetItemHeight(std::max(1, list->GetTextHeight()));
  list->SetItemIndex(-1);
  list->SetRowCount(rows);
  const int width = FMRUList->Width() > 0 && FMRUList->Width() > Width() ? FMRUList->Width() : Width();
  list->SetBounds(list->Left(), list->Top(), width, list->Height());
  const TPoint at = CalcEditDropDownPosition(this, list, daLeft);
  list->SetBounds(at.X, at.Y, list->Width(), list->Height());
  list->SetVisible(true);
  list->SizeGrip()->SetGripVisible(true);
  list->SizeGrip()->OnParentResized = [this](TObject*) { MRUListResized(); };
  list->UpdateScrollBar();
  FMRUList->SetDroppedDown(true);
}

void TDBGridInplaceEdit::ForgetMRUList(TMRUListEx* List) {
  if (!List || FMRUList != List) return;
  if (FMRUListControl && FMRUListControl->Visible()) FMRUListControl->Hide();
  FMRUList = nullptr;
}

void TDBGridInplaceEdit::CloseMRUList(bool Accept) {
  if (!FMRUList || !FMRUList->DroppedDown() || !FMRUListControl) return;
  if (TControl* c = GetCaptureControl()) c->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(this));
  const bool listHadFocus = FMRUListControl->Focused();
  FMRUListControl->SetVisible(false);
  if (listHadFocus && CanFocus()) SetFocus();
  FMRUList->SetDroppedDown(false);
  TCustomDBGridEx* grid = DBGrid();
  if (!Accept || ReadOnly() || !grid || !LinkEdits()) return;
  const int i = FMRUListControl->ItemIndex();
  if (i >= 0 && i < FMRUListControl->Items()->Count()) {
    SetText(FMRUListControl->Items()->Get(i));
    grid->SetEditText(Text());
  }
  if (Focused()) SelectAll();
}

}  // namespace grid
