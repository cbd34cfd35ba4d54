// The binary component form: what the writer stores (and leaves out), the
// bytes of small cases, round trips of every kind of property, and the
// reader's refusal of damaged or hostile streams.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/classes/component_stream.h"
#include "platform/classes/string_list.h"

namespace {

using namespace ui;
using rtl::String;

// A small object owned by its holder and written as dotted properties.
class TLook : public TPersistent {
  JQ_UI_CLASSINFO
 public:
  int Size() const { return size_; }
  void SetSize(int V) { size_ = V; }
  String Face() const { return face_; }
  void SetFace(const String& V) { face_ = V; }
  std::int64_t Style() const { return style_; }
  void SetStyle(std::int64_t V) { style_ = V; }

 private:
  int size_ = 3;
  String face_;
  std::int64_t style_ = 0;
};

const TClassInfo& TLook::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TLook>("TLook", &TPersistent::StaticClassInfo())
                                     .Integer("Size", &TLook::Size, &TLook::SetSize, 3)
                                     .Str("Face", &TLook::Face, &TLook::SetFace)
                                     .Set("Style", "TLookStyles", {"lsBold", "lsItalic", "lsWide"}, &TLook::Style,
                                          &TLook::SetStyle)
                                     .Build();
  return info;
}

class TNode;
class TNodes : public TCollection {
 public:
  TNodes();
};

// A collection item that may hold items of its own.
class TNode : public TCollectionItem {
  JQ_UI_CLASSINFO
 public:
  explicit TNode(TCollection* C) : TCollectionItem(C), children_(std::make_unique<TNodes>()) {}
  String Caption() const { return caption_; }
  void SetCaption(const String& V) { caption_ = V; }
  int Value() const { return value_; }
  void SetValue(int V) { value_ = V; }
  TNodes* Children() const { return children_.get(); }
  void SetChildren(const TNodes* V) { children_->Assign(V); }

 private:
  String caption_;
  int value_ = 0;
  std::unique_ptr<TNodes> children_;
};

TNodes::TNodes() : TCollection([](TCollection* C) { return new TNode(C); }) {}

const TClassInfo& TNode::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TNode>("TNode", &TCollectionItem::StaticClassInfo())
                                     .Str("Caption", &TNode::Caption, &TNode::SetCaption)
                                     .Integer("Value", &TNode::Value, &TNode::SetValue)
                                     .Object("Children", "TNodes", &TNode::Children, &TNode::SetChildren)
                                     .Build();
  return info;
}

enum TMode { mdOne, mdTwo, mdThree };

class TThing : public TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TThing(TComponent* Owner = nullptr) : TComponent(Owner) {}
  int Count() const { return count_; }
  void SetCount(int V) { count_ = V; }
  int Big() const { return big_; }
  void SetBig(int V) { big_ = V; }
  std::int64_t Huge() const { return huge_; }
  void SetHuge(std::int64_t V) { huge_ = V; }
  bool Flag() const { return flag_; }
  void SetFlag(bool V) { flag_ = V; }
  TMode Mode() const { return mode_; }
  void SetMode(TMode V) { mode_ = V; }
  std::int64_t Options() const { return options_; }
  void SetOptions(std::int64_t V) { options_ = V; }
  double Ratio() const { return ratio_; }
  void SetRatio(double V) { ratio_ = V; }
  double Step() const { return step_; }
  void SetStep(double V) { step_ = V; }
  bool StepStored() const { return step_ != 1.0; }
  double When() const { return when_; }
  void SetWhen(double V) { when_ = V; }
  String Title() const { return title_; }
  void SetTitle(const String& V) { title_ = V; }
  char16_t Letter() const { return letter_; }
  void SetLetter(char16_t V) { letter_ = V; }
  rtl::Variant Extra() const { return extra_; }
  void SetExtra(const rtl::Variant& V) { extra_ = V; }
  TLook* Look() const { return look_.get(); }
  void SetLook(const TLook* V) { look_->Assign(V); }
  TNodes* Items() const { return items_.get(); }
  void SetItems(const TNodes* V) { items_->Assign(V); }
  TStrings* Lines() const { return lines_.get(); }
  void SetLines(const TStrings* V) { lines_->Assign(V); }
  TComponent* Link() const { return link_; }
  void SetLink(TComponent* V) { link_ = V; }
  TThing* Peer() const { return peer_; }
  void SetPeer(TThing* V) { peer_ = V; }
  int Span() const { return span_; }
  void SetSpan(int V) { span_ = V; }
  int Secret = 0;

  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    Filer->DefineProperty(
        "Secret", [this](TReader& R) { Secret = static_cast<int>(R.ReadInteger()); },
        [this](TWriter& W) { W.WriteInteger(Secret); }, Secret != 0);
  }

 private:
  int count_ = 0;
  int span_ = 0;
  int big_ = 0;
  std::int64_t huge_ = 0;
  bool flag_ = false;
  TMode mode_ = mdOne;
  std::int64_t options_ = 0;
  double ratio_ = 0;
  double step_ = 1.0;
  double when_ = 0;
  String title_;
  char16_t letter_ = u'a';
  rtl::Variant extra_;
  std::unique_ptr<TLook> look_ = std::make_unique<TLook>();
  std::unique_ptr<TNodes> items_ = std::make_unique<TNodes>();
  std::unique_ptr<TStringList> lines_ = std::make_unique<TStringList>();
  TComponent* link_ = nullptr;
  TThing* peer_ = nullptr;
};

const TClassInfo& TThing::StaticClassInfo() {
  using T = TThing;
  static const TClassInfo info =
      TClassBuilder<T>("TThing", &TComponent::StaticClassInfo())
          .Integer("Count", &T::Count, &T::SetCount, 0)
          .Integer("Big", &T::Big, &T::SetBig)
          .Int64("Huge", &T::Huge, &T::SetHuge)
          .Boolean("Flag", &T::Flag, &T::SetFlag, 0)
          .Enum("Mode", "TMode", {"mdOne", "mdTwo", "mdThree"}, &T::Mode, &T::SetMode, mdOne)
          .Set("Options", "TOptions", {"opA", "opB", "opC"}, &T::Options, &T::SetOptions)
          .Float("Ratio", &T::Ratio, &T::SetRatio)
          .Float("Step", &T::Step, &T::SetStep)
          .StoredWhen(&T::StepStored)
          .Float("When", &T::When, &T::SetWhen, true)
          .Str("Title", &T::Title, &T::SetTitle)
          .WideChar("Letter", &T::Letter, &T::SetLetter)
          .Var("Extra", &T::Extra, &T::SetExtra)
          .Object("Look", "TLook", &T::Look, &T::SetLook)
          .Object("Items", "TNodes", &T::Items, &T::SetItems)
          .Object("Lines", "TStrings", &T::Lines, &T::SetLines)
          .Object("Link", "TComponent", &T::Link, &T::SetLink)
          .Object("Peer", "TThing", &T::Peer, &T::SetPeer)
          // A name whose length byte is no value tag.
          .Integer("SpanAcrossTheWholeWidthOfTheThing", &T::Span, &T::SetSpan, 0)
          .Build();
  return info;
}

// Three published properties, for byte-exact cases.
class TSmall : public TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TSmall(TComponent* Owner = nullptr) : TComponent(Owner) {}
  int Width() const { return width_; }
  void SetWidth(int V) { width_ = V; }
  String Caption() const { return caption_; }
  void SetCaption(const String& V) { caption_ = V; }
  bool Visible() const { return visible_; }
  void SetVisible(bool V) { visible_ = V; }
  double Scale() const { return scale_; }
  void SetScale(double V) { scale_ = V; }

 private:
  int width_ = 0;
  String caption_;
  bool visible_ = true;
  double scale_ = 0;
};

const TClassInfo& TSmall::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TSmall>("TSmall", &TComponent::StaticClassInfo())
                                     .Integer("Width", &TSmall::Width, &TSmall::SetWidth, 0)
                                     .Str("Caption", &TSmall::Caption, &TSmall::SetCaption)
                                     .Boolean("Visible", &TSmall::Visible, &TSmall::SetVisible, 1)
                                     .Float("Scale", &TSmall::Scale, &TSmall::SetScale)
                                     .Build();
  return info;
}

// A container that stores the components it holds; a child read from a
// stream goes into the box that stored it.
class TBox : public TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TBox(TComponent* Owner = nullptr) : TComponent(Owner) {}
  int Size() const { return size_; }
  void SetSize(int V) { size_ = V; }
  std::vector<TComponent*> held;
  TComponent* placedIn = nullptr;

  void GetChildren(const TGetChildProc& Proc, TComponent*) override {
    for (TComponent* c : held) Proc(c);
  }
  void SetParentComponent(TComponent* Parent) override {
    placedIn = Parent;
    if (auto* box = dynamic_cast<TBox*>(Parent)) box->held.push_back(this);
  }

 private:
  int size_ = 0;
};

const TClassInfo& TBox::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TBox>("TBox", &TComponent::StaticClassInfo())
                                     .Integer("Size", &TBox::Size, &TBox::SetSize, 0)
                                     .Build();
  return info;
}

const bool kBoxRegistered = [] {
  RegisterComponentClass(TBox::StaticClassInfo(), [](TComponent* Owner) { return new TBox(Owner); });
  return true;
}();

std::string Bytes(TComponent* C) {
  rtl::TMemoryStream s;
  WriteComponentToStream(s, C);
  return s.ToBytes();
}

void ReadBytes(const std::string& Bytes, TComponent* Into) {
  rtl::TMemoryStream s;
  s.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
  s.SetPosition(0);
  ReadComponentFromStream(s, Into);
}

std::string S(std::initializer_list<int> b) {
  std::string out;
  for (int v : b) out.push_back(static_cast<char>(v));
  return out;
}
std::string Short(const std::string& s) { return std::string(1, static_cast<char>(s.size())) + s; }

// Every property away from its default, a child item with children, a reference.
void Customize(TThing& t, TComponent* Linked) {
  t.SetCount(-5);
  t.SetBig(70000);
  t.SetHuge(std::int64_t{1} << 40);
  t.SetFlag(true);
  t.SetMode(mdThree);
  t.SetOptions(0b101);
  t.SetRatio(-0.1);
  t.SetStep(0);
  t.SetWhen(45000.25);
  t.SetTitle(u"通讯口 ✓");
  t.SetLetter(u'轴');
  t.SetExtra(rtl::Variant(std::int64_t{-3}));
  t.Look()->SetSize(12);
  t.Look()->SetFace(u"Tahoma");
  t.Look()->SetStyle(0b011);
  auto* a = static_cast<TNode*>(t.Items()->Add());
  a->SetCaption(u"first");
  a->SetValue(1);
  auto* child = static_cast<TNode*>(a->Children()->Add());
  child->SetCaption(u"inner");
  auto* b = static_cast<TNode*>(t.Items()->Add());
  b->SetValue(-200);
  t.Lines()->Add(u"one");
  t.Lines()->Add(u"");
  t.Lines()->Add(u"三");
  t.SetLink(Linked);
  t.SetSpan(9);
  t.Secret = 42;
}

TEST(ComponentStream, SmallCasesHaveTheirExactBytes) {
  TSmall fresh;
  EXPECT_EQ(Bytes(&fresh), "TPF0" + Short("TSmall") + S({0, 0, 0}));

  TSmall s;
  s.SetName(u"S1");
  s.SetWidth(300);
  s.SetCaption(u"Hi");
  s.SetVisible(false);
  s.SetScale(1.5);
  s.SetTag(-1);
  EXPECT_EQ(Bytes(&s), "TPF0" + Short("TSmall") + Short("S1") +                            // header
                           Short("Tag") + S({vaInt8, 0xFF}) +                             // inherited first
                           Short("Width") + S({vaInt16, 0x2C, 0x01}) +                    // 300
                           Short("Caption") + S({vaString}) + Short("Hi") +               //
                           Short("Visible") + S({vaFalse}) +                              //
                           Short("Scale") + S({vaExtended, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}) +
                           S({0, 0}));                                                    // ends
}

TEST(ComponentStream, IntegersTakeTheSmallestTagAndStringsTheirForm) {
  struct Case {
    std::int64_t value;
    TValueType tag;
  };
  for (Case k : {Case{-128, vaInt8}, Case{127, vaInt8}, Case{128, vaInt16}, Case{-129, vaInt16},
                 Case{40000, vaInt32}, Case{-2147483648LL, vaInt32}, Case{2147483648LL, vaInt64},
                 Case{INT64_MIN, vaInt64}}) {
    TThing t, back;
    t.SetHuge(k.value);
    std::string bytes = Bytes(&t);
    std::string marker = Short("Huge");
    std::size_t at = bytes.find(marker);
    ASSERT_NE(at, std::string::npos) << k.value;
    EXPECT_EQ(static_cast<unsigned char>(bytes[at + marker.size()]), k.tag) << k.value;
    ReadBytes(bytes, &back);
    EXPECT_EQ(back.Huge(), k.value);
  }
  // Non-ASCII text goes in the shorter of UTF-8 and UTF-16.
  struct Text {
    String value;
    TValueType tag;
  };
  for (const Text& k : {Text{u"plain", vaString}, Text{String(300, u'x'), vaLString}, Text{u"Axis 第1", vaUTF8String},
                        Text{u"第1轴", vaWString}, Text{String(u"a\xD800z"), vaWString}}) {
    TThing t, back;
    t.SetTitle(k.value);
    std::string bytes = Bytes(&t);
    std::string marker = Short("Title");
    std::size_t at = bytes.find(marker);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(bytes[at + marker.size()]), k.tag);
    ReadBytes(bytes, &back);
    EXPECT_EQ(back.Title(), k.value);
  }
}

TEST(ComponentStream, RoundTripKeepsEveryKindOfProperty) {
  TComponent form(nullptr);
  TThing* t = new TThing(&form);
  TComponent* linked = new TComponent(t);
  linked->SetName(u"Target");
  Customize(*t, linked);

  TThing back;
  TComponent* target = new TComponent(&back);
  target->SetName(u"Target");
  ReadBytes(Bytes(t), &back);
  EXPECT_EQ(back.Count(), -5);
  EXPECT_EQ(back.Big(), 70000);
  EXPECT_EQ(back.Huge(), std::int64_t{1} << 40);
  EXPECT_TRUE(back.Flag());
  EXPECT_EQ(back.Mode(), mdThree);
  EXPECT_EQ(back.Options(), 0b101);
  EXPECT_EQ(back.Ratio(), -0.1);
  EXPECT_EQ(back.Step(), 0.0) << "a value its own stored test keeps is written even when it is 0";
  EXPECT_EQ(back.When(), 45000.25);
  EXPECT_EQ(back.Title(), u"通讯口 ✓");
  EXPECT_EQ(back.Letter(), u'轴');
  EXPECT_EQ(back.Extra().AsInt64(), -3);
  EXPECT_EQ(back.Look()->Size(), 12);
  EXPECT_EQ(back.Look()->Face(), u"Tahoma");
  EXPECT_EQ(back.Look()->Style(), 0b011);
  ASSERT_EQ(back.Items()->Count(), 2);
  auto* a = static_cast<TNode*>(back.Items()->Items(0));
  EXPECT_EQ(a->Caption(), u"first");
  EXPECT_EQ(a->Value(), 1);
  ASSERT_EQ(a->Children()->Count(), 1);
  EXPECT_EQ(static_cast<TNode*>(a->Children()->Items(0))->Caption(), u"inner");
  EXPECT_EQ(static_cast<TNode*>(back.Items()->Items(1))->Value(), -200);
  EXPECT_EQ(back.Lines()->ToVector(), (std::vector<String>{u"one", u"", u"三"}));
  EXPECT_EQ(back.Link(), target);
  EXPECT_EQ(back.Span(), 9);
  EXPECT_EQ(back.Secret, 42);
}

TEST(ComponentStream, DefaultsAreLeftOutAndReadingReplacesCollections) {
  TThing t;
  std::string bytes = Bytes(&t);
  for (const char* absent : {"Count", "Huge", "Flag", "Mode", "Ratio", "Step", "When", "Title", "Extra", "Look.Size",
                             "Look.Face", "Items", "Lines", "Link", "Secret", "Tag"})
    EXPECT_EQ(bytes.find(Short(absent)), std::string::npos) << absent;
  // No default declared: written as they are.
  for (const char* present : {"Big", "Letter", "Options", "Look.Style"})
    EXPECT_NE(bytes.find(Short(present)), std::string::npos) << present;

  TThing back;
  back.Items()->Add();
  back.Items()->Add();
  back.Lines()->Add(u"old");
  TThing source;
  source.Items()->Add();
  ReadBytes(Bytes(&source), &back);
  EXPECT_EQ(back.Items()->Count(), 1);
  EXPECT_EQ(back.Lines()->Count(), 1) << "an empty list is not stored, so the old lines stay";
}

TEST(ComponentStream, ReferencesResolveThroughTheRootOrTheCallersLookup) {
  TComponent form(nullptr);
  form.SetName(u"Form1");
  TComponent* image = new TComponent(&form);
  image->SetName(u"Images");
  TThing t;
  t.SetLink(image);
  std::string bytes = Bytes(&t);
  EXPECT_NE(bytes.find(S({vaIdent}) + Short("Form1.Images")), std::string::npos);

  TThing plain;
  ReadBytes(bytes, &plain);
  EXPECT_EQ(plain.Link(), nullptr) << "a reference nothing answers to stays unset";

  TThing looked;
  rtl::TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  TReader reader(s);
  std::string asked;
  reader.OnFindComponent = [&](const std::string& Path) {
    asked = Path;
    return image;
  };
  reader.ReadRootComponent(&looked);
  EXPECT_EQ(asked, "Form1.Images");
  EXPECT_EQ(looked.Link(), image);

  // A component of the wrong class is refused and the old value kept.
  TThing peer, holder;
  TThing wrong;
  wrong.SetPeer(&peer);
  std::string peerBytes = Bytes(&wrong);  // no name: not written
  EXPECT_EQ(peerBytes.find(Short("Peer")), std::string::npos);
  TComponent* notAThing = new TComponent(&holder);
  notAThing->SetName(u"P");
  std::string hostile = "TPF0" + Short("TThing") + S({0}) + Short("Peer") + S({vaIdent}) + Short("P") + S({0, 0});
  holder.SetPeer(&peer);
  EXPECT_THROW(ReadBytes(hostile, &holder), rtl::EReadError);
  EXPECT_EQ(holder.Peer(), &peer);
}

// Each damaged stream raises the stream read error, never anything else.
TEST(ComponentStream, DamagedStreamsRaiseTheReadError) {
  TComponent owner(nullptr);
  TThing* t = new TThing(&owner);
  TComponent* linked = new TComponent(t);
  linked->SetName(u"Target");
  Customize(*t, linked);
  const std::string good = Bytes(t);
  for (std::size_t n = 0; n < good.size(); ++n) {
    TThing back;
    EXPECT_THROW(ReadBytes(good.substr(0, n), &back), rtl::EReadError) << "cut at " << n;
  }

  const std::string head = "TPF0" + Short("TThing") + S({0});
  const std::string end = S({0, 0});
  auto prop = [](const std::string& Name, const std::string& Value) { return Short(Name) + Value; };
  std::string deep = head + Short("Items") + S({vaCollection});
  for (int i = 0; i < 40; ++i) deep += S({vaList}) + Short("Children") + S({vaCollection});
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"wrong signature", "TPF1" + Short("TThing") + S({0}) + end},
      {"other class", "TPF0" + Short("TSmall") + S({0}) + end},
      {"unknown tag", head + prop("Count", S({0x7F, 1})) + end},
      {"integer where text goes", head + prop("Title", S({vaInt8, 1})) + end},
      {"text where an integer goes", head + prop("Count", S({vaString}) + Short("1")) + end},
      {"long text beyond the stream", head + prop("Title", S({vaLString, 0xFF, 0xFF, 0xFF, 0x7F}) + "ab") + end},
      {"negative length", head + prop("Title", S({vaUTF8String, 0xFF, 0xFF, 0xFF, 0xFF})) + end},
      {"wide text beyond the stream", head + prop("Title", S({vaWString, 0x00, 0x00, 0x00, 0x40}) + "ab") + end},
      {"unknown property", head + prop("Colour", S({vaInt8, 1})) + end},
      {"unknown nested property", head + prop("Look.Weight", S({vaInt8, 1})) + end},
      {"path through a reference", head + prop("Link.Name", S({vaString}) + Short("X")) + end},
      {"path through nothing", head + prop("Count.Size", S({vaInt8, 1})) + end},
      {"empty path part", head + prop("Look..Size", S({vaInt8, 1})) + end},
      {"unknown identifier", head + prop("Mode", S({vaIdent}) + Short("mdFour")) + end},
      {"unknown set element", head + prop("Options", S({vaSet}) + Short("opZ") + S({0})) + end},
      {"integer beyond 32 bits", head + prop("Count", S({vaInt64, 0, 0, 0, 0, 1, 0, 0, 0})) + end},
      {"two letters for a character", head + prop("Letter", S({vaString}) + Short("ab")) + end},
      {"extended beyond a double", head + prop("Ratio", S({vaExtended, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F})) + end},
      {"collection for a plain object", head + prop("Look", S({vaCollection, 0})) + end},
      {"item without its list", head + prop("Items", S({vaCollection, vaInt8})) + end},
      {"child component", head + S({0}) + Short("TThing") + Short("Kid") + end + S({0})},
      {"nothing after the properties", head + S({0})},
      {"defined property of the wrong kind", head + prop("Secret", S({vaString}) + Short("x")) + end},
      {"collections nested beyond the limit", deep},
  };
  for (const Case& k : cases) {
    TThing back;
    EXPECT_THROW(ReadBytes(k.bytes, &back), rtl::EReadError) << k.name;
  }
}

TEST(ComponentStream, ASetterFailureBecomesTheReadError) {
  TComponent owner(nullptr);
  TThing* t = new TThing(&owner);
  (new TComponent(&owner))->SetName(u"Taken");
  const std::string badName = "TPF0" + Short("TThing") + Short("9lives") + S({0, 0});
  EXPECT_THROW(ReadBytes(badName, t), rtl::EReadError);
  const std::string taken = "TPF0" + Short("TThing") + Short("Taken") + S({0, 0});
  EXPECT_THROW(ReadBytes(taken, t), rtl::EReadError);
}

TEST(ComponentStream, FlagPrefixAndOtherNumberFormsAreRead) {
  TThing back;
  // Inherited and child-position flags before the class name, the ratio as a double, 8-bit text.
  std::string bytes = "TPF0" + S({0xF2, vaInt8, 3}) + Short("TThing") + S({0}) + Short("Ratio") +
                      S({vaDouble, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}) + Short("Step") + S({vaInt8, 4}) + S({0, 0});
  ReadBytes(bytes, &back);
  EXPECT_EQ(back.Ratio(), 1.5);
  EXPECT_EQ(back.Step(), 4.0);
}

// --- child components ------------------------------------------------------------

// Root "R" holding "A" (which holds "B") and "C"; all owned by the root.
struct BoxTree {
  TBox root;
  TBox* a = new TBox(&root);
  TBox* b = new TBox(&root);
  TBox* c = new TBox(&root);
  BoxTree() {
    root.SetName(u"R");
    a->SetName(u"A");
    b->SetName(u"B");
    c->SetName(u"C");
    a->SetSize(2);
    b->SetSize(3);
    root.held = {a, c};
    a->held = {b};
  }
};

TEST(ComponentStream, ChildrenFollowTheirParentsPropertiesAndComeBackInPlace) {
  TBox one;
  TBox* kid = new TBox(&one);
  kid->SetName(u"K");
  kid->SetSize(1);
  one.held = {kid};
  EXPECT_EQ(Bytes(&one), "TPF0" + Short("TBox") + S({0, 0}) +                    // root, no properties
                             Short("TBox") + Short("K") + Short("Size") + S({vaInt8, 1, 0}) +  // child
                             S({0}) + S({0}));                                     // its children, the root's

  BoxTree tree;
  const std::string bytes = Bytes(&tree.root);
  TBox back;
  ReadBytes(bytes, &back);
  EXPECT_EQ(back.Name(), u"R");
  ASSERT_EQ(back.ComponentCount(), 3);  // made by their class, owned by the root
  auto* a = dynamic_cast<TBox*>(back.FindComponent(u"A"));
  auto* b = dynamic_cast<TBox*>(back.FindComponent(u"B"));
  auto* c = dynamic_cast<TBox*>(back.FindComponent(u"C"));
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->Size(), 2);
  EXPECT_EQ(b->Size(), 3);
  EXPECT_EQ(a->placedIn, &back);
  EXPECT_EQ(b->placedIn, a);
  EXPECT_EQ(back.held, (std::vector<TComponent*>{a, c}));
  EXPECT_EQ(Bytes(&back), bytes);
}

TEST(ComponentStream, HooksSupplyTheComponentsChildrenAreReadInto) {
  BoxTree tree;
  const std::string bytes = Bytes(&tree.root);
  // Supplied components are read into as they are: no new ones, no new place.
  TBox back;
  TBox* own = new TBox(&back);
  own->SetName(u"Own");
  std::vector<std::string> asked;
  rtl::TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  TReader reader(s);
  reader.OnCreateComponent = [&](const TClassInfo& Class) -> TComponent* {
    asked.push_back(Class.Name());
    return own;
  };
  reader.ReadRootComponent(&back);
  EXPECT_EQ(asked.size(), 3u);
  EXPECT_EQ(back.ComponentCount(), 1);
  EXPECT_EQ(own->Size(), 3);  // B's; C, read last, stores no size
  EXPECT_EQ(own->Name(), u"Own");
  EXPECT_EQ(own->placedIn, nullptr);

  // A child stored as inherited is looked for among its parent's children,
  // then asked for; nothing is made for it.
  const std::string inherited = "TPF0" + Short("TBox") + S({0, 0}) + S({0xF1}) + Short("TBox") + Short("Kept") +
                                Short("Size") + S({vaInt8, 7, 0, 0, 0});
  TBox parent;
  TBox* kept = new TBox(&parent);
  kept->SetName(u"KEPT");
  parent.held = {kept};
  ReadBytes(inherited, &parent);
  EXPECT_EQ(kept->Size(), 7);
  EXPECT_EQ(parent.ComponentCount(), 1);

  TBox orphan;
  TBox* stray = new TBox(&orphan);
  s.Clear();
  s.WriteBuffer(inherited.data(), static_cast<std::int64_t>(inherited.size()));
  s.SetPosition(0);
  TReader r2(s);
  std::string askedName;
  r2.OnAncestorNotFound = [&](const std::string& Name, const TClassInfo&) -> TComponent* {
    askedName = Name;
    return stray;
  };
  r2.ReadRootComponent(&orphan);
  EXPECT_EQ(askedName, "Kept");
  EXPECT_EQ(stray->Size(), 7);

  TBox nobody;
  EXPECT_THROW(ReadBytes(inherited, &nobody), rtl::EReadError);
  EXPECT_EQ(nobody.ComponentCount(), 0);
}

TEST(ComponentStream, AFaultInAChildLeavesNoHalfMadeComponents) {
  const std::string head = "TPF0" + Short("TBox") + Short("R") + S({0});
  auto child = [](const std::string& Class, const std::string& Name, const std::string& Props) {
    return Short(Class) + Short(Name) + Props + S({0});
  };
  std::string deep = head;
  for (int i = 0; i < 40; ++i) deep += child("TBox", "", "");
  deep += std::string(41, '\0');
  struct Case {
    const char* name;
    std::string bytes;
    int whole;  // children read completely before the fault, which stay
  };
  const Case cases[] = {
      {"unknown class", head + child("TNoSuchBox", "X", "") + S({0, 0}), 0},
      {"unknown property in a child", head + child("TBox", "X", Short("Colour") + S({vaInt8, 1})) + S({0, 0}), 0},
      {"fault in a grandchild",
       head + Short("TBox") + Short("X") + S({0}) + child("TBox", "Y", Short("Size") + S({vaString}) + Short("1")) +
           S({0, 0, 0}),
       0},
      {"child name taken twice", head + child("TBox", "X", "") + S({0}) + child("TBox", "X", "") + S({0, 0}), 1},
      {"invalid child name", head + child("TBox", "9x", "") + S({0, 0}), 0},
      {"cut after a child", head + child("TBox", "X", "") + S({0}), 1},
      {"children nested beyond the limit", deep, 0},
  };
  for (const Case& k : cases) {
    TBox back;
    EXPECT_THROW(ReadBytes(k.bytes, &back), rtl::EReadError) << k.name;
    // A child the fault met in is gone again, with what was made inside it.
    EXPECT_EQ(back.ComponentCount(), k.whole) << k.name;
  }
}

}  // namespace
