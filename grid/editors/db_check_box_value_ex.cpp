#include "grid/editors/db_check_box_value_ex.h"

#include "grid/foundation/grid_platform_shims.h"
#include "platform/classes/scoped_change.h"

namespace grid {

namespace {

String FirstItem(const String& List) {
  std::size_t pos = 0;
  return db::ExtractFieldName(List, pos);
}

}  // namespace

bool MatchesValueList(const String& List, const String& Text) {
  std::size_t pos = 0;
  while (pos < List.size()) {
    const String item = db::ExtractFieldName(List, pos);
    if (!item.empty() && CompareTextLocale(item, Text) == 0) return true;
  }
  return !List.empty() && List.back() == u';' && Text.empty();
}

TDBCheckBoxValueEx::TDBCheckBoxValueEx(ui::TObject* Sender)
    : sender_(Sender), dataLink_(std::make_unique<TFieldDataLinkEx>()) {
  dataLink_->OnDataChange = [this](ui::TObject*) { DataChange(); };
  dataLink_->OnUpdateData = [this](ui::TObject*) { UpdateData(); };
  dataLink_->DataIndependentValue = Variant(false);
}

TDBCheckBoxValueEx::~TDBCheckBoxValueEx() = default;

void TDBCheckBoxValueEx::SetValueChecked(const String& Value) {
  valueChecked_ = Value;
  DataChange();
}

void TDBCheckBoxValueEx::SetValueUnchecked(const String& Value) {
  valueUnchecked_ = Value;
  DataChange();
}

ui::TCheckBoxState TDBCheckBoxValueEx::FieldState() const {
  if (DataIndepended()) {
    const Variant& held = dataLink_->DataIndependentValue;
    if (held.VarType() != rtl::varBoolean) return ui::cbGrayed;
    return held.AsBoolean() ? ui::cbChecked : ui::cbUnchecked;
  }
  db::TField* field = Field();
  if (!field) return ui::cbUnchecked;
  if (field->DataType() == db::ftBoolean && valueChecked_ == u"True" && valueUnchecked_ == u"False") {
    if (field->IsNull()) return ui::cbGrayed;
    return field->AsBoolean() ? ui::cbChecked : ui::cbUnchecked;
  }
  const String text = field->Text();
  if (MatchesValueList(valueChecked_, text)) return ui::cbChecked;
  if (MatchesValueList(valueUnchecked_, text)) return ui::cbUnchecked;
  return ui::cbGrayed;
}

void TDBCheckBoxValueEx::SetState(ui::TCheckBoxState Value) {
  if (!DataIndepended()) dataLink_->Edit();
  ApplyState(Value);
  if (dataPosting_) return;
  try {
    UpdateData();
  } catch (...) {
    dataLink_->Reset();
    throw;
  }
}

void TDBCheckBoxValueEx::ApplyState(ui::TCheckBoxState Value) {
  if (Value == state_) return;
  state_ = Value;
  if (!ClicksDisabled && OnClick) OnClick(sender_);
  if (OnStateShown) OnStateShown();
  modified_ = true;
}

void TDBCheckBoxValueEx::DataChange() {
  ApplyState(FieldState());
  modified_ = false;
}

void TDBCheckBoxValueEx::UpdateData() {
  bool handled = false;
  if (OnUpdateData) {
    ui::TScopedValue posting(dataPosting_, true);
    OnUpdateData(sender_, handled);
  }
  if (!handled) StoreState();
}

void TDBCheckBoxValueEx::StoreState() {
  if (DataIndepended()) {
    dataLink_->SetValue(state_ == ui::cbGrayed ? Variant::Null() : Variant(state_ == ui::cbChecked));
    return;
  }
  db::TField* field = Field();
  if (!field) return;
  if (state_ == ui::cbGrayed) field->Clear();
  else if (field->DataType() == db::ftBoolean) field->SetAsBoolean(Checked());
  else field->SetText(FirstItem(Checked() ? valueChecked_ : valueUnchecked_));
}

void TDBCheckBoxValueEx::ToggleState() {
  if (!dataLink_->Edit()) return;
  switch (state_) {
    case ui::cbUnchecked: ApplyState(allowGrayed_ ? ui::cbGrayed : ui::cbChecked); break;
    case ui::cbChecked: ApplyState(ui::cbUnchecked); break;
    case ui::cbGrayed: ApplyState(ui::cbChecked); break;
  }
  dataLink_->Modified();
  if (OnStateShown) OnStateShown();
}

}  // namespace grid
