// The data side of the data-aware check box: how field values map to
// checked, unchecked and grayed through two value lists, how a state is
// stored back, and the click cycle. The check box control owns one and adds
// its window, keys and painting.
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/checks.h"
#include "grid/editors/field_data_link_ex.h"

namespace grid {

using TUpdateDataEventEx = std::function<void(ui::TObject* Sender, bool& Handled)>;

class TDBCheckBoxValueEx {
 public:
  // Sender is what the notifications report as their sender (the control).
  explicit TDBCheckBoxValueEx(ui::TObject* Sender = nullptr);
  ~TDBCheckBoxValueEx();

  TFieldDataLinkEx& DataLink() { return *dataLink_; }
  bool DataIndepended() const { return dataLink_->DataIndepended(); }
  db::TField* Field() const { return dataLink_->Field(); }

  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
  bool Checked() const { return state_ == ui::cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? ui::cbChecked : ui::cbUnchecked); }
  bool Modified() const { return modified_; }
  bool ReadOnly() const { return dataLink_->ReadOnly(); }
  void SetReadOnly(bool Value) { dataLink_->SetReadOnly(Value); }
  ui::TCheckBoxState State() const { return state_; }
  // Applies the state and stores it at once; a failed store resets the link
  // and raises again.
  void SetState(ui::TCheckBoxState Value);
  const String& ValueChecked() const { return valueChecked_; }
  void SetValueChecked(const String& Value);
  const String& ValueUnchecked() const { return valueUnchecked_; }
  void SetValueUnchecked(const String& Value);
  // The state the data gives (also for painting a copy).
  ui::TCheckBoxState FieldState() const;

  // Stores the state through OnUpdateData, or StoreState when not handled.
  void UpdateData();
  void StoreState();
  // The click cycle, when the link grants editing.
  void ToggleState();
  void ApplyState(ui::TCheckBoxState Value);

  // Set while a focus change is in progress: OnClick stays quiet.
  bool ClicksDisabled = false;
  std::function<void(ui::TObject* Sender)> OnClick;
  // The control's repaint and check-mark update.
  std::function<void()> OnStateShown;
  TUpdateDataEventEx OnUpdateData;

 private:
  void DataChange();

  ui::TObject* sender_;
  std::unique_ptr<TFieldDataLinkEx> dataLink_;
  bool allowGrayed_ = false;
  bool modified_ = false;
  bool dataPosting_ = false;
  ui::TCheckBoxState state_ = ui::cbUnchecked;
  String valueChecked_ = u"True", valueUnchecked_ = u"False";
};

// Whether Text is one of the semicolon-separated items of List (case
// ignored); a list ending in ';' also matches an empty text.
bool MatchesValueList(const String& List, const String& Text);

}  // namespace grid
