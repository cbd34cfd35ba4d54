#include "grid/editors/field_data_link_ex.h"

#include "platform/ui/controls.h"

namespace grid {

using db::TDataLink;
using db::TField;

TFieldDataLinkEx::TFieldDataLinkEx() {
  SetVisualControl(true);
  DataIndependentValue = Variant::Null();
}

bool TFieldDataLinkEx::Active() const {
  return dataIndepended_ || (TDataLink::Active() && Field() != nullptr);
}

bool TFieldDataLinkEx::CanModify() const {
  if (dataIndepended_) return true;
  return !ReadOnly() && Field() != nullptr && Field()->CanModify();
}

bool TFieldDataLinkEx::DataSetActive() const {
  db::TDataSource* source = DataSource();
  return source && source->DataSet() && source->DataSet()->Active();
}

void TFieldDataLinkEx::SetDataSource(db::TDataSource* Value) {
  if (Value == DataSource()) return;
  TDataLink::SetDataSource(Value);
  UpdateDataIndepended();
}

void TFieldDataLinkEx::SetFieldName(const String& Value) {
  if (Value == fieldName_) return;
  fieldName_ = Value;
  UpdateFields();
  UpdateDataIndepended();
}

void TFieldDataLinkEx::SetMultiFields(bool Value) {
  if (Value == multiFields_) return;
  multiFields_ = Value;
  UpdateFields();
}

bool TFieldDataLinkEx::Edit() {
  if (dataIndepended_) {
    if (!editing_ && !ReadOnly()) {
      editing_ = true;
      modified_ = false;
      Fire(OnEditingChange);
    }
  } else if (CanModify()) {
    TDataLink::Edit();
  }
  return editing_;
}

void TFieldDataLinkEx::SetText(const String& Text) {
  if (dataIndepended_) {
    DataIndependentValue = Variant(Text);
    RecordChanged(nullptr);
    return;
  }
  TField* field = Field();
  if (!field) return;
  if (field->DataType() == db::ftMemo || field->DataType() == db::ftWideMemo)
    field->SetAsString(Text);
  else
    field->SetText(Text);
}

void TFieldDataLinkEx::SetValue(const Variant& Value) {
  if (dataIndepended_) {
    DataIndependentValue = Value;
    RecordChanged(nullptr);
    return;
  }
  if (fields_.size() > 1) {
    if (Value.IsNull()) {
      for (TField* f : fields_) f->SetValue(Variant::Null());
      return;
    }
    const int low = rtl::VarArrayLowBound(Value);
    for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->SetValue(Value[low + static_cast<int>(i)]);
  } else if (TField* field = Field()) {
    field->SetValue(Value);
  }
}

TField* TFieldDataLinkEx::FieldByIndex(int Index) const {
  if (fields_.empty()) return nullptr;
  return fields_.at(static_cast<std::size_t>(Index));
}

bool TFieldDataLinkEx::HasField(const TField* AField) const {
  for (TField* f : fields_)
    if (f == AField) return true;
  return false;
}

bool TFieldDataLinkEx::IsDataIndepended() const { return DataSource() == nullptr && fieldName_.empty(); }

void TFieldDataLinkEx::FieldNotFound(const String& Name) const {
  String message = u"Field '" + Name + u"' not found";
  if (control_ && !control_->Name().empty()) message = control_->Name() + u": " + message;
  db::DatabaseError(message);
}

void TFieldDataLinkEx::UpdateFields() {
  TFieldsArrEx list;
  if (TDataLink::Active() && !fieldName_.empty()) {
    db::TDataSet* data = DataSet();
    if (multiFields_) {
      if (control_) {
        std::size_t pos = 0;
        while (pos < fieldName_.size()) {
          String name = db::ExtractFieldName(fieldName_, pos);
          if (name.empty()) continue;
          TField* f = data->FindField(name);
          if (!f) FieldNotFound(name);
          list.push_back(f);
        }
      } else {
        data->GetFieldList(list, fieldName_);
      }
    } else if (control_) {
      TField* f = data->FindField(fieldName_);
      if (!f) FieldNotFound(fieldName_);
      list.push_back(f);
    } else {
      list.push_back(data->FieldByName(fieldName_));
    }
  }
  SetFields(list);
}

void TFieldDataLinkEx::SetFields(const TFieldsArrEx& List) {
  fields_ = List;
  EditingChanged();
  RecordChanged(nullptr);
  UpdateRightToLeft();
}

void TFieldDataLinkEx::UpdateDataIndepended() {
  const bool now = IsDataIndepended();
  if (now == dataIndepended_) return;
  dataIndepended_ = now;
  DataIndependentValue = Variant::Null();
  LayoutChanged();
  if (dataIndepended_) RecordChanged(nullptr);
}

void TFieldDataLinkEx::StoreEditing(bool Value) {
  if (Value == editing_) return;
  editing_ = Value;
  modified_ = false;
  Fire(OnEditingChange);
}

void TFieldDataLinkEx::UpdateRightToLeft() {
  auto* control = dynamic_cast<ui::TWinControl*>(control_);
  if (!control || !control->UseRightToLeftAlignment()) return;
  TField* field = Field();
  const bool flips = field && field->Alignment() != TField::taCenter;
  if (flips == windowRightAligned_) return;
  windowRightAligned_ = flips;
  control->RecreateWnd();
}

void TFieldDataLinkEx::Fire(const TLinkNotifyEvent& Event) {
  if (Event) Event(control_);
}

void TFieldDataLinkEx::ActiveChanged() {
  UpdateFields();
  Fire(OnActiveChange);
}

void TFieldDataLinkEx::DataEvent(db::TDataEvent Event, std::intptr_t Info) {
  TDataLink::DataEvent(Event, Info);
  if (Event == db::deDisabledStateChange) {
    if (Info != 0) UpdateFields();
    else fields_.clear();
  }
}

void TFieldDataLinkEx::EditingChanged() {
  StoreEditing(TDataLink::Editing() && CanModify());
}

void TFieldDataLinkEx::FocusControl(TField** AField) {
  if (!AField || !*AField || !HasField(*AField)) return;
  auto* control = dynamic_cast<ui::TWinControl*>(control_);
  if (!control || !control->CanFocus()) return;
  *AField = nullptr;
  control->SetFocus();
}

void TFieldDataLinkEx::LayoutChanged() { UpdateFields(); }

void TFieldDataLinkEx::RecordChanged(TField* AField) {
  if (AField && !HasField(AField)) return;
  Fire(OnDataChange);
  modified_ = false;
}

void TFieldDataLinkEx::UpdateData() {
  if (dataIndepended_) {
    if (modified_) Fire(OnUpdateData);
    editing_ = false;
    modified_ = false;
    return;
  }
  if (!modified_) return;
  if (Field()) Fire(OnUpdateData);
  modified_ = false;
}

}  // namespace grid
