// The key machine of the pocket calculator: what the display shows, the
// pending operation, and the state of the entry. The calculator control and
// its drop-down form feed it keys from buttons, the keyboard and the wheel.
#pragma once

#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"

namespace grid {

using rtl::String;

enum TCalcStateEx : unsigned char { csFirstEx = 0, csValidEx = 1, csErrorEx = 2 };

class TCalculatorEngineEx {
 public:
  TCalculatorEngineEx();

  // Every button, typed character and the Delete key end here.
  void ProcessKey(char16_t Key);
  // The mouse wheel: +1 or -1 on the display, nothing after an error.
  void Wheel(bool Up);
  // The display text goes to the clipboard / the clipboard's text to the display.
  void DoCopy();
  void Paste();
  void ClearCalculator();

  const String& DisplayText() const { return displayText_; }
  void SetDisplayText(const String& Value) { displayText_ = Value; }
  long double DisplayValue() const;
  void SetDisplayValue(long double Value);
  TCalcStateEx Status() const { return status_; }
  char16_t Operator() const { return operator_; }
  long double Operand() const { return operand_; }
  // "=" while Enter computes a pending operation, "Ok" while it accepts.
  const String& EqualCaption() const { return equalCaption_; }
  bool ReadyToAccept() const { return equalCaption_ == u"Ok"; }

  // The decimal separator; the locale's by default.
  void SetFormatSettings(const rtl::TFormatSettings& Settings) { settings_ = Settings; }

 private:
  void BeginEntry();
  void ShowError();
  void UpdateEqualButton();

  String displayText_ = u"0";
  long double operand_ = 0;
  char16_t operator_ = 0;
  TCalcStateEx status_ = csFirstEx;
  String equalCaption_ = u"Ok";
  rtl::TFormatSettings settings_;
};

// The general 15-digit form the display uses.
String CalculatorValueToText(long double Value, const rtl::TFormatSettings& Settings);

}  // namespace grid
