#include "components/extended/core/core_rtti.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/runtime/convert.h"
#include "components/extended/core/core_errors.h"
#include "components/extended/core/core_strings.h"

namespace ext {

using namespace ui;

namespace {

String U(const std::string& s) { return rtl::Utf8ToString(s); }
String Num(std::int64_t v) { return rtl::IntToStr(v); }

const char16_t* const kKindNames[] = {
    u"tkUnknown", u"tkInteger", u"tkChar",      u"tkEnumeration", u"tkFloat",    u"tkString",
    u"tkSet",     u"tkClass",   u"tkMethod",    u"tkWChar",       u"tkLString",  u"tkWString",
    u"tkVariant", u"tkArray",   u"tkRecord",    u"tkInterface",   u"tkInt64",    u"tkDynArray",
    u"tkUString", u"tkClassRef", u"tkPointer",  u"tkProcedure"};
const char16_t* const kOrdNames[] = {u"otSByte", u"otUByte", u"otSWord", u"otUWord", u"otSLong", u"otULong"};
const char16_t* const kFloatNames[] = {u"ftSingle", u"ftDouble", u"ftExtended", u"ftComp", u"ftCurr"};
const char16_t* const kMethodNames[] = {
    u"mkProcedure",        u"mkFunction",        u"mkConstructor",      u"mkDestructor",
    u"mkClassProcedure",   u"mkClassFunction",   u"mkClassConstructor", u"mkClassDestructor",
    u"mkOperatorOverload", u"mkSafeProcedure",   u"mkSafeFunction"};

template <std::size_t N>
String NameAt(const char16_t* const (&table)[N], int i) {
  return i >= 0 && static_cast<std::size_t>(i) < N ? String(table[i]) : Num(i);
}

// The flag sets are described by the same records as any other set, so
// their text comes from the set conversion itself.
struct FlagSet {
  TTypeInfo element, set;
  FlagSet(const char* elementName, const char* setName, std::vector<std::string> names) {
    element.Kind = tkEnumeration;
    element.Name = elementName;
    element.UnitName = "TypInfo";
    element.OrdType = otUByte;
    element.MaxValue = static_cast<std::int64_t>(names.size()) - 1;
    element.Names = std::move(names);
    set.Kind = tkSet;
    set.Name = setName;
    set.UnitName = "TypInfo";
    set.OrdType = otUByte;
    set.BaseType = &element;
  }
};
const FlagSet& ParamFlags() {
  static const FlagSet f("TParamFlag", "TParamFlags",
                         {"pfVar", "pfConst", "pfArray", "pfAddress", "pfReference", "pfOut", "pfResult"});
  return f;
}
const FlagSet& IntfFlags() {
  static const FlagSet f("TIntfFlag", "TIntfFlags", {"ifHasGuid", "ifDispInterface", "ifDispatch"});
  return f;
}

// Addresses print with as many digits as a pointer has; specifiers are
// 32-bit and print with eight.
String Pointer(const void* p) { return rtl::IntToHex(reinterpret_cast<std::uintptr_t>(p), sizeof(void*) * 2); }
String Spec32(std::uint32_t v) { return rtl::IntToHex(v, 8); }

bool Anonymous(const TTypeInfo& t) { return !t.Name.empty() && t.Name.front() == '.'; }

const TTypeInfo& EnumBase(const TTypeInfo& t) { return t.BaseType ? *t.BaseType : t; }

String EnumNameOf(const TTypeInfo& t, std::int64_t v) {
  const TTypeInfo& base = EnumBase(t);
  const std::int64_t i = v - base.MinValue;
  if (i < 0 || i >= static_cast<std::int64_t>(base.Names.size())) return String();
  return U(base.Names[static_cast<std::size_t>(i)]);
}

int BitStart(const TTypeInfo& base) { return static_cast<int>(((base.MinValue % 8) + 8) % 8); }

String KindWord(TCorePropSpecKind k) {
  switch (k) {
    case pskStaticMethod: return u"static method";
    case pskVirtualMethod: return u"virtual method";
    case pskField: return u"field";
    default: return String();
  }
}

TGUID GuidOf(const std::array<std::uint8_t, 16>& b) {
  TGUID g;
  g.D1 = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  g.D2 = static_cast<std::uint16_t>(b[4] | (b[5] << 8));
  g.D3 = static_cast<std::uint16_t>(b[6] | (b[7] << 8));
  std::memcpy(g.D4, b.data() + 8, 8);
  return g;
}

String FlagText(const FlagSet& f, std::uint8_t flags) { return SetValueToText(&f.set, &flags, true); }

// Writes nothing on construction; IndentLess on every exit.
class Deeper {
 public:
  explicit Deeper(IInfoWriter& w) : w_(w) { w_.IndentMore(); }
  ~Deeper() { w_.IndentLess(); }

 private:
  IInfoWriter& w_;
};

// ---------------------------------------------------------------------------

class TCoreTypeInfo : public virtual ICoreTypeInfo {
 public:
  explicit TCoreTypeInfo(const TTypeInfo* Info) : info_(Info) {}
  void Keep(std::shared_ptr<const TTypeInfo> Owner) { owner_ = std::move(Owner); }

  String TypeName() const override { return U(info_->Name); }
  const TTypeInfo& TypeData() const override { return *info_; }
  const TTypeInfo* TypeInfo() const override { return info_; }
  TTypeKind TypeKind() const override { return info_->Kind; }

  void DescribeTo(IInfoWriter& W) const override {
    W.PutLine(u"Name: " + TypeName());
    W.PutLine(u"Type kind: " + NameAt(kKindNames, info_->Kind));
    W.PutLine(u"Type info: " + Pointer(info_));
  }
  void DeclareTo(IInfoWriter& W) const override {
    W.PutText(u"// Declaration for '" + TypeName() + u"' not supported.");
  }

 protected:
  const TTypeInfo* info_;
  std::shared_ptr<const TTypeInfo> owner_;
};

class TCoreOrdinalTypeInfo : public TCoreTypeInfo, public virtual ICoreOrdinalTypeInfo {
 public:
  using TCoreTypeInfo::TCoreTypeInfo;
  TOrdType OrdinalType() const override { return info_->OrdType; }
  void DescribeTo(IInfoWriter& W) const override {
    TCoreTypeInfo::DescribeTo(W);
    W.PutLine(u"Ordinal type: " + NameAt(kOrdNames, info_->OrdType));
  }
};

class TCoreOrdinalRangeTypeInfo : public TCoreOrdinalTypeInfo, public virtual ICoreOrdinalRangeTypeInfo {
 public:
  using TCoreOrdinalTypeInfo::TCoreOrdinalTypeInfo;
  std::int64_t MinValue() const override { return Bound(info_->MinValue); }
  std::int64_t MaxValue() const override { return Bound(info_->MaxValue); }

  void DescribeTo(IInfoWriter& W) const override {
    TCoreOrdinalTypeInfo::DescribeTo(W);
    W.PutLine(u"Min value: " + Num(MinValue()));
    W.PutLine(u"Max value: " + Num(MaxValue()));
  }
  void DeclareTo(IInfoWriter& W) const override {
    W.PutText(TypeName() + u" = ");
    const bool chars = info_->Kind == tkChar || info_->Kind == tkWChar;
    auto bound = [&](std::int64_t v) -> String {
      if (!chars) return Num(v);
      if (v >= 32 && v <= 126) return String(u"'") + static_cast<char16_t>(v) + u"'";
      return u"#" + Num(v);
    };
    W.PutText(bound(MinValue()) + u".." + bound(MaxValue()));
    W.PutLine(u"; // " + NameAt(kOrdNames, info_->OrdType));
  }

 private:
  // 32-bit bounds are kept as the storage reads them: unsigned for otULong,
  // sign-extended otherwise.
  std::int64_t Bound(std::int64_t v) const {
    if (info_->OrdType == otULong) return static_cast<std::uint32_t>(v);
    return static_cast<std::int32_t>(v);
  }
};

class TCoreEnumerationTypeInfo : public TCoreOrdinalRangeTypeInfo, public virtual ICoreEnumerationTypeInfo {
 public:
  using TCoreOrdinalRangeTypeInfo::TCoreOrdinalRangeTypeInfo;

  std::shared_ptr<ICoreEnumerationTypeInfo> BaseType() const override {
    return std::dynamic_pointer_cast<ICoreEnumerationTypeInfo>(TypeInfoObjectFor(&EnumBase(*info_)));
  }
  String Names(std::int64_t Value) const override {
    if (Value < info_->MinValue || Value > info_->MaxValue) return String();
    return EnumNameOf(*info_, Value);
  }
  String UnitName() const override { return U(info_->UnitName); }
  std::int64_t IndexOfName(const String& Name) const override {
    for (std::int64_t v = info_->MaxValue; v >= info_->MinValue; --v)
      if (rtl::AnsiSameText(EnumNameOf(*info_, v), Name)) return v;
    return -1;
  }

  void DescribeTo(IInfoWriter& W) const override {
    TCoreOrdinalRangeTypeInfo::DescribeTo(W);
    W.PutLine(u"Unit name: " + UnitName());
    W.PutLine(u"Names: (" + JoinedNames() + u")");
  }
  void DeclareTo(IInfoWriter& W) const override {
    const bool named = !Anonymous(*info_);
    if (named) W.PutText(TypeName() + u" = ");
    if (&EnumBase(*info_) == info_)
      W.PutText(u"(" + JoinedNames() + u")");
    else
      W.PutText(Names(info_->MinValue) + u" .. " + Names(info_->MaxValue));
    if (named) W.PutLine(u"; // " + NameAt(kOrdNames, info_->OrdType));
  }

 private:
  String JoinedNames() const {
    String s;
    for (std::int64_t v = info_->MinValue; v <= info_->MaxValue; ++v) {
      if (v != info_->MinValue) s += u", ";
      s += EnumNameOf(*info_, v);
    }
    return s;
  }
};

class TCoreSetTypeInfo : public TCoreOrdinalTypeInfo, public virtual ICoreSetTypeInfo {
 public:
  using TCoreOrdinalTypeInfo::TCoreOrdinalTypeInfo;

  std::shared_ptr<ICoreOrdinalTypeInfo> CompType() const override {
    return std::dynamic_pointer_cast<ICoreOrdinalTypeInfo>(TypeInfoObjectFor(info_->BaseType));
  }
  int StorageSize() const override {
    const TTypeInfo& base = Base();
    return static_cast<int>((BitStart(base) + base.MaxValue - base.MinValue + 1 + 7) / 8);
  }

  void ListSetMembers(const void* SetValue, bool WantRanges, TStrings& List) const override {
    const TTypeInfo& base = Base();
    const auto* bytes = static_cast<const std::uint8_t*>(SetValue);
    const std::int64_t start = BitStart(base), end = start + base.MaxValue - base.MinValue;
    auto member = [&](std::int64_t bit) {
      const std::int64_t ord = bit - start + base.MinValue;
      return base.Kind == tkEnumeration ? EnumNameOf(base, ord) : Num(ord);
    };
    auto close = [&](std::int64_t a, std::int64_t b) {
      if (WantRanges && b > a) {
        List.Add(member(a) + u" .. " + member(b));
        return;
      }
      for (std::int64_t i = a; i <= b; ++i) List.Add(member(i));
    };
    List.BeginUpdate();
    try {
      std::int64_t open = -1;
      for (std::int64_t i = start; i <= end; ++i) {
        const bool on = (bytes[i / 8] >> (i % 8)) & 1;
        if (on && open < 0) open = i;
        if (!on && open >= 0) {
          close(open, i - 1);
          open = -1;
        }
      }
      if (open >= 0) close(open, end);
    } catch (...) {
      List.EndUpdate();
      throw;
    }
    List.EndUpdate();
  }

  void ApplySetMembers(void* SetValue, const TStrings& List) const override {
    const TTypeInfo& base = Base();
    auto* bytes = static_cast<std::uint8_t*>(SetValue);
    const int size = StorageSize();
    std::memset(bytes, 0, static_cast<std::size_t>(size));
    const std::int64_t start = BitStart(base);
    auto ordinal = [&](const String& text) -> std::int64_t {
      if (base.Kind == tkEnumeration) {
        for (std::int64_t v = base.MaxValue; v >= base.MinValue; --v)
          if (rtl::AnsiSameText(EnumNameOf(base, v), text)) return v;
        throw ECoreRTTIError(u"Unknown identifier '%s'.", {text});
      }
      const std::int64_t v = rtl::StrToInt64(text);
      // A member outside the element type has no bit in the set.
      if (v < base.MinValue || v > base.MaxValue) throw ECoreRTTIError(u"Set member '%s' out of range.", {text});
      return v;
    };
    for (int i = 0; i < List.Count(); ++i) {
      const String entry = rtl::Trim(List[i]);
      if (entry.empty()) continue;
      const std::size_t dots = entry.find(u"..");
      const String a = dots == String::npos ? entry : rtl::Trim(entry.substr(0, dots));
      const String b = dots == String::npos ? entry : rtl::Trim(entry.substr(dots + 2));
      const std::int64_t first = ordinal(a), last = ordinal(b);
      for (std::int64_t bit = start + first - base.MinValue; bit <= start + last - base.MinValue; ++bit)
        bytes[bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
    }
  }

  void DescribeTo(IInfoWriter& W) const override {
    TCoreOrdinalTypeInfo::DescribeTo(W);
    W.PutLine(u"Based on: ");
    Deeper d(W);
    if (auto base = TypeInfoObjectFor(info_->BaseType)) base->DescribeTo(W);
  }
  void DeclareTo(IInfoWriter& W) const override {
    const bool named = !Anonymous(*info_);
    if (named) W.PutText(TypeName() + u" = set of ");
    const TTypeInfo* base = info_->BaseType;
    if (base && !Anonymous(*base))
      W.PutText(U(base->Name));
    else if (base && base->Kind == tkEnumeration)
      TypeInfoObjectFor(base)->DeclareTo(W);
    else
      W.PutText(u"???");
    if (named) W.PutLine(u"; // " + NameAt(kOrdNames, info_->OrdType));
  }

 private:
  const TTypeInfo& Base() const {
    if (!info_->BaseType) throw ECoreRTTIError(u"Set type '%s' has no element type.", {TypeName()});
    return *info_->BaseType;
  }
};

class TCoreFloatTypeInfo : public TCoreTypeInfo, public virtual ICoreFloatTypeInfo {
 public:
  using TCoreTypeInfo::TCoreTypeInfo;
  TFloatType FloatType() const override { return info_->FloatType; }
  void DescribeTo(IInfoWriter& W) const override {
    TCoreTypeInfo::DescribeTo(W);
    W.PutLine(u"Float type: " + NameAt(kFloatNames, info_->FloatType));
  }
  void DeclareTo(IInfoWriter& W) const override {
    W.PutLine(TypeName() + u" = type " + NameAt(kFloatNames, info_->FloatType).substr(2) + u";");
  }
};

class TCoreStringTypeInfo : public TCoreTypeInfo, public virtual ICoreStringTypeInfo {
 public:
  using TCoreTypeInfo::TCoreTypeInfo;
  int MaxLength() const override { return info_->MaxLength; }
  void DescribeTo(IInfoWriter& W) const override {
    TCoreTypeInfo::DescribeTo(W);
    W.PutLine(u"Max length: " + Num(MaxLength()));
  }
  void DeclareTo(IInfoWriter& W) const override {
    const bool named = !Anonymous(*info_);
    if (named) W.PutText(TypeName() + u" = ");
    W.PutText(u"string[" + Num(MaxLength()) + u"]");
    if (named) W.PutLine(u";");
  }
};

class TCorePropInfo : public virtual ICorePropInfo {
 public:
  explicit TCorePropInfo(const TPropInfo* Prop) : prop_(Prop) {}

  ICoreTypeInfoRef PropType() const override {
    if (prop_->Type) return TypeInfoObjectFor(prop_->Type);
    return nullptr;
  }
  std::uint32_t Reader() const override { return prop_->ReadSpec; }
  std::uint32_t Writer() const override { return prop_->WriteSpec; }
  std::uint32_t StoredProc() const override { return prop_->StoredSpec; }
  std::int64_t Index() const override { return prop_->Index; }
  std::int64_t Default() const override { return prop_->Default; }
  int NameIndex() const override { return prop_->NameIndex; }
  String Name() const override { return U(prop_->Name); }
  TCorePropSpecKind ReaderType() const override { return Kind(prop_->ReadSpec); }
  TCorePropSpecKind WriterType() const override { return Kind(prop_->WriteSpec); }
  TCorePropSpecKind StoredType() const override { return Kind(prop_->StoredSpec); }
  std::uint32_t ReaderValue() const override { return Value(prop_->ReadSpec); }
  std::uint32_t WriterValue() const override { return Value(prop_->WriteSpec); }
  std::uint32_t StoredValue() const override { return Value(prop_->StoredSpec); }
  bool IsStored(const TObject* Instance) const override { return IsStoredProp(Instance, *prop_); }
  bool HasDefault() const override { return prop_->Default != NoDefault; }
  bool HasIndex() const override { return prop_->Index != NoDefault; }

  // "Name: Type" and, one level deeper, the specifiers.
  void DescribeTo(IInfoWriter& W) const override {
    W.PutLine(Name() + u": " + TypeNameOf());
    Deeper d(W);
    if (HasIndex()) W.PutLine(u"[index " + Num(Index()) + u"]");
    if (HasDefault()) W.PutLine(u"[default " + Num(Default()) + u"]");
    auto access = [&](const char16_t* what, TCorePropSpecKind k, std::uint32_t v) {
      if (k == pskStaticMethod || k == pskVirtualMethod || k == pskField)
        W.PutLine(String(u"[") + what + u" " + KindWord(k) + u" $" + Spec32(v) + u"]");
    };
    access(u"read", ReaderType(), ReaderValue());
    access(u"write", WriterType(), WriterValue());
    const TCorePropSpecKind s = StoredType();
    if (s == pskConstant)
      W.PutLine(String(u"[stored=") + (StoredValue() ? u"True" : u"False") + u"]");
    else if (s != pskNone)
      W.PutLine(u"[stored=" + KindWord(s) + u" $" + Spec32(StoredValue()) + u"]");
  }
  // The property's line of a class declaration.
  void DeclareTo(IInfoWriter& W) const override {
    W.PutText(u"property " + Name() + u": " + TypeNameOf());
    if (HasIndex()) W.PutText(u" index " + Num(Index()));
    auto access = [&](const char16_t* what, TCorePropSpecKind k, std::uint32_t v) {
      if (k == pskStaticMethod || k == pskVirtualMethod || k == pskField)
        W.PutText(String(u" ") + what + u" [" + KindWord(k) + u" $" + Spec32(v) + u"]");
    };
    access(u"read", ReaderType(), ReaderValue());
    access(u"write", WriterType(), WriterValue());
    const TCorePropSpecKind s = StoredType();
    if (s == pskConstant)
      W.PutText(String(u" stored = ") + (StoredValue() ? u"True" : u"False"));
    else if (s != pskNone)
      W.PutText(u" stored = [" + KindWord(s) + u" $" + Spec32(StoredValue()) + u"]");
    if (HasDefault()) W.PutText(u" default " + Num(Default()));
    W.PutLine(u";");
  }

 private:
  String TypeNameOf() const { return U(prop_->Type ? prop_->Type->Name : prop_->TypeName); }
  static TCorePropSpecKind Kind(std::uint32_t specifier) {
    std::uint32_t v = 0;
    return DecodePropSpec(specifier, v);
  }
  static std::uint32_t Value(std::uint32_t specifier) {
    std::uint32_t v = 0;
    DecodePropSpec(specifier, v);
    return v;
  }
  const TPropInfo* prop_;
};

class TCoreClassTypeInfo : public TCoreTypeInfo, public virtual ICoreClassTypeInfo {
 public:
  using TCoreTypeInfo::TCoreTypeInfo;

  const TClassInfo* ClassRef() const override { return info_->ClassType; }
  std::shared_ptr<ICoreClassTypeInfo> Parent() const override {
    const TClassInfo* c = ClassRef();
    if (!c || !c->Parent()) return nullptr;
    return ClassTypeInfoFor(*c->Parent());
  }
  int TotalPropertyCount() const override {
    return ClassRef() ? static_cast<int>(ClassRef()->Properties().size()) : 0;
  }
  int PropertyCount() const override {
    return ClassRef() ? static_cast<int>(ClassRef()->OwnProperties().size()) : 0;
  }
  std::shared_ptr<ICorePropInfo> Properties(int Index) const override {
    if (Index < 0 || Index >= TotalPropertyCount())
      throw ECoreRTTIError(u"Property index %d out of range.", {Index});
    return std::make_shared<TCorePropInfo>(ClassRef()->Properties()[static_cast<std::size_t>(Index)]);
  }
  std::shared_ptr<ICorePropInfo> PropByName(const String& Name) const override {
    const TPropInfo* p = ClassRef() ? ClassRef()->FindProp(rtl::StringToUtf8(Name)) : nullptr;
    return p ? std::make_shared<TCorePropInfo>(p) : nullptr;
  }
  String UnitName() const override {
    if (ClassRef()) return U(ClassRef()->UnitName());
    return U(info_->UnitName);
  }

  void DescribeTo(IInfoWriter& W) const override {
    TCoreTypeInfo::DescribeTo(W);
    W.PutLine(u"Class name: " + ClassName());
    // The root class has no parent; its line stays empty after the label.
    const TClassInfo* parent = ClassRef() ? ClassRef()->Parent() : nullptr;
    W.PutLine(u"Parent: " + (parent ? U(parent->Name()) : String()));
    W.PutLine(u"Unit name: " + UnitName());
    W.PutLine(u"Property count: " + Num(PropertyCount()) + u" (" + Num(TotalPropertyCount()) + u")");
    Deeper d(W);
    if (ClassRef())
      for (const TPropInfo& p : ClassRef()->OwnProperties()) TCorePropInfo(&p).DescribeTo(W);
  }
  void DeclareTo(IInfoWriter& W) const override {
    const TClassInfo* parent = ClassRef() ? ClassRef()->Parent() : nullptr;
    if (parent && !rtl::AnsiSameText(U(parent->Name()), u"TObject")) {
      W.PutText(TypeName() + u" = class(" + U(parent->Name()));
      for (const auto& g : ClassRef()->Interfaces()) W.PutText(u", ['" + GuidToText(GuidOf(g)) + u"']");
      W.PutLine(u") // unit " + UnitName());
    } else {
      W.PutLine(TypeName() + u" = class // unit " + UnitName());
    }
    if (PropertyCount() > 0) {
      W.PutLine(u"published");
      Deeper d(W);
      for (const TPropInfo& p : ClassRef()->OwnProperties()) TCorePropInfo(&p).DeclareTo(W);
    }
    W.PutLine(u"end;");
  }

 private:
  String ClassName() const { return ClassRef() ? U(ClassRef()->Name()) : TypeName(); }
};

class TCoreEventParamInfo : public virtual ICoreEventParamInfo {
 public:
  explicit TCoreEventParamInfo(const TParamRecord* Param) : param_(Param) {}
  std::uint8_t Flags() const override { return param_->Flags; }
  String Name() const override { return U(param_->Name); }
  int RecordSize() const override { return static_cast<int>(param_->Name.size() + param_->TypeName.size() + 3); }
  String TypeName() const override { return U(param_->TypeName); }
  const TParamRecord* ParamRecord() const override { return param_; }

  void DescribeTo(IInfoWriter& W) const override {
    W.PutLine(u"Name: " + Name());
    W.PutLine(u"Type: " + TypeName());
    W.PutLine(u"Flags: " + FlagText(ParamFlags(), Flags()));
  }
  // The parameter as it stands in a parameter list.
  void DeclareTo(IInfoWriter& W) const override {
    auto has = [&](TParamFlag f) { return (Flags() >> f) & 1; };
    if (has(pfVar))
      W.PutText(u"var ");
    else if (has(pfConst))
      W.PutText(u"const ");
    else if (has(pfOut))
      W.PutText(u"out ");
    W.PutText(Name());
    if (param_->TypeName.empty()) return;
    W.PutText(u": ");
    if (has(pfArray)) W.PutText(u"array of ");
    if (has(pfArray) && rtl::AnsiSameText(TypeName(), u"TVarRec"))
      W.PutText(u"const");
    else
      W.PutText(TypeName());
  }

 private:
  const TParamRecord* param_;
};

class TCoreEventTypeInfo : public TCoreTypeInfo, public virtual ICoreEventTypeInfo {
 public:
  using TCoreTypeInfo::TCoreTypeInfo;
  TMethodKind MethodKind() const override { return info_->MethodKind; }
  int ParameterCount() const override { return static_cast<int>(info_->Params.size()); }
  std::shared_ptr<ICoreEventParamInfo> Parameters(int Index) const override {
    if (Index < 0 || Index >= ParameterCount()) throw ECoreRTTIError(u"Parameter index %d out of range.", {Index});
    return std::make_shared<TCoreEventParamInfo>(&info_->Params[static_cast<std::size_t>(Index)]);
  }
  String ResultTypeName() const override { return MethodKind() == mkFunction ? U(info_->ResultType) : String(); }

  void DescribeTo(IInfoWriter& W) const override {
    TCoreTypeInfo::DescribeTo(W);
    W.PutLine(u"Method kind: " + NameAt(kMethodNames, MethodKind()));
    W.PutLine(u"Parameter count: " + Num(ParameterCount()));
    {
      Deeper d(W);
      for (int i = 0; i < ParameterCount(); ++i) {
        if (i > 0) W.PutLine(String());
        Parameters(i)->DescribeTo(W);
      }
    }
    if (MethodKind() == mkFunction) W.PutLine(u"Return type: " + ResultTypeName());
  }
  void DeclareTo(IInfoWriter& W) const override {
    W.PutText(TypeName() + u" = " + (MethodKind() == mkFunction ? u"function" : u"procedure"));
    if (ParameterCount() > 0) {
      W.PutText(u"(");
      for (int i = 0; i < ParameterCount(); ++i) {
        if (i > 0) W.PutText(u"; ");
        Parameters(i)->DeclareTo(W);
      }
      W.PutText(u")");
    }
    if (MethodKind() == mkFunction) W.PutText(u": " + ResultTypeName());
    W.PutLine(u" of object;");
  }
};

class TCoreInterfaceTypeInfo : public TCoreTypeInfo, public virtual ICoreInterfaceTypeInfo {
 public:
  using TCoreTypeInfo::TCoreTypeInfo;
  std::shared_ptr<ICoreInterfaceTypeInfo> Parent() const override {
    return std::dynamic_pointer_cast<ICoreInterfaceTypeInfo>(TypeInfoObjectFor(info_->IntfParent));
  }
  std::uint8_t Flags() const override { return info_->IntfFlags; }
  TGUID GUID() const override { return HasGuid() ? GuidOf(info_->Guid) : TGUID{}; }
  int PropertyCount() const override { return info_->PropertyCount; }
  String UnitName() const override { return U(info_->UnitName); }

  void DescribeTo(IInfoWriter& W) const override {
    TCoreTypeInfo::DescribeTo(W);
    if (HasGuid()) W.PutLine(u"GUID: " + GuidToText(GUID()));
    W.PutLine(u"Flags: " + FlagText(IntfFlags(), Flags()));
    W.PutLine(u"Unit name: " + UnitName());
    if (info_->IntfParent) W.PutLine(u"Parent: " + U(info_->IntfParent->Name));
    W.PutLine(u"Property count: " + Num(PropertyCount()));
  }
  void DeclareTo(IInfoWriter& W) const override {
    const bool disp = (Flags() >> ifDispInterface) & 1;
    W.PutText(TypeName() + u" = " + (disp ? u"dispinterface" : u"interface"));
    try {
      if (info_->IntfParent && !disp && !rtl::AnsiSameText(U(info_->IntfParent->Name), u"IUnknown"))
        W.PutText(u"(" + U(info_->IntfParent->Name) + u")");
      W.PutLine(u" // unit " + UnitName());
      Deeper d(W);
      if (HasGuid()) W.PutLine(u"['" + GuidToText(GUID()) + u"']");
    } catch (...) {
      W.PutLine(u"end;");
      throw;
    }
    W.PutLine(u"end;");
  }

 private:
  bool HasGuid() const { return (info_->IntfFlags >> ifHasGuid) & 1; }
};

class TCoreInt64TypeInfo : public TCoreTypeInfo, public virtual ICoreInt64TypeInfo {
 public:
  using TCoreTypeInfo::TCoreTypeInfo;
  std::int64_t MinValue() const override { return info_->MinValue; }
  std::int64_t MaxValue() const override { return info_->MaxValue; }
  void DescribeTo(IInfoWriter& W) const override {
    TCoreTypeInfo::DescribeTo(W);
    W.PutLine(u"Min value: " + Num(MinValue()));
    W.PutLine(u"Max value: " + Num(MaxValue()));
  }
  void DeclareTo(IInfoWriter& W) const override {
    W.PutLine(TypeName() + u" = " + Num(MinValue()) + u" .. " + Num(MaxValue()) + u";");
  }
};

class TCoreDynArrayTypeInfo : public TCoreTypeInfo, public virtual ICoreDynArrayTypeInfo {
 public:
  using TCoreTypeInfo::TCoreTypeInfo;
  int ElementSize() const override { return info_->ElementSize; }
  ICoreTypeInfoRef ElementType() const override { return TypeInfoObjectFor(Element()); }
  bool ElementsNeedCleanup() const override { return info_->ElementType != nullptr; }
  int VarType() const override { return info_->VarType; }
  String UnitName() const override { return U(info_->UnitName); }

  void DescribeTo(IInfoWriter& W) const override {
    TCoreTypeInfo::DescribeTo(W);
    W.PutLine(u"Element size: " + Num(ElementSize()));
    const TTypeInfo* el = Element();
    if (!el) {
      W.PutLine(u"Element type: ???");
    } else if (Anonymous(*el)) {
      W.PutLine(u"Element type: ");
      Deeper d(W);
      TypeInfoObjectFor(el)->DescribeTo(W);
    } else {
      W.PutLine(u"Element type: " + U(el->Name));
    }
    W.PutLine(String(u"Elements need clean up: ") + (ElementsNeedCleanup() ? u"True" : u"False"));
    W.PutLine(u"Variant type: " + Num(VarType()));
    W.PutLine(u"Unit name: " + UnitName());
  }
  void DeclareTo(IInfoWriter& W) const override {
    const bool named = !Anonymous(*info_);
    W.PutText(named ? TypeName() + u" = array of " : String(u"array of "));
    const TTypeInfo* el = Element();
    if (!el)
      W.PutText(u"???");
    else if (Anonymous(*el))
      TypeInfoObjectFor(el)->DeclareTo(W);
    else
      W.PutText(U(el->Name));
    if (named) W.PutLine(u"; // Unit " + UnitName());
  }

 private:
  const TTypeInfo* Element() const { return info_->ElementType ? info_->ElementType : info_->ElementType2; }
};

std::shared_ptr<TCoreTypeInfo> MakeFor(const TTypeInfo* Info) {
  switch (Info->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar: return std::make_shared<TCoreOrdinalRangeTypeInfo>(Info);
    case tkEnumeration: return std::make_shared<TCoreEnumerationTypeInfo>(Info);
    case tkSet: return std::make_shared<TCoreSetTypeInfo>(Info);
    case tkFloat: return std::make_shared<TCoreFloatTypeInfo>(Info);
    case tkString: return std::make_shared<TCoreStringTypeInfo>(Info);
    case tkClass: return std::make_shared<TCoreClassTypeInfo>(Info);
    case tkMethod: return std::make_shared<TCoreEventTypeInfo>(Info);
    case tkInterface: return std::make_shared<TCoreInterfaceTypeInfo>(Info);
    case tkInt64: return std::make_shared<TCoreInt64TypeInfo>(Info);
    case tkDynArray: return std::make_shared<TCoreDynArrayTypeInfo>(Info);
    default: return std::make_shared<TCoreTypeInfo>(Info);
  }
}

std::shared_ptr<ICoreSetTypeInfo> SetObject(const TTypeInfo* SetInfo) {
  if (!SetInfo || SetInfo->Kind != tkSet) throw ECoreRTTIError(u"Not a set type.");
  return std::dynamic_pointer_cast<ICoreSetTypeInfo>(TypeInfoObjectFor(SetInfo));
}

}  // namespace

TCorePropSpecKind DecodePropSpec(std::uint32_t Specifier, std::uint32_t& Value) {
  switch (Specifier >> 24) {
    case 0xFF: Value = Specifier & 0xFFFFFF; return pskField;
    case 0xFE: Value = Specifier & 0xFFFF; return pskVirtualMethod;
    case 0x00:
      if (Specifier < 2) {
        Value = Specifier;
        return pskConstant;
      }
      break;
    default: break;
  }
  Value = Specifier;
  return pskStaticMethod;
}

ICoreTypeInfoRef TypeInfoObjectFor(const TTypeInfo* Info) {
  if (!Info) return nullptr;
  return MakeFor(Info);
}

ICoreTypeInfoRef TypeInfoObjectFor(std::shared_ptr<const TTypeInfo> Info) {
  if (!Info) return nullptr;
  auto obj = MakeFor(Info.get());
  obj->Keep(std::move(Info));
  return obj;
}

std::shared_ptr<ICoreClassTypeInfo> ClassTypeInfoFor(const TClassInfo& Class) {
  auto info = std::make_shared<TTypeInfo>();
  info->Kind = tkClass;
  info->Name = Class.Name();
  info->UnitName = Class.UnitName();
  info->ClassType = &Class;
  return std::dynamic_pointer_cast<ICoreClassTypeInfo>(TypeInfoObjectFor(std::shared_ptr<const TTypeInfo>(info)));
}

int OrdinalStorageSize(TOrdType Ord) {
  switch (Ord) {
    case otSByte:
    case otUByte: return 1;
    case otSWord:
    case otUWord: return 2;
    default: return 4;
  }
}

std::int64_t ReadOrdinalValue(const void* Value, TOrdType Ord) {
  switch (Ord) {
    case otSByte: { std::int8_t v; std::memcpy(&v, Value, 1); return v; }
    case otUByte: { std::uint8_t v; std::memcpy(&v, Value, 1); return v; }
    case otSWord: { std::int16_t v; std::memcpy(&v, Value, 2); return v; }
    case otUWord: { std::uint16_t v; std::memcpy(&v, Value, 2); return v; }
    case otSLong: { std::int32_t v; std::memcpy(&v, Value, 4); return v; }
    case otULong: { std::uint32_t v; std::memcpy(&v, Value, 4); return v; }
  }
  return 0;
}

void WriteOrdinalValue(void* Value, TOrdType Ord, std::int64_t Ordinal) {
  // Little-endian: the low bytes of the ordinal are the value.
  const auto bits = static_cast<std::uint64_t>(Ordinal);
  std::uint8_t b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  std::memcpy(Value, b, static_cast<std::size_t>(OrdinalStorageSize(Ord)));
}

String OrdinalValueName(const TTypeInfo* EnumInfo, const void* Value) {
  if (!EnumInfo || !Value) return u"Value out of range (ordinal=0).";
  const TOrdType ord = EnumInfo->OrdType;
  const std::int64_t v = ord <= otULong ? ReadOrdinalValue(Value, ord) : 0;
  if (v >= EnumInfo->MinValue && v <= EnumInfo->MaxValue) {
    const String name = EnumNameOf(*EnumInfo, v);
    if (!name.empty()) return name;
  }
  return u"Value out of range (ordinal=" + Num(v) + u").";
}

String SetValueToText(const TTypeInfo* SetInfo, const void* Value, TStrings& List, bool WithBrackets) {
  const int first = List.Count();
  SetObject(SetInfo)->ListSetMembers(Value, false, List);
  String s;
  for (int i = first; i < List.Count(); ++i) {
    if (i > first) s += u", ";
    s += List[i];
  }
  return WithBrackets ? u"[" + s + u"]" : s;
}

String SetValueToText(const TTypeInfo* SetInfo, const void* Value, bool WithBrackets) {
  TStringList list;
  return SetValueToText(SetInfo, Value, list, WithBrackets);
}

void TextToSetValue(const TTypeInfo* SetInfo, void* Value, const String& Text) {
  auto set = SetObject(SetInfo);
  TStringList pieces;
  SplitText(Text, u",", &pieces, true);
  if (pieces.Count() > 0 && !pieces[0].empty() && pieces[0][0] == u'[') {
    pieces.SetStrings(0, pieces[0].substr(1));
    // Only a closing bracket goes; a text cut short keeps its last member.
    const int last = pieces.Count() - 1;
    const String tail = rtl::TrimRight(pieces[last]);
    if (!tail.empty() && tail.back() == u']') pieces.SetStrings(last, tail.substr(0, tail.size() - 1));
  }
  set->ApplySetMembers(Value, pieces);
}

// --- generated descriptions -------------------------------------------------

namespace {

struct GeneratedEntry {
  TTypeInfo* info;
  int refs;
};

class GeneratedTypes {
 public:
  ~GeneratedTypes() {
    // Whatever is left goes, newest first, with the bases it holds.
    std::unique_lock lock(mutex_);
    while (!entries_.empty()) {
      const TTypeInfo* last = entries_.back().info;
      lock.unlock();
      while (Release(last)) {
      }
      lock.lock();
    }
  }
  const TTypeInfo* Add(std::unique_ptr<TTypeInfo> info) {
    std::lock_guard lock(mutex_);
    entries_.push_back({info.release(), 1});
    return entries_.back().info;
  }
  void AddRef(const TTypeInfo* info) {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
      if (it->info == info) {
        ++it->refs;
        return;
      }
  }
  // True while the description is still registered.
  bool Release(const TTypeInfo* info) {
    TTypeInfo* freed = nullptr;
    {
      std::lock_guard lock(mutex_);
      auto it = std::find_if(entries_.rbegin(), entries_.rend(), [&](const GeneratedEntry& e) { return e.info == info; });
      if (it == entries_.rend()) return false;
      if (--it->refs > 0) return true;
      freed = it->info;
      entries_.erase(std::next(it).base());
    }
    // The base it was made on may itself be a generated description.
    const bool holdsBase = freed->Kind == tkSet || (freed->Kind == tkEnumeration && freed->BaseType);
    if (holdsBase && freed->BaseType) Release(freed->BaseType);
    delete freed;
    return false;
  }
  int Count() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(entries_.size());
  }

 private:
  std::mutex mutex_;
  std::vector<GeneratedEntry> entries_;
};

GeneratedTypes& Generated() {
  static GeneratedTypes registry;
  return registry;
}

}  // namespace

const TTypeInfo* RegisterGeneratedType(std::unique_ptr<TTypeInfo> Info) { return Generated().Add(std::move(Info)); }
void AddRefGeneratedType(const TTypeInfo* Info) { Generated().AddRef(Info); }
void ReleaseGeneratedType(const TTypeInfo* Info) { Generated().Release(Info); }
int GeneratedTypeCount() { return Generated().Count(); }

}  // namespace ext
