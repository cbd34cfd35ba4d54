#include "platform/runtime/convert.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "platform/runtime/exceptions.h"

namespace rtl {

namespace {

// A finite value as 0.d1d2d3... x 10^exp, digits without trailing zeros.
struct Decimal {
  bool negative = false;
  std::string digits;  // empty for zero
  int exp = 0;
};

void RoundDigits(Decimal& d, int n);

Decimal ToDecimal(double v, int precision) {
  Decimal d;
  d.negative = std::signbit(v);
  v = std::fabs(v);
  if (v == 0) {
    d.negative = false;
    return d;
  }
  // 17 digits hold the double exactly enough; the cut to `precision` digits
  // then rounds halves away from zero, as shown decimals are expected to.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.16e", v);
  // "d.ddde+XX"
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.digits.push_back(*p);
  d.exp = std::atoi(p + 1) + 1;
  RoundDigits(d, precision);
  return d;
}

// Keeps `n` digits after the leading digit position 0 (n may exceed the
// digits; n <= 0 keeps none), rounding half away from zero.
void RoundDigits(Decimal& d, int n) {
  if (n >= static_cast<int>(d.digits.size())) return;
  if (n < 0) {
    d.digits.clear();
    return;
  }
  const bool up = d.digits[n] >= '5';
  d.digits.resize(n);
  if (up) {
    int i = n - 1;
    while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
    if (i < 0) {
      d.digits.insert(d.digits.begin(), '1');
      d.exp += 1;
    } else {
      d.digits[i]++;
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.negative = false;
}

char DigitAt(const Decimal& d, int i) {
  return (i >= 0 && i < static_cast<int>(d.digits.size())) ? d.digits[i] : '0';
}

String Ascii(const std::string& s) { return String(s.begin(), s.end()); }

String SpecialText(double v) {
  if (std::isnan(v)) return u"NAN";
  return v < 0 ? u"-INF" : u"INF";
}

// Integer part of d with optional grouping, at least minDigits digits.
String IntegerPart(const Decimal& d, int minDigits, char16_t groupSep) {
  String s;
  const int intDigits = d.digits.empty() ? 0 : std::max(d.exp, 0);
  const int n = std::max(intDigits, minDigits);
  for (int i = 0; i < n; ++i) {
    const int pos = intDigits - n + i;  // index into digits; negative = leading zero
    s.push_back(static_cast<char16_t>(pos < 0 ? '0' : DigitAt(d, pos)));
    const int remaining = n - 1 - i;
    if (groupSep && remaining > 0 && remaining % 3 == 0) s.push_back(groupSep);
  }
  return s;
}

// Fraction digits: positions exp.. of the digit string, `count` of them.
String FractionPart(const Decimal& d, int count) {
  String s;
  for (int i = 0; i < count; ++i) s.push_back(static_cast<char16_t>(DigitAt(d, d.exp + i)));
  return s;
}

String ExponentText(int e, bool alwaysSign, int minDigits) {
  String s;
  if (e < 0) s.push_back(u'-');
  else if (alwaysSign) s.push_back(u'+');
  String n = UIntToStr(static_cast<std::uint64_t>(std::abs(e)));
  while (static_cast<int>(n.size()) < minDigits) n.insert(n.begin(), u'0');
  return s + n;
}

String GeneralText(double v, int precision, int expDigits, const TFormatSettings& fs) {
  Decimal d = ToDecimal(v, precision);
  String s = d.negative ? u"-" : u"";
  if (d.digits.empty()) return u"0";
  const int nd = static_cast<int>(d.digits.size());
  if (d.exp <= precision && d.exp >= -4) {
    if (d.exp <= 0) {
      s += u'0';
      s += fs.DecimalSeparator;
      s.append(static_cast<std::size_t>(-d.exp), u'0');
      s += Ascii(d.digits);
    } else {
      s += Ascii(d.digits.substr(0, std::min(nd, d.exp)));
      if (nd < d.exp) s.append(static_cast<std::size_t>(d.exp - nd), u'0');
      if (nd > d.exp) {
        s += fs.DecimalSeparator;
        s += Ascii(d.digits.substr(d.exp));
      }
    }
    return s;
  }
  s.push_back(static_cast<char16_t>(d.digits[0]));
  if (nd > 1) {
    s += fs.DecimalSeparator;
    s += Ascii(d.digits.substr(1));
  }
  s += u'E';
  s += ExponentText(d.exp - 1, false, expDigits);
  return s;
}

String ExponentFormText(double v, int precision, int expDigits, const TFormatSettings& fs) {
  Decimal d = ToDecimal(v, precision);
  String s = d.negative ? u"-" : u"";
  s.push_back(static_cast<char16_t>(DigitAt(d, 0)));
  s += fs.DecimalSeparator;
  for (int i = 1; i < precision; ++i) s.push_back(static_cast<char16_t>(DigitAt(d, i)));
  s += u'E';
  s += ExponentText(d.digits.empty() ? 0 : d.exp - 1, true, expDigits);
  return s;
}

String CurrencyText(const String& number, bool negative, const TFormatSettings& fs) {
  const String& c = fs.CurrencyString;
  if (!negative) {
    switch (fs.CurrencyFormat) {
      case 1: return number + c;
      case 2: return c + u" " + number;
      case 3: return number + u" " + c;
      default: return c + number;
    }
  }
  switch (fs.NegCurrFormat) {
    case 1: return u"-" + c + number;
    case 2: return c + u"-" + number;
    case 3: return c + number + u"-";
    case 4: return u"(" + number + c + u")";
    case 5: return u"-" + number + c;
    case 6: return number + u"-" + c;
    case 7: return number + c + u"-";
    case 8: return u"-" + number + u" " + c;
    case 9: return u"-" + c + u" " + number;
    case 10: return number + u" " + c + u"-";
    case 11: return c + u" " + number + u"-";
    case 12: return c + u" -" + number;
    case 13: return number + u"- " + c;
    case 14: return u"(" + c + u" " + number + u")";
    case 15: return u"(" + number + u" " + c + u")";
    default: return u"(" + c + number + u")";
  }
}

locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

template <typename T>
bool ParseInt(std::u16string_view s, T& value) {
  using U = std::make_unsigned_t<T>;
  std::size_t i = 0;
  while (i < s.size() && s[i] <= u' ') ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) neg = s[i++] == u'-';
  bool hex = false;
  if (i < s.size() && s[i] == u'$') {
    hex = true, ++i;
  } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    hex = true, i += 2;
  }
  if (i >= s.size()) return false;
  std::uint64_t acc = 0;
  const std::uint64_t limit = hex ? static_cast<std::uint64_t>(std::numeric_limits<U>::max())
                                  : static_cast<std::uint64_t>(std::numeric_limits<T>::max()) + (neg ? 1 : 0);
  for (; i < s.size(); ++i) {
    const char16_t c = s[i];
    unsigned digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (hex && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else return false;
    const unsigned base = hex ? 16 : 10;
    if (acc > (limit - digit) / base) return false;
    acc = acc * base + digit;
  }
  U u = static_cast<U>(acc);
  if (neg) u = static_cast<U>(U(0) - u);
  value = static_cast<T>(u);
  return true;
}

}  // namespace

bool TryStrToInt(std::u16string_view s, std::int32_t& value) { return ParseInt(s, value); }
bool TryStrToInt64(std::u16string_view s, std::int64_t& value) { return ParseInt(s, value); }

std::int32_t StrToInt(std::u16string_view s) {
  std::int32_t v;
  if (!ParseInt(s, v)) throw EConvertError(u"'%s' is not a valid integer value", {s});
  return v;
}

std::int64_t StrToInt64(std::u16string_view s) {
  std::int64_t v;
  if (!ParseInt(s, v)) throw EConvertError(u"'%s' is not a valid integer value", {s});
  return v;
}

std::int32_t StrToIntDef(std::u16string_view s, std::int32_t def) {
  std::int32_t v;
  return ParseInt(s, v) ? v : def;
}

std::int64_t StrToInt64Def(std::u16string_view s, std::int64_t def) {
  std::int64_t v;
  return ParseInt(s, v) ? v : def;
}

bool TryStrToFloat(std::u16string_view s, double& value, const TFormatSettings& fs) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] <= u' ') ++b;
  while (e > b && s[e - 1] <= u' ') --e;
  std::string a;
  std::size_t i = b;
  if (i < e && (s[i] == u'+' || s[i] == u'-')) a.push_back(static_cast<char>(s[i++]));
  int mantissaDigits = 0;
  bool point = false;
  for (; i < e; ++i) {
    const char16_t c = s[i];
    if (c >= u'0' && c <= u'9') {
      a.push_back(static_cast<char>(c));
      ++mantissaDigits;
    } else if ((c == fs.DecimalSeparator || c == u'.') && !point) {
      point = true;
      a.push_back('.');
    } else {
      break;
    }
  }
  if (mantissaDigits == 0) return false;
  if (i < e && (s[i] == u'e' || s[i] == u'E')) {
    a.push_back('e');
    ++i;
    if (i < e && (s[i] == u'+' || s[i] == u'-')) a.push_back(static_cast<char>(s[i++]));
    int expDigits = 0;
    for (; i < e && s[i] >= u'0' && s[i] <= u'9'; ++i, ++expDigits) a.push_back(static_cast<char>(s[i]));
    if (expDigits == 0) return false;
  }
  if (i != e) return false;
  const double v = strtod_l(a.c_str(), nullptr, CLocale());
  if (std::isinf(v)) return false;
  value = v;
  return true;
}

bool TryStrToFloat(std::u16string_view s, double& value) {
  return TryStrToFloat(s, value, FormatSettings());
}

double StrToFloat(std::u16string_view s, const TFormatSettings& fs) {
  double v;
  if (!TryStrToFloat(s, v, fs)) throw EConvertError(u"'%s' is not a valid floating point value", {s});
  return v;
}

double StrToFloat(std::u16string_view s) { return StrToFloat(s, FormatSettings()); }

double StrToFloatDef(std::u16string_view s, double def) {
  double v;
  return TryStrToFloat(s, v) ? v : def;
}

String FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                   const TFormatSettings& fs) {
  if (!std::isfinite(value)) return SpecialText(value);
  precision = std::clamp(precision, 1, 17);
  digits = std::clamp(digits, 0, 18);
  switch (format) {
    case TFloatFormat::ffGeneral:
      return GeneralText(value, precision, std::min(digits, 4), fs);
    case TFloatFormat::ffExponent:
      return ExponentFormText(value, precision, std::min(digits, 4), fs);
    case TFloatFormat::ffFixed:
    case TFloatFormat::ffNumber:
    case TFloatFormat::ffCurrency: {
      Decimal d = ToDecimal(value, precision);
      if (d.exp > precision) return ExponentFormText(value, precision, 0, fs);
      RoundDigits(d, d.exp + digits);
      const char16_t group = format == TFloatFormat::ffFixed ? 0 : fs.ThousandSeparator;
      String s = IntegerPart(d, 1, group);
      if (digits > 0) {
        s += fs.DecimalSeparator;
        s += FractionPart(d, digits);
      }
      if (format == TFloatFormat::ffCurrency) return CurrencyText(s, d.negative, fs);
      return d.negative ? u"-" + s : s;
    }
  }
  return String();
}

String FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  return FloatToStrF(value, format, precision, digits, FormatSettings());
}

String FloatToStr(double value, const TFormatSettings& fs) {
  return FloatToStrF(value, TFloatFormat::ffGeneral, 15, 0, fs);
}

String FloatToStr(double value) { return FloatToStr(value, FormatSettings()); }

namespace {

struct Section {
  String prefix, suffix;
  int intZeros = 0;      // '0' placeholders before the point (least integer digits)
  int intPlaces = 0;     // all placeholders before the point
  int minDecimals = 0;   // up to the last '0' after the point
  int maxDecimals = 0;   // all placeholders after the point
  bool grouping = false;
  bool scientific = false;
  bool expAlwaysSign = false;
  int expDigits = 0;
  bool hasPlaceholders = false;
};

std::vector<String> SplitSections(std::u16string_view p) {
  std::vector<String> out(1);
  char16_t quote = 0;
  for (char16_t c : p) {
    if (quote) {
      if (c == quote) quote = 0;
      out.back().push_back(c);
    } else if (c == u'"' || c == u'\'') {
      quote = c;
      out.back().push_back(c);
    } else if (c == u';') {
      out.emplace_back();
    } else {
      out.back().push_back(c);
    }
  }
  return out;
}

Section ParseSection(const String& p) {
  Section s;
  bool afterPoint = false, inNumber = false, done = false;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char16_t c = p[i];
    if (c == u'"' || c == u'\'') {
      const std::size_t end = p.find(c, i + 1);
      const String lit = p.substr(i + 1, (end == String::npos ? p.size() : end) - i - 1);
      (inNumber || done ? s.suffix : s.prefix) += lit;
      if (inNumber) done = true;
      i = end == String::npos ? p.size() : end;
      continue;
    }
    if (!done && (c == u'0' || c == u'#' || c == u'.' || c == u',')) {
      inNumber = true;
      s.hasPlaceholders = s.hasPlaceholders || c == u'0' || c == u'#';
      if (c == u'.') {
        afterPoint = true;
      } else if (c == u',') {
        if (!afterPoint) s.grouping = true;
      } else if (!afterPoint) {
        ++s.intPlaces;
        if (c == u'0' || s.intZeros > 0) ++s.intZeros;
      } else {
        ++s.maxDecimals;
        if (c == u'0') s.minDecimals = s.maxDecimals;
      }
      continue;
    }
    if (inNumber && !done && (c == u'E' || c == u'e') && i + 1 < p.size() &&
        (p[i + 1] == u'+' || p[i + 1] == u'-')) {
      s.scientific = true;
      s.expAlwaysSign = p[i + 1] == u'+';
      i += 2;
      while (i < p.size() && p[i] == u'0') ++s.expDigits, ++i;
      --i;
      done = true;
      continue;
    }
    if (inNumber) done = true;
    (done ? s.suffix : s.prefix).push_back(c);
  }
  return s;
}

// Number text without sign; sets `zero` when every shown digit is zero.
String FormatSectionNumber(const Section& s, double v, const TFormatSettings& fs, bool& zero) {
  if (s.scientific) {
    Decimal d = ToDecimal(v, 15);
    const int intDigits = std::max(s.intPlaces, 1);
    RoundDigits(d, intDigits + s.maxDecimals);
    zero = d.digits.empty();
    const int e = zero ? 0 : d.exp - intDigits;
    String out;
    for (int i = 0; i < intDigits; ++i) out.push_back(static_cast<char16_t>(DigitAt(d, i)));
    String frac;
    for (int i = 0; i < s.maxDecimals; ++i) frac.push_back(static_cast<char16_t>(DigitAt(d, intDigits + i)));
    while (static_cast<int>(frac.size()) > s.minDecimals && frac.back() == u'0') frac.pop_back();
    if (!frac.empty()) out += fs.DecimalSeparator + frac;
    out += u'E';
    out += ExponentText(e, s.expAlwaysSign, s.expDigits);
    return out;
  }
  Decimal d = ToDecimal(v, 15);
  RoundDigits(d, d.exp + s.maxDecimals);
  zero = d.digits.empty();
  String out = IntegerPart(d, s.intZeros, s.grouping ? fs.ThousandSeparator : 0);
  String frac = FractionPart(d, s.maxDecimals);
  while (static_cast<int>(frac.size()) > s.minDecimals && frac.back() == u'0') frac.pop_back();
  if (!frac.empty()) out += fs.DecimalSeparator + frac;
  return out;
}

}  // namespace

String FormatFloat(std::u16string_view pattern, double value, const TFormatSettings& fs) {
  if (!std::isfinite(value)) return SpecialText(value);
  const std::vector<String> secs = SplitSections(pattern);
  const Section first = ParseSection(secs[0]);
  if (!first.hasPlaceholders && secs.size() == 1 && first.prefix.empty() && first.suffix.empty())
    return FloatToStr(value, fs);
  bool zero = false;
  const bool negative = value < 0;
  if (negative && secs.size() >= 2 && !secs[1].empty()) {
    const Section neg = ParseSection(secs[1]);
    const String n = FormatSectionNumber(neg, -value, fs, zero);
    if (!(zero && secs.size() >= 3 && !secs[2].empty())) return neg.prefix + n + neg.suffix;
  } else {
    const String n = FormatSectionNumber(first, std::fabs(value), fs, zero);
    if (!(zero && secs.size() >= 3 && !secs[2].empty()))
      return first.prefix + ((negative && !zero) ? u"-" : u"") + n + first.suffix;
  }
  const Section z = ParseSection(secs[2]);
  return z.prefix + FormatSectionNumber(z, 0.0, fs, zero) + z.suffix;
}

String FormatFloat(std::u16string_view pattern, double value) {
  return FormatFloat(pattern, value, FormatSettings());
}

std::int64_t Round(double value) {
  if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
    throw EInvalidOp(u"Invalid floating point operation");
  return static_cast<std::int64_t>(std::nearbyint(value));
}

std::int64_t Trunc(double value) {
  if (!(value > -9223372036854775809.0 && value < 9223372036854775808.0))
    throw EInvalidOp(u"Invalid floating point operation");
  return static_cast<std::int64_t>(value);
}

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  const std::int64_t p = static_cast<std::int64_t>(a) * b;
  std::int64_t q = p / c;
  const std::int64_t r = p % c;
  if (2 * (r < 0 ? -r : r) >= (c < 0 ? -static_cast<std::int64_t>(c) : c)) q += ((p < 0) != (c < 0)) ? -1 : 1;
  if (q > std::numeric_limits<std::int32_t>::max() || q < std::numeric_limits<std::int32_t>::min()) return -1;
  return static_cast<std::int32_t>(q);
}

String BoolToStr(bool value, bool useBoolStrs) {
  if (useBoolStrs) return value ? u"True" : u"False";
  return value ? u"-1" : u"0";
}

bool TryStrToBool(std::u16string_view s, bool& value) {
  const String t = Trim(s);
  if (SameText(t, u"True")) return value = true, true;
  if (SameText(t, u"False")) return value = false, true;
  double d;
  if (TryStrToFloat(t, d)) return value = d != 0, true;
  return false;
}

bool StrToBool(std::u16string_view s) {
  bool v;
  if (!TryStrToBool(s, v)) throw EConvertError(u"'%s' is not a valid boolean value", {s});
  return v;
}

}  // namespace rtl
