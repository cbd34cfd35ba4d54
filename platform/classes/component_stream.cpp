#include "platform/classes/component_stream.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/runtime/codepage.h"

namespace ui {
namespace {

constexpr char kSignature[4] = {'T', 'P', 'F', '0'};
// Nested objects and collections go no deeper than this: a hostile stream
// must not run the reader (or a writer over a cyclic object graph) out of stack.
constexpr int kMaxDepth = 32;

[[noreturn]] void ReadError(const String& Message) { throw rtl::EReadError(Message); }
[[noreturn]] void ReadError(std::u16string_view Fmt, std::string_view Arg) {
  throw rtl::EReadError(rtl::Format(Fmt, {rtl::Utf8ToString(Arg)}));
}
[[noreturn]] void StreamReadError() { ReadError(u"Stream read error"); }
[[noreturn]] void InvalidValue(std::string_view Prop) { ReadError(u"Invalid property value: %s", Prop); }

bool SameStreamIdent(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool IsAscii(std::u16string_view s) {
  for (char16_t c : s)
    if (c >= 0x80) return false;
  return true;
}

bool HasLoneSurrogate(std::u16string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
        ++i;
        continue;
      }
      return true;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) return true;
  }
  return false;
}

template <class T>
void PutLE(std::string& out, T value) {
  using U = std::make_unsigned_t<T>;
  U u = static_cast<U>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

template <class T>
T GetLE(const unsigned char* p) {
  using U = std::make_unsigned_t<T>;
  U u = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) u |= static_cast<U>(static_cast<U>(p[i]) << (8 * i));
  return static_cast<T>(u);
}

// The 80-bit extended form: sign and 15-bit exponent (bias 16383) over a
// 64-bit mantissa with an explicit integer bit. Every double is exact in it.
void DoubleToExtended(double v, unsigned char out[10]) {
  std::uint64_t mantissa = 0;
  std::uint16_t signExp = std::signbit(v) ? 0x8000 : 0;
  if (std::isnan(v)) {
    signExp |= 0x7FFF;
    mantissa = 0xC000000000000000ULL;
  } else if (std::isinf(v)) {
    signExp |= 0x7FFF;
    mantissa = 0x8000000000000000ULL;
  } else if (v != 0) {
    int e = 0;
    double m = std::frexp(std::fabs(v), &e);  // m in [0.5, 1)
    mantissa = static_cast<std::uint64_t>(std::ldexp(m, 64));
    signExp |= static_cast<std::uint16_t>(e - 1 + 16383);
  }
  for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(mantissa >> (8 * i));
  out[8] = static_cast<unsigned char>(signExp & 0xFF);
  out[9] = static_cast<unsigned char>(signExp >> 8);
}

// False for a finite extended beyond the range of a double.
bool ExtendedToDouble(const unsigned char in[10], double& out) {
  std::uint64_t mantissa = GetLE<std::uint64_t>(in);
  std::uint16_t signExp = GetLE<std::uint16_t>(in + 8);
  bool negative = (signExp & 0x8000) != 0;
  int exponent = signExp & 0x7FFF;
  double v;
  if (exponent == 0x7FFF) {
    v = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
  } else if (mantissa == 0) {
    v = 0;
  } else {
    v = std::ldexp(static_cast<double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
    if (std::isinf(v)) return false;
  }
  out = negative ? -v : v;
  return true;
}

}  // namespace

// --- TWriter ---------------------------------------------------------------------

TWriter::TWriter(rtl::TStream& Stream) : TFiler(Stream) {}

// What the entry points wrote is flushed already; leftovers of a failed
// write are dropped rather than half-written from a destructor.
TWriter::~TWriter() = default;

void TWriter::FlushBuffer() {
  if (buffer_.empty()) return;
  std::string out;
  out.swap(buffer_);
  Stream().WriteBuffer(out.data(), static_cast<std::int64_t>(out.size()));
}

void TWriter::Write(const void* Buffer, std::size_t Count) {
  buffer_.append(static_cast<const char*>(Buffer), Count);
}

void TWriter::WriteValue(TValueType Value) { buffer_.push_back(static_cast<char>(Value)); }

void TWriter::WriteSignature() { Write(kSignature, sizeof kSignature); }

void TWriter::WriteRootComponent(TComponent* Root) {
  SetRoot(Root);
  buffer_.clear();
  WriteSignature();
  WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
  const bool outermost = depth_ == 0;
  if (!Root()) SetRoot(Component);
  WriteStr(Component->ClassInfo().Name());
  WriteStr(rtl::StringToUtf8(Component->Name()));
  WriteProperties(Component);
  WriteListEnd();
  if (++depth_ > kMaxDepth) {
    --depth_;
    throw rtl::EWriteError(u"Objects nest too deeply to be stored");
  }
  try {
    Component->GetChildren([this](TComponent* Child) { WriteComponent(Child); }, Root());
  } catch (...) {
    --depth_;
    throw;
  }
  --depth_;
  WriteListEnd();
  if (outermost) FlushBuffer();
}

void TWriter::WriteStr(std::string_view Value) {
  if (Value.size() > 255) throw rtl::EWriteError(u"Stream write error");
  buffer_.push_back(static_cast<char>(Value.size()));
  buffer_.append(Value);
}

void TWriter::WriteInteger(std::int64_t Value) {
  if (Value >= std::numeric_limits<std::int8_t>::min() && Value <= std::numeric_limits<std::int8_t>::max()) {
    WriteValue(vaInt8);
    PutLE(buffer_, static_cast<std::int8_t>(Value));
  } else if (Value >= std::numeric_limits<std::int16_t>::min() && Value <= std::numeric_limits<std::int16_t>::max()) {
    WriteValue(vaInt16);
    PutLE(buffer_, static_cast<std::int16_t>(Value));
  } else if (Value >= std::numeric_limits<std::int32_t>::min() && Value <= std::numeric_limits<std::int32_t>::max()) {
    WriteValue(vaInt32);
    PutLE(buffer_, static_cast<std::int32_t>(Value));
  } else {
    WriteValue(vaInt64);
    PutLE(buffer_, Value);
  }
}

void TWriter::WriteFloat(double Value) {
  WriteValue(vaExtended);
  unsigned char ext[10];
  DoubleToExtended(Value, ext);
  Write(ext, sizeof ext);
}

void TWriter::WriteDate(double Value) {
  WriteValue(vaDate);
  std::uint64_t bits;
  std::memcpy(&bits, &Value, sizeof bits);
  PutLE(buffer_, bits);
}

void TWriter::WriteString(std::u16string_view Value) {
  if (IsAscii(Value)) {
    if (Value.size() <= 255) {
      WriteValue(vaString);
      buffer_.push_back(static_cast<char>(Value.size()));
    } else {
      WriteValue(vaLString);
      PutLE(buffer_, static_cast<std::int32_t>(Value.size()));
    }
    for (char16_t c : Value) buffer_.push_back(static_cast<char>(c));
    return;
  }
  // The shorter of UTF-8 and UTF-16; text UTF-8 cannot carry stays UTF-16.
  std::string utf8 = HasLoneSurrogate(Value) ? std::string() : rtl::StringToUtf8(Value);
  if (!utf8.empty() && utf8.size() <= Value.size() * 2) {
    WriteValue(vaUTF8String);
    PutLE(buffer_, static_cast<std::int32_t>(utf8.size()));
    buffer_.append(utf8);
    return;
  }
  WriteValue(vaWString);
  PutLE(buffer_, static_cast<std::int32_t>(Value.size()));
  for (char16_t c : Value) PutLE(buffer_, static_cast<std::uint16_t>(c));
}

void TWriter::WriteIdent(std::string_view Ident) {
  if (SameStreamIdent(Ident, "False")) {
    WriteValue(vaFalse);
  } else if (SameStreamIdent(Ident, "True")) {
    WriteValue(vaTrue);
  } else if (SameStreamIdent(Ident, "nil")) {
    WriteValue(vaNil);
  } else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteBinary(std::string_view Bytes) {
  WriteValue(vaBinary);
  PutLE(buffer_, static_cast<std::int32_t>(Bytes.size()));
  buffer_.append(Bytes);
}

void TWriter::WriteVariant(const rtl::Variant& Value) {
  if (Value.IsArray()) throw rtl::EWriteError(u"Variant arrays cannot be stored");
  switch (Value.BaseType()) {
    case rtl::varEmpty: WriteValue(vaNil); break;
    case rtl::varNull: WriteValue(vaNull); break;
    case rtl::varBoolean: WriteBoolean(Value.AsBoolean()); break;
    case rtl::varSmallint:
    case rtl::varInteger:
    case rtl::varInt64: WriteInteger(Value.AsInt64()); break;
    case rtl::varDouble: {
      WriteValue(vaDouble);
      double d = Value.AsDouble();
      std::uint64_t bits;
      std::memcpy(&bits, &d, sizeof bits);
      PutLE(buffer_, bits);
      break;
    }
    case rtl::varCurrency:
      WriteValue(vaCurrency);
      PutLE(buffer_, Value.AsCurrency().Scaled);
      break;
    case rtl::varDate: WriteDate(Value.AsDateTime()); break;
    case rtl::varString:
    case rtl::varUString:
    case rtl::varOleStr: WriteString(Value.AsString()); break;
    default: throw rtl::EWriteError(u"Variant of this type cannot be stored");
  }
}

void TWriter::WritePropName(std::string_view Name) { WriteStr(prefix_ + std::string(Name)); }

void TWriter::WriteCollection(const TCollection* Value) {
  WriteValue(vaCollection);
  if (Value) {
    for (int i = 0; i < Value->Count(); ++i) {
      WriteListBegin();
      WriteProperties(Value->Items(i));
      WriteListEnd();
    }
  }
  WriteListEnd();
}

void TWriter::WriteProperties(const TPersistent* Instance) {
  if (++depth_ > kMaxDepth) {
    --depth_;
    throw rtl::EWriteError(u"Objects nest too deeply to be stored");
  }
  try {
    for (const TPropInfo* p : Instance->ClassInfo().Properties()) WriteProperty(Instance, *p);
    const_cast<TPersistent*>(Instance)->DefineProperties(this);
  } catch (...) {
    --depth_;
    throw;
  }
  --depth_;
}

std::string TWriter::ComponentPath(const TComponent* Component) const {
  std::string name = rtl::StringToUtf8(Component->Name());
  if (name.empty()) return {};
  const TComponent* owner = Component->Owner();
  if (!owner || owner == Root()) return name;
  std::string ownerName = rtl::StringToUtf8(owner->Name());
  return ownerName.empty() ? std::string() : ownerName + "." + name;
}

void TWriter::WriteProperty(const TPersistent* Instance, const TPropInfo& Prop) {
  if (!Prop.IsReadable() || !IsStoredProp(Instance, Prop)) return;
  // A component's name is its header.
  if (dynamic_cast<const TComponent*>(Instance) && prefix_.empty() && SameStreamIdent(Prop.Name, "Name")) return;
  // A property with a stored test of its own is written whenever the test
  // says so: the test already compares with the value that applies.
  const bool ownTest = static_cast<bool>(Prop.StoredTest);
  switch (Prop.Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet:
    case tkInt64: {
      if (!Prop.SetOrd) return;
      std::int64_t v = Prop.GetOrd(Instance);
      if (!ownTest) {
        if (Prop.Default != NoDefault && v == Prop.Default) return;
        if (Prop.Kind == tkInt64 && Prop.Default == NoDefault && v == 0) return;
      }
      WritePropName(Prop.Name);
      if (Prop.Kind == tkEnumeration) {
        WriteIdent(GetEnumName(Prop, v));
      } else if (Prop.Kind == tkSet) {
        WriteValue(vaSet);
        for (std::size_t i = 0; i < Prop.Names.size() && i < 64; ++i)
          if (v & (std::int64_t{1} << i)) WriteStr(Prop.Names[i]);
        WriteStr("");
      } else if (Prop.Kind == tkChar || Prop.Kind == tkWChar) {
        WriteString(std::u16string(1, static_cast<char16_t>(v)));
      } else {
        WriteInteger(v);
      }
      return;
    }
    case tkFloat: {
      if (!Prop.SetFloat) return;
      double v = Prop.GetFloat(Instance);
      if (!ownTest && v == 0) return;
      WritePropName(Prop.Name);
      if (Prop.IsDateTime)
        WriteDate(v);
      else
        WriteFloat(v);
      return;
    }
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: {
      if (!Prop.SetStr) return;
      String v = Prop.GetStr(Instance);
      if (!ownTest && v.empty()) return;
      WritePropName(Prop.Name);
      WriteString(v);
      return;
    }
    case tkVariant: {
      if (!Prop.SetVar) return;
      rtl::Variant v = Prop.GetVar(Instance);
      if (!ownTest && v.IsEmpty()) return;
      WritePropName(Prop.Name);
      WriteVariant(v);
      return;
    }
    case tkClass: {
      TObject* obj = Prop.GetObj(Instance);
      if (!obj) return;
      if (auto* component = dynamic_cast<TComponent*>(obj)) {
        if (!Prop.SetObj) return;
        std::string path = ComponentPath(component);
        if (path.empty()) return;
        WritePropName(Prop.Name);
        WriteIdent(path);
        return;
      }
      if (auto* collection = dynamic_cast<TCollection*>(obj)) {
        if (!ownTest && collection->Count() == 0) return;
        WritePropName(Prop.Name);
        std::string saved = prefix_;
        prefix_.clear();
        try {
          WriteCollection(collection);
        } catch (...) {
          prefix_ = saved;
          throw;
        }
        prefix_ = saved;
        return;
      }
      if (auto* nested = dynamic_cast<TPersistent*>(obj)) {
        std::string saved = prefix_;
        prefix_ += Prop.Name + ".";
        try {
          WriteProperties(nested);
        } catch (...) {
          prefix_ = saved;
          throw;
        }
        prefix_ = saved;
      }
      return;
    }
    default: return;
  }
}

void TWriter::DefineProperty(std::string_view Name, const TReaderProc&, const TWriterProc& WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  std::string saved = prefix_;
  prefix_.clear();
  try {
    WriteData(*this);
  } catch (...) {
    prefix_ = saved;
    throw;
  }
  prefix_ = saved;
}

void TWriter::DefineBinaryProperty(std::string_view Name, const TStreamProc&, const TStreamProc& WriteData,
                                   bool HasData) {
  if (!HasData || !WriteData) return;
  rtl::TMemoryStream data;
  WriteData(data);
  WritePropName(Name);
  WriteBinary(data.ToBytes());
}

// --- TReader ---------------------------------------------------------------------

TReader::TReader(rtl::TStream& Stream) : TFiler(Stream) {}

void TReader::Read(void* Buffer, std::size_t Count) {
  if (Count == 0) return;
  if (Stream().Read(Buffer, static_cast<std::int64_t>(Count)) != static_cast<std::int64_t>(Count)) StreamReadError();
}

std::size_t TReader::CheckedLength(std::int64_t Length, std::int64_t UnitSize) {
  if (Length < 0) StreamReadError();
  std::int64_t left = Stream().Size() - Stream().Position();
  if (left < 0 || Length > left / UnitSize) StreamReadError();
  return static_cast<std::size_t>(Length);
}

TValueType TReader::ReadValue() {
  std::uint8_t v;
  Read(&v, 1);
  if (v > vaDouble) ReadError(u"Invalid stream format: unknown value tag");
  return static_cast<TValueType>(v);
}

// A peek, not a check: where a list may go on, the byte is the length of
// the next name, which may be any value.
TValueType TReader::NextValue() {
  std::uint8_t v;
  Read(&v, 1);
  Stream().Seek(-1, rtl::TSeekOrigin::soCurrent);
  return static_cast<TValueType>(v);
}

void TReader::CheckValue(TValueType Expected) {
  if (ReadValue() != Expected) ReadError(u"Invalid stream format");
}

std::string TReader::ReadStr() {
  std::uint8_t n;
  Read(&n, 1);
  std::string s(n, '\0');
  Read(s.data(), n);
  return s;
}

void TReader::ReadSignature() {
  char sig[4];
  Read(sig, sizeof sig);
  if (std::memcmp(sig, kSignature, sizeof sig) != 0) ReadError(u"Invalid stream format");
}

std::int64_t TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8: {
      unsigned char b[1];
      Read(b, 1);
      return GetLE<std::int8_t>(b);
    }
    case vaInt16: {
      unsigned char b[2];
      Read(b, 2);
      return GetLE<std::int16_t>(b);
    }
    case vaInt32: {
      unsigned char b[4];
      Read(b, 4);
      return GetLE<std::int32_t>(b);
    }
    case vaInt64: {
      unsigned char b[8];
      Read(b, 8);
      return GetLE<std::int64_t>(b);
    }
    default: ReadError(u"Invalid stream format: integer expected");
  }
}

bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case vaTrue: return true;
    case vaFalse: return false;
    default: ReadError(u"Invalid stream format: Boolean expected");
  }
}

double TReader::ReadFloat() {
  TValueType t = ReadValue();
  switch (t) {
    case vaExtended: {
      unsigned char b[10];
      Read(b, sizeof b);
      double v;
      if (!ExtendedToDouble(b, v)) ReadError(u"Invalid stream format: floating-point value out of range");
      return v;
    }
    case vaSingle: {
      unsigned char b[4];
      Read(b, 4);
      std::uint32_t bits = GetLE<std::uint32_t>(b);
      float f;
      std::memcpy(&f, &bits, sizeof f);
      return f;
    }
    case vaDouble:
    case vaDate: {
      unsigned char b[8];
      Read(b, 8);
      std::uint64_t bits = GetLE<std::uint64_t>(b);
      double d;
      std::memcpy(&d, &bits, sizeof d);
      return d;
    }
    case vaCurrency: {
      unsigned char b[8];
      Read(b, 8);
      return static_cast<double>(GetLE<std::int64_t>(b)) / 10000.0;
    }
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      Stream().Seek(-1, rtl::TSeekOrigin::soCurrent);
      return static_cast<double>(ReadInteger());
    default: ReadError(u"Invalid stream format: floating-point value expected");
  }
}

String TReader::ReadString() {
  TValueType t = ReadValue();
  switch (t) {
    case vaString: {
      std::string s = ReadStr();
      return rtl::AnsiToString(s);
    }
    case vaLString:
    case vaUTF8String: {
      unsigned char b[4];
      Read(b, 4);
      std::size_t n = CheckedLength(GetLE<std::int32_t>(b));
      std::string s(n, '\0');
      Read(s.data(), n);
      return t == vaUTF8String ? rtl::Utf8ToString(s) : rtl::AnsiToString(s);
    }
    case vaWString: {
      unsigned char b[4];
      Read(b, 4);
      std::size_t n = CheckedLength(GetLE<std::int32_t>(b), 2);
      std::string raw(n * 2, '\0');
      Read(raw.data(), raw.size());
      String s(n, u'\0');
      for (std::size_t i = 0; i < n; ++i) s[i] = GetLE<std::uint16_t>(reinterpret_cast<const unsigned char*>(raw.data()) + 2 * i);
      return s;
    }
    default: ReadError(u"Invalid stream format: string expected");
  }
}

std::string TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: ReadError(u"Invalid stream format: identifier expected");
  }
}

std::string TReader::ReadBinary() {
  CheckValue(vaBinary);
  unsigned char b[4];
  Read(b, 4);
  std::size_t n = CheckedLength(GetLE<std::int32_t>(b));
  std::string s(n, '\0');
  Read(s.data(), n);
  return s;
}

rtl::Variant TReader::ReadVariant() {
  switch (NextValue()) {
    case vaNil:
      ReadValue();
      return rtl::Variant();
    case vaNull:
      ReadValue();
      return rtl::Variant::Null();
    case vaFalse:
    case vaTrue: return rtl::Variant(ReadBoolean());
    case vaInt8:
    case vaInt16:
    case vaInt32: return rtl::Variant(static_cast<int>(ReadInteger()));
    case vaInt64: return rtl::Variant(ReadInteger());
    case vaDate: return rtl::Variant::FromDate(ReadFloat());
    case vaCurrency: {
      ReadValue();
      unsigned char b[8];
      Read(b, 8);
      rtl::Currency c;
      c.Scaled = GetLE<std::int64_t>(b);
      return rtl::Variant(c);
    }
    case vaExtended:
    case vaSingle:
    case vaDouble: return rtl::Variant(ReadFloat());
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String: return rtl::Variant(ReadString());
    default: ReadError(u"Invalid stream format: variant expected");
  }
}

void TReader::ReadRootComponent(TComponent* Root) {
  SetRoot(Root);
  ReadSignature();
  ReadComponent(Root);
}

void TReader::ReadComponent(TComponent* Instance) {
  if (!Root()) SetRoot(Instance);
  // A prefix byte 0xFn carries filer flags (inherited, child position,
  // inline); a child position follows as an integer. Neither changes how
  // the properties read.
  std::uint8_t first;
  Read(&first, 1);
  if ((first & 0xF0) == 0xF0) {
    if (first & 0x02) ReadInteger();
  } else {
    Stream().Seek(-1, rtl::TSeekOrigin::soCurrent);
  }
  std::string className = ReadStr();
  if (!SameStreamIdent(className, Instance->ClassInfo().Name()))
    ReadError(u"Invalid stream format: a %s was expected", Instance->ClassInfo().Name());
  ApplyName(Instance, ReadStr());
  Instance->LoadFromReader(*this);
}

void TReader::ApplyName(TComponent* Instance, const std::string& Name) {
  try {
    String newName = rtl::Utf8ToString(Name);
    if (newName != Instance->Name()) Instance->SetName(newName);
  } catch (const rtl::EReadError&) {
    throw;
  } catch (const rtl::Exception& e) {
    ReadError(e.Message());
  }
}

void TReader::ReadChildren(TComponent* Parent) {
  if (++depth_ > kMaxDepth) {
    --depth_;
    ReadError(u"Invalid stream format: objects nest too deeply");
  }
  try {
    while (!EndOfList()) ReadChild(Parent);
    ReadListEnd();
  } catch (...) {
    --depth_;
    throw;
  }
  --depth_;
}

void TReader::ReadChild(TComponent* Parent) {
  std::uint8_t first;
  Read(&first, 1);
  bool inherited = false;
  if ((first & 0xF0) == 0xF0) {
    inherited = (first & 0x01) != 0;
    if (first & 0x02) ReadInteger();
  } else {
    Stream().Seek(-1, rtl::TSeekOrigin::soCurrent);
  }
  const std::string className = ReadStr();
  const std::string name = ReadStr();
  // The class must be known before anything is made or touched.
  const TClassInfo* info = FindComponentClass(className);
  if (!info) ReadError(u"Class %s not found", className);

  TComponent* child = nullptr;
  bool made = false;
  if (inherited) {
    Parent->GetChildren(
        [&](TComponent* C) {
          if (!child && SameStreamIdent(rtl::StringToUtf8(C->Name()), name)) child = C;
        },
        Root());
    if (!child && OnAncestorNotFound) child = OnAncestorNotFound(name, *info);
    if (!child) ReadError(u"Ancestor for '%s' not found", name);
  } else {
    if (OnCreateComponent) child = OnCreateComponent(*info);
    if (!child) {
      child = MakeRegistered(*info, Root() ? Root() : Parent);
      made = true;
    }
  }
  try {
    if (made) {
      ApplyName(child, name);
      child->SetParentComponent(Parent);
    } else if (!SameStreamIdent(child->ClassInfo().Name(), className) &&
               !child->ClassInfo().InheritsFrom(*info)) {
      ReadError(u"Invalid stream format: a %s was expected", child->ClassInfo().Name());
    }
    child->LoadFromReader(*this);
  } catch (...) {
    if (made) Free(child);
    throw;
  }
}

void TReader::ReadProperties(TPersistent* Instance) {
  if (++depth_ > kMaxDepth) {
    --depth_;
    ReadError(u"Invalid stream format: objects nest too deeply");
  }
  try {
    while (!EndOfList()) ReadProperty(Instance);
    ReadListEnd();
  } catch (...) {
    --depth_;
    throw;
  }
  --depth_;
}

void TReader::ReadCollection(TCollection* Value) {
  if (++depth_ > kMaxDepth) {
    --depth_;
    ReadError(u"Invalid stream format: objects nest too deeply");
  }
  Value->BeginUpdate();
  try {
    Value->Clear();
    while (!EndOfList()) {
      // An item may carry its order; items are read in stream order anyway.
      TValueType next = NextValue();
      if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();
      TCollectionItem* item = Value->Add();
      ReadListBegin();
      while (!EndOfList()) ReadProperty(item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    Value->EndUpdate();
    --depth_;
    throw;
  }
  Value->EndUpdate();
  --depth_;
}

void TReader::ReadProperty(TPersistent* Instance) {
  const std::string path = ReadStr();
  if (path.empty()) ReadError(u"Invalid stream format: property without a name");
  try {
    TPersistent* target = Instance;
    std::size_t start = 0;
    for (;;) {
      std::size_t dot = path.find('.', start);
      std::string part = path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
      if (part.empty()) ReadError(u"Property %s does not exist", path);
      const TPropInfo* prop = target->ClassInfo().FindProp(part);
      if (dot == std::string::npos) {
        if (prop) {
          ReadPropValue(target, *prop);
        } else {
          SkipDefined(target, part);
        }
        return;
      }
      // Only objects a property owns are entered; a referenced component
      // is not the stream's to change.
      if (!prop || prop->Kind != tkClass || !prop->GetObj) ReadError(u"Property %s does not exist", path);
      TObject* child = prop->GetObj(target);
      auto* nested = dynamic_cast<TPersistent*>(child);
      if (!nested || dynamic_cast<TComponent*>(child) || dynamic_cast<TCollection*>(child))
        ReadError(u"Property %s does not exist", path);
      target = nested;
      start = dot + 1;
    }
  } catch (const rtl::EReadError&) {
    throw;
  } catch (const rtl::Exception& e) {
    throw rtl::EReadError(rtl::Format(u"Error reading %s: %s", {rtl::Utf8ToString(path), e.Message()}));
  }
}

void TReader::SkipDefined(TPersistent* Instance, const std::string& Name) {
  propName_ = Name;
  try {
    Instance->DefineProperties(this);
  } catch (...) {
    propName_.clear();
    throw;
  }
  if (!propName_.empty()) {
    propName_.clear();
    ReadError(u"Property %s does not exist", Name);
  }
}

void TReader::DefineProperty(std::string_view Name, const TReaderProc& ReadData, const TWriterProc&, bool) {
  if (propName_.empty() || !SameStreamIdent(Name, propName_)) return;
  std::string name = propName_;
  propName_.clear();
  if (!ReadData) ReadError(u"Property %s cannot be read", name);
  ReadData(*this);
}

void TReader::DefineBinaryProperty(std::string_view Name, const TStreamProc& ReadData, const TStreamProc&, bool) {
  if (propName_.empty() || !SameStreamIdent(Name, propName_)) return;
  std::string name = propName_;
  propName_.clear();
  if (!ReadData) ReadError(u"Property %s cannot be read", name);
  std::string bytes = ReadBinary();
  rtl::TMemoryStream data;
  data.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  data.SetPosition(0);
  ReadData(data);
}

TComponent* TReader::FindReferenced(const std::string& Path) const {
  if (OnFindComponent) return OnFindComponent(Path);
  if (!Root() || Path.find('.') != std::string::npos) return nullptr;
  return Root()->FindComponent(rtl::Utf8ToString(Path));
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo& Prop) {
  const std::string& name = Prop.Name;
  switch (Prop.Kind) {
    case tkInteger: {
      std::int64_t v = ReadInteger();
      // Unsigned 32-bit properties are kept as integers too.
      if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::uint32_t>::max())
        InvalidValue(name);
      if (!Prop.SetOrd) ReadError(u"Property %s is read-only", name);
      Prop.SetOrd(Instance, v);
      return;
    }
    case tkInt64: {
      std::int64_t v = ReadInteger();
      if (!Prop.SetOrd) ReadError(u"Property %s is read-only", name);
      Prop.SetOrd(Instance, v);
      return;
    }
    case tkChar:
    case tkWChar: {
      std::int64_t v;
      TValueType next = NextValue();
      if (next == vaInt8 || next == vaInt16 || next == vaInt32 || next == vaInt64) {
        v = ReadInteger();
      } else {
        String s = ReadString();
        if (s.size() != 1) InvalidValue(name);
        v = s[0];
      }
      if (v < 0 || v > (Prop.Kind == tkChar ? 0xFF : 0xFFFF)) InvalidValue(name);
      if (!Prop.SetOrd) ReadError(u"Property %s is read-only", name);
      Prop.SetOrd(Instance, v);
      return;
    }
    case tkEnumeration: {
      std::string ident = ReadIdent();
      int v = GetEnumValue(Prop, ident);
      if (v < 0) InvalidValue(name);
      if (!Prop.SetOrd) ReadError(u"Property %s is read-only", name);
      Prop.SetOrd(Instance, v);
      return;
    }
    case tkSet: {
      CheckValue(vaSet);
      std::int64_t bits = 0;
      for (;;) {
        std::string element = ReadStr();
        if (element.empty()) break;
        int v = GetEnumValue(Prop, element);
        if (v < 0 || v >= 64) InvalidValue(name);
        bits |= std::int64_t{1} << v;
      }
      if (!Prop.SetOrd) ReadError(u"Property %s is read-only", name);
      Prop.SetOrd(Instance, bits);
      return;
    }
    case tkFloat: {
      double v = ReadFloat();
      if (!Prop.SetFloat) ReadError(u"Property %s is read-only", name);
      Prop.SetFloat(Instance, v);
      return;
    }
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: {
      String v = ReadString();
      if (!Prop.SetStr) ReadError(u"Property %s is read-only", name);
      Prop.SetStr(Instance, v);
      return;
    }
    case tkVariant: {
      rtl::Variant v = ReadVariant();
      if (!Prop.SetVar) ReadError(u"Property %s is read-only", name);
      Prop.SetVar(Instance, v);
      return;
    }
    case tkClass: {
      switch (NextValue()) {
        case vaCollection: {
          auto* collection = Prop.GetObj ? dynamic_cast<TCollection*>(Prop.GetObj(Instance)) : nullptr;
          if (!collection) InvalidValue(name);
          ReadValue();
          ReadCollection(collection);
          return;
        }
        case vaNil:
          ReadValue();
          if (!Prop.SetObj) ReadError(u"Property %s is read-only", name);
          Prop.SetObj(Instance, nullptr);
          return;
        case vaIdent: {
          std::string path = ReadIdent();
          if (!Prop.SetObj || !Prop.GetObj) ReadError(u"Property %s is read-only", name);
          TComponent* found = FindReferenced(path);
          // A reference nothing answers to stays as it is.
          if (!found) return;
          TObject* old = Prop.GetObj(Instance);
          if (old && !dynamic_cast<TComponent*>(old)) InvalidValue(name);
          Prop.SetObj(Instance, found);
          if (Prop.GetObj(Instance) != found) {
            // The setter refused it (a component of another class).
            Prop.SetObj(Instance, old);
            InvalidValue(name);
          }
          return;
        }
        default: InvalidValue(name);
      }
      return;
    }
    default: ReadError(u"Property %s cannot be read", name);
  }
}

// --- TStrings --------------------------------------------------------------------

void TStrings::DefineProperties(TFiler* Filer) {
  Filer->DefineProperty(
      "Strings",
      [this](TReader& Reader) {
        BeginUpdate();
        try {
          Clear();
          Reader.ReadListBegin();
          while (!Reader.EndOfList()) Add(Reader.ReadString());
          Reader.ReadListEnd();
        } catch (...) {
          EndUpdate();
          throw;
        }
        EndUpdate();
      },
      [this](TWriter& Writer) {
        Writer.WriteListBegin();
        for (int i = 0; i < Count(); ++i) Writer.WriteString(Get(i));
        Writer.WriteListEnd();
      },
      Count() > 0);
}

// --- class registry --------------------------------------------------------------

namespace {

struct RegisteredClass {
  const TClassInfo* info;
  TComponentFactory create;
};

std::vector<RegisteredClass>& Registry() {
  static std::vector<RegisteredClass> classes;
  return classes;
}

RegisteredClass* FindRegistered(std::string_view ClassName) {
  for (RegisteredClass& c : Registry())
    if (SameStreamIdent(c.info->Name(), ClassName)) return &c;
  return nullptr;
}

}  // namespace

void RegisterComponentClass(const TClassInfo& ComponentClass, TComponentFactory Create) {
  if (RegisteredClass* c = FindRegistered(ComponentClass.Name())) {
    *c = {&ComponentClass, std::move(Create)};
    return;
  }
  Registry().push_back({&ComponentClass, std::move(Create)});
}

void UnRegisterComponentClass(const TClassInfo& ComponentClass) {
  auto& r = Registry();
  for (auto it = r.begin(); it != r.end(); ++it)
    if (it->info == &ComponentClass) {
      r.erase(it);
      return;
    }
}

const TClassInfo* FindComponentClass(std::string_view ClassName) {
  const RegisteredClass* c = FindRegistered(ClassName);
  return c ? c->info : nullptr;
}

TComponent* TReader::MakeRegistered(const TClassInfo& ComponentClass, TComponent* Owner) {
  const RegisteredClass* c = FindRegistered(ComponentClass.Name());
  if (!c || !c->create) ReadError(u"Class %s not found", ComponentClass.Name());
  TComponent* made = nullptr;
  try {
    made = c->create(Owner);
  } catch (const rtl::EReadError&) {
    throw;
  } catch (const rtl::Exception& e) {
    ReadError(e.Message());
  }
  if (!made) ReadError(u"Class %s not found", ComponentClass.Name());
  return made;
}

void TComponent::LoadFromReader(TReader& Reader) {
  Reader.ReadProperties(this);
  Reader.ReadChildren(this);
}

// --- entry points ----------------------------------------------------------------

void WriteComponentToStream(rtl::TStream& Stream, TComponent* Component) {
  TWriter writer(Stream);
  writer.WriteRootComponent(Component);
}

void ReadComponentFromStream(rtl::TStream& Stream, TComponent* Instance) {
  TReader reader(Stream);
  reader.ReadRootComponent(Instance);
}

}  // namespace ui
