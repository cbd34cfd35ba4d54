// The value side of the number editor: which typed text is acceptable, how
// text becomes a rounded and limited value, how a value is shown while
// unfocused and while edited (optionally grouped), and stepping. The editor
// control keeps one and feeds it its text, keys and field.
#pragma once

#include "platform/data/fields.h"
#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"
#include "platform/runtime/variant.h"

namespace grid {

using rtl::String;
using rtl::Variant;

// Which properties were set explicitly; the others follow the field.
enum TDBNumberValue : unsigned { evDisplayFormatEx = 1, evCurrencyEx = 2, evMaxValueEx = 4, evMinValueEx = 8 };

class TNumberEditValueEx {
 public:
  TNumberEditValueEx();

  // The bound field (nil when unbound); properties not set explicitly follow it.
  void SetField(db::TField* Value) { field_ = Value; }
  db::TField* Field() const { return field_; }

  bool Currency() const;
  void SetCurrency(bool Value);
  unsigned DecimalPlaces() const { return decimalPlaces_; }
  void SetDecimalPlaces(unsigned Value) { decimalPlaces_ = Value; }
  String DisplayFormat() const;
  void SetDisplayFormat(const String& Value);
  long double Increment() const { return increment_; }
  void SetIncrement(long double Value) { increment_ = Value; }
  long double MaxValue() const;
  void SetMaxValue(long double Value);
  long double MinValue() const;
  void SetMinValue(long double Value);
  unsigned AssignedValues() const { return assigned_; }

  // The edit format derived from the display format (or the currency
  // default); recomputed by UpdateEditFormat when the data changes.
  const String& EditFormat() const { return editFormat_; }
  void UpdateEditFormat();

  // Null, or the value as a double.
  const Variant& Value() const { return value_; }
  void SetValue(const Variant& Value);

  // The value as shown while unfocused; empty for Null.
  String DisplayText() const;
  // The value as shown while edited: the edit format, then grouping.
  String EditText() const;
  // Limits and rounding of a typed or stepped value.
  long double CheckValue(long double X) const;
  // Text to value: empty is Null; raises the conversion error for a text
  // that is not a number.
  void PutText(const String& Text);
  // The edit text after the user changed it: the value follows, limited and
  // rounded; "+" or "-" alone count as 0.
  void UpdateValueFromText(const String& Text);
  // Whether Key may replace the selection of Text.
  bool IsValidChar(const String& Text, int SelStart, int SelLength, char16_t Key) const;
  // The text with the edit format's grouping, or the text itself when it is
  // empty or "-".
  String FormatTextWhileTyping(const String& S) const;
  // The value stepped by the increment; an empty value becomes the increment
  // whatever the direction. False when the increment is 0.
  bool IncrementValue(bool IsIncrease);

  void SetFormatSettings(const rtl::TFormatSettings& Settings) { settings_ = Settings; }
  const rtl::TFormatSettings& FormatSettings() const { return settings_; }

 private:
  db::TField* field_ = nullptr;
  unsigned assigned_ = 0;
  bool currency_ = false;
  unsigned decimalPlaces_ = 2;
  String displayFormat_;
  String editFormat_;
  long double increment_ = 1, minValue_ = 0, maxValue_ = 0;
  Variant value_;
  rtl::TFormatSettings settings_;
};

String NormalizeNumberText(const String& S, const rtl::TFormatSettings& Settings);
String GroupThousands(const String& S, bool Group, const rtl::TFormatSettings& Settings);
String EditFormatFromDisplayFormat(const String& DisplayFormat);
String DefaultCurrencyEditFormat(const rtl::TFormatSettings& Settings);
// Rounds to Places decimals, ties to even; values too large to hold a
// fraction at that scale are returned unchanged.
long double RoundToDecimals(long double X, unsigned Places);

}  // namespace grid
