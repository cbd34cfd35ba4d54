#include "grid/editor_support/data_link_ex.h"

#include "platform/data/fields.h"

namespace grid {

void TDataLinkEx::DataEvent(db::TDataEvent Event, std::intptr_t Info) {
  db::TDataLink::DataEvent(Event, Info);
  if (OnDataEvent) OnDataEvent(Event, Info);
}

TDatasetFieldValueListEx::TDatasetFieldValueListEx()
    : values_(std::make_unique<ui::TStringList>()),
      link_(std::make_unique<TDataLinkEx>()),
      ownSource_(std::make_unique<db::TDataSource>(nullptr)) {
  values_->SetSorted(true);
  values_->SetDuplicates(ui::TDuplicates::dupIgnore);
  link_->OnDataEvent = [this](db::TDataEvent e, std::intptr_t i) { HandleDataEvent(e, i); };
}

TDatasetFieldValueListEx::~TDatasetFieldValueListEx() {
  link_->OnDataEvent = nullptr;
  link_->SetDataSource(nullptr);
  ownSource_->SetDataSet(nullptr);
}

void TDatasetFieldValueListEx::SetFieldName(const ui::String& Value) {
  if (Value == fieldName_) return;
  fieldName_ = Value;
  obsolete_ = true;
}

void TDatasetFieldValueListEx::SetDataSource(db::TDataSource* Value) {
  if (Value == link_->DataSource()) return;
  link_->SetDataSource(Value);
  obsolete_ = true;
}

void TDatasetFieldValueListEx::SetDataSet(db::TDataSet* Value) {
  link_->SetDataSource(nullptr);
  link_->SetDataSource(ownSource_.get());
  if (Value != link_->DataSet()) {
    obsolete_ = true;
    ownSource_->SetDataSet(Value);
  }
}

ui::TStrings* TDatasetFieldValueListEx::Values() {
  if (obsolete_) RefreshValues();
  return values_.get();
}

void TDatasetFieldValueListEx::HandleDataEvent(db::TDataEvent Event, std::intptr_t) {
  if (Event == db::deDataSetChange || Event == db::dePropertyChange || Event == db::deFieldListChange)
    obsolete_ = true;
}

void TDatasetFieldValueListEx::RefreshValues() {
  values_->Clear();
  db::TDataSet* ds = link_->DataSet();
  if (!link_->Active() || !ds) return;
  db::TField* field = ds->FindField(fieldName_);
  if (!field) return;
  ds->DisableControls();
  try {
    ds->First();
    while (!ds->Eof()) {
      values_->Add(field->AsString());
      ds->Next();
    }
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
  // Only now: re-enabling the controls reports the walk as a data-set change.
  obsolete_ = false;
}

}  // namespace grid
