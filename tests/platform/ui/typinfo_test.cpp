// Published properties read and written by name, as a property store does.
#include <gtest/gtest.h>

#include <map>

#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

// A control publishing a floating-point property, like a spin edit's Value.
class TSpinLike : public TEdit {
  JQ_UI_CLASSINFO
 public:
  using TEdit::TEdit;
  double Value() const { return value_; }
  void SetValue(double v) { value_ = v; }

 private:
  double value_ = 8888;
};

const TClassInfo& TSpinLike::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TSpinLike>("TSpinLike", &TEdit::StaticClassInfo()).Float("Value", &TSpinLike::Value, &TSpinLike::SetValue).Build();
  return info;
}

class TStoreForm : public TForm {
 public:
  explicit TStoreForm(TComponent* owner) : TForm(owner) {
    SetName(u"BoardPortFrm");
    edt = new TEdit(this);
    edt->SetName(u"edt_X");
    edt->SetParent(this);
    cbb = new TComboBox(this);
    cbb->SetName(u"cbb_Y");
    cbb->SetParent(this);
    cbb->SetStyle(csDropDownList);
    cbb->Items()->Add(u"COM1");
    cbb->Items()->Add(u"COM2");
    cbb->Items()->Add(u"COM3");
    rb1 = new TRadioButton(this);
    rb1->SetName(u"rb_UART");
    rb1->SetParent(this);
    rb2 = new TRadioButton(this);
    rb2->SetName(u"rb_Net");
    rb2->SetParent(this);
    spin = new TSpinLike(this);
    spin->SetName(u"spin");
    spin->SetParent(this);
  }
  TEdit* edt;
  TComboBox* cbb;
  TRadioButton* rb1;
  TRadioButton* rb2;
  TSpinLike* spin;
};

// Minimal property store: "Component.Property" -> text by kind.
std::map<std::string, std::string> Save(TComponent* form, const std::vector<std::string>& keys) {
  std::map<std::string, std::string> out;
  for (const auto& key : keys) {
    auto dot = key.find('.');
    TComponent* c = form->FindComponent(rtl::Utf8ToString(key.substr(0, dot)));
    std::string prop = key.substr(dot + 1);
    const TPropInfo* p = GetPropInfo(c, prop);
    if (!p) continue;
    if (p->Kind == tkEnumeration)
      out[key] = GetEnumProp(c, prop);
    else if (p->IsOrdinal())
      out[key] = std::to_string(GetOrdProp(c, prop));
    else if (p->Kind == tkFloat)
      out[key] = std::to_string(GetFloatProp(c, prop));
    else if (p->IsString())
      out[key] = rtl::StringToUtf8(GetStrProp(c, prop));
  }
  return out;
}

void Load(TComponent* form, const std::map<std::string, std::string>& values) {
  for (const auto& [key, text] : values) {
    auto dot = key.find('.');
    TComponent* c = form->FindComponent(rtl::Utf8ToString(key.substr(0, dot)));
    std::string prop = key.substr(dot + 1);
    const TPropInfo* p = GetPropInfo(c, prop);
    if (p->Kind == tkEnumeration)
      SetEnumProp(c, prop, text);
    else if (p->IsOrdinal())
      SetOrdProp(c, prop, std::stoll(text));
    else if (p->Kind == tkFloat)
      SetFloatProp(c, prop, std::stod(text));
    else
      SetStrProp(c, prop, rtl::Utf8ToString(text));
  }
}

TEST(PropertyTest, StoreSavesAndLoadsControlsByName) {
  uitest::Harness h;
  auto* f = h.MakeForm<TStoreForm>();
  f->edt->SetText(u"端口 8888");
  f->cbb->SetItemIndex(2);
  f->rb2->SetChecked(true);
  f->spin->SetValue(1234.5);
  std::vector<std::string> keys = {"edt_X.Text", "cbb_Y.ItemIndex", "cbb_Y.Text", "rb_UART.Checked",
                                   "rb_Net.Checked", "spin.Value", "nothere.Text", "edt_X.NoSuchProperty"};
  auto saved = Save(f, keys);
  EXPECT_EQ(saved["edt_X.Text"], "端口 8888");
  EXPECT_EQ(saved["cbb_Y.ItemIndex"], "2");
  EXPECT_EQ(saved["cbb_Y.Text"], "COM3");
  EXPECT_EQ(saved["rb_UART.Checked"], "False");
  EXPECT_EQ(saved["rb_Net.Checked"], "True");
  EXPECT_EQ(std::stod(saved["spin.Value"]), 1234.5);
  EXPECT_EQ(saved.count("edt_X.NoSuchProperty"), 0u);

  f->edt->SetText(u"");
  f->cbb->SetItemIndex(0);
  f->rb1->SetChecked(true);
  f->spin->SetValue(0);
  Load(f, saved);
  EXPECT_EQ(f->edt->Text(), u"端口 8888");
  EXPECT_EQ(f->cbb->ItemIndex(), 2);
  EXPECT_TRUE(f->rb2->Checked());
  EXPECT_FALSE(f->rb1->Checked());
  EXPECT_EQ(f->spin->Value(), 1234.5);
}

TEST(PropertyTest, EnumerationsAndSetsGoByIdentifier) {
  uitest::Harness h;
  auto* f = h.MakeForm<TForm>();
  auto* panel = new TPanel(f);
  SetEnumProp(panel, "Align", "alClient");
  EXPECT_EQ(panel->Align(), alClient);
  EXPECT_EQ(GetEnumProp(panel, "align"), "alClient");
  SetEnumProp(panel, "Visible", "false");
  EXPECT_FALSE(panel->Visible());
  EXPECT_THROW(SetEnumProp(panel, "Align", "alMiddle"), rtl::EPropertyError);
  EXPECT_THROW(SetEnumProp(panel, "Align", "17"), rtl::EPropertyError);
  EXPECT_EQ(panel->Align(), alClient);

  TObject* font = GetObjectProp(panel, "Font");
  ASSERT_NE(font, nullptr);
  SetSetProp(font, "Style", "[fsBold, fsUnderline]");
  EXPECT_TRUE(panel->Font()->Style().Contains(fsBold));
  EXPECT_TRUE(panel->Font()->Style().Contains(fsUnderline));
  EXPECT_FALSE(panel->Font()->Style().Contains(fsItalic));
  EXPECT_EQ(GetSetProp(font, "Style"), "[fsBold,fsUnderline]");
  EXPECT_THROW(SetSetProp(font, "Style", "[fsHeavy]"), rtl::EPropertyError);
}

TEST(PropertyTest, UnknownAndReadOnlyPropertiesAreRefused) {
  uitest::Harness h;
  auto* f = h.MakeForm<TForm>();
  EXPECT_FALSE(IsPublishedProp(f, "Colour"));
  EXPECT_THROW(GetOrdProp(f, "Colour"), rtl::EPropertyError);
  EXPECT_THROW(SetOrdProp(f, "PixelsPerInch", 120), rtl::EPropertyError);
  EXPECT_THROW(GetStrProp(f, "Width"), rtl::EPropertyError);
  EXPECT_EQ(GetOrdProp(f, "PixelsPerInch"), 96);
}

TEST(PropertyTest, ListsInDeclarationOrderAndAlphabetically) {
  const TClassInfo& info = TButton::StaticClassInfo();
  auto props = info.Properties();
  ASSERT_GE(props.size(), 4u);
  // Inherited properties first, in the order the classes declare them.
  EXPECT_EQ(props[0]->Name, "Name");
  EXPECT_EQ(props[1]->Name, "Tag");
  auto sorted = info.SortedProperties();
  for (std::size_t i = 1; i < sorted.size(); ++i)
    EXPECT_LE(rtl::CompareText(rtl::Utf8ToString(sorted[i - 1]->Name), rtl::Utf8ToString(sorted[i]->Name)), 0);
  const TPropInfo* mr = info.FindProp("modalresult");
  ASSERT_NE(mr, nullptr);
  EXPECT_EQ(mr->Kind, tkInteger);
  EXPECT_EQ(mr->Default, 0);
}

}  // namespace
