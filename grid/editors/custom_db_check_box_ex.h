// TCustomDBCheckBoxEx: a three-state check box bound to a field, or holding
// its own Boolean value when unbound. The data side (value lists, store,
// click cycle) lives in TDBCheckBoxValueEx; this class adds the window, the
// keys and mouse, and paints itself with the editors' button faces so it
// looks like the grid's check cells.
#pragma once

#include "platform/ui/controls.h"
#include "grid/editors/db_check_box_value_ex.h"

namespace grid {

class TCustomDBCheckBoxEx : public ui::TCustomControl {
 public:
  explicit TCustomDBCheckBoxEx(ui::TComponent* AOwner);
  ~TCustomDBCheckBoxEx() override;

  TDBCheckBoxValueEx& Value() { return value_; }
  db::TField* Field() const { return value_.Field(); }
  bool Modified() const { return value_.Modified(); }

  db::TDataSource* DataSource() const { return value_.DataLink().DataSource(); }
  void SetDataSource(db::TDataSource* Value);
  const String& DataField() const { return value_.DataLink().FieldName(); }
  void SetDataField(const String& Value) { value_.DataLink().SetFieldName(Value); }

  // Caption left (taLeftJustify) or right (taRightJustify) of the box.
  ui::TAlignment Alignment() const { return alignment_; }
  void SetAlignment(ui::TAlignment Value);
  bool AllowGrayed() const { return value_.AllowGrayed(); }
  void SetAllowGrayed(bool Value) { value_.SetAllowGrayed(Value); }
  bool AlwaysShowBorder() const { return alwaysShowBorder_; }
  void SetAlwaysShowBorder(bool Value);
  String Caption() const { return GetText(); }
  void SetCaption(const String& Value) { SetText(Value); }
  bool Checked() const { return value_.Checked(); }
  void SetChecked(bool Value) { SetState(Value ? ui::cbChecked : ui::cbUnchecked); }
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  bool ReadOnly() const { return value_.ReadOnly(); }
  void SetReadOnly(bool Value) { value_.SetReadOnly(Value); }
  ui::TCheckBoxState State() const { return value_.State(); }
  // A bound box puts the dataset into edit state and stores at once.
  void SetState(ui::TCheckBoxState Value);
  const String& ValueChecked() const { return value_.ValueChecked(); }
  void SetValueChecked(const String& Value) { value_.SetValueChecked(Value); }
  const String& ValueUnchecked() const { return value_.ValueUnchecked(); }
  void SetValueUnchecked(const String& Value) { value_.SetValueUnchecked(Value); }
  // Layout storage keeps the state only of an unbound box that is not unchecked.
  bool IsStateStored() const { return DataIndepended() && State() != ui::cbUnchecked; }

  virtual void UpdateData() { value_.UpdateData(); }

  TUpdateDataEventEx OnUpdateData;

 protected:
  virtual void PaintCheckBox();
  virtual bool DataIndepended() const { return value_.DataIndepended(); }
  virtual void PaintCaption(const ui::TRect& Rect, bool Focused, bool Pressed, bool Hot);
  virtual void PaintCheckFace(const ui::TRect& Rect, ui::TCheckBoxState State, bool Pressed, bool Hot, bool Focused);
  virtual void PaintParts(ui::TCheckBoxState State, bool Focused, bool Pressed, bool Hot);
  virtual void ToggleState() { value_.ToggleState(); }

  void Click() override;
  void Paint() override;
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  void Dispatch(ui::TMessage& Message) override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyUp(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  void DoEnter() override;
  void DoExit() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void EnabledChanged() override;
  void TextChanged() override;

  bool Designing() const { return ComponentState().Contains(ui::csDesigning); }
  // The square of the box inside the client area, as painted.
  ui::TRect CheckRect() const;
  ui::TRect CaptionRect() const;

 private:
  bool CaptionOnLeft() const { return alignment_ == ui::taLeftJustify; }

  mutable TDBCheckBoxValueEx value_;  // its link accessor is not const
  ui::TAlignment alignment_ = ui::taRightJustify;
  bool alwaysShowBorder_ = false;
  bool flat_ = false;
  bool mouseAboveControl_ = false;
  bool mousePressed_ = false;
  bool toggleKeyDown_ = false;
};

// The published form.
class TDBCheckBoxEx : public TCustomDBCheckBoxEx {
 public:
  using TCustomDBCheckBoxEx::TCustomDBCheckBoxEx;
};

}  // namespace grid
