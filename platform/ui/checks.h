// Check boxes and radio buttons.
#pragma once

#include "platform/ui/controls.h"

namespace ui {

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWinControl {
  JQ_UI_CLASSINFO
 public:
  explicit TCheckBox(TComponent* AOwner);
  ~TCheckBox() override;
  bool Checked() const { return state_ == cbChecked; }
  // A change (by the user or by code) runs OnClick.
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState Value);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool Value);

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  void SetTextInternal(const String& Value) override;

 private:
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
};

// Radio buttons with the same parent form one group: checking one clears the others.
class TRadioButton : public TWinControl {
  JQ_UI_CLASSINFO
 public:
  explicit TRadioButton(TComponent* AOwner);
  ~TRadioButton() override;
  bool Checked() const { return checked_; }
  // Checking runs OnClick and clears the other buttons of the group;
  // clearing leaves the group with none checked.
  void SetChecked(bool Value);

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  void SetTextInternal(const String& Value) override;

 private:
  void SyncWidget();
  bool checked_ = false;
};

}  // namespace ui
