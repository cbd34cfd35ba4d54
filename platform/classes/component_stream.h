// The binary component form of window layouts: a writer that stores a
// component's published properties (and the extra ones an object defines
// for itself) and a reader that reads them back into an existing component.
//
// Form: the signature "TPF0", then per component its class name and name
// as short strings (one length byte), its properties, a zero byte, its
// children (each in this same form, without the signature) and a zero
// byte. A property is its name (dotted for properties of nested objects:
// "Title.Font.Color") and a tagged value. Integers use
// the smallest of the 8/16/32/64-bit tags; all numbers are little-endian.
// Collections are a collection tag, then per item a list tag, the item's
// properties and a zero byte, then a zero byte.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/classes/classes.h"
#include "platform/runtime/streams.h"

namespace ui {

enum TValueType : std::uint8_t {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue, vaBinary, vaSet,
  vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64, vaUTF8String, vaDouble
};

class TReader;
class TWriter;
using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(rtl::TStream&)>;

// What reader and writer share: the stream, the root component (against
// which component references are named) and the extra-property protocol.
class TFiler {
 public:
  explicit TFiler(rtl::TStream& Stream) : stream_(Stream) {}
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;
  virtual ~TFiler() = default;

  rtl::TStream& Stream() const { return stream_; }
  TComponent* Root() const { return root_; }
  void SetRoot(TComponent* Value) { root_ = Value; }

  // An object's DefineProperties calls these for properties that are not
  // published. The writer stores the property (under the name, with the
  // current prefix) when HasData; the reader calls ReadData when the
  // property it is at has this name.
  virtual void DefineProperty(std::string_view Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                              bool HasData) = 0;
  // The data goes as one binary value (a length and the bytes).
  virtual void DefineBinaryProperty(std::string_view Name, const TStreamProc& ReadData,
                                    const TStreamProc& WriteData, bool HasData) = 0;

 private:
  rtl::TStream& stream_;
  TComponent* root_ = nullptr;
};

// Writes into a buffer and hands it to the stream on FlushBuffer (the
// entry points flush when they are done), so a failed write leaves at
// most what earlier entry points wrote.
class TWriter : public TFiler {
 public:
  explicit TWriter(rtl::TStream& Stream);
  ~TWriter() override;

  // Signature, then the component with Root as the naming root.
  void WriteRootComponent(TComponent* Root);
  void WriteSignature();
  // Header, properties, zero, the children the component lists
  // (GetChildren), zero.
  void WriteComponent(TComponent* Component);
  // Published properties that are stored and differ from their default,
  // then the object's defined properties.
  void WriteProperties(const TPersistent* Instance);
  void WriteCollection(const TCollection* Value);

  void WriteValue(TValueType Value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteInteger(std::int64_t Value);
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  // 10-byte extended.
  void WriteFloat(double Value);
  void WriteDate(double Value);
  void WriteString(std::u16string_view Value);
  void WriteIdent(std::string_view Ident);
  void WriteVariant(const rtl::Variant& Value);
  // A short string: one length byte (at most 255) and the bytes.
  void WriteStr(std::string_view Value);
  void WriteBinary(std::string_view Bytes);
  void Write(const void* Buffer, std::size_t Count);
  void FlushBuffer();

  void DefineProperty(std::string_view Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(std::string_view Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

 private:
  void WritePropName(std::string_view Name);
  void WriteProperty(const TPersistent* Instance, const TPropInfo& Prop);
  // The name a reference is stored under: its own name when the root
  // owns it, else "Owner.Name"; empty when it cannot be named.
  std::string ComponentPath(const TComponent* Component) const;

  std::string buffer_;
  std::string prefix_;
  int depth_ = 0;
};

// Reads what TWriter wrote. Every fault of the input (wrong signature,
// unknown tag, value of the wrong kind, length beyond the stream, unknown
// property, value outside the property's range) raises rtl::EReadError;
// so does a failure of a property's setter. What was read before the
// fault stays in the objects: readers of untrusted data read into a fresh
// object and copy it over only when the whole read succeeded.
class TReader : public TFiler {
 public:
  explicit TReader(rtl::TStream& Stream);

  // Finds a referenced component by its stored path ("Name" or
  // "Owner.Name"); nullptr leaves the property as it is. Unset: names
  // are looked up among the root's components.
  std::function<TComponent*(const std::string& Path)> OnFindComponent;
  // A child of this class is about to be made: a component answered here is
  // read into instead (it keeps its name, owner and parent). nullptr: the reader
  // makes one through the class registry, owned by the root.
  std::function<TComponent*(const TClassInfo& ComponentClass)> OnCreateComponent;
  // A child stored as inherited names a component its parent does not
  // list: the one answered here is read into. nullptr: EReadError.
  std::function<TComponent*(const std::string& Name, const TClassInfo& ComponentClass)> OnAncestorNotFound;

  // Signature, then the component into Root.
  void ReadRootComponent(TComponent* Root);
  void ReadSignature();
  // Reads a component's header, properties and children into Instance.
  // The stored class name must be Instance's; a stored name other than
  // Instance's renames it.
  void ReadComponent(TComponent* Instance);
  // Properties until the end of the list, into Instance.
  void ReadProperties(TPersistent* Instance);
  // Child components until the end of the list, placed into Parent. A
  // child the reader made is freed again when reading it fails.
  void ReadChildren(TComponent* Parent);
  // Replaces the collection's items with the stored ones.
  void ReadCollection(TCollection* Value);

  TValueType ReadValue();
  TValueType NextValue();
  bool EndOfList() { return NextValue() == vaNull; }
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  std::int64_t ReadInteger();
  bool ReadBoolean();
  double ReadFloat();
  String ReadString();
  std::string ReadIdent();
  rtl::Variant ReadVariant();
  std::string ReadStr();
  std::string ReadBinary();
  // Exactly Count bytes or EReadError.
  void Read(void* Buffer, std::size_t Count);

  void DefineProperty(std::string_view Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(std::string_view Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

 private:
  void CheckValue(TValueType Expected);
  // A length read from the stream, refused when more than what is left.
  std::size_t CheckedLength(std::int64_t Length, std::int64_t UnitSize = 1);
  void ReadProperty(TPersistent* Instance);
  void ReadPropValue(TPersistent* Instance, const TPropInfo& Prop);
  void SkipDefined(TPersistent* Instance, const std::string& Name);
  TComponent* FindReferenced(const std::string& Path) const;
  void ReadChild(TComponent* Parent);
  TComponent* MakeRegistered(const TClassInfo& ComponentClass, TComponent* Owner);
  // A stored name other than Instance's renames it.
  void ApplyName(TComponent* Instance, const std::string& Name);

  std::string propName_;  // the defined property being looked for; empty once read
  int depth_ = 0;
};

// The classes a reader may make by their stored name. A factory makes the
// component with the given owner. Registering a name again replaces it.
using TComponentFactory = std::function<TComponent*(TComponent* Owner)>;
void RegisterComponentClass(const TClassInfo& ComponentClass, TComponentFactory Create);
void UnRegisterComponentClass(const TClassInfo& ComponentClass);
// Case-insensitive; nullptr when the name is not registered.
const TClassInfo* FindComponentClass(std::string_view ClassName);

// The stream forms of one component (signature included).
void WriteComponentToStream(rtl::TStream& Stream, TComponent* Component);
void ReadComponentFromStream(rtl::TStream& Stream, TComponent* Instance);

}  // namespace ui
