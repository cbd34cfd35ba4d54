#include "platform/classes/typinfo.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "platform/classes/classes.h"

namespace ui {
namespace {

bool SameIdent(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

[[noreturn]] void Raise(std::string_view fmt_utf8, std::string_view arg) {
  throw rtl::EPropertyError(rtl::Format(rtl::Utf8ToString(fmt_utf8), {rtl::Utf8ToString(arg)}));
}

const TPropInfo& Require(const TObject* obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) Raise("Property %s does not exist", name);
  return *p;
}

std::string Trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

}  // namespace

bool IsStoredProp(const TObject* Instance, const TPropInfo& Prop) {
  if (!Prop.Stored) return false;
  return !Prop.StoredTest || !Instance || Prop.StoredTest(Instance);
}

const TTypeInfo* TypeInfoOf(TTypeKind Kind, std::string_view Name) {
  static const std::vector<TTypeInfo> builtIns = [] {
    std::vector<TTypeInfo> v;
    auto add = [&](TTypeKind kind, const char* name, TOrdType ord, std::int64_t lo, std::int64_t hi) -> TTypeInfo& {
      TTypeInfo t;
      t.Kind = kind;
      t.Name = name;
      t.UnitName = "System";
      t.OrdType = ord;
      t.MinValue = lo;
      t.MaxValue = hi;
      v.push_back(std::move(t));
      return v.back();
    };
    add(tkInteger, "Integer", otSLong, std::numeric_limits<std::int32_t>::min(),
        std::numeric_limits<std::int32_t>::max());
    add(tkEnumeration, "Boolean", otUByte, 0, 1).Names = {"False", "True"};
    add(tkWChar, "Char", otUWord, 0, 0xFFFF);
    add(tkInt64, "Int64", otSLong, std::numeric_limits<std::int64_t>::min(),
        std::numeric_limits<std::int64_t>::max());
    add(tkFloat, "Double", otSLong, 0, 0);
    add(tkFloat, "TDateTime", otSLong, 0, 0);
    add(tkUString, "string", otSLong, 0, 0);
    add(tkVariant, "Variant", otSLong, 0, 0);
    return v;
  }();
  for (const TTypeInfo& t : builtIns)
    if (t.Kind == Kind && SameIdent(t.Name, Name)) return &t;
  return nullptr;
}

std::shared_ptr<const TTypeInfo> DescribePropType(const TPropInfo& Prop) {
  if (const TTypeInfo* shared = TypeInfoOf(Prop.Kind, Prop.TypeName))
    return std::shared_ptr<const TTypeInfo>(std::shared_ptr<const TTypeInfo>(), shared);
  const auto count = static_cast<std::int64_t>(Prop.Names.size());
  if (Prop.Kind == tkEnumeration) {
    auto t = std::make_shared<TTypeInfo>();
    t->Kind = tkEnumeration;
    t->Name = Prop.TypeName;
    t->OrdType = count <= 0x100 ? otUByte : count <= 0x10000 ? otUWord : otULong;
    t->MaxValue = count - 1;
    t->Names = Prop.Names;
    return t;
  }
  if (Prop.Kind == tkSet) {
    // The element type has no name of its own; it lives with the set.
    struct Pair {
      TTypeInfo set, element;
    };
    auto pair = std::make_shared<Pair>();
    pair->element.Kind = tkEnumeration;
    pair->element.Name = "." + Prop.TypeName;
    pair->element.OrdType = otUByte;
    pair->element.MaxValue = count - 1;
    pair->element.Names = Prop.Names;
    pair->set.Kind = tkSet;
    pair->set.Name = Prop.TypeName;
    pair->set.OrdType = count <= 8 ? otUByte : count <= 16 ? otUWord : otULong;
    pair->set.BaseType = &pair->element;
    return std::shared_ptr<const TTypeInfo>(pair, &pair->set);
  }
  auto t = std::make_shared<TTypeInfo>();
  t->Kind = Prop.Kind;
  t->Name = Prop.TypeName;
  return t;
}

bool TClassInfo::InheritsFrom(const TClassInfo& ancestor) const {
  for (const TClassInfo* c = this; c; c = c->parent_)
    if (c == &ancestor) return true;
  return false;
}

bool TClassInfo::InheritsFrom(std::string_view ancestorName) const { return DistanceTo(ancestorName) >= 0; }

int TClassInfo::DistanceTo(std::string_view ancestorName) const {
  int d = 0;
  for (const TClassInfo* c = this; c; c = c->parent_, ++d)
    if (SameIdent(c->name_, ancestorName)) return d;
  return -1;
}

const TPropInfo* TClassInfo::FindProp(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->parent_)
    for (const TPropInfo& p : c->props_)
      if (SameIdent(p.Name, name)) return &p;
  return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::Properties() const {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = this; c; c = c->parent_) chain.push_back(c);
  std::vector<const TPropInfo*> out;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    for (const TPropInfo& p : (*it)->props_) {
      // A class may republish an ancestor's property; the newest definition wins in place.
      auto old = std::find_if(out.begin(), out.end(), [&](const TPropInfo* q) { return SameIdent(q->Name, p.Name); });
      if (old != out.end())
        *old = &p;
      else
        out.push_back(&p);
    }
  }
  return out;
}

std::vector<const TPropInfo*> TClassInfo::SortedProperties() const {
  auto out = Properties();
  std::stable_sort(out.begin(), out.end(), [](const TPropInfo* a, const TPropInfo* b) {
    return std::lexicographical_compare(a->Name.begin(), a->Name.end(), b->Name.begin(), b->Name.end(),
                                        [](char x, char y) {
                                          return std::tolower(static_cast<unsigned char>(x)) <
                                                 std::tolower(static_cast<unsigned char>(y));
                                        });
  });
  return out;
}

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name) {
  if (!obj) return nullptr;
  return obj->ClassInfo().FindProp(name);
}

bool IsPublishedProp(const TObject* obj, std::string_view name) { return GetPropInfo(obj, name) != nullptr; }

TTypeKind PropType(const TObject* obj, std::string_view name) { return Require(obj, name).Kind; }

std::int64_t GetOrdProp(const TObject* obj, std::string_view name) {
  const TPropInfo& p = Require(obj, name);
  if (!p.GetOrd) Raise("Property %s is not an ordinal property", name);
  return p.GetOrd(obj);
}

void SetOrdProp(TObject* obj, std::string_view name, std::int64_t value) {
  const TPropInfo& p = Require(obj, name);
  if (!p.SetOrd) Raise("Property %s is read-only or not ordinal", name);
  p.SetOrd(obj, value);
}

std::string GetEnumName(const TPropInfo& info, std::int64_t value) {
  if (value >= 0 && value < static_cast<std::int64_t>(info.Names.size())) return info.Names[value];
  return std::to_string(value);
}

int GetEnumValue(const TPropInfo& info, std::string_view ident) {
  for (std::size_t i = 0; i < info.Names.size(); ++i)
    if (SameIdent(info.Names[i], ident)) return static_cast<int>(i);
  return -1;
}

std::string GetEnumProp(const TObject* obj, std::string_view name) {
  const TPropInfo& p = Require(obj, name);
  if (p.Kind != tkEnumeration || !p.GetOrd) Raise("Property %s is not an enumeration", name);
  return GetEnumName(p, p.GetOrd(obj));
}

void SetEnumProp(TObject* obj, std::string_view name, std::string_view value) {
  const TPropInfo& p = Require(obj, name);
  if (p.Kind != tkEnumeration || !p.SetOrd) Raise("Property %s is read-only or not an enumeration", name);
  std::string text = Trimmed(value);
  int v = GetEnumValue(p, text);
  if (v < 0) {
    // A bare ordinal is accepted when it lies in the type's range.
    int n = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || ptr != text.data() + text.size() || n < 0 ||
        n >= static_cast<int>(p.Names.size()))
      throw rtl::EPropertyError(u"Invalid property value");
    v = n;
  }
  p.SetOrd(obj, v);
}

std::string SetToString(const TPropInfo& info, std::int64_t value, bool brackets) {
  std::string out;
  for (std::size_t i = 0; i < info.Names.size() && i < 64; ++i) {
    if (value & (std::int64_t{1} << i)) {
      if (!out.empty()) out += ',';
      out += info.Names[i];
    }
  }
  return brackets ? "[" + out + "]" : out;
}

std::int64_t StringToSet(const TPropInfo& info, std::string_view text) {
  std::string s = Trimmed(text);
  if (!s.empty() && s.front() == '[') s.erase(0, 1);
  if (!s.empty() && s.back() == ']') s.pop_back();
  std::int64_t result = 0;
  std::size_t start = 0;
  while (start <= s.size()) {
    std::size_t comma = s.find(',', start);
    std::string item = Trimmed(std::string_view(s).substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!item.empty()) {
      int v = GetEnumValue(info, item);
      if (v < 0) Raise("Invalid property element: %s", item);
      result |= std::int64_t{1} << v;
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return result;
}

std::string GetSetProp(const TObject* obj, std::string_view name, bool brackets) {
  const TPropInfo& p = Require(obj, name);
  if (p.Kind != tkSet || !p.GetOrd) Raise("Property %s is not a set", name);
  return SetToString(p, p.GetOrd(obj), brackets);
}

void SetSetProp(TObject* obj, std::string_view name, std::string_view value) {
  const TPropInfo& p = Require(obj, name);
  if (p.Kind != tkSet || !p.SetOrd) Raise("Property %s is read-only or not a set", name);
  p.SetOrd(obj, StringToSet(p, value));
}

double GetFloatProp(const TObject* obj, std::string_view name) {
  const TPropInfo& p = Require(obj, name);
  if (!p.GetFloat) Raise("Property %s is not a floating-point property", name);
  return p.GetFloat(obj);
}

void SetFloatProp(TObject* obj, std::string_view name, double value) {
  const TPropInfo& p = Require(obj, name);
  if (!p.SetFloat) Raise("Property %s is read-only or not floating-point", name);
  p.SetFloat(obj, value);
}

String GetStrProp(const TObject* obj, std::string_view name) {
  const TPropInfo& p = Require(obj, name);
  if (!p.GetStr) Raise("Property %s is not a string property", name);
  return p.GetStr(obj);
}

void SetStrProp(TObject* obj, std::string_view name, const String& value) {
  const TPropInfo& p = Require(obj, name);
  if (!p.SetStr) Raise("Property %s is read-only or not a string", name);
  p.SetStr(obj, value);
}

TObject* GetObjectProp(const TObject* obj, std::string_view name) {
  const TPropInfo& p = Require(obj, name);
  if (!p.GetObj) Raise("Property %s is not a class property", name);
  return p.GetObj(obj);
}

void SetObjectProp(TObject* obj, std::string_view name, TObject* value) {
  const TPropInfo& p = Require(obj, name);
  if (!p.SetObj) Raise("Property %s is read-only or not a class property", name);
  p.SetObj(obj, value);
}

rtl::Variant GetVariantProp(const TObject* obj, std::string_view name) {
  const TPropInfo& p = Require(obj, name);
  if (!p.GetVar) Raise("Property %s is not a variant property", name);
  return p.GetVar(obj);
}

void SetVariantProp(TObject* obj, std::string_view name, const rtl::Variant& value) {
  const TPropInfo& p = Require(obj, name);
  if (!p.SetVar) Raise("Property %s is read-only or not a variant", name);
  p.SetVar(obj, value);
}

}  // namespace ui
