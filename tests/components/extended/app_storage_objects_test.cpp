#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <optional>

#include "components/extended/core/core_errors.h"
#include "platform/runtime/exceptions.h"
#include "components/extended/ext_app_storage_media.h"

using namespace ext;
using rtl::String;

namespace {

ui::TTypeInfo Letters() {
  ui::TTypeInfo t;
  t.Kind = ui::tkEnumeration;
  t.Name = "TLetter";
  t.OrdType = ui::otUByte;
  t.MaxValue = 2;
  t.Names = {"a", "b", "c"};
  return t;
}

class Item : public ui::TCollectionItem {
  JQ_UI_CLASSINFO
 public:
  using ui::TCollectionItem::TCollectionItem;
  int Size() const { return size_; }
  void SetSize(int v) { size_ = v; }

 private:
  int size_ = 0;
};
const ui::TClassInfo& Item::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<Item>("TTestItem", &ui::TCollectionItem::StaticClassInfo())
                                         .Integer("Size", &Item::Size, &Item::SetSize)
                                         .Build();
  return info;
}

// One property of each kind the storage keeps.
class Settings : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  int Count() const { return count_; }
  void SetCount(int v) { count_ = v; }
  int Mode() const { return mode_; }
  void SetMode(int v) { mode_ = v; }
  std::int64_t Styles() const { return styles_; }
  void SetStyles(std::int64_t v) { styles_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  String Title() const { return title_; }
  void SetTitle(const String& v) { title_ = v; }
  std::int64_t Big() const { return big_; }
  void SetBig(std::int64_t v) { big_ = v; }
  ui::TStringList* Lines() const { return lines_.get(); }
  ui::TCollection* Items() const { return items_.get(); }

 private:
  int count_ = 0, mode_ = 0;
  std::int64_t styles_ = 0, big_ = 0;
  double ratio_ = 0;
  String title_;
  std::unique_ptr<ui::TStringList> lines_ = std::make_unique<ui::TStringList>();
  std::unique_ptr<ui::TCollection> items_ =
      std::make_unique<ui::TCollection>([](ui::TCollection* c) { return new Item(c); });
};
const ui::TClassInfo& Settings::StaticClassInfo() {
  using S = Settings;
  static const ui::TClassInfo info = ui::TClassBuilder<S>("TSettings", &ui::TPersistent::StaticClassInfo())
                                         .Integer("Count", &S::Count, &S::SetCount, 7)
                                         .Enum("Mode", "TMode", {"mOff", "mLow", "mHigh"}, &S::Mode, &S::SetMode)
                                         .Set("Styles", "TStyles", {"sBold", "sItalic", "sUnder"}, &S::Styles,
                                              &S::SetStyles)
                                         .Float("Ratio", &S::Ratio, &S::SetRatio)
                                         .Str("Title", &S::Title, &S::SetTitle)
                                         .Int64("Big", &S::Big, &S::SetBig)
                                         .Object("Lines", "TStringList", &S::Lines, nullptr)
                                         .Object("Items", "TCollection", &S::Items, nullptr)
                                         .Build();
  return info;
}

struct Media {
  QTemporaryDir dir;
  std::unique_ptr<ui::TComponent> owner = std::make_unique<ui::TComponent>(nullptr);
  TExtCustomAppStorage* Make(int medium) {
    if (medium == 0) return new TExtAppMemoryStorage(owner.get());
    return new TExtAppIniFileStorage(owner.get(),
                                     rtl::Utf8ToString(dir.filePath("s" + QString::number(medium) + ".ini").toStdString()));
  }
  static void Reload(TExtCustomAppStorage* s) {
    if (auto* ini = dynamic_cast<TExtAppIniFileStorage*>(s)) {
      ini->Flush();
      ini->Reload();
    }
  }
};

}  // namespace

TEST(AppStorageObjects, EveryValueKindRoundTripsThroughBothMedia) {
  Media media;
  for (int medium = 0; medium < 2; ++medium) {
    SCOPED_TRACE(medium == 0 ? "memory" : "ini");
    TExtCustomAppStorage* s = media.Make(medium);
    s->StorageOptions()->SetStoreDefaultValues(true);
    const ui::TTypeInfo letters = Letters();
    ui::TPropInfo setProp;
    setProp.Kind = ui::tkSet;
    setProp.TypeName = "TLetters";
    setProp.Names = letters.Names;
    const auto letterSet = ui::DescribePropType(setProp);

    Settings out;
    out.SetCount(3);
    out.SetMode(2);
    out.SetStyles(0b101);
    out.SetRatio(0.25);
    out.SetTitle(u"轴 标题");
    out.SetBig(1LL << 40);
    out.Lines()->Add(u"one");
    out.Lines()->Add(u"二");
    static_cast<Item*>(out.Items()->Add())->SetSize(11);
    static_cast<Item*>(out.Items()->Add())->SetSize(12);
    s->WritePersistent(u"Obj", &out);

    for (bool asString : {false, true}) {
      s->StorageOptions()->SetEnumerationAsString(asString);
      s->StorageOptions()->SetSetAsString(asString);
      const String sub = asString ? u"Str\\" : u"Num\\";
      const std::uint8_t e = 1, set = 0b011;
      s->WriteEnumeration(sub + u"Enum", &letters, &e, nullptr);
      s->WriteSet(sub + u"Set", letterSet.get(), &set, nullptr);
    }
    ui::TStringList wide;
    wide.Add(u"Ωμέγα");
    wide.Add(u"中文");
    s->WriteWideStringList(u"Wide", &wide);
    RegisterStorageItemClass(u"TSettings", [] { return new Settings; });
    TExtObjectList objects;
    auto* first = new Settings;
    first->SetTitle(u"first");
    objects.Add(first);
    objects.Add(nullptr);
    s->WriteObjectList(u"Objects", &objects);
    ui::TStringList named;
    Settings namedObj;
    namedObj.SetCount(99);
    named.AddObject(u"with", &namedObj);
    named.AddObject(u"without", nullptr);
    s->WriteStringObjectList(u"Named", &named);

    Media::Reload(s);

    Settings in;
    s->ReadPersistent(u"Obj", &in);
    EXPECT_EQ(in.Count(), 3);
    EXPECT_EQ(in.Mode(), 2);
    EXPECT_EQ(in.Styles(), 0b101);
    EXPECT_EQ(in.Ratio(), 0.25);
    EXPECT_EQ(in.Title(), u"轴 标题");
    EXPECT_EQ(in.Big(), 1LL << 40);
    EXPECT_EQ(in.Lines()->ToVector(), (std::vector<String>{u"one", u"二"}));
    ASSERT_EQ(in.Items()->Count(), 2);
    EXPECT_EQ(static_cast<Item*>(in.Items()->Items(1))->Size(), 12);

    for (bool asString : {false, true}) {
      const String sub = asString ? u"Str\\" : u"Num\\";
      std::uint8_t e = 0, set = 0;
      const std::uint8_t def = 2;
      s->ReadEnumeration(sub + u"Enum", &letters, &e, &def);
      EXPECT_EQ(e, 1) << asString;
      s->ReadSet(sub + u"Set", letterSet.get(), &set, &def);
      EXPECT_EQ(set, 0b011) << asString;
    }
    ui::TStringList wideIn;
    EXPECT_EQ(s->ReadWideStringList(u"Wide", &wideIn), 2);
    EXPECT_EQ(wideIn.ToVector(), wide.ToVector());
    TExtObjectList objectsIn;
    EXPECT_EQ(s->ReadObjectList(u"Objects", &objectsIn), 2);
    ASSERT_NE(objectsIn.Items(0), nullptr);
    EXPECT_EQ(static_cast<Settings*>(objectsIn.Items(0))->Title(), u"first");
    ui::TStringList namedIn;
    std::vector<std::unique_ptr<Settings>> made;
    EXPECT_EQ(s->ReadStringObjectList(
                  u"Named", &namedIn,
                  [&](TExtCustomAppStorage*, const String&, int) {
                    made.push_back(std::make_unique<Settings>());
                    return made.back().get();
                  }),
              2);
    EXPECT_EQ(namedIn[1], u"without");
    EXPECT_EQ(static_cast<Settings*>(namedIn.Objects(0))->Count(), 99);
  }
}

TEST(AppStorageObjects, ListsShrinkAndNameTheirItems) {
  TExtAppMemoryStorage s(nullptr);
  ui::TStringList list;
  for (const char16_t* t : {u"a", u"b", u"c"}) list.Add(t);
  s.WriteStringList(u"L", &list);
  list.Delete(2);
  s.WriteStringList(u"L", &list);
  EXPECT_EQ(s.ReadInteger(u"L\\Count"), 2);
  EXPECT_TRUE(s.ValueStored(u"L\\Item1"));
  EXPECT_FALSE(s.ValueStored(u"L\\Item2"));

  s.StorageOptions()->SetUseOldItemNameFormat(false);
  s.WriteStringList(u"N", &list);
  EXPECT_EQ(s.ReadString(u"N\\Item[0]"), u"a");
  ui::TStringList back;
  EXPECT_EQ(s.ReadStringList(u"N", &back), 2);

  // One string when asked; a single stored value reads back as the text.
  s.StorageOptions()->SetStoreStringListAsSingleString(true);
  s.WriteStringList(u"N", &list);
  EXPECT_FALSE(s.ListStored(u"N"));
  EXPECT_EQ(s.ReadStringList(u"N", &back), 2);
  EXPECT_EQ(back[1], u"b");
}

TEST(AppStorageObjects, EnumerationsReadBack) {
  TExtAppMemoryStorage s(nullptr);
  const ui::TTypeInfo letters = Letters();
  const std::uint8_t def = 2;
  struct Row {
    const char16_t* stored;  // null: an integer instead
    std::int32_t number;
    std::uint8_t expect;
  } rows[] = {
      {u"b", 0, 1},
      {u" B ", 0, 1},
      {nullptr, 0, 0},
      {nullptr, 1, 1},
      {nullptr, -1, 2},    // the "none" number keeps the default
      {nullptr, 7, 2},     // out of range keeps the default
      {nullptr, 256, 2},   // would wrap to 0 in a byte
      {u"5", 0, 2},
  };
  for (const Row& r : rows) {
    if (r.stored)
      s.WriteString(u"E", r.stored);
    else
      s.WriteInteger(u"E", r.number);
    std::uint8_t v = 9;
    s.ReadEnumeration(u"E", &letters, &v, &def);
    EXPECT_EQ(v, r.expect) << (r.stored ? rtl::StringToUtf8(r.stored) : std::to_string(r.number));
  }
  s.WriteString(u"E", u"zz");
  std::uint8_t v = 9;
  EXPECT_THROW(s.ReadEnumeration(u"E", &letters, &v, &def), rtl::EConvertError);
  s.StorageOptions()->SetDefaultIfReadConvertError(true);
  s.ReadEnumeration(u"E", &letters, &v, &def);
  EXPECT_EQ(v, 2);
  s.ReadEnumeration(u"Missing", &letters, &v, &def);
  EXPECT_EQ(v, 2);

  ui::TTypeInfo rec;
  rec.Kind = ui::tkRecord;
  try {
    s.ReadEnumeration(u"E", &rec, &v, &def);
    ADD_FAILURE() << "no exception";
  } catch (const EExtAppStorageError& e) {
    EXPECT_EQ(e.Message(), u"Invalid type");
  }

  // Identifiers of an integer type, when typed integers are text.
  ui::TTypeInfo colour = *ui::TypeInfoOf(ui::tkInteger, "Integer");
  colour.Name = "TColor";
  RegisterIntegerIdents(&colour, {{0xFF, u"clRed"}});
  const std::int32_t red = 0xFF, other = 5;
  s.WriteEnumeration(u"C", &colour, &red, nullptr);
  EXPECT_EQ(s.ReadString(u"C"), u"clRed");
  s.WriteEnumeration(u"D", &colour, &other, nullptr);
  std::int32_t c = 0;
  s.ReadEnumeration(u"C", &colour, &c, &other);
  EXPECT_EQ(c, 0xFF);
  s.ReadEnumeration(u"D", &colour, &c, &red);
  EXPECT_EQ(c, 5);
}

TEST(AppStorageObjects, SetsAsFoldersOrText) {
  TExtAppMemoryStorage s(nullptr);
  ui::TPropInfo p;
  p.Kind = ui::tkSet;
  p.TypeName = "TLetters";
  p.Names = {"a", "b", "c"};
  const auto letters = ui::DescribePropType(p);
  const std::uint8_t ac = 0b101;
  s.StorageOptions()->SetSetAsString(false);
  s.WriteSet(u"F", letters.get(), &ac, nullptr);
  EXPECT_EQ(s.ReadString(u"F\\a"), u"TRUE");
  EXPECT_EQ(s.ReadString(u"F\\b"), u"FALSE");
  EXPECT_EQ(s.ReadString(u"F\\c"), u"TRUE");
  s.StorageOptions()->SetSetAsString(true);
  s.WriteSet(u"T", letters.get(), &ac, nullptr);
  EXPECT_EQ(s.ReadString(u"T"), u"[a, c]");
  // A text cut short keeps its last member.
  s.WriteString(u"T", u"[a, c");
  std::uint8_t v = 0;
  s.ReadSet(u"T", letters.get(), &v, &v);
  EXPECT_EQ(v, 0b101);

  // Character sets keep every member, printable ones and the backslash too.
  ui::TTypeInfo chars;
  chars.Kind = ui::tkChar;
  chars.OrdType = ui::otUByte;
  chars.MaxValue = 127;
  ui::TTypeInfo charSet;
  charSet.Kind = ui::tkSet;
  charSet.BaseType = &chars;
  std::uint8_t in[16] = {}, out[16] = {};
  for (int ch : {1, int('A'), int('\\'), int('z'), int('~')}) in[ch / 8] |= std::uint8_t(1u << (ch % 8));
  s.StorageOptions()->SetSetAsString(false);
  s.WriteSet(u"Chars", &charSet, in, nullptr);
  EXPECT_TRUE(s.ReadBoolean(u"Chars\\Char#92", false));
  EXPECT_TRUE(s.ReadBoolean(u"Chars\\Char_A", false));
  s.ReadSet(u"Chars", &charSet, out, out);
  EXPECT_EQ(std::memcmp(in, out, 16), 0);

  ui::TTypeInfo floatBase;
  floatBase.Kind = ui::tkFloat;
  ui::TTypeInfo badSet;
  badSet.Kind = ui::tkSet;
  badSet.BaseType = &floatBase;
  EXPECT_THROW(s.WriteSet(u"Bad", &badSet, in, nullptr), EExtAppStorageError);
}

namespace {

class LinesEngine : public TExtAppStoragePropertyBaseEngine {
 public:
  bool Supports(ui::TObject*, ui::TObject* AProperty) override { return dynamic_cast<ui::TStrings*>(AProperty); }
  void WriteProperty(TExtCustomAppStorage* AStorage, const String& APath, ui::TObject*, ui::TObject* AProperty,
                     bool) override {
    AStorage->WriteString(APath, static_cast<ui::TStrings*>(AProperty)->CommaText());
  }
};

}  // namespace

TEST(AppStorageObjects, DefaultsIgnoreListsAndEngines) {
  TExtAppMemoryStorage s(nullptr);
  s.StorageOptions()->SetStoreDefaultValues(false);
  Settings obj;
  obj.SetCount(7);  // its declared default
  obj.Lines()->Add(u"x");
  ui::TStringList ignore;
  ignore.Add(u"title");
  s.WritePersistent(u"O", &obj, true, &ignore);
  EXPECT_FALSE(s.ValueStored(u"O\\Count"));
  EXPECT_FALSE(s.ValueStored(u"O\\Title"));
  EXPECT_FALSE(s.ValueStored(u"O\\Ratio"));  // zero
  EXPECT_FALSE(s.ListStored(u"O\\Lines"));  // read-only: not stored then
  s.StorageOptions()->SetStoreDefaultValues(true);
  s.WritePersistent(u"O", &obj, true, &ignore);
  EXPECT_EQ(s.ReadString(u"O\\Lines\\Item0"), u"x");
  EXPECT_FALSE(s.ValueStored(u"O\\Title"));

  StoragePropertyEngines().RegisterEngine<LinesEngine>();
  obj.Lines()->Add(u"y");
  s.WritePersistent(u"P", &obj);
  StoragePropertyEngines().UnregisterEngine<LinesEngine>();
  EXPECT_EQ(StoragePropertyEngines().Count(), 0);
  EXPECT_EQ(s.ReadString(u"P\\Lines"), u"x,y");
}

namespace {

// A column whose width is stored only when it differs from its grid's.
struct GridLike {
  int width = 64;
};
class Column : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit Column(const GridLike* Grid = nullptr) : grid_(Grid) {}
  int Width() const { return width_ ? *width_ : (grid_ ? grid_->width : 0); }
  void SetWidth(int v) { width_ = v; }
  bool WidthStored() const { return !grid_ || Width() != grid_->width; }
  String Caption() const { return caption_; }
  void SetCaption(const String& v) { caption_ = v; }
  bool CaptionStored() const { return false; }

 private:
  const GridLike* grid_;
  std::optional<int> width_;
  String caption_;
};
const ui::TClassInfo& Column::StaticClassInfo() {
  using C = Column;
  static const ui::TClassInfo info = ui::TClassBuilder<C>("TTestColumn", &ui::TPersistent::StaticClassInfo())
                                         .Integer("Width", &C::Width, &C::SetWidth)
                                         .StoredWhen(&C::WidthStored)
                                         .Str("Caption", &C::Caption, &C::SetCaption)
                                         .NotStored()
                                         .StoredWhen(&C::CaptionStored)
                                         .Build();
  return info;
}

}  // namespace

TEST(AppStorageObjects, StoredTestsLeaveValuesOfTheContainerOut) {
  TExtAppMemoryStorage s(nullptr);
  s.StorageOptions()->SetStoreDefaultValues(false);
  GridLike grid;
  Column same(&grid), own(&grid);
  same.SetWidth(64);
  own.SetWidth(80);
  same.SetCaption(u"x");
  const ui::TPropInfo* width = Column::StaticClassInfo().FindProp("Width");
  ASSERT_NE(width, nullptr);
  EXPECT_FALSE(ui::IsStoredProp(&same, *width));
  EXPECT_TRUE(ui::IsStoredProp(&own, *width));
  EXPECT_EQ(width->StoredSpec, ui::AccessorSpec);
  s.WritePersistent(u"Same", &same);
  s.WritePersistent(u"Own", &own);
  EXPECT_FALSE(s.ValueStored(u"Same\\Width")) << "equal to the grid's: left out";
  EXPECT_TRUE(s.ValueStored(u"Own\\Width"));
  EXPECT_FALSE(s.ValueStored(u"Same\\Caption")) << "not stored at all";
  // Read back into a column of a grid whose width changed since, the
  // left-out width follows the grid, the stored one stays.
  grid.width = 70;
  Column sameIn(&grid), ownIn(&grid);
  s.ReadPersistent(u"Same", &sameIn);
  s.ReadPersistent(u"Own", &ownIn);
  EXPECT_EQ(sameIn.Width(), 70);
  EXPECT_EQ(ownIn.Width(), 80);
}
