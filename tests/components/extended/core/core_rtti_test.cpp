#include <gtest/gtest.h>

#include <cstring>

#include "platform/classes/classes.h"
#include "platform/runtime/convert.h"
#include "components/extended/core/core_errors.h"
#include "components/extended/core/core_rtti.h"

using namespace ext;
using rtl::String;
using namespace ui;

namespace {

// Collects the writer's output as lines, two blanks per indent level.
class LinesWriter : public IInfoWriter {
 public:
  void PutText(const String& Text) override {
    if (line_.empty() && !Text.empty()) line_ = String(static_cast<std::size_t>(indent_ * 2), u' ');
    line_ += Text;
  }
  void PutLine(const String& Text) override {
    PutText(Text);
    out += line_ + u"\n";
    line_.clear();
  }
  void IndentMore() override { ++indent_; }
  void IndentLess() override { --indent_; }
  String Text() const { return out + line_; }
  String out;

 private:
  String line_;
  int indent_ = 0;
};

String Describe(const ICoreBaseInfo& info) {
  LinesWriter w;
  info.DescribeTo(w);
  return w.Text();
}
String Declare(const ICoreBaseInfo& info) {
  LinesWriter w;
  info.DeclareTo(w);
  return w.Text();
}
String Hex(const void* p) { return rtl::IntToHex(reinterpret_cast<std::uintptr_t>(p), sizeof(void*) * 2); }

// An enumeration a..f, a set of it, a sub-range c..e, and a set of 10..20.
struct Types {
  TTypeInfo letters, letterSet, middle, number, numberSet, anonSet, anonElement;
  Types() {
    letters.Kind = tkEnumeration;
    letters.Name = "TLetter";
    letters.UnitName = "Letters";
    letters.OrdType = otUByte;
    letters.MaxValue = 5;
    letters.Names = {"a", "b", "c", "d", "e", "f"};
    letterSet.Kind = tkSet;
    letterSet.Name = "TLetters";
    letterSet.OrdType = otUByte;
    letterSet.BaseType = &letters;
    middle = letters;
    middle.Name = "TMiddle";
    middle.Names.clear();
    middle.BaseType = &letters;
    middle.MinValue = 2;
    middle.MaxValue = 4;
    number.Kind = tkInteger;
    number.Name = "TNumber";
    number.OrdType = otUByte;
    number.MinValue = 10;
    number.MaxValue = 20;
    numberSet.Kind = tkSet;
    numberSet.Name = "TNumbers";
    numberSet.OrdType = otUWord;
    numberSet.BaseType = &number;
    anonElement = letters;
    anonElement.Name = ".1";
    anonElement.Names = {"x", "y"};
    anonElement.MaxValue = 1;
    anonSet = letterSet;
    anonSet.BaseType = &anonElement;
    anonSet.Name = "TXY";
  }
};

std::uint8_t Bits(std::initializer_list<int> members) {
  std::uint8_t v = 0;
  for (int m : members) v |= std::uint8_t(1u << m);
  return v;
}

}  // namespace

TEST(CoreRtti, ListingSetMembers) {
  Types t;
  auto set = std::dynamic_pointer_cast<ICoreSetTypeInfo>(TypeInfoObjectFor(&t.letterSet));
  ASSERT_TRUE(set);
  struct Row {
    std::uint8_t value;
    bool ranges;
    std::vector<String> entries;
  } rows[] = {
      {Bits({0, 1, 2, 4}), true, {u"a .. c", u"e"}},
      {Bits({0, 1, 2, 4}), false, {u"a", u"b", u"c", u"e"}},
      {Bits({4, 5}), true, {u"e .. f"}},  // a run open at the end
      {Bits({}), true, {}},
      {Bits({0, 1, 2, 3, 4, 5}), true, {u"a .. f"}},
  };
  for (const Row& r : rows) {
    TStringList list;
    list.Add(u"kept");
    set->ListSetMembers(&r.value, r.ranges, list);
    std::vector<String> got = list.ToVector();
    got.erase(got.begin());
    EXPECT_EQ(got, r.entries) << int(r.value) << " " << r.ranges;
  }
  const std::uint8_t v = Bits({0, 1, 2, 4});
  EXPECT_EQ(SetValueToText(&t.letterSet, &v, true), u"[a, b, c, e]");
  EXPECT_EQ(SetValueToText(&t.letterSet, &v, false), u"a, b, c, e");
  TStringList appended;
  appended.Add(u"before");
  EXPECT_EQ(SetValueToText(&t.letterSet, &v, appended, true), u"[a, b, c, e]");
  EXPECT_EQ(appended.Count(), 5);
}

TEST(CoreRtti, SetsOverAnIntegerRangeStartAtTheRangesBit) {
  Types t;
  auto set = std::dynamic_pointer_cast<ICoreSetTypeInfo>(TypeInfoObjectFor(&t.numberSet));
  EXPECT_EQ(set->StorageSize(), 2);  // bits 2..12
  std::uint8_t v[2] = {0xFF, 0xFF};
  TextToSetValue(&t.numberSet, v, u"[10, 12..13, 20]");
  EXPECT_EQ(v[0], 0b00110100);  // 10 at bit 2, 12 and 13 at bits 4 and 5
  EXPECT_EQ(v[1], 0b00010000);  // 20 at bit 12
  EXPECT_EQ(SetValueToText(&t.numberSet, v, true), u"[10, 12, 13, 20]");
  TStringList ranges;
  set->ListSetMembers(v, true, ranges);
  EXPECT_EQ(ranges.ToVector(), (std::vector<String>{u"10", u"12 .. 13", u"20"}));
}

TEST(CoreRtti, TextToSetValue) {
  Types t;
  struct Row {
    String text;
    std::uint8_t value;
  } rows[] = {
      {u"[a, c]", Bits({0, 2})},
      {u"", 0},
      {u"[]", 0},
      {u"a,,  c ", Bits({0, 2})},
      {u"[A .. c, F]", Bits({0, 1, 2, 5})},
      {u"[a, c] ", Bits({0, 2})},
      // A text cut short keeps its last member.
      {u"[a, c", Bits({0, 2})},
      {u"[c", Bits({2})},
  };
  for (const Row& r : rows) {
    std::uint8_t v = 0xFF;
    TextToSetValue(&t.letterSet, &v, r.text);
    EXPECT_EQ(v, r.value) << rtl::StringToUtf8(r.text);
  }
  std::uint8_t v = 0;
  try {
    TextToSetValue(&t.letterSet, &v, u"[a, zz]");
    ADD_FAILURE() << "no exception";
  } catch (const ECoreRTTIError& e) {
    EXPECT_EQ(e.Message(), u"Unknown identifier 'zz'.");
  }
  std::uint8_t n[2] = {};
  EXPECT_THROW(TextToSetValue(&t.numberSet, n, u"[1x]"), rtl::EConvertError);
  // A number outside the element type would be a bit outside the value.
  EXPECT_THROW(TextToSetValue(&t.numberSet, n, u"[21]"), ECoreRTTIError);
  EXPECT_THROW(TextToSetValue(&t.numberSet, n, u"[9]"), ECoreRTTIError);
}

TEST(CoreRtti, OrdinalValueNames) {
  Types t;
  TTypeInfo signedType = t.letters;
  signedType.OrdType = otSByte;
  const std::uint8_t two = 2, big = 200;
  const std::uint32_t wide = 0x00000103;  // only the low byte counts for a byte-wide type
  EXPECT_EQ(OrdinalValueName(&t.letters, &two), u"c");
  EXPECT_EQ(OrdinalValueName(&t.letters, &wide), u"d");
  EXPECT_EQ(OrdinalValueName(&t.letters, &big), u"Value out of range (ordinal=200).");
  EXPECT_EQ(OrdinalValueName(&signedType, &big), u"Value out of range (ordinal=-56).");
  EXPECT_EQ(OrdinalValueName(&t.middle, &two), u"c");
  const std::uint8_t one = 1;
  EXPECT_EQ(OrdinalValueName(&t.middle, &one), u"Value out of range (ordinal=1).");

  struct Row {
    TOrdType ord;
    std::uint32_t raw;
    std::int64_t value;
  } rows[] = {{otSByte, 0xFF, -1},       {otUByte, 0xFF, 255},          {otSWord, 0x8000, -32768},
              {otUWord, 0x8000, 32768},  {otSLong, 0xFFFFFFFF, -1},     {otULong, 0xFFFFFFFF, 4294967295LL}};
  for (const Row& r : rows) {
    EXPECT_EQ(ReadOrdinalValue(&r.raw, r.ord), r.value) << r.ord;
    std::uint32_t back = 0;
    WriteOrdinalValue(&back, r.ord, r.value);
    EXPECT_EQ(back, r.raw) << r.ord;
  }
}

TEST(CoreRtti, EnumerationQuestions) {
  Types t;
  auto e = std::dynamic_pointer_cast<ICoreEnumerationTypeInfo>(TypeInfoObjectFor(&t.middle));
  ASSERT_TRUE(e);
  EXPECT_EQ(e->MinValue(), 2);
  EXPECT_EQ(e->MaxValue(), 4);
  EXPECT_EQ(e->Names(3), u"d");
  EXPECT_EQ(e->Names(5), u"");
  EXPECT_EQ(e->IndexOfName(u"E"), 4);
  EXPECT_EQ(e->IndexOfName(u"a"), -1);  // in the base, not in the sub-range
  EXPECT_EQ(e->BaseType()->TypeName(), u"TLetter");
  EXPECT_EQ(TypeInfoObjectFor(static_cast<const TTypeInfo*>(nullptr)), nullptr);
}

TEST(CoreRtti, PropertySpecifiers) {
  struct Row {
    std::uint32_t specifier;
    TCorePropSpecKind kind;
    std::uint32_t value;
  } rows[] = {
      {0xFF000010, pskField, 0x10},          {0xFFABCDEF, pskField, 0xABCDEF},
      {0xFE001234, pskVirtualMethod, 0x1234}, {0xFEAB1234, pskVirtualMethod, 0x1234},
      {0, pskConstant, 0},                   {1, pskConstant, 1},
      {2, pskStaticMethod, 2},               {0x12345678, pskStaticMethod, 0x12345678},
  };
  for (const Row& r : rows) {
    std::uint32_t v = 99;
    EXPECT_EQ(DecodePropSpec(r.specifier, v), r.kind) << std::hex << r.specifier;
    EXPECT_EQ(v, r.value) << std::hex << r.specifier;
  }
}

TEST(CoreRtti, DescribingOrdinalsAndSets) {
  Types t;
  const String head = u"Name: TLetters\nType kind: tkSet\nType info: " + Hex(&t.letterSet) + u"\n";
  EXPECT_EQ(Describe(*TypeInfoObjectFor(&t.letterSet)),
            head + u"Ordinal type: otUByte\nBased on: \n"
                   u"  Name: TLetter\n  Type kind: tkEnumeration\n  Type info: " + Hex(&t.letters) +
                u"\n  Ordinal type: otUByte\n  Min value: 0\n  Max value: 5\n  Unit name: Letters\n"
                u"  Names: (a, b, c, d, e, f)\n");
  struct Row {
    const TTypeInfo* type;
    String declaration;
  } rows[] = {
      {&t.letters, u"TLetter = (a, b, c, d, e, f); // otUByte\n"},
      {&t.middle, u"TMiddle = c .. e; // otUByte\n"},
      {&t.letterSet, u"TLetters = set of TLetter; // otUByte\n"},
      {&t.anonSet, u"TXY = set of (x, y); // otUByte\n"},
      {&t.number, u"TNumber = 10..20; // otUByte\n"},
  };
  for (const Row& r : rows) EXPECT_EQ(Declare(*TypeInfoObjectFor(r.type)), r.declaration);

  TTypeInfo ch;
  ch.Kind = tkChar;
  ch.Name = "TLow";
  ch.OrdType = otUByte;
  ch.MinValue = 31;
  ch.MaxValue = 'z';
  EXPECT_EQ(Declare(*TypeInfoObjectFor(&ch)), u"TLow = #31..'z'; // otUByte\n");
  TTypeInfo ulong;
  ulong.Kind = tkInteger;
  ulong.Name = "Cardinal";
  ulong.OrdType = otULong;
  ulong.MinValue = 0;
  ulong.MaxValue = -1;  // all 32 bits set
  auto range = std::dynamic_pointer_cast<ICoreOrdinalRangeTypeInfo>(TypeInfoObjectFor(&ulong));
  EXPECT_EQ(range->MaxValue(), 4294967295LL);
  ulong.OrdType = otSLong;
  EXPECT_EQ(range->MaxValue(), -1);
}

TEST(CoreRtti, DescribingOtherKinds) {
  TTypeInfo f;
  f.Kind = tkFloat;
  f.Name = "TReal";
  f.FloatType = ftExtended;
  TTypeInfo s;
  s.Kind = tkString;
  s.Name = "TShort";
  s.MaxLength = 40;
  TTypeInfo i64;
  i64.Kind = tkInt64;
  i64.Name = "TBig";
  i64.MinValue = -5;
  i64.MaxValue = 1LL << 40;
  TTypeInfo intf;
  intf.Kind = tkInterface;
  intf.Name = "IThing";
  intf.UnitName = "Things";
  intf.IntfFlags = 1 << ifHasGuid;
  intf.Guid = {0x20, 0x52, 0xAD, 0x7D, 0xEA, 0x46, 0xD5, 0x11, 0xB0, 0xC0, 0x48, 0x54, 0xE8, 0x25, 0xF3, 0x45};
  intf.PropertyCount = 2;
  TTypeInfo unknown;
  unknown.Kind = tkInterface;
  unknown.Name = "IUnknown";
  intf.IntfParent = &unknown;
  TTypeInfo derived = intf;
  derived.Name = "IDerived";
  derived.IntfParent = &intf;
  TTypeInfo method;
  method.Kind = tkMethod;
  method.Name = "TOnThing";
  method.MethodKind = mkFunction;
  method.ResultType = "Boolean";
  method.Params = {{1 << pfVar, "Count", "Integer"},
                   {1 << pfConst | 1 << pfArray, "Args", "TVarRec"},
                   {1 << pfOut, "Name", "string"},
                   {0, "Untyped", ""}};
  TTypeInfo arr;
  arr.Kind = tkDynArray;
  arr.Name = "TBigs";
  arr.UnitName = "Things";
  arr.ElementSize = 8;
  arr.ElementType2 = &i64;
  arr.VarType = 20;
  TTypeInfo none;
  none.Kind = tkRecord;
  none.Name = "TRec";

  struct Row {
    const TTypeInfo* type;
    String describedTail;  // after the three common lines
    String declaration;
  } rows[] = {
      {&f, u"Float type: ftExtended\n", u"TReal = type Extended;\n"},
      {&s, u"Max length: 40\n", u"TShort = string[40];\n"},
      {&i64, u"Min value: -5\nMax value: 1099511627776\n", u"TBig = -5 .. 1099511627776;\n"},
      {&intf,
       u"GUID: {7dad5220-46ea-11d5-b0c0-4854e825f345}\nFlags: [ifHasGuid]\nUnit name: Things\nParent: IUnknown\n"
       u"Property count: 2\n",
       u"IThing = interface // unit Things\n  ['{7dad5220-46ea-11d5-b0c0-4854e825f345}']\nend;\n"},
      {&derived,
       u"GUID: {7dad5220-46ea-11d5-b0c0-4854e825f345}\nFlags: [ifHasGuid]\nUnit name: Things\nParent: IThing\n"
       u"Property count: 2\n",
       u"IDerived = interface(IThing) // unit Things\n  ['{7dad5220-46ea-11d5-b0c0-4854e825f345}']\nend;\n"},
      {&method,
       u"Method kind: mkFunction\nParameter count: 4\n  Name: Count\n  Type: Integer\n  Flags: [pfVar]\n\n"
       u"  Name: Args\n  Type: TVarRec\n  Flags: [pfConst, pfArray]\n\n  Name: Name\n  Type: string\n"
       u"  Flags: [pfOut]\n\n  Name: Untyped\n  Type: \n  Flags: []\nReturn type: Boolean\n",
       u"TOnThing = function(var Count: Integer; const Args: array of const; out Name: string; Untyped): Boolean"
       u" of object;\n"},
      {&arr,
       u"Element size: 8\nElement type: TBig\nElements need clean up: False\nVariant type: 20\nUnit name: Things\n",
       u"TBigs = array of TBig; // Unit Things\n"},
      {&none, u"", u"// Declaration for 'TRec' not supported."},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.type->Name);
    auto info = TypeInfoObjectFor(r.type);
    EXPECT_EQ(Describe(*info), u"Name: " + rtl::Utf8ToString(r.type->Name) + u"\nType kind: " +
                                   (r.type->Kind == tkRecord        ? String(u"tkRecord")
                                    : r.type->Kind == tkFloat       ? String(u"tkFloat")
                                    : r.type->Kind == tkString      ? String(u"tkString")
                                    : r.type->Kind == tkInt64       ? String(u"tkInt64")
                                    : r.type->Kind == tkInterface   ? String(u"tkInterface")
                                    : r.type->Kind == tkMethod      ? String(u"tkMethod")
                                                                    : String(u"tkDynArray")) +
                                   u"\nType info: " + Hex(r.type) + u"\n" + r.describedTail);
    EXPECT_EQ(Declare(*info), r.declaration);
  }
  auto i = std::dynamic_pointer_cast<ICoreInterfaceTypeInfo>(TypeInfoObjectFor(&intf));
  EXPECT_EQ(i->GUID().D1, 0x7DAD5220u);
  intf.IntfFlags = 0;
  EXPECT_EQ(i->GUID(), TGUID{});
  auto e = std::dynamic_pointer_cast<ICoreEventTypeInfo>(TypeInfoObjectFor(&method));
  EXPECT_EQ(e->Parameters(0)->RecordSize(), 5 + 7 + 3);
  method.MethodKind = mkProcedure;
  EXPECT_EQ(e->ResultTypeName(), u"");
}

namespace {

class Gadget : public TPersistent {
  JQ_UI_CLASSINFO
 public:
  int Size() const { return size_; }
  void SetSize(int v) { size_ = v; }
  bool Shown() const { return shown_; }
  String Caption() const { return caption_; }
  void SetCaption(const String& v) { caption_ = v; }

 private:
  int size_ = 0;
  bool shown_ = false;
  String caption_;
};

const TClassInfo& Gadget::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<Gadget>("TGadget", &TPersistent::StaticClassInfo())
                                     .Unit("Gadgets")
                                     .Implements({0x20, 0x52, 0xAD, 0x7D, 0xEA, 0x46, 0xD5, 0x11, 0xB0, 0xC0, 0x48,
                                                  0x54, 0xE8, 0x25, 0xF3, 0x45})
                                     .Integer("Size", &Gadget::Size, &Gadget::SetSize, 4)
                                     .Index(3)
                                     .Boolean("Shown", &Gadget::Shown, nullptr)
                                     .NotStored()
                                     .Str("Caption", &Gadget::Caption, &Gadget::SetCaption)
                                     .Build();
  return info;
}

}  // namespace

TEST(CoreRtti, ClassesFromTheRegistry) {
  auto c = ClassTypeInfoFor(Gadget::StaticClassInfo());
  EXPECT_EQ(c->PropertyCount(), 3);
  EXPECT_EQ(c->TotalPropertyCount(), 3);
  EXPECT_EQ(c->Parent()->TypeName(), u"TPersistent");
  EXPECT_EQ(c->PropByName(u"missing"), nullptr);
  auto size = c->PropByName(u"size");
  ASSERT_TRUE(size);
  EXPECT_TRUE(size->HasIndex());
  EXPECT_EQ(size->Index(), 3);
  EXPECT_TRUE(size->HasDefault());
  EXPECT_EQ(size->ReaderType(), pskStaticMethod);
  EXPECT_EQ(size->PropType()->TypeName(), u"Integer");
  auto shown = c->Properties(1);
  EXPECT_EQ(shown->WriterType(), pskConstant);  // no writer
  EXPECT_EQ(shown->WriterValue(), 0u);
  EXPECT_EQ(shown->StoredType(), pskConstant);
  EXPECT_FALSE(shown->IsStored(nullptr));
  EXPECT_EQ(std::dynamic_pointer_cast<ICoreEnumerationTypeInfo>(shown->PropType())->Names(1), u"True");

  const String described = Describe(*c);
  const String tail =
      u"Class name: TGadget\nParent: TPersistent\nUnit name: Gadgets\nProperty count: 3 (3)\n"
      u"  Size: Integer\n    [index 3]\n    [default 4]\n    [read static method $00010000]\n"
      u"    [write static method $00010000]\n    [stored=True]\n"
      u"  Shown: Boolean\n    [read static method $00010000]\n    [stored=False]\n"
      u"  Caption: string\n    [read static method $00010000]\n    [write static method $00010000]\n"
      u"    [stored=True]\n";
  EXPECT_EQ(described.substr(described.size() - tail.size()), tail);
  EXPECT_EQ(Declare(*c),
            u"TGadget = class(TPersistent, ['{7dad5220-46ea-11d5-b0c0-4854e825f345}']) // unit Gadgets\n"
            u"published\n"
            u"  property Size: Integer index 3 read [static method $00010000] write [static method $00010000]"
            u" stored = True default 4;\n"
            u"  property Shown: Boolean read [static method $00010000] stored = False;\n"
            u"  property Caption: string read [static method $00010000] write [static method $00010000]"
            u" stored = True;\n"
            u"end;\n");
  // A class without published properties of its own, right under the root.
  EXPECT_EQ(Declare(*ClassTypeInfoFor(TPersistent::StaticClassInfo())), u"TPersistent = class // unit \nend;\n");
}

TEST(CoreRtti, RegistrySetsOfProperties) {
  // Sets made by the class builder keep their mask in the set's layout.
  TPropInfo p;
  p.Kind = tkSet;
  p.TypeName = "TStyles";
  p.Names = {"bold", "italic", "under"};
  auto type = DescribePropType(p);
  const std::uint64_t mask = 0b101;
  EXPECT_EQ(SetValueToText(type.get(), &mask, true), u"[bold, under]");
  LinesWriter w;
  TypeInfoObjectFor(type)->DeclareTo(w);
  EXPECT_EQ(w.Text(), u"TStyles = set of (bold, italic, under); // otUByte\n");
}

TEST(CoreRtti, GeneratedTypesReleaseTheirBases) {
  const int before = GeneratedTypeCount();
  auto element = std::make_unique<TTypeInfo>();
  element->Kind = tkEnumeration;
  element->Name = "TGen";
  element->Names = {"p", "q"};
  element->MaxValue = 1;
  const TTypeInfo* base = RegisterGeneratedType(std::move(element));
  auto set = std::make_unique<TTypeInfo>();
  set->Kind = tkSet;
  set->BaseType = base;
  const TTypeInfo* setType = RegisterGeneratedType(std::move(set));
  AddRefGeneratedType(setType);
  EXPECT_EQ(GeneratedTypeCount(), before + 2);
  ReleaseGeneratedType(setType);
  EXPECT_EQ(GeneratedTypeCount(), before + 2);
  ReleaseGeneratedType(setType);  // the set goes and takes its base along
  EXPECT_EQ(GeneratedTypeCount(), before);
}
