// Variant: a value of one of the simple kinds the dataset, its filters,
// footers, import/export and the calculator pass around, plus Null and
// Unassigned (Empty) and one-dimensional arrays.
//
// Conversions to and from text follow the format settings (the program-wide
// ones unless a set is given). Arithmetic and comparison follow the classic
// variant rules: Null spreads through arithmetic, Empty acts as 0 or "",
// text meeting a number is read as a number, two texts join or compare as
// text (case-sensitive, locale order).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <variant>
#include <vector>

#include "platform/runtime/datetime.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"

namespace rtl {

// Kind codes, with the numbers stored files and callers compare.
using TVarType = std::uint16_t;
constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varError = 0x000A;    // an error code (a missing or failed value)
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varVariant = 0x000C;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varString = 0x0100;   // 8-bit text (system code page)
constexpr TVarType varUString = 0x0102;  // wide text
constexpr TVarType varTypeMask = 0x0FFF;
constexpr TVarType varArray = 0x2000;

// Fixed-point money: the value times 10000 in 64 bits.
struct Currency {
  std::int64_t Scaled = 0;
  static Currency FromDouble(double value);  // rounds half to even; EVariantError "Variant overflow" out of range
  double ToDouble() const { return static_cast<double>(Scaled) / 10000.0; }
  bool operator==(const Currency&) const = default;
};

// Result of an ordering comparison; Null against a value is not comparable.
enum class TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

class Variant {
 public:
  Variant() = default;  // Unassigned
  Variant(bool v) : type_(varBoolean), value_(v) {}
  Variant(std::int16_t v) : type_(varSmallint), value_(std::int64_t{v}) {}
  Variant(int v) : type_(varInteger), value_(std::int64_t{v}) {}
  Variant(std::int64_t v) : type_(varInt64), value_(v) {}
  Variant(double v) : type_(varDouble), value_(v) {}
  Variant(Currency v) : type_(varCurrency), value_(v) {}
  Variant(const char16_t* v) : type_(varUString), value_(String(v)) {}
  Variant(String v) : type_(varUString), value_(std::move(v)) {}
  Variant(std::u16string_view v) : type_(varUString), value_(String(v)) {}
  // 8-bit text in the system code page.
  static Variant FromAnsi(AnsiString v);
  static Variant FromDate(TDateTime v);
  static Variant Null();
  static Variant Unassigned() { return Variant(); }
  // An error value; it converts to nothing, so readers must test IsError.
  static Variant Error(std::int32_t Code) { return Variant(varError, Storage(std::int64_t{Code})); }

  TVarType VarType() const { return type_; }
  TVarType BaseType() const { return type_ & varTypeMask; }
  bool IsNull() const { return type_ == varNull; }
  bool IsEmpty() const { return type_ == varEmpty; }
  bool IsError() const { return type_ == varError; }
  // The code of an error value.
  std::int32_t ErrorCode() const { return IsError() ? static_cast<std::int32_t>(std::get<std::int64_t>(value_)) : 0; }
  bool IsArray() const { return (type_ & varArray) != 0; }
  bool IsText() const { return type_ == varString || type_ == varUString || type_ == varOleStr; }
  bool IsNumeric() const;  // integer, float or currency kinds

  // Conversions. Null (and arrays) raise EVariantError "Could not convert
  // variant of type (Null) into type (...)"; Empty gives 0, false or "";
  // text that does not read as the target kind raises the same error.
  std::int32_t AsInteger() const;
  std::int64_t AsInt64() const;
  double AsDouble() const;
  double AsDouble(const TFormatSettings& fs) const;
  Currency AsCurrency() const;
  bool AsBoolean() const;
  TDateTime AsDateTime() const;
  TDateTime AsDateTime(const TFormatSettings& fs) const;
  // Null and Empty give "" here (use VarToStrDef for another text).
  String AsString() const;
  String AsString(const TFormatSettings& fs) const;
  // The same value as another kind (VarAsType).
  Variant AsType(TVarType type) const;

  // Arrays: bounds inclusive; index errors raise EVariantError
  // "Variant or safe array index out of bounds".
  int LowBound() const;
  int HighBound() const;
  const Variant& operator[](int index) const;
  Variant& operator[](int index);
  void RedimHigh(int highBound);  // keeps the elements that remain

  // Operators: Null in, Null out; unsupported pairs raise EVariantError
  // "Invalid variant operation"; text that does not read as a number next
  // to a number raises the conversion error.
  friend Variant operator+(const Variant& a, const Variant& b);
  friend Variant operator-(const Variant& a, const Variant& b);
  friend Variant operator*(const Variant& a, const Variant& b);
  friend Variant operator/(const Variant& a, const Variant& b);
  friend Variant operator-(const Variant& a);
  // Logical for Booleans, bitwise for integers.
  friend Variant operator&(const Variant& a, const Variant& b);
  friend Variant operator|(const Variant& a, const Variant& b);
  friend Variant operator!(const Variant& a);
  Variant IntDiv(const Variant& b) const;
  Variant Mod(const Variant& b) const;

  // Equality as the dataset compares keys: Null equals only Null; otherwise
  // VarCompareValue, where a text that is no number never equals a number.
  friend bool operator==(const Variant& a, const Variant& b);
  friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }
  // Ordering; raises EVariantError "Invalid variant operation" for pairs that
  // do not compare (Null against a value).
  friend bool operator<(const Variant& a, const Variant& b);
  friend bool operator>(const Variant& a, const Variant& b) { return b < a; }
  friend bool operator<=(const Variant& a, const Variant& b) { return !(b < a); }
  friend bool operator>=(const Variant& a, const Variant& b) { return !(a < b); }

 private:
  friend Variant VarArrayCreate(int low, int high);
  using Array = std::vector<Variant>;
  struct ArrayData {
    int low = 0;
    Array items;
  };
  using Storage = std::variant<std::monostate, bool, std::int64_t, double, Currency, String, AnsiString,
                               std::shared_ptr<ArrayData>>;
  Variant(TVarType t, Storage v) : type_(t), value_(std::move(v)) {}
  ArrayData& MutableArray();
  const ArrayData& ConstArray() const;
  [[noreturn]] void CastError(TVarType target) const;

  TVarType type_ = varEmpty;
  Storage value_;
};

// Comparison answering "not comparable" (vrNotEqual) for Null against a
// value; Null equals Null. Texts compare case-sensitively in locale order;
// a text against a number is read as a number (EVariantError when it is not
// one), against a date as a date. Arrays are equal or not, element by element.
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);

bool VarIsNull(const Variant& v);
bool VarIsEmpty(const Variant& v);
// Empty or Null.
bool VarIsClear(const Variant& v);
bool VarIsArray(const Variant& v);
bool VarIsStr(const Variant& v);
bool VarIsNumeric(const Variant& v);
TVarType VarType(const Variant& v);
String VarTypeAsText(TVarType type);
// "" for Null and Empty.
String VarToStr(const Variant& v);
String VarToStrDef(const Variant& v, const String& def);
Variant VarAsType(const Variant& v, TVarType type);
Variant VarToDateTime(const Variant& v);
Variant VarFromDateTime(TDateTime dt);

// One-dimensional arrays of variants.
Variant VarArrayCreate(int low, int high);
Variant VarArrayOf(std::initializer_list<Variant> values);
int VarArrayLowBound(const Variant& v);
int VarArrayHighBound(const Variant& v);
void VarArrayRedim(Variant& v, int highBound);

inline Variant Null() { return Variant::Null(); }
inline Variant Unassigned() { return Variant(); }

}  // namespace rtl
