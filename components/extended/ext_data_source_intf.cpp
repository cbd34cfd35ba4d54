#include "components/extended/ext_data_source_intf.h"

#include "platform/runtime/convert.h"
#include "platform/runtime/exceptions.h"
#include "platform/classes/scoped_change.h"

namespace ext {

// --- TExtDataConnectorField ------------------------------------------------------

TExtDataConnectorField::TExtDataConnectorField(IExtDataSource* Source, const String& FieldName)
    : source_(Source), fieldName_(FieldName) {
  Resolve();
}

void TExtDataConnectorField::Resolve() {
  field_ = source_ && !fieldName_.empty() ? source_->FindField(fieldName_) : nullptr;
}

void TExtDataConnectorField::SetFieldName(const String& Value) {
  if (Value == fieldName_) return;
  fieldName_ = Value;
  Resolve();
}

void TExtDataConnectorField::SetDataSource(IExtDataSource* Source) {
  source_ = Source;
  Resolve();
}

bool TExtDataConnectorField::IsValid() {
  if (!field_) Resolve();
  return source_ && field_;
}

IExtDataSource* TExtDataConnectorField::Need() {
  if (!IsValid()) throw rtl::EDatabaseError(u"Field '" + fieldName_ + u"' not found");
  return source_;
}

TExtFieldType TExtDataConnectorField::DataType() { return Need()->DataType(field_); }
int TExtDataConnectorField::Size() { return Need()->Size(field_); }
String TExtDataConnectorField::DisplayLabel() { return Need()->DisplayLabel(field_); }
int TExtDataConnectorField::DisplayWidth() { return Need()->DisplayWidth(field_); }
void TExtDataConnectorField::SetDisplayWidth(int Value) { Need()->SetDisplayWidth(field_, Value); }
String TExtDataConnectorField::EditMask() { return Need()->EditMask(field_); }
bool TExtDataConnectorField::ReadOnly() { return Need()->ReadOnly(field_); }
bool TExtDataConnectorField::Visible() { return Need()->Visible(field_); }
bool TExtDataConnectorField::Required() { return Need()->Required(field_); }
bool TExtDataConnectorField::IsNull() { return Need()->IsNull(field_); }
bool TExtDataConnectorField::IsBlob() { return Need()->IsBlob(field_); }
bool TExtDataConnectorField::CanModify() { return IsValid() && source_->CanModify(field_); }
TExtVariant TExtDataConnectorField::OldValue() { return Need()->OldValue(field_); }
TExtVariant TExtDataConnectorField::Value() { return Need()->Value(field_); }
void TExtDataConnectorField::SetValue(const TExtVariant& Value) { Need()->SetValue(field_, Value); }
rtl::AnsiString TExtDataConnectorField::AsString() { return Need()->AsString(field_); }
void TExtDataConnectorField::SetAsString(const rtl::AnsiString& Value) { Need()->SetAsString(field_, Value); }
String TExtDataConnectorField::AsWideString() { return Need()->AsWideString(field_); }
void TExtDataConnectorField::SetAsWideString(const String& Value) { Need()->SetAsWideString(field_, Value); }
std::int32_t TExtDataConnectorField::AsInteger() { return Need()->AsInteger(field_); }
void TExtDataConnectorField::SetAsInteger(std::int32_t Value) { Need()->SetAsInteger(field_, Value); }
double TExtDataConnectorField::AsFloat() { return Need()->AsFloat(field_); }
void TExtDataConnectorField::SetAsFloat(double Value) { Need()->SetAsFloat(field_, Value); }
double TExtDataConnectorField::AsDateTime() { return Need()->AsDateTime(field_); }
void TExtDataConnectorField::SetAsDateTime(double Value) { Need()->SetAsDateTime(field_, Value); }
bool TExtDataConnectorField::AsBoolean() { return Need()->AsBoolean(field_); }
void TExtDataConnectorField::SetAsBoolean(bool Value) { Need()->SetAsBoolean(field_, Value); }
void TExtDataConnectorField::Clear() { Need()->Clear(field_); }

std::int64_t TExtDataConnectorField::AsInt64() {
  return rtl::StrToInt64Def(rtl::Trim(Need()->AsWideString(field_)), 0);
}

void TExtDataConnectorField::SetAsInt64(std::int64_t Value) { Need()->SetAsWideString(field_, rtl::IntToStr(Value)); }

// --- TExtDataConnector ----------------------------------------------------------------

TExtDataConnector::TExtDataConnector() = default;

TExtDataConnector::~TExtDataConnector() {
  if (auto* h = dynamic_cast<IExtDataConnectorHandler*>(source_)) {
    try {
      h->RemoveConnector(this);
    } catch (...) {
      // A source failing to let go must not stop the owner's destruction.
    }
  }
  source_ = nullptr;
}

void TExtDataConnector::SetDataSource(IExtDataSource* Value) {
  if (Value == source_) return;
  auto attach = [&] {
    source_ = Value;
    if (!Value) return;
    if (auto* h = dynamic_cast<IExtDataConnectorHandler*>(Value)) {
      h->AddConnector(this);
      HandleSourceConnected();
    } else {
      source_ = nullptr;
    }
  };
  if (source_) {
    try {
      if (auto* h = dynamic_cast<IExtDataConnectorHandler*>(source_)) h->RemoveConnector(this);
      source_ = nullptr;
      HandleSourceDisconnected();
    } catch (...) {
      source_ = nullptr;
      attach();
      throw;
    }
  }
  attach();
}

void TExtDataConnector::Assign(const TExtDataConnector* Source) {
  if (Source) SetDataSource(Source->DataSource());
}

TExtDataConnectorField* TExtDataConnector::FieldForHandle(TExtFieldHandle Handle) {
  if (!Handle) return nullptr;
  for (auto& f : fields_)
    if (f->Field() == Handle) return f.get();
  fields_.push_back(std::make_unique<TExtDataConnectorField>(source_, source_->FieldName(Handle)));
  return fields_.back().get();
}

TExtDataConnectorField* TExtDataConnector::FieldByName(const String& Name) {
  if (!source_) throw rtl::EDatabaseError(u"Field '" + Name + u"' not found");
  return FieldForHandle(source_->FieldByName(Name));
}

TExtDataConnectorField* TExtDataConnector::FindField(const String& Name) {
  return source_ ? FieldForHandle(source_->FindField(Name)) : nullptr;
}

bool TExtDataConnector::CanEditNow() { return active_ && source_; }

void TExtDataConnector::Edit() {
  if (!CanEditNow() || Locked()) return;
  Lock lock(this);
  source_->Edit();
}

void TExtDataConnector::Modify() {
  if (!active_ || Locked()) return;
  Edit();
  modified_ = true;
}

void TExtDataConnector::Reset() {
  if (!DataSetConnected() || !active_) return;
  {
    ui::TScopedValue quiet(active_, false);
    PostNotice(ecnRecordChanged);
  }
  modified_ = false;
}

void TExtDataConnector::UpdateRecord() {
  if (!DataSetConnected() || !modified_ || !active_) return;
  {
    Lock lock(this);
    StoreRecord();
  }
  modified_ = false;
}

void TExtDataConnector::PostNotice(int Notice) {
  switch (Notice) {
    case ecnActiveChanged:
      if (!Locked()) {
        HandleActiveChange();
        modified_ = false;
      }
      break;
    case ecnRecordChanged:
      if (!Locked()) {
        {
          Lock lock(this);
          ShowRecord();
        }
        modified_ = false;
      }
      break;
    case ecnUpdateData:
      if (active_) {
        {
          Lock lock(this);
          StoreRecord();
        }
        modified_ = false;
      }
      break;
    case ecnLayoutChanged:
      fields_.clear();
      if (!Locked()) {
        HandleLayoutChange();
        modified_ = false;
      }
      break;
    default:
      break;
  }
  if (master_) master_->PostNotice(Notice);
}

void TExtDataConnector::HandleSourceConnected() {
  modified_ = false;
  active_ = true;
  PostNotice(ecnActiveChanged);
}

void TExtDataConnector::HandleSourceDisconnected() {
  PostNotice(ecnActiveChanged);
  active_ = false;
  modified_ = false;
  fields_.clear();
}

void TExtDataConnector::HandleActiveChange() { PostNotice(ecnRecordChanged); }
void TExtDataConnector::HandleLayoutChange() { PostNotice(ecnRecordChanged); }

// --- TExtFieldDataConnector ------------------------------------------------------------

TExtFieldDataConnector::TExtFieldDataConnector()
    : field_(std::make_unique<TExtDataConnectorField>(nullptr, String())) {}

void TExtFieldDataConnector::SetDataField(const String& Value) {
  field_->SetFieldName(Value);
  PostNotice(ecnRecordChanged);
}

void TExtFieldDataConnector::Assign(const TExtDataConnector* Source) {
  TExtDataConnector::Assign(Source);
  if (auto* f = dynamic_cast<const TExtFieldDataConnector*>(Source)) SetDataField(f->DataField());
}

bool TExtFieldDataConnector::CanEditNow() { return TExtDataConnector::CanEditNow() && field_->CanModify(); }

void TExtFieldDataConnector::RefreshFields() { field_->SetDataSource(DataSource()); }

void TExtFieldDataConnector::HandleSourceConnected() {
  RefreshFields();
  TExtDataConnector::HandleSourceConnected();
}
void TExtFieldDataConnector::HandleSourceDisconnected() {
  RefreshFields();
  TExtDataConnector::HandleSourceDisconnected();
}
void TExtFieldDataConnector::HandleActiveChange() {
  RefreshFields();
  TExtDataConnector::HandleActiveChange();
}
void TExtFieldDataConnector::HandleLayoutChange() {
  RefreshFields();
  TExtDataConnector::HandleLayoutChange();
}

}  // namespace ext
