// Run-time class information and published properties.
//
// C++ keeps no property metadata, so each class describes itself once, in
// its own source file, through TClassBuilder: class name, parent class and
// the published properties with their kind, identifiers, getter and setter.
// Property stores and layout code read and write properties by name here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/rtl_string.h"
#include "platform/runtime/variant.h"

namespace ui {

using rtl::String;
class TObject;

enum TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass,
  tkMethod, tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface,
  tkInt64, tkDynArray, tkUString, tkClassRef, tkPointer, tkProcedure
};

// How an ordinal value is kept in memory.
enum TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };
enum TMethodKind {
  mkProcedure, mkFunction, mkConstructor, mkDestructor, mkClassProcedure, mkClassFunction,
  mkClassConstructor, mkClassDestructor, mkOperatorOverload, mkSafeProcedure, mkSafeFunction
};
enum TParamFlag { pfVar, pfConst, pfArray, pfAddress, pfReference, pfOut, pfResult };
enum TIntfFlag { ifHasGuid, ifDispInterface, ifDispatch };

class TClassInfo;

// One parameter of an event type.
struct TParamRecord {
  std::uint8_t Flags = 0;  // bit n = TParamFlag n
  std::string Name;
  std::string TypeName;
};

// The description of one type. Only the members of the type's kind are
// used; descriptions are immutable once published and outlive their users.
// A name beginning with '.' marks a type without a name of its own.
struct TTypeInfo {
  TTypeKind Kind = tkUnknown;
  std::string Name;
  std::string UnitName;
  // Ordinals (integer, character, enumeration, set) and 64-bit integers.
  TOrdType OrdType = otSLong;
  std::int64_t MinValue = 0;
  std::int64_t MaxValue = 0;
  // Enumeration: the type it is a sub-range of (null: itself).
  // Set: the element type.
  const TTypeInfo* BaseType = nullptr;
  // Enumeration identifiers from MinValue up (kept by the base type only).
  std::vector<std::string> Names;
  TFloatType FloatType = ftDouble;
  std::uint8_t MaxLength = 255;                   // short string
  const TClassInfo* ClassType = nullptr;          // class
  TMethodKind MethodKind = mkProcedure;           // event
  std::vector<TParamRecord> Params;
  std::string ResultType;
  const TTypeInfo* IntfParent = nullptr;          // interface
  std::uint8_t IntfFlags = 0;                     // bit n = TIntfFlag n
  std::array<std::uint8_t, 16> Guid{};            // in storage order
  int PropertyCount = 0;
  int ElementSize = 0;                            // dynamic array
  const TTypeInfo* ElementType = nullptr;         // managed element type
  const TTypeInfo* ElementType2 = nullptr;        // any element type
  int VarType = 0;
};

// Whether a writer stores the property of this object: never when marked
// not stored, else as the object's stored test answers.
struct TPropInfo;
bool IsStoredProp(const TObject* Instance, const TPropInfo& Prop);

// Shared descriptions of the built-in types that properties use.
const TTypeInfo* TypeInfoOf(TTypeKind Kind, std::string_view Name);

// Property specifiers: how a property is read, written and asked whether it
// is stored. Accessor functions of the registry count as static methods.
constexpr std::uint32_t AccessorSpec = 0x00010000u;
constexpr std::uint32_t StoredTrueSpec = 1u;
constexpr std::uint32_t StoredFalseSpec = 0u;

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
  // The property's type description (null for hand-made records).
  std::shared_ptr<const TTypeInfo> Type;
  std::uint32_t ReadSpec = 0;
  std::uint32_t WriteSpec = 0;
  std::uint32_t StoredSpec = StoredTrueSpec;
  std::int64_t Index = NoDefault;
  int NameIndex = 0;                  // position within its class's own properties

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
  // The object's own answer whether the property is stored (a value equal
  // to what a container supplies need not be); empty: Stored decides.
  std::function<bool(const TObject*)> StoredTest;

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
  const std::string& UnitName() const { return unit_; }
  // Interfaces this class itself implements, by GUID (storage order).
  const std::vector<std::array<std::uint8_t, 16>>& Interfaces() const { return interfaces_; }

 private:
  template <class T>
  friend class TClassBuilder;
  std::string name_;
  const TClassInfo* parent_;
  std::vector<TPropInfo> props_;
  std::string unit_;
  std::vector<std::array<std::uint8_t, 16>> interfaces_;
};

// The type description of a property made by TClassBuilder: shared for
// built-in types, made for its enumeration or set type otherwise.
std::shared_ptr<const TTypeInfo> DescribePropType(const TPropInfo& Prop);

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
    info_.props_.back().StoredSpec = StoredFalseSpec;
    return *this;
  }
  // Gives the last property added a stored test: a const member function
  // without arguments answering whether this object stores it.
  TClassBuilder& StoredWhen(bool (T::*Test)() const) {
    TPropInfo& p = info_.props_.back();
    p.StoredTest = [Test](const TObject* o) { return (static_cast<const T*>(o)->*Test)(); };
    p.StoredSpec = AccessorSpec;
    return *this;
  }
  // Gives the last property added an index specifier.
  TClassBuilder& Index(std::int64_t Value) {
    info_.props_.back().Index = Value;
    return *this;
  }
  TClassBuilder& Unit(std::string Name) {
    info_.unit_ = std::move(Name);
    return *this;
  }
  TClassBuilder& Implements(const std::array<std::uint8_t, 16>& Guid) {
    info_.interfaces_.push_back(Guid);
    return *this;
  }

  TClassInfo Build() {
    for (std::size_t i = 0; i < info_.props_.size(); ++i) {
      TPropInfo& p = info_.props_[i];
      p.NameIndex = static_cast<int>(i);
      if (!p.ReadSpec && p.IsReadable()) p.ReadSpec = AccessorSpec;
      if (!p.WriteSpec && p.IsWritable()) p.WriteSpec = AccessorSpec;
      if (!p.Type) p.Type = DescribePropType(p);
    }
    return std::move(info_);
  }

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
