// The lookup grid's binding and key logic: the master link and its fields,
// the list fields and key fields, lookup mode, the key value and where the
// list stands for it, and choosing a record.
#include "grid/columns/lookup/db_lookup_grid_ex.h"

#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/lookup/db_lookup_grid_column_ex.h"
#include "grid/columns/lookup/lookup_internal.h"
#include "grid/core/db_grid_ex_scroll_bar.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/classes/typinfo.h"
#include "platform/data/dataset.h"
#include "platform/runtime/ticks.h"
#include "platform/ui/keys.h"

namespace grid {

using namespace ui;

namespace lookup_detail {

String JoinWithSemicolons(const std::vector<String>& Parts) {
  String joined;
  for (std::size_t i = 0; i < Parts.size(); ++i) {
    if (i > 0) joined += u';';
    joined += Parts[i];
  }
  return joined;
}

std::uint32_t& LastSearchTick() {
  static std::uint32_t tick = 0;
  return tick;
}

}  // namespace lookup_detail

namespace {

const char16_t* const kCircularDataLink = u"Circular datalinks are not allowed";
const char16_t* const kPropertyFromLookupField = u"Property already defined by lookup field";
const char16_t* const kNotInDBCtrlGrid = u"Operation not allowed in a DBCtrlGrid";

String JoinFieldNames(const std::vector<db::TField*>& Fields) {
  std::vector<String> names;
  for (db::TField* f : Fields) names.push_back(f->FieldName());
  return lookup_detail::JoinWithSemicolons(names);
}

}  // namespace

// --- the master link ----------------------------------------------------------------

void TLookupGridDataLinkEx::ActiveChanged() {
  if (FDBLookupGrid) FDBLookupGrid->UpdateDataFields();
}

void TLookupGridDataLinkEx::LayoutChanged() {
  if (FDBLookupGrid) FDBLookupGrid->UpdateDataFields();
}

void TLookupGridDataLinkEx::RecordChanged(db::TField* Field) {
  if (FDBLookupGrid) FDBLookupGrid->DataLinkRecordChanged(Field);
}

void TLookupGridDataLinkEx::FocusControl(db::TField** Field) {
  if (!FDBLookupGrid || !Field || !*Field || *Field != FDBLookupGrid->Field() || !FDBLookupGrid->CanFocus())
    return;
  *Field = nullptr;
  FDBLookupGrid->SetFocus();
}

// --- construction ---------------------------------------------------------------------

const TClassInfo& TDBLookupGridEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBLookupGridEx>("TDBLookupGridEx", &TCustomDBGridEx::StaticClassInfo())
          .Unit("DBLookupGridsEx")
          .Build();
  return info;
}

TDBLookupGridEx::TDBLookupGridEx(TComponent* AOwner) : TCustomDBGridEx(AOwner) {
  // The data grid made its own column classes while it was being built.
  FColumns.reset();
  FColumnDefValues.reset(CreateColumnDefValues());
  FColumns.reset(CreateColumnCollection());
  // Choosing fires the click itself; a click of the toolkit would fire it twice.
  SetControlStyle(ControlStyle() + csReplicatable - csClickEvents);
  SetParentColor(false);
  FLookupSource = std::make_unique<db::TDataSource>(nullptr);
  FDataLink = std::make_unique<TLookupGridDataLinkEx>(this);
  FSpecRow = std::make_unique<TSpecRowEx>(this);
  FSpecRow->OnChanged = [this](TObject* Sender) { SpecRowChanged(Sender); };
  TCustomDBGridEx::SetOptions(TDBGridOptions{dgColLines, dgRowSelect});
  SetOptionsEx(OptionsEx() + dghTraceColSizing);
  FOptions = TDBLookupGridExOptions{dlgColLinesEx};
  HorzScrollBar()->SetTracking(true);
  VertScrollBar()->SetTracking(true);
  SetFlat(true);
  SetDrawMemoText(true);
  SetTabStop(false);
  SetVTitleMargin(5);
}

TDBLookupGridEx::~TDBLookupGridEx() {
  Destroying();
  KillTrackingTimer();
  FDataLink->ClearGrid();
  FDataLink->SetDataSource(nullptr);
  TCustomDBGridEx::SetDataSource(nullptr);
  FSpecRow->OnChanged = nullptr;
}

// --- master side ------------------------------------------------------------------------

void TDBLookupGridEx::SetDataSource(db::TDataSource* Value) {
  if (!(FDataLink->DataSourceFixed() && IsLoading())) FDataLink->SetDataSource(Value);
  if (Value) Value->FreeNotification(this);
}

void TDBLookupGridEx::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomDBGridEx::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource()) SetDataSource(nullptr);
}

void TDBLookupGridEx::SetDataField(const String& Value) {
  if (Value == FDataFieldName) return;
  FDataFieldName = Value;
  UpdateDataFields();
}

void TDBLookupGridEx::UpdateDataFields() {
  FMasterFieldNames.clear();
  if (FDataLink->Active() && !FDataFieldName.empty()) {
    CheckNotCircular();
    db::TDataSet* master = FDataLink->DataSet();
    FDataFields = FieldsArrayFromNames(master, this, FDataFieldName);
    if (FDataFields.size() == 1 && FDataFields.front()->Lookup())
      FMasterFields = FieldsArrayFromNames(master, this, FDataFields.front()->KeyFields());
    else
      FMasterFields = FDataFields;
    FMasterFieldNames = JoinFieldNames(FMasterFields);
  } else {
    // Fields of a closed or departed master dataset are not kept: they may
    // be freed before the link becomes active again.
    FDataFields.clear();
    FMasterFields.clear();
  }
  SetLookupMode(FDataFields.size() == 1 && FDataFields.front()->Lookup());
  DataLinkRecordChanged(nullptr);
}

void TDBLookupGridEx::SetLookupMode(bool Value) {
  if (Value == FLookupMode) return;
  if (Value) {
    db::TField* field = FDataFields.front();
    FMasterFields = FieldsArrayFromNames(field->DataSet(), this, field->KeyFields());
    FLookupSource->SetDataSet(field->LookupDataSet());
    FKeyFieldName = field->LookupKeyFields();
    FLookupMode = true;
    ListLink()->SetDataSource(FLookupSource.get());
  } else {
    ListLink()->SetDataSource(nullptr);
    FLookupMode = false;
    FKeyFieldName.clear();
    FLookupSource->SetDataSet(nullptr);
    FMasterFields = FDataFields;
  }
}

void TDBLookupGridEx::DataLinkRecordChanged(db::TField* Field) {
  if (Field && std::find(FMasterFields.begin(), FMasterFields.end(), Field) == FMasterFields.end()) return;
  if (FMasterFields.empty() || !FDataLink->Active())
    SetKeyValue(rtl::Variant::Null());
  else
    SetKeyValue(FDataLink->DataSet()->FieldValues(FMasterFieldNames));
}

// --- list side ------------------------------------------------------------------------------

void TDBLookupGridEx::CheckListSettable() {
  if (FLookupMode) db::DatabaseError(kPropertyFromLookupField);
  if (FDataLink->DataSourceFixed()) db::DatabaseError(kNotInDBCtrlGrid);
}

void TDBLookupGridEx::CheckNotCircular() {
  db::TDataSource* master = FDataLink->DataSource();
  if (ListLink()->Active() && master && master->IsLinkedTo(ListLink()->DataSet()))
    db::DatabaseError(kCircularDataLink);
}

db::TDataSource* TDBLookupGridEx::ListSource() const {
  return FLookupMode ? nullptr : TCustomDBGridEx::DataSource();
}

void TDBLookupGridEx::SetListSource(db::TDataSource* Value) {
  CheckListSettable();
  TCustomDBGridEx::SetDataSource(Value);
}

String TDBLookupGridEx::KeyField() const { return FLookupMode ? String() : FKeyFieldName; }

void TDBLookupGridEx::SetKeyField(const String& Value) {
  CheckListSettable();
  if (Value == FKeyFieldName) return;
  FKeyFieldName = Value;
  UpdateListFields();
  UpdateColumnWidths();
}

void TDBLookupGridEx::SetListField(const String& Value) {
  if (Value == FListFieldName) return;
  FListFieldName = Value;
  UpdateListFields();
  UpdateColumnWidths();
}

void TDBLookupGridEx::UpdateListFields() {
  auto resolve = [this] {
    db::TDataSet* list = ListLink()->DataSet();
    FKeyFields = FieldsArrayFromNames(list, this, FKeyFieldName);
    FListFields.clear();
    try {
      list->GetFieldList(FListFields, FListFieldName);
    } catch (const rtl::Exception&) {
      FListFields.clear();
      db::DatabaseErrorFmt(u"Field '%s' not found", FListFieldName);
    }
    if (FLookupMode) {
      db::TField* result = list->FieldByName(FDataFields.front()->LookupResultField());
      if (std::find(FListFields.begin(), FListFields.end(), result) == FListFields.end())
        FListFields.insert(FListFields.begin(), result);
      FListField = result;
    } else {
      if (FListFields.empty()) FListFields = FKeyFields;
      const int count = static_cast<int>(FListFields.size());
      FListField = FListFieldIndex >= 0 && FListFieldIndex < count
                       ? FListFields[static_cast<std::size_t>(FListFieldIndex)]
                   : count > 0 ? FListFields.front()
                               : nullptr;
    }
  };
  try {
    FListActive = false;
    FListField = nullptr;
    FListFields.clear();
    if (ListLink()->Active() && !FKeyFieldName.empty()) {
      CheckNotCircular();
      resolve();
      FListActive = true;
    }
    if (FLookupMode) FKeyFieldName = FDataFields.front()->LookupKeyFields();
    if (ListLink()->Active() && !FKeyFieldName.empty()) resolve();
  } catch (...) {
    if (FListActive)
      KeyValueChanged();
    else
      ListLinkDataChanged();
    throw;
  }
  if (FListActive)
    KeyValueChanged();
  else
    ListLinkDataChanged();
}

// --- the key ----------------------------------------------------------------------------------

void TDBLookupGridEx::SetKeyValue(const rtl::Variant& Value) {
  if (VariantsEqual(FKeyValue, Value)) return;
  FKeyValue = Value;
  KeyValueChanged();
}

rtl::Variant TDBLookupGridEx::CurrentRecordKey() const {
  db::TDataSet* list = ListLink()->DataSet();
  if (!list || FKeyFieldName.empty()) return rtl::Variant::Null();
  return list->FieldValues(FKeyFieldName);
}

void TDBLookupGridEx::KeyValueChanged() {
  if (FSpecRow->Visible()) {
    FSpecRow->SetSelected(VariantsEqual(FKeyValue, FSpecRow->Value()));
    if (!FSpecRow->Selected() && !FLockPosition && FSpecRow->ShowIfNotInKeyList()) {
      if (LocateKey())
        ListLinkDataChanged();
      else
        FSpecRow->SetSelected(true);
    }
  } else {
    FSpecRow->SetSelected(false);
  }
  if (FListActive && !FLockPosition) {
    if (LocateKey() || FSpecRow->Selected())
      ListLinkDataChanged();
    else
      ListLink()->DataSet()->First();
  }
  if (!FListField)
    FSelectedItem.clear();
  else if (FSpecRow->Visible() && FSpecRow->Selected())
    FSelectedItem = FSpecRow->CellTextAt(FListFieldIndex);
  else
    FSelectedItem = FListField->DisplayText();
}

bool TDBLookupGridEx::CanLocateKey(const std::vector<db::TField*>&, const rtl::Variant&) { return true; }

bool TDBLookupGridEx::LocateKey() {
  db::TDataSet* list = ListLink()->DataSet();
  if (FKeyValue.IsNull() || !list || !list->Active() || !CanLocateKey(FKeyFields, FKeyValue)) return false;
  try {
    if (!list->Locate(FKeyFieldName, FKeyValue, 0)) return false;
    if (UsesMemTableView()) SafeMoveTop(Row() - VisibleDataRowCount() / 2);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TDBLookupGridEx::ListLinkDataChanged() {
  db::TDataSet* list = ListLink()->DataSet();
  if (FListActive && list) {
    if (UsesMemTableView()) {
      FRecordIndex = list->RecNo() - 1;
      FRecordCount = list->RecordCount();
    } else {
      FRecordIndex = ListLink()->ActiveRecord();
      FRecordCount = ListLink()->RecordCount();
    }
    FKeySelected = !(FKeyValue.IsNull() && list->Bof());
  } else {
    FRecordIndex = 0;
    FRecordCount = 0;
    FKeySelected = false;
  }
  if (HandleAllocated()) {
    SyncVertScrollBar();
    TCustomDBGridEx::RelayoutGrid();
  }
}

bool TDBLookupGridEx::CanModifyKey() {
  if (!FListActive || ReadOnly()) return false;
  if (!FDataLink->DataSource()) return true;
  if (FMasterFields.empty()) return false;
  for (db::TField* f : FMasterFields)
    if (!f->CanModify()) return false;
  return true;
}

void TDBLookupGridEx::SelectKeyValue(const rtl::Variant& Value) {
  if (FMasterFields.empty()) {
    SetKeyValue(Value);
  } else if (FDataLink->Edit()) {
    SetDataSetFieldValues(FDataLink->DataSet(), FMasterFieldNames, Value);
  }
  SyncCurrentRow();
  Update();
  Click();
}

void TDBLookupGridEx::SelectCurrent() {
  lookup_detail::FlagScope lock(FLockPosition);
  const rtl::Variant key = CurrentRecordKey();
  if (!VariantsEqual(key, FKeyValue)) SelectKeyValue(key);
}

void TDBLookupGridEx::SelectSpecRow() {
  lookup_detail::FlagScope lock(FLockPosition);
  if (!VariantsEqual(FSpecRow->Value(), FKeyValue)) SelectKeyValue(FSpecRow->Value());
  FSpecRow->SetSelected(true);
}

void TDBLookupGridEx::SpecRowChanged(TObject*) {
  if (IsLoading()) return;
  // Showing or hiding the row changes the rows above the data and the height.
  if (FSpecRow->Visible() != FSpecRowShown) {
    FSpecRowShown = FSpecRow->Visible();
    TCustomDBGridEx::RelayoutGrid();
    SetRowCount(FRowCount);
    KeyValueChanged();
  }
  Invalidate();
}

void TDBLookupGridEx::ProcessSearchKey(char16_t Key) {
  if (!FListField) return;
  const db::TFieldKind kind = FListField->FieldKind();
  const db::TFieldType type = FListField->DataType();
  if ((kind != db::fkData && kind != db::fkInternalCalc) ||
      (type != db::ftString && type != db::ftWideString))
    return;
  if (Key == VK_BACK || Key == VK_ESCAPE) {
    FSearchText.clear();
    return;
  }
  if (Key < 32 || !CanModifyKey()) return;
  std::uint32_t& last = lookup_detail::LastSearchTick();
  const std::uint32_t now = rtl::GetTickCount();
  if (now - last > 2000) FSearchText.clear();
  last = now;
  if (FSearchText.size() >= 32) return;
  const String text = FSearchText + Key;
  db::TDataSet* list = ListLink()->DataSet();
  try {
    if (list->Locate(FListField->FieldName(), rtl::Variant(text), db::loCaseInsensitive | db::loPartialKey)) {
      SelectKeyValue(CurrentRecordKey());
      FSearchText = text;
    }
  } catch (const std::exception&) {
    FSearchText = text;
  }
}

}  // namespace grid
