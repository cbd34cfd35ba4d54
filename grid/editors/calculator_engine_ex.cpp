#include "grid/editors/calculator_engine_ex.h"

#include <cmath>

#include "platform/ui/clipboard.h"
#include "platform/runtime/convert.h"

namespace grid {

namespace {

bool IsBinaryOperator(char16_t c) { return c == u'*' || c == u'+' || c == u'-' || c == u'/'; }

long double TextToValue(const String& Text, const rtl::TFormatSettings& fs) {
  return rtl::StrToFloat(rtl::Trim(Text), fs);
}

}  // namespace

String CalculatorValueToText(long double Value, const rtl::TFormatSettings& Settings) {
  return rtl::FloatToStrF(static_cast<double>(Value), rtl::TFloatFormat::ffGeneral, 15, 0, Settings);
}

TCalculatorEngineEx::TCalculatorEngineEx() : settings_(rtl::FormatSettings()) {}

long double TCalculatorEngineEx::DisplayValue() const {
  if (status_ == csErrorEx) return 0;
  return TextToValue(displayText_, settings_);
}

void TCalculatorEngineEx::SetDisplayValue(long double Value) { displayText_ = CalculatorValueToText(Value, settings_); }

void TCalculatorEngineEx::BeginEntry() {
  if (status_ != csFirstEx) return;
  status_ = csValidEx;
  displayText_ = u"0";
}

void TCalculatorEngineEx::ShowError() {
  status_ = csErrorEx;
  displayText_ = u"Error";
}

void TCalculatorEngineEx::ClearCalculator() {
  status_ = csFirstEx;
  SetDisplayValue(0);
  operator_ = u'=';
  operand_ = 0;
  UpdateEqualButton();
}

void TCalculatorEngineEx::UpdateEqualButton() {
  // Any pending operation on a typed entry computes on Enter, whatever the
  // left operand: after 0 - 3 the answer is -3, not the 3 on display.
  equalCaption_ = (status_ == csValidEx && IsBinaryOperator(operator_)) ? u"=" : u"Ok";
}

void TCalculatorEngineEx::DoCopy() { ui::Clipboard()->SetAsText(displayText_); }

void TCalculatorEngineEx::Paste() {
  ui::TClipboard* clipboard = ui::Clipboard();
  if (!clipboard->HasFormat(ui::CF_TEXT) && !clipboard->HasFormat(ui::CF_UNICODETEXT)) return;
  // Convert first: a text that is not a number leaves the display as it was.
  const long double value = TextToValue(clipboard->AsText(), settings_);
  SetDisplayValue(value);
}

void TCalculatorEngineEx::Wheel(bool Up) {
  if (status_ == csErrorEx) return;
  SetDisplayValue(DisplayValue() + (Up ? 1 : -1));
}

void TCalculatorEngineEx::ProcessKey(char16_t Key) {
  if (Key >= u'a' && Key <= u'z') Key = static_cast<char16_t>(Key - 32);
  if (status_ == csErrorEx && Key != u'C') Key = 0;

  if (Key != 0 && (Key == settings_.DecimalSeparator || Key == u'.' || Key == u',')) {
    BeginEntry();
    if (displayText_.find(settings_.DecimalSeparator) == String::npos) displayText_ += settings_.DecimalSeparator;
    return;
  }

  switch (Key) {
    case 3: DoCopy(); break;
    case 22: Paste(); break;
    case 8:
      BeginEntry();
      if (displayText_.size() == 1 || (displayText_.size() == 2 && displayText_[0] == u'-'))
        displayText_ = u"0";
      else
        displayText_.pop_back();
      break;
    case u'0': case u'1': case u'2': case u'3': case u'4':
    case u'5': case u'6': case u'7': case u'8': case u'9': {
      BeginEntry();
      if (displayText_ == u"0") displayText_.clear();
      if (displayText_.find(u'E') != String::npos) break;
      const std::size_t limit = (!displayText_.empty() && displayText_[0] == u'-') ? 16 : 15;
      if (displayText_.size() < limit) displayText_ += Key;
      break;
    }
    case 13: case u'%': case u'*': case u'+': case u'-': case u'/': case u'=': {
      if (status_ == csValidEx) {
        status_ = csFirstEx;
        long double x = DisplayValue();
        if (Key == u'%') {
          if (operator_ == u'*' || operator_ == u'/') x = x / 100;
          else if (operator_ == u'+' || operator_ == u'-') x = operand_ * x / 100;
        }
        switch (operator_) {
          case u'*': SetDisplayValue(operand_ * x); break;
          case u'+': SetDisplayValue(operand_ + x); break;
          case u'-': SetDisplayValue(operand_ - x); break;
          case u'/':
            if (x == 0) ShowError();
            else SetDisplayValue(operand_ / x);
            break;
          default: break;
        }
      }
      operator_ = Key;
      operand_ = DisplayValue();
      break;
    }
    case 27: case u'C': ClearCalculator(); break;
    case u'I': SetDisplayValue(-DisplayValue()); break;
    case u'R': {
      status_ = csFirstEx;
      const long double v = DisplayValue();
      if (v == 0) ShowError();
      else SetDisplayValue(1 / v);
      break;
    }
    case u'S': {
      status_ = csFirstEx;
      const long double v = DisplayValue();
      if (v < 0) ShowError();
      else SetDisplayValue(std::sqrt(v));
      break;
    }
    default: break;
  }
  UpdateEqualButton();
}

}  // namespace grid
