// Run-time class information and published properties.
//
// C++ keeps no property metadata, so each class describes itself once, in
// its own source file, through TClassBuilder: class name, parent class and
// the published properties with their kind, identifiers, getter and setter.
// Property stores and layout code read and write properties by name here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "exceptions.h"
#include "rtl_string.h"
#include "variant.h"

namespace ui {

using rtl::String;
class TObject;

enum TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass,
  tkMethod, tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface,
  tkInt64, tkDynArray, tkUString
};

// Default value meaning "no default".
constexpr std::int64_t NoDefault = 0x80000000LL;

struct TPropInfo {
  std::string Name;
  TTypeKind Kind = tkUnknown;
  std::string TypeName;               // "Boolean", "TAlign", "Double", "TFont"...
  std::vector<std::string> Names;     // enumeration identifiers or set elements, in ordinal order
  std::int64_t Default = NoDefault;
  bool Stored = true;
  bool IsDateTime = false;            // float kind holding a date-time

  std::function<std::int64_t(const TObject*)> GetOrd;
  std::function<void(TObject*, std::int64_t)> SetOrd;
  std::function<double(const TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<String(const TObject*)> GetStr;
  std::function<void(TObject*, const String&)> SetStr;
  std::function<TObject*(const TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<rtl::Variant(const TObject*)> GetVar;
  std::function<void(TObject*, const rtl::Variant&)> SetVar;

  bool IsOrdinal() const {
    return Kind == tkInteger || Kind == tkChar || Kind == tkWChar || Kind == tkEnumeration ||
           Kind == tkSet || Kind == tkInt64;
  }
  bool IsString() const { return Kind == tkString || Kind == tkLString || Kind == tkWString || Kind == tkUString; }
  bool IsReadable() const { return GetOrd || GetFloat || GetStr || GetObj || GetVar; }
  bool IsWritable() const { return SetOrd || SetFloat || SetStr || SetObj || SetVar; }
};

class TClassInfo {
 public:
  TClassInfo(std::string name, const TClassInfo* parent) : name_(std::move(name)), parent_(parent) {}

  const std::string& Name() const { return name_; }
  const TClassInfo* Parent() const { return parent_; }
  bool InheritsFrom(const TClassInfo& ancestor) const;
  // Case-insensitive class name match along the parent chain.
  bool InheritsFrom(std::string_view ancestorName) const;
  // Steps up the chain to the ancestor of that name (0 = this class), or -1.
  int DistanceTo(std::string_view ancestorName) const;

  // Case-insensitive; searches ancestors too. nullptr when unknown.
  const TPropInfo* FindProp(std::string_view name) const;
  // Declaration order, the root class's properties first.
  std::vector<const TPropInfo*> Properties() const;
  // Alphabetical (case-insensitive).
  std::vector<const TPropInfo*> SortedProperties() const;
  const std::vector<TPropInfo>& OwnProperties() const { return props_; }

 private:
  template <class T>
  friend class TClassBuilder;
  std::string name_;
  const TClassInfo* parent_;
  std::vector<TPropInfo> props_;
};

namespace detail {
template <class M>
struct SetterArg;
template <class C, class A>
struct SetterArg<void (C::*)(A)> {
  using type = std::remove_cvref_t<A>;
};
}  // namespace detail

// Fills a TClassInfo. Getters are const member functions without arguments,
// setters member functions of one argument, or nullptr for read-only.
template <class T>
class TClassBuilder {
 public:
  TClassBuilder(std::string name, const TClassInfo* parent) : info_(std::move(name), parent) {}

  template <class G, class S>
  TClassBuilder& Integer(std::string name, G get, S set, std::int64_t def = NoDefault) {
    return Ordinal(std::move(name), tkInteger, "Integer", {}, get, set, def);
  }
  template <class G, class S>
  TClassBuilder& Int64(std::string name, G get, S set) {
    return Ordinal(std::move(name), tkInt64, "Int64", {}, get, set, NoDefault);
  }
  template <class G, class S>
  TClassBuilder& WideChar(std::string name, G get, S set) {
    return Ordinal(std::move(name), tkWChar, "Char", {}, get, set, NoDefault);
  }
  template <class G, class S>
  TClassBuilder& Boolean(std::string name, G get, S set, std::int64_t def = NoDefault) {
    return Ordinal(std::move(name), tkEnumeration, "Boolean", {"False", "True"}, get, set, def);
  }
  template <class G, class S>
  TClassBuilder& Enum(std::string name, std::string typeName, std::vector<std::string> names, G get, S set,
                      std::int64_t def = NoDefault) {
    return Ordinal(std::move(name), tkEnumeration, std::move(typeName), std::move(names), get, set, def);
  }
  // A set property: the getter and setter exchange the bit mask (bit n = element n).
  template <class G, class S>
  TClassBuilder& Set(std::string name, std::string typeName, std::vector<std::string> names, G get, S set) {
    return Ordinal(std::move(name), tkSet, std::move(typeName), std::move(names), get, set, NoDefault);
  }
  template <class G, class S>
  TClassBuilder& Float(std::string name, G get, S set, bool dateTime = false) {
    TPropInfo p = Base(std::move(name), tkFloat, dateTime ? "TDateTime" : "Double");
    p.IsDateTime = dateTime;
    p.GetFloat = [get](const TObject* o) { return static_cast<double>((static_cast<const T*>(o)->*get)()); };
    if constexpr (!std::is_null_pointer_v<S>) {
      using A = typename detail::SetterArg<S>::type;
      p.SetFloat = [set](TObject* o, double v) { (static_cast<T*>(o)->*set)(static_cast<A>(v)); };
    }
    info_.props_.push_back(std::move(p));
    return *this;
  }
  template <class G, class S>
  TClassBuilder& Str(std::string name, G get, S set) {
    TPropInfo p = Base(std::move(name), tkUString, "string");
    p.GetStr = [get](const TObject* o) { return String((static_cast<const T*>(o)->*get)()); };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.SetStr = [set](TObject* o, const String& v) { (static_cast<T*>(o)->*set)(v); };
    }
    info_.props_.push_back(std::move(p));
    return *this;
  }
  // A class-valued property (sub-object such as Font, or a reference such as Images).
  template <class G, class S>
  TClassBuilder& Object(std::string name, std::string typeName, G get, S set) {
    TPropInfo p = Base(std::move(name), tkClass, std::move(typeName));
    p.GetObj = [get](const TObject* o) -> TObject* { return (static_cast<const T*>(o)->*get)(); };
    if constexpr (!std::is_null_pointer_v<S>) {
      using A = typename detail::SetterArg<S>::type;
      p.SetObj = [set](TObject* o, TObject* v) { (static_cast<T*>(o)->*set)(dynamic_cast<A>(v)); };
    }
    info_.props_.push_back(std::move(p));
    return *this;
  }
  // A variant property (a field's Value, a parameter).
  template <class G, class S>
  TClassBuilder& Var(std::string name, G get, S set) {
    TPropInfo p = Base(std::move(name), tkVariant, "Variant");
    p.GetVar = [get](const TObject* o) { return rtl::Variant((static_cast<const T*>(o)->*get)()); };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.SetVar = [set](TObject* o, const rtl::Variant& v) { (static_cast<T*>(o)->*set)(v); };
    }
    info_.props_.push_back(std::move(p));
    return *this;
  }
  // Marks the last property added as not stored.
  TClassBuilder& NotStored() {
    info_.props_.back().Stored = false;
    return *this;
  }

  TClassInfo Build() { return std::move(info_); }

 private:
  TPropInfo Base(std::string name, TTypeKind kind, std::string typeName) {
    TPropInfo p;
    p.Name = std::move(name);
    p.Kind = kind;
    p.TypeName = std::move(typeName);
    return p;
  }
  template <class G, class S>
  TClassBuilder& Ordinal(std::string name, TTypeKind kind, std::string typeName, std::vector<std::string> names,
                         G get, S set, std::int64_t def) {
    TPropInfo p = Base(std::move(name), kind, std::move(typeName));
    p.Names = std::move(names);
    p.Default = def;
    p.GetOrd = [get](const TObject* o) { return static_cast<std::int64_t>((static_cast<const T*>(o)->*get)()); };
    if constexpr (!std::is_null_pointer_v<S>) {
      using A = typename detail::SetterArg<S>::type;
      p.SetOrd = [set](TObject* o, std::int64_t v) { (static_cast<T*>(o)->*set)(static_cast<A>(v)); };
    }
    info_.props_.push_back(std::move(p));
    return *this;
  }

  TClassInfo info_;
};

// --- access by name -------------------------------------------------------
// Unknown names and wrong kinds raise rtl::EPropertyError.
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name);
bool IsPublishedProp(const TObject* obj, std::string_view name);
TTypeKind PropType(const TObject* obj, std::string_view name);

std::int64_t GetOrdProp(const TObject* obj, std::string_view name);
void SetOrdProp(TObject* obj, std::string_view name, std::int64_t value);
// Enumeration identifier of the current value ("True", "alClient").
std::string GetEnumProp(const TObject* obj, std::string_view name);
// Accepts an identifier (case-insensitive) or a decimal ordinal.
void SetEnumProp(TObject* obj, std::string_view name, std::string_view value);
// "[fsBold,fsItalic]"; the brackets are optional when set.
std::string GetSetProp(const TObject* obj, std::string_view name, bool brackets = true);
void SetSetProp(TObject* obj, std::string_view name, std::string_view value);
double GetFloatProp(const TObject* obj, std::string_view name);
void SetFloatProp(TObject* obj, std::string_view name, double value);
String GetStrProp(const TObject* obj, std::string_view name);
void SetStrProp(TObject* obj, std::string_view name, const String& value);
TObject* GetObjectProp(const TObject* obj, std::string_view name);
void SetObjectProp(TObject* obj, std::string_view name, TObject* value);
rtl::Variant GetVariantProp(const TObject* obj, std::string_view name);
void SetVariantProp(TObject* obj, std::string_view name, const rtl::Variant& value);

// Identifier <-> ordinal for one property's type.
std::string GetEnumName(const TPropInfo& info, std::int64_t value);
// -1 when the identifier is not one of the type's.
int GetEnumValue(const TPropInfo& info, std::string_view ident);
std::string SetToString(const TPropInfo& info, std::int64_t value, bool brackets = true);
std::int64_t StringToSet(const TPropInfo& info, std::string_view text);

}  // namespace ui
