// The settings objects of the editors are read and written by name (property
// stores, layout code): every published property must answer by its name,
// carry the default its object really starts with, and survive a save/load
// through text.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "grid/editor_support/edit_buttons.h"
#include "tests/platform/ui/harness.h"
#include "platform/ui/menus.h"
#include "grid/editor_support/mru_list.h"
#include "grid/editor_support/spec_row.h"

using namespace grid;
using namespace ui;
using rtl::String;

namespace {

// A property as a store keeps it: enumerations by identifier, numbers in
// decimal, strings and variants as their text.
std::string PropText(const TObject* Obj, const TPropInfo& P) {
  switch (P.Kind) {
    case tkEnumeration: return GetEnumProp(Obj, P.Name);
    case tkInteger:
    case tkInt64: return std::to_string(GetOrdProp(Obj, P.Name));
    case tkVariant: return rtl::StringToUtf8(rtl::VarToStr(GetVariantProp(Obj, P.Name)));
    default: return rtl::StringToUtf8(GetStrProp(Obj, P.Name));
  }
}

void SetPropText(TObject* Obj, const TPropInfo& P, const std::string& Text) {
  switch (P.Kind) {
    case tkEnumeration: SetEnumProp(Obj, P.Name, Text); break;
    case tkInteger:
    case tkInt64: SetOrdProp(Obj, P.Name, std::stoll(Text)); break;
    case tkVariant: SetVariantProp(Obj, P.Name, rtl::Variant(rtl::Utf8ToString(Text))); break;
    default: SetStrProp(Obj, P.Name, rtl::Utf8ToString(Text)); break;
  }
}

const TPropInfo& Prop(const TObject* Obj, const std::string& Name) {
  const TPropInfo* p = GetPropInfo(Obj, Name);
  if (!p) throw std::runtime_error("no property " + Name);
  return *p;
}

struct PublishedProps : ::testing::Test {
  uitest::Harness h;
  TForm* form = nullptr;
  void SetUp() override { form = h.MakeForm<TForm>(); }

  using Factory = std::function<std::unique_ptr<TPersistent>()>;
  std::map<std::string, Factory> Factories() {
    return {
        {"TEditButtonEx", [this] { return std::make_unique<TEditButtonEx>(static_cast<TWinControl*>(form)); }},
        {"TDropDownEditButtonEx",
         [this] { return std::make_unique<TDropDownEditButtonEx>(static_cast<TWinControl*>(form)); }},
        {"TVisibleEditButtonEx",
         [this] { return std::make_unique<TVisibleEditButtonEx>(static_cast<TWinControl*>(form)); }},
        {"TMRUListEx", [this] { return std::make_unique<TMRUListEx>(form); }},
        {"TSpecRowEx", [this] { return std::make_unique<TSpecRowEx>(form); }},
    };
  }
};

TEST_F(PublishedProps, EachClassPublishesExactlyItsPropertiesWithTheDefaultsItStartsWith) {
  const std::set<std::string> button = {"Action", "DropdownMenu", "Enabled", "Glyph", "Hint",
                                        "NumGlyphs", "ShortCut", "Style", "Visible", "Width"};
  const std::map<std::string, std::set<std::string>> expected = {
      {"TEditButtonEx", button},
      {"TDropDownEditButtonEx", button},
      {"TVisibleEditButtonEx", button},
      {"TMRUListEx", {"AutoAdd", "Active", "CaseSensitive", "Items", "Limit", "Rows"}},
      {"TSpecRowEx", {"CellsText", "Color", "Font", "ShortCut", "ShowIfNotInKeyList", "Value", "Visible"}},
  };
  for (auto& [cls, make] : Factories()) {
    SCOPED_TRACE(cls);
    auto obj = make();
    EXPECT_EQ(obj->ClassInfo().Name(), cls);
    std::set<std::string> names;
    for (const TPropInfo* p : obj->ClassInfo().Properties()) names.insert(p->Name);
    for (const std::string& name : names) {
      // The effective description: a subclass may restate a property with its own default.
      const TPropInfo& p = Prop(obj.get(), name);
      // A default that differs from the fresh object's value would make a
      // store skip (or wrongly keep) the value.
      if (p.IsOrdinal() && p.Default != NoDefault) {
        EXPECT_EQ(GetOrdProp(obj.get(), name), p.Default) << name;
      }
    }
    EXPECT_EQ(names, expected.at(cls));
  }
}

TEST_F(PublishedProps, ValuesReadAndWriteByName) {
  struct Case {
    const char* cls;
    const char* prop;
    const char* written;
    const char* read;  // what the object makes of it
  };
  const Case cases[] = {
      {"TEditButtonEx", "Enabled", "False", "False"},
      {"TEditButtonEx", "Hint", "选择", "选择"},
      {"TEditButtonEx", "NumGlyphs", "9", "4"},
      {"TEditButtonEx", "NumGlyphs", "0", "1"},
      {"TEditButtonEx", "ShortCut", "32814", "32814"},
      {"TEditButtonEx", "Style", "ebsAltUpDownEx", "ebsAltUpDownEx"},
      {"TEditButtonEx", "Style", "3", "ebsUpDownEx"},
      {"TEditButtonEx", "Visible", "True", "True"},
      {"TEditButtonEx", "Width", "21", "21"},
      {"TVisibleEditButtonEx", "Visible", "false", "False"},
      {"TMRUListEx", "AutoAdd", "False", "False"},
      {"TMRUListEx", "Active", "True", "True"},
      {"TMRUListEx", "CaseSensitive", "True", "True"},
      {"TMRUListEx", "Limit", "3", "3"},
      {"TMRUListEx", "Limit", "-5", "-5"},
      {"TMRUListEx", "Rows", "12", "12"},
      {"TSpecRowEx", "CellsText", "\"a;b\";c", "\"a;b\";c"},
      {"TSpecRowEx", "Color", "255", "255"},
      {"TSpecRowEx", "ShortCut", "0", "0"},
      {"TSpecRowEx", "ShowIfNotInKeyList", "False", "False"},
      {"TSpecRowEx", "Value", "K1", "K1"},
      {"TSpecRowEx", "Visible", "True", "True"},
  };
  auto factories = Factories();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cls) + "." + c.prop + " := " + c.written);
    auto obj = factories.at(c.cls)();
    const TPropInfo& p = Prop(obj.get(), c.prop);
    SetPropText(obj.get(), p, c.written);
    EXPECT_EQ(PropText(obj.get(), p), c.read);
  }
  EXPECT_THROW(GetOrdProp(factories.at("TMRUListEx")().get(), "NoSuchProperty"), rtl::EPropertyError);
}

TEST_F(PublishedProps, ObjectPropertiesCopyWhatIsAssigned) {
  TEditButtonEx button(static_cast<TWinControl*>(form));
  TBitmap picture;
  picture.SetSize(8, 6);
  SetObjectProp(&button, "Glyph", &picture);
  auto* glyph = dynamic_cast<TBitmap*>(GetObjectProp(&button, "Glyph"));
  ASSERT_NE(glyph, nullptr);
  EXPECT_NE(glyph, &picture);
  EXPECT_EQ(glyph->Width(), 8);
  auto* menu = new TPopupMenu(form);
  SetObjectProp(&button, "DropdownMenu", menu);
  EXPECT_EQ(GetObjectProp(&button, "DropdownMenu"), menu);
  EXPECT_EQ(GetObjectProp(&button, "Action"), nullptr);

  TMRUListEx mru(form);
  TStringList texts;
  texts.Add(u"甲");
  texts.Add(u"乙");
  SetObjectProp(&mru, "Items", &texts);
  EXPECT_EQ(mru.Items()->Count(), 2);
  EXPECT_NE(GetObjectProp(&mru, "Items"), &texts);

  TSpecRowEx row(form);
  TFont font;
  font.SetSize(17);
  SetObjectProp(&row, "Font", &font);
  EXPECT_EQ(dynamic_cast<TFont*>(GetObjectProp(&row, "Font"))->Size(), 17);
  EXPECT_TRUE(row.FontAssigned());
}

// Saves every stored scalar property of a configured row as text and loads
// it into a fresh row, the way a property store moves settings.
TEST_F(PublishedProps, SpecialRowSurvivesAStoreRoundTrip) {
  TSpecRowEx source(form);
  source.SetCellsText(u"(无);\"x;y\"");
  source.SetColor(clYellow);
  source.SetShortCut(0x4000 | 'N');
  source.SetShowIfNotInKeyList(false);
  source.SetValue(rtl::Variant(String(u"-1")));
  source.SetVisible(true);

  std::map<std::string, std::string> saved;
  for (const TPropInfo* p : source.ClassInfo().Properties()) {
    if (p->Stored && p->Kind != tkClass) saved[p->Name] = PropText(&source, *p);
  }
  ASSERT_EQ(saved.size(), 6u);

  TSpecRowEx target(form);
  int changes = 0;
  target.OnChanged = [&](TObject*) { ++changes; };
  for (auto& [name, text] : saved) SetPropText(&target, Prop(&target, name), text);
  for (auto& [name, text] : saved) EXPECT_EQ(PropText(&target, Prop(&target, name)), text) << name;
  EXPECT_EQ(target.CellTextAt(1), u"x;y");
  EXPECT_EQ(target.Color(), clYellow);
  EXPECT_TRUE(target.LocateKey(rtl::Variant(String(u"-1"))));
  EXPECT_GT(changes, 0);
}

}  // namespace
