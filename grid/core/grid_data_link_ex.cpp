#include "grid/core/grid_data_link_ex.h"

#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "platform/data/dataset.h"
#include "platform/ui/actions.h"

namespace grid {

TGridDataLinkEx::TGridDataLinkEx(TCustomDBGridEx* AGrid) : FGrid(AGrid) { SetVisualControl(true); }

TGridDataLinkEx::~TGridDataLinkEx() { ClearMapping(); }

bool TGridDataLinkEx::AddMapping(const String& FieldName) {
  if (FFieldCount >= MaxMapSize) ThrowGridOperationError("Too many columns in the grid's field map");
  db::TDataSet* ds = DataSet();
  db::TField* field = nullptr;
  if (ds) field = FSparseMap ? ds->FindField(FieldName) : ds->FieldByName(FieldName);
  if (FFieldMapSize == FFieldCount) {
    int size = FFieldMapSize == 0 ? 8 : (FFieldMapSize > MaxMapSize / 2 ? MaxMapSize : FFieldMapSize * 2);
    FFieldMap.resize(static_cast<std::size_t>(size), 0);
    FFieldMapSize = size;
  }
  if (field) {
    FFieldMap[static_cast<std::size_t>(FFieldCount)] = field->Index();
    field->FreeNotification(FGrid);
  } else {
    FFieldMap[static_cast<std::size_t>(FFieldCount)] = -1;
  }
  ++FFieldCount;
  return true;
}

void TGridDataLinkEx::ClearMapping() {
  FFieldMap.clear();
  FFieldMap.shrink_to_fit();
  FFieldMapSize = 0;
  FFieldCount = 0;
}

void TGridDataLinkEx::Reset() {
  if (FModified)
    RecordChanged(nullptr);
  else if (db::TDataSet* ds = DataSet())
    ds->Cancel();
}

bool TGridDataLinkEx::DefaultFields() const {
  db::TDataSet* ds = DataSet();
  if (!ds) return true;
  if (FSparseMap)
    for (int i = 0; i < FFieldCount; ++i)
      if (FFieldMap[static_cast<std::size_t>(i)] < 0) return false;
  return ds->DefaultFields();
}

db::TField* TGridDataLinkEx::FieldForColumn(int Column) const {
  int index = FieldIndexForColumn(Column);
  db::TDataSet* ds = DataSet();
  if (index < 0 || !ds || index >= ds->FieldCount()) return nullptr;
  return ds->Fields(index);
}

int TGridDataLinkEx::FieldIndexForColumn(int Column) const {
  if (Column < 0 || Column >= FFieldCount) return -1;
  return FFieldMap[static_cast<std::size_t>(Column)];
}

void TGridDataLinkEx::TakeBookmark() {
  if (Active())
    if (db::TDataSet* ds = DataSet()) FLastBookmark = ds->GetBookmark();
}

void TGridDataLinkEx::ActiveChanged() {
  FGrid->DataLinkActiveChanged(Active());
  FModified = false;
  if (Active()) TakeBookmark();
}

void TGridDataLinkEx::DataEvent(db::TDataEvent Event, std::intptr_t Info) {
  db::TDataLink::DataEvent(Event, Info);
  if (Event == db::deDisabledStateChange && FGrid->Columns()) FGrid->Columns()->ActiveChanged();
}

void TGridDataLinkEx::DataSetChanged() {
  FGrid->HandleDataSetChanged();
  FModified = false;
  TakeBookmark();
}

void TGridDataLinkEx::DataSetScrolled(int Distance) {
  FGrid->ScrollData(Distance);
  TakeBookmark();
}

void TGridDataLinkEx::EditingChanged() { FGrid->InvalidateIndicatorCell(); }

void TGridDataLinkEx::FocusControl(db::TField** Field) {
  if (!Field || !*Field) return;
  FGrid->SetSelectedField(*Field);
  if (FGrid->SelectedField() == *Field && FGrid->TakeFocus()) {
    *Field = nullptr;
    FGrid->EnterEditorMode();
  }
}

void TGridDataLinkEx::LayoutChanged() {
  bool saved = FGrid->FLayoutFromDataset;
  FGrid->FLayoutFromDataset = true;
  try {
    FGrid->RelayoutGrid();
  } catch (...) {
    FGrid->FLayoutFromDataset = saved;
    throw;
  }
  FGrid->FLayoutFromDataset = saved;
  db::TDataLink::LayoutChanged();
}

void TGridDataLinkEx::RecordChanged(db::TField* Field) {
  FGrid->HandleRecordChanged(Field);
  FModified = false;
}

void TGridDataLinkEx::UpdateData() {
  if (FInUpdateData) return;
  FInUpdateData = true;
  try {
    if (FModified) FGrid->UpdateData();
    FModified = false;
  } catch (...) {
    FInUpdateData = false;
    throw;
  }
  FInUpdateData = false;
}

bool TGridDataLinkEx::ExecuteAction(ui::TBasicAction* Action) {
  db::TDataSource* source = DataSource();
  if (!Action || !source || !Action->HandlesTarget(source)) return false;
  Action->ExecuteTarget(source);
  return true;
}

bool TGridDataLinkEx::UpdateAction(ui::TBasicAction* Action) {
  db::TDataSource* source = DataSource();
  if (!Action || !source || !Action->HandlesTarget(source)) return false;
  Action->UpdateTarget(source);
  return true;
}

}  // namespace grid
