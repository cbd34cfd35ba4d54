// Stand-in for the runtime's Variant implementation while it is written
// elsewhere: covers construction, conversion, arithmetic, equality and arrays, which is
// what the dataset framework and the expression parser use. CMake drops this file as soon as
// platform/runtime/variant.cpp exists.
#include <cmath>

#include "codepage.h"
#include "convert.h"
#include "variant.h"

namespace rtl {

const Variant Null = Variant::Null();
const Variant Unassigned;

Currency Currency::FromDouble(double value) {
  double scaled = std::nearbyint(value * 10000.0);
  if (!(std::fabs(scaled) < 9.2e18)) throw EVariantError(u"Variant overflow");
  return Currency{static_cast<std::int64_t>(scaled)};
}

Variant Variant::FromAnsi(AnsiString v) { return Variant(varString, std::move(v)); }
Variant Variant::FromDate(TDateTime v) { return Variant(varDate, v); }
Variant Variant::Null() { return Variant(varNull, std::monostate{}); }

bool Variant::IsNumeric() const {
  switch (type_) {
    case varSmallint: case varInteger: case varInt64: case varDouble: case varCurrency: return true;
    default: return false;
  }
}

void Variant::CastError(TVarType target) const {
  throw EVariantError(u"Could not convert variant of type (" + VarTypeAsText(type_) + u") into type (" +
                      VarTypeAsText(target) + u")");
}

double Variant::AsDouble() const {
  switch (type_) {
    case varEmpty: return 0;
    case varBoolean: return std::get<bool>(value_) ? -1 : 0;
    case varSmallint: case varInteger: case varInt64: return static_cast<double>(std::get<std::int64_t>(value_));
    case varDouble: case varDate: return std::get<double>(value_);
    case varCurrency: return std::get<Currency>(value_).ToDouble();
    case varUString: case varOleStr: case varString: {
      double d;
      if (TryStrToFloat(AsString(), d)) return d;
      break;
    }
    default: break;
  }
  CastError(varDouble);
}

double Variant::AsDouble(const TFormatSettings&) const { return AsDouble(); }

std::int64_t Variant::AsInt64() const {
  switch (type_) {
    case varSmallint: case varInteger: case varInt64: return std::get<std::int64_t>(value_);
    case varUString: case varOleStr: case varString: {
      std::int64_t v;
      if (TryStrToInt64(AsString(), v)) return v;
      break;
    }
    default: return static_cast<std::int64_t>(std::nearbyint(AsDouble()));
  }
  CastError(varInt64);
}

std::int32_t Variant::AsInteger() const { return static_cast<std::int32_t>(AsInt64()); }

bool Variant::AsBoolean() const {
  if (type_ == varBoolean) return std::get<bool>(value_);
  if (IsText()) {
    String s = AsString();
    if (SameText(s, u"True")) return true;
    if (SameText(s, u"False")) return false;
  }
  return AsDouble() != 0;
}

TDateTime Variant::AsDateTime() const { return AsDouble(); }
TDateTime Variant::AsDateTime(const TFormatSettings&) const { return AsDouble(); }
Currency Variant::AsCurrency() const { return type_ == varCurrency ? std::get<Currency>(value_) : Currency::FromDouble(AsDouble()); }

String Variant::AsString() const {
  switch (type_) {
    case varEmpty: case varNull: return {};
    case varBoolean: return std::get<bool>(value_) ? u"True" : u"False";
    case varSmallint: case varInteger: case varInt64: return IntToStr(std::get<std::int64_t>(value_));
    case varDouble: return FloatToStr(std::get<double>(value_));
    case varDate: return FloatToStr(std::get<double>(value_));
    case varCurrency: return FloatToStr(std::get<Currency>(value_).ToDouble());
    case varUString: case varOleStr: return std::get<String>(value_);
    case varString: return AnsiToString(std::get<AnsiString>(value_));
    default: CastError(varUString);
  }
}

String Variant::AsString(const TFormatSettings&) const { return AsString(); }

Variant::ArrayData& Variant::MutableArray() {
  if (!IsArray()) throw EVariantError(u"Variant is not an array");
  auto& p = std::get<std::shared_ptr<ArrayData>>(value_);
  if (p.use_count() > 1) p = std::make_shared<ArrayData>(*p);
  return *p;
}

const Variant::ArrayData& Variant::ConstArray() const {
  if (!IsArray()) throw EVariantError(u"Variant is not an array");
  return *std::get<std::shared_ptr<ArrayData>>(value_);
}

int Variant::LowBound() const { return ConstArray().low; }
int Variant::HighBound() const { return ConstArray().low + static_cast<int>(ConstArray().items.size()) - 1; }

const Variant& Variant::operator[](int index) const {
  const ArrayData& a = ConstArray();
  if (index < a.low || index - a.low >= static_cast<int>(a.items.size()))
    throw EVariantError(u"Variant or safe array index out of bounds");
  return a.items[static_cast<std::size_t>(index - a.low)];
}

Variant& Variant::operator[](int index) {
  ArrayData& a = MutableArray();
  if (index < a.low || index - a.low >= static_cast<int>(a.items.size()))
    throw EVariantError(u"Variant or safe array index out of bounds");
  return a.items[static_cast<std::size_t>(index - a.low)];
}

Variant VarArrayCreate(int low, int high) {
  auto data = std::make_shared<Variant::ArrayData>();
  data->low = low;
  data->items.resize(static_cast<std::size_t>(std::max(0, high - low + 1)));
  return Variant(varArray | varVariant, data);
}

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull() ? TVariantRelationship::vrEqual : TVariantRelationship::vrNotEqual;
  if (a.IsText() && b.IsText()) {
    int c = a.AsString().compare(b.AsString());
    return c == 0 ? TVariantRelationship::vrEqual : c < 0 ? TVariantRelationship::vrLessThan : TVariantRelationship::vrGreaterThan;
  }
  if (a.IsArray() || b.IsArray()) {
    if (!(a.IsArray() && b.IsArray()) || a.LowBound() != b.LowBound() || a.HighBound() != b.HighBound())
      return TVariantRelationship::vrNotEqual;
    for (int i = a.LowBound(); i <= a.HighBound(); ++i)
      if (!(a[i] == b[i])) return TVariantRelationship::vrNotEqual;
    return TVariantRelationship::vrEqual;
  }
  if (a.BaseType() == varInt64 || b.BaseType() == varInt64) {
    if (!a.IsText() && !b.IsText() && a.BaseType() != varDouble && b.BaseType() != varDouble) {
      std::int64_t x = a.AsInt64(), y = b.AsInt64();
      return x == y ? TVariantRelationship::vrEqual : x < y ? TVariantRelationship::vrLessThan : TVariantRelationship::vrGreaterThan;
    }
  }
  double x = a.AsDouble(), y = b.AsDouble();
  return x == y ? TVariantRelationship::vrEqual : x < y ? TVariantRelationship::vrLessThan : TVariantRelationship::vrGreaterThan;
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
  try {
    return VarCompareValue(a, b) == TVariantRelationship::vrEqual;
  } catch (const EVariantError&) {
    return false;
  }
}


namespace {

bool IsIntKind(const Variant& v) {
  TVarType t = v.VarType();
  return t == varSmallint || t == varInteger || t == varInt64 || t == varEmpty;
}

bool IsBoolKind(const Variant& v) { return v.VarType() == varBoolean; }

Variant IntResult(std::int64_t v) {
  if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int>(v));
  return Variant(v);
}

// Text meeting a number is read as one: an integer when it is one.
bool TextIsInt(const Variant& v) {
  std::int64_t x;
  return v.IsText() && TryStrToInt64(v.AsString(), x);
}

template <class IntOp, class FloatOp>
Variant Arith(const Variant& a, const Variant& b, IntOp iop, FloatOp fop) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  if (a.IsArray() || b.IsArray()) throw EVariantError(u"Invalid variant operation");
  bool ai = IsIntKind(a) || IsBoolKind(a) || TextIsInt(a);
  bool bi = IsIntKind(b) || IsBoolKind(b) || TextIsInt(b);
  if (ai && bi) {
    std::int64_t r;
    if (iop(a.AsInt64(), b.AsInt64(), r)) return IntResult(r);
  }
  return Variant(fop(a.AsDouble(), b.AsDouble()));
}

}  // namespace

Variant operator+(const Variant& a, const Variant& b) {
  if (a.IsText() && b.IsText()) return Variant(a.AsString() + b.AsString());
  return Arith(a, b, [](std::int64_t x, std::int64_t y, std::int64_t& r) { return !__builtin_add_overflow(x, y, &r); },
               [](double x, double y) { return x + y; });
}

Variant operator-(const Variant& a, const Variant& b) {
  return Arith(a, b, [](std::int64_t x, std::int64_t y, std::int64_t& r) { return !__builtin_sub_overflow(x, y, &r); },
               [](double x, double y) { return x - y; });
}

Variant operator*(const Variant& a, const Variant& b) {
  return Arith(a, b, [](std::int64_t x, std::int64_t y, std::int64_t& r) { return !__builtin_mul_overflow(x, y, &r); },
               [](double x, double y) { return x * y; });
}

Variant operator/(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  double d = b.AsDouble();
  if (d == 0) throw EZeroDivide(u"Floating point division by zero");
  return Variant(a.AsDouble() / d);
}

Variant operator-(const Variant& a) {
  if (a.IsNull()) return a;
  if (IsIntKind(a) && a.AsInt64() != INT64_MIN) return IntResult(-a.AsInt64());
  return Variant(-a.AsDouble());
}

Variant operator&(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  if (IsBoolKind(a) || IsBoolKind(b)) return Variant(a.AsBoolean() && b.AsBoolean());
  return IntResult(a.AsInt64() & b.AsInt64());
}

Variant operator|(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  if (IsBoolKind(a) || IsBoolKind(b)) return Variant(a.AsBoolean() || b.AsBoolean());
  return IntResult(a.AsInt64() | b.AsInt64());
}

Variant operator!(const Variant& a) {
  if (a.IsNull()) return a;
  if (IsBoolKind(a)) return Variant(!a.AsBoolean());
  return IntResult(~a.AsInt64());
}

bool VarIsNull(const Variant& v) { return v.IsNull(); }
bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
bool VarIsClear(const Variant& v) { return v.IsNull() || v.IsEmpty(); }
bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsStr(const Variant& v) { return v.IsText(); }
TVarType VarType(const Variant& v) { return v.VarType(); }
String VarToStr(const Variant& v) { return v.AsString(); }

String VarTypeAsText(TVarType type) {
  switch (type & varTypeMask) {
    case varEmpty: return u"Empty";
    case varNull: return u"Null";
    case varSmallint: return u"Smallint";
    case varInteger: return u"Integer";
    case varDouble: return u"Double";
    case varCurrency: return u"Currency";
    case varDate: return u"Date";
    case varOleStr: return u"OleStr";
    case varBoolean: return u"Boolean";
    case varVariant: return u"Variant";
    case varInt64: return u"Int64";
    case varString: return u"String";
    case varUString: return u"UnicodeString";
    default: return u"Unknown";
  }
}

}  // namespace rtl
