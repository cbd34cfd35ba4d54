#include "platform/data/fields.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/runtime/codepage.h"
#include "platform/runtime/convert.h"
#include "platform/data/dataset.h"
#include "platform/runtime/format.h"
#include "platform/classes/scoped_change.h"

namespace db {

namespace {
// Days from 0001-01-01 (day 1) to 1899-12-30, the TDateTime epoch.
constexpr std::int32_t DateDelta = 693594;
constexpr std::int32_t MSecsPerDay = 86400000;
}  // namespace

// ---------------------------------------------------------------- definitions

TFieldDef::TFieldDef(TFieldDefs* Owner, const String& Name, TFieldType DataType, int Size, bool Required)
    : owner_(Owner), name_(Name), dataType_(DataType), size_(Size) {
  if (Required) attributes_ |= faRequired;
}

TFieldDef::~TFieldDef() = default;

TFieldDefs& TFieldDef::ChildDefs() {
  if (!childDefs_) childDefs_ = std::make_unique<TFieldDefs>(owner_ ? owner_->DataSet() : nullptr, this);
  return *childDefs_;
}

bool TFieldDef::IsEmptyChildDefs() const { return !childDefs_ || childDefs_->Count() == 0; }

void TFieldDef::Assign(const TFieldDef& Source) {
  name_ = Source.name_;
  dataType_ = Source.dataType_;
  size_ = Source.size_;
  precision_ = Source.precision_;
  attributes_ = Source.attributes_;
  if (Source.childDefs_) ChildDefs().Assign(*Source.childDefs_);
  else if (childDefs_) childDefs_->Clear();
}

TField* TFieldDef::CreateField(ui::TComponent* AOwner) {
  TField* f = CreateFieldForType(AOwner, dataType_, size_);
  if (!f) return nullptr;
  f->SetFieldName(name_);
  f->SetRequired(Required());
  f->SetReadOnly((attributes_ & faReadonly) != 0);
  if (attributes_ & faHiddenCol) f->SetVisible(false);
  if (auto* ff = dynamic_cast<TFloatField*>(f); ff && precision_ > 0) ff->SetPrecision(precision_);
  TDataSet* ds = owner_ ? owner_->DataSet() : nullptr;
  if (ds) f->SetDataSet(ds);
  return f;
}

TFieldDef* TFieldDefs::Add(const String& Name, TFieldType DataType, int Size, bool Required) {
  if (Name.empty()) DatabaseError(u"Field name missing");
  if (IndexOf(Name) >= 0) DatabaseErrorFmt(u"Duplicate field name '%s'", Name);
  items_.push_back(std::make_unique<TFieldDef>(this, Name, DataType, Size, Required));
  items_.back()->SetFieldNo(Count());
  return items_.back().get();
}

TFieldDef* TFieldDefs::AddFieldDef() {
  items_.push_back(std::make_unique<TFieldDef>(this, String(), ftUnknown, 0, false));
  items_.back()->SetFieldNo(Count());
  return items_.back().get();
}

void TFieldDefs::Delete(int Index) {
  items_.erase(items_.begin() + Index);
  for (int i = Index; i < Count(); ++i) items_[static_cast<std::size_t>(i)]->SetFieldNo(i + 1);
}

int TFieldDefs::IndexOf(const String& Name) const {
  for (int i = 0; i < Count(); ++i)
    if (rtl::AnsiSameText(items_[static_cast<std::size_t>(i)]->Name(), Name)) return i;
  return -1;
}

TFieldDef* TFieldDefs::Find(const String& Name) const {
  int i = IndexOf(Name);
  if (i < 0) DatabaseErrorFmt(u"Field '%s' not found", Name);
  return Items(i);
}

void TFieldDefs::Assign(const TFieldDefs& Source) {
  if (&Source == this) return;
  Clear();
  for (int i = 0; i < Source.Count(); ++i) {
    TFieldDef* d = AddFieldDef();
    d->Assign(*Source[i]);
  }
}

void TFieldDefs::Update() {
  if (dataSet_) dataSet_->PrepareFieldDefs();
}

// ---------------------------------------------------------------- TField

TField::TField(ui::TComponent* AOwner, TFieldType DataType, int Size)
    : ui::TComponent(AOwner), dataType_(DataType), size_(Size) {
  if (DataType == ftCurrency || DataType == ftFloat || DataType == ftSmallint || DataType == ftInteger ||
      DataType == ftWord || DataType == ftAutoInc || DataType == ftLargeint)
    alignment_ = taRightJustify;
}

TField::~TField() {
  if (dataSet_) dataSet_->RemoveField(this);
}

void TField::SetDataSet(TDataSet* Value) {
  if (Value == dataSet_) return;
  if (Value && Value->Active()) DatabaseError(u"Cannot perform this operation on an open dataset");
  if (dataSet_) dataSet_->RemoveField(this);
  if (Value) {
    Value->AddField(this);
    Value->FreeNotification(this);
  }
}

void TField::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  ui::TComponent::Notification(AComponent, Operation);
  if (Operation != ui::opRemove) return;
  if (AComponent == dataSet_) dataSet_ = nullptr;
  if (AComponent == lookupDataSet_) lookupDataSet_ = nullptr;
}

void TField::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  if (dataSet_) dataSet_->DataEvent(deLayoutChange, 0);
}

int TField::Index() const {
  if (!dataSet_) return -1;
  for (int i = 0; i < dataSet_->FieldCount(); ++i)
    if (dataSet_->Fields(i) == this) return i;
  return -1;
}

void TField::SetIndex(int Value) {
  if (dataSet_) dataSet_->MoveField(this, Value);
}

int TField::DataSize() const { return 0; }

bool TField::GetData(void* Buffer) const {
  if (!dataSet_) DatabaseErrorFmt(u"Field '%s' has no dataset", DisplayName());
  if (hasValidating_) {
    // OnValidate looks at the value about to be written.
    if (!validating_) return false;
    if (Buffer) {
      if (dataType_ == ftVariant) *static_cast<Variant*>(Buffer) = *static_cast<const Variant*>(validating_);
      else std::memcpy(Buffer, validating_, static_cast<std::size_t>(DataSize()));
    }
    return true;
  }
  return dataSet_->GetFieldData(const_cast<TField*>(this), Buffer);
}

void TField::SetData(const void* Buffer) {
  if (!dataSet_) DatabaseErrorFmt(u"Field '%s' has no dataset", DisplayName());
  dataSet_->PutFieldData(this, Buffer);
}

void TField::Validate(const void* Buffer) {
  if (!OnValidate) return;
  // A handler that sets the field again validates the new value; on return
  // this level reads its own value, not the inner one's gone buffer.
  ui::TScopedValue buffer(validating_, Buffer);
  ui::TScopedValue validating(hasValidating_, true);
  OnValidate(this);
}

void TField::FocusControl() {
  if (!dataSet_) return;
  TField* f = this;
  dataSet_->DataEvent(deFocusControl, reinterpret_cast<std::intptr_t>(&f));
}

bool TField::CanModify() const {
  if (readOnly_ || !dataSet_) return false;
  if (fieldKind_ != fkData && fieldKind_ != fkInternalCalc) return false;
  return dataSet_->CanModify();
}

bool TField::IsValidChar(char16_t c) const { return c >= 0x20 || c == u'\t'; }

bool TIntegerField::IsValidChar(char16_t c) const { return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-'; }

bool TFloatField::IsValidChar(char16_t c) const {
  return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == rtl::FormatSettings().DecimalSeparator ||
         c == u'E' || c == u'e';
}

bool TBCDField::IsValidChar(char16_t c) const {
  return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == rtl::FormatSettings().DecimalSeparator;
}

bool TField::IsNull() const {
  if (IsBlob()) return static_cast<const TBlobField*>(this)->IsBlobNull();
  return !GetData(nullptr);
}

Variant TField::Value() const {
  if (IsNull()) return Variant::Null();
  return GetAsVariant();
}

void TField::SetValue(const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) {
    Clear();
    return;
  }
  SetVarValue(v);
}

Variant TField::GetAsVariant() const { AccessError(u"Variant"); }
void TField::SetVarValue(const Variant& v) { SetAsString(v.AsString()); }

void TField::AccessError(const char16_t* TypeName) const {
  throw EDatabaseError(rtl::Format(u"Cannot access field '%s' as type %s", {DisplayName(), TypeName}));
}

void TField::RangeError(double Value, double Min, double Max) const {
  throw rtl::ERangeError(rtl::Format(u"%g is not a valid value for field '%s'. The allowed range is %g to %g",
                                     {Value, DisplayName(), Min, Max}));
}

String TField::AsString() const { AccessError(u"String"); }
void TField::SetAsString(const String&) { AccessError(u"String"); }
std::int32_t TField::AsInteger() const { AccessError(u"Integer"); }
void TField::SetAsInteger(std::int32_t) { AccessError(u"Integer"); }
std::int64_t TField::AsLargeInt() const { return AsInteger(); }
void TField::SetAsLargeInt(std::int64_t v) {
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    RangeError(static_cast<double>(v), std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
  SetAsInteger(static_cast<std::int32_t>(v));
}
double TField::AsFloat() const { AccessError(u"Float"); }
void TField::SetAsFloat(double) { AccessError(u"Float"); }
bool TField::AsBoolean() const { AccessError(u"Boolean"); }
void TField::SetAsBoolean(bool) { AccessError(u"Boolean"); }
rtl::TDateTime TField::AsDateTime() const { AccessError(u"DateTime"); }
void TField::SetAsDateTime(rtl::TDateTime) { AccessError(u"DateTime"); }

String TField::Text() const {
  String s;
  if (OnGetText) OnGetText(const_cast<TField*>(this), s, false);
  else s = GetDisplayText(false);
  return s;
}

void TField::SetText(const String& v) {
  if (OnSetText) OnSetText(this, v);
  else SetAsString(v);
}

String TField::DisplayText() const {
  String s;
  if (OnGetText) OnGetText(const_cast<TField*>(this), s, true);
  else s = GetDisplayText(true);
  return s;
}

// ---------------------------------------------------------------- strings

rtl::AnsiString TStringField::AsAnsiString() const {
  std::string buf(static_cast<std::size_t>(DataSize()), '\0');
  if (!GetData(buf.data())) return {};
  buf.resize(std::strlen(buf.c_str()));
  return buf;
}

void TStringField::SetAsAnsiString(const rtl::AnsiString& v) {
  std::string buf(static_cast<std::size_t>(DataSize()), '\0');
  // Longer text is cut to the field's size; the terminating zero stays.
  std::memcpy(buf.data(), v.data(), std::min(v.size(), static_cast<std::size_t>(Size())));
  SetData(buf.data());
}

String TStringField::AsString() const { return rtl::AnsiToString(AsAnsiString()); }
void TStringField::SetAsString(const String& v) { SetAsAnsiString(rtl::StringToAnsi(v)); }
Variant TStringField::GetAsVariant() const { return Variant(AsString()); }

std::int32_t TStringField::AsInteger() const { return rtl::StrToInt(rtl::Trim(AsString())); }
std::int64_t TStringField::AsLargeInt() const { return rtl::StrToInt64(rtl::Trim(AsString())); }
double TStringField::AsFloat() const { return rtl::StrToFloat(rtl::Trim(AsString())); }
void TStringField::SetAsFloat(double v) { SetAsString(rtl::FloatToStr(v)); }
bool TStringField::AsBoolean() const {
  String s = rtl::Trim(AsString());
  return !s.empty() && (s[0] == u'T' || s[0] == u't' || s[0] == u'Y' || s[0] == u'y');
}

String TWideStringField::AsString() const {
  std::u16string buf(static_cast<std::size_t>(Size()) + 1, u'\0');
  if (!GetData(buf.data())) return {};
  buf.resize(std::char_traits<char16_t>::length(buf.c_str()));
  return buf;
}

void TWideStringField::SetAsString(const String& v) {
  std::u16string buf(static_cast<std::size_t>(Size()) + 1, u'\0');
  std::copy_n(v.begin(), std::min(v.size(), static_cast<std::size_t>(Size())), buf.begin());
  SetData(buf.data());
}

Variant TWideStringField::GetAsVariant() const { return Variant(AsString()); }

// ---------------------------------------------------------------- integers

TIntegerField::TIntegerField(ui::TComponent* AOwner, TFieldType DataType) : TField(AOwner, DataType) {}

int TIntegerField::DataSize() const {
  switch (DataType()) {
    case ftSmallint: case ftWord: return 2;
    case ftLargeint: return 8;
    default: return 4;
  }
}

std::int64_t TIntegerField::AsLargeInt() const {
  std::uint8_t buf[8] = {};
  if (!GetData(buf)) return 0;
  switch (DataType()) {
    case ftSmallint: { std::int16_t v; std::memcpy(&v, buf, 2); return v; }
    case ftWord: { std::uint16_t v; std::memcpy(&v, buf, 2); return v; }
    case ftLargeint: { std::int64_t v; std::memcpy(&v, buf, 8); return v; }
    default: { std::int32_t v; std::memcpy(&v, buf, 4); return v; }
  }
}

std::int32_t TIntegerField::AsInteger() const {
  std::int64_t v = AsLargeInt();
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    RangeError(static_cast<double>(v), std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(v);
}

void TIntegerField::SetAsLargeInt(std::int64_t v) {
  std::int64_t lo, hi;
  switch (DataType()) {
    case ftSmallint: lo = INT16_MIN; hi = INT16_MAX; break;
    case ftWord: lo = 0; hi = UINT16_MAX; break;
    case ftLargeint: lo = INT64_MIN; hi = INT64_MAX; break;
    default: lo = INT32_MIN; hi = INT32_MAX; break;
  }
  if (minValue_ != 0 || maxValue_ != 0) { lo = std::max(lo, minValue_); hi = std::min(hi, maxValue_); }
  if (v < lo || v > hi) RangeError(static_cast<double>(v), static_cast<double>(lo), static_cast<double>(hi));
  std::uint8_t buf[8] = {};
  switch (DataType()) {
    case ftSmallint: { auto x = static_cast<std::int16_t>(v); std::memcpy(buf, &x, 2); break; }
    case ftWord: { auto x = static_cast<std::uint16_t>(v); std::memcpy(buf, &x, 2); break; }
    case ftLargeint: std::memcpy(buf, &v, 8); break;
    default: { auto x = static_cast<std::int32_t>(v); std::memcpy(buf, &x, 4); break; }
  }
  SetData(buf);
}

void TIntegerField::SetAsFloat(double v) {
  if (!std::isfinite(v)) RangeError(v, static_cast<double>(INT64_MIN), static_cast<double>(INT64_MAX));
  SetAsLargeInt(static_cast<std::int64_t>(std::llround(v)));
}

String TIntegerField::AsString() const { return IsNull() ? String() : rtl::IntToStr(AsLargeInt()); }

void TIntegerField::SetAsString(const String& v) {
  String t = rtl::Trim(v);
  if (t.empty()) Clear();
  else SetAsLargeInt(rtl::StrToInt64(t));
}

Variant TIntegerField::GetAsVariant() const {
  std::int64_t v = AsLargeInt();
  if (DataType() == ftLargeint) return Variant(v);
  if (DataType() == ftSmallint) return Variant(static_cast<std::int16_t>(v));
  return Variant(static_cast<int>(v));
}

// ---------------------------------------------------------------- Boolean

bool TBooleanField::AsBoolean() const {
  std::int16_t v = 0;
  return GetData(&v) && v != 0;
}

void TBooleanField::SetAsBoolean(bool v) {
  std::int16_t x = v ? 1 : 0;
  SetData(&x);
}

String TBooleanField::AsString() const { return IsNull() ? String() : (AsBoolean() ? u"True" : u"False"); }

void TBooleanField::SetAsString(const String& v) {
  String t = rtl::Trim(v);
  if (t.empty()) { Clear(); return; }
  if (rtl::SameText(t, u"True") || rtl::SameText(t, u"T") || rtl::SameText(t, u"Yes") || t == u"1") SetAsBoolean(true);
  else if (rtl::SameText(t, u"False") || rtl::SameText(t, u"F") || rtl::SameText(t, u"No") || t == u"0") SetAsBoolean(false);
  else throw EDatabaseError(rtl::Format(u"'%s' is not a valid boolean value for field '%s'", {t, DisplayName()}));
}

Variant TBooleanField::GetAsVariant() const { return Variant(AsBoolean()); }

// ---------------------------------------------------------------- floats

double TFloatField::AsFloat() const {
  double v = 0;
  return GetData(&v) ? v : 0.0;
}

void TFloatField::SetAsFloat(double v) {
  if (minValue_ != 0 || maxValue_ != 0)
    if (v < minValue_ || v > maxValue_) RangeError(v, minValue_, maxValue_);
  SetData(&v);
}

std::int32_t TFloatField::AsInteger() const {
  double v = std::round(AsFloat());
  if (v < INT32_MIN || v > INT32_MAX) RangeError(v, INT32_MIN, INT32_MAX);
  return static_cast<std::int32_t>(v);
}

std::int64_t TFloatField::AsLargeInt() const { return static_cast<std::int64_t>(std::llround(AsFloat())); }

String TFloatField::AsString() const { return IsNull() ? String() : rtl::FloatToStr(AsFloat()); }

void TFloatField::SetAsString(const String& v) {
  String t = rtl::Trim(v);
  if (t.empty()) Clear();
  else SetAsFloat(rtl::StrToFloat(t));
}

String TFloatField::GetDisplayText(bool Display) const {
  if (IsNull()) return {};
  const String& fmt = Display || EditFormat().empty() ? DisplayFormat() : EditFormat();
  if (!fmt.empty()) return rtl::FormatFloat(fmt, AsFloat());
  if (currency_ && Display) return rtl::FloatToStrF(AsFloat(), rtl::TFloatFormat::ffCurrency, precision_, 2);
  return rtl::FloatToStr(AsFloat());
}

Variant TFloatField::GetAsVariant() const {
  if (currency_) return Variant(rtl::Currency::FromDouble(AsFloat()));
  return Variant(AsFloat());
}

// ---------------------------------------------------------------- packed decimals

TBcd StrToBcd(std::u16string_view Text) {
  String t = rtl::Trim(Text);
  std::u16string_view v(t);
  TBcd b;
  bool negative = !v.empty() && (v[0] == u'-' || v[0] == u'+') && v[0] == u'-';
  if (!v.empty() && (v[0] == u'-' || v[0] == u'+')) v.remove_prefix(1);
  std::string digits;
  int places = 0;
  bool dot = false;
  for (char16_t c : v) {
    if (c == u'.' && !dot) {
      dot = true;
    } else if (c >= u'0' && c <= u'9') {
      digits += static_cast<char>(c);
      if (dot) ++places;
    } else {
      throw rtl::EConvertError(rtl::Format(u"'%s' is not a valid BCD value", {String(Text)}));
    }
  }
  // Leading zeros of the integer part carry no digits.
  while (digits.size() > static_cast<std::size_t>(places) + 1 && digits[0] == '0') digits.erase(0, 1);
  if (digits.empty() || digits.size() > 64 || places > 63)
    throw rtl::EConvertError(rtl::Format(u"'%s' is not a valid BCD value", {String(Text)}));
  b.Precision = static_cast<std::uint8_t>(digits.size());
  b.SignSpecialPlaces = static_cast<std::uint8_t>((negative ? 0x80 : 0) | places);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    auto d = static_cast<std::uint8_t>(digits[i] - '0');
    b.Fraction[i / 2] |= (i % 2 == 0) ? static_cast<std::uint8_t>(d << 4) : d;
  }
  return b;
}

String BcdToStr(const TBcd& b) {
  int n = std::min<int>(b.Precision, 64);
  int places = std::min(b.SignSpecialPlaces & 0x3F, n);
  String digits;
  for (int i = 0; i < n; ++i) {
    std::uint8_t byte = b.Fraction[i / 2];
    digits += static_cast<char16_t>(u'0' + ((i % 2 == 0) ? (byte >> 4) : (byte & 0x0F)) % 10);
  }
  if (digits.empty()) return u"0";
  String intPart = digits.substr(0, static_cast<std::size_t>(n - places));
  String frac = digits.substr(static_cast<std::size_t>(n - places));
  if (intPart.empty()) intPart = u"0";
  String out = intPart;
  if (!frac.empty()) out += u"." + frac;
  bool zero = digits.find_first_not_of(u'0') == String::npos;
  if ((b.SignSpecialPlaces & 0x80) && !zero) out = u"-" + out;
  return out;
}

int BcdCompare(const TBcd& A, const TBcd& B) {
  // Compare exactly through aligned digit strings.
  auto split = [](const TBcd& x, String& ip, String& fp) {
    String s = BcdToStr(x);
    bool neg = !s.empty() && s[0] == u'-';
    if (neg) s.erase(0, 1);
    std::size_t dot = s.find(u'.');
    ip = s.substr(0, dot);
    fp = dot == String::npos ? String() : s.substr(dot + 1);
    while (ip.size() > 1 && ip[0] == u'0') ip.erase(0, 1);
    while (!fp.empty() && fp.back() == u'0') fp.pop_back();
    return neg && !(ip == u"0" && fp.empty());
  };
  String ai, af, bi, bf;
  bool an = split(A, ai, af), bn = split(B, bi, bf);
  if (an != bn) return an ? -1 : 1;
  int mag;
  if (ai.size() != bi.size()) {
    mag = ai.size() < bi.size() ? -1 : 1;
  } else {
    std::size_t w = std::max(af.size(), bf.size());
    af.resize(w, u'0');
    bf.resize(w, u'0');
    int c = (ai + af).compare(bi + bf);
    mag = c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  return an ? -mag : mag;
}

String TBCDField::AsString() const {
  TBcd b;
  return GetData(&b) ? BcdToStr(b) : String();
}

void TBCDField::SetAsString(const String& v) {
  String t = rtl::Trim(v);
  if (t.empty()) {
    Clear();
    return;
  }
  // The user's decimal separator is accepted besides ".".
  for (char16_t& c : t)
    if (c == rtl::FormatSettings().DecimalSeparator) c = u'.';
  TBcd b = StrToBcd(t);
  SetData(&b);
}

double TBCDField::AsFloat() const {
  TBcd b;
  if (!GetData(&b)) return 0.0;
  return rtl::StrToFloat(BcdToStr(b), rtl::TFormatSettings::Invariant());
}

void TBCDField::SetAsFloat(double v) {
  if (!std::isfinite(v)) RangeError(v, -1e64, 1e64);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%.*f", std::clamp(Size(), 0, 20), v);
  TBcd b = StrToBcd(rtl::Utf8ToString(buf));
  SetData(&b);
}

std::int32_t TBCDField::AsInteger() const {
  double v = std::trunc(AsFloat());
  if (v < INT32_MIN || v > INT32_MAX) RangeError(v, INT32_MIN, INT32_MAX);
  return static_cast<std::int32_t>(v);
}

std::int64_t TBCDField::AsLargeInt() const { return static_cast<std::int64_t>(std::trunc(AsFloat())); }

Variant TBCDField::GetAsVariant() const { return Variant(rtl::Currency::FromDouble(AsFloat())); }

// ---------------------------------------------------------------- dates

rtl::TDateTime TDateTimeField::AsDateTime() const {
  if (DataType() == ftDateTime) {
    double v = 0;
    return GetData(&v) ? v : 0.0;
  }
  std::int32_t v = 0;
  if (!GetData(&v)) return 0.0;
  if (DataType() == ftDate) return static_cast<double>(v - DateDelta);
  return static_cast<double>(v) / MSecsPerDay;
}

void TDateTimeField::SetAsDateTime(rtl::TDateTime v) {
  if (DataType() == ftDateTime) {
    SetData(&v);
    return;
  }
  std::int32_t x;
  if (DataType() == ftDate) {
    x = static_cast<std::int32_t>(std::floor(v)) + DateDelta;
  } else {
    double frac = std::fabs(v - std::trunc(v));
    x = static_cast<std::int32_t>(std::llround(frac * MSecsPerDay)) % MSecsPerDay;
  }
  SetData(&x);
}

String TDateTimeField::AsString() const { return GetDisplayText(false); }

void TDateTimeField::SetAsString(const String& v) {
  String t = rtl::Trim(v);
  if (t.empty()) { Clear(); return; }
  switch (DataType()) {
    case ftDate: SetAsDateTime(rtl::StrToDate(t)); break;
    case ftTime: SetAsDateTime(rtl::StrToTime(t)); break;
    default: SetAsDateTime(rtl::StrToDateTime(t)); break;
  }
}

String TDateTimeField::GetDisplayText(bool Display) const {
  if (IsNull()) return {};
  rtl::TDateTime v = AsDateTime();
  if (Display && !DisplayFormat().empty()) return rtl::FormatDateTime(DisplayFormat(), v);
  switch (DataType()) {
    case ftDate: return rtl::DateToStr(v);
    case ftTime: return rtl::TimeToStr(v);
    default: return rtl::DateTimeToStr(v);
  }
}

Variant TDateTimeField::GetAsVariant() const { return Variant::FromDate(AsDateTime()); }

rtl::TDateTime TSQLTimeStampField::AsDateTime() const {
  TSQLTimeStamp ts{};
  if (!GetData(&ts)) return 0.0;
  return rtl::EncodeDateTime(ts.Year, ts.Month, ts.Day, ts.Hour, ts.Minute, ts.Second,
                             static_cast<int>(ts.Fractions));
}

void TSQLTimeStampField::SetAsDateTime(rtl::TDateTime v) {
  int y, mo, d, h, mi, s, ms;
  rtl::DecodeDateTime(v, y, mo, d, h, mi, s, ms);
  TSQLTimeStamp ts{static_cast<std::int16_t>(y), static_cast<std::uint16_t>(mo), static_cast<std::uint16_t>(d),
                   static_cast<std::uint16_t>(h), static_cast<std::uint16_t>(mi), static_cast<std::uint16_t>(s),
                   static_cast<std::uint32_t>(ms)};
  SetData(&ts);
}

// ---------------------------------------------------------------- bytes

rtl::AnsiString TBytesField::AsBytes() const {
  std::string buf(static_cast<std::size_t>(DataSize()), '\0');
  if (!GetData(buf.data())) return {};
  if (DataType() == ftVarBytes) {
    std::uint16_t n;
    std::memcpy(&n, buf.data(), 2);
    n = std::min<std::uint16_t>(n, static_cast<std::uint16_t>(Size()));
    return buf.substr(2, n);
  }
  return buf;
}

void TBytesField::SetAsBytes(const rtl::AnsiString& v) {
  std::string buf(static_cast<std::size_t>(DataSize()), '\0');
  std::size_t n = std::min(v.size(), static_cast<std::size_t>(Size()));
  if (DataType() == ftVarBytes) {
    auto len = static_cast<std::uint16_t>(n);
    std::memcpy(buf.data(), &len, 2);
    std::memcpy(buf.data() + 2, v.data(), n);
  } else {
    std::memcpy(buf.data(), v.data(), n);
  }
  SetData(buf.data());
}

String TBytesField::AsString() const { return rtl::AnsiToString(AsBytes()); }
void TBytesField::SetAsString(const String& v) { SetAsBytes(rtl::StringToAnsi(v)); }
Variant TBytesField::GetAsVariant() const { return Variant::FromAnsi(AsBytes()); }
void TBytesField::SetVarValue(const Variant& v) {
  if (v.VarType() == rtl::varString) SetAsBytes(rtl::StringToAnsi(v.AsString()));
  else SetAsString(v.AsString());
}

// ---------------------------------------------------------------- variants

Variant TVariantField::GetAsVariant() const {
  Variant v;
  if (!GetData(&v)) return Variant::Null();
  return v;
}

void TVariantField::SetVarValue(const Variant& v) { SetData(&v); }

// ---------------------------------------------------------------- blobs

rtl::AnsiString TBlobField::AsBytes() const {
  if (!DataSet()) DatabaseErrorFmt(u"Field '%s' has no dataset", DisplayName());
  std::unique_ptr<rtl::TStream> s = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
  std::int64_t n = s->Size();
  std::string out(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)), '\0');
  out.resize(static_cast<std::size_t>(s->Read(out.data(), n)));
  return out;
}

void TBlobField::SetAsBytes(const rtl::AnsiString& v) {
  if (!DataSet()) DatabaseErrorFmt(u"Field '%s' has no dataset", DisplayName());
  std::unique_ptr<rtl::TStream> s = DataSet()->CreateBlobStream(this, bmWrite);
  s->WriteBuffer(v.data(), static_cast<std::int64_t>(v.size()));
}

std::int64_t TBlobField::BlobSize() const {
  if (!DataSet() || !DataSet()->Active()) return 0;
  return DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead)->Size();
}

String TBlobField::AsString() const {
  rtl::AnsiString bytes = AsBytes();
  if (DataType() == ftWideMemo) {
    String s(bytes.size() / 2, u'\0');
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    return s;
  }
  return rtl::AnsiToString(bytes);
}

void TBlobField::SetAsString(const String& v) {
  if (DataType() == ftWideMemo) {
    SetAsBytes(rtl::AnsiString(reinterpret_cast<const char*>(v.data()), v.size() * 2));
    return;
  }
  SetAsBytes(rtl::StringToAnsi(v));
}

Variant TBlobField::GetAsVariant() const {
  if (DataType() == ftWideMemo || DataType() == ftMemo || DataType() == ftFmtMemo) return Variant(AsString());
  return Variant::FromAnsi(AsBytes());
}

void TBlobField::SetVarValue(const Variant& v) {
  if (v.VarType() == rtl::varString && DataType() != ftWideMemo) SetAsBytes(rtl::StringToAnsi(v.AsString()));
  else SetAsString(v.AsString());
}

String TBlobField::GetDisplayText(bool Display) const {
  if (!Display) return AsString();
  String kind = DataType() == ftMemo || DataType() == ftWideMemo || DataType() == ftFmtMemo ? u"Memo" :
                DataType() == ftGraphic ? u"Graphic" : u"Blob";
  return IsNull() ? u"(" + rtl::LowerCase(kind) + u")" : u"(" + rtl::UpperCase(kind) + u")";
}

// ---------------------------------------------------------------- factory

TField* CreateFieldForType(ui::TComponent* AOwner, TFieldType DataType, int Size) {
  switch (DataType) {
    case ftString: case ftFixedChar: return new TStringField(AOwner, DataType, Size);
    case ftWideString: case ftFixedWideChar: return new TWideStringField(AOwner, DataType, Size);
    case ftGuid: return new TGuidField(AOwner);
    case ftSmallint: return new TSmallintField(AOwner);
    case ftInteger: return new TIntegerField(AOwner);
    case ftWord: return new TWordField(AOwner);
    case ftAutoInc: return new TAutoIncField(AOwner);
    case ftLargeint: return new TLargeintField(AOwner);
    case ftBoolean: return new TBooleanField(AOwner);
    case ftFloat: return new TFloatField(AOwner);
    case ftCurrency: return new TCurrencyField(AOwner);
    case ftDate: return new TDateField(AOwner);
    case ftTime: return new TTimeField(AOwner);
    case ftDateTime: return new TDateTimeField(AOwner);
    case ftTimeStamp: return new TSQLTimeStampField(AOwner);
    case ftBytes: return new TBytesField(AOwner, ftBytes, Size);
    case ftVarBytes: return new TVarBytesField(AOwner, Size);
    case ftVariant: return new TVariantField(AOwner);
    case ftBCD: case ftFMTBcd: {
      TBCDField* f = DataType == ftBCD ? new TBCDField(AOwner) : new TFMTBCDField(AOwner);
      f->SetSize(Size);
      return f;
    }
    case ftMemo: case ftFmtMemo: return new TMemoField(AOwner, DataType);
    case ftWideMemo: return new TWideMemoField(AOwner);
    case ftGraphic: return new TGraphicField(AOwner);
    case ftBlob: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary: case ftOraBlob: case ftOraClob:
      return new TBlobField(AOwner, DataType);
    default: return nullptr;
  }
}

}  // namespace db
