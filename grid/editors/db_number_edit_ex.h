// The data-aware number editor. It keeps its value as a double (or Null),
// shows it with the display format while unfocused and with the edit format
// (grouped when the format asks) while focused, lets through only characters
// that keep the text a number, rounds and limits typed and stepped values,
// and drops down a calculator. The value rules live in TNumberEditValueEx.
#pragma once

#include <functional>

#include "grid/editors/calculator_ex.h"
#include "grid/editors/custom_db_edit_ex.h"
#include "grid/editors/number_edit_value_ex.h"

namespace grid {

using TCloseUpEventNumberEx = std::function<void(ui::TObject* Sender, bool Accept)>;

class TCustomDBNumberEditEx : public TCustomDBEditEx {
 public:
  explicit TCustomDBNumberEditEx(ui::TComponent* AOwner);
  ~TCustomDBNumberEditEx() override;

  bool Currency() const { return value_.Currency(); }
  void SetCurrency(bool Value);
  unsigned DecimalPlaces() const { return value_.DecimalPlaces(); }
  void SetDecimalPlaces(unsigned Value);
  String DisplayFormat() const { return value_.DisplayFormat(); }
  void SetDisplayFormat(const String& Value);
  long double Increment() const { return value_.Increment(); }
  void SetIncrement(long double Value) { value_.SetIncrement(Value); }
  long double MaxValue() const { return value_.MaxValue(); }
  void SetMaxValue(long double Value);
  long double MinValue() const { return value_.MinValue(); }
  void SetMinValue(long double Value);
  unsigned AssignedValues() const { return value_.AssignedValues(); }
  const String& EditFormat() const { return value_.EditFormat(); }
  void SetFormatSettings(const rtl::TFormatSettings& Settings);

  // The value as shown while unfocused; empty for Null.
  virtual String DisplayText() const { return value_.DisplayText(); }
  bool CalculatorVisible() const { return calculatorVisible_; }
  // The drop-down calculator, made on first use.
  virtual ui::TWinControl* DropDownCalculator();
  // Steps the value by the increment (an empty value becomes the increment).
  void IncrementValue(bool IsIncrease);
  void DropDown() override;
  void CloseUp(bool Accept) override;

  ui::TNotifyEvent OnDropDown;
  TCloseUpEventNumberEx OnCloseUp;

 protected:
  virtual void FormatTextWhileTyping(const String& S);

  std::unique_ptr<TEditButtonEx> CreateEditButton() override;
  ui::TAlignment DefaultAlignment() const override;
  void ReadValue(Variant& Value) const override;
  bool IsValidChar(char16_t Key) const override;
  void DefaultButtonDown(bool IsDownButton) override;
  void DataChanged() override;
  void PutText(const String& Value) override;
  void PutValue(const Variant& Value) override;
  void WriteFieldText() override;
  void InitWidget() override;
  void Change() override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  bool DoMouseWheelDown(ui::TShiftState Shift, ui::TPoint MousePos) override;
  bool DoMouseWheelUp(ui::TShiftState Shift, ui::TPoint MousePos) override;
  void Dispatch(ui::TMessage& Message) override;

 private:
  // Sets the text without reading it back as typed input.
  void SetInternalText(const String& Value);
  void UpdateValueFromText();
  void Paste(ui::TMessage& Message);
  bool PassToCalculator(ui::TMessage& Message);
  void ApplyWindowAlignment();
  bool StepByWheel(bool Up, ui::TShiftState Shift);

  TNumberEditValueEx value_;
  TPopupCalculatorEx* dropDownCalculator_ = nullptr;
  bool calculatorVisible_ = false;
  bool internalTextSetting_ = false;
  // Set while a paste is read back; a text that is no number lands here
  // instead of leaving the paste half done.
  bool pasting_ = false;
  bool pasteFailed_ = false;
};

class TDBNumberEditEx : public TCustomDBNumberEditEx {
  JQ_UI_CLASSINFO
 public:
  explicit TDBNumberEditEx(ui::TComponent* AOwner) : TCustomDBNumberEditEx(AOwner) {}
  Variant GetValueProp() const { return Value(); }
  void SetValueProp(const Variant& V) { SetValue(V); }
  double MaxValueProp() const { return static_cast<double>(MaxValue()); }
  void SetMaxValueProp(double V) { SetMaxValue(V); }
  double MinValueProp() const { return static_cast<double>(MinValue()); }
  void SetMinValueProp(double V) { SetMinValue(V); }
  double IncrementProp() const { return static_cast<double>(Increment()); }
  void SetIncrementProp(double V) { SetIncrement(V); }
  int DecimalPlacesProp() const { return static_cast<int>(DecimalPlaces()); }
  void SetDecimalPlacesProp(int V) { SetDecimalPlaces(static_cast<unsigned>(std::max(V, 0))); }
};

}  // namespace grid
