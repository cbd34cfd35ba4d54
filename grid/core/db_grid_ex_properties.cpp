// The data grid's smaller public surface: setters with side effects, the
// reactions to removed components and changed records, geometry and
// selection queries, committing the editor's text, the previous record's
// value, keeping the data window's position, and leaving the grid.
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/columns/sums/db_grid_ex_sum_list.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/data/dataset.h"
#include "platform/runtime/format.h"

namespace grid {

using namespace ui;

namespace {

bool IsMemoField(const db::TField* F) {
  const db::TFieldType t = F->DataType();
  return t == db::ftMemo || t == db::ftOraClob || t == db::ftWideMemo;
}

int FindText(TStrings* List, const String& Text) {
  if (!List) return -1;
  for (int i = 0; i < List->Count(); ++i)
    if (rtl::AnsiSameText((*List)[i], Text)) return i;
  return -1;
}

}  // namespace

// --- setters -----------------------------------------------------------------------------

void TCustomDBGridEx::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  Invalidate();
  if (!ComponentState().Contains(csReading)) UpdateRowPanelColWidths();
}

void TCustomDBGridEx::SetAllowedSelections(TDBGridExAllowedSelections Value) {
  if (Value == FAllowedSelections) return;
  FAllowedSelections = Value;
  if (FSelection && FSelection->SelectionType() != gstNon && !Value.Contains(FSelection->SelectionType()))
    FSelection->Clear();
}

// --- geometry and selection queries ----------------------------------------------------------

TRect TCustomDBGridEx::DataBox() {
  return {FIndicatorOffset, TopDataOffset(), FullColCount() - 1, RowCount() - 1};
}

TRect TCustomDBGridEx::DataRect() {
  const TRect box = DataBox();
  return CellRangeRect(box.Left, box.Top, box.Right, box.Bottom);
}

bool TCustomDBGridEx::CanSelectType(TDBGridExSelectionType Kind) {
  if (Kind == gstNon) return true;
  if (!FOptions.Contains(dgMultiSelect) || !FAllowedSelections.Contains(Kind)) return false;
  if (Kind == gstRectangle || Kind == gstColumns) return !FOptions.Contains(dgRowSelect);
  return true;
}

bool TCustomDBGridEx::EditAllowedByOperations() {
  if (!FDataLink->Active()) return false;
  db::TDataSet* ds = FDataLink->DataSet();
  if (!FAllowedOperations.Contains(alopUpdateEx) && ds->State() != db::dsInsert) return false;
  // A record past the buffered ones is the one an append would make.
  if (ds->ActiveRecord() >= ds->WindowRecordCount() && !FAllowedOperations.Contains(alopInsertEx))
    return FAllowedOperations.Contains(alopAppendEx);
  return true;
}

bool TCustomDBGridEx::ValidFieldIndex(int FieldIndex) {
  return FDataLink->FieldIndexForColumn(FieldIndex) >= 0;
}

TColumnEx* TCustomDBGridEx::FindFieldColumn(const String& FieldName) {
  for (int i = 0; i < FColumns->Count(); ++i)
    if (rtl::AnsiSameText(FColumns->ColumnAt(i)->FieldName(), FieldName)) return FColumns->ColumnAt(i);
  return nullptr;
}

TColumnEx* TCustomDBGridEx::FieldColumnByName(const String& FieldName) {
  TColumnEx* column = FindFieldColumn(FieldName);
  if (!column) RaiseInvalidGridOperation(rtl::Format(u"Field name '%s' not found", {FieldName}));
  return column;
}

bool TCustomDBGridEx::IsMouseInRect(const TRect& ARect) {
  const TPoint p = ScreenToClient(CursorScreenPos());
  return p.X >= ARect.Left && p.X < ARect.Right && p.Y >= ARect.Top && p.Y < ARect.Bottom;
}

// --- notifications -----------------------------------------------------------------------------

// Compared by address only: the removal is heard while the component is
// being destroyed, when its class can no longer be asked.
void TCustomDBGridEx::HandleComponentRemoval(TComponent* AComponent) {
  if (!FDataLink || !FColumns) return;
  bool changed = false;
  if (FDataLink->Active() || FColumns->State() == csCustomized) {
    LockLayout();
    try {
      for (int i = 0; i < FColumns->Count(); ++i) {
        TColumnEx* column = FColumns->ColumnAt(i);
        if (column->FField && static_cast<TComponent*>(column->FField) == AComponent) {
          column->ClearCachedField();
          changed = true;
        }
      }
    } catch (...) {
      CancelLayout();
      throw;
    }
    db::TDataSet* ds = FDataLink->DataSet();
    if (!changed)
      CancelLayout();
    else if (ds && ds->ControlsDisabled())
      DeferLayout();
    else
      UnlockLayout();
  }
  if (changed) return;
  if (FDataLink->DataSet() && AComponent == static_cast<TComponent*>(FDataLink->DataSet())) {
    ReacquireMemTableInterface();
    if (UsesMemTableView()) {
      RecountRows();
      HandleMemTableRecordEvent(-1, mtrAllChangedEx, -1);
    }
    LayoutChanged();
  }
}

void TCustomDBGridEx::HandleRecordChanged(db::TField* Field) {
  if (!HandleAllocated()) return;
  if (Field) {
    for (int i = 0; i < FColumns->Count(); ++i)
      if (FColumns->ColumnAt(i)->Field() == Field && Row() < RowCount())
        InvalidateCellRange({0, Row(), FullColCount() - 1, Row()});
  } else {
    Invalidate();
  }
  db::TField* selected = SelectedField();
  if (!selected || (Field && Field != selected)) return;
  String text;
  const int index = SelectedIndex();
  TColumnEx* column = index >= 0 && index < FColumns->Count() ? FColumns->ColumnAt(index) : nullptr;
  if (IsMemoField(selected) && FDrawMemoText)
    text = CrLfLineBreaks(selected->AsString());
  else if (column && column->GetColumnType() == ctKeyPickList)
    text = column->DisplayText();
  else
    text = selected->Text();
  if (text != FEditText) {
    RefreshEditorPlacement();
    if (InplaceEditor()) InplaceEditor()->SelectAll();
  }
}

// --- record operations -------------------------------------------------------------------------

void TCustomDBGridEx::UpdateData() {
  db::TField* field = SelectedField();
  const int index = SelectedIndex();
  if (index < 0 || index >= FColumns->Count()) return;
  TColumnEx* column = FColumns->ColumnAt(index);
  if (!field) {
    column->UpdateDataValue(FEditText, FEditText, true);
    return;
  }
  switch (column->GetColumnType()) {
    case ctPickList: {
      if (column->OnNotInList && FindText(column->PickList(), FEditText) < 0) {
        bool recheck = false;
        column->OnNotInList(column, FEditText, recheck);
      }
      column->UpdateDataValue(FEditText, FEditText, true);
      return;
    }
    case ctKeyPickList: {
      TStrings* keys = column->KeyList();
      int i = column->PickList()->IndexOf(FEditText);
      if (i >= 0 && i < keys->Count()) {
        FEditKeyValue = (*keys)[i];
      } else if (i < 0) {
        FEditKeyValue = rtl::Variant::Null();
        if (!FEditText.empty() && column->OnNotInList) {
          bool recheck = false;
          column->OnNotInList(column, FEditText, recheck);
          if (recheck) {
            i = column->PickList()->IndexOf(FEditText);
            if (i >= 0 && i < keys->Count()) FEditKeyValue = (*keys)[i];
          }
        }
      }
      column->UpdateDataValue(FEditText, FEditKeyValue, false);
      return;
    }
    default:
      break;
  }
  if (field->FieldKind() == db::fkLookup && !field->KeyFields().empty()) {
    db::TDataSet* lookup = field->LookupDataSet();
    if (FEditKeyValue.IsNull() && !FEditText.empty() && column->OnNotInList && lookup) {
      const db::TLocateOptions options = db::loCaseInsensitive;
      if (!lookup->Locate(field->LookupResultField(), FEditText, options)) {
        bool recheck = false;
        column->OnNotInList(column, FEditText, recheck);
        if (recheck && lookup->Locate(field->LookupResultField(), FEditText, options))
          FEditKeyValue = lookup->FieldValues(field->LookupKeyFields());
      }
    }
    db::TDataSet* ds = field->DataSet();
    std::vector<db::TField*> keys;
    ds->GetFieldList(keys, field->KeyFields());
    if (AllFieldsCanModify(keys)) {
      ds->Edit();
      column->UpdateDataValue(FEditText, FEditKeyValue, false);
    }
    if (IsMemoField(field) && FDrawMemoText)
      field->SetAsString(FEditText);
    else
      field->SetText(FEditText);
    return;
  }
  column->UpdateDataValue(FEditText, FEditText, true);
}

void TCustomDBGridEx::SetValueFromPrevRecord() {
  if (!FDataLink->Active()) return;
  const int p = UsesMemTableView() ? FIntMemTable->CurrentRecordView() : FDataLink->ActiveRecord();
  const int index = SelectedIndex();
  if (p <= 0 || index < 0 || index >= FColumns->Count()) return;
  TColumnEx* column = FColumns->ColumnAt(index);
  if (!column->CanModify(true)) return;
  db::TField* field = column->Field();
  if (!field) return;
  rtl::Variant value;
  String text;
  const int old = SetDrawRecord(p - 1);
  try {
    if (field->FieldKind() == db::fkLookup && !field->KeyFields().empty())
      value = field->DataSet()->FieldValues(field->KeyFields());
    else
      value = field->Value();
    text = field->Value().IsNull() ? String() : field->AsString();
  } catch (...) {
    RestoreDrawRecord(old);
    throw;
  }
  RestoreDrawRecord(old);
  ClearSelection();
  column->UpdateDataValue(text, value, false);
  EnterEditorMode();
  if (InplaceEditor() && InplaceEditor()->Visible()) InplaceEditor()->SelectAll();
}

void TCustomDBGridEx::SaveBookmark() {
  // A save that finds nothing to keep must not leave an older position to restore.
  FLockedBookmark.clear();
  FLookedOffset = 0;
  db::TDataSet* ds = FDataLink->DataSet();
  if (!ds || !FDataLink->Active()) return;
  if (UsesMemTableView()) {
    FLockedBookmark = ds->GetBookmark();
    return;
  }
  FLookedOffset = FDataLink->ActiveRecord() - (FDataLink->RecordCount() - 1) / 2;
  FDataLink->MoveDataSetBy(-FLookedOffset);
  FLockedBookmark = ds->GetBookmark();
  FDataLink->MoveDataSetBy(FLookedOffset);
}

void TCustomDBGridEx::RestoreBookmark() {
  db::TDataSet* ds = FDataLink->DataSet();
  if (!ds || FLockedBookmark.empty() || !ds->BookmarkValid(FLockedBookmark)) return;
  ds->GotoBookmark(FLockedBookmark);
  if (!UsesMemTableView()) FDataLink->MoveDataSetBy(FLookedOffset);
}

void TCustomDBGridEx::DoExit() {
  // The focus moving into the editor stays inside the grid.
  if (InplaceEditor() && InplaceEditor()->Focused()) return;
  if (FDataLink->Active()) {
    db::TDataSet* ds = FDataLink->DataSet();
    if (FOptions.Contains(dgCancelOnExit) && ds->State() == db::dsInsert && !ds->Modified() &&
        !FDataLink->IsModified()) {
      ds->Cancel();
    } else {
      try {
        FDataLink->UpdateRecord();
      } catch (...) {
        SetFocus();
        throw;
      }
    }
  }
  TCustomGridEx::DoExit();
}

void TCustomDBGridEx::ShowFindDialog(const String& Text, const String& ColumnFieldName, bool Modal) {
  if (FCenter)
    FCenter->ExecuteFindDialog(this, Text, ColumnFieldName, Modal);
  else if (ExecuteFindDialogProc)
    ExecuteFindDialogProc(this, Text, String(), {}, Modal);
}

void TCustomDBGridEx::SumListRecalcAll() {
  if (OnSumListRecalcAll) OnSumListRecalcAll(FSumList.get());
}

void TCustomDBGridEx::SumListAfterRecalcAll() {
  if (OnSumListAfterRecalcAll) OnSumListAfterRecalcAll(FSumList.get());
}

}  // namespace grid
