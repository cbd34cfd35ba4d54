#include "platform/runtime/variant.h"

#include <cmath>
#include <limits>

#include "platform/runtime/codepage.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/format.h"

namespace rtl {

namespace {

[[noreturn]] void InvalidOp() { throw EVariantError(u"Invalid variant operation"); }
[[noreturn]] void Overflow() { throw EVariantError(u"Variant overflow"); }
[[noreturn]] void BadIndex() { throw EVariantError(u"Variant or safe array index out of bounds"); }

bool IsIntegerKind(TVarType t) { return t == varSmallint || t == varInteger || t == varInt64; }

// Rounds half to even into 64 bits, or raises the overflow error.
std::int64_t RoundToInt64(double v) {
  if (!std::isfinite(v) || v >= 9223372036854775808.0 || v < -9223372036854775808.0) Overflow();
  return static_cast<std::int64_t>(std::nearbyint(v));
}

// The integer kind just wide enough for `v`.
Variant IntegerOfKind(std::int64_t v, TVarType atLeast) {
  if (atLeast == varSmallint && v >= INT16_MIN && v <= INT16_MAX) return Variant(static_cast<std::int16_t>(v));
  if (atLeast != varInt64 && v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int>(v));
  return Variant(v);
}

TVarType WiderInteger(TVarType a, TVarType b) {
  if (a == varInt64 || b == varInt64) return varInt64;
  if (a == varInteger || b == varInteger) return varInteger;
  return varSmallint;
}

// A number as arithmetic sees it: text read as a number, Empty as 0,
// Boolean as -1/0.
struct Num {
  TVarType kind;  // an integer kind, varCurrency, varDouble or varDate
  std::int64_t i = 0;
  double d = 0;
  Currency c;
};

Num ToNum(const Variant& v) {
  Num n{varInteger, 0, 0, {}};
  switch (v.VarType()) {
    case varEmpty: return n;
    case varBoolean: n.i = v.AsBoolean() ? -1 : 0; return n;
    case varSmallint:
    case varInteger:
    case varInt64:
      n.kind = v.VarType();
      n.i = v.AsInt64();
      return n;
    case varCurrency:
      n.kind = varCurrency;
      n.c = v.AsCurrency();
      return n;
    case varDouble:
    case varDate:
      n.kind = v.VarType();
      n.d = v.AsDouble();
      return n;
    case varString:
    case varOleStr:
    case varUString: {
      const String s = v.AsString();
      std::int64_t i;
      if (TryStrToInt64(s, i)) {
        n.kind = i >= INT32_MIN && i <= INT32_MAX ? varInteger : varInt64;
        n.i = i;
        return n;
      }
      n.kind = varDouble;
      n.d = v.AsDouble();  // raises the conversion error for non-numbers
      return n;
    }
    default: InvalidOp();
  }
}

double AsDoubleOf(const Num& n) {
  if (IsIntegerKind(n.kind)) return static_cast<double>(n.i);
  if (n.kind == varCurrency) return n.c.ToDouble();
  return n.d;
}

enum class Op { Add, Sub, Mul, Div };

Variant Arith(const Variant& a, const Variant& b, Op op) {
  if (a.IsArray() || b.IsArray()) InvalidOp();
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  if (op == Op::Add) {
    // Two texts (or text and Empty) join.
    const bool ta = a.IsText() || a.IsEmpty(), tb = b.IsText() || b.IsEmpty();
    if (ta && tb && (a.IsText() || b.IsText())) {
      if ((a.VarType() == varString || a.IsEmpty()) && (b.VarType() == varString || b.IsEmpty()))
        return Variant::FromAnsi(StringToAnsi(a.AsString() + b.AsString()));
      return Variant(a.AsString() + b.AsString());
    }
  }
  const Num x = ToNum(a), y = ToNum(b);
  if (op == Op::Div) {
    const double dy = AsDoubleOf(y);
    if (dy == 0) {
      if (AsDoubleOf(x) == 0) throw EInvalidOp(u"Invalid floating point operation");
      throw EZeroDivide(u"Floating point division by zero");
    }
    return Variant(AsDoubleOf(x) / dy);
  }
  const bool dateA = x.kind == varDate, dateB = y.kind == varDate;
  if (dateA || dateB || x.kind == varDouble || y.kind == varDouble) {
    const double dx = AsDoubleOf(x), dy = AsDoubleOf(y);
    double r = op == Op::Add ? dx + dy : op == Op::Sub ? dx - dy : dx * dy;
    // A date moved by a number stays a date; the distance of two dates is a number.
    const bool date = op != Op::Mul && (dateA != dateB) && (dateA || op == Op::Add);
    if (!std::isfinite(r)) Overflow();
    return date ? Variant::FromDate(r) : Variant(r);
  }
  if (x.kind == varCurrency || y.kind == varCurrency) {
    if (op == Op::Mul) {
      const long double r = static_cast<long double>(AsDoubleOf(x)) * AsDoubleOf(y);
      return Variant(Currency::FromDouble(static_cast<double>(r)));
    }
    const std::int64_t sx = x.kind == varCurrency ? x.c.Scaled : 0, sy = y.kind == varCurrency ? y.c.Scaled : 0;
    std::int64_t cx = sx, cy = sy;
    if (x.kind != varCurrency && __builtin_mul_overflow(x.i, std::int64_t{10000}, &cx)) Overflow();
    if (y.kind != varCurrency && __builtin_mul_overflow(y.i, std::int64_t{10000}, &cy)) Overflow();
    std::int64_t r;
    if (op == Op::Add ? __builtin_add_overflow(cx, cy, &r) : __builtin_sub_overflow(cx, cy, &r)) Overflow();
    return Variant(Currency{r});
  }
  std::int64_t r;
  bool over = op == Op::Add   ? __builtin_add_overflow(x.i, y.i, &r)
              : op == Op::Sub ? __builtin_sub_overflow(x.i, y.i, &r)
                              : __builtin_mul_overflow(x.i, y.i, &r);
  if (over) {
    const double dx = static_cast<double>(x.i), dy = static_cast<double>(y.i);
    return Variant(op == Op::Add ? dx + dy : op == Op::Sub ? dx - dy : dx * dy);
  }
  return IntegerOfKind(r, WiderInteger(x.kind, y.kind));
}

// Boolean or integer for the logical operators.
Variant Logical(const Variant& v) {
  if (v.VarType() == varBoolean) return v;
  if (v.IsText()) {
    std::int64_t i;
    if (!TryStrToInt64(v.AsString(), i)) return Variant(v.AsBoolean());
    return Variant(i);
  }
  const Num n = ToNum(v);
  if (IsIntegerKind(n.kind)) return IntegerOfKind(n.i, n.kind);
  return Variant(RoundToInt64(AsDoubleOf(n)));
}

Variant Bitwise(const Variant& a, const Variant& b, bool andOp) {
  if (a.IsArray() || b.IsArray()) InvalidOp();
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  const Variant x = Logical(a), y = Logical(b);
  if (x.VarType() == varBoolean && y.VarType() == varBoolean)
    return Variant(andOp ? (x.AsBoolean() && y.AsBoolean()) : (x.AsBoolean() || y.AsBoolean()));
  const std::int64_t r = andOp ? (x.AsInt64() & y.AsInt64()) : (x.AsInt64() | y.AsInt64());
  TVarType kind = varInteger;
  if (IsIntegerKind(x.VarType()) && IsIntegerKind(y.VarType())) kind = WiderInteger(x.VarType(), y.VarType());
  return IntegerOfKind(r, kind);
}

}  // namespace

// --- Currency ------------------------------------------------------------------

Currency Currency::FromDouble(double value) {
  return Currency{RoundToInt64(value * 10000.0)};
}

// --- construction ----------------------------------------------------------------

Variant Variant::FromAnsi(AnsiString v) { return Variant(varString, Storage(std::move(v))); }
Variant Variant::FromDate(TDateTime v) { return Variant(varDate, Storage(v)); }
Variant Variant::Null() { return Variant(varNull, Storage()); }

bool Variant::IsNumeric() const {
  return IsIntegerKind(type_) || type_ == varDouble || type_ == varCurrency;
}

void Variant::CastError(TVarType target) const {
  throw EVariantError(Format(u"Could not convert variant of type (%s) into type (%s)",
                             {VarTypeAsText(type_), VarTypeAsText(target)}));
}

// --- conversions ----------------------------------------------------------------

std::int64_t Variant::AsInt64() const {
  switch (type_) {
    case varEmpty: return 0;
    case varBoolean: return std::get<bool>(value_) ? -1 : 0;
    case varSmallint:
    case varInteger:
    case varInt64: return std::get<std::int64_t>(value_);
    case varDouble:
    case varDate: return RoundToInt64(std::get<double>(value_));
    case varCurrency: {
      const std::int64_t s = std::get<Currency>(value_).Scaled;
      std::int64_t q = s / 10000, r = s % 10000;
      // Half to even, as the runtime rounds.
      if (r > 5000 || (r == 5000 && (q & 1))) ++q;
      if (r < -5000 || (r == -5000 && (q & 1))) --q;
      return q;
    }
    case varString:
    case varOleStr:
    case varUString: {
      const String s = AsString();
      std::int64_t i;
      if (TryStrToInt64(s, i)) return i;
      double d;
      if (TryStrToFloat(s, d, FormatSettings())) return RoundToInt64(d);
      CastError(varInt64);
    }
    default: CastError(varInt64);
  }
}

std::int32_t Variant::AsInteger() const {
  if (type_ == varNull || IsArray()) CastError(varInteger);
  std::int64_t v;
  try {
    v = AsInt64();
  } catch (const EVariantError&) {
    if (IsText()) CastError(varInteger);
    throw;
  }
  if (v < INT32_MIN || v > INT32_MAX) Overflow();
  return static_cast<std::int32_t>(v);
}

double Variant::AsDouble() const { return AsDouble(FormatSettings()); }

double Variant::AsDouble(const TFormatSettings& fs) const {
  switch (type_) {
    case varEmpty: return 0;
    case varBoolean: return std::get<bool>(value_) ? -1 : 0;
    case varSmallint:
    case varInteger:
    case varInt64: return static_cast<double>(std::get<std::int64_t>(value_));
    case varDouble:
    case varDate: return std::get<double>(value_);
    case varCurrency: return std::get<Currency>(value_).ToDouble();
    case varString:
    case varOleStr:
    case varUString: {
      double d;
      if (TryStrToFloat(AsString(fs), d, fs)) return d;
      CastError(varDouble);
    }
    default: CastError(varDouble);
  }
}

Currency Variant::AsCurrency() const {
  if (type_ == varCurrency) return std::get<Currency>(value_);
  if (IsIntegerKind(type_)) {
    std::int64_t s;
    if (__builtin_mul_overflow(std::get<std::int64_t>(value_), std::int64_t{10000}, &s)) Overflow();
    return Currency{s};
  }
  if (type_ == varNull || IsArray()) CastError(varCurrency);
  try {
    return Currency::FromDouble(AsDouble());
  } catch (const EVariantError&) {
    if (IsText()) CastError(varCurrency);
    throw;
  }
}

bool Variant::AsBoolean() const {
  switch (type_) {
    case varEmpty: return false;
    case varBoolean: return std::get<bool>(value_);
    case varSmallint:
    case varInteger:
    case varInt64: return std::get<std::int64_t>(value_) != 0;
    case varDouble:
    case varDate: return std::get<double>(value_) != 0;
    case varCurrency: return std::get<Currency>(value_).Scaled != 0;
    case varString:
    case varOleStr:
    case varUString: {
      bool b;
      if (TryStrToBool(Trim(AsString()), b)) return b;
      double d;
      if (TryStrToFloat(AsString(), d, FormatSettings())) return d != 0;
      CastError(varBoolean);
    }
    default: CastError(varBoolean);
  }
}

TDateTime Variant::AsDateTime() const { return AsDateTime(FormatSettings()); }

TDateTime Variant::AsDateTime(const TFormatSettings& fs) const {
  if (IsText()) {
    const String s = AsString(fs);
    TDateTime dt;
    if (TryStrToDateTime(s, dt, fs)) return dt;
    double d;
    if (TryStrToFloat(s, d, fs)) return d;
    CastError(varDate);
  }
  if (type_ == varNull || IsArray()) CastError(varDate);
  return AsDouble(fs);
}

String Variant::AsString() const { return AsString(FormatSettings()); }

String Variant::AsString(const TFormatSettings& fs) const {
  switch (type_) {
    case varEmpty:
    case varNull: return String();
    case varBoolean: return std::get<bool>(value_) ? u"True" : u"False";
    case varSmallint:
    case varInteger:
    case varInt64: return IntToStr(std::get<std::int64_t>(value_));
    case varDouble: return FloatToStr(std::get<double>(value_), fs);
    case varDate: return FormatDateTime(u"c", std::get<double>(value_), fs);
    case varCurrency: return FloatToStr(std::get<Currency>(value_).ToDouble(), fs);
    case varOleStr:
    case varUString: return std::get<String>(value_);
    case varString: return AnsiToString(std::get<AnsiString>(value_));
    default: CastError(varUString);
  }
}

Variant Variant::AsType(TVarType type) const {
  if (type == type_) return *this;
  if (type == varEmpty) return Variant();
  if (type == varNull) return Null();
  if (type_ == varNull || IsArray() || (type & varArray)) CastError(type);
  switch (type) {
    case varBoolean: return Variant(AsBoolean());
    case varSmallint: {
      const std::int64_t v = AsInt64();
      if (v < INT16_MIN || v > INT16_MAX) Overflow();
      return Variant(static_cast<std::int16_t>(v));
    }
    case varInteger: return Variant(static_cast<int>(AsInteger()));
    case varInt64: return Variant(AsInt64());
    case varDouble: return Variant(AsDouble());
    case varCurrency: return Variant(AsCurrency());
    case varDate: return FromDate(AsDateTime());
    case varOleStr: return Variant(varOleStr, Storage(AsString()));
    case varUString: return Variant(AsString());
    case varString: return FromAnsi(StringToAnsi(AsString()));
    default: CastError(type);
  }
}

// --- arrays ---------------------------------------------------------------------

const Variant::ArrayData& Variant::ConstArray() const {
  if (!IsArray()) throw EVariantError(u"Variant is not an array");
  return *std::get<std::shared_ptr<ArrayData>>(value_);
}

Variant::ArrayData& Variant::MutableArray() {
  if (!IsArray()) throw EVariantError(u"Variant is not an array");
  auto& p = std::get<std::shared_ptr<ArrayData>>(value_);
  // Copies share the elements until one of them writes.
  if (p.use_count() > 1) p = std::make_shared<ArrayData>(*p);
  return *p;
}

int Variant::LowBound() const { return ConstArray().low; }
int Variant::HighBound() const {
  const auto& a = ConstArray();
  return a.low + static_cast<int>(a.items.size()) - 1;
}

const Variant& Variant::operator[](int index) const {
  const auto& a = ConstArray();
  const std::int64_t i = std::int64_t{index} - a.low;
  if (i < 0 || i >= static_cast<std::int64_t>(a.items.size())) BadIndex();
  return a.items[static_cast<std::size_t>(i)];
}

Variant& Variant::operator[](int index) {
  auto& a = MutableArray();
  const std::int64_t i = std::int64_t{index} - a.low;
  if (i < 0 || i >= static_cast<std::int64_t>(a.items.size())) BadIndex();
  return a.items[static_cast<std::size_t>(i)];
}

void Variant::RedimHigh(int highBound) {
  auto& a = MutableArray();
  const std::int64_t n = std::int64_t{highBound} - a.low + 1;
  if (n < 0) BadIndex();
  a.items.resize(static_cast<std::size_t>(n));
}

Variant VarArrayCreate(int low, int high) {
  if (std::int64_t{high} < std::int64_t{low} - 1) throw EVariantError(u"Variant or safe array index out of bounds");
  auto data = std::make_shared<Variant::ArrayData>();
  data->low = low;
  data->items.resize(static_cast<std::size_t>(std::int64_t{high} - low + 1));
  return Variant(varArray | varVariant, Variant::Storage(std::move(data)));
}

Variant VarArrayOf(std::initializer_list<Variant> values) {
  Variant a = VarArrayCreate(0, static_cast<int>(values.size()) - 1);
  int i = 0;
  for (const Variant& v : values) a[i++] = v;
  return a;
}

int VarArrayLowBound(const Variant& v) { return v.LowBound(); }
int VarArrayHighBound(const Variant& v) { return v.HighBound(); }
void VarArrayRedim(Variant& v, int highBound) { v.RedimHigh(highBound); }

// --- operators --------------------------------------------------------------------

Variant operator+(const Variant& a, const Variant& b) { return Arith(a, b, Op::Add); }
Variant operator-(const Variant& a, const Variant& b) { return Arith(a, b, Op::Sub); }
Variant operator*(const Variant& a, const Variant& b) { return Arith(a, b, Op::Mul); }
Variant operator/(const Variant& a, const Variant& b) { return Arith(a, b, Op::Div); }
Variant operator&(const Variant& a, const Variant& b) { return Bitwise(a, b, true); }
Variant operator|(const Variant& a, const Variant& b) { return Bitwise(a, b, false); }

Variant operator-(const Variant& a) {
  if (a.IsArray()) InvalidOp();
  if (a.IsNull()) return a;
  const Num n = ToNum(a);
  if (IsIntegerKind(n.kind)) {
    if (n.i == INT64_MIN) return Variant(-static_cast<double>(n.i));
    return IntegerOfKind(-n.i, n.kind == varSmallint && n.i == INT16_MIN ? varInteger : n.kind);
  }
  if (n.kind == varCurrency) {
    if (n.c.Scaled == INT64_MIN) Overflow();
    return Variant(Currency{-n.c.Scaled});
  }
  return n.kind == varDate ? Variant::FromDate(-n.d) : Variant(-n.d);
}

Variant operator!(const Variant& a) {
  if (a.IsArray()) InvalidOp();
  if (a.IsNull()) return a;
  const Variant x = Logical(a);
  if (x.VarType() == varBoolean) return Variant(!x.AsBoolean());
  return IntegerOfKind(~x.AsInt64(), IsIntegerKind(x.VarType()) ? x.VarType() : varInteger);
}

Variant Variant::IntDiv(const Variant& b) const {
  if (IsArray() || b.IsArray()) InvalidOp();
  if (IsNull() || b.IsNull()) return Null();
  const std::int64_t x = AsInt64(), y = b.AsInt64();
  if (y == 0) throw EDivByZero(u"Division by zero");
  if (x == INT64_MIN && y == -1) Overflow();
  return IntegerOfKind(x / y, varInteger);
}

Variant Variant::Mod(const Variant& b) const {
  if (IsArray() || b.IsArray()) InvalidOp();
  if (IsNull() || b.IsNull()) return Null();
  const std::int64_t x = AsInt64(), y = b.AsInt64();
  if (y == 0) throw EDivByZero(u"Division by zero");
  if (y == -1) return Variant(0);
  return IntegerOfKind(x % y, varInteger);
}

// --- comparison ------------------------------------------------------------------

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
  using R = TVariantRelationship;
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull() ? R::vrEqual : R::vrNotEqual;
  if (a.IsArray() || b.IsArray()) {
    if (!a.IsArray() || !b.IsArray() || a.LowBound() != b.LowBound() || a.HighBound() != b.HighBound())
      return R::vrNotEqual;
    for (int i = a.LowBound(); i <= a.HighBound(); ++i)
      if (VarCompareValue(a[i], b[i]) != R::vrEqual) return R::vrNotEqual;
    return R::vrEqual;
  }
  auto sign = [](auto x, auto y) { return x < y ? R::vrLessThan : y < x ? R::vrGreaterThan : R::vrEqual; };
  const bool ta = a.IsText() || a.IsEmpty(), tb = b.IsText() || b.IsEmpty();
  if (ta && tb) {
    const String x = a.AsString(), y = b.AsString();
    if (x == y) return R::vrEqual;
    const int c = AnsiCompareStr(x, y);
    if (c != 0) return c < 0 ? R::vrLessThan : R::vrGreaterThan;
    return sign(x, y);
  }
  if (a.VarType() == varBoolean && b.VarType() == varBoolean) return sign(a.AsBoolean(), b.AsBoolean());
  // A text meets a date: read it as a date.
  if ((a.VarType() == varDate && b.IsText()) || (b.VarType() == varDate && a.IsText()))
    return sign(a.AsDateTime(), b.AsDateTime());
  const Num x = ToNum(a), y = ToNum(b);
  if (IsIntegerKind(x.kind) && IsIntegerKind(y.kind)) return sign(x.i, y.i);
  if ((x.kind == varCurrency || IsIntegerKind(x.kind)) && (y.kind == varCurrency || IsIntegerKind(y.kind)))
    return sign(a.AsCurrency().Scaled, b.AsCurrency().Scaled);
  return sign(AsDoubleOf(x), AsDoubleOf(y));
}

bool operator==(const Variant& a, const Variant& b) {
  // A text that does not read as a number is simply not equal to a number.
  try {
    return VarCompareValue(a, b) == TVariantRelationship::vrEqual;
  } catch (const EVariantError&) {
    return false;
  } catch (const EConvertError&) {
    return false;
  }
}

bool operator<(const Variant& a, const Variant& b) {
  const TVariantRelationship r = VarCompareValue(a, b);
  if (r == TVariantRelationship::vrNotEqual) InvalidOp();
  return r == TVariantRelationship::vrLessThan;
}

// --- free functions ---------------------------------------------------------------

bool VarIsNull(const Variant& v) { return v.IsNull(); }
bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
bool VarIsClear(const Variant& v) { return v.IsEmpty() || v.IsNull(); }
bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsStr(const Variant& v) { return v.IsText(); }
bool VarIsNumeric(const Variant& v) { return v.IsNumeric(); }
TVarType VarType(const Variant& v) { return v.VarType(); }

String VarTypeAsText(TVarType type) {
  String base;
  switch (type & varTypeMask) {
    case varEmpty: base = u"Empty"; break;
    case varNull: base = u"Null"; break;
    case varSmallint: base = u"Smallint"; break;
    case varInteger: base = u"Integer"; break;
    case varDouble: base = u"Double"; break;
    case varCurrency: base = u"Currency"; break;
    case varDate: base = u"Date"; break;
    case varOleStr: base = u"OleStr"; break;
    case varBoolean: base = u"Boolean"; break;
    case varError: base = u"Error"; break;
    case varVariant: base = u"Variant"; break;
    case varInt64: base = u"Int64"; break;
    case varString: base = u"String"; break;
    case varUString: base = u"UnicodeString"; break;
    default: base = u"Unknown"; break;
  }
  return (type & varArray) ? u"Array " + base : base;
}

String VarToStr(const Variant& v) { return v.AsString(); }
String VarToStrDef(const Variant& v, const String& def) { return VarIsClear(v) ? def : v.AsString(); }
Variant VarAsType(const Variant& v, TVarType type) { return v.AsType(type); }
Variant VarToDateTime(const Variant& v) { return v.AsType(varDate); }
Variant VarFromDateTime(TDateTime dt) { return Variant::FromDate(dt); }

}  // namespace rtl
