#include "grid/editors/number_edit_value_ex.h"

#include <algorithm>
#include <cmath>

#include "platform/runtime/convert.h"

namespace grid {

namespace {

bool IsBlankOrControl(char16_t c) { return c <= u' '; }

// "+" and "-" alone read as 0 while typing.
bool TryTypedNumber(const String& S, const rtl::TFormatSettings& fs, double& Value) {
  if (S == u"+" || S == u"-") {
    Value = 0;
    return true;
  }
  return rtl::TryStrToFloat(S, Value, fs);
}

}  // namespace

String NormalizeNumberText(const String& S, const rtl::TFormatSettings& Settings) {
  std::size_t begin = 0, end = S.size();
  while (begin < end && IsBlankOrControl(S[begin])) ++begin;
  while (end > begin && IsBlankOrControl(S[end - 1])) --end;
  const char16_t dec = Settings.DecimalSeparator, thousands = Settings.ThousandSeparator;
  String out;
  for (std::size_t i = begin; i < end; ++i) {
    char16_t c = S[i];
    if (dec != thousands && c == thousands) continue;
    if ((c == u'.' || c == u',') && c != thousands) c = dec;
    out += c;
  }
  return out;
}

String GroupThousands(const String& S, bool Group, const rtl::TFormatSettings& Settings) {
  String sign, body = S;
  if (!body.empty() && (body[0] == u'+' || body[0] == u'-')) {
    sign = body.substr(0, 1);
    body.erase(0, 1);
  }
  std::size_t intEnd = body.size();
  for (std::size_t i = 0; i < body.size(); ++i)
    if (body[i] == Settings.DecimalSeparator || body[i] == u'E' || body[i] == u'e') {
      intEnd = i;
      break;
    }
  const String integer = body.substr(0, intEnd), rest = body.substr(intEnd);
  String grouped;
  int digits = 0;
  for (std::size_t i = integer.size(); i-- > 0;) {
    grouped.insert(grouped.begin(), integer[i]);
    ++digits;
    if (Group && digits % 3 == 0 && i > 0) grouped.insert(grouped.begin(), Settings.ThousandSeparator);
  }
  return sign + grouped + rest;
}

String EditFormatFromDisplayFormat(const String& DisplayFormat) {
  String out;
  char16_t quote = 0;
  bool exponent = false, firstExponentDigit = false;
  int exponentZeros = 0;
  for (std::size_t i = 0; i < DisplayFormat.size(); ++i) {
    const char16_t c = DisplayFormat[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == u'\'' || c == u'"') {
      quote = c;
      continue;
    }
    if (c == u';') break;
    if (c == u'E' || c == u'e') {
      exponent = true;
      firstExponentDigit = true;
      if (i + 1 < DisplayFormat.size() && DisplayFormat[i + 1] == u'+') ++i;
      continue;
    }
    if (c != u'#' && c != u',' && c != u'.' && c != u'0') continue;
    if (exponent && c == u'0') {
      const bool drop = firstExponentDigit;
      firstExponentDigit = false;
      if (!drop) out += c;
      if (++exponentZeros == 4) break;
      continue;
    }
    firstExponentDigit = false;
    out += c;
  }
  return out;
}

String DefaultCurrencyEditFormat(const rtl::TFormatSettings& Settings) {
  return u",#." + String(Settings.CurrencyDecimals, u'0');
}

long double RoundToDecimals(long double X, unsigned Places) {
  if (Places > 37) return X;
  long double scale = 1;
  for (unsigned i = 0; i < Places; ++i) scale *= 10;
  const long double scaled = X * scale;
  // From 2^53 on a double holds no fraction at this scale, and a 64-bit
  // integer may not hold the scaled value at all.
  if (!std::isfinite(scaled) || std::fabs(scaled) >= 9007199254740992.0L) return X;
  // Rounded at full width: narrowing to a double first could turn 267.4999...
  // into a tie. The default rounding mode breaks ties to even.
  return std::nearbyint(scaled) / scale;
}

TNumberEditValueEx::TNumberEditValueEx() : value_(Variant::Null()), settings_(rtl::FormatSettings()) {}

bool TNumberEditValueEx::Currency() const {
  if (assigned_ & evCurrencyEx) return currency_;
  if (auto* f = dynamic_cast<db::TFloatField*>(field_)) return f->Currency();
  return false;
}

void TNumberEditValueEx::SetCurrency(bool Value) {
  currency_ = Value;
  assigned_ |= evCurrencyEx;
}

String TNumberEditValueEx::DisplayFormat() const {
  if (assigned_ & evDisplayFormatEx) return displayFormat_;
  if (field_ && (field_->IsNumeric() || field_->IsDateTime())) return field_->DisplayFormat();
  return String();
}

void TNumberEditValueEx::SetDisplayFormat(const String& Value) {
  displayFormat_ = Value;
  assigned_ |= evDisplayFormatEx;
}

long double TNumberEditValueEx::MaxValue() const {
  if (assigned_ & evMaxValueEx) return maxValue_;
  if (auto* f = dynamic_cast<db::TIntegerField*>(field_)) return static_cast<long double>(f->MaxValue());
  if (auto* f = dynamic_cast<db::TFloatField*>(field_)) return f->MaxValue();
  return 0;
}

void TNumberEditValueEx::SetMaxValue(long double Value) {
  maxValue_ = Value;
  assigned_ |= evMaxValueEx;
}

long double TNumberEditValueEx::MinValue() const {
  if (assigned_ & evMinValueEx) return minValue_;
  if (auto* f = dynamic_cast<db::TIntegerField*>(field_)) return static_cast<long double>(f->MinValue());
  if (auto* f = dynamic_cast<db::TFloatField*>(field_)) return f->MinValue();
  return 0;
}

void TNumberEditValueEx::SetMinValue(long double Value) {
  minValue_ = Value;
  assigned_ |= evMinValueEx;
}

void TNumberEditValueEx::UpdateEditFormat() {
  const String display = DisplayFormat();
  editFormat_ = (display.empty() && Currency()) ? DefaultCurrencyEditFormat(settings_)
                                                : EditFormatFromDisplayFormat(display);
}

void TNumberEditValueEx::SetValue(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) value_ = Variant::Null();
  else value_ = Variant(Value.AsDouble());
}

String TNumberEditValueEx::DisplayText() const {
  if (value_.IsNull()) return String();
  const double v = value_.AsDouble();
  const String format = DisplayFormat();
  if (!format.empty()) return rtl::FormatFloat(format, v, settings_);
  if (Currency()) return rtl::FloatToStrF(v, rtl::TFloatFormat::ffCurrency, 18, settings_.CurrencyDecimals, settings_);
  return rtl::FloatToStr(v, settings_);
}

String TNumberEditValueEx::EditText() const {
  if (value_.IsNull()) return String();
  const double v = value_.AsDouble();
  const String text = editFormat_.empty() ? rtl::FloatToStr(v, settings_) : rtl::FormatFloat(editFormat_, v, settings_);
  return FormatTextWhileTyping(text);
}

long double TNumberEditValueEx::CheckValue(long double X) const {
  const long double lo = MinValue(), hi = MaxValue();
  if (lo < hi) {
    X = std::clamp(X, lo, hi);
  } else if (lo > hi) {
    if (hi == 0 && X < lo) X = lo;
    else if (lo == 0 && X > hi) X = hi;
  }
  return decimalPlaces_ == 0 ? RoundToDecimals(X, 0) : RoundToDecimals(X, decimalPlaces_);
}

void TNumberEditValueEx::PutText(const String& Text) {
  if (Text.empty()) {
    value_ = Variant::Null();
    return;
  }
  SetValue(Variant(rtl::StrToFloat(NormalizeNumberText(Text, settings_), settings_)));
}

void TNumberEditValueEx::UpdateValueFromText(const String& Text) {
  const String text = NormalizeNumberText(Text, settings_);
  if (text.empty()) {
    value_ = Variant::Null();
    return;
  }
  double x = 0;
  if (text != u"+" && text != u"-") x = rtl::StrToFloat(text, settings_);
  value_ = Variant(static_cast<double>(CheckValue(x)));
}

bool TNumberEditValueEx::IsValidChar(const String& Text, int SelStart, int SelLength, char16_t Key) const {
  String typed = Text;
  const std::size_t start = std::min(static_cast<std::size_t>(std::max(SelStart, 0)), typed.size());
  const std::size_t length = std::min(static_cast<std::size_t>(std::max(SelLength, 0)), typed.size() - start);
  typed.replace(start, length, String(1, Key));
  const String s = NormalizeNumberText(typed, settings_);

  const std::size_t dec = s.find(settings_.DecimalSeparator);
  if (dec != String::npos) {
    std::size_t end = s.size();
    for (std::size_t i = dec + 1; i < s.size(); ++i)
      if (s[i] == u'E' || s[i] == u'e') {
        end = i;
        break;
      }
    if (end - dec - 1 > decimalPlaces_) return false;
  }
  if (s.empty()) return true;
  for (char16_t c : s)
    if (!(c == settings_.DecimalSeparator || c == u'+' || c == u'-' || (c >= u'0' && c <= u'9') || c == u'E' ||
          c == u'e'))
      return false;
  double value = 0;
  if (!TryTypedNumber(s, settings_, value)) return false;
  if (MinValue() >= 0 && MaxValue() > 0 && value < 0) return false;
  return true;
}

String TNumberEditValueEx::FormatTextWhileTyping(const String& S) const {
  if (S.empty() || S == u"-") return S;
  return GroupThousands(NormalizeNumberText(S, settings_), editFormat_.find(u',') != String::npos, settings_);
}

bool TNumberEditValueEx::IncrementValue(bool IsIncrease) {
  if (increment_ == 0) return false;
  long double next = increment_;
  if (!value_.IsNull()) next = static_cast<long double>(value_.AsDouble()) + (IsIncrease ? increment_ : -increment_);
  value_ = Variant(static_cast<double>(CheckValue(next)));
  return true;
}

}  // namespace grid
