// Questions about types, answered from the window layer's type and property
// registry (typinfo.h): readable descriptions, declarations as source text,
// names of ordinal values, and set values to and from text.
//
// Each kind of type gets its own object behind a reference-counted
// interface; callers ask for a narrower interface with
// std::dynamic_pointer_cast, the way they would query an interface.
#pragma once

#include <cstdint>
#include <memory>

#include "components/extended/core/core_sys_utils.h"
#include "platform/runtime/rtl_string.h"
#include "platform/classes/string_list.h"
#include "platform/classes/typinfo.h"

namespace ext {

using rtl::String;
using ui::TTypeInfo;

// Where descriptions and declarations go; supplied by the caller.
class IInfoWriter {
 public:
  virtual ~IInfoWriter() = default;
  virtual void PutText(const String& Text) = 0;
  virtual void PutLine(const String& Text) = 0;
  virtual void IndentMore() = 0;
  virtual void IndentLess() = 0;
};

enum TCorePropSpecKind { pskNone, pskStaticMethod, pskVirtualMethod, pskField, pskConstant };

class ICoreBaseInfo {
 public:
  virtual ~ICoreBaseInfo() = default;
  virtual void DescribeTo(IInfoWriter& Writer) const = 0;
  virtual void DeclareTo(IInfoWriter& Writer) const = 0;
};

class ICoreTypeInfo : public virtual ICoreBaseInfo {
 public:
  virtual String TypeName() const = 0;
  virtual const TTypeInfo& TypeData() const = 0;
  virtual const TTypeInfo* TypeInfo() const = 0;
  virtual ui::TTypeKind TypeKind() const = 0;
};
using ICoreTypeInfoRef = std::shared_ptr<ICoreTypeInfo>;

class ICoreOrdinalTypeInfo : public virtual ICoreTypeInfo {
 public:
  virtual ui::TOrdType OrdinalType() const = 0;
};

class ICoreOrdinalRangeTypeInfo : public virtual ICoreOrdinalTypeInfo {
 public:
  virtual std::int64_t MinValue() const = 0;
  virtual std::int64_t MaxValue() const = 0;
};

class ICoreEnumerationTypeInfo : public virtual ICoreOrdinalRangeTypeInfo {
 public:
  virtual std::shared_ptr<ICoreEnumerationTypeInfo> BaseType() const = 0;
  // Empty for a value outside the type.
  virtual String Names(std::int64_t Value) const = 0;
  virtual String UnitName() const = 0;
  // Case-insensitive, from the highest value down; -1 when absent.
  virtual std::int64_t IndexOfName(const String& Name) const = 0;
};

class ICoreSetTypeInfo : public virtual ICoreOrdinalTypeInfo {
 public:
  virtual std::shared_ptr<ICoreOrdinalTypeInfo> CompType() const = 0;
  virtual void ListSetMembers(const void* SetValue, bool WantRanges, ui::TStrings& List) const = 0;
  virtual void ApplySetMembers(void* SetValue, const ui::TStrings& List) const = 0;
  // Bytes of a value of the set.
  virtual int StorageSize() const = 0;
};

class ICoreFloatTypeInfo : public virtual ICoreTypeInfo {
 public:
  virtual ui::TFloatType FloatType() const = 0;
};

class ICoreStringTypeInfo : public virtual ICoreTypeInfo {
 public:
  virtual int MaxLength() const = 0;
};

class ICorePropInfo;
class ICoreEventParamInfo;

class ICoreClassTypeInfo : public virtual ICoreTypeInfo {
 public:
  virtual const ui::TClassInfo* ClassRef() const = 0;
  virtual std::shared_ptr<ICoreClassTypeInfo> Parent() const = 0;
  virtual int TotalPropertyCount() const = 0;
  virtual int PropertyCount() const = 0;
  virtual std::shared_ptr<ICorePropInfo> Properties(int Index) const = 0;
  virtual std::shared_ptr<ICorePropInfo> PropByName(const String& Name) const = 0;
  virtual String UnitName() const = 0;
};

class ICoreEventTypeInfo : public virtual ICoreTypeInfo {
 public:
  virtual ui::TMethodKind MethodKind() const = 0;
  virtual int ParameterCount() const = 0;
  virtual std::shared_ptr<ICoreEventParamInfo> Parameters(int Index) const = 0;
  virtual String ResultTypeName() const = 0;
};

class ICoreInterfaceTypeInfo : public virtual ICoreTypeInfo {
 public:
  virtual std::shared_ptr<ICoreInterfaceTypeInfo> Parent() const = 0;
  virtual std::uint8_t Flags() const = 0;
  virtual TGUID GUID() const = 0;
  virtual int PropertyCount() const = 0;
  virtual String UnitName() const = 0;
};

class ICoreInt64TypeInfo : public virtual ICoreTypeInfo {
 public:
  virtual std::int64_t MinValue() const = 0;
  virtual std::int64_t MaxValue() const = 0;
};

class ICoreDynArrayTypeInfo : public virtual ICoreTypeInfo {
 public:
  virtual int ElementSize() const = 0;
  virtual ICoreTypeInfoRef ElementType() const = 0;
  virtual bool ElementsNeedCleanup() const = 0;
  virtual int VarType() const = 0;
  virtual String UnitName() const = 0;
};

class ICorePropInfo : public virtual ICoreBaseInfo {
 public:
  virtual ICoreTypeInfoRef PropType() const = 0;
  virtual std::uint32_t Reader() const = 0;
  virtual std::uint32_t Writer() const = 0;
  virtual std::uint32_t StoredProc() const = 0;
  virtual std::int64_t Index() const = 0;
  virtual std::int64_t Default() const = 0;
  virtual int NameIndex() const = 0;
  virtual String Name() const = 0;
  virtual TCorePropSpecKind ReaderType() const = 0;
  virtual TCorePropSpecKind WriterType() const = 0;
  virtual TCorePropSpecKind StoredType() const = 0;
  virtual std::uint32_t ReaderValue() const = 0;
  virtual std::uint32_t WriterValue() const = 0;
  virtual std::uint32_t StoredValue() const = 0;
  virtual bool IsStored(const ui::TObject* Instance) const = 0;
  virtual bool HasDefault() const = 0;
  virtual bool HasIndex() const = 0;
};

class ICoreEventParamInfo : public virtual ICoreBaseInfo {
 public:
  virtual std::uint8_t Flags() const = 0;
  virtual String Name() const = 0;
  virtual int RecordSize() const = 0;
  virtual String TypeName() const = 0;
  virtual const ui::TParamRecord* ParamRecord() const = 0;
};

// Splits a 32-bit property specifier into its kind and value.
TCorePropSpecKind DecodePropSpec(std::uint32_t Specifier, std::uint32_t& Value);

// The object for a description's kind; null for a null description.
ICoreTypeInfoRef TypeInfoObjectFor(const TTypeInfo* Info);
// Keeps the description alive as long as the object.
ICoreTypeInfoRef TypeInfoObjectFor(std::shared_ptr<const TTypeInfo> Info);
// The class's own description (made on the fly; the registry has none).
std::shared_ptr<ICoreClassTypeInfo> ClassTypeInfoFor(const ui::TClassInfo& Class);

// The name of the enumeration value at Value (read with the type's width);
// "Value out of range (ordinal=N)." outside the type.
String OrdinalValueName(const TTypeInfo* EnumInfo, const void* Value);
// Reads and writes an ordinal with the width and sign of its storage.
std::int64_t ReadOrdinalValue(const void* Value, ui::TOrdType Ord);
void WriteOrdinalValue(void* Value, ui::TOrdType Ord, std::int64_t Ordinal);
int OrdinalStorageSize(ui::TOrdType Ord);

// "a, c" or "[a, c]".
String SetValueToText(const TTypeInfo* SetInfo, const void* Value, bool WithBrackets);
// Appends the members to List and returns them joined.
String SetValueToText(const TTypeInfo* SetInfo, const void* Value, ui::TStrings& List, bool WithBrackets);
// Raises ECoreRTTIError "Unknown identifier '%s'." for a name not in the
// enumeration, EConvertError for a bad number, ECoreRTTIError for a member
// outside the set's range.
void TextToSetValue(const TTypeInfo* SetInfo, void* Value, const String& Text);

// Descriptions generated at run time, counted by their users. A description
// made over another registered description (a set's elements, a sub-range
// of an enumeration) releases that one when it goes.
const TTypeInfo* RegisterGeneratedType(std::unique_ptr<TTypeInfo> Info);
void AddRefGeneratedType(const TTypeInfo* Info);
void ReleaseGeneratedType(const TTypeInfo* Info);
int GeneratedTypeCount();

}  // namespace ext
