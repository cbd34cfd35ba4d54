// The IP-address edit: octets, text, ranges, blanks and Tab through its fields.
#include <gtest/gtest.h>

#include <QFileInfo>

#include "components/extended/ext_ip_address.h"
#include "tests/components/extended/ext_test_util.h"
#include "tests/components/extended/fake_source.h"

namespace {

using namespace ext;

class IPTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::SetThemesEnabled(false);
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 300, 140);
    before = new ui::TEdit(form);
    before->SetParent(form);
    before->SetBounds(10, 10, 100, 22);
    ip = new TExtIPAddress(form);
    ip->SetParent(form);
    ip->SetLeft(10);
    ip->SetTop(40);
    after = new ui::TEdit(form);
    after->SetParent(form);
    after->SetBounds(10, 80, 100, 22);
  }
  void TearDown() override { ui::SetThemesEnabled(true); }
  std::array<int, 4> Octets() const {
    auto* v = ip->AddressValues();
    return {v->Value1(), v->Value2(), v->Value3(), v->Value4()};
  }
  uitest::Harness h;
  ui::TForm* form = nullptr;
  ui::TEdit* before = nullptr;
  TExtIPAddress* ip = nullptr;
  ui::TEdit* after = nullptr;
};

TEST_F(IPTest, AddressOctetsAndTextAgree) {
  EXPECT_EQ(ip->Width(), 150);
  struct Row {
    const char16_t* text;  // written to Text, or nullptr to set Address
    std::uint32_t address;
    std::array<int, 4> octets;
    const char16_t* shown;
  };
  const Row rows[] = {
      {nullptr, MakeIPAddress(10, 1, 2, 3), {10, 1, 2, 3}, u"10.1.2.3"},
      {u"192.168.1.5", 0xC0A80105u, {192, 168, 1, 5}, u"192.168.1.5"},
      {u"10.0.0", MakeIPAddress(10, 0, 0, 0), {10, 0, 0, 0}, u"10.0.0.0"},
      {u"1.x.3.4", MakeIPAddress(1, 0, 3, 4), {1, 0, 3, 4}, u"1.0.3.4"},
      // A part beyond 255 is held at the field's maximum, not wrapped to 44.
      {u"300.1.2.3", MakeIPAddress(255, 1, 2, 3), {255, 1, 2, 3}, u"255.1.2.3"},
      {u"", 0, {0, 0, 0, 0}, u"0.0.0.0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(rtl::StringToUtf8(r.shown));
    if (r.text) ip->SetText(r.text);
    else ip->SetAddress(r.address);
    EXPECT_EQ(ip->Address(), r.address);
    EXPECT_EQ(Octets(), r.octets);
    EXPECT_EQ(ip->Text(), String(r.shown));
  }
  ip->SetAddress(MakeIPAddress(10, 1, 2, 3));
  ip->AddressValues()->SetValue4(7);
  EXPECT_EQ(ip->Address(), MakeIPAddress(10, 1, 2, 7));
  ip->AddressValues()->SetValues(4, 9);  // no fifth octet
  EXPECT_EQ(ip->Address(), MakeIPAddress(10, 1, 2, 7));
  // State saving stores and restores the text through the property.
  ui::SetStrProp(ip, "Text", u"172.16.0.1");
  EXPECT_EQ(ui::GetStrProp(ip, "Text"), u"172.16.0.1");
  EXPECT_EQ(ip->AddressValues()->Value1(), 172);
}

TEST_F(IPTest, RangesRefuseOctets) {
  ip->Range()->SetField4Max(100);
  ip->SetAddress(MakeIPAddress(10, 0, 0, 50));
  ip->AddressValues()->SetAddress(MakeIPAddress(11, 0, 0, 101));
  EXPECT_EQ(Octets(), (std::array<int, 4>{11, 0, 0, 50}));
  EXPECT_EQ(ip->Address(), MakeIPAddress(11, 0, 0, 50));
}

TEST_F(IPTest, TypingFieldsClampsAndRefreshesTheOctets) {
  h.Show(form);
  int changes = 0;
  ip->OnChange = [&](ui::TObject*) { ++changes; };
  ip->SetFocus();
  h.ProcessEvents();
  ASSERT_TRUE(ip->Field(0)->Focused());
  h.Type(ip->Field(0), u"300");
  EXPECT_EQ(ip->Field(0)->Text(), u"255");
  EXPECT_TRUE(ip->Field(1)->Focused());  // three digits move on
  h.Type(ip->Field(1), u"7.");
  EXPECT_TRUE(ip->Field(2)->Focused());
  // The octets follow every field change, without reading Text.
  EXPECT_EQ(ip->AddressValues()->Value1(), 255);
  EXPECT_EQ(ip->AddressValues()->Value2(), 7);
  EXPECT_GT(changes, 0);
  exttest::BeepCounter beeps;
  String third = ip->Field(2)->Text();
  h.Type(ip->Field(2), u"a");
  EXPECT_EQ(ip->Field(2)->Text(), third);
  EXPECT_EQ(beeps.count, 1);
}

TEST_F(IPTest, TabWalksTheFieldsThenLeaves) {
  h.Show(form);
  ip->SetFocus();
  h.ProcessEvents();
  struct Step {
    bool shift;
    int field;  // field focused after the key; 4: the next control
  };
  const Step steps[] = {{false, 1}, {true, 0}, {false, 1}, {false, 2}, {false, 3}, {false, 4}};
  for (const Step& s : steps) {
    ui::TWinControl* focused = nullptr;
    for (int i = 0; i < 4; ++i)
      if (ip->Field(i)->Focused()) focused = ip->Field(i);
    ASSERT_NE(focused, nullptr);
    h.Key(focused, ui::VK_TAB, s.shift ? ui::TShiftState{ui::ssShift} : ui::TShiftState{});
    h.ProcessEvents();
    if (s.field == 4) EXPECT_TRUE(after->Focused());
    else EXPECT_TRUE(ip->Field(s.field)->Focused()) << s.field;
  }
  // Shift+Tab from the first field reaches the previous control.
  ip->Field(1)->SetFocus();
  h.ProcessEvents();
  h.Key(ip->Field(1), ui::VK_TAB, {ui::ssShift});
  h.ProcessEvents();
  EXPECT_TRUE(ip->Field(0)->Focused());
  h.Key(ip->Field(0), ui::VK_TAB, {ui::ssShift});
  h.ProcessEvents();
  EXPECT_TRUE(before->Focused());
}

TEST_F(IPTest, BlankSurvivesRecreationAndEmptyFieldsFillOnLeaving) {
  h.Show(form);
  ip->ClearAddress();
  EXPECT_TRUE(ip->IsBlank());
  ip->RecreateWnd();
  h.ProcessEvents();
  EXPECT_TRUE(ip->IsBlank());
  ip->SetAddress(MakeIPAddress(1, 2, 3, 4));
  EXPECT_FALSE(ip->IsBlank());
  ip->RecreateWnd();
  h.ProcessEvents();
  EXPECT_EQ(ip->Text(), u"1.2.3.4");
  EXPECT_EQ(ip->Field(3)->Text(), u"4");

  ip->ClearAddress();
  ip->SetFocus();
  h.ProcessEvents();
  h.Type(ip->Field(0), u"9");
  after->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(ip->Field(1)->Text(), u"0");
  EXPECT_EQ(ip->Address(), MakeIPAddress(9, 0, 0, 0));
}

TEST_F(IPTest, FieldChangeEventMayAdjustTheValue) {
  ip->OnFieldChange = [](ui::TObject*, int field, TExtIPAddressMinMax range, int& value) {
    EXPECT_EQ(range.Max, 255);
    if (field == 0) value = 127;
  };
  h.Show(form);
  ip->SetFocus();
  h.ProcessEvents();
  h.Type(ip->Field(0), u"12");
  h.Key(ip->Field(0), ui::VK_TAB);
  h.ProcessEvents();
  EXPECT_EQ(ip->Field(0)->Text(), u"127");
  EXPECT_EQ(ip->AddressValues()->Value1(), 127);
}

TEST_F(IPTest, BoundToARecordField) {
  exttest::FakeSource src;
  ip->DataConnector()->SetDataField(u"Host");
  ip->DataConnector()->SetDataSource(&src);
  EXPECT_EQ(ip->Text(), u"10.0.0.1");
  EXPECT_TRUE(ip->Enabled());
  h.Show(form);
  ip->SetFocus();
  h.ProcessEvents();
  h.Type(ip->Field(3), u"9");
  EXPECT_TRUE(ip->DataConnector()->Modified());
  // Escape throws the edit away and shows the record again.
  h.Key(ip->Field(3), ui::VK_ESCAPE);
  EXPECT_EQ(ip->Text(), u"10.0.0.1");
  EXPECT_FALSE(ip->DataConnector()->Modified());
  // Leaving the control writes the record.
  ip->Field(3)->SetFocus();
  h.ProcessEvents();
  ip->Field(3)->SelectAll();
  h.Type(ip->Field(3), u"42");
  after->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(src.fields[0].value, u"10.0.0.42");
  // A field the record cannot change disables the control.
  ip->DataConnector()->SetDataField(u"Locked");
  EXPECT_FALSE(ip->Enabled());
  ip->DataConnector()->SetDataField(u"Missing");
  EXPECT_FALSE(ip->Enabled());
  EXPECT_EQ(ip->Text(), u"0.0.0.0");
}

TEST_F(IPTest, Screenshot) {
  ip->SetText(u"192.168.0.10");
  h.Show(form);
  std::string p = exttest::Screenshot(ip, "ip_address_edit");
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(p)));
}

}  // namespace
