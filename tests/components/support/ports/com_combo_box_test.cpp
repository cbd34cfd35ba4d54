// The serial-port list box and the setting name tables.
#include <gtest/gtest.h>

#include "components/support/ports/com_combo_box.h"
#include "tests/platform/ui/harness.h"
#include "platform/runtime/registry.h"
#include "platform/classes/string_list.h"

using namespace kit;

namespace {

class ComComboBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { rtl::RegistryTestClearSerialPorts(); }
  void TearDown() override { rtl::RegistryTestClearSerialPorts(); }
  uitest::Harness h;
};

TEST_F(ComComboBoxTest, PortsAreSortedAsTextAndTheFirstIsSelected) {
  rtl::RegistryTestAddSerialPort(u"a", u"COM2");
  rtl::RegistryTestAddSerialPort(u"b", u"COM10");
  rtl::RegistryTestAddSerialPort(u"c", u"COM1");
  auto* form = h.MakeForm<ui::TForm>();
  auto* box = new TComComboBox(form);
  box->SetParent(form);
  box->SetComProperty(cpPort);
  ui::TStrings* items = box->Items();
  const int c1 = items->IndexOf(u"COM1"), c10 = items->IndexOf(u"COM10"), c2 = items->IndexOf(u"COM2");
  ASSERT_GE(c1, 0);
  EXPECT_LT(c1, c10);
  EXPECT_LT(c10, c2);
  for (int i = 1; i < items->Count(); ++i) EXPECT_LE(rtl::AnsiCompareText(items->Strings(i - 1), items->Strings(i)), 0);
  EXPECT_EQ(box->ItemIndex(), 0);
  EXPECT_EQ(box->Text(), items->Strings(0));

  // Assigning a text selects the equal item whatever its case; other texts change nothing.
  box->SetText(u"com10");
  EXPECT_EQ(box->Text(), u"COM10");
  box->SetText(u"com2 ");
  EXPECT_EQ(box->Text(), u"COM10");
  box->SetText(u"COM99");
  EXPECT_EQ(box->Text(), u"COM10");
  box->SetItemIndex(-1);
  EXPECT_EQ(box->Text(), u"");
}

TEST_F(ComComboBoxTest, SettingKindsFillTheirFixedChoices) {
  auto* form = h.MakeForm<ui::TForm>();
  auto* box = new TComComboBox(form);
  box->SetParent(form);
  EXPECT_EQ(box->Style(), ui::csDropDownList);
  EXPECT_EQ(box->Items()->Count(), 0);
  const struct {
    TComProperty kind;
    int count;
    const char16_t* first;
  } rows[] = {{cpBaudRate, 16, u"Custom"}, {cpDataBits, 4, u"5"}, {cpStopBits, 3, u"1"},
              {cpParity, 5, u"None"},      {cpFlowControl, 4, u"Hardware"}};
  for (const auto& r : rows) {
    box->SetComProperty(r.kind);
    EXPECT_EQ(box->Items()->Count(), r.count) << int(r.kind);
    EXPECT_EQ(box->ItemIndex(), 0) << int(r.kind);
    EXPECT_EQ(box->Text(), r.first) << int(r.kind);
  }
  box->SetComProperty(cpNone);
  EXPECT_EQ(box->Items()->Count(), 0);
}

TEST(ComNamesTest, NamesAndTheirFallbacks) {
  EXPECT_EQ(BaudRateFromName(u"115200"), br115200);
  EXPECT_EQ(BaudRateFromName(u"abc"), br9600);
  EXPECT_EQ(BaudRateFromName(u"custom"), brCustom);
  EXPECT_EQ(FlowControlFromName(u"none"), fcNone);
  EXPECT_EQ(FlowControlFromName(u"x"), fcCustom);
  EXPECT_EQ(StopBitsFromName(u"1.5"), sbOne5StopBits);
  EXPECT_EQ(StopBitsFromName(u"3"), sbOneStopBit);
  EXPECT_EQ(DataBitsFromName(u"4"), dbEight);
  EXPECT_EQ(ParityFromName(u"SPACE"), prSpace);
  EXPECT_EQ(ParityFromName(u""), prNone);
  EXPECT_EQ(BaudRateName(br256000), u"256000");
  EXPECT_EQ(StopBitsName(sbTwoStopBits), u"2");
  EXPECT_EQ(DataBitsName(dbSeven), u"7");
  EXPECT_EQ(ParityName(prMark), u"Mark");
  EXPECT_EQ(FlowControlName(fcSoftware), u"Software");
}

}  // namespace

namespace {

TEST_F(ComComboBoxTest, UnreadablePortEntryRaisesAndLeavesNothingOpen) {
  rtl::RegistryTestAddSerialPort(u"a", u"COM1");
  ui::TStringList list;
  list.Add(u"kept");
  // A device name too long for the 256-byte value buffer cannot be read.
  rtl::RegistryTestAddSerialPort(u"b", u"/dev/" + rtl::String(200, u'x'));
  const std::size_t before = rtl::RegistryTestOpenKeyCount();
  try {
    ListComPortNames(&list);
    ADD_FAILURE() << "no error";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Message(), u"COM Port Error: Registry error on registry read");
    EXPECT_EQ(e.Code(), 23);
    EXPECT_EQ(e.WinCode(), 234);
  }
  EXPECT_EQ(rtl::RegistryTestOpenKeyCount(), before);
  // The caller's list is untouched by the failed read.
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list[0], u"kept");

  rtl::RegistryTestClearSerialPorts();
  rtl::RegistryTestAddSerialPort(u"a", u"COM1");
  ListComPortNames(&list);
  EXPECT_GE(list.IndexOf(u"COM1"), 0);
  EXPECT_EQ(rtl::RegistryTestOpenKeyCount(), before);
}

}  // namespace
