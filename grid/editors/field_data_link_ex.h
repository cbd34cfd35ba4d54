// TFieldDataLinkEx ties one data-aware editor to a field (or a list of
// fields) of a dataset. With neither a data source nor a field name it keeps
// the editor's value itself, so the same editor also works unbound.
#pragma once

#include <functional>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/data/fields.h"

namespace grid {

using rtl::String;
using rtl::Variant;

using TFieldsArrEx = std::vector<db::TField*>;
using TLinkNotifyEvent = std::function<void(ui::TObject* Sender)>;

class TFieldDataLinkEx : public db::TDataLink {
 public:
  TFieldDataLinkEx();
  ~TFieldDataLinkEx() override = default;

  // Read: unbound, or the link is active and a field is resolved.
  bool Active() const;
  bool CanModify() const;
  ui::TComponent* Control() const { return control_; }
  void SetControl(ui::TComponent* Value) { control_ = Value; }
  bool DataIndepended() const { return dataIndepended_; }
  bool DataSetActive() const;
  db::TDataSource* DataSource() const { return db::TDataLink::DataSource(); }
  void SetDataSource(db::TDataSource* Value);
  bool Editing() const { return editing_; }
  db::TField* Field() const { return fields_.empty() ? nullptr : fields_[0]; }
  const String& FieldName() const { return fieldName_; }
  void SetFieldName(const String& Value);
  int FieldsCount() const { return static_cast<int>(fields_.size()); }
  bool MultiFields() const { return multiFields_; }
  void SetMultiFields(bool Value);

  bool Edit();
  bool IsModified() const { return modified_; }
  void Modified() { modified_ = true; }
  void SetModified(bool Value) { modified_ = Value; }
  void Reset() { RecordChanged(nullptr); }
  void SetText(const String& Text);
  void SetValue(const Variant& Value);
  db::TField* FieldByIndex(int Index) const;
  bool HasField(const db::TField* AField) const;
  virtual bool IsDataIndepended() const;
  // Resolves the field list anew from FieldName.
  virtual void UpdateFields();

  // The value held while unbound; Null after construction and every change
  // of mode.
  Variant DataIndependentValue;

  TLinkNotifyEvent OnActiveChange, OnDataChange, OnEditingChange, OnUpdateData;

 protected:
  void ActiveChanged() override;
  void DataEvent(db::TDataEvent Event, std::intptr_t Info) override;
  void EditingChanged() override;
  void FocusControl(db::TField** AField) override;
  void LayoutChanged() override;
  void RecordChanged(db::TField* AField) override;
  void UpdateData() override;

 private:
  void Fire(const TLinkNotifyEvent& Event);
  void SetFields(const TFieldsArrEx& List);
  void StoreEditing(bool Value);
  void UpdateDataIndepended();
  void UpdateRightToLeft();
  [[noreturn]] void FieldNotFound(const String& Name) const;

  TFieldsArrEx fields_;
  String fieldName_;
  ui::TComponent* control_ = nullptr;
  bool multiFields_ = false;
  bool dataIndepended_ = true;
  bool editing_ = false;
  bool modified_ = false;
  // The alignment the control's window was last built for; the toolkit has no
  // style bit to read it back from.
  bool windowRightAligned_ = false;
};

}  // namespace grid
